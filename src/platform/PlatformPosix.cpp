// POSIX back end of the platform layer (Linux and other Unix systems).
#include "platform/Platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

namespace qv::platform {

namespace {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr std::uint64_t kEpochDelta = 11644473600ULL;

FileTime ToFileTime(const struct timespec& ts) {
    if (ts.tv_sec < 0 && ts.tv_nsec == 0) {
        return 0;
    }
    const std::int64_t seconds = static_cast<std::int64_t>(ts.tv_sec) + static_cast<std::int64_t>(kEpochDelta);
    if (seconds < 0) {
        return 0;
    }
    return static_cast<FileTime>(seconds) * 10000000ULL + static_cast<FileTime>(ts.tv_nsec / 100);
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
    entry->attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        entry->attributes |= kAttrReadOnly;
    }
    if (!entry->name.empty() && entry->name[0] == '.') {
        entry->attributes |= kAttrHidden;
    }
    entry->size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
    // Linux has no portable creation time here; the status-change time stands in for it, and
    // the scanner takes the earlier of creation and last write anyway.
    entry->creation = ToFileTime(st.st_ctim);
    entry->lastAccess = ToFileTime(st.st_atim);
    entry->lastWrite = ToFileTime(st.st_mtim);
}

struct DirState {
    DIR* dir = nullptr;
};

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
    int flags = (access == FileAccess::Read) ? O_RDONLY : O_RDWR;
    if (disposition == FileDisposition::CreateAlways) {
        flags |= O_CREAT | O_TRUNC;
    }
    flags |= O_CLOEXEC;
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd >= 0) {
        struct stat st;
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(fd);
            return file;
        }
        file.m_handle = fd;
    }
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

bool RemoveFile(const std::string& path) {
    return !path.empty() && ::unlink(path.c_str()) == 0;
}

bool ReplaceFileWith(const std::string& source, const std::string& target) {
    return ::rename(source.c_str(), target.c_str()) == 0;
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

DirReader::~DirReader() {
    Close();
}

bool DirReader::Open(const std::string& folder) {
    Close();
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    m_impl = new DirState{dir};
    return true;
}

bool DirReader::OpenChild(const DirReader& parent, const std::string& name, const std::string& fullPath) {
    const auto* parentState = static_cast<const DirState*>(parent.m_impl);
    if (parentState == nullptr || name.empty()) {
        return Open(fullPath);
    }
    Close();
    const int fd = ::openat(::dirfd(parentState->dir), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return false;
    }
    m_impl = new DirState{dir};
    return true;
}

bool DirReader::StatSelf(DirEntry* entry) const {
    const auto* state = static_cast<const DirState*>(m_impl);
    struct stat st;
    if (state == nullptr || ::fstat(::dirfd(state->dir), &st) != 0) {
        return false;
    }
    entry->name.clear();
    FillEntry(st, entry);
    return true;
}

bool DirReader::Next(DirEntry* entry) {
    auto* state = static_cast<DirState*>(m_impl);
    if (state == nullptr) {
        return false;
    }
    const int fd = ::dirfd(state->dir);
    for (;;) {
        errno = 0;
        const struct dirent* d = ::readdir(state->dir);
        if (d == nullptr) {
            return false;
        }
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) {
            continue;
        }
        struct stat st;
        if (::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;  // vanished between listing and measuring
        }
        entry->name = d->d_name;
        FillEntry(st, entry);
        return true;
    }
}

void DirReader::Close() {
    auto* state = static_cast<DirState*>(m_impl);
    if (state != nullptr) {
        ::closedir(state->dir);
        delete state;
        m_impl = nullptr;
    }
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
    out->flags = 0;
    out->sectorsPerCluster = 1;
    out->bytesPerSector = static_cast<std::uint32_t>(vfs.f_frsize);
    out->totalClusters = static_cast<std::uint64_t>(vfs.f_blocks);
    out->hasExtendedTotal = true;
    out->extendedTotal = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    return true;
}

bool CompressedFileSize(const std::string& path, std::int64_t* out) {
    struct stat st;
    if (path.empty() || out == nullptr || ::stat(path.c_str(), &st) != 0) {
        return false;
    }
    // st_blocks counts 512-byte units whatever the file system's block size.
    *out = static_cast<std::int64_t>(st.st_blocks) * 512;
    return true;
}

}  // namespace qv::platform
