// quarvex-cli commands: scan a folder into a report (and save it), print a saved report as a
// tree, print the information of one folder of a report, list where a filter found files and
// which files match it now, as the filtered files browser shows them, and compare a folder of a
// report with the disk as the "What's new" dialog does; list and temp are in ToolCommands.cpp.
//
// Sorting (show --sort): the children of every folder are ordered by the key; files items
// ("{name files}") always stay after the real sub-folders, and equal keys keep the report's
// order. "name" compares the plain folder names ignoring ASCII case.
#include "cli/Cli.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "cli/ToolCommands.h"
#include "core/FolderRecord.h"
#include "core/Report.h"
#include "core/ReportFile.h"
#include "core/Scanner.h"
#include "filters/FilterSet.h"
#include "platform/Platform.h"
#include "view/Comparison.h"
#include "view/DifferenceList.h"
#include "view/FilterBrowserModel.h"
#include "view/Formatters.h"
#include "view/ItemTitle.h"

namespace qv::cli {

namespace {

constexpr const char* kVersion = "0.1.0";

constexpr const char* kUsage =
    "Usage: quarvex-cli scan FOLDER [-o REPORT.mcr] [--filters FILE.mcf | --no-filters]\n"
    "                        [--cluster BYTES] [-x | --one-file-system] [--threads N] [--quiet]\n"
    "                        [--stats]\n"
    "       quarvex-cli show REPORT.mcr [--titles LIST] [--sort name|size|created|access] [--stats]\n"
    "       quarvex-cli info REPORT.mcr [PATH]\n"
    "       quarvex-cli files REPORT.mcr FILTER [FOLDER] [--sort name|size|time] [--reverse]\n"
    "                         [--folders]\n"
    "       quarvex-cli diff REPORT.mcr [FOLDER] [--sort path|status|files|sum] [--reverse] [--tree]\n"
    "       quarvex-cli list FOLDER [-o FILE] [--mask M] [--except E] [--style files|folders]\n"
    "                        [--relative] [--empty] [--no-recursive]\n"
    "       quarvex-cli temp FOLDER [--sizes]\n"
    "       quarvex-cli --help | --version\n"
    "\n"
    "scan   scans FOLDER with the built-in filters (or those of FILE.mcf, or none), writes the\n"
    "       report file with -o and prints the report tree and a summary unless --quiet.\n"
    "       --cluster charges files in clusters of BYTES (a power of two up to 1 GiB) instead of\n"
    "       what the file system allocated. -x stays on FOLDER's file system. Pseudo file\n"
    "       systems (proc, sysfs, ...) below FOLDER are not entered. Folders that cannot be\n"
    "       read are named on the error stream. --stats prints the time of each step there.\n"
    "       --threads walks on N threads (1 to 8; default one per processor, at most 8).\n"
    "show   prints a saved report as a tree. LIST is a comma-separated choice of size,\n"
    "       percent, precise, created, access and notes (default size,percent,notes).\n"
    "info   prints the information of the report's root, or of the folder whose full path\n"
    "       is PATH.\n"
    "files  lists the folders below FOLDER (default the root) where the report found files of\n"
    "       FILTER (a name or id of the report's filters); --folders prints each with its file\n"
    "       count and space from the report, otherwise the matching files on disk now, sorted\n"
    "       by name, size or time (--reverse turns the order around), and their totals.\n"
    "diff   scans FOLDER (a full path of a folder of the report; default its root folder)\n"
    "       afresh with the report's filters and prints what changed since the report: the\n"
    "       folder, \"Since ...\", then one line per changed folder (path, status, size of its\n"
    "       own files, total size; TAB-separated), or with --tree the difference tree.\n"
    "list   writes the list of FOLDER's files that match the masks (default *.*), to FILE or\n"
    "       to standard output, with CR LF line ends: full paths (or --relative ones), or\n"
    "       --style folders: each folder's path with its files indented by a TAB (--empty: also\n"
    "       folders without files). Prints the number of files found on the error stream.\n"
    "temp   prints the temporary and cache folders below FOLDER that the temporary folders\n"
    "       tool would propose, one a line; --sizes adds a TAB and the bytes their files take.\n"
    "\n"
    "Exit status: 0 done, 1 bad usage, 2 a file or folder could not be read or written (after\n"
    "a scan: some folder could not be read), or the report file is incomplete (what could be\n"
    "read is shown).\n";

constexpr std::uint32_t kDefaultTitles = TitleSize | TitlePercent | TitleNotes | TitleIcon;

enum class SortKey { None, Name, Size, Created, Access };

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Buffers what a command prints and hands it on in large pieces. After the first piece the
// sink could not take, the rest is dropped and Finish reports the failure.
class Printer {
  public:
    explicit Printer(const std::function<bool(std::string_view)>& sink) : m_sink(sink) {}
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    Printer& operator<<(std::string_view text) {
        if (!m_failed) {
            m_buffer.append(text);
            if (m_buffer.size() > (1 << 16)) {
                Flush();
            }
        }
        return *this;
    }
    // Hands on what is left; false when any piece could not be written.
    bool Finish() {
        Flush();
        return !m_failed;
    }

