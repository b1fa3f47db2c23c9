// The difference tree of a report's folder and its fresh scan, and the texts of its nodes.
#include "view/Comparison.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "view/Formatters.h"

namespace qv {

namespace {

bool IsFilesItem(FolderRecord* record) {
    return record->group > 0;
}

// new - old without overflow: figures read from a file may be anything.
std::int64_t Difference(std::int64_t fresh, std::int64_t old) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(fresh) - static_cast<std::uint64_t>(old));
}

std::int64_t Negated(std::int64_t value) {
    return Difference(0, value);
}

// Looks children up by plain name, the first of equal names winning. Few children are searched
// in order; many are hashed, so a folder with 100,000 sub-folders costs no more than a pass.
class ChildIndex {
  public:
    void Build(FolderRecord* parent) {
        m_children.clear();
        for (FolderRecord* child = parent->firstChild; child != nullptr; child = child->nextSibling) {
            if (child->desc != nullptr) {
                m_children.push_back({child->desc, child});
            }
        }
        m_hashed = m_children.size() > kLinearLimit;
        if (m_hashed) {
            // A map of its own each time: clearing one that once held many names would cost as
            // much as it held.
            m_byName = Map();
            m_byName.reserve(m_children.size());
            for (const auto& [name, child] : m_children) {
                m_byName.emplace(name, child);  // keeps the first of equal names
            }
        }
    }
    FolderRecord* Find(const char* name) const {
        if (name == nullptr) {
            return nullptr;
        }
        const std::string_view key(name);
        if (m_hashed) {
            const auto hit = m_byName.find(key);
            return hit != m_byName.end() ? hit->second : nullptr;
        }
        for (const auto& [childName, child] : m_children) {
            if (childName == key) {
                return child;
            }
        }
        return nullptr;
    }

  private:
    static constexpr std::size_t kLinearLimit = 16;
    using Map = std::unordered_map<std::string_view, FolderRecord*>;
    std::vector<std::pair<std::string_view, FolderRecord*>> m_children;
    Map m_byName;
    bool m_hashed = false;
};

void StoreIfChanged(DifferenceNode* node, const char* key, std::int64_t value) {
    if (value != 0) {
        node->attrs.Set(key, AttrValue(value), false);
    }
}

// ORs kDiffBelow into the node and every node above it. A node that has the bit already has
// ancestors that have it, so the walk stops there.
void MarkChangesBelow(DifferenceNode* node) {
    for (; node != nullptr && (node->kind & kDiffBelow) == 0; node = node->parent) {
        node->kind |= kDiffBelow;
    }
}

DifferenceNode* NewNode(DifferenceNode* parent, FolderRecord* folder) {
    DifferenceNode* node = CreateNode(parent, folder->desc);
    if (node == nullptr) {
        return nullptr;
    }
    node->SetDesc(folder->desc);
    if (const char* path = ReadText(folder, ALC)) {
        node->attrs.Set(ALC, AttrValue(path), false);
    }
    return node;
}

// The node of a folder that exists on one side only: its figures with `sign` (+1 created,
// -1 deleted), its parent marked. Its created or deleted bit is set after its title, so the
// title shows the size change alone.
DifferenceNode* OneSidedNode(DifferenceNode* parent, FolderRecord* folder, int sign, std::int32_t stateBit) {
    DifferenceNode* node = NewNode(parent, folder);
    if (node == nullptr) {
        return nullptr;
    }
    MarkChangesBelow(parent);
    const auto signedValue = [sign](std::int64_t value) { return sign > 0 ? value : Negated(value); };
    const std::int64_t size = signedValue(ReadStat(folder, MFS));
    const std::int64_t filesSize = signedValue(DirectFilesSize(folder));
    if (size != 0) {
        node->kind |= kDiffTotalSize;
    }
    if (filesSize != 0) {
        node->kind |= kDiffDirectFiles;
    }
    StoreIfChanged(node, kDiffSizeKey, size);
    StoreIfChanged(node, kDiffFilesSizeKey, filesSize);
    StoreIfChanged(node, kDiffFileCountKey, signedValue(ReadStat(folder, LFN)));
    StoreIfChanged(node, kDiffFolderCountKey, signedValue(ReadStat(folder, OFN)));
    FormatDifference(node);
    node->kind |= stateBit;
    return node;
}

