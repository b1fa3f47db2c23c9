// The folder scanner's three passes (walk, totals, finishing) and the title refresh, each
// driven by an explicit stack instead of recursion.
#include "core/Scanner.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <vector>


namespace qv {

namespace {

using platform::DirEntry;
using platform::FileTime;

// Paces the progress display across every scan of the process; never reset.
std::atomic<std::uint32_t> g_folderCounter{0};

// Levels whose listings stay open while their sub-folders are walked.
constexpr std::size_t kOpenListingLevels = 64;

bool Cancelled(const ScanControl& control) {
    return control.cancel != nullptr && control.cancel->load(std::memory_order_relaxed) != 0;
}

// The filter set of a report when its filters take part in the scan, else null.
FilterSet* ActiveFilters(Report* report) {
    FilterSet& filters = report->Filters();
    return filters.Enabled() ? &filters : nullptr;
}

// The time of a folder's own entry that stands for its creation: the earlier of creation and
// last write, falling back to last write and then last access when creation is unknown.
FileTime OwnCreationTime(const DirEntry& entry) {
    if (entry.creation != 0) {
        return std::min(entry.creation, entry.lastWrite);
    }
    return entry.lastWrite != 0 ? entry.lastWrite : entry.lastAccess;
}

// The time of a folder's own entry that stands for its last access.
FileTime OwnAccessTime(const DirEntry& entry) {
    if (entry.lastAccess != 0) {
        return entry.lastAccess;
    }
    return entry.lastWrite != 0 ? entry.lastWrite : entry.creation;
}

// True when `path` is `base` or lies below it.
bool IsAtOrBelow(const std::string& path, const std::string& base) {
    if (base.empty() || path.compare(0, base.size(), base) != 0) {
        return false;
    }
    if (path.size() == base.size()) {
        return true;
    }
    const char last = base.back();
    const char next = path[base.size()];
    return last == platform::kPathSeparator || last == '/' || next == platform::kPathSeparator || next == '/';
}

FolderRecord* CreateRecord(FolderRecord* parent, const char* name) {
    FolderRecord* record = CreateNode(parent, name);
    if (record != nullptr) {
        record->SetDesc(name);
    }
    return record;
}

// Interned ids of the six per-filter keys of one filter, and the key texts for lookups.
struct FilterKeys {
    std::uint32_t ids[6] = {};
    std::string names[6];
};

// The per-filter keys of every filter of `filters` by position, built once per pass.
std::vector<FilterKeys> BuildFilterKeys(const FilterSet* filters) {
    static const char* const kCodes[6] = {kFilterFiles,       kFilterSize,       kFilterAllocated,
                                          kFilterDirectFiles, kFilterDirectSize, kFilterDirectAllocated};
    std::vector<FilterKeys> keys;
    if (filters == nullptr) {
        return keys;
    }
    FilterInfo info;
    for (int position = 1; filters->GetFilterAt(position, &info); ++position) {
        FilterKeys& filter = keys.emplace_back();
        for (int code = 0; code < 6; ++code) {
            filter.names[code] = FilterKey(kCodes[code], info.name);
            filter.ids[code] = InternAttrName(filter.names[code].c_str());
        }
    }
    return keys;
}

// Attribute count of a folder record once all passes are done: ALC, LFN, MFS, NFA, OFN, ELT,
// BTM, FCA, DRM, CRP and six per filter. Reserving it up front avoids growing the list.
std::size_t FinalAttributeCount(std::size_t filterCount) {
    return 10 + 6 * filterCount;
}

// Ids of the fixed keys, interned once.
struct FixedKeys {
    std::uint32_t alc = InternAttrName(ALC);
    std::uint32_t lfn = InternAttrName(LFN);
    std::uint32_t mfs = InternAttrName(MFS);
    std::uint32_t nfa = InternAttrName(NFA);
    std::uint32_t ofn = InternAttrName(OFN);
    std::uint32_t elt = InternAttrName(ELT);
    std::uint32_t btm = InternAttrName(BTM);
    std::uint32_t fca = InternAttrName(FCA);
    std::uint32_t drm = InternAttrName(DRM);
    std::uint32_t crp = InternAttrName(CRP);
};

const FixedKeys& Keys() {
    static const FixedKeys kKeys;
    return kKeys;
}

void AppendInt64(FolderRecord* record, std::uint32_t id, std::int64_t value) {
    record->attrs.Append(id, AttrValue(value));
}

void AppendInt32(FolderRecord* record, std::uint32_t id, std::int32_t value) {
    record->attrs.Append(id, AttrValue(value));
}

std::int32_t ClampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

// A zero value of the letter `letter`.
AttrValue Placeholder(char letter) {
    switch (letter) {
        case 'i':
            return AttrValue(std::int32_t{0});
        case 'q':
            return AttrValue(std::int64_t{0});
        case 'f':
            return AttrValue::Borrowed(nullptr);
        default:
            return AttrValue(static_cast<const char*>(nullptr));
    }
}

// Where the walk puts each key in a folder's list, so the later passes find it at once: ALC,
// the 1-3 codes of every filter, LFN, MFS, NFA, OFN, ELT, BTM, FCA, the 4-6 codes, DRM, CRP.
// A record laid out otherwise (not entered, opened from a file) is still found, by a scan.
struct Layout {
    explicit Layout(std::size_t filterCount) : filters(filterCount) {}
    std::size_t FilterTotal(std::size_t filter, int code) const { return 1 + 3 * filter + code; }
    std::size_t Fixed(int index) const { return 1 + 3 * filters + index; }  // LFN 0 .. FCA 6
    std::size_t FilterDirect(std::size_t filter, int code) const { return 8 + 3 * filters + 3 * filter + code; }
    std::size_t Drm() const { return 8 + 6 * filters; }
    std::size_t filters;
};

constexpr std::size_t kMissing = static_cast<std::size_t>(-1);

// Position of the interned key `id`, looked for first at `hint`; kMissing when absent.
// Comparing ids instead of names keeps the passes free of string comparisons.
std::size_t IndexOf(const FolderRecord* record, std::uint32_t id, std::size_t hint) {
    const AttrList& attrs = record->attrs;
    const std::size_t count = attrs.Count();
    if (hint < count && attrs.NameIdAt(hint) == id) {
        return hint;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (attrs.NameIdAt(i) == id) {
            return i;
        }
    }
    return kMissing;
}

// The value of `id` (unset when missing).
AttrView ValueOf(const FolderRecord* record, std::uint32_t id, std::size_t hint) {
    const std::size_t index = record != nullptr ? IndexOf(record, id, hint) : kMissing;
    return index != kMissing ? record->attrs.Entry(index).value : AttrView();
}

std::int64_t StatOf(const FolderRecord* record, std::uint32_t id, std::size_t hint) {
    return ValueOf(record, id, hint).AsInt64();
}

// Replaces the value of `id`, or appends it when the record has none.
void StoreStat(FolderRecord* record, std::uint32_t id, std::size_t hint, AttrValue&& value) {
    const std::size_t index = IndexOf(record, id, hint);
    if (index != kMissing) {
        record->attrs.SetAt(index, std::move(value));
    } else {
        record->attrs.Append(id, std::move(value));
    }
}

// The names and letters every entered folder ends with, in the order the passes write them
// (see Layout), with placeholder values. Records take their table of names from this model, so
// a report stores the names once rather than once per folder.
void BuildFolderModel(AttrList* model, const std::vector<FilterKeys>& filters, char createdLetter) {
    const FixedKeys& keys = Keys();
    model->Append(keys.alc, Placeholder('s'));
    for (const FilterKeys& filter : filters) {
        model->Append(filter.ids[0], Placeholder('i'));
        model->Append(filter.ids[1], Placeholder('q'));
        model->Append(filter.ids[2], Placeholder('q'));
    }
    for (std::uint32_t id : {keys.lfn, keys.mfs, keys.nfa, keys.ofn, keys.elt, keys.btm}) {
        model->Append(id, Placeholder('q'));
    }
    model->Append(keys.fca, Placeholder('i'));
    for (const FilterKeys& filter : filters) {
        for (int code = 3; code < 6; ++code) {
            model->Append(filter.ids[code], Placeholder('q'));
        }
    }
    model->Append(keys.drm, Placeholder(createdLetter));
    model->Append(keys.crp, Placeholder('i'));
}

// The same for a files item: DRM, ALC, LFN, MFS, NFA, OFN, the six codes of every filter, then
// ELT and CRP from the finishing pass.
void BuildFilesItemModel(AttrList* model, const std::vector<FilterKeys>& filters, char createdLetter) {
    const FixedKeys& keys = Keys();
    model->Append(keys.drm, Placeholder(createdLetter));
    model->Append(keys.alc, Placeholder('s'));
    for (std::uint32_t id : {keys.lfn, keys.mfs, keys.nfa, keys.ofn}) {
        model->Append(id, Placeholder('q'));
    }
    for (const FilterKeys& filter : filters) {
        model->Append(filter.ids[0], Placeholder('i'));
        for (int code = 1; code < 6; ++code) {
            model->Append(filter.ids[code], Placeholder('q'));
        }
    }
    model->Append(keys.elt, Placeholder('q'));
    model->Append(keys.crp, Placeholder('i'));
}

// ---------------------------------------------------------------------------------------------
// The walk.

// A sub-folder entry kept from the folder's one listing until its turn comes.
struct SubFolder {
    DirEntry entry;
};

// The working values of one folder level of the walk.
struct WalkFrame {
    FolderRecord* record = nullptr;
    std::size_t pathLength = 0;  // length of the walker's path while this folder is current
    FileTime creation = 0;       // own creation time (BTM)
    FileTime listedAccess = 0;   // own access time as the parent's listing showed it
    std::int64_t files = 0;
    std::int64_t size = 0;
    std::int64_t allocated = 0;
    std::int64_t folders = 0;
    FileTime latestAccess = 0;
    bool temporary = false;
    bool listed = false;      // the listing was read: the counts are written
    bool pushedLink = false;  // this folder was entered through a link whose target is stacked
    // The folder's listing, kept open while its sub-folders are walked so they open relative
    // to it (only in the first kOpenListingLevels levels, to bound the open handles).
    std::unique_ptr<platform::DirReader> reader;
    std::vector<SubFolder> subFolders;
    std::size_t next = 0;
};

class Walker {
  public:
    Walker(Report* report, const ScanControl& control)
        : m_control(control),
          m_filters(ActiveFilters(report)),
          m_policy(report->Policy()),
          m_filterKeys(BuildFilterKeys(m_filters)),
          m_filterInfo(m_filterKeys.size()) {
        BuildFolderModel(&m_model, m_filterKeys, CreatedValue(report).Type());
    }

