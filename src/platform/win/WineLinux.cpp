// Linux system calls made directly by the Windows build under Wine (see WineLinux.h).
#include "platform/win/WineLinux.h"

#include <windows.h>

#include <cstring>

namespace qv::platform::wine {

namespace {

#if defined(__x86_64__)
constexpr bool kLinuxCallsBuilt = true;

// x86-64 Linux: number in rax, arguments in rdi, rsi, rdx, r10; the kernel changes rcx and r11.
long long LinuxCall(long long number, long long a = 0, long long b = 0, long long c = 0, long long d = 0) {
    long long result;
    register long long r10 asm("r10") = d;
    asm volatile("syscall" : "=a"(result) : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10) : "rcx", "r11", "memory");
    return result;
}
#else
constexpr bool kLinuxCallsBuilt = false;

long long LinuxCall(long long, long long = 0, long long = 0, long long = 0, long long = 0) {
    return -38;  // ENOSYS
}
#endif

constexpr long long kClose = 3;
constexpr long long kFstat = 5;
constexpr long long kGetdents64 = 217;
constexpr long long kOpenat = 257;
constexpr long long kNewfstatat = 262;
constexpr long long kUnlinkat = 263;
constexpr long long kFaccessat = 269;

constexpr long long kReadOnly = 0;
constexpr long long kDirectory = 0200000;
constexpr long long kNoFollow = 0400000;
constexpr long long kCloseOnExec = 02000000;
constexpr long long kStatNoFollow = 0x100;
constexpr long long kSearchAccess = 1;  // X_OK

// The x86-64 Linux struct stat.
struct LinuxStat {
    std::uint64_t dev;
    std::uint64_t ino;
    std::uint64_t nlink;
    std::uint32_t mode;
    std::uint32_t uid;
    std::uint32_t gid;
    std::uint32_t pad0;
    std::uint64_t rdev;
    std::int64_t size;
    std::int64_t blksize;
    std::int64_t blocks;
    std::int64_t atime;
    std::int64_t atimeNsec;
    std::int64_t mtime;
    std::int64_t mtimeNsec;
    std::int64_t ctime;
    std::int64_t ctimeNsec;
    std::int64_t unused[3];
};
static_assert(sizeof(LinuxStat) == 144, "the x86-64 Linux stat layout");

void Convert(const LinuxStat& st, detail::UnixStat* out) {
    out->mode = st.mode;
    out->size = st.size;
    out->blocks = st.blocks;
    out->device = st.dev;
    out->inode = st.ino;
    out->accessed = {st.atime, st.atimeNsec};
    out->modified = {st.mtime, st.mtimeNsec};
    out->changed = {st.ctime, st.ctimeNsec};
}

long long Address(const void* p) {
    return static_cast<long long>(reinterpret_cast<std::intptr_t>(p));
}

using HostVersionFn = void(CDECL*)(const char** sysname, const char** release);
using UnixNameFn = char*(CDECL*)(const wchar_t* dosName);
using DosNameFn = wchar_t*(CDECL*)(const char* unixName);

struct WineExports {
    UnixNameFn unixName = nullptr;
    DosNameFn dosName = nullptr;
    bool linux = false;
};

const WineExports& Exports() {
    static const WineExports exports = [] {
        WineExports found;
        const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        const HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (ntdll == nullptr || kernel == nullptr) {
            return found;
        }
        const auto hostVersion =
            reinterpret_cast<HostVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_host_version")));
        found.unixName =
            reinterpret_cast<UnixNameFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
        found.dosName =
            reinterpret_cast<DosNameFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_dos_file_name")));
        const char* sysname = nullptr;
        const char* release = nullptr;
        if (hostVersion != nullptr) {
            hostVersion(&sysname, &release);
        }
        found.linux = sysname != nullptr && std::strcmp(sysname, "Linux") == 0;
        return found;
    }();
    return exports;
}

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    }
    return wide;
}

}  // namespace

bool Available() {
    const WineExports& exports = Exports();
    return kLinuxCallsBuilt && exports.linux && exports.unixName != nullptr && exports.dosName != nullptr;
}

std::string LinuxPathOf(const std::string& windowsPath) {
    if (!Available() || windowsPath.empty()) {
        return {};
    }
    char* name = Exports().unixName(Wide(windowsPath).c_str());
    std::string path = name != nullptr ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

std::string WindowsPathOf(const std::string& linuxPath) {
    if (!Available() || linuxPath.empty()) {
        return {};
    }
    wchar_t* name = Exports().dosName(linuxPath.c_str());
    std::string path;
    if (name != nullptr) {
        const int length = WideCharToMultiByte(CP_UTF8, 0, name, -1, nullptr, 0, nullptr, nullptr);
        if (length > 1) {
            path.resize(static_cast<std::size_t>(length));
            WideCharToMultiByte(CP_UTF8, 0, name, -1, path.data(), length, nullptr, nullptr);
            path.resize(static_cast<std::size_t>(length - 1));
        }
    }
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

long long OpenFolder(int folder, const char* name, bool followLink) {
    const long long flags = kReadOnly | kDirectory | kCloseOnExec | (followLink ? 0 : kNoFollow);
    return LinuxCall(kOpenat, folder, Address(name), flags);
}

long long UnlinkAt(int folder, const char* name) {
    return LinuxCall(kUnlinkat, folder, Address(name), 0);
}

long long Close(int fd) {
    return LinuxCall(kClose, fd);
}

long long ReadEntries(int fd, void* buffer, std::size_t size) {
    return LinuxCall(kGetdents64, fd, Address(buffer), static_cast<long long>(size));
}

long long StatAt(int folder, const char* name, detail::UnixStat* out) {
    LinuxStat st{};
    const long long result = LinuxCall(kNewfstatat, folder, Address(name), Address(&st), kStatNoFollow);
    if (result == 0) {
        Convert(st, out);
    }
    return result;
}

long long StatOpen(int fd, detail::UnixStat* out) {
    LinuxStat st{};
    const long long result = LinuxCall(kFstat, fd, Address(&st));
    if (result == 0) {
        Convert(st, out);
    }
    return result;
}

long long CanSearch(int folder, const char* name) {
    return LinuxCall(kFaccessat, folder, Address(name), kSearchAccess);
}

int WindowsErrorOf(long long linuxError) {
    switch (-linuxError) {
        case 1:   // EPERM
        case 13:  // EACCES
            return ERROR_ACCESS_DENIED;
        case 2:  // ENOENT
            return ERROR_PATH_NOT_FOUND;
        case 5:  // EIO
            return ERROR_READ_FAULT;
        case 12:  // ENOMEM
            return ERROR_NOT_ENOUGH_MEMORY;
        case 20:  // ENOTDIR
            return ERROR_DIRECTORY;
        case 23:  // ENFILE
        case 24:  // EMFILE
            return ERROR_TOO_MANY_OPEN_FILES;
        case 36:  // ENAMETOOLONG
            return ERROR_FILENAME_EXCED_RANGE;
        case 40:  // ELOOP
            return ERROR_CANT_RESOLVE_FILENAME;
        default:
            return ERROR_GEN_FAILURE;
    }
}

}  // namespace qv::platform::wine
