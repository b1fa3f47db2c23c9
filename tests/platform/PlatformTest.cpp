// The platform layer against the real file system of the machine it runs on.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

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

using test::Join;

// The entries of a folder (a path or an open handle) by name, and "?failed" when the listing
// could not be opened or stopped on an error.
template <typename Folder>
std::map<std::string, DirEntry> ListAll(const Folder& folder) {
    std::map<std::string, DirEntry> entries;
    DirReader reader;
    const bool opened = reader.Open(folder);
    for (DirEntry entry; opened && reader.Next(&entry);) {
        entries[entry.name] = entry;
    }
    if (!opened || reader.Failed()) {
        entries["?failed"];
    }
    return entries;
}

bool OpenToRead(const std::string& path) {
    return File::Open(path, FileAccess::Read, FileDisposition::OpenExisting, FileShare::Read).IsOpen();
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
    EXPECT_EQ(Join(DirectoryExists(folder), FileExists(folder), FullFolderPath(folder), ResolveFinalPath(folder),
                   CanEnterFolder(folder)),
              Join(true, false, folder, ResolveFinalPath(base) + folder.substr(base.size()), true));
    const std::string file = JoinPath(folder, "f.bin");
    const std::string target = JoinPath(folder, "日本.bin");
    std::string payload(200000, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<char>(i * 31 + 7);
    }
    for (const auto& [path, text] : {std::pair{file, payload}, {target, std::string("old contents")}}) {
        File out = File::Open(path, FileAccess::ReadWrite, FileDisposition::CreateNew, FileShare::Read);
        ASSERT_TRUE(out.Write(text.data(), text.size()) && out.Flush());
        EXPECT_EQ(out.Size(), static_cast<std::int64_t>(text.size()));
    }
    std::int64_t allocated = -1;
    const bool compressed = CompressedFileSize(file, &allocated);
    ASSERT_TRUE(ReplaceFileWith(file, target));
    std::string back;
    const bool read = ReadWholeFile(target, &back);
    const auto entries = ListAll(folder);
    DirEntry entry, folderEntry;
    VolumeRaw volume;
    EXPECT_EQ(Join(compressed, FileExists(file), read && back == payload, entries.size(),
                   entries.empty() ? -1 : entries.begin()->second.size, StatPath(target, &entry) ? entry.name : "-",
                   StatPath(folder, &folderEntry) && (folderEntry.attributes & kAttrDirectory) != 0,
                   QueryVolumeRaw(folder, &volume) && volume.bytesPerSector > 0),
              Join(true, false, true, 1, 200000, "日本.bin", true, true));
    EXPECT_TRUE(RemoveFile(target));
    EXPECT_EQ(Join(FileExists(target), ReadWholeFile(target, &back), CompressedFileSize(target, &allocated),
                   StatPath(target, &entry), OpenToRead(target), OpenToRead("")),
              "0 0 0 0 0 0");
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
    const std::tuple<std::size_t, char, bool> cases[] = {{258, 'a', true}, {259, 'b', false}, {600, 'c', false}};
    for (const auto& [length, letter, accepted] : cases) {
        const std::string folder = MakeFolderOfLength(base, length, letter);
        ASSERT_EQ(folder.size(), length);
        const bool set = SetCurrentDir(folder);
        EXPECT_EQ(Join(set, GetCurrentDir()), Join(accepted, accepted ? folder : saved)) << length;
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
    EXPECT_EQ(Join(LinuxDevice(4095, 1048575), LinuxDevice(70000, 3)), Join(makedev(4095, 1048575), makedev(70000, 3)));
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
    std::map<std::string, DirEntry> entries = ListAll(root);
    ASSERT_EQ(entries.size(), 2u);  // real and link
    FolderHandle link;
    const bool linkOpened = link.OpenChild(root, entries["link"], dir.Sub("link"));
    EXPECT_EQ(Join(entries["real"].device == root.Device(), entries["link"].attributes & kAttrDirectory, linkOpened,
                   link.LastError() == ELOOP || link.LastError() == ENOTDIR),
              "1 0 0 1")
        << link.LastError();
    FolderHandle real;
    ASSERT_TRUE(real.OpenChild(root, entries["real"], dir.Sub("real")));
    real.Close();
    EXPECT_TRUE(real.Reopen(root, "real"));
    real.Close();
    ASSERT_EQ(::rename(dir.Sub("real").c_str(), dir.Sub("moved").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.Sub("real").c_str(), 0755), 0);
    EXPECT_FALSE(real.Reopen(root, "real"));
    EXPECT_EQ(Join(real.IsOpen(), ErrorText(EACCES).empty()), "0 0");
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
    // After each write: whether it was done, then the file's read-only mark, write and access times.
    std::string seen;
    auto step = [&](bool done) {
        DirEntry after;
        const bool found = StatPath(file, &after);
        seen += Join(done, found && (after.attributes & kAttrReadOnly) != 0, after.lastWrite == when,
                     after.lastAccess == before.lastAccess) + "; ";
    };
    step(WriteLastWriteTime(file, when));
    step(WriteFileAttributes(file, kAttrReadOnly | kAttrArchive));
    step(WriteLastWriteTime(file, when + 10000000ULL));
    step(WriteFileAttributes(file, kAttrArchive));
    step(WriteFileAttributes(dir.Sub("missing"), kAttrArchive) || WriteLastWriteTime(dir.Sub("missing"), when));
    std::string expected = "1 0 1 1; 1 1 1 1; 0 1 1 1; 1 0 1 1; 0 0 1 1; ";
#ifndef _WIN32
    ASSERT_EQ(::symlink("a.txt", dir.Sub("link").c_str()), 0);
    step(WriteFileAttributes(dir.Sub("link"), kAttrReadOnly) ||
         WriteLastWriteTime(dir.Sub("link"), when + 20000000ULL));
    expected += "0 0 1 1; ";
#endif
    EXPECT_EQ(seen, expected);
}

// Local calendar fields round-trip, and a day the month does not have is refused; now, today's
// midnight and joined paths.
TEST(PlatformTime, LocalFieldsNowMidnightAndJoinedPaths) {
    LocalTime local;
    FileTime back = 0, other = 0;
    const FileTime when = 130000000000000000ULL + 1230000ULL;  // 123 ms past a second
    const bool there = ToLocalTime(when, &local) && FromLocalTime(local, &back);
    EXPECT_EQ(Join(there, local.millisecond, back, FromLocalTime({2026, 4, 31, 12, 0, 0, 0}, &other),
                   FromLocalTime({2026, 2, 29, 12, 0, 0, 0}, &other),
                   FromLocalTime({2028, 2, 29, 12, 0, 0, 0}, &other)),
              Join(true, 123, when, false, false, true));
    const FileTime now = Now(), midnight = TodayMidnightUtc(), day = 864000000000ULL;
    EXPECT_EQ(Join(now > 132223104000000000ULL, LocalDateText(0).empty(), midnight <= now, now - midnight < day,
                   midnight % day),
              "1 1 1 1 0");  // after 2020-01-01 UTC
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(Join(JoinPath("a", "b"), JoinPath("a" + sep, "b"), JoinPath("", "b"), DirectoryExists(ProgramFolder())),
              Join("a" + sep + "b", "a" + sep + "b", "b", true));
}

}  // namespace
}  // namespace qv::platform
