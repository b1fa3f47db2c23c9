// The report file: exact bytes against a golden file, round trips of scanned trees, the older
// "0.0.3" form, root paths, per-filter texts, notes, the save that never loses the old file,
// damaged input and a 10,000-level report on a small stack.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "TestUtil.h"
#include "core/ScanTestUtil.h"
#include "core/ReportFile.h"
#include "core/Scanner.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#endif

namespace qv {
namespace {

using test::Child;
using test::HasKey;
using test::MakeReport;
using test::ScratchDir;

std::string ReadAll(const std::string& path) {
    std::string text;
    platform::ReadWholeFile(path, &text);
    return text;
}

std::int64_t Stat(FolderRecord* node, const std::string& key) {
    return ReadStat(node, key.c_str());
}

void SetStats(FolderRecord* node, std::initializer_list<std::pair<std::string, std::int64_t>> stats) {
    for (const auto& [key, value] : stats) {
        WriteStat(node, key.c_str(), value, true);
    }
}

FolderRecord* AddFolder(FolderRecord* parent, const char* name) {
    FolderRecord* node = CreateNode(parent, name);
    node->SetDesc(name);
    return node;
}

// The report of tests/core/data/small.mcr, built in memory the way the passes leave it.
std::unique_ptr<Report> SmallReport() {
    auto report = std::make_unique<Report>();
    FilterSet source;
    source.SetEditing(true);
    FilterInfo docs;
    docs.name = "Docs";
    docs.masks = "*.txt;";
    source.AddFilter(docs);
    FilterInfo temp;
    temp.name = "Temp";
    temp.masks = "*.tmp;";
    temp.temporary = true;
    source.AddFilter(temp);
    source.SetEditing(false);
    report->SetFilters(&source);
    auto policy = std::make_unique<ClusterPolicy>();
    policy->ComputeFromUserSize(4096);
    report->SetPolicy(std::move(policy));
    report->SetCreated("1/2/2024 at 10:00");

    const std::string d = "Docs", t = "Temp";
    FolderRecord* root = AddFolder(nullptr, "C:\\");
    root->kind = 9;
    SetStats(root,
             {{LFN, 3}, {MFS, 5000}, {NFA, 12288}, {OFN, 1}, {BTM, 132000000001234567}, {ELT, 133000000009999999}});
    SetStats(root, {{FilterKey(kFilterFiles, d), 2},
                    {FilterKey(kFilterSize, d), 4000},
                    {FilterKey(kFilterAllocated, d), 8192},
                    {FilterKey(kFilterDirectFiles, d), 1},
                    {FilterKey(kFilterDirectSize, d), 1000},
                    {FilterKey(kFilterDirectAllocated, d), 4096}});
    SetStats(
        root,
        {{FilterKey(kFilterFiles, t), 1}, {FilterKey(kFilterSize, t), 1000}, {FilterKey(kFilterAllocated, t), 4096}});
    WriteText(root, DRM, "1/2/2024 at 10:00", true);
    WriteText(root, notes, "a<b>&#60;&c", true);

    FolderRecord* sub = AddFolder(root, "Docs");
    sub->kind = 8;
    SetStats(sub, {{LFN, 2}, {MFS, 4000}, {NFA, 8192}, {OFN, 0}});
    SetStats(sub, {{FilterKey(kFilterFiles, d), 1},
                   {FilterKey(kFilterSize, d), 3000},
                   {FilterKey(kFilterAllocated, d), 4096},
                   {FilterKey(kFilterDirectFiles, d), 1}});
    SetStats(sub, {{FilterKey(kFilterFiles, t), 1},
                   {FilterKey(kFilterSize, t), 1000},
                   {FilterKey(kFilterAllocated, t), 4096},
                   {FilterKey(kFilterDirectFiles, t), 1}});

    FolderRecord* item = AddFolder(root, "{C:\\ files}");
    item->kind = 7;
    item->group = 1;
    SetStats(item, {{LFN, 1}, {MFS, 1000}, {NFA, 4096}, {OFN, 1}});
    SetStats(item, {{FilterKey(kFilterFiles, d), 1},
                    {FilterKey(kFilterSize, d), 1000},
                    {FilterKey(kFilterAllocated, d), 4096},
                    {FilterKey(kFilterDirectFiles, d), 1}});
    report->SetRoot(root);
    return report;
}

std::string Golden() {
    return ReadAll(std::string(QV_TEST_DATA_DIR) + "/small.mcr");
}

TEST(ReportFile, SavesTheExactGoldenBytes) {
    ScratchDir dir;
    auto report = SmallReport();
    ASSERT_TRUE(SaveReport(report.get(), dir.Sub("small.mcr")));
    const std::string golden = Golden();
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(ReadAll(dir.Sub("small.mcr")), golden);
    EXPECT_FALSE(platform::FileExists(dir.Sub("small.mcr.saving~")));
}

TEST(ReportFile, GoldenOpensWithEveryFigureAndSavesIdentically) {
    ScratchDir dir;
    dir.WriteText("in.mcr", Golden());
    Report report;
    TreeViewOptions options;
    ReportFileError error = ReportFileError::NoFolders;
    ASSERT_TRUE(OpenReport(&report, dir.Sub("in.mcr"), ComposeTitlesWith(options), &error));
    EXPECT_EQ(error, ReportFileError::None);
    EXPECT_EQ(report.Version(), "0.0.4");
    EXPECT_EQ(report.Created(), "1/2/2024 at 10:00");
    ASSERT_NE(report.Policy(), nullptr);
    EXPECT_EQ(report.Policy()->clusterShift, 12);
    EXPECT_EQ(report.Policy()->automatic, 0);
    ASSERT_EQ(report.Filters().Count(), 2);

    FolderRecord* root = report.Root();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->desc, "C:");
    EXPECT_STREQ(ReadText(root, ALC), "C:\\");
    EXPECT_STREQ(ReadText(root, notes), "a<b>&#60;&c");
    EXPECT_STREQ(ReadText(root, DRM), "1/2/2024 at 10:00");
    EXPECT_EQ(Stat(root, LFN), 3);
    EXPECT_EQ(Stat(root, MFS), 5000);
    EXPECT_EQ(Stat(root, NFA), 12288);
    EXPECT_EQ(Stat(root, OFN), 1);
    EXPECT_EQ(Stat(root, BTM), 132000000000000000);  // whole seconds survive
    EXPECT_EQ(Stat(root, ELT), 133000000000000000);
    EXPECT_EQ(Stat(root, FCA), 1);  // a temporary filter has hits below
    EXPECT_EQ(Stat(root, FilterKey(kFilterDirectSize, "Docs")), 1000);
    EXPECT_EQ(Stat(root, FilterKey(kFilterDirectAllocated, "Docs")), 4096);
    EXPECT_FALSE(HasKey(root, FilterKey(kFilterDirectFiles, "Temp").c_str()));
    FolderRecord* sub = Child(root, "Docs");
    ASSERT_NE(sub, nullptr);
    EXPECT_STREQ(ReadText(sub, ALC), "C:\\Docs");
    EXPECT_EQ(Stat(sub, FilterKey(kFilterDirectSize, "Docs")), 3000);  // all direct: copied
    EXPECT_EQ(Stat(sub, FilterKey(kFilterDirectAllocated, "Docs")), 4096);
    FolderRecord* item = root->lastChild;
    EXPECT_EQ(item->group, 1);
    EXPECT_STREQ(ReadText(item, ALC), "C:\\");
    EXPECT_EQ(Stat(item, CRP), report.Serial());