    FolderRecord* Run(const char* path, FolderRecord* record);

  private:
    // Starts a folder whose full path is in m_path and whose entry in its parent's listing is
    // `entry` (null for the root): lists it (files counted, sub-folders kept) and pushes its
    // frame. False when cancelled.
    bool Enter(FolderRecord* record, const DirEntry* entry, bool mayList);
    // Writes the folder's counts and dates once all its sub-folders are done, and pops it.
    void Leave();
    void CountFile(WalkFrame& frame, DirEntry& entry);
    void AppendFilterCounts(FolderRecord* record);
    std::int64_t FileAllocated(const DirEntry& entry);
    // False when the link entry `entry` (path in m_path) must not be entered.
    bool MayEnterLink(std::string* target);
    WalkFrame& Top() { return m_frames[m_depth - 1]; }
    // Moves m_path from the current folder to its sub-folder `name`.
    void AppendName(const std::string& name) {
        const char last = m_path.empty() ? platform::kPathSeparator : m_path.back();
        if (last != platform::kPathSeparator && last != '/') {
            m_path += platform::kPathSeparator;
        }
        m_path += name;
    }

    const ScanControl& m_control;
    FilterSet* m_filters;
    const ClusterPolicy* m_policy;
    std::vector<FilterKeys> m_filterKeys;
    std::vector<FilterInfo> m_filterInfo;  // reused so reading counts allocates nothing
    AttrList m_model;                      // the names every folder ends with
    std::string m_path;                    // full path of the current folder
    std::string m_filePath;                // scratch for compressed-size queries
    std::string m_rootFinal;               // final path of the scan root, resolved on demand
    bool m_rootResolved = false;
    std::vector<std::string> m_linkTargets;  // targets of the links entered on the current path
    std::vector<WalkFrame> m_frames;         // reused level by level; m_depth of them are live
    std::size_t m_depth = 0;
    const char* m_rootPath = nullptr;
};

std::int64_t Walker::FileAllocated(const DirEntry& entry) {
    const bool compressedAttr = (entry.attributes & platform::kAttrCompressed) != 0;
    const bool askCompressed = m_policy != nullptr && (m_policy->compressedForAll != 0 ||
                                                       (m_policy->ignoreCompression == 0 && compressedAttr));
    if (!askCompressed) {
        return ClusterRoundedSize(entry.size, m_policy != nullptr ? m_policy->clusterShift : 0);
    }
    m_filePath = platform::JoinPath(m_path, entry.name);
    return AllocatedSize(m_policy, entry.size, compressedAttr, m_filePath);
}

void Walker::CountFile(WalkFrame& frame, DirEntry& entry) {
    const std::int64_t allocated = FileAllocated(entry);
    frame.files += 1;
    frame.size += entry.size;
    if (entry.size != 0) {
        frame.allocated += allocated;
    }
    frame.latestAccess = std::max(frame.latestAccess, entry.lastAccess);
    if (m_filters != nullptr) {
        bool temporary = false;
        // Matching folds the name in place; the entry is not used afterwards.
        m_filters->MatchFile(entry.name.data(), entry.size, allocated, frame.temporary ? nullptr : &temporary);
        frame.temporary = frame.temporary || temporary;
    }
}

void Walker::AppendFilterCounts(FolderRecord* record) {
    for (std::size_t i = 0; i < m_filterKeys.size(); ++i) {
        FilterInfo& info = m_filterInfo[i];
        if (!m_filters->GetFilterAt(static_cast<int>(i) + 1, &info)) {
            break;
        }
        AppendInt32(record, m_filterKeys[i].ids[0], static_cast<std::int32_t>(info.count));
        AppendInt64(record, m_filterKeys[i].ids[1], info.bytes);
        AppendInt64(record, m_filterKeys[i].ids[2], info.allocated);
    }
}

bool Walker::MayEnterLink(std::string* target) {
    *target = platform::ResolveFinalPath(m_path);
    if (target->empty()) {
        return false;
    }
    if (!m_rootResolved) {
        m_rootFinal = platform::ResolveFinalPath(m_rootPath);
        m_rootResolved = true;
    }
    if (IsAtOrBelow(*target, m_rootFinal)) {
        return false;
    }
    for (const std::string& entered : m_linkTargets) {
        if (IsAtOrBelow(*target, entered)) {
            return false;
        }
    }
    return true;
}

bool Walker::Enter(FolderRecord* record, const DirEntry* entry, bool mayList) {
    const std::string* name = entry != nullptr ? &entry->name : nullptr;
    if (m_depth == m_frames.size()) {
        m_frames.emplace_back();
        m_frames.back().reader = std::make_unique<platform::DirReader>();
    }
    const platform::DirReader* parentReader = m_depth > 0 ? m_frames[m_depth - 1].reader.get() : nullptr;
    WalkFrame& frame = m_frames[m_depth++];
    frame.record = record;
    frame.pathLength = m_path.size();
    frame.creation = entry != nullptr ? OwnCreationTime(*entry) : 0;
    frame.listedAccess = entry != nullptr ? OwnAccessTime(*entry) : 0;
    frame.files = 0;
    frame.size = m_depth == 1 ? ReadStat(record, MFS) : 0;
    frame.allocated = m_depth == 1 ? ReadStat(record, NFA) : 0;
    frame.folders = 0;
    frame.latestAccess = 0;
    frame.temporary = false;
    frame.listed = false;
    frame.pushedLink = false;
    frame.subFolders.clear();
    frame.next = 0;
    if (!record->attrs.ShareNamesWith(m_model)) {
        record->attrs.Reserve(FinalAttributeCount(m_filterKeys.size()));
    }

    platform::DirReader& reader = *frame.reader;
    reader.Close();
    bool opened = false;
    if (mayList && !m_path.empty()) {
        opened = name != nullptr && parentReader != nullptr ? reader.OpenChild(*parentReader, *name, m_path)
                                                            : reader.Open(m_path);
    }
    if (!opened && !(mayList && platform::CanEnterFolder(m_path))) {
        return true;  // not entered: only the dates are recorded
    }
    record->attrs.Append(Keys().alc, AttrValue(m_path.c_str()));
    if (Cancelled(m_control)) {
        return false;
    }
    if (g_folderCounter.fetch_add(1, std::memory_order_relaxed) % 4 == 0 && m_control.progress) {
        m_control.progress(m_path.c_str(), true);
    }
    if (m_filters != nullptr) {
        m_filters->ResetCounters();
    }
    if (!opened) {
        return true;  // entered but not listable: no counts
    }
    DirEntry listed;
    while (reader.Next(&listed)) {
        if (Cancelled(m_control)) {
            return false;
        }
        if ((listed.attributes & platform::kAttrDirectory) != 0) {
            frame.subFolders.push_back(SubFolder{std::move(listed)});
            listed = DirEntry();
        } else {
            CountFile(frame, listed);
        }
    }
    if (m_depth > kOpenListingLevels) {
        reader.Close();  // deep down, sub-folders are opened by their full paths instead
    }
    frame.listed = true;
    if (m_filters != nullptr) {
        AppendFilterCounts(record);
    }
    return true;
}

void Walker::Leave() {
    WalkFrame& frame = Top();
    FolderRecord* record = frame.record;
    const FixedKeys& keys = Keys();
    if (frame.listed) {
        AppendInt64(record, keys.lfn, frame.files);
        AppendInt64(record, keys.mfs, frame.size);
        AppendInt64(record, keys.nfa, frame.allocated);
        AppendInt64(record, keys.ofn, frame.folders);
    }
    FileTime latest = frame.latestAccess;
    FileTime creation = frame.creation;
    if (latest == 0 || m_depth == 1) {
        // The folder's own entry, read after its listing like the system shows it now. The
        // root is looked up by the path as given (a drive root has no entry of its own).
        DirEntry own;
        // Where the open listing cannot tell (Windows), the parent's listing entry does: looking
        // the folder up again costs a listing of its parent under Wine.
        const bool found = m_depth == 1 ? platform::StatPath(m_rootPath, &own) : frame.reader->StatSelf(&own);
        if (latest == 0) {
            latest = found ? OwnAccessTime(own) : (m_depth == 1 ? 0 : frame.listedAccess);
        }
        if (m_depth == 1) {
            creation = found ? OwnCreationTime(own) : 0;
        }
    }
    AppendInt64(record, keys.elt, static_cast<std::int64_t>(latest));
    AppendInt64(record, keys.btm, static_cast<std::int64_t>(creation));
    AppendInt32(record, keys.fca, frame.temporary ? 1 : 0);
    if (frame.pushedLink) {
        m_linkTargets.pop_back();
    }
    frame.reader->Close();
    frame.subFolders.clear();
    --m_depth;
    if (m_depth > 0) {
        m_path.resize(Top().pathLength);
    }
}

FolderRecord* Walker::Run(const char* path, FolderRecord* record) {
    m_rootPath = path;
    m_path = platform::FullFolderPath(path);
    if (!Enter(record, nullptr, !m_path.empty())) {
        return nullptr;
    }
    while (m_depth > 0) {
        WalkFrame& frame = Top();
        if (frame.next == frame.subFolders.size()) {
            Leave();
            continue;
        }
        if (Cancelled(m_control)) {
            return nullptr;
        }
        DirEntry& entry = frame.subFolders[frame.next++].entry;
        FolderRecord* child = CreateRecord(frame.record, entry.name.c_str());
        if (child == nullptr) {
            continue;  // skipped silently, not counted
        }
        frame.folders += 1;
        AppendName(entry.name);
        const bool isLink = (entry.attributes & platform::kAttrReparsePoint) != 0;
        bool mayList = true;
        if (isLink) {
            std::string target;
            mayList = MayEnterLink(&target);
            if (mayList) {
                m_linkTargets.push_back(std::move(target));
            }
        }
        if (!Enter(child, &entry, mayList)) {
            return nullptr;
        }
        Top().pushedLink = isLink && mayList;
    }
    return Cancelled(m_control) ? nullptr : qv::Top(record);
}

// ---------------------------------------------------------------------------------------------
// The totals pass.

struct TotalsFrame {
    FolderRecord* node = nullptr;
    FolderRecord* filesItem = nullptr;
    FolderRecord* nextChild = nullptr;
    std::int64_t files = 0;
    std::int64_t size = 0;
    std::int64_t allocated = 0;
    std::int64_t folders = 0;
};

class Totals {
  public:
    Totals(Report* report, const ScanControl& control)
        : m_report(report),
          m_control(control),
          m_filterKeys(BuildFilterKeys(ActiveFilters(report))),
          m_layout(m_filterKeys.size()) {
        BuildFilesItemModel(&m_filesItemModel, m_filterKeys, CreatedValue(report).Type());
    }

