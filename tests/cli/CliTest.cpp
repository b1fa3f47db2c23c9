// quarvex-cli end to end, in-process: one case per command (the formatting below it has its own
// tests), usage errors, and failures to read or write.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "TestUtil.h"
#include "cli/Cli.h"
#include "platform/Platform.h"

namespace qv::cli {
namespace {

using test::Join;
using test::ScratchDir;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the command line; the output takes at most `room` bytes (like a full disk), the write
// that does not fit fails.
CliRun Cli(std::vector<std::string> args, std::size_t room = std::string::npos) {
    CliRun run;
    CliIo io;
    io.out = [&run, room](std::string_view text) {
        if (run.out.size() + text.size() > room) {
            return false;
        }
        run.out.append(text);
        return true;
    };
    io.err = [&run](std::string_view text) { run.err.append(text); };
    run.status = RunCli(args, io);
    return run;
}

std::vector<std::string> Lines(const std::string& text, char separator = '\n') {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line, separator);) {
        lines.push_back(line);
    }
    return lines;
}

// The lines of `text` to compare with `patterns`: a line whose pattern ends with '*' is cut to
// the length of the pattern before the '*', and gets the '*'.
std::vector<std::string> Heads(const std::string& text, const std::vector<std::string>& patterns) {
    std::vector<std::string> lines = Lines(text);
    for (std::size_t i = 0; i < lines.size() && i < patterns.size(); ++i) {
        if (!patterns[i].empty() && patterns[i].back() == '*') {
            lines[i] = lines[i].substr(0, patterns[i].size() - 1) + "*";
        }
    }
    return lines;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A small tree: big (3 files of 10,000 bytes), mid (20,000), Small (1 byte), files at the root.
class CliTree : public ::testing::Test {
  protected:
    void SetUp() override {
        tree.Build("big/f0.txt:10000 big/f1.txt:10000 big/f2.txt:10000 mid/m.zip:20000 Small/s.tmp:1 root.txt:5");
        root = platform::FullFolderPath(tree.Path());
        report = out.Sub("r.mcr");
    }
    ScratchDir tree;
    ScratchDir out;
    std::string root;
    std::string report;
};

TEST(Cli, HelpVersionAndBadUsage) {
    EXPECT_TRUE(Has(Cli({"--help"}).out, "Usage: quarvex-cli scan FOLDER"));
    for (const char* line : {"", "frobnicate", "scan", "scan a b", "scan . --cluster -4096", "scan . --cluster",
                             "scan . --cluster 2147483648", "scan . --filters f.mcf --no-filters", "scan . --bogus",
                             "scan . --threads 0", "scan . --threads 9", "show", "show r.mcr --titles size,colour",
                             "show r.mcr --sort height", "show r.mcr --bogus", "show a.mcr b.mcr", "info",
                             "info r.mcr /a /b", "files", "files r.mcr T a b", "files r.mcr T --sort height",
                             "files r.mcr T --all"}) {
        const CliRun run = Cli(Lines(line, ' '));
        EXPECT_EQ(Join(run.status, Has(run.err, "Usage:"), run.out), Join(kExitUsage, true, "")) << line;
    }
}

// The tree and its summary; the saved report shows the same tree, sorted as asked, and info
// describes its root and a folder.
TEST_F(CliTree, ScanPrintsTheTreeAndASummaryAndTheSavedReportShowsIt) {
    const CliRun scan = Cli({"scan", tree.Path(), "-o", report, "--cluster", "4096", "--threads", "1"});
    ASSERT_EQ(scan.status, kExitOk) << scan.err;
    const std::vector<std::string> expected = {  // root, three folders, the files item, the summary
        root + " = 64 K*", "*", "*", "*", "  {" + root + " files} = 4 K, 6%*",
        "Folders: 3, files: 6, size: 48.83 K (50 006 bytes), allocated: 64 K (65 536 bytes), time: *"};
    EXPECT_EQ(Heads(scan.out, expected), expected);
    const CliRun show = Cli({"show", report});  // the same tree; the summaries differ
    auto treeLines = [](const std::string& text) { return text.substr(0, text.rfind('\n', text.size() - 2) + 1); };
    EXPECT_EQ(Join(show.status, treeLines(show.out)), Join(kExitOk, treeLines(scan.out))) << show.err;
    for (const char* sort : {"size", "name"}) {  // the same order both ways, the files item last
        const std::vector<std::string> order = {"*", "  big *", "*", "  Small *", "*", "*"};
        EXPECT_EQ(Heads(Cli({"show", report, "--sort", sort, "--titles", "size"}).out, order), order) << sort;
    }
    EXPECT_EQ(Lines(Cli({"show", report, "--titles", "notes"}).out)[0], root + " ");
    EXPECT_EQ(Cli({"scan", tree.Path(), "--quiet"}).out, "");

    const CliRun info = Cli({"info", report});
    ASSERT_EQ(info.status, kExitOk) << info.err;
    // A reopened root with a drive letter gets its path with a backslash, like "C:\Windows\".
    const std::string rootPath = root.size() > 1 && root[1] == ':' ? root + "\\" : root;
    for (const std::string& line :
         {"Path:          " + rootPath + "\n", std::string("Cluster:       user: 4096 bytes\n"),
          std::string("Temporary:     yes\n"),
          std::string("03. Documents: 4 files, size 29.30 K (30 005 bytes), allocated 40 K (40 960 bytes) | "
                      "1 files, size 5 bytes, allocated 4 K (4 096 bytes)\n")}) {
        EXPECT_TRUE(Has(info.out, line)) << line << info.out;
    }
    const CliRun folder = Cli({"info", report, platform::JoinPath(root, "big") + platform::kPathSeparator});
    EXPECT_EQ(Join(folder.status, Has(folder.out, "Name:          big\n"), Has(folder.out, "Files:         3\n"),
                         Has(folder.out, "Cluster:")),
              Join(kExitOk, true, true, false))
        << folder.out << folder.err;
    const CliRun missing = Cli({"info", report, platform::JoinPath(root, "nowhere")});
    EXPECT_EQ(Join(missing.status, Has(missing.err, "nowhere")), Join(kExitFile, true));
}

TEST_F(CliTree, FilterFileOrNoFilters) {
    out.WriteText("zips.mcf",
                  "<node name=\"Filters\"><node name=\"Zips\" desc=\"*.zip;\" id=\"1\" val2=\"1\"/></node>");
    ASSERT_EQ(Cli({"scan", tree.Path(), "-o", report, "--quiet", "--filters", out.Sub("zips.mcf")}).status, kExitOk);
    const std::string info = Cli({"info", report}).out;
    ASSERT_EQ(Cli({"scan", tree.Path(), "-o", report, "--quiet", "--no-filters"}).status, kExitOk);
    const std::string plain = Cli({"info", report}).out;
    EXPECT_EQ(Join(Has(info, "01. Zips: 1 files"), Has(info, "Documents"), Has(plain, "Filters"),
                         Has(plain, "Temporary:     no\n")),
              "1 0 0 1")
        << info << plain;
}

TEST_F(CliTree, FilesListsWhereAFilterFoundFilesAndWhatMatchesNow) {
    tree.WriteFile("Small/b.bak", 5000);
    ASSERT_EQ(Cli({"scan", tree.Path(), "-o", report, "--quiet", "--cluster", "4096"}).status, kExitOk);
    tree.WriteFile("Small/~new", 3);  // on disk after the scan: listed now, not in the report
    const std::string small = platform::JoinPath(root, "Small");
    const CliRun folders = Cli({"files", report, "Temporary", "--folders"});
    EXPECT_EQ(Join(folders.status, folders.out), Join(kExitOk, small + "\t2\t12288\n")) << folders.err;
    const CliRun files = Cli({"files", report, "6", small, "--sort", "size", "--reverse"});
    ASSERT_EQ(files.status, kExitOk) << files.err;
    const std::vector<std::string> lines = {small, "\ts.tmp\t1\t*", "\t~new\t3\t*", "\tb.bak\t5000\t*",
                                            "16 K\t3\t5 004"};
    EXPECT_EQ(Heads(files.out, lines), lines);
    const CliRun unknown = Cli({"files", report, "Nope"});
    EXPECT_EQ(Join(unknown.status, Has(unknown.err, "no filter 'Nope'")), Join(kExitUsage, true)) << unknown.err;
}

TEST_F(CliTree, UnreadableOrUnwritableFilesExitWithTwoAndNameThem) {
    out.WriteText("markers.mcr", "<node name=\"report\"><node name=\"?drive?\" desc=\"0;0;12;1\"/></node>");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        // arguments, the file named
        {{"scan", tree.Sub("missing")}, tree.Sub("missing")},
        {{"scan", tree.Sub("root.txt")}, tree.Sub("root.txt")},
        {{"scan", tree.Path(), "--filters", out.Sub("none.mcf")}, out.Sub("none.mcf")},
        {{"scan", tree.Path(), "--quiet", "-o", out.Sub("no-folder/r.mcr")}, out.Sub("no-folder/r.mcr")},
        {{"show", out.Sub("none.mcr")}, out.Sub("none.mcr")},
        {{"show", out.Sub("markers.mcr")}, "Error reading file: " + out.Sub("markers.mcr") + "\n"},
    };
    for (const auto& [args, named] : cases) {
        const CliRun run = Cli(args);
        EXPECT_EQ(Join(run.status, Has(run.err, named), Has(run.err, "Usage:")),
                  Join(kExitFile, true, false))
            << run.err;
    }
}

