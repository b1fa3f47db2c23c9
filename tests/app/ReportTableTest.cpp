// The open-report table and the notes carry-over of a rebuild.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/FolderNotes.h"
#include "app/ReportTable.h"
#include "core/ScanTestUtil.h"

namespace qv {
namespace {

using test::AddFolder;

std::vector<std::int32_t> Serials(const ReportTable& table) {
    std::vector<std::int32_t> serials;
    for (int i = 0; i < kMaxOpenReports; ++i) {
        if (Report* report = table.At(i)) {
            serials.push_back(report->Serial());
        }
    }
    return serials;
}

// Five slots filled in order; closing one moves the later ones up; a replacement keeps its slot.
TEST(ReportTable, FillsRemovesAndReplacesInOrder) {
    ReportTable table;
    std::vector<std::int32_t> opened;
    for (int i = 0; i < kMaxOpenReports; ++i) {
        auto report = std::make_unique<Report>();
        opened.push_back(report->Serial());
        EXPECT_EQ(table.Add(std::move(report)), i);
    }
    EXPECT_TRUE(table.IsFull());
    EXPECT_EQ(std::pair(table.Add(std::make_unique<Report>()), table.Add(nullptr)), std::pair(-1, -1));
    EXPECT_EQ(Serials(table), opened);
    EXPECT_EQ(std::tuple(table.At(5), table.At(-1)), std::tuple(nullptr, nullptr));

    ASSERT_EQ(table.FindSlot(opened[1]), 1);
    std::unique_ptr<Report> closed = table.Remove(1);
    ASSERT_NE(closed, nullptr);
    EXPECT_EQ(closed->Serial(), opened[1]);
    EXPECT_EQ(Serials(table), (std::vector<std::int32_t>{opened[0], opened[2], opened[3], opened[4]}));
    EXPECT_EQ(std::tuple(table.FindSlot(opened[1]), table.FindBySerial(opened[2]), table.Remove(4).get()),
              std::tuple(-1, table.At(1), nullptr));

    auto fresh = std::make_unique<Report>();
    Report* freshPtr = fresh.get();
    EXPECT_EQ(table.Replace(0, std::move(fresh))->Serial(), opened[0]);
    EXPECT_EQ(std::pair(table.At(0), table.Count()), std::pair(freshPtr, 4));
    EXPECT_FALSE(table.Replace(4, std::make_unique<Report>()) || table.Replace(1, nullptr));
    table.Clear();
    EXPECT_EQ(std::tuple(table.Count(), table.At(0)), std::tuple(0, nullptr));
}

TEST(CarryNotesOver, CopiesNotesByMatchingNamesAndStopsAtTheFirstMiss) {
    const auto noted = [](FolderRecord* record, const char* note) {
        WriteText(record, notes, note, false);
        return record;
    };
    FolderRecord* oldRoot = noted(AddFolder(nullptr, "C:\\data"), "root note");
    noted(AddFolder(AddFolder(oldRoot, "kept"), "deep"), "deep note");
    noted(AddFolder(noted(AddFolder(oldRoot, "renamed"), "lost"), "inner"), "lost too");
    noted(AddFolder(oldRoot, "{data files}"), "files note");

    FolderRecord* newRoot = AddFolder(nullptr, "C:\\data");
    FolderRecord* newKept = AddFolder(newRoot, "Kept");  // case differs: no match
    FolderRecord* newDeep = noted(AddFolder(AddFolder(newRoot, "kept"), "deep"), "replaced");
    FolderRecord* newOther = AddFolder(newRoot, "other");
    FolderRecord* newInner = AddFolder(newOther, "inner");
    FolderRecord* newFiles = AddFolder(newRoot, "{data files}");

    ASSERT_TRUE(CarryNotesOver(oldRoot, newRoot));
    DeleteNode(oldRoot);  // the copies must not refer to the old tree
    for (const auto& [record, note] : {std::pair{newRoot, "root note"},
                                       {newDeep, "deep note"},
                                       {newFiles, "files note"},
                                       {newKept, nullptr},
                                       {newOther, nullptr},
                                       {newInner, nullptr}}) {
        EXPECT_STREQ(ReadText(record, notes), note) << record->desc;
    }
    EXPECT_EQ(newDeep->attrs.Count(), 1u);  // replaced, not added twice
    DeleteNode(newRoot);
    EXPECT_FALSE(CarryNotesOver(nullptr, nullptr));
}

TEST(CarryNotesOver, HandlesVeryDeepTrees) {
    FolderRecord* oldRoot = AddFolder(nullptr, "r");
    FolderRecord* newRoot = AddFolder(nullptr, "r");
    FolderRecord* oldNode = oldRoot;
    FolderRecord* newNode = newRoot;
    for (int i = 0; i < 100000; ++i) {
        oldNode = AddFolder(oldNode, "d");
        newNode = AddFolder(newNode, "d");
    }
    WriteText(oldNode, notes, "bottom", false);
    ASSERT_TRUE(CarryNotesOver(oldRoot, newRoot));
    EXPECT_STREQ(ReadText(newNode, notes), "bottom");
    DeleteNode(oldRoot);
    DeleteNode(newRoot);
}

}  // namespace
}  // namespace qv
