// "Show folders" criteria, sibling order, the populate rule and the settings that drive them.
#include "view/FolderSelection.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "view/Formatters.h"

namespace qv {

namespace {

constexpr std::int64_t kMaxThresholdKb = std::numeric_limits<std::int64_t>::max() / 1024;

// -1, 0 or 1 for two 64-bit values where the larger goes first.
int Descending(std::int64_t a, std::int64_t b) {
    return a > b ? -1 : (a < b ? 1 : 0);
}

int CompareByName(FolderRecord* a, FolderRecord* b, NameComparison compareNames) {
    const char* nameA = a->name != nullptr ? a->name : "";
    const char* nameB = b->name != nullptr ? b->name : "";
    return compareNames != nullptr ? compareNames(nameA, nameB) : CompareNamesIgnoringCase(nameA, nameB);
}

// The next folder after `node` in pre-order that stays inside `root`'s sub-tree, skipping the
// children of `node` when `descend` is false; null when the walk is over.
FolderRecord* NextInSubtree(FolderRecord* node, FolderRecord* root, bool descend) {
    if (descend && node->firstChild != nullptr) {
        return node->firstChild;
    }
    while (node != root && node->nextSibling == nullptr) {
        node = node->parent;
    }
    return node == root ? nullptr : node->nextSibling;
}

}  // namespace

std::int64_t ReadStatLenient(FolderRecord* record, const char* key) {
    if (record == nullptr) {
        return 0;
    }
    const AttrView value = record->attrs.Get(key);
    if (value.Type() == 's' || value.Type() == 'f') {
        const char* text = value.AsText();
        return text != nullptr ? std::strtoll(text, nullptr, 10) : 0;
    }
    return value.AsInt64();
}

bool MatchesShowMode(const TreeViewOptions& options, FolderRecord* record) {
    if (record == nullptr) {
        return false;
    }
    switch (options.showMode) {
        case ShowTemporary:
            return record->attrs.Get(FCA).AsLenientInt() != 0;
        case ShowLargerThan:
            return ReadStatLenient(record, NFA) >= options.sizeThreshold;
        case ShowNotAccessed: {
            const auto access = static_cast<platform::FileTime>(ReadStatLenient(record, ELT));
            return access != 0 && access <= options.accessCutoff;
        }
        default:
            return true;
    }
}

bool DescribeShowMode(const TreeViewOptions& options, int mode, char* out) {
    std::string number;
    std::string unit;
    switch (mode) {
        case ShowAll:
            std::snprintf(out, kShowModeTextSize, "all");
            break;
        case ShowTemporary:
            std::snprintf(out, kShowModeTextSize, "containing temporary items");
            break;
        case ShowLargerThan:
            FormatSize(options.sizeThreshold, &number, &unit);
            std::snprintf(out, kShowModeTextSize, "greater %s %s", number.c_str(), unit.c_str());
            break;
        case ShowNotAccessed:
            FormatAge(options.age, &number, &unit);
            std::snprintf(out, kShowModeTextSize, "last accessed %s %s ago", number.c_str(), unit.c_str());
            break;
        default:
            out[0] = '\0';
            break;
    }
    return true;
}

std::vector<std::string> ShowModeEntries(const TreeViewOptions& options) {
    std::vector<std::string> entries;
    char text[kShowModeTextSize];
    for (int mode = 0; DescribeShowMode(options, mode, text) && text[0] != '\0'; ++mode) {
        entries.emplace_back(text);
    }
    return entries;
}

const std::vector<std::string>& SortModeEntries() {
    static const std::vector<std::string> entries = {"name", "size", "creation date", "last access date"};
    return entries;
}

SortMode SortModeForEntry(int entry) {
    return entry >= SortBySize && entry <= SortByAccess ? static_cast<SortMode>(entry) : SortByName;
}

bool SetShowMode(TreeViewOptions* options, int mode) {
    if (mode < ShowAll || mode > ShowNotAccessed) {
        return false;
    }
    options->showMode = mode;
    return true;
}

std::int64_t SetSizeThresholdKb(TreeViewOptions* options, std::int64_t kilobytes) {
    if (kilobytes > 0) {
        options->sizeThreshold = (kilobytes > kMaxThresholdKb ? kMaxThresholdKb : kilobytes) * 1024;
    }
    return options->sizeThreshold;
}

std::int32_t SetAgeDays(TreeViewOptions* options, std::int32_t days) {
    if (days > 0) {
        options->age = days;
        options->UpdateAccessCutoff();
    }
    return options->age;
}

int CompareNamesIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(*a);
        unsigned char cb = static_cast<unsigned char>(*b);
        ca = (ca >= 'A' && ca <= 'Z') ? static_cast<unsigned char>(ca + ('a' - 'A')) : ca;
        cb = (cb >= 'A' && cb <= 'Z') ? static_cast<unsigned char>(cb + ('a' - 'A')) : cb;
        if (ca != cb || ca == '\0') {
            return ca < cb ? -1 : (ca > cb ? 1 : 0);
        }
    }
}

