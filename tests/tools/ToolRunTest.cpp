// The attributes and date/time tools once Apply is pressed: the folder form, the question
// texts, and the runs over a scratch folder with masks, sub-folders and links.
#include "tools/ToolRun.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "TestUtil.h"

namespace qv::tools {
namespace {

using platform::DirEntry;
using test::ScratchDir;

TEST(ToolRun, FolderFormsAndQuestionTexts) {
    const std::pair<const char*, const char*> folders[] = {
        {"C:\\", "C:"}, {"C:\\dir\\", "C:\\dir"}, {"C:", "C:"}, {"/", "/"}, {"/a/b/", "/a/b"}};
    for (const auto& [given, held] : folders) {
        EXPECT_EQ(TargetFolderForm(given), held) << given;
    }
    EXPECT_EQ(FolderOfFile("C:\\a.txt"), "C:");
    EXPECT_EQ(FolderOfFile("/x/a.txt"), "/x");
    EXPECT_EQ(FolderOfFile("/a.txt"), "/");

    AttrChoices set;
    set.checked[0] = set.checked[2] = true;
    AttrChoices change;
    change.action = AttrAction::Change;
    change.conditions[0] = AttrCondition::On;
    change.states[0] = AttrNewState::Off;
    change.states[2] = AttrNewState::On;
    AttrChoices clear;
    clear.action = AttrAction::Clear;
    clear.checked[1] = true;
    std::string one, two;
    AttributeQuestionLines(set, &one, &two);
    EXPECT_EQ(one + two, "Set Attributes: Read-Only, Hidden\n");
    AttributeQuestionLines(clear, &one, &two);
    EXPECT_EQ(one + two, "Clear Attributes: Archive\n");
    AttributeQuestionLines(change, &one, &two);
    EXPECT_EQ(one + two, "Original File Attributes: Read-Only [On]\nNew File Attributes: Read-Only [Off], Hidden [On]\n");

    TargetRun run;
    run.folder = "C:\\data";
    EXPECT_EQ(ApplyQuestion(run, "L1\n", ""), "Folder: \"C:\\data\"  (including sub-folders)\nL1\nProceed ?");
    run.recursive = false;
    run.except = "*.bak";
    EXPECT_EQ(ApplyQuestion(run, "L1\n", "L2\n"),
              "Folder: \"C:\\data\" \nApply for files:*.*\nExcept files: *.bak\nL1\nL2\nProceed ?");

    DateChoices date;
    date.changeDate = true;
    date.month = 12;
    date.day = 25;
    date.hour = 14;
    date.minute = 30;
    DateQuestionLines(date, 2026, &one, &two);
    EXPECT_EQ(one + two, "Set Date: 25 Dec 2026\nSet Time: 14 h 30 m\n");
    date.changeTime = false;
    DateQuestionLines(date, 2026, &one, &two);
    EXPECT_EQ(two, "");
}

std::uint32_t AttributesOf(const std::string& path) {
    DirEntry entry;
    return platform::StatPath(path, &entry) ? entry.attributes : 0xFFFFFFFFu;
}

platform::FileTime LastWrite(const std::string& path) {
    DirEntry entry;
    return platform::StatPath(path, &entry) ? entry.lastWrite : 0;
}

// Read-only is the one attribute every back end writes; links to a folder or a file outside
// are neither entered nor written through.
TEST(ToolRun, RunsCountWhatTheMasksAndSubFoldersLetThrough) {
    ScratchDir dir;
    ScratchDir outside;
    dir.WriteFile("a.txt", 1);
    dir.WriteFile("b.bak", 1);
    dir.WriteFile("sub/c.txt", 1);
    outside.WriteFile("o.txt", 1);
#ifndef _WIN32
    ASSERT_EQ(::symlink(outside.Path().c_str(), dir.Sub("dirlink").c_str()), 0);
    ASSERT_EQ(::symlink(outside.Sub("o.txt").c_str(), dir.Sub("filelink.txt").c_str()), 0);
    const std::int64_t links = 2;  // both links are found as files, and refused
#else
    const std::int64_t links = 0;
#endif
    TargetRun run;
    run.folder = dir.Path();
    run.except = "*.bak";
    AttrChoices readOnly;
    readOnly.checked[0] = true;
    RunCounts counts = RunAttributes(run, readOnly);
    EXPECT_EQ(counts.found, 2 + links);
    EXPECT_EQ(counts.processed, 2);
    EXPECT_NE(AttributesOf(dir.Sub("sub/c.txt")) & platform::kAttrReadOnly, 0u);
    EXPECT_EQ(AttributesOf(dir.Sub("b.bak")) & platform::kAttrReadOnly, 0u);
    EXPECT_EQ(AttributesOf(outside.Sub("o.txt")) & platform::kAttrReadOnly, 0u);

    // Change: only read-only files are found; they become writable.
    AttrChoices writable;
    writable.action = AttrAction::Change;
    writable.conditions[0] = AttrCondition::On;
    writable.states[0] = AttrNewState::Off;
    run.except.clear();
    run.recursive = false;
    counts = RunAttributes(run, writable);
    EXPECT_EQ(counts.found, 1);
    EXPECT_EQ(counts.processed, 1);

    // The date tool leaves read-only files alone and sets the chosen time on the others.
    DateChoices time;
    time.hour = 14;
    time.minute = 30;
    run.recursive = true;
    counts = RunDateTime(run, time, 2026);
    EXPECT_EQ(counts.found, 3 + links);
    EXPECT_EQ(counts.processed, 2);  // a.txt and b.bak; sub/c.txt is read-only
    platform::LocalTime local;
    ASSERT_TRUE(platform::ToLocalTime(LastWrite(dir.Sub("a.txt")), &local));
    EXPECT_EQ(local.hour * 100 + local.minute, 1430);
    EXPECT_EQ(local.second, 0);
    ASSERT_TRUE(platform::ToLocalTime(LastWrite(outside.Sub("o.txt")), &local));
    EXPECT_NE(local.hour * 100 + local.minute, 1430);

    TargetRun single;
    single.singleFile = true;
    single.file = dir.Sub("sub/c.txt");
    counts = RunDateTime(single, time, 2026);
    EXPECT_EQ(counts.found, 1);
    EXPECT_EQ(counts.processed, 0);
    single.file = dir.Sub("missing.txt");
    EXPECT_EQ(RunAttributes(single, readOnly).found, 0);
    platform::WriteFileAttributes(dir.Sub("sub/c.txt"), platform::kAttrArchive);
}

}  // namespace
}  // namespace qv::tools
