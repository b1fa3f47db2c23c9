// quarvex-cli end to end, in-process: usage errors, scans of generated trees, saved reports
// shown sorted and with chosen titles, folder information, and failures to read or write.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "cli/Cli.h"
#include "filters/FilterSet.h"
#include "platform/Platform.h"

namespace qv::cli {
namespace {

using test::ScratchDir;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

CliRun Cli(std::vector<std::string> args) {
    CliRun run;
    CliIo io;
    io.out = [&run](std::string_view text) { run.out.append(text); };
    io.err = [&run](std::string_view text) { run.err.append(text); };
    run.status = RunCli(args, io);
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A small tree: big (3 files of 10,000 bytes), mid (20,000), Small (1 byte), files at the root.
class CliTree : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            tree.WriteFile("big/f" + std::to_string(i) + ".txt", 10000);
        }
        tree.WriteFile("mid/m.zip", 20000);
        tree.WriteFile("Small/s.tmp", 1);
        tree.WriteFile("root.txt", 5);
        root = platform::FullFolderPath(tree.Path());
        report = out.Sub("r.mcr");
    }
    ScratchDir tree;
    ScratchDir out;
    std::string root;
    std::string report;
};

TEST(Cli, HelpVersionAndBadUsage) {
    CliRun help = Cli({"--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_NE(help.out.find("Usage: quarvex-cli scan FOLDER"), std::string::npos);
    CliRun version = Cli({"--version"});
    EXPECT_EQ(version.status, kExitOk);
    EXPECT_EQ(version.out, "quarvex-cli 0.1.0\n");

    // Command lines with their arguments separated by blanks.
    for (const char* line :
         {"", "frobnicate", "scan", "scan a b", "scan . --cluster 3000", "scan . --cluster -4096", "scan . --cluster",
          "scan . --filters f.mcf --no-filters", "scan . --bogus", "show", "show r.mcr --titles size,colour",
          "show r.mcr --sort height", "info", "info r.mcr /a /b"}) {
        std::vector<std::string> args;
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            args.push_back(word);
        }
        CliRun run = Cli(args);
        EXPECT_EQ(run.status, kExitUsage) << '"' << line << '"';
        EXPECT_NE(run.err.find("Usage:"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(CliTree, ScanPrintsTheTreeAndASummary) {
    CliRun run = Cli({"scan", tree.Path(), "--cluster", "4096"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.err, "");
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 6u);  // root, three folders, the files item, the summary
    EXPECT_EQ(lines[0].rfind(root + " = 64 K", 0), 0u) << lines[0];
    for (std::size_t i = 1; i < 5; ++i) {
        EXPECT_EQ(lines[i].rfind("  ", 0), 0u);
        EXPECT_NE(lines[i][2], ' ');
    }
    EXPECT_EQ(lines[4].rfind("  {" + root + " files} = 4 K, 6%", 0), 0u) << lines[4];
    EXPECT_EQ(
        lines[5].rfind("Folders: 3, files: 6, size: 48.83 K (50 006 bytes), allocated: 64 K (65 536 bytes), time: ", 0),
        0u)
        << lines[5];
}

TEST_F(CliTree, SavedReportShowsTheSameTreeSortedAsAsked) {
    CliRun scan = Cli({"scan", tree.Path(), "-o", report, "--quiet", "--cluster", "4096"});
    ASSERT_EQ(scan.status, kExitOk) << scan.err;
    EXPECT_EQ(scan.out, "");
    CliRun shown = Cli({"scan", tree.Path(), "--cluster", "4096"});
    CliRun show = Cli({"show", report});
    ASSERT_EQ(show.status, kExitOk) << show.err;
    auto scanned = Lines(shown.out);
    auto reopened = Lines(show.out);
    ASSERT_EQ(scanned.size(), reopened.size());
    for (std::size_t i = 0; i + 1 < scanned.size(); ++i) {
        EXPECT_EQ(scanned[i], reopened[i]);
    }

    struct Case {
        const char* sort;
        std::vector<std::string> order;
    } cases[] = {
        {"size", {"big", "mid", "Small"}},
        {"name", {"big", "mid", "Small"}},
    };
    for (const Case& c : cases) {
        CliRun sorted = Cli({"show", report, "--sort", c.sort, "--titles", "size"});
        ASSERT_EQ(sorted.status, kExitOk);
        const auto lines = Lines(sorted.out);
        ASSERT_EQ(lines.size(), 6u);
        for (std::size_t i = 0; i < c.order.size(); ++i) {
            EXPECT_EQ(lines[i + 1].rfind("  " + c.order[i] + " ", 0), 0u) << c.sort << ": " << lines[i + 1];
        }
        EXPECT_EQ(lines[4].rfind("  {", 0), 0u);  // the files item stays last
    }
    CliRun bare = Cli({"show", report, "--titles", "notes"});
    EXPECT_EQ(Lines(bare.out)[0], root + " ");
}

TEST_F(CliTree, InfoOfTheRootAndOfAFolder) {
    ASSERT_EQ(Cli({"scan", tree.Path(), "-o", report, "--quiet", "--cluster", "4096"}).status, kExitOk);
    CliRun info = Cli({"info", report});
    ASSERT_EQ(info.status, kExitOk) << info.err;
    // A reopened root with a drive letter gets its path with a backslash, like "C:\Windows\".
    const std::string rootPath = root.size() > 1 && root[1] == ':' ? root + "\\" : root;
    EXPECT_NE(info.out.find("Path:          " + rootPath + "\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Cluster:       user: 4096 bytes\n"), std::string::npos);
    EXPECT_NE(info.out.find("Size:          48.83 K (50 006 bytes)\n"), std::string::npos);
    EXPECT_NE(info.out.find("Files:         6\n"), std::string::npos);
    EXPECT_NE(info.out.find("Folders:       3\n"), std::string::npos);
    EXPECT_NE(info.out.find("Temporary:     yes\n"), std::string::npos);
    EXPECT_NE(info.out.find("03. Documents: 4 files, size 29.30 K (30 005 bytes), allocated 40 K (40 960 bytes) | "
                            "1 files, size 5 bytes, allocated 4 K (4 096 bytes)\n"),
              std::string::npos)
        << info.out;

    const std::string big = platform::JoinPath(root, "big");
    CliRun folder = Cli({"info", report, big + platform::kPathSeparator});
    ASSERT_EQ(folder.status, kExitOk) << folder.err;
    EXPECT_NE(folder.out.find("Name:          big\n"), std::string::npos);
    EXPECT_NE(folder.out.find("Files:         3\n"), std::string::npos);
    EXPECT_NE(folder.out.find("Folders:       none\n"), std::string::npos);
    EXPECT_NE(folder.out.find("Temporary:     no\n"), std::string::npos);
    EXPECT_EQ(folder.out.find("Cluster:"), std::string::npos);

    CliRun missing = Cli({"info", report, platform::JoinPath(root, "nowhere")});
    EXPECT_EQ(missing.status, kExitFile);
    EXPECT_NE(missing.err.find("nowhere"), std::string::npos);
}

TEST_F(CliTree, FilterFileOrNoFilters) {
    FilterSet set;
    set.SetEditing(true);
    FilterInfo zips;
    zips.name = "Zips";
    zips.masks = "*.zip;";
    set.AddFilter(zips);
    set.SetEditing(false);
    ASSERT_TRUE(set.SaveToFile(out.Sub("zips.mcf")));
    ASSERT_EQ(Cli({"scan", tree.Path(), "-o", report, "--quiet", "--filters", out.Sub("zips.mcf")}).status, kExitOk);
    CliRun info = Cli({"info", report});
    EXPECT_NE(info.out.find("01. Zips: 1 files"), std::string::npos) << info.out;
    EXPECT_EQ(info.out.find("Documents"), std::string::npos);

    ASSERT_EQ(Cli({"scan", tree.Path(), "-o", report, "--quiet", "--no-filters"}).status, kExitOk);
    CliRun plain = Cli({"info", report});
    EXPECT_EQ(plain.out.find("Filters"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("Temporary:     no\n"), std::string::npos);
}

TEST_F(CliTree, UnreadableOrUnwritableFilesExitWithTwoAndNameThem) {
    struct Case {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{"scan", tree.Sub("missing")}, tree.Sub("missing")},
        {{"scan", tree.Sub("root.txt")}, tree.Sub("root.txt")},
        {{"scan", tree.Path(), "--filters", out.Sub("none.mcf")}, out.Sub("none.mcf")},
        {{"scan", tree.Path(), "--quiet", "-o", out.Sub("no-folder/r.mcr")}, out.Sub("no-folder/r.mcr")},
        {{"show", out.Sub("none.mcr")}, out.Sub("none.mcr")},
        {{"info", out.Sub("none.mcr")}, out.Sub("none.mcr")},
    };
    for (const Case& c : cases) {
        CliRun run = Cli(c.args);
        EXPECT_EQ(run.status, kExitFile) << c.named;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Usage:"), std::string::npos);
    }
    out.WriteText("markers.mcr", "<node name=\"report\"><node name=\"?drive?\" desc=\"0;0;12;1\"/></node>");
    CliRun noFolders = Cli({"show", out.Sub("markers.mcr")});
    EXPECT_EQ(noFolders.status, kExitFile);
    EXPECT_EQ(noFolders.err, "quarvex-cli: Error reading file: " + out.Sub("markers.mcr") + "\n");
}

}  // namespace
}  // namespace qv::cli
