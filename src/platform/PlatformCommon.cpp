// Platform helpers written once on top of the back-end primitives.
#include "platform/Platform.h"

#include <algorithm>
#include <cstdlib>

#include "platform/UnixEntry.h"

namespace qv::platform {

bool ReadWholeFile(const std::string& path, std::string* out) {
    File file = File::Open(path, FileAccess::Read, FileDisposition::OpenExisting, FileShare::ReadWrite);
    if (!file.IsOpen()) {
        return false;
    }
    out->clear();
    const std::int64_t size = file.Size();
    if (size > 0) {
        out->reserve(static_cast<std::size_t>(size));
    }
    char buffer[1 << 16];
    for (;;) {
        std::size_t got = 0;
        if (!file.Read(buffer, sizeof buffer, &got)) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        out->append(buffer, got);
    }
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    const char last = folder.back();
    if (last == kPathSeparator || last == '/') {
        return folder + name;
    }
    return folder + kPathSeparator + name;
}

std::uint64_t LinuxDevice(std::uint32_t major, std::uint32_t minor) {
    const std::uint64_t high = major;
    const std::uint64_t low = minor;
    return ((high & 0xfffff000u) << 32) | ((high & 0xfffu) << 8) | ((low & 0xffffff00u) << 12) | (low & 0xffu);
}

namespace {

// The next blank-separated field of `line` from `*at`, which moves past it.
std::string_view NextField(std::string_view line, std::size_t* at) {
    while (*at < line.size() && line[*at] == ' ') {
        ++*at;
    }
    const std::size_t start = *at;
    while (*at < line.size() && line[*at] != ' ') {
        ++*at;
    }
    return line.substr(start, *at - start);
}

// A mount point with its octal escapes (\040 blank, \011 tab, \012 new line, \134 backslash)
// decoded.
std::string Unescaped(std::string_view text) {
    auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && isOctal(text[i + 1]) && isOctal(text[i + 2]) &&
            isOctal(text[i + 3])) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    // "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw": the third field is the
    // device, the fifth the mount point, and the type follows the " - " separator.
    std::vector<MountEntry> mounts;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        std::size_t at = 0;
        NextField(line, &at);
        NextField(line, &at);
        const std::string_view device = NextField(line, &at);
        NextField(line, &at);
        const std::string_view mountPoint = NextField(line, &at);
        const std::size_t separator = line.find(" - ", at);
        const std::size_t colon = device.find(':');
        if (separator == std::string_view::npos || colon == std::string_view::npos || mountPoint.empty()) {
            continue;
        }
        std::size_t typeAt = separator + 3;
        const std::string_view type = NextField(line, &typeAt);
        const std::string major(device.substr(0, colon));
        const std::string minor(device.substr(colon + 1));
        char* majorEnd = nullptr;
        char* minorEnd = nullptr;
        const unsigned long majorNumber = std::strtoul(major.c_str(), &majorEnd, 10);
        const unsigned long minorNumber = std::strtoul(minor.c_str(), &minorEnd, 10);
        if (type.empty() || major.empty() || minor.empty() || *majorEnd != '\0' || *minorEnd != '\0') {
            continue;
        }
        mounts.push_back(
            {Unescaped(mountPoint), std::string(type),
             LinuxDevice(static_cast<std::uint32_t>(majorNumber), static_cast<std::uint32_t>(minorNumber))});
    }
    return mounts;
}

namespace detail {

FileTime FileTimeOfUnix(const UnixTime& time) {
    // Seconds between 1601-01-01 and 1970-01-01.
    constexpr std::int64_t kEpochDelta = 11644473600LL;
    if (time.seconds < 0 && time.nanoseconds == 0) {
        return 0;
    }
    const std::int64_t seconds = time.seconds + kEpochDelta;
    if (seconds < 0) {
        return 0;
    }
    return static_cast<FileTime>(seconds) * 10000000ULL + static_cast<FileTime>(time.nanoseconds / 100);
}

void FillFromUnixStat(const UnixStat& st, DirEntry* entry) {
    const bool folder = (st.mode & kUnixTypeMask) == kUnixDirectory;
    entry->attributes = folder ? kAttrDirectory : kAttrArchive;
    if ((st.mode & kUnixWriteBits) == 0) {
        entry->attributes |= kAttrReadOnly;
    }
    if (!entry->name.empty() && entry->name[0] == '.') {
        entry->attributes |= kAttrHidden;
    }
    entry->size = folder ? 0 : st.size;
    entry->allocated = folder ? 0 : st.blocks * 512;
    // Linux has no portable creation time here; the status-change time stands in for it, and
    // the scanner takes the earlier of creation and last write anyway.
    entry->creation = FileTimeOfUnix(st.changed);
    entry->lastAccess = FileTimeOfUnix(st.accessed);
    entry->lastWrite = FileTimeOfUnix(st.modified);
    entry->device = st.device;
    entry->fileId = st.inode;
}

}  // namespace detail

}  // namespace qv::platform
