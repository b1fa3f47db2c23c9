// The open-report table and the notes carry-over of a rebuild.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/FolderNotes.h"
#include "app/ReportTable.h"

namespace qv {
namespace {

std::vector<std::int32_t> Serials(const ReportTable& table) {
    std::vector<std::int32_t> serials;
    for (int i = 0; i < kMaxOpenReports; ++i) {
        if (Report* report = table.At(i)) {
            serials.push_back(report->Serial());
        }
    }
    return serials;
}

TEST(ReportTable, FillsFiveSlotsInOrderAndRefusesTheSixth) {
    ReportTable table;
    std::vector<std::int32_t> opened;
    for (int i = 0; i < kMaxOpenReports; ++i) {
        auto report = std::make_unique<Report>();
        opened.push_back(report->Serial());
        EXPECT_EQ(table.Add(std::move(report)), i);
    }
    EXPECT_TRUE(table.IsFull());
    EXPECT_EQ(table.Add(std::make_unique<Report>()), -1);
    EXPECT_EQ(table.Add(nullptr), -1);
    EXPECT_EQ(table.Count(), kMaxOpenReports);
    EXPECT_EQ(Serials(table), opened);
    EXPECT_EQ(table.At(5), nullptr);
    EXPECT_EQ(table.At(-1), nullptr);
}

TEST(ReportTable, ClosingTheSecondOfThreeMovesTheThirdUp) {
    ReportTable table;
    std::vector<std::int32_t> serials;
    for (int i = 0; i < 3; ++i) {
        auto report = std::make_unique<Report>();
        serials.push_back(report->Serial());
        table.Add(std::move(report));
    }
    const int slot = table.FindSlot(serials[1]);
    ASSERT_EQ(slot, 1);
    std::unique_ptr<Report> closed = table.Remove(slot);
    ASSERT_NE(closed, nullptr);
    EXPECT_EQ(closed->Serial(), serials[1]);
    EXPECT_EQ(table.Count(), 2);
    EXPECT_EQ(Serials(table), (std::vector<std::int32_t>{serials[0], serials[2]}));
    EXPECT_EQ(table.At(2), nullptr);
    EXPECT_EQ(table.FindSlot(serials[1]), -1);
    EXPECT_EQ(table.FindBySerial(serials[2]), table.At(1));
    EXPECT_EQ(table.Remove(2), nullptr);
}

TEST(ReportTable, ReplaceKeepsTheSlotAndTheCount) {
    ReportTable table;
    table.Add(std::make_unique<Report>());
    table.Add(std::make_unique<Report>());
    auto fresh = std::make_unique<Report>();
    Report* freshPtr = fresh.get();
    const std::int32_t oldSerial = table.At(0)->Serial();
    std::unique_ptr<Report> old = table.Replace(0, std::move(fresh));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->Serial(), oldSerial);
    EXPECT_EQ(table.At(0), freshPtr);
    EXPECT_EQ(table.Count(), 2);
    EXPECT_EQ(table.Replace(2, std::make_unique<Report>()), nullptr);
    EXPECT_EQ(table.Replace(1, nullptr), nullptr);
    table.Clear();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.At(0), nullptr);
}

// A small tree: each entry names a node by its path of descs from the root.
FolderRecord* Child(FolderRecord* parent, const char* desc) {
    FolderRecord* node = CreateNode(parent, desc);
    node->SetDesc(desc);
    return node;
}

const char* NotesOf(FolderRecord* node) {
    return ReadText(node, notes);
}

TEST(CarryNotesOver, CopiesNotesByMatchingNamesAndStopsAtTheFirstMiss) {
    FolderRecord* oldRoot = Child(nullptr, "C:\\data");
    FolderRecord* oldKept = Child(oldRoot, "kept");
    FolderRecord* oldDeep = Child(oldKept, "deep");
    FolderRecord* oldRenamed = Child(oldRoot, "renamed");
    FolderRecord* oldBelowRenamed = Child(oldRenamed, "inner");
    FolderRecord* oldFiles = Child(oldRoot, "{data files}");
    WriteText(oldRoot, notes, "root note", false);
    WriteText(oldDeep, notes, "deep note", false);
    WriteText(oldRenamed, notes, "lost", false);
    WriteText(oldBelowRenamed, notes, "lost too", false);
    WriteText(oldFiles, notes, "files note", false);

    FolderRecord* newRoot = Child(nullptr, "C:\\data");
    FolderRecord* newKept = Child(newRoot, "Kept");  // case differs: no match
    FolderRecord* newKept2 = Child(newRoot, "kept");
    FolderRecord* newDeep = Child(newKept2, "deep");
    FolderRecord* newOther = Child(newRoot, "other");
    FolderRecord* newInner = Child(newOther, "inner");
    FolderRecord* newFiles = Child(newRoot, "{data files}");
    WriteText(newDeep, notes, "replaced", false);

    ASSERT_TRUE(CarryNotesOver(oldRoot, newRoot));
    DeleteNode(oldRoot);  // the copies must not refer to the old tree

    EXPECT_STREQ(NotesOf(newRoot), "root note");
    EXPECT_STREQ(NotesOf(newDeep), "deep note");
    EXPECT_STREQ(NotesOf(newFiles), "files note");
    EXPECT_EQ(NotesOf(newKept), nullptr);
    EXPECT_EQ(NotesOf(newKept2), nullptr);
    EXPECT_EQ(NotesOf(newOther), nullptr);
    EXPECT_EQ(NotesOf(newInner), nullptr);
    EXPECT_EQ(newDeep->attrs.Count(), 1u);  // replaced, not added twice
    DeleteNode(newRoot);

    EXPECT_FALSE(CarryNotesOver(nullptr, nullptr));
}

TEST(CarryNotesOver, HandlesVeryDeepTrees) {
    FolderRecord* oldRoot = Child(nullptr, "r");
    FolderRecord* newRoot = Child(nullptr, "r");
    FolderRecord* oldNode = oldRoot;
    FolderRecord* newNode = newRoot;
    for (int i = 0; i < 100000; ++i) {
        oldNode = Child(oldNode, "d");
        newNode = Child(newNode, "d");
    }
    WriteText(oldNode, notes, "bottom", false);
    ASSERT_TRUE(CarryNotesOver(oldRoot, newRoot));
    EXPECT_STREQ(NotesOf(newNode), "bottom");
    DeleteNode(oldRoot);
    DeleteNode(newRoot);
}

}  // namespace
}  // namespace qv
