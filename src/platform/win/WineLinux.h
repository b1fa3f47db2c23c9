// Linux calls for the Windows build when it runs under Wine on 64-bit Linux. Wine's own file
// calls show a symbolic link to a file as that file and one to a folder as a folder to enter;
// under Wine the program is a Linux process, so it makes the few Linux calls a walk needs
// itself (system call instructions) and sees links, allocated blocks and devices as the native
// build does. Nothing here is used on Windows itself or in the 32-bit build. Internal to the
// platform layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/UnixEntry.h"

namespace qv::platform::wine {

constexpr int kCurrentFolder = -100;  // AT_FDCWD

// True when the program runs under Wine on a Linux host and the calls below may be made.
bool Available();

// The Linux path of a Windows path and the Windows path of a Linux one; empty on failure.
std::string LinuxPathOf(const std::string& windowsPath);
std::string WindowsPathOf(const std::string& linuxPath);

// Each call returns its result, or minus the Linux error number.
long long OpenFolder(int folder, const char* name, bool followLink);  // a descriptor
long long Close(int fd);
long long ReadEntries(int fd, void* buffer, std::size_t size);          // getdents64
long long StatAt(int folder, const char* name, detail::UnixStat* out);  // the link itself
long long StatOpen(int fd, detail::UnixStat* out);
long long CanSearch(int folder, const char* name);  // 0 when the folder may be entered
long long UnlinkAt(int folder, const char* name);   // a file or link, never a folder

// The Windows error code that stands for a Linux error number (for ErrorText).
int WindowsErrorOf(long long linuxError);

// One record of a getdents64 buffer.
struct LinuxDirent {
    std::uint64_t inode;
    std::int64_t offset;
    std::uint16_t length;
    std::uint8_t type;
    char name[1];
};

}  // namespace qv::platform::wine
