// The main shell's window-free rules: suggested file names, drops, menu states, file lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "../TestUtil.h"
#include "app/CommandIds.h"
#include "app/ShellRules.h"

namespace qv {
namespace {

TEST(SuggestReportFileName, ReplacesSeparatorsInOrder) {
    const std::pair<const char*, const char*> cases[] = {
        {"D:\\Windows\\System", "D#Windows^System"},
        {"\\\\server\\share\\dir", "#server^share^dir"},
        {"\\\\srv\\share", "#srv^share"},
        {"D:\\", "D#"},
        {"C:", "C#"},
        {"/home/user/data", "^home^user^data"},
        {"Z:\\mixed/sep\\\\x", "Z#mixed^sep#x"},  // a doubled backslash inside the path too
        {"a:b:\\c", "a#b#c"},
        {"plain", "plain"},
        {"", ""},
    };
    for (const auto& [desc, expected] : cases) {
        EXPECT_EQ(SuggestReportFileName(desc), expected) << desc;
    }
}

TEST(ClassifyDrop, FoldersReportsFilterFilesAndOtherFiles) {
    struct Case {
        const char* path;
        bool folder;
        DropAction action;
    };
    const Case cases[] = {
        {"C:\\Data", true, DropAction::CreateReport},
        {"C:\\Data.mcr", true, DropAction::CreateReport},  // a folder whatever its name
        {"C:\\r\\a.mcr", false, DropAction::OpenReport},
        {"C:\\r\\A.MCR", false, DropAction::OpenReport},
        {"C:\\r\\f.McF", false, DropAction::OpenFilters},
        {"C:\\Data\\a.txt", false, DropAction::ReportOfFolder},
        {"C:\\Data\\a.mcr.txt", false, DropAction::ReportOfFolder},
        {"C:\\Data\\.mcr", false, DropAction::ReportOfFolder},  // the dot starts the name
        {"C:\\x.mcr\\readme", false, DropAction::ReportOfFolder},
        {"/tmp/r/b.mcr", false, DropAction::OpenReport},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyDrop(c.path, c.folder), c.action) << c.path;
    }
}

TEST(FolderOfFile, KeepsDriveRootsAndDropsTheLastPart) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Data\\a.txt", "C:\\Data"}, {"C:\\a.txt", "C:\\"}, {"\\\\srv\\share\\a.txt", "\\\\srv\\share"},
        {"/tmp/x/a.txt", "/tmp/x"},      {"/a.txt", "/"},       {"a.txt", ""},
    };
    for (const auto& [path, folder] : cases) {
        EXPECT_EQ(FolderOfFile(path), folder) << path;
    }
}

TEST(DriveRootOf, GivesTheRootTheFolderDialogStartsAt) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Data\\x", "C:\\"},
        {"D:\\", "D:\\"},
        {"e:", "e:\\"},
        {"\\\\srv\\share\\dir", "\\\\srv\\share\\"},
        {"\\\\srv\\share", "\\\\srv\\share\\"},
        {"\\\\srv", ""},
        {"/home/u", "/"},
        {"relative\\dir", ""},
        {"", ""},
    };
    for (const auto& [path, root] : cases) {
        EXPECT_EQ(DriveRootOf(path), root) << path;
    }
}