  private:
    void Flush() {
        if (!m_buffer.empty() && m_sink && !m_failed) {
            m_failed = !m_sink(m_buffer);
        }
        m_buffer.clear();
    }

    const std::function<bool(std::string_view)>& m_sink;
    std::string m_buffer;
    bool m_failed = false;
};

int UsageError(const CliIo& io, const std::string& problem) {
    if (io.err) {
        io.err("quarvex-cli: " + problem + "\n" + kUsage);
    }
    return kExitUsage;
}

int FileError(const CliIo& io, const std::string& problem) {
    if (io.err) {
        io.err("quarvex-cli: " + problem + "\n");
    }
    return kExitFile;
}

// Prints `text` in one piece; kExitFile with the message when it could not be written.
int PrintAll(const CliIo& io, std::string_view text) {
    if (io.out && !io.out(text)) {
        return FileError(io, kOutputFailedText);
    }
    return kExitOk;
}

int Finish(Printer& out, const CliIo& io) {
    return out.Finish() ? kExitOk : FileError(io, kOutputFailedText);
}

std::string Number(std::int64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64, value);
    return text;
}

// "1.27 Gb (1 365 245 952 bytes)", or "512 bytes" when the size has no larger unit.
std::string SizeText(std::int64_t bytes) {
    if (bytes <= 0) {
        return "0";
    }
    std::string number;
    std::string unit;
    const int index = FormatSize(bytes, &number, &unit);
    std::string text = number + " " + unit;
    if (index != kUnitBytes) {
        text += " (" + FormatGroupedNumber(bytes) + " bytes)";
    }
    return text;
}

std::string DateTimeText(std::int64_t time) {
    std::string date;
    std::string clock;
    if (!FormatDate(static_cast<platform::FileTime>(time), &date)) {
        return "[unknown]";
    }
    FormatTime(static_cast<platform::FileTime>(time), &clock);
    return date + " at " + clock;
}

// Parses a whole decimal number; false for anything else.
bool ParseCount(const std::string& text, std::int64_t* out) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    *out = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

bool ParseTitles(const std::string& list, std::uint32_t* flags) {
    static const struct {
        const char* word;
        std::uint32_t bits;
    } kWords[] = {{"size", TitleSize},       {"percent", TitlePercent}, {"precise", TitlePercent | TitlePrecisePercent},
                  {"created", TitleCreated}, {"access", TitleAccess},   {"notes", TitleNotes}};
    *flags = TitleIcon;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string word = list.substr(start, comma - start);
        bool known = false;
        for (const auto& entry : kWords) {
            if (word == entry.word) {
                *flags |= entry.bits;
                known = true;
            }
        }
        if (!known) {
            return false;
        }
        start = comma + 1;
    }
    return true;
}

bool ParseSort(const std::string& word, SortKey* key) {
    static const struct {
        const char* word;
        SortKey key;
    } kKeys[] = {
        {"name", SortKey::Name}, {"size", SortKey::Size}, {"created", SortKey::Created}, {"access", SortKey::Access}};
    for (const auto& entry : kKeys) {
        if (word == entry.word) {
            *key = entry.key;
            return true;
        }
    }
    return false;
}

int CompareNamesIgnoringCase(const char* a, const char* b) {
    a = a != nullptr ? a : "";
    b = b != nullptr ? b : "";
    for (;; ++a, ++b) {
        const int ca = (*a >= 'A' && *a <= 'Z') ? *a - 'A' + 'a' : static_cast<unsigned char>(*a);
        const int cb = (*b >= 'A' && *b <= 'Z') ? *b - 'A' + 'a' : static_cast<unsigned char>(*b);
        if (ca != cb || ca == 0) {
            return ca - cb;
        }
    }
}

