// The path list that the shell operations take (delete, drag out, drops) and the shortcut name
// test. Window-free, so the native build tests them too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Paths as the shell wants them: each path followed by a zero byte, and one more zero byte at
// the end, with a count. An empty path is not added (it would end the list early).
class PathList {
  public:
    PathList() : m_buffer(1, '\0') {}

    // False for an empty path or one holding a zero byte.
    bool Add(std::string_view path);
    // The double-zero-terminated text, valid until the next Add.
    const char* Data() const { return m_buffer.data(); }
    // Bytes of Data() including the final zero.
    std::size_t Size() const { return m_buffer.size(); }
    int Count() const { return m_count; }
    bool Empty() const { return m_count == 0; }
    // The paths one by one, in the order they were added.
    std::vector<std::string> Paths() const;

  private:
    std::string m_buffer;
    int m_count = 0;
};

// True when the path names a shortcut file: at least 3 bytes, its last '.' at position 1 or
// later, not both a '\' and a '/' after that '.', and "lnk" after it in any case. "readme.LNK"
// is one; "lnk", ".lnk" and "a.lnk.txt" are not.
bool IsShortcut(std::string_view path);

}  // namespace qv
