// The five-slot table of open reports.
#include "app/ReportTable.h"

#include <utility>

namespace qv {

Report* ReportTable::At(int index) const {
    return index >= 0 && index < m_count ? m_slots[index].get() : nullptr;
}

int ReportTable::FindSlot(std::int32_t serial) const {
    for (int i = 0; i < m_count; ++i) {
        if (m_slots[i]->Serial() == serial) {
            return i;
        }
    }
    return -1;
}

int ReportTable::Add(std::unique_ptr<Report> report) {
    if (report == nullptr || IsFull()) {
        return -1;
    }
    m_slots[m_count] = std::move(report);
    return m_count++;
}

std::unique_ptr<Report> ReportTable::Remove(int slot) {
    if (slot < 0 || slot >= m_count) {
        return nullptr;
    }
    std::unique_ptr<Report> removed = std::move(m_slots[slot]);
    for (int i = slot; i + 1 < m_count; ++i) {
        m_slots[i] = std::move(m_slots[i + 1]);
    }
    --m_count;
    m_slots[m_count].reset();
    return removed;
}

std::unique_ptr<Report> ReportTable::Replace(int slot, std::unique_ptr<Report> report) {
    if (slot < 0 || slot >= m_count || report == nullptr) {
        return nullptr;
    }
    std::swap(m_slots[slot], report);
    return report;
}

void ReportTable::Clear() {
    for (auto& slot : m_slots) {
        slot.reset();
    }
    m_count = 0;
}

}  // namespace qv
