// Win32 back end of the platform layer. Paths go to the ...W calls, converted from UTF-8.
#include "platform/Platform.h"
#include "platform/win/WineLinux.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <utility>
#include <vector>

#include "platform/TemporaryName.h"

namespace qv::platform {

namespace {

FileTime ToFileTime(const FILETIME& ft) {
    return (static_cast<FileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME FromFileTime(FileTime time) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(time & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(time >> 32);
    return ft;
}

HANDLE AsHandle(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

std::wstring ToWide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    }
    return wide;
}

std::string FromWide(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(length - 1));
    return utf8;
}

// The absolute, normalised form of a path ("." and ".." resolved, separators made backslashes);
// empty on failure. A pure string operation, so it has no length limit of its own.
std::wstring FullWidePath(const std::wstring& wide) {
    const DWORD needed = wide.empty() ? 0 : GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return {};
    }
    full.resize(length);
    return full;
}

// A path for the ...W calls. Long paths get the "\\?\" prefix, which lifts the 260-character
// limit but also turns off the system's path clean-up: separators are made backslashes first,
// and a relative path is made absolute. An absolute path is not normalised further, so names
// ending in a dot or a space (which the clean-up would strip) keep working.
std::wstring WidePath(const std::string& path) {
    std::wstring wide = ToWide(path);
    if (wide.size() < MAX_PATH - 14 || wide.rfind(L"\\\\?\\", 0) == 0) {
        return wide;
    }
    for (wchar_t& c : wide) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    const bool absolute = (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') || wide.rfind(L"\\\\", 0) == 0;
    if (!absolute) {
        wide = FullWidePath(wide);
    }
    if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') {
        return L"\\\\?\\" + wide;
    }
    if (wide.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + wide.substr(2);
    }
    return wide;
}

DWORD AttributesOf(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(WidePath(path).c_str());
}

// "\\?\C:\dir" -> "C:\dir"; "\\?\UNC\server\share" -> "\\server\share".
std::string WithoutLongPrefix(std::string path) {
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) {
        path.replace(0, 8, "\\\\");
    } else if (path.rfind("\\\\?\\", 0) == 0) {
        path.erase(0, 4);
    }
    return path;
}

void FillEntry(const WIN32_FIND_DATAW& data, DirEntry* entry) {
    entry->name = FromWide(data.cFileName);
    entry->attributes = data.dwFileAttributes;
    entry->size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    entry->creation = ToFileTime(data.ftCreationTime);
    entry->lastAccess = ToFileTime(data.ftLastAccessTime);
    entry->lastWrite = ToFileTime(data.ftLastWriteTime);
}

// Listings use the ...W calls so that folders deeper than 260 characters can be listed too.
// Under Wine a listing of an open folder reads its Linux entries instead (WineLinux.h).
struct DirState {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW pending{};
    bool hasPending = false;
    int linuxFd = -1;  // under Wine: the listed folder's descriptor (not owned)
    std::vector<char> buffer;
    std::size_t at = 0;
    std::size_t end = 0;
};