    ASSERT_TRUE(SaveReport(&report, dir.Sub("out.mcr")));
    EXPECT_EQ(ReadAll(dir.Sub("out.mcr")), Golden());
}

// Every figure of a scanned tree survives save and open (times in whole seconds), and a second
// save writes the same bytes.
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

    ScratchDir dir;
    ASSERT_TRUE(SaveReport(report.get(), dir.Sub("a.mcr")));
    Report reopened;
    ASSERT_TRUE(OpenReport(&reopened, dir.Sub("a.mcr"), ComposeTitlesWith(TreeViewOptions())));
    ASSERT_TRUE(SaveReport(&reopened, dir.Sub("b.mcr")));
    EXPECT_EQ(ReadAll(dir.Sub("a.mcr")), ReadAll(dir.Sub("b.mcr")));
    EXPECT_EQ(reopened.Created(), report->Created());

    std::vector<std::string> keys = {LFN, MFS, NFA, OFN};
    FilterInfo info;
    for (int position = 1; report->Filters().GetFilterAt(position, &info); ++position) {
        for (const char* code : {kFilterFiles, kFilterSize, kFilterAllocated, kFilterDirectFiles, kFilterDirectSize,
                                 kFilterDirectAllocated}) {
            keys.push_back(FilterKey(code, info.name));
        }
    }
    std::vector<std::pair<FolderRecord*, FolderRecord*>> stack = {{scanned, reopened.Root()}};
    int compared = 0;
    while (!stack.empty()) {
        auto [a, b] = stack.back();
        stack.pop_back();
        ASSERT_NE(b, nullptr);
        SCOPED_TRACE(a->desc);
        EXPECT_EQ(a->group, b->group);
        EXPECT_EQ(a->kind, b->kind);
        for (const std::string& key : keys) {
            EXPECT_EQ(Stat(a, key), Stat(b, key)) << key;
        }
        EXPECT_EQ(Stat(a, BTM) / 10000000, Stat(b, BTM) / 10000000);
        EXPECT_EQ(Stat(a, ELT) / 10000000, Stat(b, ELT) / 10000000);
        if (a->group == 0) {
            EXPECT_EQ(Stat(a, FCA), Stat(b, FCA));
        }
        EXPECT_EQ(std::string(a->name), std::string(b->name));
        const char* noteA = ReadText(a, notes);
        const char* noteB = ReadText(b, notes);
        EXPECT_EQ(noteA == nullptr, noteB == nullptr);
        if (noteA && noteB) {
            EXPECT_STREQ(noteA, noteB);
        }
        ++compared;
        FolderRecord* childB = b->firstChild;
        for (FolderRecord* childA = a->firstChild; childA; childA = childA->nextSibling) {
            stack.emplace_back(childA, childB);
            childB = childB != nullptr ? childB->nextSibling : nullptr;
        }
    }
    EXPECT_EQ(compared, 7);  // root, s1, deep, s1's files item, s2, s3, the root's files item
}

