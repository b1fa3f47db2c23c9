// The table of open reports: five slots, the used ones always first and in opening order.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "app/ShellRules.h"
#include "core/Report.h"

namespace qv {

// Owns up to kMaxOpenReports reports. Slots 0..Count()-1 hold a report, the rest are empty;
// closing a report moves the later ones down so the order of opening is kept.
class ReportTable {
  public:
    int Count() const { return m_count; }
    bool IsFull() const { return m_count >= kMaxOpenReports; }

    // The report in slot `index` (0 to 4), or null for an empty slot or an index out of range.
    Report* At(int index) const;
    // Slot of the report with `serial`, or -1.
    int FindSlot(std::int32_t serial) const;
    Report* FindBySerial(std::int32_t serial) const { return At(FindSlot(serial)); }

    // Puts the report into the next free slot and returns that slot; -1 when the table is full
    // or the report is null (the report is then deleted with the argument).
    int Add(std::unique_ptr<Report> report);
    // Takes the report out of `slot`, moving the later slots down; null for an unused slot.
    std::unique_ptr<Report> Remove(int slot);
    // Swaps the report in a used `slot` for `report` and hands the old one back; null (and the
    // table unchanged) for an unused slot or a null report.
    std::unique_ptr<Report> Replace(int slot, std::unique_ptr<Report> report);
    // Deletes every report.
    void Clear();

  private:
    std::array<std::unique_ptr<Report>, kMaxOpenReports> m_slots;
    std::int32_t m_count = 0;
};

}  // namespace qv
