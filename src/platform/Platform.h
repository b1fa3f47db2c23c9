// The kernel services the portable core needs: files, directories, the program's folder and
// local date/time text. One interface, a Win32 back end (PlatformWin.cpp) and a POSIX back end
// (PlatformPosix.cpp); nothing here includes a Windows header.
//
// Strings are UTF-8 byte strings throughout. On Windows paths are converted for the wide (...W)
// calls, which also take paths beyond 260 characters; the few ...A calls left carry UTF-8
// because every executable's manifest sets the active code page to UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::platform {

// 64-bit count of 100 ns intervals since 1 January 1601 UTC (a Windows file time).
using FileTime = std::uint64_t;

// File attribute bits, with the values Windows gives them.
constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrHidden = 0x02;
constexpr std::uint32_t kAttrSystem = 0x04;
constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrArchive = 0x20;
constexpr std::uint32_t kAttrNormal = 0x80;
constexpr std::uint32_t kAttrReparsePoint = 0x400;
constexpr std::uint32_t kAttrCompressed = 0x800;

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

enum class FileAccess { Read, ReadWrite };
enum class FileDisposition {
    OpenExisting,  // fail when the file does not exist
    CreateNew,     // create a new file; fail when the name is taken, even by a link
};
// Who else may open the file while we hold it. The POSIX back end has no mandatory sharing
// modes and accepts every value.
enum class FileShare { None, Read, ReadWrite };

// Why ReplaceFileSafely failed.
enum class SaveError {
    None,
    NotRegular,    // the target exists and is not a regular file (nor a link to one)
    CannotCreate,  // the temporary file beside the target cannot be created
    WriteFailed,   // a write, the flush or the final replace failed
};

// An open file. Move-only; the destructor closes it. Errors are reported by return values.
class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens a regular file, or a pipe for reading (read to its end; the open itself never
    // waits for a writer). Folders, devices, sockets and a pipe for writing are refused, so a
    // reader never blocks on a terminal or reads an endless device.
    static File Open(const std::string& path, FileAccess access, FileDisposition disposition, FileShare share);

    bool IsOpen() const;
    // Reads up to `size` bytes; `*got` receives the count (0 at the end of the file).
    bool Read(void* buffer, std::size_t size, std::size_t* got);
    // Writes all `size` bytes or fails.
    bool Write(const void* data, std::size_t size);
    // Pushes written data to the storage device.
    bool Flush();
    // Size in bytes, or -1 on failure.
    std::int64_t Size() const;
    // Current position in bytes, or -1 on failure.
    std::int64_t Position() const;
    void Close();

private:
    // Hands the temporary file it creates to the caller's writer.
    friend bool ReplaceFileSafely(const std::string&, const std::function<bool(File&)>&, SaveError*);

    std::intptr_t m_handle = -1;
};

// Reads a whole file (from its start) into `out`. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string* out);

bool RemoveFile(const std::string& path);
// True when `path` itself is a symbolic link (on Windows also a junction or another reparse
// point), whatever it leads to.
bool IsLink(const std::string& path);
// Removes the link `path` itself, never what it leads to. (Under Wine the system's own delete
// of a link to a file removes that file, so the link goes by the Linux call.) False when `path`
// is no link or cannot be removed.
bool RemoveLink(const std::string& path);
// Replaces `target` by `source` in one step (the target may exist); false on failure, in
// which case the target is untouched. A low-level step: saves go through ReplaceFileSafely.
bool ReplaceFileWith(const std::string& source, const std::string& target);

// The one way the program replaces a file. `write` fills a temporary file created beside the
// target under a fresh name, exclusively and never through a link; once it succeeded and the
// data reached the disk, the temporary file takes the target's place in one step, with the
// replaced file's permission bits. A symbolic link as target is written through: the file it
// leads to is replaced and the link stays. A target that exists and is not a regular file (a
// folder, a device, a pipe, a link that leads nowhere) is refused before anything is written.
// On every failure the temporary file is removed and the target is left as it was.
bool ReplaceFileSafely(const std::string& target,
                       const std::function<bool(File& file)>& write,
                       SaveError* error = nullptr);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool MakeDirectory(const std::string& path);
bool DeleteDirectory(const std::string& path);

// The process's current directory; empty on failure.
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& path);

// The folder that holds the running executable, without a trailing separator.
std::string ProgramFolder();

// Joins a folder and a name with the platform's separator (no doubled separator).
std::string JoinPath(const std::string& folder, const std::string& name);