// True when `a` goes before `b` under `key`.
bool GoesBefore(FolderRecord* a, FolderRecord* b, SortKey key) {
    if (a->group != b->group) {
        return a->group < b->group;  // files items last
    }
    switch (key) {
        case SortKey::Name:
            return CompareNamesIgnoringCase(a->desc, b->desc) < 0;
        case SortKey::Size: {
            const std::int64_t allocatedA = ReadStat(a, NFA);
            const std::int64_t allocatedB = ReadStat(b, NFA);
            if (allocatedA != allocatedB) {
                return allocatedA > allocatedB;
            }
            return ReadStat(a, MFS) > ReadStat(b, MFS);
        }
        case SortKey::Created:
            return ReadStat(a, BTM) > ReadStat(b, BTM);
        case SortKey::Access:
            return ReadStat(a, ELT) > ReadStat(b, ELT);
        case SortKey::None:
            break;
    }
    return false;
}

// One line per folder in the report's order (or sorted), indented two blanks per depth.
void PrintTree(FolderRecord* root, SortKey key, Printer& out) {
    std::vector<std::pair<FolderRecord*, int>> stack = {{root, 0}};
    std::vector<FolderRecord*> children;
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        out << std::string(2 * static_cast<std::size_t>(depth), ' ') << (node->name != nullptr ? node->name : "")
            << "\n";
        children.clear();
        for (FolderRecord* child = node->firstChild; child != nullptr; child = child->nextSibling) {
            children.push_back(child);
        }
        if (key != SortKey::None) {
            std::stable_sort(children.begin(), children.end(),
                             [key](FolderRecord* a, FolderRecord* b) { return GoesBefore(a, b, key); });
        }
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            stack.emplace_back(*it, depth + 1);
        }
    }
}

std::string Summary(FolderRecord* root) {
    return "Folders: " + FormatGroupedNumber(ReadStat(root, OFN)) +
           ", files: " + FormatGroupedNumber(ReadStat(root, LFN)) + ", size: " + SizeText(ReadStat(root, MFS)) +
           ", allocated: " + SizeText(ReadStat(root, NFA));
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", seconds);
    return text;
}

// ---------------------------------------------------------------------------------------------
// scan

struct ScanArgs {
    std::string folder;
    std::string output;
    std::string filterFile;
    bool noFilters = false;
    std::int64_t cluster = 0;
    bool oneFileSystem = false;
    std::int64_t threads = 0;  // 0: one per hardware thread
    bool quiet = false;
    bool stats = false;
};

// Fills `args` from the words after "scan"; an empty text on success, else the problem.
std::string ParseScanArgs(const std::vector<std::string>& words, ScanArgs* args) {
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        const bool hasValue = i + 1 < words.size();
        if (word == "-o" || word == "--filters" || word == "--cluster" || word == "--threads") {
            if (!hasValue) {
                return word + " needs a value";
            }
            const std::string& value = words[++i];
            if (value.empty() && word != "--cluster") {
                return word + " needs a file name";
            }
            if (word == "-o") {
                args->output = value;
            } else if (word == "--filters") {
                args->filterFile = value;
            } else if (word == "--threads") {
                if (!ParseCount(value, &args->threads) || args->threads < 1 || args->threads > 8) {
                    return "--threads needs a number from 1 to 8";
                }
            } else if (!ParseCount(value, &args->cluster) || args->cluster <= 0 ||
                       !ClusterPolicy().ComputeFromUserSize(args->cluster)) {
                return "--cluster needs a power of two up to 1073741824, such as 4096";
            }
        } else if (word == "--no-filters") {
            args->noFilters = true;
        } else if (word == "-x" || word == "--one-file-system") {
            args->oneFileSystem = true;
        } else if (word == "--quiet") {
            args->quiet = true;
        } else if (word == "--stats") {
            args->stats = true;
        } else if (!word.empty() && word[0] == '-') {
            return "unknown option " + word;
        } else if (args->folder.empty()) {
            args->folder = word;
        } else {
            return "more than one folder given";
        }
    }
    if (args->folder.empty()) {
        return "scan needs a folder";
    }
    if (args->noFilters && !args->filterFile.empty()) {
        return "--filters and --no-filters exclude each other";
    }
    return {};
}

