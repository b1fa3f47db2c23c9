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

// A record of `kind` below `parent` with its files, bytes, allocated and folders, and the first
// of the six figures of the filters Docs and Temp (files, size, allocated, then direct).
FolderRecord* Record(FolderRecord* parent, const char* name, int kind, std::initializer_list<std::int64_t> figures,
                     std::initializer_list<std::int64_t> docs, std::initializer_list<std::int64_t> temp) {
    FolderRecord* node = AddFolder(parent, name);
    node->kind = kind;
    const char* const figureKeys[] = {LFN, MFS, NFA, OFN};
    const char* const* key = figureKeys;
    for (std::int64_t value : figures) {
        WriteStat(node, *key++, value, true);
    }
    for (const auto& [filter, values] : {std::pair{"Docs", docs}, {"Temp", temp}}) {
        const char* const* code = kFilterCodes;
        for (std::int64_t value : values) {
            WriteStat(node, FilterKey(*code++, filter).c_str(), value, true);
        }
    }
    return node;
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

    FolderRecord* root =
        Record(nullptr, "C:\\", 9, {3, 5000, 12288, 1}, {2, 4000, 8192, 1, 1000, 4096}, {1, 1000, 4096});
    SetStats(root, {{BTM, 132000000001234567}, {ELT, 133000000009999999}});
    WriteText(root, DRM, "1/2/2024 at 10:00", true);
    WriteText(root, notes, "a<b>&#60;&c", true);
    Record(root, "Docs", 8, {2, 4000, 8192, 0}, {1, 3000, 4096, 1}, {1, 1000, 4096, 1});
    Record(root, "{C:\\ files}", 7, {1, 1000, 4096, 1}, {1, 1000, 4096, 1}, {})->group = 1;
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
    FolderRecord* root = report.Root();
    ASSERT_TRUE(root != nullptr && report.Policy() != nullptr);
    EXPECT_EQ(Join(error == ReportFileError::None, report.Version(), report.Created(), report.Policy()->clusterShift,
                   report.Filters().Count()),
              Join(true, "0.0.4", "1/2/2024 at 10:00", 12, 2));
    // Paths, notes, times in whole seconds, a temporary filter's hits below (FCA), the direct
    // figures of a folder whose files are all direct copied from its totals, the serial.
    FolderRecord* sub = Child(root, "Docs");
    EXPECT_EQ(Join(root->desc, TextOf(root, ALC), TextOf(sub, ALC), TextOf(root->lastChild, ALC), TextOf(root, notes),
                   Stat(root, BTM), Stat(root, ELT), Stat(root, FCA),
                   Stat(root, FilterKey(kFilterDirectAllocated, "Docs")),
                   HasKey(root, FilterKey(kFilterDirectFiles, "Temp")), Stat(sub, FilterKey(kFilterDirectSize, "Docs")),
                   Stat(root->lastChild, CRP)),
              Join("C:", "C:\\", "C:\\Docs", "C:\\", "a<b>&#60;&c", 132000000000000000, 133000000000000000, 1, 4096,
                   false, 3000, report.Serial()));

    ASSERT_TRUE(SaveReport(&report, dir.Sub("out.mcr")));
    EXPECT_EQ(ReadAll(dir.Sub("out.mcr")), Golden());
}

