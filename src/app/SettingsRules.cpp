// Window-free rules of the settings dialog.
#include "app/SettingsRules.h"

#include <cctype>
#include <climits>

#include "platform/Platform.h"

namespace qv {

namespace {

bool SameChar(char a, char b) {
#ifdef _WIN32
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
#else
    return a == b;
#endif
}

// The folder with one trailing separator, so "C:\Prog" does not claim "C:\Program".
std::string FolderPrefix(const std::string& folder) {
    if (folder.empty() || folder.back() == platform::kPathSeparator || folder.back() == '/') {
        return folder;
    }
    return folder + platform::kPathSeparator;
}

}  // namespace

int ChoiceIndex(std::int64_t stored, int count) {
    return stored >= 0 && stored < count ? static_cast<int>(stored) : 0;
}

int ClusterChoiceIndex(std::int64_t stored) {
    for (int i = 0; i < kClusterChoiceCount; ++i) {
        if (kClusterChoices[i] == stored) {
            return i;
        }
    }
    return 0;
}

std::int32_t ClusterChoiceValue(int index) {
    return index >= 0 && index < kClusterChoiceCount ? kClusterChoices[index] : 0;
}

int AgeNumberIndex(std::int64_t stored) {
    return stored >= 1 && stored <= 6 ? static_cast<int>(stored - 1) : 0;
}

std::int32_t ThresholdFromText(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    std::int64_t number = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        number = number * 10 + (text[pos] - '0');
        if (number > INT32_MAX) {
            return INT32_MAX;
        }
    }
    return number > 0 ? static_cast<std::int32_t>(number) : 1;
}

bool IsFullPath(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    return path[0] == '\\' || path[0] == '/' || (path.size() >= 2 && path[1] == ':');
}

std::string FilterPathForDisplay(const std::string& path, const std::string& programFolder) {
    const std::string prefix = FolderPrefix(programFolder);
    if (prefix.empty() || path.size() <= prefix.size()) {
        return path;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (!SameChar(path[i], prefix[i])) {
            return path;
        }
    }
    return path.substr(prefix.size());
}

std::string FilterPathFromDisplay(const std::string& text, const std::string& programFolder) {
    if (text.empty() || IsFullPath(text)) {
        return text;
    }
    return platform::JoinPath(programFolder, text);
}

}  // namespace qv