// Output that cannot be written (a full disk, /dev/full) fails every command that prints.
TEST_F(CliTree, OutputThatCannotBeWrittenExitsWithTwo) {
    ASSERT_EQ(Cli({"scan", tree.Path(), "-o", report, "--quiet"}).status, kExitOk);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"scan", tree.Path()}, {"show", report}, {"info", report}, {"--help"}, {"--version"}}) {
        for (std::size_t room : {std::size_t{0}, std::size_t{10}}) {
            const CliRun run = Cli(args, room);
            EXPECT_EQ(Join(run.status, run.err), Join(kExitFile, "quarvex-cli: cannot write the output\n"))
                << args[0] << " " << room;
        }
    }
}

// show (and info, through the same open) prints what a cut report holds, then says it is
// incomplete and exits with 2.
TEST_F(CliTree, AnIncompleteReportIsShownAndNamedIncomplete) {
    ASSERT_EQ(Cli({"scan", tree.Path(), "-o", report, "--quiet", "--cluster", "4096"}).status, kExitOk);
    const std::string text = test::ReadAll(report);
    out.WriteText("cut.mcr", text.substr(0, text.find("<node name=\"big\"") + 30));
    const CliRun show = Cli({"show", out.Sub("cut.mcr")});  // the root's totals as saved
    EXPECT_EQ(Join(show.status, show.err, show.out.substr(0, root.size() + 7)),
              Join(kExitFile, "quarvex-cli: The file " + out.Sub("cut.mcr") +
                                        " is incomplete: the report shows only what could be read.\n",
                         root + " = 64 K"));
}