// A created or deleted folder with all its sub-folders, each the same way, in pre-order.
bool AddOneSidedTree(DifferenceNode* parent, FolderRecord* folder, int sign, std::int32_t stateBit) {
    std::vector<std::pair<FolderRecord*, DifferenceNode*>> pending{{folder, parent}};
    while (!pending.empty()) {
        auto [current, under] = pending.back();
        pending.pop_back();
        DifferenceNode* node = OneSidedNode(under, current, sign, stateBit);
        if (node == nullptr) {
            return false;
        }
        const std::size_t first = pending.size();
        for (FolderRecord* child = current->firstChild; child != nullptr; child = child->nextSibling) {
            if (!IsFilesItem(child)) {
                pending.emplace_back(child, node);
            }
        }
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
    }
    return true;
}

// The node of a folder found on both sides (steps: total size, own files, counts, then the
// sub-folders that are new on disk). `oldNames` is reused between calls.
DifferenceNode* PairNode(DifferenceNode* parent, FolderRecord* old, FolderRecord* fresh, ChildIndex* oldNames) {
    DifferenceNode* node = NewNode(parent, old);
    if (node == nullptr) {
        return nullptr;
    }
    const std::int64_t size = Difference(ReadStat(fresh, MFS), ReadStat(old, MFS));
    if (size != 0) {
        MarkChangesBelow(parent);
        node->kind |= kDiffTotalSize;
        StoreIfChanged(node, kDiffSizeKey, size);
    }
    const std::int64_t filesSize = Difference(DirectFilesSize(fresh), DirectFilesSize(old));
    if (filesSize != 0) {
        MarkChangesBelow(parent);
        node->kind |= kDiffDirectFiles;
        StoreIfChanged(node, kDiffFilesSizeKey, filesSize);
    }
    const std::int64_t files = Difference(ReadStat(fresh, LFN), ReadStat(old, LFN));
    if (files != 0) {
        MarkChangesBelow(parent);
        StoreIfChanged(node, kDiffFileCountKey, files);
    }
    const std::int64_t folders = Difference(ReadStat(fresh, OFN), ReadStat(old, OFN));
    if (folders != 0) {
        MarkChangesBelow(node);
        StoreIfChanged(node, kDiffFolderCountKey, folders);
    }
    if (fresh->firstChild != nullptr) {
        oldNames->Build(old);
        for (FolderRecord* child = fresh->firstChild; child != nullptr; child = child->nextSibling) {
            if (!IsFilesItem(child) && oldNames->Find(child->desc) == nullptr) {
                if (!AddOneSidedTree(node, child, +1, kDiffCreated)) {
                    return nullptr;
                }
            }
        }
    }
    if (node->kind != 0) {
        FormatDifference(node);  // an unchanged node keeps its plain name, which is its title
    }
    return node;
}

// Deletes every node without changes (kind 0) below the root, with its sub-tree.
void Prune(DifferenceNode* root) {
    std::vector<DifferenceNode*> pending{root};
    while (!pending.empty()) {
        DifferenceNode* node = pending.back();
        pending.pop_back();
        DifferenceNode* child = node->firstChild;
        while (child != nullptr) {
            DifferenceNode* next = child->nextSibling;
            if (child->kind == 0) {
                DeleteNode(child);
            } else {
                pending.push_back(child);
            }
            child = next;
        }
    }
}

std::string CountChange(std::int64_t value, const char* one, const char* many) {
    char text[64];
    std::snprintf(text, sizeof text, "   %+" PRId64 " %s", value, value == 1 || value == -1 ? one : many);
    return text;
}

