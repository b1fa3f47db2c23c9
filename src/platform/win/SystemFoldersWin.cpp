// The system folders on Windows: temporary, Windows and system folders, and the drive type
// test for network drives.
#include <windows.h>

#include "platform/SystemFolders.h"

namespace qv {

namespace {

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) {
        path.pop_back();
    }
    return path;
}

// The root that GetDriveType wants: "X:\" for a drive path; UNC paths are always remote.
bool IsOnNetworkDrive(const std::string& path) {
    if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) {
        return true;
    }
    if (path.size() < 2 || path[1] != ':') {
        return false;
    }
    const char root[4] = {path[0], ':', '\\', '\0'};
    return GetDriveTypeA(root) == DRIVE_REMOTE;
}

template <typename Query>
std::string AskFolder(Query query) {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = query(buffer, static_cast<UINT>(sizeof buffer));
    if (length == 0 || length >= sizeof buffer) {
        return {};
    }
    return WithoutTrailingSeparator(std::string(buffer, length));
}

}  // namespace

SystemFolders QuerySystemFolders() {
    SystemFolders folders;
    folders.temp = AskFolder([](char* buffer, UINT size) { return GetTempPathA(size, buffer); });
    folders.windows = AskFolder([](char* buffer, UINT size) { return GetWindowsDirectoryA(buffer, size); });
    folders.system = AskFolder([](char* buffer, UINT size) { return GetSystemDirectoryA(buffer, size); });
    folders.isNetworkDrive = &IsOnNetworkDrive;
    return folders;
}

}  // namespace qv
