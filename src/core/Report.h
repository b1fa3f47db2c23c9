// A report: one scanned or opened folder tree with the filters, cluster policy and created
// text it was made with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "attr/AttrTree.h"
#include "core/ClusterPolicy.h"
#include "core/FolderRecord.h"
#include "filters/FilterSet.h"
#include "platform/Platform.h"

namespace qv {

constexpr const char* kReportVersion = "0.0.4";
// Created and version texts are kept to this many bytes.
constexpr std::size_t kMaxReportText = 511;

// Owns its tree of FolderRecords (the root and any top-level siblings a loaded file put beside
// it), its own copy of the filters that were enabled when it was made, and its cluster policy.
// Not copyable: a tree has exactly one owner. The serial is unique in the process and only
// compared for identity.
class Report {
  public:
    Report();
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    FolderRecord* Root() const { return m_root; }
    // Takes ownership of the tree at `root`, deleting the tree held before.
    void SetRoot(FolderRecord* root);

    FilterSet& Filters() { return m_filters; }
    const FilterSet& Filters() const { return m_filters; }
    // Empties the created text; then, for a present and enabled source, replaces the report's
    // filters with copies of the source's enabled filters in the source's order (numbered from
    // 1) and enables the set. A missing or disabled source leaves the set as it was.
    void SetFilters(const FilterSet* source);

    std::int32_t Serial() const { return m_serial; }

    const std::string& Created() const { return m_created; }
    void SetCreated(const std::string& text);
    const std::string& Version() const { return m_version; }
    void SetVersion(const std::string& text);

    ClusterPolicy* Policy() const { return m_policy.get(); }
    void SetPolicy(std::unique_ptr<ClusterPolicy> policy) { m_policy = std::move(policy); }

    // Deletes the cluster policy and the whole tree.
    void Clear();

  private:
    FolderRecord* m_root = nullptr;
    FilterSet m_filters;
    std::int32_t m_serial = 0;
    std::string m_created;
    std::string m_version = kReportVersion;
    std::unique_ptr<ClusterPolicy> m_policy;
};

// The created text of a report made at `time`: local date, " at ", local time.
std::string CreatedText(platform::FileTime time);

// The report's created text as the value every folder carries (DRM). The text is interned: the
// table of attribute names keeps each text for the life of the process, so all folders refer to
// one copy instead of holding one each. An own copy when the table refuses the text.
AttrValue CreatedValue(const Report* report);

// Size class 0..9 of a folder: 9 for the root, 0 when its or its parent's allocated space is 0,
// otherwise by its share of the parent's allocated space (class 1 below 3 %, 9 from 80 %).
int SizeClass(std::int64_t allocated, std::int64_t parentAllocated, bool hasParent);

}  // namespace qv
