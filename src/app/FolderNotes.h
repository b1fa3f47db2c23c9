// Carrying a report's folder notes over to a rebuilt tree of the same folder.
#pragma once

#include "core/FolderRecord.h"

namespace qv {

// Copies the attribute `key` (the notes) from `from` to `to`, then, for every child of `from`
// in order (files items too), into the direct child of `to` with the same plain name (desc,
// compared exactly), recursively. Children without a namesake keep nothing, and so do their
// sub-trees. Walks with an explicit stack, so trees of any depth are safe. False when either
// node is missing.
bool CarryNotesOver(FolderRecord* from, FolderRecord* to, const char* key = notes);

}  // namespace qv
