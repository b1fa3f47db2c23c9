// The folder scanner's three passes (walk, totals, finishing) and the title refresh, each
// driven by an explicit stack instead of recursion.
#include "core/Scanner.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/Saturating.h"

namespace qv {

namespace {

using platform::DirEntry;
using platform::FileTime;

// Paces the progress display across every scan of the process; never reset.
std::atomic<std::uint32_t> g_folderCounter{0};

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
    std::uint32_t err = InternAttrName(ERR);
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
//
// Every folder is one self-contained work item (FolderTask): its record, its entry in its
// parent's listing and the open parent it is opened from. The thread that lists a folder
// creates the records of its sub-folders in listing order and, once the folder's own record is
// complete, puts their items on a shared stack that every walking thread takes from, the first
// sub-folder on top. So the tree comes out the same whatever the number of threads and whichever
// thread takes which folder: a record is written only by the thread that scans it, and each
// thread matches files against its own copy of the filters. What the threads share (the stack,
// the open folders, the read-error marks of ancestors and the caller's callbacks) is locked.

// A listed folder that its sub-folders are opened from. Its work items share it; it is closed
// when the last of them has opened its folder. To keep few descriptors open in a deep tree, the
// walk may close it earlier; it is then opened again from its own parent and checked to be
// the same folder. Kept alive by the folders below it, which may need it for that.
struct WalkShared;

struct OpenFolder {
    explicit OpenFolder(WalkShared& walk) : shared(walk) {}
    ~OpenFolder();  // leaves the walk's list of open folders

    WalkShared& shared;
    std::shared_ptr<OpenFolder> parent;  // null for the root
    std::string name;                    // its name in the parent
    std::string path;                    // its full path
    platform::FolderHandle handle;
    std::size_t depth = 0;
    std::size_t pending = 0;  // work items of its sub-folders not yet opened
    std::size_t users = 0;    // threads reading its descriptor; it is not closed early meanwhile
};

// The final paths of the links (Windows reparse points) entered on the way to a folder.
struct LinkTarget {
    std::string finalPath;
    std::shared_ptr<const LinkTarget> above;
};

// One folder to scan.
struct FolderTask {
    std::shared_ptr<OpenFolder> parent;  // null for the root
    FolderRecord* record = nullptr;
    DirEntry entry;  // the folder's entry in its parent's listing (the root's own, read before)
    std::shared_ptr<const LinkTarget> links;
};

// What became of a folder's opening.
enum class Reached {
    Listed,   // opened and listed
    Skipped,  // on a file system the walk does not enter: shown empty
    Entered,  // could be entered but not listed
    Refused,  // neither (no error: a link not followed)
    Failed,   // neither, because of an error
};

// Listed folders a walk keeps open for their sub-folders at most. A tree deeper than that has
// the shallowest of them closed, to be opened again when its next sub-folder's turn comes.
constexpr std::size_t kMaxOpenFolders = 48;

// File systems that show the system's state as files (sizes of memory, not of data) and are
// not entered below the scan root.
bool IsPseudoFileSystem(const std::string& type) {
    static const char* const kTypes[] = {"proc",      "sysfs",   "devpts",     "cgroup",      "cgroup2",
                                         "debugfs",   "tracefs", "securityfs", "pstore",      "bpf",
                                         "configfs",  "fusectl", "mqueue",     "binfmt_misc", "efivarfs",
                                         "selinuxfs", "nsfs",    "autofs",     "rpc_pipefs",  "usbfs"};
    for (const char* known : kTypes) {
        if (type == known) {
            return true;
        }
    }
    return false;
}

// The most threads a walk uses; more only queue on the same disk.
constexpr unsigned kMaxWalkThreads = 8;

// What the walking threads share.
struct WalkShared {
    explicit WalkShared(const ScanControl& scanControl) : control(scanControl) {}

    const ScanControl& control;
    AttrList model;  // the names every folder ends with; only read while walking

