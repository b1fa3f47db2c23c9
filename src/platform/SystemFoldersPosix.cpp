// The system folders on POSIX: only a temporary folder exists ($TMPDIR or /tmp).
#include <cstdlib>

#include "platform/SystemFolders.h"

namespace qv {

SystemFolders QuerySystemFolders() {
    SystemFolders folders;
    const char* tmp = std::getenv("TMPDIR");
    folders.temp = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    while (folders.temp.size() > 1 && folders.temp.back() == '/') {
        folders.temp.pop_back();
    }
    return folders;
}

}  // namespace qv
