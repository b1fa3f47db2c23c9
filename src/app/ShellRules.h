// The main shell's rules that need no window: the suggested report file name, what a dropped
// path asks for, the enabled state of each menu command, the file lists behind the two file
// menus and the texts of the shell's own messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

constexpr const char* kAppTitle = "Talvorn Quarvex";
constexpr int kMaxOpenReports = 5;

// "Maximum number of opened reports = 5\nClose one or more reports and try again".
std::string LimitMessage();
// The second-copy question with the application title in front.
std::string SecondCopyMessage(std::string_view appTitle);
constexpr const char* kSecondCopyCaption = "Second instance of Quarvex";

// The file name the Save dialog proposes for a report whose root desc (the scanned path) is
// `desc`: "\\" -> "#", ":\" -> "#", ":" -> "#", "\" -> "^", "/" -> "^", each replacement applied
// to the whole text before the next. "D:\Windows\System" gives "D#Windows^System".
std::string SuggestReportFileName(std::string_view desc);

// What a dropped path asks for, judged after shortcuts were resolved.
enum class DropAction {
    CreateReport,   // a folder: report of it
    OpenReport,     // a ".mcr" file
    OpenFilters,    // a ".mcf" file: the filter editor on it
    ReportOfFolder  // any other file: report of the folder that holds it
};
DropAction ClassifyDrop(std::string_view path, bool isFolder);

// True when the text after the last '.' of the file name part equals `extension` (without the
// dot) ignoring ASCII case; a name whose only dot is its first character has no extension.
bool HasExtension(std::string_view path, std::string_view extension);

// The folder that holds a file: everything before the last '\' or '/', but a drive root keeps
// its backslash ("C:\a.txt" gives "C:\", not the drive's current directory "C:"). Empty when
// the path names no folder.
std::string FolderOfFile(std::string_view path);

// The root of the drive that holds a folder, where the folder dialog of "Create" starts:
// "C:\Data\x" gives "C:\", "\\srv\share\x" gives "\\srv\share\", "/home/u" gives "/". Empty
// for an empty path or one without a root.
std::string DriveRootOf(std::string_view path);

// What the menu states depend on, read from the shell before a menu opens.
struct CommandContext {
    int openReports = 0;
    bool hasRecord = false;         // there is a current record
    bool recordIsRoot = false;      // it is a report's root (no parent)
    bool rootFolderExists = false;  // its ALC path names an existing folder
    bool statusBarVisible = true;
};

// State bits (cmd::kStateChecked, cmd::kStateDisabled) of a menu command.
unsigned CommandStateFor(int commandId, const CommandContext& context);

// Names of the files directly in `folder` whose extension is `extension` (no dot, any case), in
// the order the folder listing returns them, at most `maxItems`. Folders are left out. Empty
// when the folder does not exist.
std::vector<std::string> ListFilesWithExtension(const std::string& folder, std::string_view extension, int maxItems);

}  // namespace qv
