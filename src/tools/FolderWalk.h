// The one folder walk of the file tools: depth first, without recursion on the C stack and
// without changing the current directory. Each folder is opened relative to its parent's open
// handle and never through a link, so the walk reaches any depth the file system holds; a folder
// that is a symbolic link, a junction or another reparse point is never entered.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace qv::tools {

// Files with this attribute are stored elsewhere; the tools leave them alone.
constexpr std::uint32_t kAttrOffline = 0x1000;

// What a tool does with the walk. A folder that cannot be opened or listed is left out with
// everything below it, silently.
class WalkVisitor {
  public:
    virtual ~WalkVisitor() = default;
    // One listed folder, before any of its sub-folders: its full path, its depth (the root 0)
    // and its entries that are not folders, in listing order (the visitor may reorder them).
    virtual void Folder(const std::string& path, int depth, std::vector<platform::DirEntry>& files) = 0;
    // Asked, in walk order, just before a sub-folder (never a link) would be entered; false
    // passes it over with everything below it.
    virtual bool Descend(const std::string& path, const platform::DirEntry& folder) = 0;
    // True ends the walk at once.
    virtual bool Stopped() { return false; }
};

// True for an entry the walk must not enter: a folder that is a link, junction or reparse point.
bool IsLinkFolder(const platform::DirEntry& entry);

// Walks `root` (entered as named, even when it is itself a link). False when the root cannot be
// listed. `maxOpenFolders` bounds the folder handles held at once (at least 2).
bool WalkFolder(const std::string& root, WalkVisitor& visitor, std::size_t maxOpenFolders = 64);

}  // namespace qv::tools
