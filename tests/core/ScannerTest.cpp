// The folder scanner against generated trees with known figures, against an independent walk
// (find on POSIX), and on the awkward cases: cancel, folders that vanish or cannot be read,
// links, long and Unicode paths, very deep trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <tuple>
#include <vector>

#include "TestUtil.h"
#include "core/ReportFile.h"
#include "core/ScanTestUtil.h"
#include "core/Scanner.h"
#include "platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qv {
namespace {

using namespace test;

// A tree whose every figure is known (4096-byte clusters):
//   root: a.txt 100, b.tmp 4096; sub1: x.exe 5000, empty.bin 0; sub2: z.txt 0; sub3 empty
TEST(Scanner, KnownTreeFiguresFilesItemFiltersAndTitles) {
    ScratchDir dir;
    dir.Build("a.txt:100 b.tmp:4096 sub1/x.exe:5000 sub1/empty.bin:0 sub2/z.txt:0 sub3/");
    auto report = MakeReport(true, 4096);
    FolderRecord* root = Scan(report.get(), dir.Path());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(report->Root(), root);
    FolderRecord* sub1 = Child(root, "sub1");
    FolderRecord* sub3 = Child(root, "sub3");
    FolderRecord* item = root->lastChild;  // the files item: direct files and sub-folders
    ASSERT_TRUE(sub1 && Child(root, "sub2") && sub3);
    // Files, bytes, allocated (100 -> 4096, 5000 -> 8192, empty -> 0), folders; size class.
    const std::tuple<FolderRecord*, const char*, int> rows[] = {
        {root, "5 9196 16384 3", 9}, {sub1, "2 5000 8192 0", 8}, {Child(root, "sub2"), "1 0 0 0", 0},
        {sub3, "0 0 0 0", 0},        {item, "2 4196 8192 3", 8},
    };
    for (const auto& [node, figures, kind] : rows) {
        EXPECT_EQ(Join(test::Figures(node), node->kind), Join(figures, kind)) << node->desc;
    }
    EXPECT_EQ(ReadText(sub1, ALC), platform::JoinPath(platform::FullFolderPath(dir.Path()), "sub1"));

    // The files item comes last, after the real children in listing order; a folder with files
    // but no sub-folders (or the reverse) has none.
    EXPECT_EQ(Join(item->group, item->desc, TextOf(item, ALC), TextOf(item, DRM), Stat(item, CRP), Stat(item, ELT),
                   HasKey(item, BTM), root->firstChild->nextSibling->nextSibling->nextSibling == item,
                   sub1->firstChild == nullptr),
              Join(1, "{" + dir.Path() + " files}", platform::FullFolderPath(dir.Path()), report->Created(),
                   report->Serial(), 0, false, true, true));

    // Per filter: a.txt at the root and the empty z.txt in sub2 are documents.
    const std::tuple<FolderRecord*, const char*, const char*, std::int64_t> filterRows[] = {
        {root, kFilterFiles, "Documents", 2},
        {root, kFilterAllocated, "Documents", 4096},
        {root, kFilterDirectFiles, "Documents", 1},
        {sub1, kFilterDirectAllocated, "Executable, Libraries", 8192},
        {item, kFilterDirectFiles, "Temporary", 1},
        {sub3, kFilterDirectAllocated, "Archives", 0},  // every filter has its keys on every folder
    };
    for (const auto& [node, code, filter, value] : filterRows) {
        EXPECT_EQ(Join(HasKey(node, FilterKey(code, filter)), Stat(node, FilterKey(code, filter))), Join(true, value))
            << node->desc << " " << code << filter;
    }
    EXPECT_EQ(Join(Stat(root, FCA), Stat(sub1, FCA)), "1 0");

    // Default options carry only the icon: the title is the name padded to 12 characters. The
    // latest access is the newest file time below; an empty folder has its own access time.
    EXPECT_EQ(std::string(sub1->name), "sub1        ");
    EXPECT_EQ(Join(Stat(root, ELT) >= Stat(sub1, ELT), Stat(sub1, ELT) > 0, Stat(sub3, ELT) > 0, Stat(sub3, BTM) > 0),
              "1 1 1 1");
}

TEST(Scanner, MissingArgumentsAndMissingRoot) {
    auto report = MakeReport(true, 4096);
    FolderRecord* record = CreateNode(nullptr, "x");
    EXPECT_FALSE(ScanFolder(report.get(), nullptr, record, {}) || ScanFolder(report.get(), "x", nullptr, {}) ||
                 AddTotals(report.get(), nullptr, {}) || FinishTree(report.get(), nullptr, {}));
    DeleteNode(record);
    // A root that does not exist still gives a report, with zero statistics and no path.
    ScratchDir dir;
    FolderRecord* root = Scan(report.get(), dir.Sub("does-not-exist"));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Join(test::Figures(root), HasKey(root, ALC), root->kind), "0 0 0 0 0 9");
}