TEST(ReportFile, PerFilterTextHasThreeFourOrSixNumbers) {
    struct Case {
        std::int64_t n1, s2, a3, n4, s5, a6;
        const char* text;
    } cases[] = {
        {7, 700, 28672, 0, 0, 0, "7;700;27972"},
        {7, 700, 28672, 7, 700, 28672, "7;700;27972;7"},
        {7, 700, 28672, 3, 300, 12288, "7;700;27972;3;300;11988"},
    };
    for (const Case& c : cases) {
        auto report = MakeReport(true, 4096);
        FolderRecord* root = AddFolder(nullptr, "/data");
        const std::string f = "Documents";
        SetStats(root, {{FilterKey(kFilterFiles, f), c.n1},
                        {FilterKey(kFilterSize, f), c.s2},
                        {FilterKey(kFilterAllocated, f), c.a3},
                        {FilterKey(kFilterDirectFiles, f), c.n4},
                        {FilterKey(kFilterDirectSize, f), c.s5},
                        {FilterKey(kFilterDirectAllocated, f), c.a6}});
        report->SetRoot(root);
        ScratchDir dir;
        ASSERT_TRUE(SaveReport(report.get(), dir.Sub("r.mcr")));
        EXPECT_NE(ReadAll(dir.Sub("r.mcr")).find("<attr name=\"3\">" + std::string(c.text) + "</attr>"),
                  std::string::npos)
            << c.text;
        Report back;
        ASSERT_TRUE(OpenReport(&back, dir.Sub("r.mcr"), ComposeTitlesWith(TreeViewOptions())));
        FolderRecord* r = back.Root();
        EXPECT_EQ(Stat(r, FilterKey(kFilterFiles, f)), c.n1);
        EXPECT_EQ(Stat(r, FilterKey(kFilterSize, f)), c.s2);
        EXPECT_EQ(Stat(r, FilterKey(kFilterAllocated, f)), c.a3);
        EXPECT_EQ(Stat(r, FilterKey(kFilterDirectFiles, f)), c.n4);
        EXPECT_EQ(Stat(r, FilterKey(kFilterDirectSize, f)), c.s5);
        EXPECT_EQ(Stat(r, FilterKey(kFilterDirectAllocated, f)), c.a6);
    }
}

