// The list of files: exact bytes of both styles, sorting, masks, and failures.
#include "tools/FileList.h"

#include <gtest/gtest.h>

#include "TestUtil.h"

namespace qv::tools {
namespace {

using test::ScratchDir;

std::string ListOf(const std::string& folder, const FileListOptions& options, FileListResult* result = nullptr) {
    std::string text;
    const FileListResult got = WriteFileList(folder, options, [&](std::string_view piece) {
        text.append(piece);
        return true;
    });
    if (result != nullptr) {
        *result = got;
    }
    return text;
}

TEST(FileList, BothStylesWriteTheExactBytes) {
    ScratchDir dir;
    dir.WriteFile("charmap.exe", 1);
    dir.WriteFile("Calc.exe", 1);
    dir.WriteFile("System/aca.dll", 1);
    dir.WriteFile("System/notes.bak", 1);
    dir.MakeDir("System/Empty");
    const std::string root = platform::FullFolderPath(dir.Path());
    const std::string sys = platform::JoinPath(root, "System");
    const std::string empty = platform::JoinPath(sys, "Empty");
    const char s = platform::kPathSeparator;
    const std::pair<FileListOptions, std::string> cases[] = {
        {{}, root + s + "Calc.exe\r\n" + root + s + "charmap.exe\r\n" + sys + s + "aca.dll\r\n" + sys + s + "notes.bak\r\n"},
        {{.except = "*.bak", .relative = true}, std::string("Calc.exe\r\ncharmap.exe\r\nSystem") + s + "aca.dll\r\n"},
        {{.except = "", .recursive = false}, root + s + "Calc.exe\r\n" + root + s + "charmap.exe\r\n"},
        // No listed file in the root: its block is left out.
        {{.except = "*.exe", .style = ListStyle::FolderBased}, sys + "\r\n\taca.dll\r\n\tnotes.bak\r\n\r\n"},
        {{.except = "*.dll", .style = ListStyle::FolderBased, .emptyFolders = true},
         root + "\r\n\tCalc.exe\r\n\tcharmap.exe\r\n\r\n" + sys + "\r\n\tnotes.bak\r\n\r\n" + empty + "\r\n\r\n"},
    };
    for (const auto& [options, expected] : cases) {
        EXPECT_EQ(ListOf(dir.Path(), options), expected) << static_cast<int>(options.style) << " " << options.except;
    }
}

TEST(FileList, NamesSortIgnoringCaseAndMasksApply) {
    ScratchDir dir;
    std::vector<std::string> names = {"b.txt", "B.TXT2", "a.txt", "Ab.txt", "c.log", "&\xc3\xa9.txt"};
    std::string expected = "&\xc3\xa9.txt\r\na.txt\r\nAb.txt\r\nb.txt\r\nB.TXT2\r\n";
#ifndef _WIN32
    names.push_back("a\"<>.txt");  // characters Windows refuses in names
    expected.insert(expected.find("a.txt"), "a\"<>.txt\r\n");
#endif
    for (const std::string& name : names) {
        dir.WriteFile(name, 1);
    }
    FileListOptions options;
    options.relative = true;
    options.masks = " *.TXT , *.txt2";  // blanks and commas as typed
    FileListResult result;
    EXPECT_EQ(ListOf(dir.Path(), options, &result), expected);
    EXPECT_EQ(result.files, static_cast<std::int64_t>(names.size()) - 1);
    EXPECT_EQ(std::tuple(NameLessIgnoringCase("a.txt", "B.txt"), NameLessIgnoringCase("A.txt", "a.txt"),
                         NameLessIgnoringCase("ab", "abc")),
              std::tuple(true, false, true));
    options.masks = ";;;";
    EXPECT_EQ(ListOf(dir.Path(), options), "");
}

TEST(FileList, ResultsFileInsideTheFolderIsListedAndFailuresAreNamed) {
    ScratchDir dir;
    dir.WriteFile("one.txt", 3);
    const std::string results = dir.Sub("list.txt");
    FileListOptions options;
    options.relative = true;
    std::int64_t files = -1;
    ASSERT_EQ(CreateFileList(dir.Path(), results, options, &files), ListOutcome::Written);
    EXPECT_EQ(std::pair(files, test::ReadAll(results)), std::pair(std::int64_t{2}, std::string("list.txt\r\none.txt\r\n")));
    EXPECT_EQ(ListResultText(ListOutcome::Written, files, results), "2 files found");
    EXPECT_EQ(ListResultText(ListOutcome::Written, 0, results), "No files found");

    const std::string nowhere = dir.Sub("no/such/folder/list.txt");
    EXPECT_EQ(CreateFileList(dir.Path(), nowhere, options, &files), ListOutcome::CannotCreate);
    EXPECT_EQ(ListResultText(ListOutcome::CannotCreate, files, nowhere), "Cannot create file: " + nowhere);

    int calls = 0;
    const FileListResult failed = WriteFileList(dir.Path(), options, [&](std::string_view) {
        ++calls;
        return false;
    });
    EXPECT_EQ(std::pair(failed.writeFailed, calls), std::pair(true, 1));
    EXPECT_EQ(ListResultText(ListOutcome::WriteFailed, 2, results), "Cannot write file: " + results);
}

}  // namespace
}  // namespace qv::tools
