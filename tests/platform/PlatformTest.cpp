// The platform layer against the real file system of the machine it runs on.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "TestUtil.h"
#include "platform/Platform.h"

namespace qv::platform {
namespace {

std::map<std::string, DirEntry> ListAll(const std::string& folder) {
    std::map<std::string, DirEntry> entries;
    DirReader reader;
    if (!reader.Open(folder)) {
        return entries;
    }
    DirEntry entry;
    while (reader.Next(&entry)) {
        entries[entry.name] = entry;
    }
    return entries;
}

// A folder whose full path is `length` characters, made below `base` from names of `letter`;
// empty when the system refuses to make it.
std::string MakeFolderOfLength(const std::string& base, std::size_t length, char letter) {
    std::string folder = base;
    while (folder.size() + 1 < length) {
        const std::size_t remaining = length - folder.size();
        folder = JoinPath(folder, std::string(remaining > 101 ? 50 : remaining - 1, letter));
        if (!MakeDirectory(folder)) {
            return {};
        }
    }
    return folder.size() == length ? folder : std::string();
}

// Every call that takes a path also takes one beyond the 260 characters of plain Windows paths;
// a replace keeps every byte and leaves only the target; missing files are refused.
TEST(PlatformFile, PathsBeyond260CharactersWorkInEveryCall) {
    test::ScratchDir dir;
    const std::string base = FullFolderPath(dir.Path());
    const std::string folder = MakeFolderOfLength(base, base.size() + 320, 'x');
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(DirectoryExists(folder));
    EXPECT_FALSE(FileExists(folder));
    EXPECT_EQ(FullFolderPath(folder), folder);
    EXPECT_EQ(ResolveFinalPath(folder), ResolveFinalPath(base) + folder.substr(base.size()));
    EXPECT_TRUE(CanEnterFolder(folder));
    const std::string file = JoinPath(folder, "f.bin");
    const std::string target = JoinPath(folder, "日本.bin");
    std::string payload(200000, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<char>(i * 31 + 7);
    }
    {
        File out = File::Open(file, FileAccess::ReadWrite, FileDisposition::CreateNew, FileShare::Read);
        ASSERT_TRUE(out.Write(payload.data(), payload.size()));
        EXPECT_TRUE(out.Flush());
        EXPECT_EQ(out.Size(), static_cast<std::int64_t>(payload.size()));
    }
    EXPECT_TRUE(FileExists(file));
    std::int64_t allocated = -1;
    EXPECT_TRUE(CompressedFileSize(file, &allocated));
    {
        File old = File::Open(target, FileAccess::ReadWrite, FileDisposition::CreateNew, FileShare::Read);
        ASSERT_TRUE(old.Write("old contents", 12));
    }
    ASSERT_TRUE(ReplaceFileWith(file, target));
    EXPECT_FALSE(FileExists(file));
    std::string back;
    ASSERT_TRUE(ReadWholeFile(target, &back));
    EXPECT_EQ(back, payload);
    const auto entries = ListAll(folder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries.begin()->second.size, 200000);
    DirEntry entry;
    ASSERT_TRUE(StatPath(target, &entry));
    EXPECT_EQ(entry.name, "日本.bin");
    ASSERT_TRUE(StatPath(folder, &entry));
    EXPECT_NE(entry.attributes & kAttrDirectory, 0u);
    VolumeRaw volume;
    EXPECT_TRUE(QueryVolumeRaw(folder, &volume));
    EXPECT_GT(volume.bytesPerSector, 0u);
    EXPECT_TRUE(RemoveFile(target));
    EXPECT_FALSE(FileExists(target));
    EXPECT_FALSE(ReadWholeFile(target, &back));
    EXPECT_FALSE(CompressedFileSize(target, &allocated));
    EXPECT_FALSE(StatPath(target, &entry));
    for (const std::string& path : {target, std::string()}) {
        EXPECT_FALSE(File::Open(path, FileAccess::Read, FileDisposition::OpenExisting, FileShare::Read).IsOpen());
    }
    EXPECT_TRUE(DeleteDirectory(folder));
    EXPECT_FALSE(DirectoryExists(folder));
}

#ifdef _WIN32
// The system keeps at most 259 characters of current directory, with its trailing separator.
// A longer one is refused and the current directory stays where it was (Wine took it and wrote
// it over the command line and the data new threads start from).
TEST(PlatformDir, CurrentDirectoryTheSystemCannotKeepIsRefused) {
    test::ScratchDir dir;
    const std::string base = FullFolderPath(dir.Path());
    const std::string saved = GetCurrentDir();
    const struct {
        std::size_t length;
        char letter;
        bool accepted;
    } cases[] = {{258, 'a', true}, {259, 'b', false}, {600, 'c', false}};
    for (const auto& c : cases) {
        const std::string folder = MakeFolderOfLength(base, c.length, c.letter);
        ASSERT_EQ(folder.size(), c.length);
        EXPECT_EQ(SetCurrentDir(folder), c.accepted) << c.length;
        EXPECT_EQ(GetCurrentDir(), c.accepted ? folder : saved) << c.length;
        ASSERT_TRUE(SetCurrentDir(saved));
    }
    EXPECT_NE(std::string(GetCommandLineA()).find("platform_test"), std::string::npos);
}
#endif

TEST(PlatformMounts, MountInfoLinesGiveMountPointTypeAndDevice) {
    const std::string text =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "24 22 0:22 / /proc rw,nosuid shared:13 - proc proc rw\n"
        "25 22 0:23 / /mnt/with\\040blank rw - tmpfs tmpfs rw\n"
        "26 22 259:65536 / /big rw master:1 - xfs /dev/nvme0n1p1 rw\n"
        "malformed line\n"
        "27 22 x:1 / /bad rw - ext4 /dev/x rw\n"
        "28 22 0:24 / /no-separator rw ext4";
    std::string seen;  // devices: major 8 minor 1 is 0x801, major 259 minor 65536 is 0x10010300
    for (const MountEntry& mount : ParseMountInfo(text)) {
        seen += mount.mountPoint + " " + mount.type + " " + std::to_string(mount.device) + "; ";
    }
    EXPECT_EQ(seen, "/ ext4 2049; /proc proc 22; /mnt/with blank tmpfs 23; /big xfs 268501760; ");
#ifndef _WIN32
    EXPECT_EQ(LinuxDevice(4095, 1048575), makedev(4095, 1048575));
    EXPECT_EQ(LinuxDevice(70000, 3), makedev(70000, 3));
#endif
}

#ifndef _WIN32
// A folder handle opens sub-folders relative to its parent and never through a link; reopened
// after a close it must still be the folder it was.
TEST(PlatformFolder, ChildrenOpenWithoutLinksAndReopenOnlyAsTheSameFolder) {
    test::ScratchDir dir;
    dir.WriteFile("real/inside.txt", 3);
    ASSERT_EQ(::symlink("real", dir.Sub("link").c_str()), 0);
    FolderHandle root;
    ASSERT_TRUE(root.OpenRoot(dir.Path()));
    std::map<std::string, DirEntry> entries;
    DirReader reader;
    ASSERT_TRUE(reader.Open(root));
    for (DirEntry entry; reader.Next(&entry);) {
        entries[entry.name] = entry;
    }
    EXPECT_FALSE(reader.Failed());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries["real"].device, root.Device());
    EXPECT_EQ(entries["link"].attributes & kAttrDirectory, 0u);
    FolderHandle link;
    EXPECT_FALSE(link.OpenChild(root, entries["link"], dir.Sub("link")));
    EXPECT_TRUE(link.LastError() == ELOOP || link.LastError() == ENOTDIR) << link.LastError();