#ifndef _WIN32
TEST_F(CliTree, AReportIsNeverWrittenIntoAPipeButReadFromOne) {
    ::alarm(60);  // a hang fails the test instead of stalling the run
    ASSERT_EQ(::mkfifo(out.Sub("pipe.mcr").c_str(), 0600), 0);
    const CliRun scan = Cli({"scan", tree.Path(), "--quiet", "-o", out.Sub("pipe.mcr")});
    struct stat st;
    const bool stillAPipe = ::lstat(out.Sub("pipe.mcr").c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
    EXPECT_EQ(Join(scan.status, scan.err, stillAPipe),
              Join(kExitFile, "quarvex-cli: cannot write report file '" + out.Sub("pipe.mcr") +
                                        "': it is not a regular file\n",
                         true));

    // What the shell hands over for <(cat r.mcr): a pipe under /dev/fd.
    ASSERT_EQ(Cli({"scan", tree.Path(), "-o", report, "--quiet"}).status, kExitOk);
    const std::string text = test::ReadAll(report);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));  // fits the pipe
    ::close(ends[1]);
    const CliRun show = Cli({"show", "/dev/fd/" + std::to_string(ends[0])});
    ::close(ends[0]);
    EXPECT_EQ(Join(show.status, show.out.substr(0, root.size() + 3)), Join(kExitOk, root + " = ")) << show.err;
    ::alarm(0);
}
#endif

// The console tool only reads reports: one the user may read but not write shows.
TEST_F(CliTree, AReadOnlyReportShows) {
    ASSERT_EQ(Cli({"scan", tree.Path(), "-o", report, "--quiet"}).status, kExitOk);
    test::MakeReadOnly(report);
    const auto seen = test::RunUnprivilegedForText([this] {
        const CliRun run = Cli({"info", report});
        return std::to_string(run.status) + (Has(run.out, "Files:         6\n") ? " six files" : " " + run.out);
    });
    if (!seen) {
        GTEST_SKIP() << "cannot drop the super-user's privileges";
    }
    EXPECT_EQ(*seen, "0 six files");
}

#ifndef _WIN32
// A folder that cannot be read is named on the error stream, counted in the summary and makes
// the exit status 2; the saved report marks it, and info shows the mark.
TEST_F(CliTree, UnreadableFoldersAreNamedCountedAndMarked) {
    tree.WriteFile("Small/locked/inside.txt", 5);
    ::chmod(tree.Sub("Small/locked").c_str(), 0);
    ::chmod(out.Path().c_str(), 0777);
    const auto scanned = test::RunUnprivilegedForText([&] {
        CliRun run = Cli({"scan", tree.Path(), "-o", report, "--cluster", "4096"});
        const auto lines = Lines(run.out);
        return std::to_string(run.status) + "\n" + run.err + (lines.empty() ? "" : lines.back());
    });
    if (!scanned) {
        GTEST_SKIP() << "cannot give up root's rights here";
    }
    const std::string locked = platform::JoinPath(platform::JoinPath(root, "Small"), "locked");
    const std::string info = Cli({"info", report, locked}).out;  // how marks read is the info panel's test
    EXPECT_EQ(Join(scanned->substr(0, scanned->find("Folders:")), Has(*scanned, "Folders: 4, files: 6, "),
                   Has(*scanned, ", unreadable folders: 1, time: "), Has(info, "Files:         none (error here)\n")),
              Join("2\nquarvex-cli: cannot read folder '" + locked + "': Permission denied\n", true, true, true))
        << *scanned << info;
}
#endif

