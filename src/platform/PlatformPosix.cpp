// POSIX back end of the platform layer (Linux and other Unix systems).
#include "platform/Platform.h"
#include "platform/UnixEntry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

#include "platform/TemporaryName.h"

namespace qv::platform {

namespace {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr std::uint64_t kEpochDelta = 11644473600ULL;

FileTime ToFileTime(const struct timespec& ts) {
    return detail::FileTimeOfUnix({static_cast<std::int64_t>(ts.tv_sec), static_cast<std::int64_t>(ts.tv_nsec)});
}

bool FromFileTime(FileTime time, std::time_t* out) {
    const std::uint64_t seconds = time / 10000000ULL;
    if (seconds < kEpochDelta) {
        return false;
    }
    *out = static_cast<std::time_t>(seconds - kEpochDelta);
    return true;
}

void FillEntry(const struct stat& st, DirEntry* entry) {
    detail::UnixStat unix;
    unix.mode = static_cast<std::uint32_t>(st.st_mode);
    unix.size = static_cast<std::int64_t>(st.st_size);
    unix.blocks = static_cast<std::int64_t>(st.st_blocks);
    unix.device = static_cast<std::uint64_t>(st.st_dev);
    unix.inode = static_cast<std::uint64_t>(st.st_ino);
    unix.accessed = {static_cast<std::int64_t>(st.st_atim.tv_sec), static_cast<std::int64_t>(st.st_atim.tv_nsec)};
    unix.modified = {static_cast<std::int64_t>(st.st_mtim.tv_sec), static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
    unix.changed = {static_cast<std::int64_t>(st.st_ctim.tv_sec), static_cast<std::int64_t>(st.st_ctim.tv_nsec)};
    detail::FillFromUnixStat(unix, entry);
}

// Linux lists with getdents64 straight from the folder's descriptor, into a buffer kept from
// one listing to the next; other systems use the standard listing on a duplicate descriptor.
#if defined(__linux__)
constexpr bool kListsWithGetdents = true;
#else
constexpr bool kListsWithGetdents = false;
#endif

struct DirState {
    DIR* dir = nullptr;  // the standard listing
    int fd = -1;         // Linux: the descriptor read with getdents64
    bool ownsFd = false;
    std::vector<char> buffer;
    std::size_t at = 0;
    std::size_t end = 0;
};

// Creates a new file for reading and writing: fails when the name is taken, by a link too, so
// nothing anyone planted there is ever opened.
int CreateExclusive(const std::string& path, mode_t mode) {
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
}

// The next name of a listing, "." and ".." included; null at the end, with `*error` set on failure.
const char* NextName(DirState* state, int* error) {
#if defined(__linux__)
    if (state->fd >= 0) {
        if (state->at >= state->end) {
            const ssize_t got = ::getdents64(state->fd, state->buffer.data(), state->buffer.size());
            if (got <= 0) {
                *error = got < 0 ? errno : 0;
                return nullptr;
            }
            state->at = 0;
            state->end = static_cast<std::size_t>(got);
        }
        const auto* record = reinterpret_cast<const struct dirent64*>(state->buffer.data() + state->at);
        state->at += record->d_reclen;
        return record->d_name;
    }
#endif
    errno = 0;
    const struct dirent* d = state->dir != nullptr ? ::readdir(state->dir) : nullptr;
    *error = d == nullptr ? errno : 0;
    return d != nullptr ? d->d_name : nullptr;
}

}  // namespace

File::~File() {
    Close();
}

File::File(File&& other) noexcept : m_handle(std::exchange(other.m_handle, -1)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        m_handle = std::exchange(other.m_handle, -1);
    }
    return *this;
}

File File::Open(const std::string& path, FileAccess access, FileDisposition disposition, FileShare /*share*/) {
    File file;
    if (path.empty()) {
        return file;
    }
    // Not blocking, so that opening a pipe does not wait for a writer to come.
    const int flags = ((access == FileAccess::Read) ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK;
    const int fd =
        disposition == FileDisposition::CreateNew ? CreateExclusive(path, 0666) : ::open(path.c_str(), flags);
    if (fd < 0) {
        return file;
    }
    struct stat st;
    const bool usable = ::fstat(fd, &st) == 0 &&
                        (S_ISREG(st.st_mode) || (S_ISFIFO(st.st_mode) && access == FileAccess::Read));
    // From here on reads wait for data: a pipe is read until its writer closes it (at once
    // when it has none).
    const int status = usable ? ::fcntl(fd, F_GETFL) : -1;
    if (status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return file;
    }
    file.m_handle = fd;
    return file;
}

bool File::IsOpen() const {
    return m_handle >= 0;
}

bool File::Read(void* buffer, std::size_t size, std::size_t* got) {
    *got = 0;
    if (!IsOpen()) {
        return false;
    }
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(m_handle), buffer, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        *got = static_cast<std::size_t>(n);
        return true;
    }
}

bool File::Write(const void* data, std::size_t size) {
    if (!IsOpen()) {
        return false;
    }
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(static_cast<int>(m_handle), p, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool File::Flush() {
    return IsOpen() && ::fsync(static_cast<int>(m_handle)) == 0;
}

std::int64_t File::Size() const {
    struct stat st;
    if (!IsOpen() || ::fstat(static_cast<int>(m_handle), &st) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(st.st_size);
}

std::int64_t File::Position() const {
    if (!IsOpen()) {
        return -1;
    }
    return static_cast<std::int64_t>(::lseek(static_cast<int>(m_handle), 0, SEEK_CUR));
}

void File::Close() {
    if (IsOpen()) {
        ::close(static_cast<int>(m_handle));
        m_handle = -1;
    }
}

bool IsLink(const std::string& path) {
    struct stat st;
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool RemoveLink(const std::string& path) {
    return IsLink(path) && ::unlink(path.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
    return !path.empty() && ::unlink(path.c_str()) == 0;
}

bool ReplaceFileWith(const std::string& source, const std::string& target) {
    return ::rename(source.c_str(), target.c_str()) == 0;
}

namespace {

void SetSaveError(SaveError* out, SaveError error) {
    if (out != nullptr) {
        *out = error;
    }
}

// Where a save of `target` writes: the target itself, or the file a link there leads to; and
// the status of the file it replaces, when there is one.
SaveError FindSaveTarget(const std::string& target, std::string* path, struct stat* replaced, bool* exists) {
    *path = target;
    *exists = false;
    if (::lstat(target.c_str(), replaced) != 0) {
        return SaveError::None;  // a new file (or a folder that is missing: the create says so)
    }
    if (S_ISLNK(replaced->st_mode)) {
        char* resolved = ::realpath(target.c_str(), nullptr);
        if (resolved == nullptr) {
            return SaveError::NotRegular;  // a link that leads nowhere
        }
        *path = resolved;
        std::free(resolved);
        if (::stat(path->c_str(), replaced) != 0) {
            return SaveError::NotRegular;
        }
    }
    if (!S_ISREG(replaced->st_mode)) {
        return SaveError::NotRegular;
    }
    *exists = true;
    return SaveError::None;
}

// Creates a new file beside `path` under a fresh name, never through a link; -1 on failure.
int CreateTemporaryBeside(const std::string& path, mode_t mode, std::string* name) {
    static std::atomic<std::uint32_t> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::uint64_t seed =
            Now() ^ (static_cast<std::uint64_t>(::getpid()) << 40) ^ (std::uint64_t{counter++} << 20);
        *name = detail::TemporaryNameFor(path, seed);
        const int fd = CreateExclusive(*name, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// True when `path` is still what the save found: absent, or a regular file.
bool StillReplaceable(const std::string& path, bool existed) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        return !existed;
    }
    return S_ISREG(st.st_mode);
}

}  // namespace

bool ReplaceFileSafely(const std::string& target, const std::function<bool(File& file)>& write, SaveError* error) {
    SetSaveError(error, SaveError::None);
    std::string path;
    struct stat replaced;
    bool exists = false;
    const SaveError found = target.empty() ? SaveError::CannotCreate : FindSaveTarget(target, &path, &replaced, &exists);
    if (found != SaveError::None) {
        SetSaveError(error, found);
        return false;
    }
    // A file that replaces another is private until it has the other's owner and bits; a new
    // file gets the usual bits for new files (the umask applies).
    std::string temporary;
    const int fd = CreateTemporaryBeside(path, exists ? 0600 : 0666, &temporary);
    if (fd < 0) {
        SetSaveError(error, SaveError::CannotCreate);
        return false;
    }
    if (exists) {
        if (replaced.st_uid != ::geteuid() || replaced.st_gid != ::getegid()) {
            (void)::fchown(fd, replaced.st_uid, replaced.st_gid);  // allowed for the super-user only
        }
        (void)::fchmod(fd, replaced.st_mode & 0777);
    }
    File file;
    file.m_handle = fd;
    const bool written = write && write(file) && file.Flush();
    file.Close();
    // Checked again just before the rename: something may have taken the target's place.
    SaveError failure = SaveError::None;
    if (!written) {
        failure = SaveError::WriteFailed;
    } else if (!StillReplaceable(path, exists)) {
        failure = SaveError::NotRegular;
    } else if (!ReplaceFileWith(temporary, path)) {
        failure = SaveError::WriteFailed;
    }
    if (failure != SaveError::None) {
        ::unlink(temporary.c_str());
        SetSaveError(error, failure);
        return false;
    }
    return true;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

bool DeleteDirectory(const std::string& path) {
    return !path.empty() && ::rmdir(path.c_str()) == 0;
}

std::string GetCurrentDir() {
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            buffer.resize(std::strlen(buffer.c_str()));
            return buffer;
        }
        if (errno != ERANGE || buffer.size() > (1u << 20)) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool SetCurrentDir(const std::string& path) {
    return !path.empty() && ::chdir(path.c_str()) == 0;
}

std::string ProgramFolder() {
    std::string buffer(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        return GetCurrentDir();
    }
    buffer.resize(static_cast<std::size_t>(n));
    const std::size_t slash = buffer.rfind('/');
    if (slash == std::string::npos) {
        return GetCurrentDir();
    }
    return slash == 0 ? std::string("/") : buffer.substr(0, slash);
}

FolderHandle::~FolderHandle() {
    Close();
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_path(std::move(other.m_path)),
      m_pathOpen(other.m_pathOpen),
      m_device(other.m_device),
      m_fileId(other.m_fileId),
      m_error(other.m_error) {}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
        m_pathOpen = other.m_pathOpen;
        m_device = other.m_device;
        m_fileId = other.m_fileId;
        m_error = other.m_error;
    }
    return *this;
}

bool FolderHandle::OpenRoot(const std::string& path) {
    Close();
    const int fd = ::open(path.empty() ? "" : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        m_error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    m_fd = fd;
    m_device = static_cast<std::uint64_t>(st.st_dev);
    m_fileId = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

bool FolderHandle::OpenChild(const FolderHandle& parent, const DirEntry& entry, const std::string& /*fullPath*/) {
    Close();
    if (!parent.IsOpen() || entry.name.empty()) {
        m_error = EBADF;
        return false;
    }
    const int fd =
        ::openat(static_cast<int>(parent.m_fd), entry.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    // The listing measured the entry a moment ago; a mount point reports the mounted root.
    m_fd = fd;
    m_device = entry.device;
    m_fileId = entry.fileId;
    return true;
}

bool FolderHandle::Reopen(const FolderHandle& parent, const std::string& name) {
    DirEntry entry;
    entry.name = name;
    entry.device = m_device;
    entry.fileId = m_fileId;
    struct stat st;
    if (!OpenChild(parent, entry, std::string())) {
        return false;
    }
    if (::fstat(static_cast<int>(m_fd), &st) != 0 || static_cast<std::uint64_t>(st.st_dev) != entry.device ||
        static_cast<std::uint64_t>(st.st_ino) != entry.fileId) {
        Close();
        m_error = ESTALE;
        return false;
    }
    return true;
}

bool FolderHandle::IsOpen() const {
    return m_fd >= 0;
}

void FolderHandle::Close() {
    if (m_fd >= 0) {
        ::close(static_cast<int>(m_fd));
        m_fd = -1;
    }
}

bool CanEnterChild(const FolderHandle& parent, const DirEntry& entry, const std::string& /*fullPath*/) {
    struct stat st;
    const int dirFd = static_cast<int>(parent.m_fd);
    return parent.IsOpen() && !entry.name.empty() &&
           ::fstatat(dirFd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) &&
           ::faccessat(dirFd, entry.name.c_str(), X_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) == 0;
}

std::string ErrorText(int code) {
    char buffer[256];
    // The GNU variant returns the text (maybe a static one); the POSIX one fills the buffer.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    return ::strerror_r(code, buffer, sizeof buffer);
#else
    return ::strerror_r(code, buffer, sizeof buffer) == 0 ? std::string(buffer) : "error " + std::to_string(code);
#endif
}

DirReader::~DirReader() {
    Close();
    delete static_cast<DirState*>(m_impl);
}

namespace {

DirState* ReusedState(void** impl) {
    if (*impl == nullptr) {
        auto* state = new DirState;
        if (kListsWithGetdents) {
            state->buffer.resize(32768);
        }
        *impl = state;
    }
    return static_cast<DirState*>(*impl);
}

}  // namespace

bool DirReader::Open(const std::string& folder) {
    Close();
    const char* path = folder.empty() ? "." : folder.c_str();
    DirState* state = ReusedState(&m_impl);
    if (kListsWithGetdents) {
        state->fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        state->ownsFd = true;
    } else {
        state->dir = ::opendir(path);
    }
    if (state->fd < 0 && state->dir == nullptr) {
        m_error = errno;
        return false;
    }
    return true;
}

bool DirReader::Open(const FolderHandle& folder) {
    Close();
    if (!folder.IsOpen()) {
        m_error = EBADF;
        return false;
    }
    DirState* state = ReusedState(&m_impl);
    if (kListsWithGetdents) {
        state->fd = static_cast<int>(folder.m_fd);  // a fresh descriptor reads from the start
        return true;
    }
    // The standard listing takes a descriptor of its own; the folder's stays open.
    const int fd = ::dup(static_cast<int>(folder.m_fd));
    state->dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (state->dir == nullptr) {
        m_error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    ::rewinddir(state->dir);
    return true;
}

bool DirReader::Next(DirEntry* entry) {
    auto* state = static_cast<DirState*>(m_impl);
    if (state == nullptr || (state->fd < 0 && state->dir == nullptr)) {
        return false;
    }
    const int fd = state->fd >= 0 ? state->fd : ::dirfd(state->dir);
    for (;;) {
        const char* name = NextName(state, &m_error);
        if (name == nullptr) {
            return false;
        }
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        struct stat st;
        if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;  // vanished between listing and measuring
        }
        entry->name = name;
        FillEntry(st, entry);
        return true;
    }
}

void DirReader::Close() {
    auto* state = static_cast<DirState*>(m_impl);
    if (state != nullptr) {
        if (state->dir != nullptr) {
            ::closedir(state->dir);
        }
        if (state->ownsFd && state->fd >= 0) {
            ::close(state->fd);
        }
        state->dir = nullptr;
        state->fd = -1;
        state->ownsFd = false;
        state->at = 0;
        state->end = 0;
    }
    m_error = 0;
}

std::vector<MountEntry> ReadMountTable() {
    std::string text;
    return ReadWholeFile("/proc/self/mountinfo", &text) ? ParseMountInfo(text) : std::vector<MountEntry>();
}

bool ReadsFoldersAsLinux() {
    return false;  // the native build reads them so anyway
}

bool StatPath(const std::string& path, DirEntry* entry) {
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0) {
        return false;
    }
    const std::size_t slash = path.find_last_of('/');
    entry->name = slash == std::string::npos ? path : path.substr(slash + 1);
    FillEntry(st, entry);
    return true;
}

std::string FullFolderPath(const std::string& path) {
    return ResolveFinalPath(path);
}

std::string ResolveFinalPath(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return {};
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
}

bool CanEnterFolder(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) == 0;
}

bool WriteFileAttributes(const std::string& path, std::uint32_t attributes) {
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) {
        return false;
    }
    mode_t mode = st.st_mode & 07777;
    if ((attributes & kAttrReadOnly) != 0) {
        mode &= ~static_cast<mode_t>(0222);
    } else if ((mode & 0222) == 0) {
        mode |= S_IWUSR;
    }
    // AT_SYMLINK_NOFOLLOW: a link swapped in after the check is refused, not followed.
    return ::fchmodat(AT_FDCWD, path.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0;
}

bool WriteLastWriteTime(const std::string& path, FileTime time) {
    std::time_t seconds;
    if (path.empty() || !FromFileTime(time, &seconds)) {
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st;
    bool done = false;
    // Root may open a file without write bits; the file is read-only all the same.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) != 0) {
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = seconds;
        times[1].tv_nsec = static_cast<long>(time % 10000000ULL) * 100;
        done = ::futimens(fd, times) == 0;
    }
    ::close(fd);
    return done;
}

bool ToLocalTime(FileTime time, LocalTime* out) {
    std::time_t t;
    struct tm local;
    if (!FromFileTime(time, &t) || ::localtime_r(&t, &local) == nullptr) {
        return false;
    }
    *out = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
            static_cast<int>(time % 10000000ULL / 10000)};
    return true;
}

bool FromLocalTime(const LocalTime& local, FileTime* out) {
    struct tm fields = {};
    fields.tm_year = local.year - 1900;
    fields.tm_mon = local.month - 1;
    fields.tm_mday = local.day;
    fields.tm_hour = local.hour;
    fields.tm_min = local.minute;
    fields.tm_sec = local.second;
    fields.tm_isdst = -1;
    const std::time_t t = ::mktime(&fields);
    // mktime moves 31 April to 1 May; such a date is refused.
    if (t == static_cast<std::time_t>(-1) || t < 0 || fields.tm_mday != local.day || fields.tm_mon != local.month - 1 ||
        local.millisecond < 0 || local.millisecond > 999) {
        return false;
    }
    *out = (static_cast<FileTime>(t) + kEpochDelta) * 10000000ULL + static_cast<FileTime>(local.millisecond) * 10000;
    return true;
}

FileTime Now() {
    struct timespec ts;
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return ToFileTime(ts);
}

std::string LocalDateText(FileTime time) {
    std::time_t t;
    struct tm local;
    if (!FromFileTime(time, &t) || ::localtime_r(&t, &local) == nullptr) {
        return {};
    }
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%x", &local);
    return std::string(buffer, n);
}

std::string LocalTimeText(FileTime time) {
    std::time_t t;
    struct tm local;
    if (!FromFileTime(time, &t) || ::localtime_r(&t, &local) == nullptr) {
        return {};
    }
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%X", &local);
    return std::string(buffer, n);
}

FileTime TodayMidnightUtc() {
    const FileTime now = Now();
    constexpr FileTime kDay = 864000000000ULL;
    return now - now % kDay;
}

bool QueryVolumeRaw(const std::string& path, VolumeRaw* out) {
    struct statvfs vfs;
    if (path.empty() || out == nullptr || ::statvfs(path.c_str(), &vfs) != 0 || vfs.f_frsize == 0 ||
        vfs.f_frsize > 0xFFFFFFFFu) {
        return false;
    }
    out->fileSystem = "posix";
    out->flags = kVolumeIsCompressed;  // take each file's allocated blocks (see the header)
    out->sectorsPerCluster = 1;
    out->bytesPerSector = static_cast<std::uint32_t>(vfs.f_frsize);
    out->totalClusters = static_cast<std::uint64_t>(vfs.f_blocks);
    out->hasExtendedTotal = true;
    out->extendedTotal = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    return true;
}

bool CompressedFileSize(const std::string& path, std::int64_t* out) {
    struct stat st;
    if (path.empty() || out == nullptr || ::lstat(path.c_str(), &st) != 0) {
        return false;
    }
    // st_blocks counts 512-byte units whatever the file system's block size.
    *out = static_cast<std::int64_t>(st.st_blocks) * 512;
    return true;
}

std::string NameSortKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}

}  // namespace qv::platform
