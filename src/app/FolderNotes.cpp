// Notes carry-over from an old report tree to its rebuilt successor.
#include "app/FolderNotes.h"

#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qv {
namespace {

// Copies one attribute; texts become owned copies because the old tree is deleted afterwards.
void CopyAttribute(FolderRecord* from, FolderRecord* to, const char* key) {
    const AttrEntry entry = from->attrs.Find(key);
    if (!entry) {
        return;
    }
    const AttrView& value = entry.value;
    if (value.Type() == 's' || value.Type() == 'f') {
        to->attrs.Set(key, AttrValue(value.AsText()), true);
    } else {
        to->attrs.Set(key, AttrValue(value), true);
    }
}

// The direct children of `node` by plain name; the first of equal names wins.
std::unordered_map<std::string_view, FolderRecord*> ChildrenByDesc(FolderRecord* node) {
    std::unordered_map<std::string_view, FolderRecord*> children;
    for (FolderRecord* child = node->firstChild; child != nullptr; child = child->nextSibling) {
        if (child->desc != nullptr) {
            children.emplace(child->desc, child);
        }
    }
    return children;
}

}  // namespace

bool CarryNotesOver(FolderRecord* from, FolderRecord* to, const char* key) {
    if (from == nullptr || to == nullptr || key == nullptr) {
        return false;
    }
    std::vector<std::pair<FolderRecord*, FolderRecord*>> pending{{from, to}};
    while (!pending.empty()) {
        auto [oldNode, newNode] = pending.back();
        pending.pop_back();
        CopyAttribute(oldNode, newNode, key);
        if (oldNode->firstChild == nullptr || newNode->firstChild == nullptr) {
            continue;
        }
        const auto namesakes = ChildrenByDesc(newNode);
        for (FolderRecord* child = oldNode->firstChild; child != nullptr; child = child->nextSibling) {
            if (child->desc == nullptr) {
                continue;
            }
            const auto hit = namesakes.find(child->desc);
            if (hit != namesakes.end()) {
                pending.emplace_back(child, hit->second);
            }
        }
    }
    return true;
}

}  // namespace qv