TEST(Scanner, ProgressShowsEveryFourthFolderAndCancelStopsTheWalk) {
    ScratchDir dir;
    for (int i = 0; i < 21; ++i) {
        dir.WriteFile("d" + std::to_string(i) + "/f.txt", 1);
    }
    const std::string base = platform::FullFolderPath(dir.Path());
    std::string shown;  // "p" for a path below the root
    ScanControl control;
    control.progress = [&](const char* text, bool) {
        shown += std::string(text).rfind(base, 0) == 0 ? "p" : std::string("|") + text;
    };
    ASSERT_NE(Scan(MakeReport(true, 4096).get(), dir.Path(), control), nullptr);
    // 22 folders entered: 5 or 6 of them shown with their paths, then the three phase texts.
    const std::string phases = "|Collecting Statistics...|Finalizing...|Initializing tree items...";
    EXPECT_TRUE(shown == "ppppp" + phases || shown == "pppppp" + phases) << shown;
    // With a pause between paths longer than the scan, only the first path is shown.
    shown.clear();
    control.progressPauseMs = 60000;
    ASSERT_NE(Scan(MakeReport(true, 4096).get(), dir.Path(), control), nullptr);
    EXPECT_EQ(shown, "p" + phases);
    control.progressPauseMs = 0;

    const std::string before = platform::GetCurrentDir();
    auto report = MakeReport(true, 4096);
    std::atomic<int> cancel{0};
    int progressCalls = 0;
    control.threads = 1;  // counts the progress calls of one walking thread
    control.cancel = &cancel;
    control.progress = [&](const char*, bool cancelEnabled) {
        EXPECT_TRUE(cancelEnabled);
        cancel = ++progressCalls == 2 ? 1 : 0;
    };
    const bool none = Scan(report.get(), dir.Path(), control) == nullptr;
    EXPECT_EQ(Join(none, report->Root() == nullptr, progressCalls, platform::GetCurrentDir()),
              Join(true, true, 2, before));
    // Cancelled before the totals or the finishing pass.
    FolderRecord* root = CreateNode(nullptr, dir.Path().c_str());
    ASSERT_NE(ScanFolder(report.get(), dir.Path().c_str(), root, {}), nullptr);
    cancel = 1;
    EXPECT_FALSE(AddTotals(report.get(), root, control) || FinishTree(report.get(), root, control));
    DeleteNode(root);
}