// The change text T: " ", the state word, the size change and, with `counts`, the counts.
std::string ChangeText(DifferenceNode* node, std::int32_t kind, bool counts) {
    std::string text = " ";
    if ((kind & kDiffDeleted) != 0) {
        text += "Deleted    ";
    }
    if ((kind & kDiffCreated) != 0) {
        text += "Created    ";
    }
    const std::int64_t size = ReadStat(node, kDiffSizeKey);
    if ((kind & kDiffTotalSize) != 0 && size != 0) {
        text += FormatSizeChange(size);
    }
    if (counts) {
        if (const std::int64_t files = ReadStat(node, kDiffFileCountKey); files != 0) {
            text += CountChange(files, "file", "files");
        }
        if (const std::int64_t folders = ReadStat(node, kDiffFolderCountKey); folders != 0) {
            text += CountChange(folders, "folder", "folders");
        }
    }
    return text;
}

std::string TitleWith(DifferenceNode* node, const std::string& change) {
    const std::string name = node->desc != nullptr ? node->desc : "";
    return change.size() > 1 ? name + " [" + change + "]" : name;
}

}  // namespace

std::string FormatSizeChange(std::int64_t change) {
    // The most negative value has no positive counterpart; the largest one stands in for it.
    constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
    const std::int64_t magnitude = change >= 0 ? change : (change < -kMost ? kMost : -change);
    std::string number;
    std::string unit;
    FormatSize(magnitude, &number, &unit);
    return (change >= 0 ? "+" : "-") + number + " " + unit;
}

std::int64_t DirectFilesSize(FolderRecord* folder) {
    if (folder == nullptr) {
        return 0;
    }
    if (folder->firstChild == nullptr) {
        return ReadStat(folder, MFS);
    }
    for (FolderRecord* child = folder->firstChild; child != nullptr; child = child->nextSibling) {
        if (IsFilesItem(child)) {
            return ReadStat(child, MFS);
        }
    }
    return 0;
}

DifferenceNode* Compare(FolderRecord* old, FolderRecord* fresh) {
    if (old == nullptr || fresh == nullptr) {
        return nullptr;
    }
    ChildIndex names;
    DifferenceNode* root = PairNode(nullptr, old, fresh, &names);
    if (root == nullptr) {
        return nullptr;
    }
    if (const char* created = ReadText(old, DRM)) {
        root->attrs.Set(DRM, AttrValue(created), false);
    }
    // Pairs still to walk: an old folder, its namesake on disk (or none) and the node to put its
    // node under. Children are pushed in reverse, so each sub-tree is done before the next
    // sibling's node is made, as a recursive walk would do it.
    struct Pending {
        FolderRecord* old;
        FolderRecord* fresh;
        DifferenceNode* parent;
    };
    std::vector<Pending> pending;
    const auto pushChildren = [&](FolderRecord* oldFolder, FolderRecord* freshFolder, DifferenceNode* node) {
        if (oldFolder->firstChild == nullptr) {
            return;
        }
        names.Build(freshFolder);
        const std::size_t first = pending.size();
        for (FolderRecord* child = oldFolder->firstChild; child != nullptr; child = child->nextSibling) {
            if (!IsFilesItem(child)) {
                pending.push_back({child, names.Find(child->desc), node});
            }
        }
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
    };
    pushChildren(old, fresh, root);
    bool complete = true;
    while (complete && !pending.empty()) {
        const Pending pair = pending.back();
        pending.pop_back();
        if (pair.fresh == nullptr) {
            complete = AddOneSidedTree(pair.parent, pair.old, -1, kDiffDeleted);
            continue;
        }
        DifferenceNode* node = PairNode(pair.parent, pair.old, pair.fresh, &names);
        complete = node != nullptr;
        if (complete) {
            pushChildren(pair.old, pair.fresh, node);
        }
    }
    if (!complete) {
        DeleteNode(root);
        return nullptr;
    }
    Prune(root);
    FormatDifference(root);
    return root;
}

void FormatDifference(DifferenceNode* node, std::string* description) {
    if (node == nullptr) {
        return;
    }
    const std::string change = ChangeText(node, node->kind, description != nullptr);
    if (description != nullptr) {
        *description = change.size() > 1 ? change : " No changes";
    }
    node->SetName(TitleWith(node, change).c_str());
}

std::string DifferenceTreeTitle(DifferenceNode* node) {
    if (node == nullptr) {
        return {};
    }
    return TitleWith(node, ChangeText(node, node->kind & ~(kDiffDeleted | kDiffCreated), false));
}

}  // namespace qv
