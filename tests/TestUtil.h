// Shared helpers for tests: scratch folders, small file writers and readers, filter sets.
#pragma once

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "filters/FilterSet.h"
#include "platform/Platform.h"

namespace qv::test {

// A fresh, empty folder under the system's temporary folder; removed with its contents on
// destruction. Paths are UTF-8 strings with the platform's separator.
class ScratchDir {
public:
    explicit ScratchDir(const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
        static std::atomic<int> counter{0};
        for (int attempt = 0;; ++attempt) {
            const std::string leaf = "qvtest-" + std::to_string(platform::Now() % 1000000007ULL) + "-" +
                                     std::to_string(counter++) + "-" + std::to_string(attempt);
            m_path = base / leaf;
            std::error_code ec;
            if (std::filesystem::create_directory(m_path, ec)) {
                break;
            }
        }
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string Path() const { return ToUtf8(m_path); }
    // Path of `relative` (written with '/') inside the folder, in the platform's form.
    std::string Sub(const std::string& relative) const { return ToUtf8(m_path / FromUtf8(relative)); }

    // Writes a file of `size` bytes (parents created).
    void WriteFile(const std::string& relative, std::size_t size) const {
        WriteText(relative, std::string(size, 'x'));
    }
    void WriteText(const std::string& relative, const std::string& text) const {
        const auto path = m_path / FromUtf8(relative);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    void MakeDir(const std::string& relative) const {
        std::filesystem::create_directories(m_path / FromUtf8(relative));
    }
    // Builds a tree from a compact description: "a.txt:100 sub/x.exe:5000 empty/" (a file of so
    // many bytes, or a folder when the entry ends with '/').
    void Build(const std::string& description) const {
        std::istringstream entries(description);
        for (std::string entry; entries >> entry;) {
            const std::size_t colon = entry.rfind(':');
            if (entry.back() == '/') {
                MakeDir(entry);
            } else {
                WriteFile(entry.substr(0, colon), std::stoul(entry.substr(colon + 1)));
            }
        }
    }

    static std::filesystem::path FromUtf8(const std::string& text) {
        return std::filesystem::path(std::u8string(text.begin(), text.end()));
    }
    static std::string ToUtf8(const std::filesystem::path& p) {
        const auto u8 = p.u8string();
        return std::string(u8.begin(), u8.end());
    }

private:
    std::filesystem::path m_path;
};

// The whole file at `path`; empty when it cannot be read.
inline std::string ReadAll(const std::string& path) {
    std::string text;
    platform::ReadWholeFile(path, &text);
    return text;
}

// The values in one text separated by spaces, to compare many results at once.
template <typename... Values>
std::string Join(const Values&... values) {
    std::ostringstream text;
    const char* separator = "";
    ((text << separator << values, separator = " "), ...);
    return text.str();
}

// The names of the entries of a folder (a save must leave nothing but its target behind).
inline std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(ScratchDir::FromUtf8(folder))) {
        names.insert(ScratchDir::ToUtf8(entry.path().filename()));
    }
    return names;
}

// A filter as a set takes it in (id 0: the set picks one).
inline FilterInfo Filter(const std::string& name, const std::string& masks, bool temporary = false,
                         std::int32_t id = 0, bool enabled = true) {
    FilterInfo info;
    info.name = name;
    info.masks = masks;
    info.temporary = temporary;
    info.id = id;
    info.enabled = enabled;
    return info;
}

// Adds `filters` to `set` and compiles it; false when the set refused one.
inline bool FillFilters(FilterSet* set, const std::vector<FilterInfo>& filters) {
    set->SetEditing(true);
    bool all = true;
    for (const FilterInfo& info : filters) {
        all = set->AddFilter(info) != 0 && all;
    }
    set->SetEditing(false);
    return all;
}

// Matches a file `name` of `size` bytes (twice that allocated); the set folds a copy of the name.
inline bool MatchName(FilterSet* set, std::string name, std::int64_t size = 1, bool* temporary = nullptr) {
    return set->MatchFile(name.data(), size, size * 2, temporary);
}

// Makes a file read-only for its owner and everyone else.
inline void MakeReadOnly(const std::string& path) {
    using std::filesystem::perms;
    std::filesystem::permissions(ScratchDir::FromUtf8(path), perms::owner_read | perms::group_read | perms::others_read);
}

#ifndef _WIN32
// A chain of `levels` folders "d", each with an empty sibling "e", built below `base` with
// descriptors only (no long paths, no recursion). Returns the levels made.
inline int MakeDeepComb(const std::string& base, int levels) {
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
    int made = 0;
    while (fd >= 0 && made < levels && ::mkdirat(fd, "e", 0755) == 0 && ::mkdirat(fd, "d", 0755) == 0) {
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        ++made;
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return made;
}

// Runs `body` in a child process: the text it returns (a few kilobytes at most); nullopt when it
// returns none or the child dies. `body` runs after a fork: no test assertions in it.
inline std::optional<std::string> TextFromChild(const std::function<std::optional<std::string>()>& body) {
    int ends[2];
    if (::pipe(ends) != 0) {
        return std::nullopt;
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        std::optional<std::string> text;
        try {
            text = body();
        } catch (...) {
            text = "[the body threw]";  // said, so that the caller's check fails instead of skipping
        }
        ::_exit(text && ::write(ends[1], text->data(), text->size()) == static_cast<ssize_t>(text->size()) ? 0 : 1);
    }
    ::close(ends[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(ends[0]);
    int status = 0;
    const bool ended = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status);
    return ended && WEXITSTATUS(status) == 0 ? std::optional(text) : std::nullopt;
}
#endif

// Runs `body` as a user who cannot write what is read-only and returns the text it says. The
// super-user may write any file, so on POSIX it runs in a child process that has become the user
// nobody; elsewhere it runs here. nullopt when the child could not drop its privileges (the
// caller skips). `body` may run after a fork: no test assertions in it.
inline std::optional<std::string> RunUnprivilegedForText(const std::function<std::string()>& body) {
#ifndef _WIN32
    if (::geteuid() == 0) {
        return TextFromChild([&]() -> std::optional<std::string> {
            constexpr uid_t kNobody = 65534;
            const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 &&
                                 ::geteuid() != 0;
            return dropped ? std::optional(body()) : std::nullopt;
        });
    }
#endif
    return body();
}

}  // namespace qv::test