// The serial number of the volume that holds `path`; 0 when it cannot be told.
std::uint64_t VolumeSerialOf(const std::wstring& path) {
    std::vector<wchar_t> root(path.size() + MAX_PATH + 2);
    DWORD serial = 0;
    if (!GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
        !GetVolumeInformationW(root.data(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
        return 0;
    }
    return serial;
}

// The next Linux entry of a listing under Wine, measured without following a link.
bool NextLinuxEntry(DirState* state, DirEntry* entry, int* error) {
    for (;;) {
        if (state->at >= state->end) {
            const long long got = wine::ReadEntries(state->linuxFd, state->buffer.data(), state->buffer.size());
            if (got <= 0) {
                *error = got < 0 ? wine::WindowsErrorOf(got) : 0;
                return false;
            }
            state->at = 0;
            state->end = static_cast<std::size_t>(got);
        }
        const auto* record = reinterpret_cast<const wine::LinuxDirent*>(state->buffer.data() + state->at);
        state->at += record->length;
        const char* name = record->name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        detail::UnixStat st;
        if (wine::StatAt(state->linuxFd, name, &st) != 0) {
            continue;  // vanished between listing and measuring
        }
        entry->name = name;
        detail::FillFromUnixStat(st, entry);
        return true;
    }
}

bool IsDotEntry(const wchar_t* name) {
    return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0;
}

bool LocalSystemTime(FileTime time, SYSTEMTIME* out) {
    const FILETIME utc = FromFileTime(time);
    FILETIME local;
    return FileTimeToLocalFileTime(&utc, &local) && FileTimeToSystemTime(&local, out);
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

File File::Open(const std::string& path, FileAccess access, FileDisposition disposition, FileShare share) {
    File file;
    if (path.empty()) {
        return file;
    }
    const DWORD desired = access == FileAccess::Read ? GENERIC_READ : (GENERIC_READ | GENERIC_WRITE);
    DWORD shareMode = 0;
    if (share == FileShare::Read) {
        shareMode = FILE_SHARE_READ;
    } else if (share == FileShare::ReadWrite) {
        shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
    // CREATE_NEW fails on any existing name, a link included.
    const DWORD creation = disposition == FileDisposition::CreateNew ? CREATE_NEW : OPEN_EXISTING;
    HANDLE h =
        CreateFileW(WidePath(path).c_str(), desired, shareMode, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return file;
    }
    // Devices such as CON or NUL are refused: a read from the console would wait for a person.
    const DWORD type = GetFileType(h);
    if (type != FILE_TYPE_DISK && !(type == FILE_TYPE_PIPE && access == FileAccess::Read)) {
        CloseHandle(h);
        return file;
    }
    file.m_handle = reinterpret_cast<std::intptr_t>(h);
    return file;
}

bool File::IsOpen() const {
    return m_handle != -1;
}

bool File::Read(void* buffer, std::size_t size, std::size_t* got) {
    *got = 0;
    if (!IsOpen()) {
        return false;
    }
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD read = 0;
    if (!ReadFile(AsHandle(m_handle), buffer, chunk, &read, nullptr)) {
        return false;
    }
    *got = read;
    return true;
}

bool File::Write(const void* data, std::size_t size) {
    if (!IsOpen()) {
        return false;
    }
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(AsHandle(m_handle), p, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        p += written;
        size -= written;
    }
    return true;
}

bool File::Flush() {
    return IsOpen() && FlushFileBuffers(AsHandle(m_handle)) != 0;
}

std::int64_t File::Size() const {
    LARGE_INTEGER size;
    if (!IsOpen() || !GetFileSizeEx(AsHandle(m_handle), &size)) {
        return -1;
    }
    return size.QuadPart;
}

std::int64_t File::Position() const {
    LARGE_INTEGER zero{};
    LARGE_INTEGER pos;
    if (!IsOpen() || !SetFilePointerEx(AsHandle(m_handle), zero, &pos, FILE_CURRENT)) {
        return -1;
    }
    return pos.QuadPart;
}

void File::Close() {
    if (IsOpen()) {
        CloseHandle(AsHandle(m_handle));
        m_handle = -1;
    }
}

bool IsLink(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    if (wine::Available()) {
        const std::string linuxPath = wine::LinuxPathOf(FromWide(FullWidePath(ToWide(path)).c_str()));
        detail::UnixStat st;
        constexpr std::uint32_t kUnixLink = 0120000;
        return !linuxPath.empty() && wine::StatAt(wine::kCurrentFolder, linuxPath.c_str(), &st) == 0 &&
               (st.mode & detail::kUnixTypeMask) == kUnixLink;
    }
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool RemoveLink(const std::string& path) {
    if (!IsLink(path)) {
        return false;
    }
    if (wine::Available()) {
        const std::string linuxPath = wine::LinuxPathOf(FromWide(FullWidePath(ToWide(path)).c_str()));
        return wine::UnlinkAt(wine::kCurrentFolder, linuxPath.c_str()) == 0;
    }
    // Windows removes a link itself, a folder link or junction as a folder.
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? RemoveDirectoryW(WidePath(path).c_str()) != 0
                                                       : DeleteFileW(WidePath(path).c_str()) != 0;
}

bool RemoveFile(const std::string& path) {
    return !path.empty() && DeleteFileW(WidePath(path).c_str()) != 0;
}

bool ReplaceFileWith(const std::string& source, const std::string& target) {
    return MoveFileExW(WidePath(source).c_str(), WidePath(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

namespace {

void SetSaveError(SaveError* out, SaveError error) {
    if (out != nullptr) {
        *out = error;
    }
}

// Where a save of `target` writes: the target itself, or the file a link there leads to.
// `exists` tells whether a file is replaced.
SaveError FindSaveTarget(const std::string& target, std::string* path, bool* exists) {
    *path = target;
    *exists = false;
    const std::wstring wide = WidePath(target);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    // Opening follows links, so what is checked is what would be replaced.
    HANDLE h = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        // Nothing there is a new file; a name that exists but does not open is a link that
        // leads nowhere (or something the save could not replace either).
        const DWORD failure = GetLastError();
        const bool absent = failure == ERROR_FILE_NOT_FOUND || failure == ERROR_PATH_NOT_FOUND;
        return absent && attributes == INVALID_FILE_ATTRIBUTES ? SaveError::None : SaveError::NotRegular;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool regular = GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) != 0 &&
                         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    CloseHandle(h);
    if (!regular) {
        return SaveError::NotRegular;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        *path = ResolveFinalPath(target);
        if (path->empty()) {
            return SaveError::NotRegular;
        }
    }
    *exists = true;
    return SaveError::None;
}

// Creates a new file beside `path` under a fresh name (CREATE_NEW: never an existing name or
// link); INVALID_HANDLE_VALUE on failure.
HANDLE CreateTemporaryBeside(const std::string& path, std::string* name) {
    static std::atomic<std::uint32_t> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::uint64_t seed =
            Now() ^ (static_cast<std::uint64_t>(GetCurrentProcessId()) << 40) ^ (std::uint64_t{counter++} << 20);
        *name = detail::TemporaryNameFor(path, seed);
        HANDLE h = CreateFileW(WidePath(*name).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD failure = GetLastError();
        if (h != INVALID_HANDLE_VALUE || (failure != ERROR_FILE_EXISTS && failure != ERROR_ALREADY_EXISTS)) {
            return h;
        }
    }
    return INVALID_HANDLE_VALUE;
}

// Puts `temporary` in the place of `path`. ReplaceFileW keeps the replaced file's attributes
// and security; when it cannot (or has already removed the old file), a plain move finishes.
bool PutInPlace(const std::string& temporary, const std::string& path, bool exists) {
    if (exists && ReplaceFileW(WidePath(path).c_str(), WidePath(temporary).c_str(), nullptr,
                               REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0) {
        return true;
    }
    return ReplaceFileWith(temporary, path);
}

}  // namespace

bool ReplaceFileSafely(const std::string& target, const std::function<bool(File& file)>& write, SaveError* error) {
    SetSaveError(error, SaveError::None);
    std::string path;
    bool exists = false;
    const SaveError found = target.empty() ? SaveError::CannotCreate : FindSaveTarget(target, &path, &exists);
    if (found != SaveError::None) {
        SetSaveError(error, found);
        return false;
    }
    std::string temporary;
    HANDLE h = CreateTemporaryBeside(path, &temporary);
    if (h == INVALID_HANDLE_VALUE) {
        SetSaveError(error, SaveError::CannotCreate);
        return false;
    }
    File file;
    file.m_handle = reinterpret_cast<std::intptr_t>(h);
    const bool written = write && write(file) && file.Flush();
    file.Close();
    if (!written || !PutInPlace(temporary, path, exists)) {
        DeleteFileW(WidePath(temporary).c_str());
        SetSaveError(error, SaveError::WriteFailed);
        return false;
    }
    return true;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDirectory(const std::string& path) {
    return !path.empty() && CreateDirectoryW(WidePath(path).c_str(), nullptr) != 0;
}

bool DeleteDirectory(const std::string& path) {
    return !path.empty() && RemoveDirectoryW(WidePath(path).c_str()) != 0;
}

std::string GetCurrentDir() {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) {
        return {};
    }
    std::string buffer(needed, '\0');
    const DWORD length = GetCurrentDirectoryA(needed, buffer.data());
    if (length == 0 || length >= needed) {
        return {};
    }
    buffer.resize(length);
    return buffer;
}

// The system keeps the current directory, with a trailing separator, in a buffer of MAX_PATH
// characters. Windows refuses a longer one; Wine 8 copies it over whatever follows the buffer in
// the process parameters (the command line, then data that every new thread reads as it
// starts), so the length is checked here before the system is asked.
bool SetCurrentDir(const std::string& path) {
    const std::wstring wide = ToWide(path);
    const std::wstring full = FullWidePath(wide);
    if (full.empty() || full.size() + (full.back() == L'\\' ? 0 : 1) >= MAX_PATH) {
        return false;
    }
    return SetCurrentDirectoryW(wide.c_str()) != 0;
}

std::string ProgramFolder() {
    std::string buffer(32768, '\0');
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) {
        return GetCurrentDir();
    }
    buffer.resize(length);
    const std::size_t slash = buffer.find_last_of("\\/");
    return slash == std::string::npos ? GetCurrentDir() : buffer.substr(0, slash);
}

DirReader::~DirReader() {
    Close();
}

bool DirReader::Open(const std::string& folder) {
    Close();
    const std::string pattern = JoinPath(folder.empty() ? std::string(".") : folder, "*.*");
    auto* state = new DirState;
    state->find = FindFirstFileExW(WidePath(pattern).c_str(), FindExInfoBasic, &state->pending, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (state->find == INVALID_HANDLE_VALUE) {
        m_error = static_cast<int>(GetLastError());
        delete state;
        return false;
    }
    state->hasPending = true;
    m_impl = state;
    return true;
}

bool DirReader::Open(const FolderHandle& folder) {
    Close();
    if (folder.m_fd < 0) {
        if (!folder.IsOpen()) {
            m_error = ERROR_INVALID_HANDLE;
            return false;
        }
        return Open(folder.m_path);
    }
    // Read straight from the folder's descriptor, which a fresh open leaves at the start.
    auto* state = new DirState;
    state->linuxFd = static_cast<int>(folder.m_fd);
    state->buffer.resize(32768);
    m_impl = state;
    return true;
}

bool DirReader::Next(DirEntry* entry) {
    auto* state = static_cast<DirState*>(m_impl);
    if (state == nullptr) {
        return false;
    }
    if (state->linuxFd >= 0) {
        return NextLinuxEntry(state, entry, &m_error);
    }
    for (;;) {
        if (!state->hasPending) {
            if (!FindNextFileW(state->find, &state->pending)) {
                const DWORD error = GetLastError();
                m_error = error == ERROR_NO_MORE_FILES ? 0 : static_cast<int>(error);
                return false;
            }
        }
        state->hasPending = false;
        if (IsDotEntry(state->pending.cFileName)) {
            continue;
        }
        FillEntry(state->pending, entry);
        return true;
    }
}

void DirReader::Close() {
    auto* state = static_cast<DirState*>(m_impl);
    if (state != nullptr) {
        if (state->linuxFd < 0) {
            FindClose(state->find);
        }
        delete state;
        m_impl = nullptr;
    }
    m_error = 0;
}

FolderHandle::~FolderHandle() {
    Close();
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_path(std::move(other.m_path)),
      m_pathOpen(std::exchange(other.m_pathOpen, false)),
      m_device(other.m_device),
      m_fileId(other.m_fileId),
      m_error(other.m_error) {}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
        m_pathOpen = std::exchange(other.m_pathOpen, false);
        m_device = other.m_device;
        m_fileId = other.m_fileId;
        m_error = other.m_error;
    }
    return *this;
}

bool FolderHandle::OpenRoot(const std::string& path) {
    Close();
    if (wine::Available()) {
        const std::string linuxPath = wine::LinuxPathOf(FromWide(FullWidePath(ToWide(path)).c_str()));
        const long long fd = linuxPath.empty() ? -2 : wine::OpenFolder(wine::kCurrentFolder, linuxPath.c_str(), true);
        detail::UnixStat st;
        const long long stat = fd >= 0 ? wine::StatOpen(static_cast<int>(fd), &st) : fd;
        if (stat != 0) {
            m_error = wine::WindowsErrorOf(stat);
            if (fd >= 0) {
                wine::Close(static_cast<int>(fd));
            }
            return false;
        }
        m_fd = fd;
        m_path = path;
        m_device = st.device;
        m_fileId = st.inode;
        return true;
    }
    const DWORD attributes = AttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        m_error = attributes == INVALID_FILE_ATTRIBUTES ? static_cast<int>(GetLastError()) : ERROR_DIRECTORY;
        return false;
    }
    m_path = path;
    m_pathOpen = true;
    m_device = VolumeSerialOf(WidePath(path));
    return true;
}

bool FolderHandle::OpenChild(const FolderHandle& parent, const DirEntry& entry, const std::string& fullPath) {
    Close();
    if (!parent.IsOpen() || entry.name.empty()) {
        m_error = ERROR_INVALID_HANDLE;
        return false;
    }
    if (parent.m_fd >= 0) {
        const long long fd = wine::OpenFolder(static_cast<int>(parent.m_fd), entry.name.c_str(), false);
        if (fd < 0) {
            m_error = wine::WindowsErrorOf(fd);
            return false;
        }
        m_fd = fd;
        m_device = entry.device;
        m_fileId = entry.fileId;
    } else {
        // A junction or a mounted volume may lead to another volume; anything else stays on it.
        m_device = (entry.attributes & kAttrReparsePoint) != 0 ? VolumeSerialOf(WidePath(fullPath)) : parent.m_device;
        m_pathOpen = true;
    }
    m_path = fullPath;
    return true;
}

bool FolderHandle::Reopen(const FolderHandle& parent, const std::string& name) {
    if (parent.m_fd < 0) {
        // Opened by its path, which is checked when it is listed.
        m_pathOpen = parent.IsOpen();
        return m_pathOpen;
    }
    const long long fd = wine::OpenFolder(static_cast<int>(parent.m_fd), name.c_str(), false);
    detail::UnixStat st;
    const long long stat = fd >= 0 ? wine::StatOpen(static_cast<int>(fd), &st) : fd;
    if (stat != 0 || st.device != m_device || st.inode != m_fileId) {
        m_error = stat != 0 ? wine::WindowsErrorOf(stat) : ERROR_FILE_INVALID;
        if (fd >= 0) {
            wine::Close(static_cast<int>(fd));
        }
        return false;
    }
    m_fd = fd;
    return true;
}

bool FolderHandle::IsOpen() const {
    return m_fd >= 0 || m_pathOpen;
}

void FolderHandle::Close() {
    if (m_fd >= 0) {
        wine::Close(static_cast<int>(m_fd));
        m_fd = -1;
    }
    m_pathOpen = false;
}

bool CanEnterChild(const FolderHandle& parent, const DirEntry& entry, const std::string& fullPath) {
    if (parent.m_fd >= 0) {
        detail::UnixStat st;
        const int folder = static_cast<int>(parent.m_fd);
        return !entry.name.empty() && wine::StatAt(folder, entry.name.c_str(), &st) == 0 &&
               (st.mode & detail::kUnixTypeMask) == detail::kUnixDirectory &&
               wine::CanSearch(folder, entry.name.c_str()) == 0;
    }
    return CanEnterFolder(fullPath);
}

std::string ErrorText(int code) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr ? std::string(text, length) : "error " + std::to_string(code);
    LocalFree(text);
    while (!result.empty() &&
           (result.back() == '\n' || result.back() == '\r' || result.back() == ' ' || result.back() == '.')) {
        result.pop_back();
    }
    return result;
}

std::vector<MountEntry> ReadMountTable() {
    // Wine shows the Linux files under a drive; its mount table is one of them.
    const std::string path = wine::WindowsPathOf("/proc/self/mountinfo");
    std::string text;
    return !path.empty() && ReadWholeFile(path, &text) ? ParseMountInfo(text) : std::vector<MountEntry>();
}

bool ReadsFoldersAsLinux() {
    return wine::Available();
}

bool StatPath(const std::string& path, DirEntry* entry) {
    if (path.empty()) {
        return false;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(WidePath(path).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(find);
    FillEntry(data, entry);
    return true;
}

std::string FullFolderPath(const std::string& path) {
    const std::wstring full = FullWidePath(ToWide(path));
    if (full.empty()) {
        return {};
    }
    std::string buffer = FromWide(full.c_str());
    // "C:\" keeps its separator, "C:\dir\" loses it (what the current directory would read).
    while (buffer.size() > 3 && (buffer.back() == '\\' || buffer.back() == '/')) {
        buffer.pop_back();
    }
    return buffer;
}

namespace {

// The final path of the open `h` as its path within its volume, joined to the root of the
// volume that `wide` (the path it was opened by) lies on; empty when the handle is on another
// volume. Wine's GetFinalPathNameByHandle answers only for paths shorter than MAX_PATH; this
// answers for any.
std::wstring FinalPathWithinVolume(HANDLE h, const std::wstring& wide) {
    std::vector<wchar_t> root(wide.size() + MAX_PATH + 2);
    DWORD rootSerial = 0;
    DWORD handleSerial = 0;
    if (!GetVolumePathNameW(wide.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
        !GetVolumeInformationW(root.data(), nullptr, 0, &rootSerial, nullptr, nullptr, nullptr, 0) ||
        !GetVolumeInformationByHandleW(h, nullptr, 0, &handleSerial, nullptr, nullptr, nullptr, 0) ||
        rootSerial != handleSerial) {
        return {};
    }
    std::vector<char> buffer(sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t));
    if (!GetFileInformationByHandleEx(h, FileNameInfo, buffer.data(), static_cast<DWORD>(buffer.size()))) {
        return {};
    }
    const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(buffer.data());
    std::wstring path(root.data());
    if (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    return path.append(info->FileName, info->FileNameLength / sizeof(wchar_t));
}

}  // namespace

std::string ResolveFinalPath(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    const std::wstring widePath = WidePath(path);
    HANDLE h = CreateFileW(widePath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::wstring wide(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(h, wide.data(), static_cast<DWORD>(wide.size()), 0);
    if (length >= wide.size()) {
        wide.resize(length + 1);
        length = GetFinalPathNameByHandleW(h, wide.data(), static_cast<DWORD>(wide.size()), 0);
    }
    if (length == 0 || length >= wide.size()) {
        wide = FinalPathWithinVolume(h, widePath);
    } else {
        wide.resize(length);
    }
    CloseHandle(h);
    return WithoutLongPrefix(FromWide(wide.c_str()));
}

bool CanEnterFolder(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    // The access that entering a folder (SetCurrentDirectory) asks for.
    HANDLE h = CreateFileW(WidePath(path).c_str(), FILE_TRAVERSE | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool isFolder =
        GetFileInformationByHandle(h, &info) != 0 && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    CloseHandle(h);
    return isFolder;
}

namespace {

// Under Wine a Linux symbolic link looks like what it leads to; its Linux entry tells.
bool IsLinuxLink(const std::string& path) {
    if (!wine::Available()) {
        return false;
    }
    const std::string linuxPath = wine::LinuxPathOf(FromWide(FullWidePath(ToWide(path)).c_str()));
    detail::UnixStat st;
    constexpr std::uint32_t kUnixLink = 0120000;
    return linuxPath.empty() || wine::StatAt(wine::kCurrentFolder, linuxPath.c_str(), &st) != 0 ||
           (st.mode & detail::kUnixTypeMask) == kUnixLink;
}

}  // namespace

bool WriteFileAttributes(const std::string& path, std::uint32_t attributes) {
    if (path.empty() || IsLinuxLink(path)) {
        return false;
    }
    const DWORD current = AttributesOf(path);
    if (current == INVALID_FILE_ATTRIBUTES || (current & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return false;
    }
    return SetFileAttributesW(WidePath(path).c_str(), attributes) != FALSE;
}

bool WriteLastWriteTime(const std::string& path, FileTime time) {
    // Windows refuses to open a read-only file for writing; Wine running as root would not.
    const DWORD attributes = AttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0 || IsLinuxLink(path)) {
        return false;
    }
    // The link itself, never what it leads to; a read-only file cannot be opened for writing.
    HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const FILETIME lastWrite = FromFileTime(time);
    const bool done = SetFileTime(file, nullptr, nullptr, &lastWrite) != FALSE;
    CloseHandle(file);
    return done;
}

bool ToLocalTime(FileTime time, LocalTime* out) {
    const FILETIME utc = FromFileTime(time);
    SYSTEMTIME utcFields;
    SYSTEMTIME local;
    if (!FileTimeToSystemTime(&utc, &utcFields) || !SystemTimeToTzSpecificLocalTime(nullptr, &utcFields, &local)) {
        return false;
    }
    *out = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond, local.wMilliseconds};
    return true;
}

bool FromLocalTime(const LocalTime& local, FileTime* out) {
    if (local.year < 1601 || local.year > 30827 || local.month < 1 || local.month > 12 || local.day < 1 ||
        local.day > 31 || local.hour < 0 || local.hour > 23 || local.minute < 0 || local.minute > 59 ||
        local.second < 0 || local.second > 59 || local.millisecond < 0 || local.millisecond > 999) {
        return false;
    }
    SYSTEMTIME fields = {};
    fields.wYear = static_cast<WORD>(local.year);
    fields.wMonth = static_cast<WORD>(local.month);
    fields.wDay = static_cast<WORD>(local.day);
    fields.wHour = static_cast<WORD>(local.hour);
    fields.wMinute = static_cast<WORD>(local.minute);
    fields.wSecond = static_cast<WORD>(local.second);
    fields.wMilliseconds = static_cast<WORD>(local.millisecond);
    SYSTEMTIME utc;
    FILETIME result;
    // SystemTimeToFileTime refuses a day the month does not have (31 April).
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &fields, &utc) || !SystemTimeToFileTime(&utc, &result)) {
        return false;
    }
    FILETIME check;
    SYSTEMTIME checkFields;
    if (!SystemTimeToFileTime(&fields, &check) || !FileTimeToSystemTime(&check, &checkFields) ||
        checkFields.wDay != fields.wDay) {
        return false;
    }
    *out = ToFileTime(result);
    return true;
}

FileTime Now() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return ToFileTime(ft);
}

std::string LocalDateText(FileTime time) {
    SYSTEMTIME st;
    char buffer[128];
    if (time == 0 || !LocalSystemTime(time, &st) ||
        GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, sizeof buffer) == 0) {
        return {};
    }
    return buffer;
}

std::string LocalTimeText(FileTime time) {
    SYSTEMTIME st;
    char buffer[128];
    if (time == 0 || !LocalSystemTime(time, &st) ||
        GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, sizeof buffer) == 0) {
        return {};
    }
    return buffer;
}

FileTime TodayMidnightUtc() {
    const FileTime now = Now();
    constexpr FileTime kDay = 864000000000ULL;
    return now - now % kDay;
}

namespace {

// GetDiskFreeSpaceExA is looked up at run time: the program also starts on systems that lack it.
using DiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

bool ExtendedTotal(const std::string& path, std::uint64_t* total) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC proc = kernel != nullptr ? GetProcAddress(kernel, "GetDiskFreeSpaceExA") : nullptr;
    if (proc == nullptr) {
        return false;
    }
    const auto query = reinterpret_cast<DiskFreeSpaceExFn>(reinterpret_cast<void*>(proc));
    ULARGE_INTEGER available;
    ULARGE_INTEGER bytes;
    ULARGE_INTEGER freeBytes;
    if (!query(path.c_str(), &available, &bytes, &freeBytes)) {
        return false;
    }
    *total = bytes.QuadPart;
    return true;
}

}  // namespace

bool QueryVolumeRaw(const std::string& path, VolumeRaw* out) {
    if (path.empty() || out == nullptr) {
        return false;
    }
    // The volume's root stands in for "the current directory's volume": same answers, and
    // the process's current directory stays where it is.
    const std::wstring wide = WidePath(path);
    std::vector<wchar_t> rootWide(wide.size() + MAX_PATH + 2);
    if (!GetVolumePathNameW(wide.c_str(), rootWide.data(), static_cast<DWORD>(rootWide.size()))) {
        return false;
    }
    const std::string root = WithoutLongPrefix(FromWide(rootWide.data()));
    char volumeName[512];
    char fileSystem[512];
    DWORD maxComponent = 0;
    DWORD flags = 0;
    if (!GetVolumeInformationA(root.c_str(), volumeName, sizeof volumeName, nullptr, &maxComponent, &flags, fileSystem,
                               sizeof fileSystem)) {
        return false;
    }
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        return false;
    }
    out->fileSystem = fileSystem;
    out->flags = flags;
    out->sectorsPerCluster = sectorsPerCluster;
    out->bytesPerSector = bytesPerSector;
    out->totalClusters = totalClusters;
    out->extendedTotal = 0;
    out->hasExtendedTotal = ExtendedTotal(root, &out->extendedTotal);
    return true;
}

bool CompressedFileSize(const std::string& path, std::int64_t* out) {
    if (path.empty() || out == nullptr) {
        return false;
    }
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetCompressedFileSizeW(WidePath(path).c_str(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        return false;
    }
    *out = static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
    return true;
}

std::string NameSortKey(const std::string& name) {
    // Through the wide form: the narrow call does not read UTF-8 texts as characters.
    const std::wstring wide = ToWide(name);
    constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int length = LCMapStringW(LOCALE_USER_DEFAULT, kFlags, wide.c_str(), -1, nullptr, 0);
    std::string key(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length <= 0 ||
        LCMapStringW(LOCALE_USER_DEFAULT, kFlags, wide.c_str(), -1, reinterpret_cast<LPWSTR>(key.data()), length) !=
            length) {
        return name;  // no key from the system: the bytes themselves still give a stable order
    }
    return key;
}

}  // namespace qv::platform