TEST(ReportFile, RootPathsSaveAndReopen) {
    struct Case {
        const char* root;
        const char* saved;
        const char* rootPath;
        const char* childPath;
    } cases[] = {
        {"C:\\", "C:", "C:\\", "C:\\sub"},
        {"C:\\Windows", "C:\\Windows", "C:\\Windows\\", "C:\\Windows\\sub"},
        {"\\\\server\\share\\", "\\\\server\\share", "\\\\server\\share", "\\\\server\\share\\sub"},
        {"/", "/", "/", "/sub"},
        {"/home/user/", "/home/user", "/home/user", "/home/user/sub"},
        {"/home/user", "/home/user", "/home/user", "/home/user/sub"},
        {"/data//", "/data", "/data", "/data/sub"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.root);
        auto report = MakeReport(false, 4096);
        FolderRecord* root = AddFolder(nullptr, c.root);
        AddFolder(root, "sub");
        report->SetRoot(root);
        ScratchDir dir;
        ASSERT_TRUE(SaveReport(report.get(), dir.Sub("r.mcr")));
        EXPECT_NE(ReadAll(dir.Sub("r.mcr")).find("<node name=\"" + std::string(c.saved) + "\""), std::string::npos);
        Report back;
        ASSERT_TRUE(OpenReport(&back, dir.Sub("r.mcr"), ComposeTitlesWith(TreeViewOptions())));
        EXPECT_STREQ(ReadText(back.Root(), ALC), c.rootPath);
        EXPECT_STREQ(ReadText(back.Root()->firstChild, ALC), c.childPath);
    }
    // Below the root a name is kept whole, also one ending in a backslash (a POSIX name).
    auto report = MakeReport(false, 4096);
    FolderRecord* root = AddFolder(nullptr, "/r");
    AddFolder(root, "odd\\");
    report->SetRoot(root);
    ScratchDir dir;
    ASSERT_TRUE(SaveReport(report.get(), dir.Sub("r.mcr")));
    Report back;
    ASSERT_TRUE(OpenReport(&back, dir.Sub("r.mcr"), ComposeTitlesWith(TreeViewOptions())));
    EXPECT_STREQ(back.Root()->firstChild->desc, "odd\\");
}

TEST(ReportFile, OlderVersionAndMissingMarkers) {
    ScratchDir dir;
    // "0.0.3": six numbers with full file times; no "?drive?": an automatic policy of this
    // machine for the root, which exists here.
    const std::string folder = dir.Path();
    dir.WriteText("old.mcr",
                  "<node name=\"report\" desc=\"0.0.3\">\r\n<node name=\"?filters?\">"
                  "<node name=\"Docs\" desc=\"*.txt;\" group=\"1\"/></node><node name=\"" +
                      folder +
                      "\" val=\"8192\"><attr name=\"info\">4;1000;8192;2;123456789;987654321</attr>"
                      "<attr name=\"date\">yesterday</attr><node name=\"x\"/></node></node>");
    Report old;
    ASSERT_TRUE(OpenReport(&old, dir.Sub("old.mcr"), ComposeTitlesWith(TreeViewOptions())));
    EXPECT_EQ(old.Version(), "0.0.3");
    FolderRecord* root = old.Root();
    EXPECT_EQ(Stat(root, LFN), 4);
    EXPECT_EQ(Stat(root, MFS), 1000);
    EXPECT_EQ(Stat(root, NFA), 8192);
    EXPECT_EQ(Stat(root, OFN), 2);
    EXPECT_EQ(Stat(root, BTM), 123456789);
    EXPECT_EQ(Stat(root, ELT), 987654321);
    EXPECT_EQ(old.Created(), "yesterday");
    ASSERT_NE(old.Policy(), nullptr);
    EXPECT_EQ(old.Policy()->automatic, 1);
    EXPECT_GT(old.Policy()->clusterShift, 0);
    EXPECT_EQ(old.Filters().Count(), 1);
    EXPECT_TRUE(old.Filters().Enabled());

    // A top node without desc reads as "0.0.4"; the date and notes are optional.
    dir.WriteText("plain.mcr",
                  "<node name=\"report\"><node name=\"?drive?\" desc=\"0;0;12;1\"/>"
                  "<node name=\"r\" val=\"4096\"><attr name=\"info\">1;96;0;1234567890</attr></node></node>");
    Report plain;
    ASSERT_TRUE(OpenReport(&plain, dir.Sub("plain.mcr"), ComposeTitlesWith(TreeViewOptions())));
    EXPECT_EQ(plain.Version(), "0.0.4");
    EXPECT_EQ(Stat(plain.Root(), MFS), 4000);
    EXPECT_EQ(Stat(plain.Root(), BTM), 12345678900000000);
    EXPECT_FALSE(HasKey(plain.Root(), ELT) && Stat(plain.Root(), ELT) != 0);
    EXPECT_EQ(ReadText(plain.Root(), DRM), nullptr);
}