#ifdef _WIN32
// Under Wine, the Unix path Wine gives a Windows folder; empty on Windows itself.
std::string WineUnixPath(const std::string& folder) {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (ntdll == nullptr || kernel == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
        return {};
    }
    using UnixNameFn = char*(CDECL*)(const wchar_t*);
    const auto unixName =
        reinterpret_cast<UnixNameFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
    const std::wstring wide = ScratchDir::FromUtf8(folder).wstring();
    char* name = unixName != nullptr ? unixName(wide.c_str()) : nullptr;
    const std::string path = name != nullptr ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

// How many characters the path of a folder below `base` may add while the folder can still be
// listed. Linux takes paths of 4095 bytes (4096 with the terminating zero). Wine maps each
// Windows path to a Unix one, so there the Linux limit applies to the Unix path of the scratch
// folder, and Wine lists a folder only when its Unix path leaves a byte to spare. Windows takes
// 32767 characters in "\\?\" form, with room left for the "\*.*" a listing adds.
int RoomBelow(const std::string& base) {
    const std::string unixPath = WineUnixPath(base);
    return !unixPath.empty() ? 4094 - static_cast<int>(unixPath.size())
                             : 32767 - 4 - 4 - 1 - static_cast<int>(base.size());
}

bool Move(const std::string& from, const std::string& to) {
    std::error_code error;
    std::filesystem::rename(ScratchDir::FromUtf8(from), ScratchDir::FromUtf8(to), error);
    return !error;
}

// A chain of `levels` folders called `name` below `base`, built from the bottom up: each round
// moves the chain made so far into a new top folder, so no call names a path longer than two
// levels. Top-down, every call would name the deepest folder, which costs Wine time growing
// with the square of the depth (over two minutes for 2,000 levels), and entering each new
// folder instead stops at the 259 characters Windows keeps of a current directory. Returns the
// number of levels made.
int MakeDeepChain(const std::string& base, const std::string& name, int levels) {
    const std::string top = platform::JoinPath(base, name);
    const std::string spare = platform::JoinPath(base, "spare");
    int made = platform::MakeDirectory(top) ? 1 : 0;
    while (made > 0 && made < levels && platform::MakeDirectory(spare) && Move(top, platform::JoinPath(spare, name)) &&
           Move(spare, top)) {
        ++made;
    }
    return made;
}

// Takes the chain apart the same way: the part below the top moves up beside it, the empty top
// goes, and the part takes its place.
bool RemoveDeepChain(const std::string& base, const std::string& name, int levels) {
    const std::string top = platform::JoinPath(base, name);
    const std::string spare = platform::JoinPath(base, "spare");
    for (int level = levels; level > 1; --level) {
        if (!Move(platform::JoinPath(top, name), spare) || !platform::DeleteDirectory(top) || !Move(spare, top)) {
            return false;
        }
    }
    return platform::DeleteDirectory(top);
}

// Scans `path` on a thread with a 1 MB stack: the folders of the root, the levels below it, whether
// the deepest record was listed and entered; empty without a root.
std::string ScanChainOnSmallStack(const std::string& path) {
    std::string seen;
    test::RunOnSmallStack([&] {
        auto report = MakeReport(true, 4096);
        int depth = 0;
        FolderRecord* node = Scan(report.get(), path);
        for (; node != nullptr && node->firstChild != nullptr; node = node->firstChild) {
            ++depth;
        }
        seen = node != nullptr ? Join(Stat(report->Root(), OFN), depth, HasKey(node, LFN), HasKey(node, ALC)) : "";
    });
    return seen;
}

TEST(Scanner, TreeAsDeepAsThePathLimitAllowsOnASmallStack) {
    ScratchDir dir;
    const std::string base = platform::FullFolderPath(dir.Path());
    // One "a" per level, as deep as the longest path allows: about 2,000 levels under Wine,
    // depending on the scratch folder's path. Wine opens a folder by its path in time that grows
    // with the square of its depth (its server resolves the opened path link by link), so making
    // the chain is slow; it stops at 1,900 (on Windows, whose paths allow 16,000 levels, too).
    const int wanted = std::min(1900, RoomBelow(base) / 2);
    const int made = MakeDeepChain(base, "a", wanted);
    ASSERT_EQ(made, wanted);
    std::printf("deep tree: %d levels made\n", made);
    EXPECT_EQ(ScanChainOnSmallStack(dir.Path()), Join(made, made, true, true));
    EXPECT_TRUE(RemoveDeepChain(base, "a", made));
}

// On Windows a folder beyond the longest path cannot be listed or entered; it is recorded like a
// folder that refuses access, and the scan keeps everything above it. Under Wine folders are
// opened from their parents with Linux calls, and the whole chain is scanned.
TEST(Scanner, FolderBeyondThePathLimitIsScannedUnderWineOnly) {
    ScratchDir dir;
    const std::string base = platform::FullFolderPath(dir.Path());
    const std::string name(60, 'n');
    const int reachable = RoomBelow(base) / static_cast<int>(name.size() + 1);
    ASSERT_GT(reachable, 64);
    const int made = MakeDeepChain(base, name, reachable + 3);
    ASSERT_EQ(made, reachable + 3);
    const bool wine = platform::ReadsFoldersAsLinux();
    const int scanned = wine ? made : reachable + 1;
    EXPECT_EQ(ScanChainOnSmallStack(dir.Path()), Join(scanned, scanned, wine, wine));
    EXPECT_TRUE(RemoveDeepChain(base, name, made));
}

#endif

#ifndef _WIN32

// The number a shell command prints (0 when it prints none).
std::int64_t ShellNumber(const std::string& command) {
    std::string out = "0";
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            out.append(buffer, got);
        }
        ::pclose(pipe);
    }
    return std::stoll(out);
}

