// The main shell's window-free rules: file name suggestion, drops, menu states, file lists.
#include "app/ShellRules.h"

#include <cctype>

#include "app/CommandIds.h"
#include "platform/Platform.h"

namespace qv {
namespace {

void ReplaceAll(std::string* text, std::string_view from, std::string_view to) {
    std::string result;
    result.reserve(text->size());
    std::size_t start = 0;
    for (std::size_t hit = text->find(from); hit != std::string::npos; hit = text->find(from, start)) {
        result.append(*text, start, hit - start).append(to);
        start = hit + from.size();
    }
    result.append(*text, start, std::string::npos);
    *text = std::move(result);
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (std::tolower(ca) != std::tolower(cb)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string LimitMessage() {
    return "Maximum number of opened reports = " + std::to_string(kMaxOpenReports) +
           "\nClose one or more reports and try again";
}

std::string SecondCopyMessage(std::string_view appTitle) {
    std::string text(appTitle);
    text += " already running.\n Do you want switch to already running program?";
    return text;
}

std::string SuggestReportFileName(std::string_view desc) {
    std::string name(desc);
    ReplaceAll(&name, "\\\\", "#");
    ReplaceAll(&name, ":\\", "#");
    ReplaceAll(&name, ":", "#");
    ReplaceAll(&name, "\\", "^");
    ReplaceAll(&name, "/", "^");
    return name;
}

bool HasExtension(std::string_view path, std::string_view extension) {
    std::size_t nameStart = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsSeparator(path[i])) {
            nameStart = i + 1;
        }
    }
    const std::string_view name = path.substr(nameStart);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        return false;
    }
    return EqualsIgnoringAsciiCase(name.substr(dot + 1), extension);
}

DropAction ClassifyDrop(std::string_view path, bool isFolder) {
    if (isFolder) {
        return DropAction::CreateReport;
    }
    if (HasExtension(path, "mcr")) {
        return DropAction::OpenReport;
    }
    if (HasExtension(path, "mcf")) {
        return DropAction::OpenFilters;
    }
    return DropAction::ReportOfFolder;
}

std::string FolderOfFile(std::string_view path) {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsSeparator(path[i])) {
            last = i;
        }
    }
    if (last == std::string_view::npos) {
        return {};
    }
    const bool driveRoot = last == 2 && path[1] == ':';
    const bool posixRoot = last == 0;
    return std::string(path.substr(0, driveRoot || posixRoot ? last + 1 : last));
}

std::string DriveRootOf(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') {
        return std::string(path.substr(0, 2)) + "\\";
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // \\server\share\ : up to the separator after the share name.
        const std::size_t server = path.find_first_of("\\/", 2);
        if (server == std::string_view::npos || server + 1 >= path.size()) {
            return {};
        }
        const std::size_t share = path.find_first_of("\\/", server + 1);
        return std::string(path.substr(0, share)) + "\\";
    }
    if (!path.empty() && path[0] == '/') {
        return "/";
    }
    return {};
}

unsigned CommandStateFor(int commandId, const CommandContext& context) {
    const bool full = context.openReports >= kMaxOpenReports;
    const bool root = context.hasRecord && context.recordIsRoot;
    bool enabled = true;
    switch (commandId) {
        case cmd::kOpenReport:
        case cmd::kCreateReport:
            enabled = !full;
            break;
        case cmd::kSaveReport:
        case cmd::kCloseReport:
            enabled = root;
            break;
        case cmd::kPrintFolderInfo:
        case cmd::kPrintTree:
            enabled = context.hasRecord;
            break;
        case cmd::kUpdateReport:
            enabled = root && context.rootFolderExists;
            break;
        case cmd::kQuickLoadPlain:
            enabled = false;
            break;
        case cmd::kViewStatusBar:
            return context.statusBarVisible ? cmd::kStateChecked : 0;
        default:
            break;
    }
    return enabled ? 0 : cmd::kStateDisabled;
}

std::vector<std::string> ListFilesWithExtension(const std::string& folder, std::string_view extension, int maxItems) {
    std::vector<std::string> names;
    platform::DirReader reader;
    if (maxItems <= 0 || !reader.Open(folder)) {
        return names;
    }
    platform::DirEntry entry;
    while (static_cast<int>(names.size()) < maxItems && reader.Next(&entry)) {
        if ((entry.attributes & platform::kAttrDirectory) == 0 && HasExtension(entry.name, extension)) {
            names.push_back(entry.name);
        }
    }
    return names;
}

}  // namespace qv