    std::mutex taskLock;  // guards the stack, busy and stop
    std::condition_variable taskReady;
    std::vector<FolderTask> tasks;  // folders still to scan, the next one last
    unsigned busy = 0;              // threads scanning a folder
    bool stop = false;              // finished or cancelled: every thread leaves

    std::mutex openLock;           // guards the list below and the descriptors of OpenFolder
    std::vector<OpenFolder*> open;  // folders whose descriptors are open

    // Serialises the caller's callbacks and the read-error marks of ancestors.
    std::mutex callbackLock;

    const char* rootPath = nullptr;
    std::uint64_t rootDevice = 0;  // written before the root's sub-folders are stacked
    std::atomic<std::int64_t> nextPathDue{0};  // steady clock, in ms: when a path may be shown again
};

void ReleaseChain(std::shared_ptr<OpenFolder> folder);

OpenFolder::~OpenFolder() {
    ReleaseChain(std::move(parent));
    // Opened again for a folder below it, it may still be listed as open.
    const std::lock_guard<std::mutex> hold(shared.openLock);
    const auto found = std::find(shared.open.begin(), shared.open.end(), this);
    if (found != shared.open.end()) {
        *found = shared.open.back();
        shared.open.pop_back();
    }
}

// Lets go of a folder's ancestors one after another: released together, a deep chain would
// otherwise be destroyed recursively, one stack frame per level.
void ReleaseChain(std::shared_ptr<OpenFolder> folder) {
    while (folder != nullptr && folder.use_count() == 1) {
        std::shared_ptr<OpenFolder> above = std::move(folder->parent);
        folder = std::move(above);  // the one before goes, with no parent left to release
    }
}

class Walker {
  public:
    Walker(Report* report, WalkShared& shared, FilterSet* filters)
        : m_shared(shared),
          m_control(shared.control),
          m_filters(filters),
          m_policy(report->Policy()),
          m_filterKeys(BuildFilterKeys(m_filters)),
          m_filterInfo(m_filterKeys.size()) {}

    // Takes folders from the shared stack until it is empty and no thread is scanning, or the
    // walk is cancelled. False when cancelled.
    bool Work();

  private:
    // Puts the sub-folders just collected on the shared stack, with its lock held. False when
    // there is no memory for them.
    bool Stack();
    // Opens, lists and records one folder, and collects the work items of its sub-folders.
    // False when cancelled.
    bool Scan(FolderTask& task);
    Reached Open(FolderTask& task,
                 const std::string& path,
                 platform::FolderHandle* handle,
                 platform::DirReader* reader,
                 std::shared_ptr<const LinkTarget>* links,
                 int* error);
    // Lists the open folder: counts its files, creates the records of its sub-folders and
    // collects their items. False when cancelled.
    bool List(FolderTask& task,
              const std::string& path,
              platform::FolderHandle* handle,
              platform::DirReader* reader,
              std::shared_ptr<const LinkTarget> links,
              int* error);
    void WriteCounts(FolderRecord* record, const DirEntry& own, bool listed);
    void MarkUnreadable(FolderRecord* record, const std::string& path, int error);
    // These three are called with the shared open lock held.
    // Makes sure the folder's descriptor is open, opening it and closed ancestors again.
    bool Reach(OpenFolder* folder, int* error);
    void Register(OpenFolder* folder);
    void Release(OpenFolder* folder);
    // These two take the open lock. Done with the parent's descriptor after opening one of its
    // sub-folders; done listing a folder whose sub-folders are opened from it.
    void LeaveParent(OpenFolder* parent);
    void EndListing(OpenFolder* folder);
    bool SkipsFileSystem(std::uint64_t device, std::uint64_t parentDevice);
    // True when the progress display is to show the path of the folder just entered.
    bool ShowsPath();
    void CountFile(DirEntry& entry);
    void AppendFilterCounts(FolderRecord* record);
    std::int64_t FileAllocated(const DirEntry& entry, const std::string& folder);
    // False when the link entry at `path` must not be entered; else its final path.
    bool MayEnterLink(const std::string& path, const LinkTarget* entered, std::string* target);

