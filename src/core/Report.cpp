// The report object: ownership of the tree, the filter copy and the cluster policy.
#include "core/Report.h"

#include <cmath>


namespace qv {

namespace {

std::string Capped(const std::string& text) {
    return text.size() > kMaxReportText ? text.substr(0, kMaxReportText) : text;
}

// Deletes the tree that holds `node`: every top-level node from the first one on, each with its
// sub-tree.
void DeleteTree(FolderRecord* node) {
    FolderRecord* top = node != nullptr ? Top(node) : nullptr;
    while (top != nullptr) {
        FolderRecord* next = top->nextSibling;
        DeleteNode(top);
        top = next;
    }
}

}  // namespace

Report::Report() : m_serial(NextReportSerial()) {}

Report::~Report() {
    Clear();
}

void Report::SetRoot(FolderRecord* root) {
    if (root == m_root) {
        return;
    }
    DeleteTree(m_root);
    m_root = root;
}

void Report::SetFilters(const FilterSet* source) {
    m_created.clear();
    if (source == nullptr || !source->Enabled()) {
        return;
    }
    m_filters.Clear();
    m_filters.SetEditing(true);
    FilterInfo info;
    for (int position = 1; source->GetFilterAt(position, &info); ++position) {
        if (info.enabled) {
            info.id = 0;  // numbered in order, so ids match positions
            m_filters.AddFilter(info);
        }
    }
    m_filters.SetEditing(false);
    m_filters.SetEnabled(true);
}

void Report::SetCreated(const std::string& text) {
    m_created = Capped(text);
}

void Report::SetVersion(const std::string& text) {
    m_version = Capped(text);
}

void Report::Clear() {
    m_policy.reset();
    DeleteTree(m_root);
    m_root = nullptr;
}

std::string CreatedText(platform::FileTime time) {
    if (time == 0) {
        return " at ";
    }
    return platform::LocalDateText(time) + " at " + platform::LocalTimeText(time);
}

AttrValue CreatedValue(const Report* report) {
    const std::string& text = report->Created();
    const std::uint32_t id = text.empty() ? 0 : InternAttrName(text.c_str());
    const char* shared = id != 0 ? AttrNameText(id) : nullptr;
    return shared != nullptr ? AttrValue::Borrowed(shared) : AttrValue(text.c_str());
}

int SizeClass(std::int64_t allocated, std::int64_t parentAllocated, bool hasParent) {
    // Upper bounds of n = truncate(share in percent + 1) for classes 0..9.
    static constexpr double kBounds[] = {0, 3, 5, 7, 10, 15, 25, 50, 80, 101};
    if (!hasParent) {
        return 9;
    }
    if (allocated == 0 || parentAllocated == 0) {
        return 0;
    }
    const double n = std::trunc(static_cast<double>(allocated) * 100.0 / static_cast<double>(parentAllocated) + 1.0);
    for (int i = 0; i < 10; ++i) {
        if (n <= kBounds[i]) {
            return i;
        }
    }
    return 9;  // a folder larger than its parent only comes from a damaged report file
}

}  // namespace qv