TEST_F(CliTree, DiffPrintsWhatChangedSinceTheReport) {
    ASSERT_EQ(Cli({"scan", tree.Path(), "--quiet", "-o", report}).status, kExitOk);
    tree.WriteFile("mid/m.zip", 30000);              // grows by 10,000 bytes
    tree.WriteFile("new/n.txt", 100);                // created
    std::filesystem::remove_all(tree.Sub("Small"));  // deleted with its byte
    const std::string sep(1, platform::kPathSeparator);

    CliRun rows = Cli({"diff", report});
    ASSERT_EQ(rows.status, kExitOk) << rows.err;
    // A reopened C:\\ path keeps its backslash. By path ignoring case; the root changed below
    // only, so it has no row.
    const std::vector<std::string> expected = {root + "*", "Since *", "." + sep + "mid\tsize\t+9.77 K\t+9.77 K",
                                               "." + sep + "new\tcreated\t+100 bytes\t+100 bytes",
                                               "." + sep + "Small\tdeleted\t-1 bytes\t-1 bytes"};
    EXPECT_EQ(Heads(rows.out, expected), expected);
    std::vector<std::string> lines = Lines(rows.out);
    EXPECT_TRUE(Has(lines[1] + "$", " :  +9.86 K$")) << lines[1];
    CliRun bySize = Cli({"diff", report, root, "--sort", "sum", "--reverse"});
    EXPECT_EQ(Lines(bySize.out), (std::vector<std::string>{lines[0], lines[1], lines[4], lines[3], lines[2]}));

    lines = Lines(Cli({"diff", report, "--tree"}).out);
    ASSERT_EQ(lines.size(), 6u);
    std::sort(lines.begin() + 4, lines.end());  // created folders come first
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
              (std::vector<std::string>{root + " [ +9.86 K]", "  new [ +100 bytes]", "  Small [ -1 bytes]",
                                        "  mid [ +9.77 K]"}));
    CliRun notInReport = Cli({"diff", report, tree.Sub("new")});
    EXPECT_EQ(Join(notInReport.status, Has(notInReport.err, "no folder '" + tree.Sub("new") + "'")),
              Join(kExitUsage, true));
}

// list and temp reach the tools' engines: the bytes of the list, the result text on the error
// stream, proposed folders with their sizes, and the exit statuses.
TEST(Cli, ListAndTempCommands) {
    ScratchDir dir;
    dir.Build("b.txt:10 A.log:10 Temp/t.tmp:0");
    const std::string root = platform::FullFolderPath(dir.Path());
    const CliRun list = Cli({"list", dir.Path(), "--relative", "--mask", "*.txt,*.tmp"});
    EXPECT_EQ(Join(list.status, list.out, list.err),
              Join(kExitOk, "b.txt\r\nTemp" + std::string(1, platform::kPathSeparator) + "t.tmp\r\n",
                         "2 files found\n"));
    const std::string file = dir.Sub("out.lst");
    const CliRun folders =
        Cli({"list", dir.Path(), "-o", file, "--style", "folders", "--no-recursive", "--except", "*.lst"});
    EXPECT_EQ(Join(folders.status, test::ReadAll(file)), Join(kExitOk, root + "\r\n\tA.log\r\n\tb.txt\r\n\r\n"));
    const CliRun temp = Cli({"temp", dir.Path(), "--sizes"});
    EXPECT_EQ(Join(temp.status, temp.out), Join(kExitOk, platform::JoinPath(root, "Temp") + "\t0\n"));
    EXPECT_EQ(Join(Cli({"list", dir.Path(), "-o", dir.Sub("no/such/x.txt")}).status,
                         Cli({"list", dir.Sub("missing")}).status, Cli({"list", dir.Path(), "--style", "tree"}).status,
                         Cli({"temp"}).status, Cli({"temp", dir.Sub("missing")}).status),
              Join(kExitFile, kExitFile, kExitUsage, kExitUsage, kExitFile));
}

}  // namespace
}  // namespace qv::cli
