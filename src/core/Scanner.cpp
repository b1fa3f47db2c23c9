// The folder scanner's three passes (walk, totals, finishing) and the title refresh, each
// driven by an explicit stack instead of recursion.
#include "core/Scanner.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include "view/Formatters.h"

namespace qv {

namespace {

using platform::DirEntry;
using platform::FileTime;

// Paces the progress display across every scan of the process; never reset.
std::atomic<std::uint32_t> g_folderCounter{0};

// Title buffers are 512 bytes, like the callers of the title composer expect.
constexpr std::size_t kTitleBuffer = 512;

bool Cancelled(const ScanControl& control) {
    return control.cancel != nullptr && control.cancel->load(std::memory_order_relaxed) != 0;
}

const TreeViewOptions& OptionsOf(const ScanControl& control) {
    static const TreeViewOptions kDefaults;
    return control.options != nullptr ? *control.options : kDefaults;
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
    std::int64_t files = 0;
    std::int64_t size = 0;
    std::int64_t allocated = 0;
    std::int64_t folders = 0;
    FileTime latestAccess = 0;
    bool temporary = false;
    bool listed = false;        // the listing was read: the counts are written
    bool pushedLink = false;    // this folder was entered through a link whose target is stacked
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
          m_filterInfo(m_filterKeys.size()) {}

    FolderRecord* Run(const char* path, FolderRecord* record);

private:
    // Starts a folder whose full path is in m_path: lists it (files counted, sub-folders kept)
    // and pushes its frame. False when cancelled.
    bool Enter(FolderRecord* record, FileTime creation, bool mayList);
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
    const bool askCompressed =
        m_policy != nullptr &&
        (m_policy->compressedForAll != 0 || (m_policy->ignoreCompression == 0 && compressedAttr));
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

bool Walker::Enter(FolderRecord* record, FileTime creation, bool mayList) {
    if (m_depth == m_frames.size()) {
        m_frames.emplace_back();
    }
    WalkFrame& frame = m_frames[m_depth++];
    frame.record = record;
    frame.pathLength = m_path.size();
    frame.creation = creation;
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
    record->attrs.Reserve(FinalAttributeCount(m_filterKeys.size()));

    platform::DirReader reader;
    const bool opened = mayList && !m_path.empty() && reader.Open(m_path);
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
    DirEntry entry;
    while (reader.Next(&entry)) {
        if (Cancelled(m_control)) {
            return false;
        }
        if ((entry.attributes & platform::kAttrDirectory) != 0) {
            frame.subFolders.push_back(SubFolder{std::move(entry)});
            entry = DirEntry();
        } else {
            CountFile(frame, entry);
        }
    }
    reader.Close();
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
        const bool found = platform::StatPath(m_depth == 1 ? std::string(m_rootPath) : m_path, &own);
        if (latest == 0) {
            latest = found ? OwnAccessTime(own) : 0;
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
    frame.subFolders.clear();
    --m_depth;
    if (m_depth > 0) {
        m_path.resize(Top().pathLength);
    }
}

FolderRecord* Walker::Run(const char* path, FolderRecord* record) {
    m_rootPath = path;
    m_path = platform::FullFolderPath(path);
    if (!Enter(record, 0, !m_path.empty())) {
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
        if (!Enter(child, OwnCreationTime(entry), mayList)) {
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
        : m_report(report), m_control(control), m_filterKeys(BuildFilterKeys(ActiveFilters(report))) {}

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
    item->attrs.Reserve(8 + 6 * m_filterKeys.size());
    item->attrs.Append(keys.drm, AttrValue(m_report->Created().c_str()));
    item->attrs.Append(keys.alc, AttrValue(ReadText(node, ALC)));
    AppendInt64(item, keys.lfn, ReadStat(node, LFN));
    AppendInt64(item, keys.mfs, ReadStat(node, MFS));
    AppendInt64(item, keys.nfa, ReadStat(node, NFA));
    AppendInt64(item, keys.ofn, ReadStat(node, OFN));
    for (std::size_t i = 0; i < m_filterKeys.size(); ++i) {
        const FilterKeys& filter = m_filterKeys[i];
        for (int code = 0; code < 3; ++code) {
            item->attrs.Append(filter.ids[code], AttrValue(node->attrs.Get(filter.names[code].c_str())));
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
            m_direct[i * 3 + code] = ReadStat(node, m_filterKeys[i].names[code].c_str());
        }
    }
    TotalsFrame& frame = m_frames.emplace_back();
    frame.node = node;
    frame.files = ReadStat(node, LFN);
    frame.size = ReadStat(node, MFS);
    frame.allocated = ReadStat(node, NFA);
    frame.folders = ReadStat(node, OFN);
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
            sums[i * 3 + code] += ReadStat(child, m_filterKeys[i].names[code].c_str());
        }
    }
    frame.files += ReadStat(child, LFN);
    frame.size += ReadStat(child, MFS);
    frame.allocated += ReadStat(child, NFA);
    frame.folders += ReadStat(child, OFN);
}

void Totals::Finish(TotalsFrame& frame) {
    FolderRecord* node = frame.node;
    if (node->firstChild == nullptr) {
        WriteStat(node, OFN, 0, true);
    } else {
        const std::int64_t* sums = FilterSums(m_frames.size() - 1);
        for (std::size_t i = 0; i < m_filterKeys.size(); ++i) {
            const FilterKeys& filter = m_filterKeys[i];
            node->attrs.Set(filter.names[0].c_str(), AttrValue(ClampToInt32(sums[i * 3])), true);
            node->attrs.Set(filter.names[1].c_str(), AttrValue(sums[i * 3 + 1]), true);
            node->attrs.Set(filter.names[2].c_str(), AttrValue(sums[i * 3 + 2]), true);
        }
        WriteStat(node, LFN, frame.files, true);
        WriteStat(node, MFS, frame.size, true);
        WriteStat(node, NFA, frame.allocated, true);
        WriteStat(node, OFN, frame.folders, true);
    }
    WriteText(node, DRM, m_report->Created().c_str(), true);
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

void StoreTitle(FolderRecord* node, const TreeViewOptions& options) {
    char title[kTitleBuffer];
    if (FormatItemTitle(options, node, title, sizeof title)) {
        node->SetName(title);
    }
}

void FinishNode(Report* report, const FinishFrame& frame, const TreeViewOptions& options) {
    FolderRecord* node = frame.node;
    FolderRecord* parent = node->parent;
    node->kind = SizeClass(ReadStat(node, NFA), ReadStat(parent, NFA), parent != nullptr);
    if (frame.temporary) {
        node->attrs.Set(FCA, AttrValue(std::int32_t{1}), true);
    }
    WriteStat(node, ELT, frame.latest, true);
    node->attrs.Set(CRP, AttrValue(std::int32_t{report->Serial()}), true);
    StoreTitle(node, options);
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
    const TreeViewOptions& options = OptionsOf(control);
    std::vector<FinishFrame> stack;
    stack.push_back({record, record->firstChild, ReadStat(record, ELT), false});
    while (!stack.empty()) {
        FinishFrame& frame = stack.back();
        FolderRecord* child = frame.nextChild;
        if (child != nullptr) {
            if (Cancelled(control)) {
                return nullptr;
            }
            frame.nextChild = child->nextSibling;
            stack.push_back({child, child->firstChild, ReadStat(child, ELT), false});
            continue;
        }
        FinishNode(report, frame, options);
        FolderRecord* done = frame.node;
        stack.pop_back();
        if (Cancelled(control)) {
            return nullptr;
        }
        if (!stack.empty()) {
            FinishFrame& parent = stack.back();
            const std::int64_t latest = ReadStat(done, ELT);
            if (latest != 0 && latest > parent.latest) {
                parent.latest = latest;
            }
            if (done->attrs.Get(FCA).AsLenientInt() != 0) {
                parent.temporary = true;
            }
        }
    }
    return record;
}

void RefreshTitles(FolderRecord* record, const TreeViewOptions& options) {
    if (record == nullptr) {
        return;
    }
    std::vector<std::pair<FolderRecord*, FolderRecord*>> stack;  // node, next child
    stack.emplace_back(record, record->firstChild);
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next != nullptr) {
            FolderRecord* child = next;
            next = child->nextSibling;
            stack.emplace_back(child, child->firstChild);
            continue;
        }
        node->SetName(node->desc);
        StoreTitle(node, options);
        stack.pop_back();
    }
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
