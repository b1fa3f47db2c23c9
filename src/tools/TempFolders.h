// The temporary folders tool's engine: which folders Scan & Add proposes, the protected-folder
// rule, measuring a folder's files with its cluster policy, and clearing it through a delete
// operation the caller supplies (the shell's on Windows).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/SystemFolders.h"

namespace qv::tools {

// What Scan & Add does with a sub-folder, by its name.
enum class TempNameKind {
    Search,    // an ordinary folder: searched in turn
    Propose,   // "tempo" in it, "temp" or "cache" in it: asked about
    PassOver,  // "dllcache" and "driver cache": neither asked about nor searched
};
TempNameKind ClassifyTempName(const std::string& name);

enum class ProposeAnswer { Yes, No, Cancel };

// Searches `folder` as Scan & Add does: each proposed folder that `isListed` does not know is
// handed to `ask` in the order the search meets it; Yes means it was added (not searched
// further), No searches it, Cancel ends the search. Listed folders are passed over; offline
// folders and links are never entered. False when `folder` cannot be listed.
bool ScanForTemporary(const std::string& folder,
                      const std::function<bool(const std::string& path)>& isListed,
                      const std::function<ProposeAnswer(const std::string& path)>& ask);

// One thing a measurement found: a sub-folder or a file, by full path.
struct TempItem {
    std::string path;
    bool folder = false;
};

// A measured temporary folder: allocated bytes of its files (empty files 0) and its contents,
// each sub-folder before what it holds. Folders that are links are neither entered nor listed.
struct TempMeasure {
    std::int64_t allocated = 0;
    std::int64_t files = 0;
    std::vector<TempItem> items;
};

// Measures `folder` with the cluster policy of its volume. False when it is not a folder that
// can be listed.
bool MeasureTempFolder(const std::string& folder, TempMeasure* out);

// Deletes the given files (full paths) as one operation; false when it failed or was aborted.
using DeleteFilesFn = std::function<bool(const std::vector<std::string>& files)>;

enum class ClearOutcome {
    Missing,       // not a folder: the entry is to be marked missing
    NothingToDo,   // no files were found
    NoneExisted,   // files were found but none was left to delete
    DeleteFailed,  // the delete operation failed
    Cleared,       // deleted, emptied sub-folders removed
    SomeVanished,  // as Cleared, but some files vanished before the delete
};

// Clears `folder`: measures it, hands the files that still exist to `deleteFiles`, removes the
// sub-folders that became empty from the deepest, and measures again into `after`.
ClearOutcome ClearTempFolder(const std::string& folder, const DeleteFilesFn& deleteFiles, TempMeasure* after);

// Whether adding `path` needs confirmation: an existing folder that is a drive root, on a
// network drive, one of the system's own folders (Windows, system, both Program Files, the
// user profile, wherever they are, and "C:\Program Files"), inside the Windows folder (except
// temporary and desktop folders), or a system folder elsewhere. Compared ignoring case, with or
// without a trailing separator.
struct ProtectedFolders {
    SystemFolders system;
    std::vector<std::string> more;  // Program Files folders and the user profile
};
bool IsProtectedFolder(const std::string& path, const ProtectedFolders& folders);

// The protected folders of the running system.
ProtectedFolders QueryProtectedFolders();

}  // namespace qv::tools