int RunScan(const std::vector<std::string>& words, const CliIo& io) {
    ScanArgs args;
    const std::string problem = ParseScanArgs(words, &args);
    if (!problem.empty()) {
        return UsageError(io, problem);
    }
    // The root is named by its full path, so a saved report reopens with the same paths.
    const std::string folder = platform::FullFolderPath(args.folder);
    platform::DirReader probe;
    if (folder.empty() || !platform::DirectoryExists(folder) || !probe.Open(folder)) {
        return FileError(io, "cannot read folder '" + args.folder + "'");
    }
    probe.Close();

    FilterSet filters;
    if (args.noFilters) {
        filters.SetEnabled(false);
    } else if (!args.filterFile.empty()) {
        if (!filters.LoadFromFile(args.filterFile)) {
            return FileError(io, "cannot read filter file '" + args.filterFile + "'");
        }
    } else {
        filters.SetBuiltIn();
    }
    Report report;
    report.SetFilters(&filters);
    if (args.noFilters) {
        report.Filters().SetEnabled(false);
    }
    auto policy = std::make_unique<ClusterPolicy>();
    policy->Compute(folder, args.cluster);
    report.SetPolicy(std::move(policy));
    report.SetCreated(CreatedText(platform::Now()));

    TreeViewOptions options;
    options.titleFlags = kDefaultTitles;
    ScanControl control;
    control.titles = ComposeTitlesWith(options);
    control.oneFileSystem = args.oneFileSystem;
    control.threads = static_cast<unsigned>(args.threads);
    std::int64_t unreadable = 0;
    control.unreadable = [&io, &unreadable](const char* path, const char* reason) {
        ++unreadable;
        if (io.progress) {
            io.progress("");
        }
        if (io.err) {
            io.err(std::string("quarvex-cli: cannot read folder '") + path + "': " + reason + "\n");
        }
    };
    if (io.progress) {
        control.progress = [&io](const char* text, bool) { io.progress(text); };
    }
    const Clock::time_point scanStart = Clock::now();
    FolderRecord* root = ScanReport(&report, folder, control);
    const double scanSeconds = SecondsSince(scanStart);
    if (io.progress) {
        io.progress("");
    }
    if (root == nullptr) {
        return FileError(io, "scan of '" + args.folder + "' failed");
    }
    std::string stats = "scan: " + Seconds(scanSeconds);
    if (!args.output.empty()) {
        const Clock::time_point saveStart = Clock::now();
        ReportFileError error = ReportFileError::None;
        if (!SaveReport(&report, args.output, &error)) {
            const char* reason = error == ReportFileError::NotRegular ? ": it is not a regular file" : "";
            return FileError(io, "cannot write report file '" + args.output + "'" + reason);
        }
        stats += ", save: " + Seconds(SecondsSince(saveStart));
    }
    if (!args.quiet) {
        Printer out(io.out);
        PrintTree(root, SortKey::None, out);
        out << Summary(root);
        if (unreadable != 0) {
            out << ", unreadable folders: " << FormatGroupedNumber(unreadable);
        }
        out << ", time: " << Seconds(scanSeconds) << "\n";
        if (const int status = Finish(out, io); status != kExitOk) {
            return status;
        }
    }
    if (args.stats && io.err) {
        io.err(stats + ", folders: " + Number(ReadStat(root, OFN) + 1) + "\n");
    }
    return unreadable != 0 ? kExitFile : kExitOk;
}

// ---------------------------------------------------------------------------------------------
// show and info

// Opens `path` for reading only. kExitOk also for a file that ended before its report did:
// `*incomplete` is then set, the command prints what could be read and calls EndOfCommand.
int OpenForCommand(const std::string& path,
                   const TreeViewOptions& options,
                   Report* report,
                   bool* incomplete,
                   const CliIo& io) {
    ReportFileError error = ReportFileError::None;
    if (!OpenReport(report, path, ComposeTitlesWith(options), &error, ReportAccess::ReadOnly)) {
        return FileError(io, ReportFileErrorText(error, path));
    }
    *incomplete = error == ReportFileError::Incomplete;
    return kExitOk;
}

