// The report file (.mcr): saving a report as a compact attribute tree in XML form and opening
// one back into a Report.
//
// Layout (version "0.0.4"): a top node "report" whose desc is the version; an optional
// "?filters?" node with one child per filter (name, masks as desc, position as group, kind 1 for
// a temporary filter); a "?drive?" node whose desc is the cluster policy text; then the root
// folder with every folder below it, files items included. A folder node carries its plain name,
// its size class as kind, 1 as group for a files item, its allocated space as val, and text
// attributes: one per filter position with hits ("N1;S2;A3-S2", "+;N4" when all hits are direct,
// or "+;N4;S5;A6-S5"), "info" ("LFN;NFA-MFS;OFN;BTM s;ELT s"), "notes", on the root only
// "date", and "error" (the ERR marks as a number) on a folder that could not be read or has one
// below it that could not; readers that know no "error" skip it. Version "0.0.3" files, whose "info" holds LFN;MFS;NFA;OFN;BTM;ELT with full file
// times, are read but never written.
//
// Root names: trailing separators are dropped when saving ("C:\" is saved as "C:", "/home/u/" as
// "/home/u"), except that a name of separators alone keeps one: "/" stays "/". Names below the
// root are saved whole (on POSIX a folder name may end in '\'). On opening, a root
// whose name has a ':' as its second character gets its path with a backslash added ("C:\",
// "C:\Windows\"); any other root's path is its name as saved ("/", "/home/u"). Paths below the
// root are the parent's path, a separator (unless the parent's path ends in one) and the folder
// name; the separator is '/' when the root name starts with '/' (a POSIX path, in which a
// backslash is an ordinary character and is kept at the end of a root name too), else '\' when
// it has a drive colon or a backslash, else the platform's.
//
// Limits: a rebuilt path longer than 32,767 bytes is not stored (such a folder cannot exist on
// disk), and the paths of one opened file together stay within 256 MiB plus 16 times the file
// size, so a hostile file cannot make the paths of a deep tree use unbounded memory.
#pragma once

#include <cstddef>
#include <string>

#include "core/Report.h"
#include "core/TitleComposer.h"

namespace qv {

// The message the caller shows when an open fails with NoFolders or TooManyNames, and its title.
constexpr const char* kReportReadErrorFormat = "Error reading file: %s";
constexpr const char* kReportReadErrorTitle = "Error";
// The message the caller shows when a report opened from a file that ended before the report
// did (error Incomplete).
constexpr const char* kReportIncompleteFormat = "The file %s is incomplete: the report shows only what could be read.";

enum class ReportFileError {
    None,
    MissingPath,   // no path given
    CannotOpen,    // the file is missing, read-only, not a file or cannot be created
    NothingRead,   // open: the file is empty or has no node element
    NoFolders,     // open: no folder node after the markers (the caller shows the message)
    TooManyNames,  // open: more distinct attribute names than the program can hold (the same message)
    Incomplete,    // open succeeded, but the file ended before its report did (the caller says so)
    NotRegular,    // save: the target exists and is not a regular file; nothing was written
    WriteFailed,   // save: a write, the flush or the final replace failed; the old file is intact
};

// True for the errors whose message is kReportReadErrorFormat.
inline bool IsReportReadError(ReportFileError error) {
    return error == ReportFileError::NoFolders || error == ReportFileError::TooManyNames;
}

// Writes `report` to `path` as a report file, through the platform's safe replace: a temporary
// file beside the target, created exclusively, takes the target's place only after everything
// was written and flushed; a target that is not a regular file is refused, a link is written
// through. On any failure the old file is left as it was and the result is false. Sets the
// report's version to "0.0.4".
bool SaveReport(Report* report, const std::string& path, ReportFileError* error = nullptr);

// How OpenReport opens the file: for reading and writing, as the window does (a read-only file
// is refused), or for reading only, as the console tool does.
enum class ReportAccess { ReadWrite, ReadOnly };

// Reads the report file `path` into `report` (which should be new): filters, cluster policy,
// created text, version and the folder tree, then runs the finishing pass, naming the records
// with `titles`. False, with the reason in `error`, when nothing usable was read. True with
// error Incomplete when the file ended (or broke off) before its top node did: the report holds
// the folders that could be read, and the caller tells the user.
bool OpenReport(Report* report,
                const std::string& path,
                const TitleComposer& titles,
                ReportFileError* error = nullptr,
                ReportAccess access = ReportAccess::ReadWrite);

// The same from a report file's bytes in memory.
bool OpenReportFromMemory(Report* report,
                          const char* text,
                          std::size_t length,
                          const TitleComposer& titles,
                          ReportFileError* error = nullptr);

// The message for `error` about `path`, for front ends: the program's own texts for the read
// errors and Incomplete, a plain description otherwise.
std::string ReportFileErrorText(ReportFileError error, const std::string& path);

}  // namespace qv
