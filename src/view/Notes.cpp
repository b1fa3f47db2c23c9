// Storing a folder's edited notes.
#include "view/Notes.h"

namespace qv {

std::string NotesOf(FolderRecord* record) {
    const char* text = ReadText(record, notes);
    return text != nullptr ? text : std::string();
}

bool StoreNotes(FolderRecord* record, const std::string& text) {
    if (record == nullptr) {
        return false;
    }
    const char* current = ReadText(record, notes);
    if (current != nullptr && text == current) {
        return false;
    }
    if (text.empty()) {
        const bool had = static_cast<bool>(record->attrs.Find(notes));
        record->attrs.Remove(notes);
        return had;
    }
    return WriteText(record, notes, text.c_str(), true);
}

}  // namespace qv