int CompareFolders(FolderRecord* a, FolderRecord* b, int mode, NameComparison compareNames) {
    if (a == nullptr || b == nullptr) {
        return 0;
    }
    switch (mode) {
        case SortByName:
            return CompareByName(a, b, compareNames);
        case SortBySize: {
            const int byAllocated = Descending(ReadStatLenient(a, NFA), ReadStatLenient(b, NFA));
            return byAllocated != 0 ? byAllocated : Descending(ReadStatLenient(a, MFS), ReadStatLenient(b, MFS));
        }
        case SortByCreated:
            return Descending(ReadStatLenient(a, BTM), ReadStatLenient(b, BTM));
        case SortByAccess:
            return Descending(ReadStatLenient(a, ELT), ReadStatLenient(b, ELT));
        default:
            return 0;
    }
}

namespace {

// Whether a folder below the root appears under the options' show mode (mode 0 tests nothing).
bool IsShown(const TreeViewOptions& options, FolderRecord* record) {
    return options.showMode == ShowAll || MatchesShowMode(options, record);
}

}  // namespace

std::vector<FolderRecord*> ShownFolders(FolderRecord* root, const TreeViewOptions& options) {
    std::vector<FolderRecord*> shown;
    if (root == nullptr) {
        return shown;
    }
    shown.push_back(root);
    for (FolderRecord* node = NextInSubtree(root, root, true); node != nullptr;) {
        const bool qualifies = IsShown(options, node);
        if (qualifies) {
            shown.push_back(node);
        }
        node = NextInSubtree(node, root, qualifies);
    }
    return shown;
}

std::vector<FolderRecord*> ShownFoldersSorted(FolderRecord* root,
                                              const TreeViewOptions& options,
                                              int sortMode,
                                              NameComparison compareNames) {
    std::vector<FolderRecord*> shown;
    std::vector<FolderRecord*> pending;
    if (root != nullptr) {
        pending.push_back(root);
    }
    while (!pending.empty()) {
        FolderRecord* node = pending.back();
        pending.pop_back();
        shown.push_back(node);
        const std::vector<FolderRecord*> children = ShownChildrenSorted(node, options, sortMode, compareNames);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return shown;
}

std::vector<FolderRecord*> ShownChildrenSorted(FolderRecord* parent,
                                               const TreeViewOptions& options,
                                               int sortMode,
                                               NameComparison compareNames) {
    std::vector<FolderRecord*> children;
    if (parent == nullptr) {
        return children;
    }
    for (FolderRecord* child = parent->firstChild; child != nullptr; child = child->nextSibling) {
        if (IsShown(options, child)) {
            children.push_back(child);
        }
    }
    std::stable_sort(children.begin(), children.end(), [sortMode, compareNames](FolderRecord* a, FolderRecord* b) {
        return CompareFolders(a, b, sortMode, compareNames) < 0;
    });
    return children;
}

bool HasShownChildren(FolderRecord* parent, const TreeViewOptions& options) {
    if (parent == nullptr) {
        return false;
    }
    for (FolderRecord* child = parent->firstChild; child != nullptr; child = child->nextSibling) {
        if (IsShown(options, child)) {
            return true;
        }
    }
    return false;
}

ShowSettingsOutcome ShowSettingsEffect(bool thresholdChanged, bool ageChanged, int selectedEntry) {
    ShowSettingsOutcome outcome;
    outcome.criterionChanged = thresholdChanged || ageChanged;
    outcome.refreshDue = (thresholdChanged && selectedEntry == ShowLargerThan) ||
                         (outcome.criterionChanged && selectedEntry == ShowNotAccessed);
    return outcome;
}

}  // namespace qv
