// The flat list of a difference tree: rows, cells, sorting and the tree view's colours.
#include "view/DifferenceList.h"

#include <algorithm>
#include <unordered_map>

#include "platform/Platform.h"

namespace qv {

namespace {

const char* PathOf(DifferenceNode* node) {
    const char* path = ReadText(node, ALC);
    return path != nullptr ? path : "";
}

int StatusRank(DifferenceNode* node) {
    if ((node->kind & kDiffDeleted) != 0) {
        return 3;
    }
    if ((node->kind & kDiffCreated) != 0) {
        return 2;
    }
    return (node->kind & kDiffDirectFiles) != 0 ? 1 : 0;
}

std::string ChangeCell(DifferenceNode* node, std::int32_t bit, const char* key) {
    const std::int64_t value = ReadStat(node, key);
    if ((node->kind & bit) == 0 || value == 0) {
        return "-";
    }
    return FormatSizeChange(value);
}

int Sign(std::int64_t value) {
    return value > 0 ? 1 : (value < 0 ? -1 : 0);
}

// Larger first.
int CompareDescending(std::int64_t a, std::int64_t b) {
    return a > b ? -1 : (a < b ? 1 : 0);
}

}  // namespace

bool HasDifferenceRow(DifferenceNode* node) {
    return node != nullptr && node->kind != kDiffBelow && node->kind != (kDiffBelow | kDiffTotalSize);
}

std::vector<DifferenceRow> BuildDifferenceRows(DifferenceNode* root) {
    std::vector<DifferenceRow> rows;
    if (root == nullptr) {
        return rows;
    }
    const std::string rootPath = PathOf(root);
    // A root path that ends in a separator (a drive root, or a report opened from a file) gives
    // its separator to the rows, so they read ".\Docs" whichever form the root has.
    std::size_t kept = rootPath.size();
    if (kept > 0 && (rootPath.back() == '\\' || rootPath.back() == '/')) {
        --kept;
    }
    // Pre-order from the root's first child with its following siblings, or the root alone.
    std::vector<DifferenceNode*> pending;
    if (root->firstChild == nullptr) {
        pending.push_back(root);
    } else {
        for (DifferenceNode* child = root->lastChild; child != nullptr; child = child->prevSibling) {
            pending.push_back(child);
        }
    }
    while (!pending.empty()) {
        DifferenceNode* node = pending.back();
        pending.pop_back();
        if (HasDifferenceRow(node)) {
            const std::string path = PathOf(node);
            std::string cell = path.size() > rootPath.size() ? "." + path.substr(kept) : "*";
            node->attrs.Set(kDiffListRefKey, AttrValue(cell.c_str()), true);
            rows.push_back({node, std::move(cell)});
        }
        for (DifferenceNode* child = node->lastChild; child != nullptr; child = child->prevSibling) {
            pending.push_back(child);
        }
    }
    return rows;
}

std::string DifferenceStatus(DifferenceNode* node) {
    switch (StatusRank(node)) {
        case 3:
            return "deleted";
        case 2:
            return "created";
        case 1:
            return "size";
        default:
            return node->kind != 0 ? "subf" : " ";
    }
}

std::string DifferenceFilesCell(DifferenceNode* node) {
    return ChangeCell(node, kDiffDirectFiles, kDiffFilesSizeKey);
}

std::string DifferenceSumCell(DifferenceNode* node) {
    return ChangeCell(node, kDiffTotalSize, kDiffSizeKey);
}

std::string DifferenceCell(const DifferenceRow& row, int column) {
    switch (column) {
        case 0:
            return row.path;
        case 1:
            return DifferenceStatus(row.node);
        case 2:
            return DifferenceFilesCell(row.node);
        case 3:
            return DifferenceSumCell(row.node);
        default:
            return {};
    }
}

int CompareDifferenceRows(const DifferenceRow& a, const DifferenceRow& b, int mode, const TextOrder& compareNames) {
    const bool reversed = (mode & kDiffSortReversed) != 0;
    const auto byPath = [&] { return Sign(compareNames(PathOf(a.node), PathOf(b.node))); };
    int primary = 0;
    if ((mode & kDiffSortPath) != 0) {
        primary = byPath();
    } else if ((mode & kDiffSortStatus) != 0) {
        primary = CompareDescending(StatusRank(a.node), StatusRank(b.node));
        if (primary == 0) {
            return Sign(
                compareNames(a.node->name != nullptr ? a.node->name : "", b.node->name != nullptr ? b.node->name : ""));
        }
    } else if ((mode & (kDiffSortFiles | kDiffSortSum)) != 0) {
        const char* key = (mode & kDiffSortFiles) != 0 ? kDiffFilesSizeKey : kDiffSizeKey;
        primary = CompareDescending(ReadStat(a.node, key), ReadStat(b.node, key));
        if (primary == 0) {
            return byPath();
        }
    }
    return reversed ? -primary : primary;
}

void SortDifferenceRows(std::vector<DifferenceRow>* rows, int mode, const TextOrder& compareNames) {
    std::stable_sort(rows->begin(), rows->end(), [mode, &compareNames](const DifferenceRow& a, const DifferenceRow& b) {
        return CompareDifferenceRows(a, b, mode, compareNames) < 0;
    });
}

void SortDifferenceRows(std::vector<DifferenceRow>* rows, int mode) {
    // Keys made once per text: sorting a hundred thousand paths then compares bytes, not texts
    // through the system each time. The texts compared are the nodes' own, which stay in place
    // while the rows move.
    std::unordered_map<const char*, std::string> keys;
    const auto keyOf = [&keys](const char* text) -> const std::string& {
        auto [entry, added] = keys.try_emplace(text);
        if (added) {
            entry->second = platform::NameSortKey(text);
        }
        return entry->second;
    };
    SortDifferenceRows(rows, mode, [&keyOf](const char* a, const char* b) { return keyOf(a).compare(keyOf(b)); });
}

int DifferenceSortAfterClick(int mode, int column) {
    if (column < 0 || column > 3) {
        return mode;
    }
    const int bit = 1 << column;
    return (mode & 15) == bit ? mode ^ kDiffSortReversed : bit;
}

std::uint32_t DifferenceTextColour(DifferenceNode* node) {
    if (node == nullptr || node->kind == kDiffBelow || node->kind == (kDiffBelow | kDiffTotalSize)) {
        return 0;
    }
    if ((node->kind & kDiffDeleted) != 0) {
        return kDiffDeletedColour;
    }
    if ((node->kind & kDiffCreated) != 0) {
        return kDiffCreatedColour;
    }
    return (node->kind & kDiffTotalSize) != 0 ? kDiffSizeColour : 0;
}

int RowOfNode(const std::vector<DifferenceRow>& rows, DifferenceNode* node) {
    const char* listRef = nullptr;
    for (; node != nullptr && listRef == nullptr; node = node->firstChild) {
        listRef = ReadText(node, kDiffListRefKey);
    }
    if (listRef == nullptr) {
        return -1;
    }
    for (std::size_t index = 0; index < rows.size(); ++index) {
        if (rows[index].path == listRef) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

}  // namespace qv
