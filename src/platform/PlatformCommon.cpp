// Platform helpers written once on top of the back-end primitives.
#include "platform/Platform.h"

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

}  // namespace qv::platform
