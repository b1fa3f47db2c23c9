// The list of files tool's engine: writes the names of a folder's files that pass the masks,
// in the Files-Only or Folder-Based style, with CR LF line ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qv::tools {

enum class ListStyle { FilesOnly, FolderBased };

// The tool's choices; the defaults are those at program start.
struct FileListOptions {
    std::string masks = "*.*";
    std::string except;
    ListStyle style = ListStyle::FilesOnly;
    bool relative = false;      // Files-Only: paths relative to the chosen folder
    bool emptyFolders = false;  // Folder-Based: also folders without listed files
    bool recursive = true;
};

// Receives the list in pieces; false when a write failed (the listing then stops).
using ListSink = std::function<bool(std::string_view)>;

struct FileListResult {
    std::int64_t files = 0;    // files listed
    bool listed = false;       // the chosen folder could be listed
    bool writeFailed = false;  // the sink refused a piece
};

// Lists `folder`: per folder its qualifying files (not System, not Offline, matching the masks)
// sorted by name ignoring case, before its sub-folders, which follow in listing order.
FileListResult WriteFileList(const std::string& folder, const FileListOptions& options, const ListSink& sink);

enum class ListOutcome { Written, CannotCreate, WriteFailed };

// Creates `resultsFile` anew (before the listing, so a results file inside the folder is listed
// itself when the masks match it) and writes the list into it.
ListOutcome CreateFileList(const std::string& folder,
                           const std::string& resultsFile,
                           const FileListOptions& options,
                           std::int64_t* files);

// The text the tool reports: "No files found", "%ld files found", "Cannot create file: %s" or,
// for a write that failed, "Cannot write file: %s".
std::string ListResultText(ListOutcome outcome, std::int64_t files, const std::string& resultsFile);

// Orders names ignoring ASCII case; names equal that way keep their order under a stable sort.
bool NameLessIgnoringCase(std::string_view a, std::string_view b);

}  // namespace qv::tools
