// The filtered files browser's engine: building the folder lists from a report, scanning one
// folder, sorting, the figures and the guarded deletes.
#include "view/FilterBrowserModel.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "view/Formatters.h"

namespace qv {

namespace {

constexpr const char* kCannotDelete =
    "Files cannot be deleted\nMake sure the disk is not full or write-protected\nand that the files are not "
    "currently in use";
constexpr const char* kNotAllDeleted =
    "Not all files has been deleted\nMake sure the disk is not full or write-protected\nand that the files are not "
    "currently in use";

// The interned ids of the keys the walk reads, so each lookup compares numbers, not names.
struct WalkKeys {
    explicit WalkKeys(const FilterStatKeys& keys)
        : total(InternAttrName(keys.total.c_str())),
          own(InternAttrName(keys.own.c_str())),
          totalAllocated(InternAttrName(keys.totalAllocated.c_str())),
          ownAllocated(InternAttrName(keys.ownAllocated.c_str())),
          path(InternAttrName(ALC)) {}
    std::uint32_t total;
    std::uint32_t own;
    std::uint32_t totalAllocated;
    std::uint32_t ownAllocated;
    std::uint32_t path;
};

AttrView ValueById(const FolderRecord* record, std::uint32_t id) {
    const AttrList& attrs = record->attrs;
    for (std::size_t i = 0; id != 0 && i < attrs.Count(); ++i) {
        if (attrs.NameIdAt(i) == id) {
            return attrs.Entry(i).value;
        }
    }
    return AttrView();
}

std::int64_t StatById(const FolderRecord* record, std::uint32_t id) {
    return ValueById(record, id).AsInt64();
}

std::string TextById(const FolderRecord* record, std::uint32_t id) {
    const char* text = ValueById(record, id).AsText();
    return text != nullptr ? text : "";
}

platform::FileTime ModifiedTime(const platform::DirEntry& entry) {
    if (entry.lastWrite != 0) {
        return entry.lastWrite;
    }
    return entry.creation != 0 ? entry.creation : entry.lastAccess;
}

std::string SizeWithUnit(std::int64_t bytes) {
    std::string number;
    std::string unit;
    FormatSize(bytes, &number, &unit);
    return number + " " + unit;
}

// Sorts `order` by `key`: names ascending (descending when reversed); numbers largest first
// (smallest first when reversed) with equal numbers by name ascending either way. Names compare
// by their sort keys.
template <typename KeyOf, typename NumberOf>
void SortOrder(std::vector<int>* order, int key, KeyOf sortKey, NumberOf number) {
    const int column = key & 15;
    const bool reversed = (key & kBrowserSortReversed) != 0;
    if (column == kBrowserSortName) {
        std::stable_sort(order->begin(), order->end(),
                         [&](int a, int b) { return reversed ? sortKey(b) < sortKey(a) : sortKey(a) < sortKey(b); });
    } else if (column == kBrowserSortSize || column == kBrowserSortTime) {
        std::stable_sort(order->begin(), order->end(), [&](int a, int b) {
            const std::int64_t x = number(a, column);
            const std::int64_t y = number(b, column);
            if (x != y) {
                return reversed ? x < y : x > y;
            }
            return sortKey(a) < sortKey(b);
        });
    }
}

}  // namespace

int BrowserSortAfterClick(int key, int column) {
    static constexpr int kColumnBits[] = {kBrowserSortName, kBrowserSortSize, kBrowserSortTime};
    if (column < 0 || column > 2) {
        return key;
    }
    return (key & 15) == kColumnBits[column] ? (key ^ kBrowserSortReversed) : kColumnBits[column];
}

FilterStatKeys StatKeysOf(const std::string& filterName) {
    return {FilterKey(kFilterFiles, filterName), FilterKey(kFilterDirectFiles, filterName),
            FilterKey(kFilterAllocated, filterName), FilterKey(kFilterDirectAllocated, filterName)};
}

bool FilterBrowserModel::Open(const FilterSet* reportFilters,
                              std::int32_t filterId,
                              FolderRecord* start,
                              const ClusterPolicy* policy,
                              const std::string& rootPath) {
    m_folders.clear();
    m_entries.clear();
    if (reportFilters == nullptr || !reportFilters->Enabled() || start == nullptr ||
        !reportFilters->FindById(filterId, &m_filter)) {
        return false;
    }
    m_set.Clear();
    m_set.SetEditing(true);
    m_set.AddFilter(m_filter);
    m_set.SetEditing(false);
    if (policy != nullptr) {
        m_policy = *policy;
    } else {
        m_policy = ClusterPolicy();
        m_policy.Compute(rootPath, 0);
    }
    const char* startPath = ReadText(start, ALC);
    m_startPath = startPath != nullptr ? startPath : "";
    Build(start);
    return !m_entries.empty();
}

void FilterBrowserModel::Build(FolderRecord* start) {
    const WalkKeys keys(StatKeysOf(m_filter.name));
    const std::int64_t limit = StatById(start, keys.total);
    std::int64_t listed = 0;
    // One level of the walk: the next sibling to visit and the item they hang under.
    struct Level {
        FolderRecord* next;
        int parent;
        int lastChild;
    };
    std::vector<Level> levels;
    // Adds the folder's item (and line) unless it has no files of the filter; true when the walk
    // goes on into its sub-folders.
    auto visit = [&](FolderRecord* node, Level* level) {
        const std::int64_t total = StatById(node, keys.total);
        if (total == 0) {
            return false;
        }
        const int item = static_cast<int>(m_folders.size());
        BrowserFolder& folder = m_folders.emplace_back();
        folder.title = node->name != nullptr ? node->name : "";
        folder.path = TextById(node, keys.path);
        folder.ownCount = StatById(node, keys.own);
        folder.totalAllocated = StatById(node, keys.totalAllocated);
        if (level != nullptr) {
            folder.parent = level->parent;
            (level->lastChild < 0 ? m_folders[static_cast<std::size_t>(level->parent)].firstChild
                                  : m_folders[static_cast<std::size_t>(level->lastChild)].nextSibling) = item;
            level->lastChild = item;
        }
        if (folder.ownCount != 0) {
            folder.entry = static_cast<int>(m_entries.size());
            BrowserEntry& entry = m_entries.emplace_back();
            entry.path = folder.path;
            entry.sortKey = platform::NameSortKey(entry.path);
            entry.count = folder.ownCount;
            entry.space = StatById(node, keys.ownAllocated);
            entry.treeItem = item;
            listed += folder.ownCount;
        }
        if (listed >= limit) {
            levels.clear();  // every file of the start folder is accounted for
            return false;
        }
        if (total - folder.ownCount != 0) {
            levels.push_back({node->firstChild, item, -1});
        }
        return true;
    };
    if (limit <= 0 || !visit(start, nullptr)) {
        return;
    }
    while (!levels.empty()) {
        Level& level = levels.back();
        FolderRecord* node = level.next;
        if (node == nullptr) {
            levels.pop_back();
            continue;
        }
        level.next = node->nextSibling;
        if (node->group != 1) {  // a files item stands for files its parent already listed
            visit(node, &levels.back());
        }
    }
}

std::int64_t FilterBrowserModel::ScanEntry(int index) {
    BrowserEntry& entry = m_entries[static_cast<std::size_t>(index)];
    entry.files.clear();
    entry.count = entry.bytes = entry.space = 0;
    entry.scanned = true;
    m_set.ResetCounters();
    platform::DirReader reader;
    if (!reader.Open(entry.path)) {
        entry.finalPath.clear();
        return 0;
    }
    entry.finalPath = platform::ResolveFinalPath(entry.path);
    platform::DirEntry listed;
    std::string folded;
    while (reader.Next(&listed)) {
        if ((listed.attributes & platform::kAttrDirectory) != 0) {
            continue;
        }
        std::string path = platform::JoinPath(entry.path, listed.name);
        const bool compressed = (listed.attributes & platform::kAttrCompressed) != 0;
        const std::int64_t allocated = AllocatedSize(&m_policy, listed.size, compressed, path);
        folded = listed.name;  // matching folds the name in place
        if (!m_set.MatchFile(folded.data(), listed.size, allocated, nullptr)) {
            continue;
        }
        BrowserFile& file = entry.files.emplace_back();
        file.name = m_host != nullptr ? m_host->DisplayName(path, listed.name) : listed.name;
        file.sortKey = platform::NameSortKey(file.name);
        file.fileName = std::move(listed.name);
        file.path = std::move(path);
        file.size = listed.size;
        file.allocated = allocated;
        file.modified = ModifiedTime(listed);
        entry.bytes += file.size;
        entry.space += file.allocated;
    }
    entry.count = static_cast<std::int64_t>(entry.files.size());
    return entry.count;
}

void FilterBrowserModel::EnsureScanned(int index) {
    if (index >= 0 && index < static_cast<int>(m_entries.size()) && !Entry(index).scanned) {
        ScanEntry(index);
    }
}

void FilterBrowserModel::RescanAll() {
    for (int i = 0; i < static_cast<int>(m_entries.size()); ++i) {
        ScanEntry(i);
    }
}

std::vector<int> FilterBrowserModel::FileOrder(int entry, int key) const {
    const std::vector<BrowserFile>& files = Entry(entry).files;
    std::vector<int> order(files.size());
    std::iota(order.begin(), order.end(), 0);
    SortOrder(
        &order, key, [&](int i) -> const std::string& { return files[static_cast<std::size_t>(i)].sortKey; },
        [&](int i, int column) {
            const BrowserFile& file = files[static_cast<std::size_t>(i)];
            return column == kBrowserSortSize ? file.size : static_cast<std::int64_t>(file.modified);
        });
    return order;
}

std::vector<int> FilterBrowserModel::EntryOrder(int key) const {
    std::vector<int> order(m_entries.size());
    std::iota(order.begin(), order.end(), 0);
    SortOrder(
        &order, key, [&](int i) -> const std::string& { return Entry(i).sortKey; },
        [&](int i, int column) { return column == kBrowserSortSize ? Entry(i).count : Entry(i).space; });
    return order;
}

BrowserFigures FilterBrowserModel::Figures(int entry, int folder) const {
    BrowserFigures figures;
    const bool hasEntry = entry >= 0 && entry < static_cast<int>(m_entries.size());
    if (folder >= 0 && folder < static_cast<int>(m_folders.size())) {
        figures.space = SizeWithUnit(m_folders[static_cast<std::size_t>(folder)].totalAllocated);
    } else if (hasEntry) {
        figures.space = SizeWithUnit(Entry(entry).space);
    }
    if (hasEntry) {
        figures.count = std::to_string(Entry(entry).count);
        figures.bytes = FormatGroupedNumber(Entry(entry).bytes);
    }
    return figures;
}

std::vector<std::string> FilterBrowserModel::DeletablePaths(int entry,
                                                            const std::vector<int>& files,
                                                            int* refused) const {
    std::vector<std::string> paths;
    *refused = 0;
    if (entry < 0 || entry >= static_cast<int>(m_entries.size())) {
        return paths;
    }
    const BrowserEntry& listed = Entry(entry);
    // A folder replaced by a link (or moved away) since the scan would lead elsewhere.
    const bool folderSame = Temporary() && listed.scanned && !listed.finalPath.empty() &&
                            platform::ResolveFinalPath(listed.path) == listed.finalPath;
    for (const int index : files) {
        platform::DirEntry now;
        const bool known = index >= 0 && index < static_cast<int>(listed.files.size());
        if (folderSame && known && platform::StatPath(listed.files[static_cast<std::size_t>(index)].path, &now) &&
            (now.attributes & (platform::kAttrDirectory | platform::kAttrReparsePoint)) == 0) {
            paths.push_back(listed.files[static_cast<std::size_t>(index)].path);
        } else {
            ++*refused;
        }
    }
    return paths;
}

void FilterBrowserModel::DeleteListed(int entry, const std::vector<int>& files, bool quiet) {
    int refused = 0;
    const std::vector<std::string> paths = DeletablePaths(entry, files, &refused);
    if (paths.empty()) {
        m_host->Ask(kCannotDelete, "Files cannot be deleted", kAskOk);
    } else {
        const BrowserHost::DeleteOutcome outcome = m_host->Delete(paths, quiet, true, m_destroy);
        if (outcome.succeeded && refused > 0 && !outcome.aborted) {
            m_host->Ask(kNotAllDeleted, "Not all files deleted", kAskOk);
        }
    }
    ScanEntry(entry);
}

void FilterBrowserModel::DeleteFiles(int entry, const std::vector<int>& files) {
    if (!Temporary() || entry < 0 || entry >= static_cast<int>(m_entries.size())) {
        return;
    }
    if (files.empty()) {
        m_host->Ask("Select one or more items in list", "No items selected", kAskOk);
        return;
    }
    DeleteListed(entry, files, false);
}

void FilterBrowserModel::DeleteAllFiles(int entry) {
    if (!Temporary() || entry < 0 || entry >= static_cast<int>(m_entries.size()) || Entry(entry).files.empty()) {
        return;
    }
    std::vector<int> all(Entry(entry).files.size());
    std::iota(all.begin(), all.end(), 0);
    DeleteListed(entry, all, true);
}

void FilterBrowserModel::DeleteFolderFiles(const std::vector<int>& entries) {
    if (!Temporary()) {
        return;
    }
    if (entries.empty()) {
        m_host->Ask("Select one or more items in folder list", "No items selected", kAskOk);
        return;
    }
    char question[160];
    if (entries.size() == 1) {
        std::snprintf(question, sizeof question,
                      "This operation will delete all files by mask in selected folder.\n"
                      "Proceed?");
    } else {
        std::snprintf(question, sizeof question,
                      "This operation will delete all files by mask in %ld selected folders.\nProceed?",
                      static_cast<long>(entries.size()));
    }
    if (m_host->Ask(question, "Deletion of folder files", kAskYesNo) != kAnsweredYes) {
        return;
    }
    for (const int entry : entries) {
        if (entry < 0 || entry >= static_cast<int>(m_entries.size())) {
            continue;
        }
        ScanEntry(entry);
        std::vector<int> all(Entry(entry).files.size());
        std::iota(all.begin(), all.end(), 0);
        int refused = 0;
        const std::vector<std::string> paths = DeletablePaths(entry, all, &refused);
        if (!paths.empty()) {
            m_host->Delete(paths, true, false, m_destroy);
        }
        ScanEntry(entry);
    }
}

std::vector<std::string> FilterBrowserModel::FilesToOpen(int entry, const std::vector<int>& files) {
    std::vector<std::string> paths;
    if (entry < 0 || entry >= static_cast<int>(m_entries.size())) {
        return paths;
    }
    for (const int index : files) {
        if (index >= 0 && index < static_cast<int>(Entry(entry).files.size())) {
            paths.push_back(Entry(entry).files[static_cast<std::size_t>(index)].path);
        }
    }
    if (paths.size() > 1) {
        const int answer =
            m_host->Ask("There is more than one file selected. Would you like to open ALL SELECTED files?",
                        "More than one file selected", kAskYesNoCancel);
        if (answer == kAnsweredNo) {
            paths.resize(1);
        } else if (answer != kAnsweredYes) {
            paths.clear();
        }
    }
    return paths;
}

}  // namespace qv