// Every folder's LFN, MFS and OFN against find: non-directories of any kind are files with
// their own (lstat) size, symbolic links are never followed, hard links count per entry. Some
// names are not ASCII; the filters are off, so no per-filter keys are written.
TEST(Scanner, FiguresMatchFindOnAGeneratedTree) {
    ScratchDir dir;
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFF; };
    std::vector<std::string> folders = {""};
    for (int i = 0; i < 60; ++i) {
        const std::string parent = folders[next() % folders.size()];
        folders.push_back(parent + (parent.empty() ? "" : "/") + "d" + std::to_string(i) + (i % 5 ? "" : " Ελλάδα"));
        dir.MakeDir(folders.back());
    }
    for (int i = 0; i < 300; ++i) {
        const std::string& folder = folders[next() % folders.size()];
        dir.WriteFile(folder + (folder.empty() ? "" : "/") + "f" + std::to_string(i) + (i % 7 ? ".txt" : "日本.tmp"),
                      next() % 20000);
    }
    // Links of every kind, a hard link and a named pipe.
    ASSERT_EQ(::symlink("..", dir.Sub(folders[1] + "/up").c_str()), 0);
    ASSERT_EQ(::symlink(dir.Path().c_str(), dir.Sub("loop").c_str()), 0);
    ASSERT_EQ(::symlink("missing-target", dir.Sub("dangling").c_str()), 0);
    dir.WriteFile("f-hard-source.bin", 777);
    ASSERT_EQ(::link(dir.Sub("f-hard-source.bin").c_str(), dir.Sub(folders[1] + "/hard-copy.bin").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.Sub("pipe").c_str(), 0600), 0);

    auto report = MakeReport(false, 4096);
    FolderRecord* root = Scan(report.get(), dir.Path());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Stat(root, FCA), 0);
    int checked = 0;
    for (std::vector<FolderRecord*> stack = {root}; !stack.empty();) {
        FolderRecord* node = stack.back();
        stack.pop_back();
        for (FolderRecord* child = node->firstChild; child; child = child->nextSibling) {
            if (child->group == 0) {
                stack.push_back(child);
            }
        }
        for (std::size_t i = 0; i < node->attrs.Count(); ++i) {
            EXPECT_EQ(std::string(node->attrs.At(i).Name()).find("@F"), std::string::npos);
        }
        const std::string path = ReadText(node, ALC);
        const std::string quoted = "'" + path + "'";
        EXPECT_EQ(Join(Stat(node, LFN), Stat(node, MFS), Stat(node, OFN)),
                  Join(ShellNumber("find " + quoted + " ! -type d | wc -l"),
                       ShellNumber("find " + quoted + " ! -type d -printf '%s\\n' | awk '{s+=$1} END {print s+0}'"),
                       ShellNumber("find " + quoted + " -mindepth 1 -type d | wc -l")))
            << path;
        ++checked;
    }
    EXPECT_EQ(checked, 61);
}

// What a scan shows of the root (error mark, files) and of each direct sub-folder (whether it
// has a path and counts, its error mark), then the folders reported unreadable.
std::string DescribeReadability(const std::string& root) {
    auto report = MakeReport(true, 4096);
    std::string reported;
    ScanControl control;
    control.unreadable = [&](const char* path, const char* reason) {
        reported += std::string(path).substr(root.size()) + " (" + reason + ") ";
    };
    FolderRecord* top = Scan(report.get(), root, control);
    std::string text = Join("root", Stat(top, ERR), Stat(top, LFN));
    for (const char* name : {"open", "closed", "enter-only"}) {
        FolderRecord* child = Child(top, name);
        text += "; " + (child == nullptr ? Join(name, "missing")
                                         : Join(name, HasKey(child, ALC), HasKey(child, LFN), Stat(child, ERR)));
    }
    return text + "; reported: " + reported;
}