// A key that orders names ignoring case when keys are compared byte by byte (unsigned): on
// Windows the system's own order (the one lstrcmpi and the shell's lists follow, with its rules
// for punctuation and accents), on POSIX the bytes with ASCII letters folded to lower case.
std::string NameSortKey(const std::string& name);

// One entry of a directory listing.
struct DirEntry {
    std::string name;
    std::uint32_t attributes = 0;  // kAttr... bits
    std::int64_t size = 0;
    // Bytes the file system allocated for it (POSIX: its blocks); -1 when the listing cannot tell.
    std::int64_t allocated = -1;
    FileTime creation = 0;
    FileTime lastAccess = 0;
    FileTime lastWrite = 0;
    // The file system the entry lies on and its number there (POSIX: st_dev and st_ino; for a
    // mount point those of the mounted root); 0 when the listing cannot tell (Windows).
    std::uint64_t device = 0;
    std::uint64_t fileId = 0;
};

// A folder opened for a walk, from which its listing is read and its sub-folders are opened.
// POSIX, and Windows under Wine on Linux (which makes the same Linux calls itself): a descriptor
// opened relative to the parent's and never through a symbolic link, so a walk reaches any depth
// and a folder swapped for a link while the walk runs is not followed. Windows: the folder's full
// path, so paths beyond the system's limit cannot be opened. Move-only; the destructor closes it.
// A handle may be used by several threads for opening children once it is open.
class FolderHandle {
public:
    FolderHandle() = default;
    ~FolderHandle();
    FolderHandle(FolderHandle&& other) noexcept;
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    // Opens the folder `path` as the user named it (links on the way to it are followed).
    bool OpenRoot(const std::string& path);
    // Opens the sub-folder `entry` of the open `parent`; `fullPath` is its full path.
    bool OpenChild(const FolderHandle& parent, const DirEntry& entry, const std::string& fullPath);
    // Opens again, after Close, the sub-folder `name` of `parent` that this handle had open;
    // false when that is no longer the same folder (moved or replaced meanwhile).
    bool Reopen(const FolderHandle& parent, const std::string& name);
    bool IsOpen() const;
    // Closes the folder; what it was (path, device, number) is kept for Reopen.
    void Close();
    // The file system and number of the open folder (see DirEntry); 0 when unknown.
    std::uint64_t Device() const { return m_device; }
    std::uint64_t FileId() const { return m_fileId; }
    // The system's error code of the last failed open (see ErrorText).
    int LastError() const { return m_error; }

private:
    friend class DirReader;
    friend bool CanEnterChild(const FolderHandle& parent, const DirEntry& entry, const std::string& fullPath);
    std::intptr_t m_fd = -1;  // POSIX descriptor (under Wine: the Linux one)
    std::string m_path;       // Windows: the full path
    bool m_pathOpen = false;  // Windows: open by its path
    std::uint64_t m_device = 0;
    std::uint64_t m_fileId = 0;
    int m_error = 0;
};

// True when the sub-folder `entry` of `parent` could be entered (made the current directory)
// though it cannot be listed: a walk records the path of such a folder but no contents.
bool CanEnterChild(const FolderHandle& parent, const DirEntry& entry, const std::string& fullPath);

// The text of a system error code from FolderHandle or DirReader ("Permission denied").
std::string ErrorText(int code);

// Streams the entries of one directory, "." and ".." left out. Symbolic links are reported as
// themselves (never followed) by the POSIX back end and under Wine; elsewhere on Windows the
// entry is what the directory listing says.
class DirReader {
public:
    DirReader() = default;
    ~DirReader();
    DirReader(const DirReader&) = delete;
    DirReader& operator=(const DirReader&) = delete;

    bool Open(const std::string& folder);
    // Lists the open `folder`, which must stay open meanwhile; a handle is listed once (list it
    // again after opening it again). A reader may list one folder after another.
    bool Open(const FolderHandle& folder);
    // Fills `entry` with the next entry; false at the end or on failure.
    bool Next(DirEntry* entry);
    // After Next returned false: whether the listing stopped on an error rather than at its end,
    // and the system's error code.
    bool Failed() const { return m_error != 0; }
    int LastError() const { return m_error; }
    void Close();

private:
    void* m_impl = nullptr;
    int m_error = 0;
};

// One mounted file system of the system's mount table.
struct MountEntry {
    std::string mountPoint;   // where it is mounted, as a path of this program (Z:\proc under Wine)
    std::string type;         // "ext4", "proc", "sysfs", ...
    std::uint64_t device = 0; // the device number its files report (DirEntry::device)
};

