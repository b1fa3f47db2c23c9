// The shell's path list and the shortcut name test.
#include "shell/ShellPaths.h"

#include "filters/FileMask.h"

namespace qv {

bool PathList::Add(std::string_view path) {
    if (path.empty() || path.find('\0') != std::string_view::npos) {
        return false;
    }
    m_buffer.pop_back();  // the list's final zero; the new path's own zero takes its place
    m_buffer.append(path);
    m_buffer.append(2, '\0');
    ++m_count;
    return true;
}

std::vector<std::string> PathList::Paths() const {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(m_count));
    for (const char* p = m_buffer.data(); *p != '\0'; p += paths.back().size() + 1) {
        paths.emplace_back(p);
    }
    return paths;
}

bool IsShortcut(std::string_view path) {
    if (path.size() < 3) {
        return false;
    }
    // File names split at their extension the same way the mask matcher splits them.
    const SplitName split = SplitFileName(path.data(), path.size());
    if (split.ext == nullptr || split.extLength != 3) {
        return false;
    }
    const char* ext = split.ext;
    return (ext[0] | 0x20) == 'l' && (ext[1] | 0x20) == 'n' && (ext[2] | 0x20) == 'k';
}

}  // namespace qv