    WalkShared& m_shared;
    const ScanControl& m_control;
    FilterSet* m_filters;  // this thread's own, or null
    const ClusterPolicy* m_policy;
    std::vector<FilterKeys> m_filterKeys;
    std::vector<FilterInfo> m_filterInfo;  // reused so reading counts allocates nothing
    std::vector<FolderTask> m_children;    // the sub-folders of the folder just scanned
    platform::DirReader m_reader;          // lists one folder after another
    std::string m_filePath;                // scratch for compressed-size queries
    std::string m_listedPath;              // full path of the folder being listed
    std::string m_rootFinal;               // final path of the scan root, resolved on demand
    bool m_rootResolved = false;
    bool m_mountsRead = false;
    std::unordered_map<std::uint64_t, std::string> m_fileSystemTypes;  // device -> type
    // The working values of the folder being listed.
    std::int64_t m_files = 0;
    std::int64_t m_size = 0;
    std::int64_t m_allocated = 0;
    std::int64_t m_folders = 0;
    FileTime m_latestAccess = 0;
    bool m_temporary = false;
};

std::int64_t Walker::FileAllocated(const DirEntry& entry, const std::string& folder) {
    const bool compressedAttr = (entry.attributes & platform::kAttrCompressed) != 0;
    const bool askCompressed = m_policy != nullptr && (m_policy->compressedForAll != 0 ||
                                                       (m_policy->ignoreCompression == 0 && compressedAttr));
    if (!askCompressed) {
        return ClusterRoundedSize(entry.size, m_policy != nullptr ? m_policy->clusterShift : 0);
    }
    if (entry.allocated >= 0) {
        return entry.allocated;  // the listing measured it already
    }
    m_filePath = platform::JoinPath(folder, entry.name);
    return AllocatedSize(m_policy, entry.size, compressedAttr, m_filePath);
}

void Walker::CountFile(DirEntry& entry) {
    const std::int64_t allocated = FileAllocated(entry, m_listedPath);
    m_files += 1;
    m_size = SaturatingAdd(m_size, entry.size);
    m_allocated = SaturatingAdd(m_allocated, allocated);
    m_latestAccess = std::max(m_latestAccess, entry.lastAccess);
    if (m_filters != nullptr) {
        bool temporary = false;
        // Matching folds the name in place; the entry is not used afterwards.
        m_filters->MatchFile(entry.name.data(), entry.size, allocated, m_temporary ? nullptr : &temporary);
        m_temporary = m_temporary || temporary;
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

bool Walker::MayEnterLink(const std::string& path, const LinkTarget* entered, std::string* target) {
    *target = platform::ResolveFinalPath(path);
    if (target->empty()) {
        return false;
    }
    if (!m_rootResolved) {
        m_rootFinal = platform::ResolveFinalPath(m_shared.rootPath);
        m_rootResolved = true;
    }
    if (IsAtOrBelow(*target, m_rootFinal)) {
        return false;
    }
    for (; entered != nullptr; entered = entered->above.get()) {
        if (IsAtOrBelow(*target, entered->finalPath)) {
            return false;
        }
    }
    return true;
}

bool Walker::SkipsFileSystem(std::uint64_t device, std::uint64_t parentDevice) {
    if (device == parentDevice || device == 0) {
        return false;
    }
    if (m_control.oneFileSystem && device != m_shared.rootDevice) {
        return true;
    }
    if (!m_mountsRead) {
        m_mountsRead = true;
        for (platform::MountEntry& mount : platform::ReadMountTable()) {
            m_fileSystemTypes[mount.device] = std::move(mount.type);  // the last mount on top
        }
    }
    const auto found = m_fileSystemTypes.find(device);
    return found != m_fileSystemTypes.end() && IsPseudoFileSystem(found->second);
}

bool Walker::ShowsPath() {
    if (g_folderCounter.fetch_add(1, std::memory_order_relaxed) % 4 != 0 || !m_control.progress) {
        return false;
    }
    const unsigned pause = m_control.progressPauseMs;
    if (pause == 0) {
        return true;
    }
    const std::int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count();
    std::int64_t due = m_shared.nextPathDue.load(std::memory_order_relaxed);
    // Of threads that find the time come at once, one shows its path.
    return now >= due && m_shared.nextPathDue.compare_exchange_strong(due, now + pause, std::memory_order_relaxed);
}

void Walker::Register(OpenFolder* folder) {
    std::vector<OpenFolder*>& open = m_shared.open;
    open.push_back(folder);
    if (open.size() <= kMaxOpenFolders) {
        return;
    }
    // The walk goes depth first: the shallowest folder is the one needed last. A folder that a
    // thread is reading from stays open.
    std::size_t shallowest = open.size();
    for (std::size_t i = 0; i < open.size(); ++i) {
        const OpenFolder* candidate = open[i];
        if (candidate != folder && candidate->depth > 0 && candidate->users == 0 &&
            (shallowest == open.size() || candidate->depth < open[shallowest]->depth)) {
            shallowest = i;
        }
    }
    if (shallowest < open.size()) {
        open[shallowest]->handle.Close();
        open[shallowest] = open.back();
        open.pop_back();
    }
}

void Walker::Release(OpenFolder* folder) {
    std::vector<OpenFolder*>& open = m_shared.open;
    const auto found = std::find(open.begin(), open.end(), folder);
    if (found != open.end()) {
        *found = open.back();
        open.pop_back();
    }
    folder->handle.Close();
}

void Walker::LeaveParent(OpenFolder* parent) {
    const std::lock_guard<std::mutex> hold(m_shared.openLock);
    parent->users -= 1;
    // Its last sub-folder is open: its descriptor is no longer needed. The root's stays open so
    // that folders closed early can always be opened again from it.
    if (--parent->pending == 0 && parent->depth > 0) {
        Release(parent);
    }
}

void Walker::EndListing(OpenFolder* folder) {
    const std::lock_guard<std::mutex> hold(m_shared.openLock);
    folder->users -= 1;
}

bool Walker::Reach(OpenFolder* folder, int* error) {
    std::vector<OpenFolder*> closed;
    OpenFolder* open = folder;
    for (; open != nullptr && !open->handle.IsOpen(); open = open->parent.get()) {
        closed.push_back(open);
    }
    if (open == nullptr) {
        return false;  // the root is never closed early; it failed to open
    }
    for (auto it = closed.rbegin(); it != closed.rend(); ++it) {
        OpenFolder* again = *it;
        if (!again->handle.Reopen(again->parent->handle, again->name)) {
            *error = again->handle.LastError();
            return false;
        }
        Register(again);
    }
    return true;
}

void Walker::MarkUnreadable(FolderRecord* record, const std::string& path, int error) {
    const FixedKeys& keys = Keys();
    // Other threads mark the same ancestors.
    const std::lock_guard<std::mutex> hold(m_shared.callbackLock);
    StoreStat(record, keys.err, kMissing, AttrValue(std::int32_t{kErrorHere}));
    for (FolderRecord* above = record->parent; above != nullptr; above = above->parent) {
        const std::int64_t marks = StatOf(above, keys.err, kMissing);
        if ((marks & kErrorBelow) != 0) {
            break;
        }
        StoreStat(above, keys.err, kMissing, AttrValue(static_cast<std::int32_t>(marks | kErrorBelow)));
    }
    if (m_control.unreadable) {
        m_control.unreadable(path.c_str(), platform::ErrorText(error).c_str());
    }
}

Reached Walker::Open(FolderTask& task,
                     const std::string& path,
                     platform::FolderHandle* handle,
                     platform::DirReader* reader,
                     std::shared_ptr<const LinkTarget>* links,
                     int* error) {
    OpenFolder* parent = task.parent.get();
    if (path.empty()) {
        return Reached::Refused;  // a root that does not exist
    }
    if ((task.entry.attributes & platform::kAttrReparsePoint) != 0) {
        std::string target;
        if (!MayEnterLink(path, links->get(), &target)) {
            return Reached::Refused;
        }
        *links = std::make_shared<const LinkTarget>(LinkTarget{std::move(target), *links});
    }
    if (m_control.beforeOpen) {
        const std::lock_guard<std::mutex> hold(m_shared.callbackLock);
        m_control.beforeOpen(path.c_str());
    }
    bool opened = false;
    if (parent == nullptr) {
        opened = handle->OpenRoot(path);
        m_shared.rootDevice = handle->Device();
    } else {
        bool reached = false;
        {
            // The parent counts this thread as a user until LeaveParent, so it stays open.
            const std::lock_guard<std::mutex> hold(m_shared.openLock);
            reached = Reach(parent, error);
        }
        if (!reached) {
            return Reached::Failed;
        }
        opened = handle->OpenChild(parent->handle, task.entry, path);
    }
    if (opened && parent != nullptr && SkipsFileSystem(handle->Device(), parent->handle.Device())) {
        handle->Close();
        return Reached::Skipped;
    }
    if (opened && reader->Open(*handle)) {
        return Reached::Listed;
    }
    *error = opened ? reader->LastError() : handle->LastError();
    const bool entered =
        parent != nullptr ? platform::CanEnterChild(parent->handle, task.entry, path) : platform::CanEnterFolder(path);
    handle->Close();
    return entered ? Reached::Entered : Reached::Failed;
}

void Walker::WriteCounts(FolderRecord* record, const DirEntry& own, bool listed) {
    const FixedKeys& keys = Keys();
    if (listed) {
        AppendInt64(record, keys.lfn, m_files);
        AppendInt64(record, keys.mfs, m_size);
        AppendInt64(record, keys.nfa, m_allocated);
        AppendInt64(record, keys.ofn, m_folders);
    }
    // The folder's own times come from its parent's listing, read before the folder itself was
    // listed: listing a folder may set its access time to now.
    const FileTime latest = m_latestAccess != 0 ? m_latestAccess : OwnAccessTime(own);
    AppendInt64(record, keys.elt, static_cast<std::int64_t>(latest));
    AppendInt64(record, keys.btm, static_cast<std::int64_t>(OwnCreationTime(own)));
    AppendInt32(record, keys.fca, m_temporary ? 1 : 0);
}

bool Walker::List(FolderTask& task,
                  const std::string& path,
                  platform::FolderHandle* handle,
                  platform::DirReader* reader,
                  std::shared_ptr<const LinkTarget> links,
                  int* error) {
    std::shared_ptr<OpenFolder> self;  // made for the first sub-folder
    m_listedPath = path;
    DirEntry listed;
    while (reader->Next(&listed)) {
        if (Cancelled(m_control)) {
            return false;
        }
        if ((listed.attributes & platform::kAttrDirectory) == 0) {
            CountFile(listed);
            continue;
        }
        FolderRecord* child = CreateRecord(task.record, listed.name.c_str());
        if (child == nullptr) {
            continue;  // skipped silently, not counted
        }
        m_folders += 1;
        if (self == nullptr) {
            self = std::make_shared<OpenFolder>(m_shared);
            self->parent = task.parent;
            self->name = task.entry.name;
            self->path = path;
            self->depth = task.parent != nullptr ? task.parent->depth + 1 : 0;
            self->handle = std::move(*handle);
            self->users = 1;  // the reader lists from its descriptor
            const std::lock_guard<std::mutex> hold(m_shared.openLock);
            Register(self.get());
        }
        self->pending += 1;  // no other thread sees it before the listing ends
        m_children.push_back(FolderTask{self, child, std::move(listed), links});
        listed = DirEntry();
    }
    if (reader->Failed()) {
        *error = reader->LastError();
    }
    reader->Close();
    if (self != nullptr) {
        EndListing(self.get());
    }
    return true;
}

bool Walker::Scan(FolderTask& task) {
    FolderRecord* record = task.record;
    if (!record->attrs.ShareNamesWith(m_shared.model)) {
        record->attrs.Reserve(FinalAttributeCount(m_filterKeys.size()));
    }
    OpenFolder* parent = task.parent.get();
    const std::string path =
        parent != nullptr ? platform::JoinPath(parent->path, task.entry.name) : platform::FullFolderPath(m_shared.rootPath);
    platform::FolderHandle handle;
    platform::DirReader& reader = m_reader;
    std::shared_ptr<const LinkTarget> links = task.links;
    int error = 0;
    if (parent != nullptr) {
        const std::lock_guard<std::mutex> hold(m_shared.openLock);
        parent->users += 1;
    }
    const Reached reached = Open(task, path, &handle, &reader, &links, &error);
    if (parent != nullptr) {
        LeaveParent(parent);
    }
    m_files = 0;
    m_size = parent == nullptr ? ReadStat(record, MFS) : 0;
    m_allocated = parent == nullptr ? ReadStat(record, NFA) : 0;
    m_folders = 0;
    m_latestAccess = 0;
    m_temporary = false;
    const bool entered = reached != Reached::Refused && reached != Reached::Failed;
    if (entered) {
        record->attrs.Append(Keys().alc, AttrValue(path.c_str()));
        if (Cancelled(m_control)) {
            return false;
        }
        if (ShowsPath()) {
            const std::lock_guard<std::mutex> hold(m_shared.callbackLock);
            m_control.progress(path.c_str(), true);
        }
    }
    const bool listed = reached == Reached::Listed || reached == Reached::Skipped;
    if (listed && m_filters != nullptr) {
        m_filters->ResetCounters();
    }
    if (reached == Reached::Listed && !List(task, path, &handle, &reader, links, &error)) {
        return false;
    }
    if (listed && m_filters != nullptr) {
        AppendFilterCounts(record);
    }
    WriteCounts(record, task.entry, listed);
    if (error != 0) {
        MarkUnreadable(record, path, error);
    }
    return true;
}

bool Walker::Stack() {
    try {
        m_shared.tasks.reserve(m_shared.tasks.size() + m_children.size());
    } catch (...) {
        return false;  // out of memory: the walk fails as a whole
    }
    // Depth first in listing order: the first sub-folder goes on top.
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        m_shared.tasks.push_back(std::move(*it));
    }
    return true;
}

bool Walker::Work() {
    for (;;) {
        FolderTask task;
        {
            std::unique_lock<std::mutex> hold(m_shared.taskLock);
            m_shared.taskReady.wait(hold, [this] {
                return m_shared.stop || !m_shared.tasks.empty() || m_shared.busy == 0;
            });
            if (m_shared.stop || m_shared.tasks.empty()) {
                m_shared.stop = true;  // nothing left and nobody scanning: the walk is done
                m_shared.taskReady.notify_all();
                return true;
            }
            task = std::move(m_shared.tasks.back());
            m_shared.tasks.pop_back();
            m_shared.busy += 1;
        }
        m_children.clear();
        bool scanned = false;
        try {
            scanned = Scan(task);
        } catch (...) {
            scanned = false;  // out of memory: the walk fails as a whole, like a cancelled one
        }
        task = FolderTask();  // lets go of the parent before the stack is touched
        const std::lock_guard<std::mutex> hold(m_shared.taskLock);
        m_shared.busy -= 1;
        if (scanned) {
            scanned = Stack();
        }
        if (!scanned) {
            m_children.clear();
            m_shared.stop = true;
            m_shared.taskReady.notify_all();
            return false;
        }
        if (!m_children.empty() || m_shared.busy == 0) {
            m_shared.taskReady.notify_all();
        }
    }
}

// A copy of `filters` with the same filters at the same positions, for one more thread; null
// when it cannot be made alike.
std::unique_ptr<FilterSet> CopyForThread(const FilterSet& filters) {
    auto copy = std::make_unique<FilterSet>();
    copy->SetEditing(true);
    FilterInfo info;
    for (int position = 1; filters.GetFilterAt(position, &info); ++position) {
        info.id = 0;  // numbered in order, so positions stay as they are
        if (copy->AddFilter(info) != position) {
            return nullptr;
        }
    }
    copy->SetEditing(false);
    copy->SetEnabled(filters.Enabled());
    return copy;
}

unsigned WalkThreads(unsigned wanted) {
    if (wanted == 0) {
        wanted = std::max(1u, std::thread::hardware_concurrency());
    }
    return std::min(wanted, kMaxWalkThreads);
}

// The walk on up to `control.threads` threads, the calling one included.
FolderRecord* Walk(Report* report, const char* path, FolderRecord* record, const ScanControl& control) {
    WalkShared shared(control);
    shared.rootPath = path;
    FilterSet* filters = ActiveFilters(report);
    BuildFolderModel(&shared.model, BuildFilterKeys(filters), CreatedValue(report).Type());
    FolderTask root;
    root.record = record;
    // The root's own times, read before the walk lists it (a drive root has none).
    if (!platform::StatPath(path, &root.entry)) {
        root.entry = DirEntry();
    }
    root.entry.attributes &= ~platform::kAttrReparsePoint;  // the chosen root is entered as named
    shared.tasks.push_back(std::move(root));

    std::vector<std::unique_ptr<FilterSet>> copies;
    std::vector<std::unique_ptr<Walker>> walkers;
    walkers.push_back(std::make_unique<Walker>(report, shared, filters));
    const unsigned threads = WalkThreads(control.threads);
    for (unsigned i = 1; i < threads; ++i) {
        std::unique_ptr<FilterSet> copy = filters != nullptr ? CopyForThread(*filters) : nullptr;
        if (filters != nullptr && copy == nullptr) {
            break;
        }
        walkers.push_back(std::make_unique<Walker>(report, shared, copy.get()));
        copies.push_back(std::move(copy));
    }
    std::vector<std::thread> helpers;
    helpers.reserve(walkers.size());  // so that only starting a thread can fail below
    std::atomic<bool> helperCancelled{false};
    for (std::size_t i = 1; i < walkers.size(); ++i) {
        try {
            Walker* walker = walkers[i].get();
            helpers.emplace_back([walker, &helperCancelled] {
                if (!walker->Work()) {
                    helperCancelled = true;
                }
            });
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the ones running share the work
        }
    }
    bool done = walkers.front()->Work();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    done = done && !helperCancelled;
    shared.tasks.clear();
    shared.open.clear();
    return done && !Cancelled(control) ? qv::Top(record) : nullptr;
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
            std::int64_t& sum = sums[i * 3 + code];
            sum = SaturatingAdd(sum, StatOf(child, m_filterKeys[i].ids[code], m_layout.FilterTotal(i, code)));
        }
    }
    const FixedKeys& keys = Keys();
    frame.files = SaturatingAdd(frame.files, StatOf(child, keys.lfn, m_layout.Fixed(0)));
    frame.size = SaturatingAdd(frame.size, StatOf(child, keys.mfs, m_layout.Fixed(1)));
    frame.allocated = SaturatingAdd(frame.allocated, StatOf(child, keys.nfa, m_layout.Fixed(2)));
    frame.folders = SaturatingAdd(frame.folders, StatOf(child, keys.ofn, m_layout.Fixed(3)));
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
    return Walk(report, path, record, control);
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