// The status of a command that printed a report opened from `path`: the output's own failure
// first, then the report's being incomplete, which is said after what was printed.
int EndOfCommand(Printer& out, bool incomplete, const std::string& path, const CliIo& io) {
    if (const int status = Finish(out, io); status != kExitOk) {
        return status;
    }
    return incomplete ? FileError(io, ReportFileErrorText(ReportFileError::Incomplete, path)) : kExitOk;
}

int RunShow(const std::vector<std::string>& words, const CliIo& io) {
    std::string path;
    std::uint32_t titles = kDefaultTitles;
    SortKey sort = SortKey::None;
    bool stats = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--titles" || word == "--sort") {
            if (i + 1 >= words.size()) {
                return UsageError(io, word + " needs a value");
            }
            const std::string& value = words[++i];
            if (word == "--titles" ? !ParseTitles(value, &titles) : !ParseSort(value, &sort)) {
                return UsageError(io, "unknown " + word.substr(2) + " '" + value + "'");
            }
        } else if (word == "--stats") {
            stats = true;
        } else if (!word.empty() && word[0] == '-') {
            return UsageError(io, "unknown option " + word);
        } else if (path.empty()) {
            path = word;
        } else {
            return UsageError(io, "more than one report given");
        }
    }
    if (path.empty()) {
        return UsageError(io, "show needs a report file");
    }
    TreeViewOptions options;
    options.titleFlags = titles;
    Report report;
    bool incomplete = false;
    const Clock::time_point openStart = Clock::now();
    if (const int status = OpenForCommand(path, options, &report, &incomplete, io); status != kExitOk) {
        return status;
    }
    const double openSeconds = SecondsSince(openStart);
    Printer out(io.out);
    PrintTree(report.Root(), sort, out);
    out << Summary(report.Root()) << ", created: " << report.Created() << "\n";
    if (stats && io.err) {
        io.err("open: " + Seconds(openSeconds) + ", folders: " + Number(ReadStat(report.Root(), OFN) + 1) + "\n");
    }
    return EndOfCommand(out, incomplete, path, io);
}

// The folder (not a files item) whose full path is `path`, ignoring one trailing separator on
// either side (on POSIX only '/' separates); null when there is none.
FolderRecord* FindByPath(FolderRecord* root, std::string path) {
    auto trim = [](std::string text) {
        if (text.size() > 1 && (text.back() == '/' || text.back() == platform::kPathSeparator)) {
            text.pop_back();
        }
        return text;
    };
    path = trim(path);
    std::vector<FolderRecord*> stack = {root};
    while (!stack.empty()) {
        FolderRecord* node = stack.back();
        stack.pop_back();
        const char* alc = ReadText(node, ALC);
        if (node->group == 0 && alc != nullptr && trim(alc) == path) {
            return node;
        }
        for (FolderRecord* child = node->firstChild; child != nullptr; child = child->nextSibling) {
            stack.push_back(child);
        }
    }
    return nullptr;
}

std::string CountText(std::int64_t value) {
    return value != 0 ? FormatGroupedNumber(value) : "none";
}

std::string ClusterText(const ClusterPolicy* policy) {
    if (policy == nullptr || policy->compressedForAll != 0) {
        return "n/a";
    }
    if (policy->ignoreCompression == 0) {
        return "not used";
    }
    const std::int64_t size =
        policy->clusterShift > 0 && policy->clusterShift < 63 ? std::int64_t{1} << policy->clusterShift : 0;
    return (policy->automatic != 0 ? "auto: " : "user: ") + Number(size) + " bytes";
}

void PrintFilterRows(Report& report, FolderRecord* node, Printer& out) {
    FilterInfo info;
    if (report.Filters().Count() == 0) {
        return;
    }
    out << "Filters (sub-tree | direct):\n";
    for (int position = 1; report.Filters().GetFilterAt(position, &info); ++position) {
        auto stat = [&](const char* code) { return ReadStat(node, FilterKey(code, info.name).c_str()); };
        char id[16];
        std::snprintf(id, sizeof id, "%02d. ", info.id);
        out << "  " << id << info.name << (info.temporary ? " [temp]" : "") << ": "
            << FormatGroupedNumber(stat(kFilterFiles)) << " files, size " << SizeText(stat(kFilterSize))
            << ", allocated " << SizeText(stat(kFilterAllocated)) << " | "
            << FormatGroupedNumber(stat(kFilterDirectFiles)) << " files, size " << SizeText(stat(kFilterDirectSize))
            << ", allocated " << SizeText(stat(kFilterDirectAllocated)) << "\n";
    }
}

