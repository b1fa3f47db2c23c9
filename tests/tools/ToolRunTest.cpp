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
        {"C:\\", "C:"}, {"C:\\dir\\", "C:\\dir"}, {"/", "/"}};
    for (const auto& [given, held] : folders) {
        EXPECT_EQ(TargetFolderForm(given), held) << given;
    }
    EXPECT_EQ(std::tuple(FolderOfFile("C:\\a.txt"), FolderOfFile("/x/a.txt"), FolderOfFile("/a.txt")),
              std::tuple("C:", "/x", "/"));

    const std::pair<AttrChoices, const char*> attributeQuestions[] = {
        {{.checked = {true, false, true}}, "Set Attributes: Read-Only, Hidden\n"},
        {{.action = AttrAction::Clear, .checked = {false, true}}, "Clear Attributes: Archive\n"},
        {{.action = AttrAction::Change,
          .conditions = {AttrCondition::On},
          .states = {AttrNewState::Off, AttrNewState::Same, AttrNewState::On}},
         "Original File Attributes: Read-Only [On]\nNew File Attributes: Read-Only [Off], Hidden [On]\n"},
    };
    std::string one, two;
    for (const auto& [choices, question] : attributeQuestions) {
        AttributeQuestionLines(choices, &one, &two);
        EXPECT_EQ(one + two, question);
    }

    TargetRun run;
    run.folder = "C:\\data";
    EXPECT_EQ(ApplyQuestion(run, "L1\n", ""), "Folder: \"C:\\data\"  (including sub-folders)\nL1\nProceed ?");
    run.recursive = false;
    run.except = "*.bak";
    EXPECT_EQ(ApplyQuestion(run, "L1\n", "L2\n"),
              "Folder: \"C:\\data\" \nApply for files:*.*\nExcept files: *.bak\nL1\nL2\nProceed ?");

    DateChoices date{true, true, 12, 25, 14, 30};
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
    const AttrChoices readOnly{.checked = {true}};
    RunCounts counts = RunAttributes(run, readOnly);
    EXPECT_EQ(std::pair(counts.found, counts.processed), std::pair(2 + links, std::int64_t{2}));
    EXPECT_NE(AttributesOf(dir.Sub("sub/c.txt")) & platform::kAttrReadOnly, 0u);
    EXPECT_EQ(AttributesOf(dir.Sub("b.bak")) & platform::kAttrReadOnly, 0u);
    EXPECT_EQ(AttributesOf(outside.Sub("o.txt")) & platform::kAttrReadOnly, 0u);

    // Change: only read-only files are found; they become writable.
    const AttrChoices writable{
        .action = AttrAction::Change, .conditions = {AttrCondition::On}, .states = {AttrNewState::Off}};
    run.except.clear();
    run.recursive = false;
    counts = RunAttributes(run, writable);
    EXPECT_EQ(std::pair(counts.found, counts.processed), std::pair(std::int64_t{1}, std::int64_t{1}));

    // The date tool leaves read-only files alone and sets the chosen time on the others.
    const DateChoices time{.hour = 14, .minute = 30};
    run.recursive = true;
    counts = RunDateTime(run, time, 2026);
    // a.txt and b.bak; sub/c.txt is read-only
    EXPECT_EQ(std::pair(counts.found, counts.processed), std::pair(3 + links, std::int64_t{2}));
    platform::LocalTime local;
    ASSERT_TRUE(platform::ToLocalTime(LastWrite(dir.Sub("a.txt")), &local));
    EXPECT_EQ(local.hour * 10000 + local.minute * 100 + local.second, 143000);
    ASSERT_TRUE(platform::ToLocalTime(LastWrite(outside.Sub("o.txt")), &local));
    EXPECT_NE(local.hour * 100 + local.minute, 1430);

    TargetRun single;
    single.singleFile = true;
    single.file = dir.Sub("sub/c.txt");
    counts = RunDateTime(single, time, 2026);
    EXPECT_EQ(std::pair(counts.found, counts.processed), std::pair(std::int64_t{1}, std::int64_t{0}));
    single.file = dir.Sub("missing.txt");
    EXPECT_EQ(RunAttributes(single, readOnly).found, 0);
    platform::WriteFileAttributes(dir.Sub("sub/c.txt"), platform::kAttrArchive);
}

}  // namespace
}  // namespace qv::tools
