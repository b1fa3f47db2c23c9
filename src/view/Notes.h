// The user's notes on a folder: how an edited text is stored in the folder's record.
#pragma once

#include <cstddef>
#include <string>

#include "core/FolderRecord.h"

namespace qv {

// The notes dialog takes at most this many characters.
constexpr std::size_t kMaxNotesLength = 4095;

// The record's notes, or "" when it has none.
std::string NotesOf(FolderRecord* record);

// Stores an edited text as the record's notes: a text equal to the notes it has changes nothing,
// an empty text removes the notes (an empty text is never stored), any other text replaces them.
// True when the record changed, so its title must be rebuilt.
bool StoreNotes(FolderRecord* record, const std::string& text);

}  // namespace qv