TEST(CommandStateFor, FollowsTheMenuRules) {
    CommandContext none;  // no report, no record
    CommandContext full;
    full.openReports = kMaxOpenReports;
    CommandContext folder;  // a folder below a root is selected
    folder.openReports = 1;
    folder.hasRecord = true;
    CommandContext root = folder;
    root.recordIsRoot = true;
    CommandContext liveRoot = root;
    liveRoot.rootFolderExists = true;

    const unsigned off = cmd::kStateDisabled;
    struct Case {
        int id;
        const CommandContext* context;
        unsigned state;
    };
    const Case cases[] = {
        {cmd::kCreateReport, &none, 0},
        {cmd::kCreateReport, &full, off},
        {cmd::kOpenReport, &full, off},
        {cmd::kOpenReport, &root, 0},
        {cmd::kSaveReport, &none, off},
        {cmd::kSaveReport, &folder, off},
        {cmd::kSaveReport, &root, 0},
        {cmd::kCloseReport, &folder, off},
        {cmd::kCloseReport, &root, 0},
        {cmd::kPrintFolderInfo, &none, off},
        {cmd::kPrintFolderInfo, &folder, 0},
        {cmd::kPrintTree, &folder, 0},
        {cmd::kUpdateReport, &root, off},
        {cmd::kUpdateReport, &liveRoot, 0},
        {cmd::kUpdateReport, &folder, off},
        {cmd::kQuickLoadPlain, &none, off},
        {cmd::kQuickLoadPlain, &liveRoot, off},
        {cmd::kExit, &full, 0},
        {cmd::kHelp, &none, 0},
        {cmd::kToolTemporaryFolders, &none, 0},
        {cmd::kQuickLoadFirst, &full, 0},
        {cmd::kLoadFiltersFirst + 3, &none, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CommandStateFor(c.id, *c.context), c.state) << c.id;
    }
    CommandContext hidden;
    hidden.statusBarVisible = false;
    EXPECT_EQ(CommandStateFor(cmd::kViewStatusBar, none), cmd::kStateChecked);
    EXPECT_EQ(CommandStateFor(cmd::kViewStatusBar, hidden), 0u);
}

TEST(CommandIds, RoutedRangesCoverEveryMenuCommand) {
    const int routed[] = {cmd::kOpenReport,
                          cmd::kUpdateReport,
                          cmd::kToolTemporaryFolders,
                          cmd::kLoadFiltersFirst,
                          cmd::kLoadFiltersFirst + cmd::kFileListMaxItems - 1,
                          cmd::kQuickLoadFirst,
                          cmd::kQuickLoadFirst + cmd::kFileListMaxItems - 1};
    for (int id : routed) {
        EXPECT_TRUE(cmd::IsShellCommand(id)) << id;
    }
    // The frame's own commands stay with the frame.
    for (int id : {cmd::kExit, cmd::kAbout, cmd::kViewStatusBar, 31999, 32811, 40101, 40301}) {
        EXPECT_FALSE(cmd::IsShellCommand(id)) << id;
    }
}

TEST(ListFilesWithExtension, ListsMatchingFilesOnlyUpToTheLimit) {
    test::ScratchDir dir;
    dir.WriteText("one.mcr", "x");
    dir.WriteText("TWO.MCR", "x");
    dir.WriteText("three.mcf", "x");
    dir.WriteText("four.mcr.bak", "x");
    dir.MakeDir("folder.mcr");
    dir.WriteText("folder.mcr/inner.mcr", "x");

    std::vector<std::string> names = ListFilesWithExtension(dir.Path(), "mcr", cmd::kFileListMaxItems);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"TWO.MCR", "one.mcr"}));
    EXPECT_EQ(ListFilesWithExtension(dir.Path(), "mcr", 1).size(), 1u);
    EXPECT_EQ(ListFilesWithExtension(dir.Path(), "mcf", 99), std::vector<std::string>{"three.mcf"});
    EXPECT_TRUE(ListFilesWithExtension(dir.Sub("missing"), "mcr", 99).empty());
}

TEST(ListFilesWithExtension, StopsAtNinetyNineItems) {
    test::ScratchDir dir;
    for (int i = 0; i < 120; ++i) {
        dir.WriteText("r" + std::to_string(i) + ".mcr", "");
    }
    EXPECT_EQ(ListFilesWithExtension(dir.Path(), "mcr", cmd::kFileListMaxItems).size(), 99u);
}

TEST(ShellMessages, UseTheExactTexts) {
    EXPECT_EQ(LimitMessage(), "Maximum number of opened reports = 5\nClose one or more reports and try again");
    EXPECT_EQ(SecondCopyMessage(kAppTitle),
              "Talvorn Quarvex already running.\n Do you want switch to already running program?");
}

}  // namespace
}  // namespace qv