int RunInfo(const std::vector<std::string>& words, const CliIo& io) {
    if (words.size() < 2 || words.size() > 3) {
        return UsageError(io, "info needs a report file and at most one path");
    }
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i].empty() || (words[i][0] == '-' && words[i].size() > 1)) {
            return UsageError(io, "unknown option " + words[i]);
        }
    }
    Report report;
    bool incomplete = false;
    if (const int status = OpenForCommand(words[1], TreeViewOptions(), &report, &incomplete, io); status != kExitOk) {
        return status;
    }
    FolderRecord* node = report.Root();
    if (words.size() == 3) {
        node = FindByPath(report.Root(), words[2]);
        if (node == nullptr) {
            FileError(io, "no folder '" + words[2] + "' in '" + words[1] + "'");
            return incomplete ? FileError(io, ReportFileErrorText(ReportFileError::Incomplete, words[1])) : kExitFile;
        }
    }
    Printer out(io.out);
    const char* path = ReadText(node, ALC);
    out << "Name:          " << (node->desc != nullptr ? node->desc : "") << "\n";
    out << "Path:          " << (path != nullptr ? path : "") << "\n";
    if (node->parent == nullptr) {
        out << "Cluster:       " << ClusterText(report.Policy()) << "\n";
    }
    out << "Size:          " << SizeText(ReadStat(node, MFS)) << "\n";
    out << "Allocated:     " << SizeText(ReadStat(node, NFA)) << "\n";
    const char* mark = ErrorMarkText(node);
    out << "Files:         " << CountText(ReadStat(node, LFN))
        << (mark != nullptr ? std::string(" (") + mark + ")" : "") << "\n";
    out << "Folders:       " << CountText(ReadStat(node, OFN)) << "\n";
    out << "Created:       " << DateTimeText(ReadStat(node, BTM)) << "\n";
    std::string access;
    FormatDate(static_cast<platform::FileTime>(ReadStat(node, ELT)), &access);
    out << "Last accessed: " << access << "\n";
    out << "Temporary:     " << (node->attrs.Get(FCA).AsLenientInt() != 0 ? "yes" : "no") << "\n";
    const char* text = ReadText(node, notes);
    out << "Notes:         " << (text != nullptr ? text : "") << "\n";
    out << "Report:        created " << report.Created() << "\n";
    PrintFilterRows(report, node, out);
    return EndOfCommand(out, incomplete, words[1], io);
}

// ---------------------------------------------------------------------------------------------
// files

// The browser's host for a read-only console: display names are the files' own names, nothing
// is asked and nothing is deleted.
class ConsoleBrowserHost : public BrowserHost {
  public:
    int Ask(const std::string&, const std::string&, int) override { return kAnsweredCancel; }
    std::string DisplayName(const std::string&, const std::string& fileName) override { return fileName; }
    DeleteOutcome Delete(const std::vector<std::string>&, bool, bool, bool) override { return {}; }
};

struct FilesArgs {
    std::string report;
    std::string filter;
    std::string folder;
    int sort = kBrowserSortName;
    bool folders = false;
};

std::string ParseFilesArgs(const std::vector<std::string>& words, FilesArgs* args) {
    bool reverse = false;
    std::vector<std::string> positional;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--sort") {
            if (i + 1 >= words.size()) {
                return "--sort needs a value";
            }
            const std::string& value = words[++i];
            if (value == "name" || value == "size" || value == "time") {
                args->sort = value == "name" ? kBrowserSortName : value == "size" ? kBrowserSortSize : kBrowserSortTime;
            } else {
                return "unknown sort '" + value + "'";
            }
        } else if (word == "--reverse") {
            reverse = true;
        } else if (word == "--folders") {
            args->folders = true;
        } else if (word.size() > 1 && word[0] == '-') {
            return "unknown option " + word;
        } else {
            positional.push_back(word);
        }
    }
    if (positional.size() < 2 || positional.size() > 3) {
        return "files needs a report file, a filter and at most one folder";
    }
    args->report = positional[0];
    args->filter = positional[1];
    args->folder = positional.size() == 3 ? positional[2] : std::string();
    if (reverse) {
        args->sort |= kBrowserSortReversed;
    }
    return {};
}