    FolderHandle real;
    ASSERT_TRUE(real.OpenChild(root, entries["real"], dir.Sub("real")));
    real.Close();
    EXPECT_TRUE(real.Reopen(root, "real"));
    real.Close();
    ASSERT_EQ(::rename(dir.Sub("real").c_str(), dir.Sub("moved").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.Sub("real").c_str(), 0755), 0);
    EXPECT_FALSE(real.Reopen(root, "real"));
    EXPECT_FALSE(real.IsOpen());
    EXPECT_FALSE(ErrorText(EACCES).empty());
}
#endif

// The two writes of the file tools: attributes (read-only at least, everywhere) and the last
// write time alone; a read-only file keeps its time, and a link is never written through.
TEST(PlatformFile, AttributesAndLastWriteTimeAreWrittenAndLinksRefused) {
    test::ScratchDir dir;
    dir.WriteFile("a.txt", 3);
    const std::string file = dir.Sub("a.txt");
    DirEntry before;
    ASSERT_TRUE(StatPath(file, &before));

    const FileTime when = 130000000000000000ULL;  // 2012-12-14, whole seconds
    ASSERT_TRUE(WriteLastWriteTime(file, when));
    DirEntry after;
    ASSERT_TRUE(StatPath(file, &after));
    EXPECT_EQ(after.lastWrite, when);
    EXPECT_EQ(after.lastAccess, before.lastAccess);

    ASSERT_TRUE(WriteFileAttributes(file, kAttrReadOnly | kAttrArchive));
    ASSERT_TRUE(StatPath(file, &after));
    EXPECT_NE(after.attributes & kAttrReadOnly, 0u);
    EXPECT_FALSE(WriteLastWriteTime(file, when + 10000000ULL));
    ASSERT_TRUE(WriteFileAttributes(file, kAttrArchive));
    ASSERT_TRUE(StatPath(file, &after));
    EXPECT_EQ(after.attributes & kAttrReadOnly, 0u);
    EXPECT_EQ(after.lastWrite, when);
    EXPECT_FALSE(WriteFileAttributes(dir.Sub("missing"), kAttrArchive));
    EXPECT_FALSE(WriteLastWriteTime(dir.Sub("missing"), when));
#ifndef _WIN32
    ASSERT_EQ(::symlink("a.txt", dir.Sub("link").c_str()), 0);
    EXPECT_FALSE(WriteFileAttributes(dir.Sub("link"), kAttrReadOnly));
    EXPECT_FALSE(WriteLastWriteTime(dir.Sub("link"), when + 20000000ULL));
    ASSERT_TRUE(StatPath(file, &after));
    EXPECT_EQ(after.attributes & kAttrReadOnly, 0u);
    EXPECT_EQ(after.lastWrite, when);
#endif
}

// Local calendar fields round-trip, and a day the month does not have is refused; now, today's
// midnight and joined paths.
TEST(PlatformTime, LocalFieldsNowMidnightAndJoinedPaths) {
    LocalTime local;
    const FileTime when = 130000000000000000ULL + 1230000ULL;  // 123 ms past a second
    ASSERT_TRUE(ToLocalTime(when, &local));
    EXPECT_EQ(local.millisecond, 123);
    FileTime back = 0;
    ASSERT_TRUE(FromLocalTime(local, &back));
    EXPECT_EQ(back, when);
    EXPECT_FALSE(FromLocalTime({2026, 4, 31, 12, 0, 0, 0}, &back));
    EXPECT_FALSE(FromLocalTime({2026, 2, 29, 12, 0, 0, 0}, &back));
    EXPECT_TRUE(FromLocalTime({2028, 2, 29, 12, 0, 0, 0}, &back));
    const FileTime now = Now();
    EXPECT_GT(now, 132223104000000000ULL);  // 2020-01-01 UTC
    EXPECT_TRUE(LocalDateText(0).empty());
    const FileTime midnight = TodayMidnightUtc();
    EXPECT_LE(midnight, now);
    EXPECT_LT(now - midnight, 864000000000ULL);
    EXPECT_EQ(midnight % 864000000000ULL, 0u);
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(JoinPath("a", "b"), "a" + sep + "b");
    EXPECT_EQ(JoinPath("a" + sep, "b"), "a" + sep + "b");
    EXPECT_EQ(JoinPath("", "b"), "b");
    EXPECT_TRUE(DirectoryExists(ProgramFolder()));
}

}  // namespace
}  // namespace qv::platform