// A folder that refuses listing (mode 000), or entering and listing (mode 111 allows entering
// only), keeps its dates, reads as empty, is marked "error here" with its ancestors marked
// "error below", and is reported; the scan goes on.
TEST(Scanner, FoldersThatCannotBeReadAreMarkedReportedAndTheScanGoesOn) {
    ScratchDir dir;
    dir.Build("open/a.txt:10 closed/secret.txt:10 enter-only/hidden.txt:10");
    ::chmod(dir.Path().c_str(), 0755);
    ::chmod(dir.Sub("open").c_str(), 0755);
    ::chmod(dir.Sub("closed").c_str(), 0);
    ::chmod(dir.Sub("enter-only").c_str(), 0111);
    const std::string root = platform::FullFolderPath(dir.Path());
    const auto seen = test::RunUnprivilegedForText([&] { return DescribeReadability(root); });
    if (!seen) {
        GTEST_SKIP() << "cannot give up root's rights here";
    }
    const std::string expected = "root 2 1; open 1 1 0; closed 0 0 1; enter-only 1 0 1; reported: ";
    EXPECT_EQ(Join(seen->substr(0, expected.size()), seen->find("/closed (Permission denied)") != std::string::npos,
                   seen->find("/enter-only (Permission denied)") != std::string::npos),
              Join(expected, true, true))
        << *seen;
}

// Below the 64 levels whose listings the walk used to keep open, a folder is opened from its
// parent like any other: one swapped for a link to a foreign folder between the parent's listing
// and its own opening is not followed.
TEST(Scanner, FolderSwappedForALinkDuringTheScanIsNotFollowed) {
    ScratchDir dir;
    ScratchDir foreign;
    for (int i = 0; i < 502; ++i) {
        foreign.WriteFile("f" + std::to_string(i), 1);
    }
    std::string relative = "c";
    for (int level = 1; level < 70; ++level) {
        relative += "/c";
    }
    dir.MakeDir(relative);
    const std::string root = platform::FullFolderPath(dir.Path());
    const std::string victim = root + relative.substr(0, 2 * 66 - 1).insert(0, "/");
    ScratchDir moved;
    ScanControl control;
    control.beforeOpen = [&](const char* path) {
        if (path == victim) {
            ASSERT_EQ(::rename(victim.c_str(), moved.Sub("away").c_str()), 0);
            ASSERT_EQ(::symlink(foreign.Path().c_str(), victim.c_str()), 0);
        }
    };
    auto report = MakeReport(true, 4096);
    FolderRecord* top = Scan(report.get(), dir.Path(), control);
    FolderRecord* node = top;
    for (int level = 0; level < 66 && node != nullptr; ++level) {
        node = node->firstChild;
    }
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(Join(Stat(top, LFN), Stat(top, OFN), HasKey(node, ALC), node->firstChild == nullptr, Stat(node, ERR)),
              Join(0, 66, false, true, kErrorHere));
}


// 3,000 levels, far below the longest path the system takes, each with a sibling waiting while
// the walk goes down: the scan reaches the bottom with few descriptors (the limit is set to 64
// for it) on a 1 MB stack, and agrees with find.
TEST(Scanner, TreeDeeperThanThePathLimitIsScannedWithFewDescriptors) {
    constexpr int kLevels = 3000;
    // Made in memory where that is possible: 6,000 folders on a disk take seconds.
    ScratchDir dir(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::filesystem::temp_directory_path());
    const std::string base = platform::FullFolderPath(dir.Path());
    ASSERT_EQ(MakeDeepComb(base, kLevels), kLevels);
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const struct rlimit few = {64, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
    std::string seen;  // folders, error marks, depth
    test::RunOnSmallStack([&] {
        auto report = MakeReport(true, 4096);
        FolderRecord* root = Scan(report.get(), base);
        int depth = 0;
        for (FolderRecord* node = Child(root, "d"); node != nullptr; node = Child(node, "d")) {
            ++depth;
        }
        seen = Join(Stat(root, OFN), Stat(root, ERR), depth);
    });
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(seen, Join(ShellNumber("find '" + base + "' -mindepth 1 -type d 2>/dev/null | wc -l"), 0, kLevels));
    EXPECT_EQ(seen, Join(2 * kLevels, 0, kLevels));
    EXPECT_EQ(std::system(("rm -rf '" + base + "/d'").c_str()), 0);  // too deep for the scratch folder's own removal
}

// Listing a folder sets its access time to now where the file system updates it on reading
// (relatime, when the time is a day old): a folder without files takes its access time from its
// parent's listing, read before the folder is listed, and the root its own from before the walk.
TEST(Scanner, FoldersWithoutFilesKeepTheAccessTimeFromBeforeTheScan) {
    ScratchDir dir;
    dir.MakeDir("empty");
    const struct timespec old[2] = {{978307200, 0}, {978307200, 0}};  // 1 January 2001
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.Sub("empty").c_str(), old, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.Path().c_str(), old, 0), 0);
    constexpr std::int64_t kOld = (978307200LL + 11644473600LL) * 10000000LL;
    auto report = MakeReport(true, 4096);
    FolderRecord* root = Scan(report.get(), dir.Path());
    EXPECT_EQ(Join(Stat(Child(root, "empty"), ELT), Stat(root, ELT)), Join(kOld, kOld));
}