// The id of the report's filter named `text`, or else numbered `text`; 0 when there is none.
std::int32_t FindFilter(const FilterSet& filters, const std::string& text) {
    FilterInfo info;
    if (filters.FindByName(text, &info)) {
        return info.id;
    }
    std::int64_t id = 0;
    return ParseCount(text, &id) && id > 0 && id <= INT32_MAX && filters.FindById(static_cast<std::int32_t>(id), &info)
               ? info.id
               : 0;
}

std::string FileLine(const BrowserFile& file) {
    std::string date;
    std::string time;
    FormatDate(file.modified, &date);
    FormatTime(file.modified, &time);
    return "\t" + file.name + "\t" + Number(file.size) + "\t" + date + " " + time + "\n";
}

int RunFiles(const std::vector<std::string>& words, const CliIo& io) {
    FilesArgs args;
    const std::string problem = ParseFilesArgs(words, &args);
    if (!problem.empty()) {
        return UsageError(io, problem);
    }
    Report report;
    bool incomplete = false;
    if (const int status = OpenForCommand(args.report, TreeViewOptions(), &report, &incomplete, io);
        status != kExitOk) {
        return status;
    }
    const std::int32_t filterId = FindFilter(report.Filters(), args.filter);
    if (filterId == 0) {
        return UsageError(io, "no filter '" + args.filter + "' in '" + args.report + "'");
    }
    FolderRecord* start = report.Root();
    if (!args.folder.empty()) {
        start = FindByPath(report.Root(), args.folder);
        if (start == nullptr) {
            return FileError(io, "no folder '" + args.folder + "' in '" + args.report + "'");
        }
    }
    ConsoleBrowserHost host;
    FilterBrowserModel browser(&host);
    const char* rootPath = ReadText(report.Root(), ALC);
    browser.Open(&report.Filters(), filterId, start, report.Policy(), rootPath != nullptr ? rootPath : "");
    Printer out(io.out);
    if (args.folders) {
        for (const BrowserEntry& entry : browser.Entries()) {
            out << entry.path << "\t" << Number(entry.count) << "\t" << Number(entry.space) << "\n";
        }
        return EndOfCommand(out, incomplete, args.report, io);
    }
    std::int64_t count = 0;
    std::int64_t bytes = 0;
    std::int64_t space = 0;
    for (int index = 0; index < static_cast<int>(browser.Entries().size()); ++index) {
        if (browser.ScanEntry(index) == 0) {
            continue;
        }
        const BrowserEntry& entry = browser.Entry(index);
        out << entry.path << "\n";
        for (const int file : browser.FileOrder(index, args.sort)) {
            out << FileLine(entry.files[static_cast<std::size_t>(file)]);
        }
        count += entry.count;
        bytes += entry.bytes;
        space += entry.space;
    }
    std::string number;
    std::string unit;
    FormatSize(space, &number, &unit);
    out << number << " " << unit << "\t" << Number(count) << "\t" << FormatGroupedNumber(bytes) << "\n";
    return EndOfCommand(out, incomplete, args.report, io);
}

// ---------------------------------------------------------------------------------------------
// diff

struct DiffArgs {
    std::string report;
    std::string folder;
    int sortMode = kDiffSortPath;
    bool tree = false;
};

std::string ParseDiffArgs(const std::vector<std::string>& words, DiffArgs* args) {
    static const struct {
        const char* word;
        int mode;
    } kSorts[] = {
        {"path", kDiffSortPath}, {"status", kDiffSortStatus}, {"files", kDiffSortFiles}, {"sum", kDiffSortSum}};
    bool reverse = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--sort") {
            if (i + 1 >= words.size()) {
                return "--sort needs a value";
            }
            const std::string& value = words[++i];
            const auto* sort = std::find_if(std::begin(kSorts), std::end(kSorts),
                                            [&value](const auto& entry) { return value == entry.word; });
            if (sort == std::end(kSorts)) {
                return "unknown sort '" + value + "'";
            }
            args->sortMode = sort->mode;
        } else if (word == "--reverse") {
            reverse = true;
        } else if (word == "--tree") {
            args->tree = true;
        } else if (!word.empty() && word[0] == '-' && word.size() > 1) {
            return "unknown option " + word;
        } else if (args->report.empty()) {
            args->report = word;
        } else if (args->folder.empty()) {
            args->folder = word;
        } else {
            return "more than one folder given";
        }
    }
    if (args->report.empty()) {
        return "diff needs a report file";
    }
    if (reverse) {
        args->sortMode |= kDiffSortReversed;
    }
    return {};
}