// All a saved report keeps of a record: kind, group, title, figures, per-filter figures, times
// in whole seconds, the temporary mark of a folder, its read-error mark and its notes.
std::string Describe(FolderRecord* node, const FilterSet& filters) {
    std::string text = Join(node->kind, node->group, node->name, test::Figures(node), Stat(node, BTM) / 10000000,
                            Stat(node, ELT) / 10000000, node->group == 0 ? Stat(node, FCA) : 0, Stat(node, ERR));
    FilterInfo info;
    for (int position = 1; filters.GetFilterAt(position, &info); ++position) {
        for (const char* code : kFilterCodes) {
            text += " " + std::to_string(Stat(node, FilterKey(code, info.name)));
        }
    }
    return Join(text, TextOf(node, notes));
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
    tree.Build("a.txt:100 b.tmp:5000 s1/x.exe:70000 s1/y.txt:3 s1/deep/z.zip:4096 s2/~w.doc:10 s3/");
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
        const std::string text = SaveAndOpen(report.get(), &back);
        const bool savedAs = text.find("<node name=\"" + std::string(saved) + "\"") != std::string::npos;
        ASSERT_NE(back.Root(), nullptr);
        EXPECT_EQ(Join(savedAs, TextOf(back.Root(), ALC), TextOf(back.Root()->firstChild, ALC),
                       back.Root()->firstChild->desc),
                  Join(true, rootPath, childPath, childName));
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
    ASSERT_NE(old.Policy(), nullptr);
    EXPECT_EQ(Join(old.Version(), Figures(old.Root()), Stat(old.Root(), BTM), Stat(old.Root(), ELT), old.Created(),
                   old.Policy()->automatic, old.Policy()->clusterShift > 0, old.Filters().Count()),
              Join("0.0.3", "4 1000 8192 2", 123456789, 987654321, "yesterday", 1, true, 1));

    // A top node without desc reads as "0.0.4"; the date and notes are optional.
    const std::string plainText =
        "<node name=\"report\"><node name=\"?drive?\" desc=\"0;0;12;1\"/>"
        "<node name=\"r\" val=\"4096\"><attr name=\"info\">1;96;0;1234567890</attr></node></node>";
    Report plain;
    ASSERT_TRUE(OpenReportFromMemory(&plain, plainText.data(), plainText.size(), Titles()));
    EXPECT_EQ(Join(plain.Version(), Stat(plain.Root(), MFS), Stat(plain.Root(), BTM), Stat(plain.Root(), ELT),
                   TextOf(plain.Root(), DRM)),
              Join("0.0.4", 4000, 12345678900000000, 0, "-"));
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

// The error of a save of the small report to `path`; -1 when it succeeds.
int SaveError(const std::string& path) {
    ReportFileError error = ReportFileError::None;
    return SaveReport(SmallReport().get(), path, &error) ? -1 : static_cast<int>(error);
}

// A missing folder or path fails; a folder as the target is refused and stays, with no temporary
// file left beside it; a failed write keeps the old file; a good save replaces an old file whole.
TEST(ReportFile, SaveNeverLosesTheOldFile) {
    ScratchDir dir;
    dir.WriteText("target.mcr/keep.txt", "keep");
    EXPECT_EQ(Join(SaveError(dir.Sub("no-such-folder/r.mcr")), SaveError(""), SaveError(dir.Sub("target.mcr"))),
              Join(static_cast<int>(ReportFileError::CannotOpen), static_cast<int>(ReportFileError::MissingPath),
                   static_cast<int>(ReportFileError::NotRegular)));
    EXPECT_EQ(Join(ReadAll(dir.Sub("target.mcr/keep.txt")), NamesIn(dir.Path()).size()), "keep 1");
    dir.WriteText("r.mcr", "old contents");
#ifndef _WIN32
    // A write that fails half-way (here: the file size limit) fails the save and keeps the old file.
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit small = {200, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int error = SaveError(dir.Sub("r.mcr"));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(Join(error, ReadAll(dir.Sub("r.mcr")), NamesIn(dir.Path()).size()),
              Join(static_cast<int>(ReportFileError::WriteFailed), "old contents", 2));
#endif
    EXPECT_EQ(SaveError(dir.Sub("r.mcr")), -1);
    EXPECT_EQ(ReadAll(dir.Sub("r.mcr")), Golden());
}

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
    std::string seen;  // files, files reopened, depth reopened
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
        Report back;
        ASSERT_FALSE(SaveAndOpen(report.get(), &back).empty());
        int depth = 0;
        for (FolderRecord* record = back.Root(); record->firstChild; record = record->firstChild) {
            ++depth;
        }
        seen = Join(Stat(report->Root(), LFN), Stat(back.Root(), LFN), depth);
    });
    EXPECT_EQ(seen, Join(kLevels, kLevels, kLevels - 1));
}

}  // namespace
}  // namespace qv