// Folders after the first top-level folder stand beside the root and are saved again.
TEST(ReportFile, FurtherTopLevelFoldersStandBesideTheRoot) {
    const std::string text =
        "<node name=\"report\"><node name=\"?drive?\" desc=\"0;0;12;1\"/><node name=\"/a\" val=\"1\"/>"
        "<node name=\"/b\" val=\"2\"><node name=\"c\"/></node></node>";
    Report report;
    ASSERT_TRUE(OpenReportFromMemory(&report, text.data(), text.size(), ComposeTitlesWith(TreeViewOptions())));
    FolderRecord* first = report.Root();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first->nextSibling, nullptr);
    EXPECT_STREQ(first->nextSibling->desc, "/b");
    EXPECT_EQ(first->nextSibling->prevSibling, first);
    EXPECT_STREQ(ReadText(first->nextSibling->firstChild, ALC), "/b/c");
    ScratchDir dir;
    ASSERT_TRUE(SaveReport(&report, dir.Sub("two.mcr")));
    const std::string saved = ReadAll(dir.Sub("two.mcr"));
    EXPECT_NE(saved.find("<node name=\"/b\" kind=\"9\" val=\"2\">"), std::string::npos) << saved;
}

TEST(ReportFile, OpenFailuresSayWhatWentWrong) {
    ScratchDir dir;
    TreeViewOptions options;
    struct Case {
        const char* file;
        const char* text;  // null: the file is not written
        ReportFileError error;
    } cases[] = {
        {"missing.mcr", nullptr, ReportFileError::CannotOpen},
        {"empty.mcr", "", ReportFileError::NothingRead},
        {"words.mcr", "no markup at all", ReportFileError::NothingRead},
        {"markers.mcr",
         "<node name=\"report\"><node name=\"?filters?\"/><node name=\"?drive?\" desc=\"0;0;12;1\"/></node>",
         ReportFileError::NoFolders},
    };
    for (const Case& c : cases) {
        if (c.text != nullptr) {
            dir.WriteText(c.file, c.text);
        }
        Report report;
        ReportFileError error = ReportFileError::None;
        EXPECT_FALSE(OpenReport(&report, dir.Sub(c.file), ComposeTitlesWith(options), &error)) << c.file;
        EXPECT_EQ(error, c.error) << c.file;
        EXPECT_EQ(report.Root(), nullptr);
    }
    EXPECT_EQ(ReportFileErrorText(ReportFileError::NoFolders, "x.mcr"), "Error reading file: x.mcr");
    Report report;
    ReportFileError error = ReportFileError::None;
    EXPECT_FALSE(OpenReport(&report, "", ComposeTitlesWith(options), &error));
    EXPECT_EQ(error, ReportFileError::MissingPath);
}