// The difference tree's build-time titles, two blanks of indent per depth.
void PrintDifferenceTree(DifferenceNode* root, Printer& out) {
    std::vector<std::pair<DifferenceNode*, int>> pending{{root, 0}};
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        out << std::string(2 * static_cast<std::size_t>(depth), ' ') << DifferenceTreeTitle(node) << "\n";
        for (DifferenceNode* child = node->lastChild; child != nullptr; child = child->prevSibling) {
            pending.emplace_back(child, depth + 1);
        }
    }
}

int RunDiff(const std::vector<std::string>& words, const CliIo& io) {
    DiffArgs args;
    if (const std::string problem = ParseDiffArgs(words, &args); !problem.empty()) {
        return UsageError(io, problem);
    }
    Report report;
    bool incomplete = false;
    if (const int status = OpenForCommand(args.report, TreeViewOptions(), &report, &incomplete, io);
        status != kExitOk) {
        return status;
    }
    FolderRecord* folder = args.folder.empty() ? report.Root() : FindByPath(report.Root(), args.folder);
    if (folder == nullptr) {
        return UsageError(io, "no folder '" + args.folder + "' in '" + args.report + "'");
    }
    const char* path = ReadText(folder, ALC);
    if (path == nullptr || !platform::DirectoryExists(path)) {
        return FileError(io, "cannot read folder '" + std::string(path != nullptr ? path : "") + "'");
    }
    // A fresh scan with the report's filters, as the dialog's scan job makes it.
    Report fresh;
    fresh.SetFilters(&report.Filters());
    auto policy = std::make_unique<ClusterPolicy>();
    policy->Compute(path, 0);
    fresh.SetPolicy(std::move(policy));
    fresh.SetCreated(CreatedText(platform::Now()));
    ScanControl control;
    if (io.progress) {
        control.progress = [&io](const char* text, bool) { io.progress(text); };
    }
    FolderRecord* scanned = ScanReport(&fresh, path, control);
    if (io.progress) {
        io.progress("");
    }
    if (scanned == nullptr) {
        return FileError(io, "scan of '" + std::string(path) + "' failed");
    }
    DifferenceNode* root = Compare(folder, scanned);
    if (root == nullptr) {
        return FileError(io, "out of memory comparing '" + std::string(path) + "'");
    }
    Printer out(io.out);
    const char* since = ReadText(root, DRM);
    std::string change;
    FormatDifference(root, &change);
    out << ReadText(root, ALC) << "\n"
        << "Since " << (since != nullptr ? since : "") << " : " << change << "\n";
    if (args.tree) {
        PrintDifferenceTree(root, out);
    } else {
        std::vector<DifferenceRow> rows = BuildDifferenceRows(root);
        SortDifferenceRows(&rows, args.sortMode);
        for (const DifferenceRow& row : rows) {
            out << DifferenceCell(row, 0) << "\t" << DifferenceCell(row, 1) << "\t" << DifferenceCell(row, 2) << "\t"
                << DifferenceCell(row, 3) << "\n";
        }
    }
    DeleteNode(root);
    return EndOfCommand(out, incomplete, args.report, io);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const CliIo& io) {
    if (args.empty()) {
        return UsageError(io, "no command given");
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h") {
        return PrintAll(io, kUsage);
    }
    if (command == "--version") {
        return PrintAll(io, std::string("quarvex-cli ") + kVersion + "\n");
    }
    if (command == "scan") {
        return RunScan(args, io);
    }
    if (command == "show") {
        return RunShow(args, io);
    }
    if (command == "info") {
        return RunInfo(args, io);
    }
    if (command == "diff") {
        return RunDiff(args, io);
    }
    if (command == "files") {
        return RunFiles(args, io);
    }
    if (command == "list" || command == "temp") {
        const UsageErrorFn usageError = [&io](const std::string& problem) { return UsageError(io, problem); };
        return command == "list" ? RunList(args, io, usageError) : RunTemp(args, io, usageError);
    }
    return UsageError(io, "unknown command '" + command + "'");
}

}  // namespace qv::cli
