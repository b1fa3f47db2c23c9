// Temporary folders: Scan & Add proposals, measuring, clearing (links left alone) and the
// protected-folder rule.
#include "tools/TempFolders.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "TestUtil.h"

namespace qv::tools {
namespace {

using test::ScratchDir;

// `relative` (written with '/') with the platform's separators.
std::string Native(std::string relative) {
    for (char& c : relative) {
        c = c == '/' ? platform::kPathSeparator : c;
    }
    return relative;
}

TEST(TempFolders, ScanProposesCandidatesAndFollowsTheAnswers) {
    ScratchDir dir;
    dir.MakeDir("a/MyTemp/cache2/temp");  // cache2 answered No: its temp is proposed too
    dir.MakeDir("a/Temp/inner-temp");     // Yes: not searched further
    dir.MakeDir("b/dllcache/temp");       // passed over with what it holds
    dir.MakeDir("b/listed/temp");         // "listed" itself is not a candidate: searched
    dir.MakeDir("c/Temporary Internet Files");
    // The names the scan below does not meet.
    EXPECT_EQ(std::tuple(ClassifyTempName("Driver Cache"), ClassifyTempName("CACHE"), ClassifyTempName("temp2")),
              std::tuple(TempNameKind::PassOver, TempNameKind::Propose, TempNameKind::Search));
    const std::string root = platform::FullFolderPath(dir.Path());
    auto full = [&](const std::string& relative) { return platform::JoinPath(root, Native(relative)); };
    std::vector<std::string> asked;
    auto isListed = [&](const std::string& path) { return path == full("b/listed/temp"); };
    ProposeAnswer answer = ProposeAnswer::Yes;
    auto ask = [&](const std::string& path) {
        asked.push_back(path);
        return answer == ProposeAnswer::Yes && path == full("a/MyTemp/cache2") ? ProposeAnswer::No : answer;
    };
    ASSERT_TRUE(ScanForTemporary(root, isListed, ask));
    std::sort(asked.begin(), asked.end());  // siblings come in listing order
    EXPECT_EQ(asked, (std::vector<std::string>{full("a/MyTemp/cache2"), full("a/MyTemp/cache2/temp"), full("a/Temp"),
                                               full("c/Temporary Internet Files")}));
    asked.clear();
    answer = ProposeAnswer::Cancel;  // ends the search at the first question
    ASSERT_TRUE(ScanForTemporary(root, isListed, ask));
    EXPECT_EQ(asked.size(), 1u);
}

TEST(TempFolders, MeasureChargesAllocatedSpaceAndEmptyFilesNothing) {
    ScratchDir dir;
    dir.WriteFile("empty.tmp", 0);
    dir.WriteFile("sub/big.tmp", 100000);
    TempMeasure measure;
    ASSERT_TRUE(MeasureTempFolder(dir.Path(), &measure));
    // Allocation is by whole units of 512 bytes to 64 KB.
    EXPECT_EQ(std::tuple(measure.files, measure.allocated >= 100000, measure.allocated < 100000 + 65536),
              std::tuple(2, true, true));
    std::vector<std::string> kinds;  // a sub-folder comes before what it holds
    for (const TempItem& item : measure.items) {
        kinds.push_back((item.folder ? "D " : "F ") + item.path.substr(dir.Path().size() + 1));
    }
    const auto sub = std::find(kinds.begin(), kinds.end(), "D sub");
    EXPECT_NE(std::find(sub, kinds.end(), std::string("F ") + platform::JoinPath("sub", "big.tmp")), kinds.end());
    EXPECT_FALSE(MeasureTempFolder(dir.Sub("missing"), &measure));
}

TEST(TempFolders, ClearDeletesThroughTheCallbackAndRemovesEmptiedFolders) {
    ScratchDir dir;
    dir.WriteFile("a.tmp", 5);
    dir.WriteFile("x/y/b.tmp", 0);
    dir.MakeDir("x/z");
    ScratchDir outside;
    outside.WriteFile("keep/system.dll", 7);
    // A POSIX listing shows the link to a folder as a file, which stays and is still counted.
    int linkFiles = 0;
#ifndef _WIN32
    linkFiles = 1;
    ASSERT_EQ(::symlink(outside.Sub("keep").c_str(), dir.Sub("x/junction").c_str()), 0);
    ASSERT_EQ(::symlink(outside.Sub("keep/system.dll").c_str(), dir.Sub("filelink").c_str()), 0);
#endif
    std::vector<std::string> handed;
    auto remove = [&](const std::vector<std::string>& files) {
        handed = files;
        bool all = true;
        for (const std::string& file : files) {
            all = platform::RemoveFile(file) && all;
        }
        return all;
    };
    TempMeasure after;
    ASSERT_EQ(ClearTempFolder(dir.Path(), remove, &after), ClearOutcome::Cleared);
    std::sort(handed.begin(), handed.end());
    std::vector<std::string> expected = {dir.Sub("a.tmp"), dir.Sub(Native("x/y/b.tmp"))};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(handed, expected);  // a link to a file is removed by the engine as the link itself
    EXPECT_EQ(std::tuple(platform::IsLink(dir.Sub("filelink")), after.files, platform::DirectoryExists(dir.Sub("x/y")),
                         platform::DirectoryExists(dir.Sub("x/z")), platform::FileExists(outside.Sub("keep/system.dll"))),
              std::tuple(false, linkFiles, false, false, true));
#ifndef _WIN32
    platform::DirEntry link;
    EXPECT_TRUE(platform::StatPath(dir.Sub("x/junction"), &link));  // the link folder stays
    EXPECT_TRUE(platform::DirectoryExists(dir.Sub("x")));
#endif
    EXPECT_EQ(std::pair(ClearTempFolder(dir.Path(), remove, &after), ClearTempFolder(dir.Sub("missing"), remove, &after)),
              std::pair(ClearOutcome::NothingToDo, ClearOutcome::Missing));
    dir.WriteFile("locked.tmp", 1);
    EXPECT_EQ(ClearTempFolder(
                  dir.Path(), [](const std::vector<std::string>&) { return false; }, &after),
              ClearOutcome::DeleteFailed);
    EXPECT_EQ(after.files, 1 + linkFiles);
}

TEST(TempFolders, ProtectedFoldersAreTheSystemsOwnWhereverTheyAre) {
    // Not under the temporary folder: a path with "temp" in it is exempt inside the Windows
    // folder, and the system's temporary folder is called Temp.
    ScratchDir dir(std::filesystem::current_path());
    for (const char* name :
         {"Win/System32", "Win/Temp", "Win/MyTemp2", "Win/Other", "Win/Desktop/x", "PF", "Users/me", "Free"}) {
        dir.MakeDir(name);
    }
    ProtectedFolders folders;
    folders.system.windows = dir.Sub("Win");
    folders.system.system = dir.Sub("Win/System32");
    folders.system.temp = dir.Sub("Win/Temp");
    std::string upper = dir.Sub("PF");
    upper.back() = 'f';  // "Pf": compared ignoring case
    folders.more = {upper, dir.Sub("Users/me") + platform::kPathSeparator};
    const struct {
        std::string path;
        bool expected;
    } cases[] = {
        {dir.Sub("Win"), true},          {dir.Sub("Win") + platform::kPathSeparator, true},
        {dir.Sub("Win/System32"), true}, {dir.Sub("Win/Other"), true},
        {dir.Sub("Win/Temp"), false},    {dir.Sub("Win/MyTemp2"), false},
        {dir.Sub("PF"), true},           {dir.Sub("Users/me"), true},
        {dir.Sub("Free"), false},        {dir.Sub("missing"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsProtectedFolder(c.path, folders), c.expected) << c.path;
    }
#ifndef _WIN32
    EXPECT_TRUE(IsProtectedFolder("/", folders));
#endif
}

}  // namespace
}  // namespace qv::tools