// Sizes whose sums do not fit 64 bits (sparse files on a file system that takes them) stop at
// the largest value, in a folder's direct sums, in the sub-tree totals and in the filter sums.
TEST(Scanner, SumsBeyondSixtyFourBitsStopAtTheLargestValue) {
    ScratchDir dir(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::filesystem::temp_directory_path());
    const std::int64_t huge = std::int64_t{1} << 62;
    for (const char* relative : {"a/x.txt", "a/y.txt", "b/z.txt"}) {
        dir.WriteFile(relative, 0);
        if (::truncate(dir.Sub(relative).c_str(), huge) != 0) {
            GTEST_SKIP() << "no file system here takes a file of 2^62 bytes";
        }
    }
    auto report = MakeReport(true, 4096);
    FolderRecord* root = Scan(report.get(), dir.Path());
    const std::string documents = FilterKey(kFilterSize, "Documents");
    EXPECT_EQ(Join(Stat(Child(root, "a"), MFS), Stat(Child(root, "a"), documents), Stat(Child(root, "b"), MFS),
                   Stat(root, MFS), Stat(root, NFA), Stat(root, documents), Stat(root, LFN)),
              Join(INT64_MAX, INT64_MAX, huge, INT64_MAX, INT64_MAX, INT64_MAX, 3));
}

// The automatic policy charges what the file system allocated: whole blocks for an ordinary
// file, next to nothing for a sparse terabyte. A user cluster size keeps the rounding.
TEST(Scanner, AutomaticPolicyChargesTheAllocatedBlocks) {
    ScratchDir dir;
    dir.Build("plain.bin:5000 sparse.bin:0");
    ASSERT_EQ(::truncate(dir.Sub("sparse.bin").c_str(), std::int64_t{1} << 40), 0);
    const std::int64_t blocks =
        ShellNumber("find '" + dir.Path() + "' -type f -printf '%b\\n' | awk '{s += $1 * 512} END {print s}'");
    ASSERT_LT(blocks, 1 << 20);
    auto automatic = MakeReport(true, 0);
    ASSERT_TRUE(automatic->Policy()->Compute(dir.Path(), 0));
    FolderRecord* root = Scan(automatic.get(), dir.Path());
    EXPECT_EQ(Join(Stat(root, MFS), Stat(root, NFA)), Join(5000 + (std::int64_t{1} << 40), blocks));
    auto fixed = MakeReport(true, 4096);
    EXPECT_EQ(Stat(Scan(fixed.get(), dir.Path()), NFA), 8192 + (std::int64_t{1} << 40));
}

// Pseudo file systems below the root are shown empty without being entered; -x also leaves
// every other file system empty. Needs a mount namespace of its own (root, in a child).
TEST(Scanner, PseudoAndOtherFileSystemsAreNotEntered) {
    ScratchDir dir;
    dir.Build("plain/a.txt:10 proc/ tmp/");
    const std::string base = platform::FullFolderPath(dir.Path());
    const auto text = test::TextFromChild([&]() -> std::optional<std::string> {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("proc", (base + "/proc").c_str(), "proc", 0, nullptr) != 0 ||
            ::mount("tmpfs", (base + "/tmp").c_str(), "tmpfs", 0, "size=1m") != 0) {
            return std::nullopt;
        }
        ::close(::open((base + "/tmp/t.txt").c_str(), O_CREAT | O_WRONLY, 0600));
        std::string seen;
        for (bool oneFileSystem : {false, true}) {
            auto report = MakeReport(false, 4096);
            ScanControl control;
            control.oneFileSystem = oneFileSystem;
            FolderRecord* root = Scan(report.get(), base, control);
            FolderRecord* proc = Child(root, "proc");
            seen += Join(oneFileSystem ? "-x:" : "default:", Stat(root, LFN), Stat(root, OFN), HasKey(proc, ALC),
                         Stat(proc, LFN), Stat(proc, OFN), Stat(Child(root, "tmp"), LFN), Stat(root, ERR), "");
        }
        return seen;
    });
    if (!text) {
        GTEST_SKIP() << "cannot mount file systems here";
    }
    // Files, folders, proc's path and figures, tmp's files, error marks.
    EXPECT_EQ(*text, "default: 2 3 1 0 0 1 0 -x: 1 3 1 0 0 0 0 ");
}

