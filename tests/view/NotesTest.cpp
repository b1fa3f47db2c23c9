// Storing a folder's edited notes: equal texts change nothing, empty texts remove the notes.
#include <gtest/gtest.h>

#include "view/Notes.h"

namespace qv {
namespace {

TEST(StoreNotes, EqualKeepsEmptyRemovesOtherReplaces) {
    struct Case {
        const char* before;  // null: no notes
        const char* edited;
        bool changed;
        const char* after;  // null: no notes attribute
    };
    const Case cases[] = {
        {"old\r\nkeep", "old\r\nkeep", false, "old\r\nkeep"},
        {"old", "new", true, "new"},
        {"old", "", true, nullptr},
        {nullptr, "", false, nullptr},
        {"Old", "old", true, "old"},  // compared byte for byte
    };
    for (const Case& c : cases) {
        FolderRecord* record = CreateNode(nullptr, "x");
        WriteStat(record, MFS, 1, false);
        if (c.before != nullptr) {
            WriteText(record, notes, c.before, false);
        }
        EXPECT_EQ(StoreNotes(record, c.edited), c.changed) << c.edited;
        EXPECT_EQ(record->attrs.Find(notes) ? NotesOf(record) : std::string("(none)"),
                  c.after != nullptr ? c.after : "(none)");
        EXPECT_EQ(record->attrs.Count(), c.after != nullptr ? 2u : 1u);  // never stored twice
        DeleteNode(record);
    }
    EXPECT_FALSE(StoreNotes(nullptr, "x"));
}

}  // namespace
}  // namespace qv
