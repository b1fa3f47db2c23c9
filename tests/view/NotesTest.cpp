// Storing a folder's edited notes: equal texts change nothing, empty texts remove the notes.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "view/Notes.h"

namespace qv {
namespace {

TEST(StoreNotes, EqualKeepsEmptyRemovesOtherReplaces) {
    // notes before (null: none), edited text, changed, notes after (null: no notes attribute)
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {"old\r\nkeep", "old\r\nkeep", false, "old\r\nkeep"},
        {"old", "", true, nullptr},
        {nullptr, "", false, nullptr},
        {"Old", "old", true, "old"},  // compared byte for byte
    };
    for (const auto& [before, edited, changed, after] : cases) {
        FolderRecord* record = CreateNode(nullptr, "x");
        WriteStat(record, MFS, 1, false);
        if (before != nullptr) {
            WriteText(record, notes, before, false);
        }
        EXPECT_EQ(StoreNotes(record, edited), changed) << edited;
        EXPECT_EQ(record->attrs.Find(notes) ? NotesOf(record) : std::string("(none)"),
                  after != nullptr ? after : "(none)");
        EXPECT_EQ(record->attrs.Count(), after != nullptr ? 2u : 1u);  // never stored twice
        DeleteNode(record);
    }
    EXPECT_FALSE(StoreNotes(nullptr, "x"));
}

}  // namespace
}  // namespace qv
