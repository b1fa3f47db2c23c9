// Shared helpers for tests: scratch folders and small file writers.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Platform.h"

namespace qv::test {

// A fresh, empty folder under the system's temporary folder; removed with its contents on
// destruction. Paths are UTF-8 strings with the platform's separator.
class ScratchDir {
public:
    ScratchDir() {
        static std::atomic<int> counter{0};
        const auto base = std::filesystem::temp_directory_path();
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

}  // namespace qv::test
