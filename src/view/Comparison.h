// "What's new": the difference tree between a folder of a report and a fresh scan of the same
// folder, and the texts that describe each of its nodes.
#pragma once

#include <cstdint>
#include <string>

#include "core/FolderRecord.h"

namespace qv {

// A difference node is an AttrNode like a folder record: name = display title, desc = the plain
// folder name, kind = the bits below, and these attributes (each number only when not 0).
using DifferenceNode = AttrNode;

constexpr std::int32_t kDiffDeleted = 0x01;      // the folder is only in the report
constexpr std::int32_t kDiffCreated = 0x02;      // the folder is only on disk now
constexpr std::int32_t kDiffTotalSize = 0x04;    // its total size changed ("ssz")
constexpr std::int32_t kDiffDirectFiles = 0x08;  // the size of its own files changed ("fsz")
constexpr std::int32_t kDiffBelow = 0x40;        // something below it changed

constexpr const char* kDiffSizeKey = "ssz";         // 'q' total size, new - old
constexpr const char* kDiffFilesSizeKey = "fsz";    // 'q' size of the folder's own files, new - old
constexpr const char* kDiffFileCountKey = "nof";    // 'q' files in the sub-tree, new - old
constexpr const char* kDiffFolderCountKey = "nsf";  // 'q' folders in the sub-tree, new - old
constexpr const char* kDiffListRefKey = "listref";  // 's' the node's row text in the flat list
// Besides these a node carries ALC (the folder's full path) and the root DRM (the report's
// created text).

// The size of the files directly in a folder: its own size when it has no children, else the
// size of its files item (0 when it has none).
std::int64_t DirectFilesSize(FolderRecord* folder);

// Builds the difference tree of `old` (a folder of a report) and `fresh` (the same folder scanned
// now). Folders are matched by plain name, case-sensitively, the first namesake winning; only
// changed folders and the folders above them are kept. The caller owns the result (DeleteNode).
// Neither input changes. Walks with explicit stacks: trees of any depth are fine. Null when
// either input is missing or memory runs out.
DifferenceNode* Compare(FolderRecord* old, FolderRecord* fresh);

// Sets the node's display title: its plain name, followed by " [" the change "]" when its size
// changed or it was created or deleted. With `description`, also writes the change in full (the
// counts of files and folders included) or " No changes" into it, and the title then carries the
// same full text.
void FormatDifference(DifferenceNode* node, std::string* description = nullptr);

// A size change with its sign: "+200 K", "-1.50 MB".
std::string FormatSizeChange(std::int64_t change);

// The title the node was given while its tree was built: the size change alone, without the
// counts and without the words "Deleted" and "Created" (its state shows by colour). The tree
// view shows this text whatever FormatDifference was asked since.
std::string DifferenceTreeTitle(DifferenceNode* node);

}  // namespace qv