#else

// On Windows a folder link (mklink /d) is entered, except when it leads back into the scanned
// tree. The tree (a/b/c.txt, outside/o.txt, a/b/up -> the root, a/out -> outside) is made here
// where links can be made.
TEST(Scanner, LinkToAnAncestorIsNotEnteredAgain) {
    if (platform::ReadsFoldersAsLinux()) {
        GTEST_SKIP() << "under Wine links are files (see LinuxLinksAreFilesOfTheirOwnSizeUnderWine)";
    }
    ScratchDir dir;
    const std::string tree = dir.Path();
    dir.WriteText("a/b/c.txt", "hello\n");
    dir.WriteText("outside/o.txt", "1234567\n");
    std::error_code ec;
    std::filesystem::create_directory_symlink(ScratchDir::FromUtf8(dir.Path()), ScratchDir::FromUtf8(dir.Sub("a/b/up")),
                                              ec);
    if (ec) {
        GTEST_SKIP() << "cannot make a folder link here: " << ec.message();
    }
    std::filesystem::create_directory_symlink(ScratchDir::FromUtf8(dir.Sub("outside")),
                                              ScratchDir::FromUtf8(dir.Sub("a/out")), ec);
    platform::DirEntry entry;
    ASSERT_TRUE(platform::StatPath(platform::JoinPath(tree, "a\\b\\up"), &entry));
    ASSERT_NE(entry.attributes & platform::kAttrReparsePoint, 0u);
    auto report = MakeReport(true, 4096);
    FolderRecord* root = Scan(report.get(), tree);
    ASSERT_NE(root, nullptr);
    FolderRecord* up = Child(Child(Child(root, "a"), "b"), "up");
    FolderRecord* out = Child(Child(root, "a"), "out");  // to a folder also scanned directly: inside too
    ASSERT_TRUE(up != nullptr && out != nullptr);
    EXPECT_EQ(Join(HasKey(up, ALC), up->firstChild == nullptr, HasKey(out, ALC), Stat(root, LFN), Stat(root, MFS),
                   Stat(root, OFN)),
              Join(false, true, false, 2, 6 + 8, 5));
}

// Under Wine, Wine's own calls show a Linux link to a folder as a folder to enter and one to a
// file as that file; the scan sees links as the native build does: files of their own size (the
// length of the target's path), never entered. The tree (a/b/c.txt, outside/o.txt, a/b/up -> the
// root, a/out -> outside, a/flink -> outside/o.txt, absolute targets) is made natively before
// the test runs (see CMakeLists.txt).
TEST(Scanner, LinuxLinksAreFilesOfTheirOwnSizeUnderWine) {
    const char* prepared = std::getenv("QV_LINK_TREE");
    if (prepared == nullptr || !platform::ReadsFoldersAsLinux()) {
        GTEST_SKIP() << "not under Wine with the prepared link tree";
    }
    const std::string tree = prepared;
    const std::int64_t linuxPath = static_cast<std::int64_t>(tree.size()) - 2;  // without "Z:"
    auto report = MakeReport(true, 4096);
    FolderRecord* root = Scan(report.get(), tree);
    ASSERT_NE(root, nullptr);
    // No up or out record; folders a, a/b, outside; files c.txt, up; out, flink; o.txt.
    EXPECT_EQ(Join(Child(Child(Child(root, "a"), "b"), "up") == nullptr, Child(Child(root, "a"), "out") == nullptr,
                   Stat(root, OFN), Stat(root, LFN), Stat(root, MFS), Stat(Child(root, "a"), LFN)),
              Join(true, true, 3, 2 + 3, 6 + 8 + linuxPath + (linuxPath + 8) + (linuxPath + 14), 1 + 1 + 2));
}

#endif

// ---------------------------------------------------------------------------------------------
// The walk on several threads.

