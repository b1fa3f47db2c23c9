// What the attributes and date/time tools share once the user pressed "Apply": the target as
// chosen, the question that confirms it, and the run over its files with the two counters.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Platform.h"
#include "tools/FileTools.h"

namespace qv::tools {

// A tool's target at the moment of the run. Folder paths carry no trailing separator, a drive
// root is "C:".
struct TargetRun {
    bool singleFile = false;
    std::string folder;
    std::string file;  // full path, single-file mode
    bool recursive = true;
    std::string masks = "*.*";  // normalised (no blanks, ';' for ',')
    std::string except;         // normalised, may be empty
};

// The folder form the tools hold: no trailing separator, "C:\" held as "C:", "/" stays.
std::string TargetFolderForm(std::string path);
// The folder that holds `file`, in that form.
std::string FolderOfFile(const std::string& file);

// The "Submit operation" question of folder mode: the short form for "*.*" without except
// text, else the long one with the masks and the except line. Each line ends with "\n" or is
// empty.
std::string ApplyQuestion(const TargetRun& target, const std::string& lineOne, const std::string& lineTwo);

// The two lines of the attributes tool's question.
void AttributeQuestionLines(const AttrChoices& choices, std::string* lineOne, std::string* lineTwo);
// The two lines of the date/time tool's question ("Jan".."Dec" for the month).
void DateQuestionLines(const DateChoices& choices, int year, std::string* lineOne, std::string* lineTwo);
extern const char* const kMonthNames[12];

struct RunCounts {
    std::int64_t found = 0;
    std::int64_t processed = 0;
};

// Decides for one qualifying file: Skip leaves it uncounted, else it is found, and processed
// when the action succeeded.
enum class FileOutcome { Skip, Failed, Done };
using FileAction = std::function<FileOutcome(const std::string& path, const platform::DirEntry& entry)>;

// Every file of the target that is not a directory, System or Offline and (folder mode) passes
// the masks, sub-folders first walked when recursive; links to folders are never entered. A
// folder that cannot be listed contributes nothing.
RunCounts RunOnTarget(const TargetRun& target, const FileAction& action);

// The two tools' runs: attributes as decided and written even when unchanged; the last-write
// time of each file as the choices make it in `currentYear`.
RunCounts RunAttributes(const TargetRun& target, const AttrChoices& choices);
RunCounts RunDateTime(const TargetRun& target, const DateChoices& choices, int currentYear);

}  // namespace qv::tools
