// The tools' folder walk: order, links left alone, folders without access, depth.
#include "tools/FolderWalk.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "RunWithStack.h"
#include "TestUtil.h"

namespace qv::tools {
namespace {

using test::ScratchDir;

// Records the walk as lines "depth folder-relative-path: file,file".
class Recorder : public WalkVisitor {
  public:
    explicit Recorder(std::string root) : m_root(std::move(root)) {}
    void Folder(const std::string& path, int depth, std::vector<platform::DirEntry>& files) override {
        std::string line = std::to_string(depth) + " " + path.substr(m_root.size()) + ":";
        std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
        for (const platform::DirEntry& file : files) {
            line += " " + file.name;
        }
        lines.push_back(line);
    }
    bool Descend(const std::string& path, const platform::DirEntry&) override {
        return path.find("skip") == std::string::npos;
    }
    std::vector<std::string> lines;

  private:
    std::string m_root;
};

std::string Sep(std::string text) {
    for (char& c : text) {
        if (c == '/') {
            c = platform::kPathSeparator;
        }
    }
    return text;
}

TEST(FolderWalk, FilesOfAFolderComeBeforeItsSubFoldersAndRefusedFoldersAreLeftOut) {
    ScratchDir dir;
    dir.WriteFile("r.txt", 1);
    dir.WriteFile("a/a1.txt", 1);
    dir.WriteFile("a/deep/d.txt", 1);
    dir.WriteFile("skip/s.txt", 1);
    const std::string root = platform::FullFolderPath(dir.Path());
    Recorder recorder(root);
    ASSERT_TRUE(WalkFolder(root, recorder));
    const std::vector<std::string> expected = {"0 : r.txt", Sep("1 /a: a1.txt"), Sep("2 /a/deep: d.txt")};
    EXPECT_EQ(recorder.lines, expected);
    Recorder none(root);
    EXPECT_FALSE(WalkFolder(dir.Sub("missing"), none));
}

#ifndef _WIN32
// A link to a folder outside and a link cycle: neither is entered; a link is handed over as a
// file only when the listing says it is not a folder (POSIX: always).
TEST(FolderWalk, LinksAreNeverEntered) {
    ScratchDir dir;
    ScratchDir outside;
    outside.WriteFile("secret.txt", 1);
    dir.WriteFile("in/x.txt", 1);
    ASSERT_EQ(::symlink(outside.Path().c_str(), dir.Sub("in/out").c_str()), 0);
    ASSERT_EQ(::symlink(dir.Path().c_str(), dir.Sub("in/up").c_str()), 0);
    const std::string root = platform::FullFolderPath(dir.Path());
    Recorder recorder(root);
    ASSERT_TRUE(WalkFolder(root, recorder));
    const std::vector<std::string> expected = {"0 :", "1 /in: out up x.txt"};
    EXPECT_EQ(recorder.lines, expected);
}

TEST(FolderWalk, FolderWithoutAccessIsSkippedWithEverythingBelow) {
    ScratchDir dir;
    dir.WriteFile("open/o.txt", 1);
    dir.WriteFile("shut/below/b.txt", 1);
    ASSERT_EQ(::chmod(dir.Sub("shut").c_str(), 0), 0);
    const std::string root = platform::FullFolderPath(dir.Path());
    const auto text = test::RunUnprivilegedForText([&] {
        Recorder recorder(root);
        WalkFolder(root, recorder);
        std::string all;
        for (const std::string& line : recorder.lines) {
            all += line + "|";
        }
        return all;
    });
    ::chmod(dir.Sub("shut").c_str(), 0755);
    if (!text) {
        GTEST_SKIP() << "cannot drop root's rights";
    }
    EXPECT_EQ(*text, "0 :|1 /open: o.txt|");
}

// 10,000 levels "d", each with a sibling "e" that waits while the walk goes down: with at most
// 64 handles open at once, on a 1 MB stack, every folder is visited once.
TEST(FolderWalk, TenThousandLevelsOnASmallStackWithFewHandles) {
    constexpr int kLevels = 10000;
    ScratchDir dir(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::filesystem::temp_directory_path());
    ASSERT_EQ(test::MakeDeepComb(dir.Path(), kLevels), kLevels);
    class Counter : public WalkVisitor {
      public:
        void Folder(const std::string&, int depth, std::vector<platform::DirEntry>&) override {
            ++folders;
            deepest = std::max(deepest, depth);
        }
        bool Descend(const std::string&, const platform::DirEntry&) override { return true; }
        int folders = 0;
        int deepest = 0;
    } counter;
    bool walked = false;
    ASSERT_TRUE(test::RunWithStack(1 << 20, [&] { walked = WalkFolder(dir.Path(), counter, 64); }));
    EXPECT_TRUE(walked);
    EXPECT_EQ(counter.folders, 2 * kLevels + 1);
    EXPECT_EQ(counter.deepest, kLevels);
    // Taken apart from the bottom with descriptors, climbing with "..".
    int fd = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; fd >= 0 && level < kLevels; ++level) {
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    for (int level = kLevels; fd >= 0 && level > 0; --level) {
        const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = up;
        EXPECT_EQ(::unlinkat(fd, "e", AT_REMOVEDIR) + ::unlinkat(fd, "d", AT_REMOVEDIR), 0);
    }
    if (fd >= 0) {
        ::close(fd);
    }
}
#endif

}  // namespace
}  // namespace qv::tools
