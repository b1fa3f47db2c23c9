// The report file: exact bytes against a golden file, round trips of scanned trees, the older
// "0.0.3" form, root paths, per-filter texts, notes, the save that never loses the old file,
// damaged input and a 10,000-level report on a small stack.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "core/ReportFile.h"
#include "core/ScanTestUtil.h"
#include "core/Scanner.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <csignal>
#endif

namespace qv {
namespace {

using namespace test;

void SetStats(FolderRecord* node, std::initializer_list<std::pair<std::string, std::int64_t>> stats) {
    for (const auto& [key, value] : stats) {
        WriteStat(node, key.c_str(), value, true);
    }
}

constexpr const char* kFilterCodes[] = {kFilterFiles,       kFilterSize,       kFilterAllocated,
                                        kFilterDirectFiles, kFilterDirectSize, kFilterDirectAllocated};

// Sets the first values.size() of a filter's six figures (files, size, allocated, then direct).
void SetFilterStats(FolderRecord* node, const std::string& filter, std::initializer_list<std::int64_t> values) {
    const char* const* code = kFilterCodes;
    for (std::int64_t value : values) {
        WriteStat(node, FilterKey(*code++, filter).c_str(), value, true);
    }
}

TitleComposer Titles() {
    return ComposeTitlesWith(TreeViewOptions());
}

// The report of tests/core/data/small.mcr, built in memory the way the passes leave it.
std::unique_ptr<Report> SmallReport() {
    auto report = MakeReport(false, 4096);
    FilterSet source;
    test::FillFilters(&source, {test::Filter("Docs", "*.txt;"), test::Filter("Temp", "*.tmp;", true)});
    report->SetFilters(&source);
    report->SetCreated("1/2/2024 at 10:00");

    FolderRecord* root = AddFolder(nullptr, "C:\\");
    root->kind = 9;
    SetStats(root,
             {{LFN, 3}, {MFS, 5000}, {NFA, 12288}, {OFN, 1}, {BTM, 132000000001234567}, {ELT, 133000000009999999}});
    SetFilterStats(root, "Docs", {2, 4000, 8192, 1, 1000, 4096});
    SetFilterStats(root, "Temp", {1, 1000, 4096});
    WriteText(root, DRM, "1/2/2024 at 10:00", true);
    WriteText(root, notes, "a<b>&#60;&c", true);
    FolderRecord* sub = AddFolder(root, "Docs");
    sub->kind = 8;
    SetStats(sub, {{LFN, 2}, {MFS, 4000}, {NFA, 8192}, {OFN, 0}});
    SetFilterStats(sub, "Docs", {1, 3000, 4096, 1});
    SetFilterStats(sub, "Temp", {1, 1000, 4096, 1});
    FolderRecord* item = AddFolder(root, "{C:\\ files}");
    item->kind = 7;
    item->group = 1;
    SetStats(item, {{LFN, 1}, {MFS, 1000}, {NFA, 4096}, {OFN, 1}});
    SetFilterStats(item, "Docs", {1, 1000, 4096, 1});
    report->SetRoot(root);
    return report;
}

std::string Golden() {
    return ReadAll(std::string(QV_TEST_DATA_DIR) + "/small.mcr");
}

// The report built in memory saves as the golden bytes; opened, the golden file adds the derived
// figures (the rest shows in the bytes saved again).
TEST(ReportFile, SavesTheExactGoldenBytesAndOpensThemWithDerivedFigures) {
    ScratchDir dir;
    ASSERT_TRUE(SaveReport(SmallReport().get(), dir.Sub("small.mcr")));
    ASSERT_FALSE(Golden().empty());
    EXPECT_EQ(ReadAll(dir.Sub("small.mcr")), Golden());
    EXPECT_EQ(NamesIn(dir.Path()).size(), 1u);
    Report report;
    ReportFileError error = ReportFileError::NoFolders;
    ASSERT_TRUE(OpenReport(&report, dir.Sub("small.mcr"), Titles(), &error));
    EXPECT_EQ(error, ReportFileError::None);
    EXPECT_EQ(report.Version(), "0.0.4");
    EXPECT_EQ(report.Created(), "1/2/2024 at 10:00");
    ASSERT_NE(report.Policy(), nullptr);
    EXPECT_EQ(report.Policy()->clusterShift, 12);
    EXPECT_EQ(report.Filters().Count(), 2);

    FolderRecord* root = report.Root();
    ASSERT_NE(root, nullptr);
    FolderRecord* sub = Child(root, "Docs");
    ASSERT_NE(sub, nullptr);
    EXPECT_STREQ(root->desc, "C:");
    EXPECT_STREQ(ReadText(root, ALC), "C:\\");
    EXPECT_STREQ(ReadText(sub, ALC), "C:\\Docs");
    EXPECT_STREQ(ReadText(root->lastChild, ALC), "C:\\");
    EXPECT_STREQ(ReadText(root, notes), "a<b>&#60;&c");
    EXPECT_EQ(Stat(root, BTM), 132000000000000000);  // whole seconds survive
    EXPECT_EQ(Stat(root, ELT), 133000000000000000);
    EXPECT_EQ(Stat(root, FCA), 1);  // a temporary filter has hits below
    EXPECT_EQ(Stat(root, FilterKey(kFilterDirectAllocated, "Docs")), 4096);
    EXPECT_FALSE(HasKey(root, FilterKey(kFilterDirectFiles, "Temp")));
    EXPECT_EQ(Stat(sub, FilterKey(kFilterDirectSize, "Docs")), 3000);  // all direct: copied
    EXPECT_EQ(Stat(root->lastChild, CRP), report.Serial());

    ASSERT_TRUE(SaveReport(&report, dir.Sub("out.mcr")));
    EXPECT_EQ(ReadAll(dir.Sub("out.mcr")), Golden());
}

// All a saved report keeps of a record: kind, group, title, figures, per-filter figures, times
// in whole seconds, the temporary mark of a folder, its read-error mark and its notes.
std::string Describe(FolderRecord* node, const FilterSet& filters) {
    std::string text = std::to_string(node->kind) + " " + std::to_string(node->group) + " " + node->name + " " +
                       test::Figures(node) + " " + std::to_string(Stat(node, BTM) / 10000000) + " " +
                       std::to_string(Stat(node, ELT) / 10000000) + " " +
                       std::to_string(node->group == 0 ? Stat(node, FCA) : 0) + " " + std::to_string(Stat(node, ERR));
    FilterInfo info;
    for (int position = 1; filters.GetFilterAt(position, &info); ++position) {
        for (const char* code : kFilterCodes) {
            text += " " + std::to_string(Stat(node, FilterKey(code, info.name)));
        }
    }
    return text + " " + (ReadText(node, notes) ? ReadText(node, notes) : "-");
}

// Every record of a tree described, in pre-order.
std::vector<std::string> DescribeTree(FolderRecord* root, const FilterSet& filters) {
    std::vector<std::string> lines;
    for (std::vector<FolderRecord*> stack = {root}; !stack.empty();) {
        FolderRecord* node = stack.back();
        stack.pop_back();
        lines.push_back(Describe(node, filters));
        for (FolderRecord* child = node->firstChild; child; child = child->nextSibling) {
            stack.push_back(child);
        }
    }
    return lines;
}

// Every figure and mark of a scanned tree survives save and open, and a second save writes the
// same bytes. A read-error mark is an "error" number on the marked folders only.
TEST(ReportFile, ScannedTreeRoundTrips) {
    ScratchDir tree;
    tree.WriteFile("a.txt", 100);
    tree.WriteFile("b.tmp", 5000);
    tree.WriteFile("s1/x.exe", 70000);
    tree.WriteFile("s1/y.txt", 3);
    tree.WriteFile("s1/deep/z.zip", 4096);
    tree.WriteFile("s2/~w.doc", 10);
    tree.MakeDir("s3");
    auto report = MakeReport(true, 4096);
    FolderRecord* scanned = test::Scan(report.get(), tree.Path());
    ASSERT_NE(scanned, nullptr);
    WriteText(Child(scanned, "s1"), notes, "first line\r\nsecond <line>", true);
    scanned->attrs.Set(ERR, AttrValue(kErrorBelow), false);
    Child(scanned, "s2")->attrs.Set(ERR, AttrValue(kErrorHere), false);

    ScratchDir dir;
    ASSERT_TRUE(SaveReport(report.get(), dir.Sub("a.mcr")));
    Report reopened;
    ASSERT_TRUE(OpenReport(&reopened, dir.Sub("a.mcr"), Titles()));
    ASSERT_TRUE(SaveReport(&reopened, dir.Sub("b.mcr")));
    const std::string text = ReadAll(dir.Sub("a.mcr"));
    EXPECT_EQ(text, ReadAll(dir.Sub("b.mcr")));
    const std::string here = "<attr name=\"error\">1</attr>";
    EXPECT_NE(text.find("<attr name=\"error\">2</attr>"), std::string::npos) << text;
    EXPECT_EQ(text.find("\"error\"", text.find(here) + here.size()), std::string::npos) << text;
    EXPECT_EQ(reopened.Created(), report->Created());
    const std::vector<std::string> lines = DescribeTree(scanned, report->Filters());
    EXPECT_EQ(DescribeTree(reopened.Root(), report->Filters()), lines);
    EXPECT_EQ(lines.size(), 7u);  // root, s1, deep, s1's files item, s2, s3, the root's files item
}

// Saves `report` to a scratch file and opens it into `back`; the bytes saved, "" on a failure.
std::string SaveAndOpen(Report* report, Report* back) {
    ScratchDir dir;
    const std::string path = dir.Sub("r.mcr");
    return SaveReport(report, path) && OpenReport(back, path, Titles()) ? ReadAll(path) : std::string();
}

// A filter's text holds three numbers, four when all files are direct, six otherwise; the
// allocated figures are saved as the space beyond the size. No files: no val, no bytes.
TEST(ReportFile, RootPathsSaveAndReopen) {
    // root, its child, the root as saved, the paths of both reopened
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
        {"C:\\", "sub", "C:", "C:\\", "C:\\sub"},
        {"C:\\Windows", "sub", "C:\\Windows", "C:\\Windows\\", "C:\\Windows\\sub"},
        {"\\\\server\\share\\", "sub", "\\\\server\\share", "\\\\server\\share", "\\\\server\\share\\sub"},
        {"/", "sub", "/", "/", "/sub"},
        {"/home/user/", "sub", "/home/user", "/home/user", "/home/user/sub"},
        {"/r", "odd\\", "/r", "/r", "/r/odd\\"},  // below the root a name is kept whole
        // A POSIX root: a backslash is part of a name, also at its end.
        {"/tmp/odd\\", "sub", "/tmp/odd\\", "/tmp/odd\\", "/tmp/odd\\/sub"},
    };
    for (const auto& [rootName, childName, saved, rootPath, childPath] : cases) {
        SCOPED_TRACE(rootName);
        auto report = MakeReport(false, 4096);
        FolderRecord* root = AddFolder(nullptr, rootName);
        AddFolder(root, childName);
        report->SetRoot(root);
        Report back;
        EXPECT_NE(SaveAndOpen(report.get(), &back).find("<node name=\"" + std::string(saved) + "\""),
                  std::string::npos);
        ASSERT_NE(back.Root(), nullptr);
        EXPECT_STREQ(ReadText(back.Root(), ALC), rootPath);
        EXPECT_STREQ(ReadText(back.Root()->firstChild, ALC), childPath);
        EXPECT_STREQ(back.Root()->firstChild->desc, childName);
    }
}

TEST(ReportFile, OlderVersionAndMissingMarkers) {
    ScratchDir dir;
    // "0.0.3": six numbers with full file times; no "?drive?": an automatic policy of this
    // machine for the root, which exists here.
    dir.WriteText("old.mcr",
                  "<node name=\"report\" desc=\"0.0.3\">\r\n<node name=\"?filters?\">"
                  "<node name=\"Docs\" desc=\"*.txt;\" group=\"1\"/></node><node name=\"" +
                      dir.Path() +
                      "\" val=\"8192\"><attr name=\"info\">4;1000;8192;2;123456789;987654321</attr>"
                      "<attr name=\"date\">yesterday</attr><node name=\"x\"/></node></node>");
    Report old;
    ASSERT_TRUE(OpenReport(&old, dir.Sub("old.mcr"), Titles()));
    EXPECT_EQ(old.Version(), "0.0.3");
    for (const auto& [key, value] :
         {std::pair{LFN, 4}, {MFS, 1000}, {NFA, 8192}, {OFN, 2}, {BTM, 123456789}, {ELT, 987654321}}) {
        EXPECT_EQ(Stat(old.Root(), key), value) << key;
    }
    EXPECT_EQ(old.Created(), "yesterday");
    ASSERT_NE(old.Policy(), nullptr);
    EXPECT_EQ(old.Policy()->automatic, 1);
    EXPECT_GT(old.Policy()->clusterShift, 0);
    EXPECT_EQ(old.Filters().Count(), 1);

    // A top node without desc reads as "0.0.4"; the date and notes are optional.
    const std::string plainText =
        "<node name=\"report\"><node name=\"?drive?\" desc=\"0;0;12;1\"/>"
        "<node name=\"r\" val=\"4096\"><attr name=\"info\">1;96;0;1234567890</attr></node></node>";
    Report plain;
    ASSERT_TRUE(OpenReportFromMemory(&plain, plainText.data(), plainText.size(), Titles()));
    EXPECT_EQ(plain.Version(), "0.0.4");
    EXPECT_EQ(Stat(plain.Root(), MFS), 4000);
    EXPECT_EQ(Stat(plain.Root(), BTM), 12345678900000000);
    EXPECT_EQ(Stat(plain.Root(), ELT), 0);
    EXPECT_EQ(ReadText(plain.Root(), DRM), nullptr);
}

TEST(ReportFile, OpenFailuresSayWhatWentWrong) {
    ScratchDir dir;
    const struct {
        const char* file;  // "": no path
        const char* text;  // null: the file is not written
        ReportFileError error;
    } cases[] = {
        {"", nullptr, ReportFileError::MissingPath},
        {"missing.mcr", nullptr, ReportFileError::CannotOpen},
        {"empty.mcr", "", ReportFileError::NothingRead},
        {"markers.mcr",
         "<node name=\"report\"><node name=\"?filters?\"/><node name=\"?drive?\" desc=\"0;0;12;1\"/></node>",
         ReportFileError::NoFolders},
    };
    for (const auto& c : cases) {
        if (c.text != nullptr) {
            dir.WriteText(c.file, c.text);
        }
        Report report;
        ReportFileError error = ReportFileError::None;
        EXPECT_FALSE(OpenReport(&report, *c.file ? dir.Sub(c.file) : "", Titles(), &error)) << c.file;
        EXPECT_EQ(error, c.error) << c.file;
        EXPECT_EQ(report.Root(), nullptr);
    }
}

// A cut file (with or without garbage after the cut) opens as far as it goes and says it is
// incomplete; only the whole file opens without a word (the text is the console tool's test).
TEST(ReportFile, ACutFileOpensAsFarAsItGoesAndSaysSo) {
    const std::string golden = Golden();
    std::string noise(2000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    }
    int opened = 0;
    for (std::size_t length = 0; length <= golden.size(); ++length) {
        for (const std::string& tail : {std::string(), noise}) {
            const std::string text = golden.substr(0, length) + tail;
            Report report;
            ReportFileError error = ReportFileError::None;
            if (OpenReportFromMemory(&report, text.data(), text.size(), Titles(), &error)) {
                ++opened;
                EXPECT_EQ(error, length == golden.size() ? ReportFileError::None : ReportFileError::Incomplete)
                    << length;
            }
        }
    }
    EXPECT_GT(opened, 100);
}

TEST(ReportFile, SaveNeverLosesTheOldFile) {
    ScratchDir dir;
    auto report = SmallReport();
    ReportFileError error = ReportFileError::None;
    // The target's folder does not exist: nothing can be created.
    EXPECT_FALSE(SaveReport(report.get(), dir.Sub("no-such-folder/r.mcr"), &error));
    EXPECT_EQ(error, ReportFileError::CannotOpen);
    EXPECT_FALSE(SaveReport(report.get(), "", &error));
    EXPECT_EQ(error, ReportFileError::MissingPath);
    // The target is a folder: it is refused, the folder stays, no temporary file is left.
    dir.WriteText("target.mcr/keep.txt", "keep");
    EXPECT_FALSE(SaveReport(report.get(), dir.Sub("target.mcr"), &error));
    EXPECT_EQ(error, ReportFileError::NotRegular);
    EXPECT_TRUE(platform::DirectoryExists(dir.Sub("target.mcr")));
    EXPECT_EQ(ReadAll(dir.Sub("target.mcr/keep.txt")), "keep");
    EXPECT_EQ(test::NamesIn(dir.Path()).size(), 1u);
    // A good save replaces an old file whole.
    dir.WriteText("r.mcr", "old contents");
    EXPECT_TRUE(SaveReport(report.get(), dir.Sub("r.mcr"), &error));
    EXPECT_EQ(ReadAll(dir.Sub("r.mcr")), Golden());
}

#ifndef _WIN32
// A write that fails half-way (here: the file size limit) fails the save and keeps the old file.
TEST(ReportFile, WriteErrorFailsTheSaveAndKeepsTheOldFile) {
    ScratchDir dir;
    dir.WriteText("r.mcr", "old contents");
    auto report = SmallReport();
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 200;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ReportFileError error = ReportFileError::None;
    const bool saved_ok = SaveReport(report.get(), dir.Sub("r.mcr"), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(error, ReportFileError::WriteFailed);
    EXPECT_EQ(ReadAll(dir.Sub("r.mcr")), "old contents");
    EXPECT_EQ(test::NamesIn(dir.Path()).size(), 1u);
}
#endif

// The window opens a report for reading and writing, so a read-only file is refused there;
// opened for reading only (the console tool) it reads.
TEST(ReportFile, ReadOnlyFileOpensForReadingOnly) {
    ScratchDir dir;
    dir.WriteText("ro.mcr", Golden());
    const std::string path = dir.Sub("ro.mcr");
    test::MakeReadOnly(path);
    const auto seen = test::RunUnprivilegedForText([&path] {
        // Wine run by the super-user lets anything be written, read-only or not.
        const bool enforced = !platform::File::Open(path, platform::FileAccess::ReadWrite,
                                                    platform::FileDisposition::OpenExisting, platform::FileShare::Read)
                                   .IsOpen();
        Report window, console;
        ReportFileError error = ReportFileError::None;
        const bool refused = !OpenReport(&window, path, Titles(), &error) && error == ReportFileError::CannotOpen;
        const bool read = OpenReport(&console, path, Titles(), &error, ReportAccess::ReadOnly) &&
                          error == ReportFileError::None && ReadStat(console.Root(), LFN) == 3;
        return std::string(!enforced ? "writable" : refused ? "refused" : "opened") + (read ? ", read" : ", not read");
    });
    if (!seen) {
        GTEST_SKIP() << "cannot drop the super-user's privileges";
    }
    EXPECT_TRUE(*seen == "refused, read" || *seen == "writable, read") << *seen;
}

// A chain as the walk leaves it (one file and one sub-folder each) totals, saves and reopens.
TEST(ReportFile, TenThousandLevelsOnASmallStack) {
    constexpr int kLevels = 10000;
    std::int64_t files = -1, reopenedFiles = -1, depth = 0;
    test::RunOnSmallStack([&] {
        auto report = MakeReport(false, 4096);
        FolderRecord* node = AddFolder(nullptr, "/deep");
        report->SetRoot(node);
        for (int level = 1; node != nullptr; ++level) {
            SetStats(node, {{LFN, 1}, {MFS, 10}, {NFA, 4096}, {OFN, level < kLevels ? 1 : 0}, {ELT, 0}, {BTM, 0}});
            node = level < kLevels ? AddFolder(node, "d") : nullptr;
        }
        ASSERT_NE(AddTotals(report.get(), report->Root(), {}), nullptr);
        ASSERT_NE(FinishTree(report.get(), report->Root(), {}), nullptr);
        files = Stat(report->Root(), LFN);
        Report back;
        ASSERT_FALSE(SaveAndOpen(report.get(), &back).empty());
        reopenedFiles = Stat(back.Root(), LFN);
        for (FolderRecord* record = back.Root(); record->firstChild; record = record->firstChild) {
            ++depth;
        }
    });
    EXPECT_EQ(files, kLevels);
    EXPECT_EQ(reopenedFiles, kLevels);
    // Every level but the last has a sub-folder and a file, so a files item: 2 children each.
    EXPECT_EQ(depth, kLevels - 1);
}

}  // namespace
}  // namespace qv
