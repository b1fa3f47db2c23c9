// The folders of the running system that settings defaults and folder rules need: temporary,
// Windows and system folders, and the network-drive test.
#pragma once

#include <string>

namespace qv {

// The folders of the system that the defaults and the protected-folder rule need. Paths carry
// no trailing separator. The Windows and system folders are empty on POSIX.
struct SystemFolders {
    std::string temp;
    std::string windows;
    std::string system;
    // True when the path lies on a network drive; null answers false.
    bool (*isNetworkDrive)(const std::string& path) = nullptr;
};

// Asks the running system (Windows: GetTempPath, GetWindowsDirectory, GetSystemDirectory,
// GetDriveType; POSIX: $TMPDIR or /tmp).
SystemFolders QuerySystemFolders();

}  // namespace qv