    FolderRecord* Run(FolderRecord* root);

  private:
    // Steps before the children: files item, direct per-filter copies, starting sums. False
    // when cancelled.
    bool Begin(FolderRecord* node);
    void AddChild(TotalsFrame& frame, FolderRecord* child);
    void Finish(TotalsFrame& frame);
    void CreateFilesItem(FolderRecord* node);
    std::int64_t* FilterSums(std::size_t level) { return m_filterSums.data() + level * 3 * m_filterKeys.size(); }

    Report* m_report;
    const ScanControl& m_control;
    std::vector<FilterKeys> m_filterKeys;
    Layout m_layout;
    AttrList m_filesItemModel;  // the names every files item ends with
    std::vector<TotalsFrame> m_frames;
    std::vector<std::int64_t> m_filterSums;  // 3 per filter per level
    std::vector<std::int64_t> m_direct;      // scratch: one folder's direct per-filter values
};

void Totals::CreateFilesItem(FolderRecord* node) {
    const std::string title = std::string("{") + (node->name != nullptr ? node->name : "") + " files}";
    FolderRecord* item = CreateRecord(node, title.c_str());
    if (item == nullptr) {
        return;
    }
    const FixedKeys& keys = Keys();
    item->group = 1;
    if (!item->attrs.ShareNamesWith(m_filesItemModel)) {
        item->attrs.Reserve(8 + 6 * m_filterKeys.size());
    }
    item->attrs.Append(keys.drm, CreatedValue(m_report));
    item->attrs.Append(keys.alc, AttrValue(ValueOf(node, keys.alc, 0).AsText()));
    const TotalsFrame& frame = m_frames.back();
    AppendInt64(item, keys.lfn, frame.files);
    AppendInt64(item, keys.mfs, frame.size);
    AppendInt64(item, keys.nfa, frame.allocated);
    AppendInt64(item, keys.ofn, frame.folders);
    for (std::size_t i = 0; i < m_filterKeys.size(); ++i) {
        const FilterKeys& filter = m_filterKeys[i];
        for (int code = 0; code < 3; ++code) {
            const AttrView value = ValueOf(node, filter.ids[code], m_layout.FilterTotal(i, code));
            item->attrs.Append(filter.ids[code], value.Type() != 'u' ? AttrValue(value) : AttrValue(std::int64_t{0}));
        }
        for (int code = 0; code < 3; ++code) {
            AppendInt64(item, filter.ids[code + 3], m_direct[i * 3 + code]);
        }
    }
    m_frames.back().filesItem = item;
}

bool Totals::Begin(FolderRecord* node) {
    node->group = 0;
    if (Cancelled(m_control)) {
        return false;
    }
    // Keys are read in the order the walk wrote them, so each lookup is one comparison.
    const std::size_t filterValues = 3 * m_filterKeys.size();
    m_direct.resize(filterValues);
    for (std::size_t i = 0; i < m_filterKeys.size(); ++i) {
        for (int code = 0; code < 3; ++code) {
            m_direct[i * 3 + code] = StatOf(node, m_filterKeys[i].ids[code], m_layout.FilterTotal(i, code));
        }
    }
    const FixedKeys& keys = Keys();
    TotalsFrame& frame = m_frames.emplace_back();
    frame.node = node;
    frame.files = StatOf(node, keys.lfn, m_layout.Fixed(0));
    frame.size = StatOf(node, keys.mfs, m_layout.Fixed(1));
    frame.allocated = StatOf(node, keys.nfa, m_layout.Fixed(2));
    frame.folders = StatOf(node, keys.ofn, m_layout.Fixed(3));
    if (frame.files > 0 && frame.folders > 0 && !Cancelled(m_control)) {
        CreateFilesItem(node);
    }
    // The direct values move to the 4-6 codes; the 1-3 codes become sub-tree totals.
    for (std::size_t i = 0; i < m_filterKeys.size(); ++i) {
        for (int code = 0; code < 3; ++code) {
            AppendInt64(node, m_filterKeys[i].ids[code + 3], m_direct[i * 3 + code]);
        }
    }
    const std::size_t level = m_frames.size() - 1;
    if (m_filterSums.size() < (level + 1) * filterValues) {
        m_filterSums.resize((level + 1) * filterValues);
    }
    std::copy(m_direct.begin(), m_direct.end(), FilterSums(level));
    frame.nextChild = node->firstChild;
    return true;
}

void Totals::AddChild(TotalsFrame& frame, FolderRecord* child) {
    std::int64_t* sums = FilterSums(m_frames.size() - 1);
    for (std::size_t i = 0; i < m_filterKeys.size(); ++i) {
        for (int code = 0; code < 3; ++code) {
            sums[i * 3 + code] += StatOf(child, m_filterKeys[i].ids[code], m_layout.FilterTotal(i, code));
        }
    }
    const FixedKeys& keys = Keys();
    frame.files += StatOf(child, keys.lfn, m_layout.Fixed(0));
    frame.size += StatOf(child, keys.mfs, m_layout.Fixed(1));
    frame.allocated += StatOf(child, keys.nfa, m_layout.Fixed(2));
    frame.folders += StatOf(child, keys.ofn, m_layout.Fixed(3));
}

void Totals::Finish(TotalsFrame& frame) {
    FolderRecord* node = frame.node;
    const FixedKeys& keys = Keys();
    if (node->firstChild == nullptr) {
        StoreStat(node, keys.ofn, m_layout.Fixed(3), AttrValue(std::int64_t{0}));
    } else {
        const std::int64_t* sums = FilterSums(m_frames.size() - 1);
        for (std::size_t i = 0; i < m_filterKeys.size(); ++i) {
            const FilterKeys& filter = m_filterKeys[i];
            StoreStat(node, filter.ids[0], m_layout.FilterTotal(i, 0), AttrValue(ClampToInt32(sums[i * 3])));
            StoreStat(node, filter.ids[1], m_layout.FilterTotal(i, 1), AttrValue(sums[i * 3 + 1]));
            StoreStat(node, filter.ids[2], m_layout.FilterTotal(i, 2), AttrValue(sums[i * 3 + 2]));
        }
        StoreStat(node, keys.lfn, m_layout.Fixed(0), AttrValue(frame.files));
        StoreStat(node, keys.mfs, m_layout.Fixed(1), AttrValue(frame.size));
        StoreStat(node, keys.nfa, m_layout.Fixed(2), AttrValue(frame.allocated));
        StoreStat(node, keys.ofn, m_layout.Fixed(3), AttrValue(frame.folders));
    }
    StoreStat(node, keys.drm, m_layout.Drm(), CreatedValue(m_report));
}

FolderRecord* Totals::Run(FolderRecord* root) {
    if (!Begin(root)) {
        return nullptr;
    }
    while (!m_frames.empty()) {
        TotalsFrame& frame = m_frames.back();
        FolderRecord* child = frame.nextChild;
        if (child == nullptr) {
            FolderRecord* done = frame.node;
            Finish(frame);
            m_frames.pop_back();
            if (!m_frames.empty()) {
                AddChild(m_frames.back(), done);
            }
            continue;
        }
        frame.nextChild = child->nextSibling;
        if (frame.filesItem != nullptr && child->serial == frame.filesItem->serial) {
            continue;
        }
        if (!Begin(child)) {
            return nullptr;
        }
    }
    return root;
}

// ---------------------------------------------------------------------------------------------
// The finishing pass and the title refresh.

struct FinishFrame {
    FolderRecord* node = nullptr;
    FolderRecord* nextChild = nullptr;
    std::int64_t latest = 0;
    bool temporary = false;
};

void FinishNode(Report* report, const Layout& layout, const FinishFrame& frame, const TitleComposer& titles) {
    FolderRecord* node = frame.node;
    FolderRecord* parent = node->parent;
    const FixedKeys& keys = Keys();
    node->kind = SizeClass(StatOf(node, keys.nfa, layout.Fixed(2)), StatOf(parent, keys.nfa, layout.Fixed(2)),
                           parent != nullptr);
    if (frame.temporary) {
        StoreStat(node, keys.fca, layout.Fixed(6), AttrValue(std::int32_t{1}));
    }
    StoreStat(node, keys.elt, layout.Fixed(4), AttrValue(frame.latest));
    StoreStat(node, keys.crp, layout.Drm() + 1, AttrValue(std::int32_t{report->Serial()}));
    if (titles) {
        titles(node);
    }
}

}  // namespace

FolderRecord* ScanFolder(Report* report, const char* path, FolderRecord* record, const ScanControl& control) {
    if (report == nullptr || path == nullptr || record == nullptr) {
        return nullptr;
    }
    Walker walker(report, control);
    return walker.Run(path, record);
}

FolderRecord* AddTotals(Report* report, FolderRecord* record, const ScanControl& control) {
    if (report == nullptr || record == nullptr) {
        return nullptr;
    }
    Totals totals(report, control);
    return totals.Run(record);
}

FolderRecord* FinishTree(Report* report, FolderRecord* record, const ScanControl& control) {
    if (report == nullptr || record == nullptr || Cancelled(control)) {
        return nullptr;
    }
    const FilterSet* filters = ActiveFilters(report);
    const Layout layout(filters != nullptr ? static_cast<std::size_t>(filters->Count()) : 0);
    const FixedKeys& keys = Keys();
    std::vector<FinishFrame> stack;
    stack.push_back({record, record->firstChild, StatOf(record, keys.elt, layout.Fixed(4)), false});
    while (!stack.empty()) {
        FinishFrame& frame = stack.back();
        FolderRecord* child = frame.nextChild;
        if (child != nullptr) {
            if (Cancelled(control)) {
                return nullptr;
            }
            frame.nextChild = child->nextSibling;
            stack.push_back({child, child->firstChild, StatOf(child, keys.elt, layout.Fixed(4)), false});
            continue;
        }
        FinishNode(report, layout, frame, control.titles);
        FolderRecord* done = frame.node;
        stack.pop_back();
        if (Cancelled(control)) {
            return nullptr;
        }
        if (!stack.empty()) {
            FinishFrame& parent = stack.back();
            const std::int64_t latest = StatOf(done, keys.elt, layout.Fixed(4));
            if (latest != 0 && latest > parent.latest) {
                parent.latest = latest;
            }
            if (ValueOf(done, keys.fca, layout.Fixed(6)).AsLenientInt() != 0) {
                parent.temporary = true;
            }
        }
    }
    return record;
}

FolderRecord* ScanReport(Report* report, const std::string& path, const ScanControl& control) {
    if (report == nullptr || path.empty()) {
        return nullptr;
    }
    FolderRecord* root = CreateNode(nullptr, path.c_str());
    if (root == nullptr) {
        return nullptr;
    }
    auto show = [&control](const char* text, bool cancelEnabled) {
        if (control.progress) {
            control.progress(text, cancelEnabled);
        }
    };
    bool done = ScanFolder(report, path.c_str(), root, control) != nullptr && !Cancelled(control);
    if (done) {
        root->SetDesc(root->name);
        show("Collecting Statistics...", true);
        done = AddTotals(report, root, control) != nullptr && !Cancelled(control);
    }
    if (done) {
        show("Finalizing...", true);
        done = FinishTree(report, root, control) != nullptr && !Cancelled(control);
    }
    if (!done) {
        DeleteNode(root);
        return nullptr;
    }
    show("Initializing tree items...", false);
    report->SetRoot(root);
    return root;
}

}  // namespace qv