// The mount table of the running system: /proc/self/mountinfo on Linux, read under Wine through
// Wine's drive mapping; empty where there is none (Windows, other systems).
std::vector<MountEntry> ReadMountTable();

// The entries of a Linux mountinfo text; lines that do not parse are skipped. Octal escapes in
// mount points (\040 for a blank) are decoded; the mount points stay Linux paths.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The device number Linux reports for a file system of major and minor number (as makedev).
std::uint64_t LinuxDevice(std::uint32_t major, std::uint32_t minor);

// Attributes and times of one path itself (not of its contents). False when it cannot be read.
bool StatPath(const std::string& path, DirEntry* entry);

// The absolute, normalised path of an existing folder, as the current directory would read
// after entering it: the POSIX back end resolves symbolic links (like getcwd after chdir); the
// Windows back end makes the path absolute and drops a trailing separator except after a drive
// root. Empty on failure.
std::string FullFolderPath(const std::string& path);

// The final place a folder path leads to, with every link and junction on the way resolved;
// two paths lead to the same folder when their final paths are equal. Empty on failure (for
// example a dangling link).
std::string ResolveFinalPath(const std::string& path);

// True when the folder could be made the current directory, even when it cannot be listed
// (a scan records the path of such a folder but no contents).
bool CanEnterFolder(const std::string& path);

// True when the program runs under Wine on Linux and reads folders with Linux calls: symbolic
// links are then seen as they are, as the native build sees them.
bool ReadsFoldersAsLinux();

// Writes the attribute bits of a file (kAttrReadOnly, kAttrHidden, kAttrArchive, ...). A path
// that is a symbolic link is refused, so the file it leads to is never touched. The POSIX back
// end keeps only what its permission bits can say: read-only clears every write bit, not
// read-only gives the owner write permission when no one has it; hidden (a leading dot) and
// archive have no counterpart there and are left as they are.
bool WriteFileAttributes(const std::string& path, std::uint32_t attributes);

// Sets only the last-write time of a file, which must be open for writing (sharing reading):
// creation and last-access times stay. A read-only file (POSIX: no write bit, even for root)
// and a symbolic link are refused.
bool WriteLastWriteTime(const std::string& path, FileTime time);

// A date and time of the local calendar split into fields (month and day from 1).
struct LocalTime {
    int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// A file time in the local time zone that was in force at that time, and back. False when the
// time cannot be converted (before 1970 on POSIX, or not a valid calendar date).
bool ToLocalTime(FileTime time, LocalTime* out);
bool FromLocalTime(const LocalTime& local, FileTime* out);

// Current time as a file time (UTC).
FileTime Now();

// Date and time texts in the user's default locale formats (short date, default time format).
// Empty text on failure.
std::string LocalDateText(FileTime time);
std::string LocalTimeText(FileTime time);

// Midnight (00:00) UTC of the current day, as a file time.
FileTime TodayMidnightUtc();

// Volume flag bits, with the values Windows gives them.
constexpr std::uint32_t kVolumeFileCompression = 0x10;  // files may be compressed one by one
constexpr std::uint32_t kVolumeIsCompressed = 0x8000;   // the whole volume is compressed

// What the system reports about the volume that holds a folder, before any interpretation.
struct VolumeRaw {
    std::string fileSystem;   // e.g. "NTFS", "FAT32"; "posix" from the POSIX back end
    std::uint32_t flags = 0;  // kVolume... bits
    std::uint32_t sectorsPerCluster = 0;
    std::uint32_t bytesPerSector = 0;
    std::uint64_t totalClusters = 0;
    bool hasExtendedTotal = false;    // the extended free-space query answered
    std::uint64_t extendedTotal = 0;  // its total size in bytes
};

// Asks for the volume of the folder `path` without changing the current directory. The POSIX
// back end reports the allocation unit as the sector size with one sector per cluster and the
// whole-volume compression flag: a file's space is what the file system allocated for it (its
// blocks), which is whole clusters for ordinary files and less for sparse or compressed ones.
// False when a query fails.
bool QueryVolumeRaw(const std::string& path, VolumeRaw* out);

// Space one file takes on disk as the system reports it: the compressed size on Windows, the
// allocated blocks on POSIX (of the path itself, a symbolic link not followed). False when the
// file cannot be queried.
bool CompressedFileSize(const std::string& path, std::int64_t* out);

}  // namespace qv::platform
