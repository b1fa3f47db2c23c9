// The folder info panel's texts and filter rows.
#include "view/InfoPanelText.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "view/FolderSelection.h"
#include "view/Formatters.h"

namespace qv {

namespace {

constexpr std::size_t kMaxPathBytes = 511;

std::string Printf(const char* format, auto... args) {
    char buffer[1024];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    return n > 0 ? std::string(buffer) : std::string();
}

std::string NumberAndUnit(std::int64_t bytes) {
    std::string number;
    std::string unit;
    FormatSize(bytes, &number, &unit);
    return number + " " + unit;
}

int Sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

int CompareTexts(const std::string& a, const std::string& b, TextComparison compareText) {
    return Sign(compareText != nullptr ? compareText(a.c_str(), b.c_str()) : std::strcmp(a.c_str(), b.c_str()));
}

// Larger first; ties fall back to the name, which is never turned around.
int CompareAmounts(std::int64_t a, std::int64_t b, int nameOrder, bool reversed) {
    if (a == b) {
        return nameOrder;
    }
    const int order = a < b ? 1 : -1;
    return reversed ? -order : order;
}

}  // namespace

bool InfoControlVisible(InfoControlGroup group, bool hasRecord, bool filesItem, bool filterListShown) {
    if (!hasRecord) {
        return false;
    }
    switch (group) {
        case InfoControlGroup::HiddenCheckBox:
            return false;
        case InfoControlGroup::FolderOnly:
            return !filesItem;
        case InfoControlGroup::FilterBlock:
            return filterListShown;
        case InfoControlGroup::Always:
            break;
    }
    return true;
}

std::string ClusterText(const ClusterPolicy* policy) {
    if (policy == nullptr) {
        return "not used";
    }
    if (policy->compressedForAll != 0) {
        return "n/a";
    }
    if (policy->ignoreCompression == 0 || policy->clusterShift < 0 || policy->clusterShift > 62) {
        return "not used";
    }
    const std::int64_t clusterSize = std::int64_t{1} << policy->clusterShift;
    return Printf(policy->automatic != 0 ? "auto: %" PRId64 " bytes" : "user: %" PRId64 " bytes", clusterSize);
}

std::string SizeText(std::int64_t bytes) {
    if (bytes <= 0) {
        return "0";
    }
    std::string number;
    std::string unit;
    if (FormatSize(bytes, &number, &unit) == kUnitBytes) {
        return number + " " + unit;
    }
    return number + " " + unit + " (" + FormatGroupedNumber(bytes) + ")";
}

std::string UsedSpaceText(std::int64_t allocated) {
    return allocated > 0 ? NumberAndUnit(allocated) : "0";
}

std::string CountText(std::int64_t count) {
    return count != 0 ? Printf("%" PRId64, count) : "none";
}

std::string CreationText(std::uint64_t fileTime) {
    std::string date;
    if (!FormatDate(fileTime, &date)) {
        return "[unknown]";
    }
    std::string time;
    FormatTime(fileTime, &time);
    return date + " at " + time;
}

std::string LastAccessText(std::uint64_t fileTime) {
    std::string date;
    return FormatDate(fileTime, &date) ? date : std::string();
}

bool HasNotes(FolderRecord* record) {
    const char* text = ReadText(record, notes);
    return text != nullptr && *text != '\0';
}

InfoTexts DescribeFolder(FolderRecord* record, const ClusterPolicy* policy) {
    InfoTexts texts;
    if (record == nullptr) {
        return texts;
    }
    const char* created = ReadText(record, DRM);
    if (created != nullptr && *created != '\0') {
        texts.reportCreated = Printf("Created %s", created);
    }
    texts.name = record->desc != nullptr ? record->desc : "";
    const char* path = ReadText(record, ALC);
    texts.fullPath = path != nullptr ? std::string(path, strnlen(path, kMaxPathBytes)) : std::string();
    texts.isRoot = record->parent == nullptr;
    texts.secondLabel = texts.isRoot ? kClusterLabel : kFullPathLabel;
    texts.secondValue = texts.isRoot ? ClusterText(policy) : texts.fullPath;
    texts.size = SizeText(ReadStatLenient(record, MFS));
    texts.usedSpace = UsedSpaceText(ReadStatLenient(record, NFA));
    texts.files = CountText(ReadStatLenient(record, LFN));
    if (const char* mark = ErrorMarkText(record)) {
        texts.files += std::string(" (") + mark + ")";
    }
    texts.folders = CountText(ReadStatLenient(record, OFN));
    texts.created = CreationText(static_cast<std::uint64_t>(ReadStatLenient(record, BTM)));
    texts.lastAccessed = LastAccessText(static_cast<std::uint64_t>(ReadStatLenient(record, ELT)));
    return texts;
}

std::vector<FilterRow> BuildFilterRows(const FilterSet& filters, FolderRecord* record) {
    std::vector<FilterRow> rows;
    FilterInfo info;
    for (int position = 1; filters.GetFilterAt(position, &info); ++position) {
        FilterRow row;
        row.id = info.id;
        row.name = Printf("%02ld. %s", static_cast<long>(info.id), info.name.c_str());
        if (info.temporary) {
            row.name += " [temp]";
        }
        row.allocated = ReadStat(record, FilterKey(kFilterAllocated, info.name).c_str());
        row.files = ReadStat(record, FilterKey(kFilterFiles, info.name).c_str());
        row.space = row.allocated > 0 ? NumberAndUnit(row.allocated) : "-";
        row.count = row.files > 0 ? Printf("%" PRId64, row.files) : "-";
        rows.push_back(std::move(row));
    }
    return rows;
}

int CompareFilterRows(const FilterRow& a, const FilterRow& b, int mode, TextComparison compareText) {
    const bool reversed = (mode & kRowSortReversed) != 0;
    switch (mode & 15) {
        case kRowSortName: {
            const int order = CompareTexts(a.name, b.name, compareText);
            return reversed ? -order : order;
        }
        case kRowSortSpace:
            return CompareAmounts(a.allocated, b.allocated, CompareTexts(a.name, b.name, compareText), reversed);
        case kRowSortCount:
            return CompareAmounts(a.files, b.files, CompareTexts(a.name, b.name, compareText), reversed);
        default:
            return 0;
    }
}

std::vector<int> SortedRowOrder(const std::vector<FilterRow>& rows, int mode, TextComparison compareText) {
    std::vector<int> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<int>(i);
    }
    // Row names start with the unique filter id, so every mode is a total order and any correct
    // sort gives the same result; a stable sort keeps a hostile file's duplicates in file order.
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return CompareFilterRows(rows[a], rows[b], mode, compareText) == -1; });
    return order;
}

int RowSortAfterHeaderClick(int mode, int column) {
    static constexpr int kColumnBits[] = {kRowSortName, kRowSortSpace, kRowSortCount};
    if (column < 0 || column > 2) {
        return mode;
    }
    const int bit = kColumnBits[column];
    return (mode & 15) == bit ? (mode ^ kRowSortReversed) : bit;
}

int DisplayRowOfFilter(const std::vector<FilterRow>& rows, const std::vector<int>& order, std::int32_t id) {
    for (std::size_t position = 0; position < order.size(); ++position) {
        if (rows[order[position]].id == id) {
            return static_cast<int>(position);
        }
    }
    return -1;
}

}  // namespace qv