// Files that the built-in filters match, so per-filter counts and temporary marks differ by folder.
void WriteMixedFiles(const ScratchDir& dir, const std::string& folder, int seed) {
    static const char* const kNames[] = {"a.txt", "b.tmp", "~c.doc", "d.bak", "e.log", "f.obj"};
    for (int i = 0; i <= seed % 4; ++i) {
        dir.WriteFile(folder + "/" + std::to_string(i) + kNames[(seed + i) % 6], static_cast<std::size_t>(seed * 37 % 9000));
    }
}

// A wide part, a chain deeper than the folders the walk keeps open with a side folder on each
// level, and folders named "gone..." that the walk deletes just before it opens them. Every
// entry gets fixed times, children before their folder; access times lie in the future, so
// listing does not move them.
void BuildMixedTree(const ScratchDir& dir) {
    std::string chain = "deep";
    for (int i = 0; i < 60; ++i) {
        WriteMixedFiles(dir, "wide/w" + std::to_string(i), i);
        WriteMixedFiles(dir, chain + "/side", i);
        chain += "/d";
        WriteMixedFiles(dir, "mixed/m" + std::to_string(i % 12) + (i % 5 == 2 ? "/gone" : "/s") + std::to_string(i) + "/x", i);
    }
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ScratchDir::FromUtf8(dir.Path()))) {
        paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end(), std::greater<>());
    paths.push_back(ScratchDir::FromUtf8(dir.Path()));
    for (std::size_t n = 0; n < paths.size(); ++n) {
        const std::uint64_t written = 978307200 + 3600 * (n % 97), accessed = 4102444800 + 60 * (n % 13);
#ifdef _WIN32
        HANDLE handle = CreateFileW(paths[n].c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        auto fileTime = [](std::uint64_t seconds) {
            const std::uint64_t ticks = (seconds + 11644473600ULL) * 10000000ULL;
            return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        };
        const FILETIME write = fileTime(written), access = fileTime(accessed);
        EXPECT_TRUE(SetFileTime(handle, &write, &access, &write)) << paths[n];
        CloseHandle(handle);
#else
        const timespec times[2] = {{static_cast<time_t>(accessed), 0}, {static_cast<time_t>(written), 0}};
        EXPECT_EQ(utimensat(AT_FDCWD, paths[n].c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << paths[n];
#endif
    }
}

// The saved reports of the tree are the same on 1, 2 and 8 threads (the report's creation text is
// fixed), and a cancel stops every thread.
TEST(Scanner, ReportsAreTheSameOnOneTwoAndEightThreadsAndCancelStopsThemAll) {
    ScratchDir dir;
    ScratchDir out;
    ScanControl control;
    control.beforeOpen = [](const char* path) {
        if (std::filesystem::path(ScratchDir::FromUtf8(path)).filename().string().rfind("gone", 0) == 0) {
            std::error_code ec;
            std::filesystem::remove_all(ScratchDir::FromUtf8(path), ec);
        }
    };
    std::vector<std::string> reports;
    for (const unsigned threads : {1u, 2u, 8u}) {
        BuildMixedTree(dir);  // again: brings back the folders the last scan deleted
        auto report = MakeReport(true, 4096);
        control.threads = threads;
        const std::string file = out.Sub("t" + std::to_string(threads) + ".mcr");
        ASSERT_NE(Scan(report.get(), dir.Path(), control), nullptr);
        ASSERT_TRUE(SaveReport(report.get(), file));
        reports.push_back(test::ReadAll(file));
    }
    EXPECT_NE(reports[0].find("<node name=\"gone2\""), std::string::npos);  // recorded, though gone
    EXPECT_EQ(reports[1], reports[0]) << "2 threads";
    EXPECT_EQ(reports[2], reports[0]) << "8 threads";

    std::atomic<int> cancel{0};
    std::atomic<int> opened{0};
    control.cancel = &cancel;
    control.beforeOpen = [&](const char*) { cancel = ++opened >= 20 ? 1 : 0; };
    auto report = MakeReport(true, 4096);
    EXPECT_EQ(Scan(report.get(), dir.Path(), control), nullptr);
    EXPECT_EQ(report->Root(), nullptr);
    // A thread sees the flag at its next check: after the folder it is opening, and at most one
    // more that it took from the stack before.
    EXPECT_LE(opened.load(), 20 + 2 * 8);
}

}  // namespace
}  // namespace qv