// Cutting a valid file anywhere, or flipping bytes in it, opens partly or not at all.
TEST(ReportFile, DamagedFilesOpenPartlyOrNotAtAll) {
    const std::string golden = Golden();
    ASSERT_FALSE(golden.empty());
    TreeViewOptions options;
    int opened = 0;
    for (std::size_t length = 0; length <= golden.size(); length += 7) {
        Report report;
        opened += OpenReportFromMemory(&report, golden.data(), length, ComposeTitlesWith(options)) ? 1 : 0;
    }
    EXPECT_GT(opened, 0);
    std::string garbled = golden;
    for (std::size_t i = 0; i < garbled.size(); i += 13) {
        garbled[i] = static_cast<char>(garbled[i] ^ 0x5A);
        Report report;
        OpenReportFromMemory(&report, garbled.data(), garbled.size(), ComposeTitlesWith(options));
    }
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
    // The target is a folder: the replace fails, the folder stays, no temporary file is left.
    dir.WriteText("target.mcr/keep.txt", "keep");
    EXPECT_FALSE(SaveReport(report.get(), dir.Sub("target.mcr"), &error));
    EXPECT_EQ(error, ReportFileError::WriteFailed);
    EXPECT_TRUE(platform::DirectoryExists(dir.Sub("target.mcr")));
    EXPECT_EQ(ReadAll(dir.Sub("target.mcr/keep.txt")), "keep");
    EXPECT_FALSE(platform::FileExists(dir.Sub("target.mcr.saving~")));
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
    EXPECT_FALSE(platform::FileExists(dir.Sub("r.mcr.saving~")));
}
#endif

TEST(ReportFile, EmptyFilesAndTruncatedTimes) {
    auto report = MakeReport(false, 4096);
    FolderRecord* root = AddFolder(nullptr, "/zero");
    SetStats(root, {{LFN, 3}, {MFS, 0}, {NFA, 0}, {OFN, 0}, {BTM, 12345678901234567}, {ELT, 0}});
    report->SetRoot(root);
    ScratchDir dir;
    ASSERT_TRUE(SaveReport(report.get(), dir.Sub("z.mcr")));
    const std::string text = ReadAll(dir.Sub("z.mcr"));
    EXPECT_NE(text.find("<node name=\"/zero\">"), std::string::npos) << text;  // no val
    EXPECT_NE(text.find("<attr name=\"info\">3;0;0;1234567890;0</attr>"), std::string::npos) << text;
    Report back;
    ASSERT_TRUE(OpenReport(&back, dir.Sub("z.mcr"), ComposeTitlesWith(TreeViewOptions())));
    EXPECT_EQ(Stat(back.Root(), MFS), 0);
    EXPECT_EQ(Stat(back.Root(), NFA), 0);
    EXPECT_EQ(Stat(back.Root(), BTM), 12345678900000000);
}

// A chain of `levels` folders as the walk leaves it: one file and one sub-folder each.
FolderRecord* DeepChain(int levels) {
    FolderRecord* root = AddFolder(nullptr, "/deep");
    FolderRecord* node = root;
    for (int level = 1; level < levels; ++level) {
        SetStats(node, {{LFN, 1}, {MFS, 10}, {NFA, 4096}, {OFN, 1}, {ELT, 0}, {BTM, 0}});
        node = AddFolder(node, "d");
    }
    SetStats(node, {{LFN, 1}, {MFS, 10}, {NFA, 4096}, {OFN, 0}, {ELT, 0}, {BTM, 0}});
    return root;
}

TEST(ReportFile, TenThousandLevelsOnASmallStack) {
    constexpr int kLevels = 10000;
    ScratchDir dir;
    const std::string path = dir.Sub("deep.mcr");
    std::int64_t files = -1, reopenedFiles = -1, depth = 0;
    bool saved = false, opened = false;
    test::RunOnSmallStack([&] {
        auto report = MakeReport(false, 4096);
        FolderRecord* root = DeepChain(kLevels);
        ScanControl control;
        if (AddTotals(report.get(), root, control) && FinishTree(report.get(), root, control)) {
            report->SetRoot(root);
            files = Stat(root, LFN);
            saved = SaveReport(report.get(), path);
        } else {
            DeleteNode(root);
        }
        Report back;
        opened = OpenReport(&back, path, ComposeTitlesWith(TreeViewOptions()));
        if (opened) {
            reopenedFiles = Stat(back.Root(), LFN);
            for (FolderRecord* node = back.Root(); node->firstChild; node = node->firstChild) {
                ++depth;
            }
        }
    });
    EXPECT_EQ(files, kLevels);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(opened);
    EXPECT_EQ(reopenedFiles, kLevels);
    // Every level but the last has a sub-folder and a file, so a files item: 2 children each.
    EXPECT_EQ(depth, kLevels - 1);
}

}  // namespace
}  // namespace qv
