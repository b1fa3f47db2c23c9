// The main shell's window-free rules: suggested file names, drops, menu states, file lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "TestUtil.h"
#include "app/CommandIds.h"
#include "app/ShellRules.h"

namespace qv {
namespace {

// The suggested report file name replaces separators in order; the folder of a file keeps a
// drive root; the drive root is where the folder dialog starts.
TEST(ShellPathRules, NamesFoldersAndRoots) {
    using Rule = std::string (*)(std::string_view);
    const std::tuple<Rule, const char*, const char*> cases[] = {
        {SuggestReportFileName, "D:\\Windows\\System", "D#Windows^System"},
        {SuggestReportFileName, "\\\\server\\share\\dir", "#server^share^dir"},
        {SuggestReportFileName, "/home/user/data", "^home^user^data"},
        {SuggestReportFileName, "Z:\\mixed/sep\\\\x", "Z#mixed^sep#x"},  // a doubled backslash inside too
        {FolderOfFile, "C:\\Data\\a.txt", "C:\\Data"},
        {FolderOfFile, "C:\\a.txt", "C:\\"},
        {FolderOfFile, "\\\\srv\\share\\a.txt", "\\\\srv\\share"},
        {FolderOfFile, "a.txt", ""},
        {DriveRootOf, "C:\\Data\\x", "C:\\"},
        {DriveRootOf, "e:", "e:\\"},
        {DriveRootOf, "\\\\srv\\share\\dir", "\\\\srv\\share\\"},
        {DriveRootOf, "\\\\srv", ""},
        {DriveRootOf, "/home/u", "/"},
        {DriveRootOf, "relative\\dir", ""},
    };
    for (const auto& [rule, path, expected] : cases) {
        EXPECT_EQ(rule(path), expected) << path;
    }
}

TEST(ClassifyDrop, FoldersReportsFilterFilesAndOtherFiles) {
    const std::tuple<bool, DropAction, std::vector<const char*>> cases[] = {
        // folder, action, paths
        {true, DropAction::CreateReport, {"C:\\Data", "C:\\Data.mcr"}},  // a folder whatever its name
        {false, DropAction::OpenReport, {"C:\\r\\a.mcr", "C:\\r\\A.MCR"}},
        {false, DropAction::OpenFilters, {"C:\\r\\f.McF"}},
        // ".mcr" alone is a name, not an extension; so is a dot in a folder's name.
        {false, DropAction::ReportOfFolder, {"C:\\Data\\a.mcr.txt", "C:\\Data\\.mcr", "C:\\x.mcr\\readme"}},
    };
    for (const auto& [folder, action, paths] : cases) {
        for (const char* path : paths) {
            EXPECT_EQ(ClassifyDrop(path, folder), action) << path;
        }
    }
}

TEST(CommandStateFor, FollowsTheMenuRules) {
    const CommandContext none;  // no report, no record
    const CommandContext full{.openReports = kMaxOpenReports};
    const CommandContext folder{.openReports = 1, .hasRecord = true};  // a folder below a root is selected
    const CommandContext root{.openReports = 1, .hasRecord = true, .recordIsRoot = true};
    const CommandContext liveRoot{.openReports = 1, .hasRecord = true, .recordIsRoot = true, .rootFolderExists = true};

    // Per context, the commands it enables and those it disables.
    const struct {
        const CommandContext* context;
        std::vector<int> enabled;
        std::vector<int> disabled;
    } cases[] = {
        {&none,
         {cmd::kCreateReport, cmd::kHelp, cmd::kToolTemporaryFolders, cmd::kLoadFiltersFirst + 3},
         {cmd::kSaveReport, cmd::kPrintFolderInfo, cmd::kQuickLoadPlain}},
        {&full, {cmd::kExit, cmd::kQuickLoadFirst}, {cmd::kCreateReport, cmd::kOpenReport}},
        {&folder, {cmd::kPrintFolderInfo, cmd::kPrintTree}, {cmd::kSaveReport, cmd::kCloseReport, cmd::kUpdateReport}},
        {&root, {cmd::kOpenReport, cmd::kSaveReport, cmd::kCloseReport}, {cmd::kUpdateReport}},
        {&liveRoot, {cmd::kUpdateReport}, {cmd::kQuickLoadPlain}},
    };
    for (const auto& c : cases) {
        for (int id : c.enabled) {
            EXPECT_EQ(CommandStateFor(id, *c.context), 0u) << id;
        }
        for (int id : c.disabled) {
            EXPECT_EQ(CommandStateFor(id, *c.context), cmd::kStateDisabled) << id;
        }
    }
    const CommandContext hidden{.statusBarVisible = false};
    EXPECT_EQ(std::pair(CommandStateFor(cmd::kViewStatusBar, none), CommandStateFor(cmd::kViewStatusBar, hidden)),
              std::pair(cmd::kStateChecked, 0u));
}

TEST(ListFilesWithExtension, ListsMatchingFilesOnlyUpToTheLimit) {
    test::ScratchDir dir;
    for (const char* name : {"one.mcr", "TWO.MCR", "three.mcf", "four.mcr.bak", "folder.mcr/inner.mcr"}) {
        dir.WriteText(name, "x");
    }
    std::vector<std::string> names = ListFilesWithExtension(dir.Path(), "mcr", cmd::kFileListMaxItems);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"TWO.MCR", "one.mcr"}));
    EXPECT_EQ(std::tuple(ListFilesWithExtension(dir.Path(), "mcr", 1).size(), ListFilesWithExtension(dir.Path(), "mcf", 99),
                         ListFilesWithExtension(dir.Sub("missing"), "mcr", 99).size()),
              std::tuple(1u, std::vector<std::string>{"three.mcf"}, 0u));
}

// The messages name the real limit and the program they are about.
}  // namespace
}  // namespace qv
