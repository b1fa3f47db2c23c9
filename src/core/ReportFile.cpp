// Saving and opening report files: the compact saved tree, its XML text through the attribute
// layer, and the rebuild of an opened file into folder records.
#include "core/ReportFile.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "attr/AttrXml.h"
#include "core/Scanner.h"

namespace qv {

namespace {

constexpr const char* kTopName = "report";
constexpr const char* kFiltersName = "?filters?";
constexpr const char* kDriveName = "?drive?";
// A folder's read-error marks (ERR) as a decimal text; readers that do not know it skip it.
constexpr const char* kErrorName = "error";
constexpr const char* kStylesheet = "report.xsl";
constexpr const char* kOldVersion = "0.0.3";
constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::size_t kMaxRebuiltPath = 32767;
constexpr std::size_t kPathBudgetBase = std::size_t{256} << 20;

// Arithmetic on figures that may come from a damaged file: wraps instead of overflowing.
std::int64_t WrapAdd(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
std::int64_t WrapSub(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}
std::int64_t WrapMul(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}

void SetError(ReportFileError* out, ReportFileError error) {
    if (out != nullptr) {
        *out = error;
    }
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// A folder's name as saved: a top-level folder (a scan root such as "C:\\") loses its trailing
// separators, except that a name of separators keeps one (the POSIX root "/"). Other folders
// keep their names whole: below the root a name ending in '\\' is a real POSIX file name.
std::string SavedName(const char* desc, bool topLevel) {
    std::string name = desc != nullptr ? desc : "";
    const bool posixPath = !name.empty() && name[0] == '/';
    while (topLevel && name.size() > 1 && (posixPath ? name.back() == '/' : IsSeparator(name.back()))) {
        name.pop_back();
    }
    return name;
}

// Names of the six per-filter keys of every filter of a set, by position.
std::vector<std::array<std::string, 6>> PerFilterKeys(const FilterSet& filters) {
    static const char* const kCodes[6] = {kFilterFiles,       kFilterSize,       kFilterAllocated,
                                          kFilterDirectFiles, kFilterDirectSize, kFilterDirectAllocated};
    std::vector<std::array<std::string, 6>> keys;
    FilterInfo info;
    for (int position = 1; filters.GetFilterAt(position, &info); ++position) {
        auto& filter = keys.emplace_back();
        for (int code = 0; code < 6; ++code) {
            filter[code] = FilterKey(kCodes[code], info.name);
        }
    }
    return keys;
}

// ---------------------------------------------------------------------------------------------
// Saving.

// Builds the saved tree of `report`; the caller deletes it.
class SaveTreeBuilder {
  public:
    explicit SaveTreeBuilder(Report* report) : m_report(report), m_keys(PerFilterKeys(report->Filters())) {
        FilterInfo info;
        const FilterSet& filters = report->Filters();
        for (int position = 1; filters.Enabled() && filters.GetFilterAt(position, &info); ++position) {
            if (info.enabled) {
                m_savedPositions.push_back(position);
            }
        }
    }

    AttrNode* Build();

  private:
    void AddMarkers(AttrNode* top);
    AttrNode* CopyFolder(FolderRecord* record, AttrNode* parent);
    void AddFilterText(FolderRecord* record, AttrNode* copy, int position);

    Report* m_report;
    std::vector<std::array<std::string, 6>> m_keys;
    std::vector<int> m_savedPositions;  // enabled filters of an enabled set
};

void SaveTreeBuilder::AddMarkers(AttrNode* top) {
    const FilterSet& filters = m_report->Filters();
    if (filters.Enabled() && filters.Count() > 0) {
        AttrNode* marker = CreateNode(top, kFiltersName);
        FilterInfo info;
        for (int position : m_savedPositions) {
            if (marker != nullptr && filters.GetFilterAt(position, &info)) {
                AttrNode* child = CreateNode(marker, info.name.c_str());
                if (child != nullptr) {
                    child->SetDesc(info.masks.c_str());
                    child->group = position;
                    child->kind = info.temporary ? 1 : 0;
                }
            }
        }
    }
    AttrNode* drive = CreateNode(top, kDriveName);
    if (drive != nullptr) {
        const ClusterPolicy fallback;
        const ClusterPolicy* policy = m_report->Policy() != nullptr ? m_report->Policy() : &fallback;
        char text[ClusterPolicy::kMaxText];
        if (policy->Format(text, nullptr)) {
            drive->SetDesc(text);
        }
    }
}

void SaveTreeBuilder::AddFilterText(FolderRecord* record, AttrNode* copy, int position) {
    const auto& keys = m_keys[static_cast<std::size_t>(position - 1)];
    const std::int64_t n1 = ReadStat(record, keys[0].c_str());
    if (n1 == 0) {
        return;
    }
    const std::int64_t s2 = ReadStat(record, keys[1].c_str());
    const std::int64_t a3 = ReadStat(record, keys[2].c_str());
    const std::int64_t n4 = ReadStat(record, keys[3].c_str());
    char text[6 * 21 + 8];
    if (n4 == 0) {
        std::snprintf(text, sizeof text, "%" PRId64 ";%" PRId64 ";%" PRId64, n1, s2, WrapSub(a3, s2));
    } else if (n4 == n1) {
        std::snprintf(text, sizeof text, "%" PRId64 ";%" PRId64 ";%" PRId64 ";%" PRId64, n1, s2, WrapSub(a3, s2), n4);
    } else {
        const std::int64_t s5 = ReadStat(record, keys[4].c_str());
        const std::int64_t a6 = ReadStat(record, keys[5].c_str());
        std::snprintf(text, sizeof text, "%" PRId64 ";%" PRId64 ";%" PRId64 ";%" PRId64 ";%" PRId64 ";%" PRId64, n1, s2,
                      WrapSub(a3, s2), n4, s5, WrapSub(a6, s5));
    }
    copy->attrs.Set(std::to_string(position).c_str(), AttrValue(text), false);
}

AttrNode* SaveTreeBuilder::CopyFolder(FolderRecord* record, AttrNode* parent) {
    AttrNode* copy = CreateNode(
        parent, SavedName(record->desc != nullptr ? record->desc : record->name, record->parent == nullptr).c_str());
    if (copy == nullptr) {
        return nullptr;
    }
    const std::int64_t allocated = ReadStat(record, NFA);
    copy->kind = record->kind;
    copy->group = record->group;
    copy->val = allocated;
    for (int position : m_savedPositions) {
        AddFilterText(record, copy, position);
    }
    char info[5 * 21 + 8];
    std::snprintf(info, sizeof info, "%" PRId64 ";%" PRId64 ";%" PRId64 ";%" PRId64 ";%" PRId64, ReadStat(record, LFN),
                  WrapSub(allocated, ReadStat(record, MFS)), ReadStat(record, OFN),
                  ReadStat(record, BTM) / kTicksPerSecond, ReadStat(record, ELT) / kTicksPerSecond);
    copy->attrs.Set("info", AttrValue(info), false);
    // The XML layer writes '<' and '>' of texts as "&#60;" and "&#62;" itself.
    if (const char* text = ReadText(record, notes)) {
        copy->attrs.Set(notes, AttrValue(text), false);
    }
    if (record == m_report->Root()) {
        copy->attrs.Set("date", AttrValue(ReadText(record, DRM)), false);
    }
    if (const std::int64_t marks = ReadStat(record, ERR); marks != 0) {
        copy->attrs.Set(kErrorName, AttrValue(std::to_string(marks).c_str()), false);
    }
    return copy;
}

AttrNode* SaveTreeBuilder::Build() {
    m_report->SetVersion(kReportVersion);
    AttrNode* top = CreateNode(nullptr, kTopName);
    if (top == nullptr) {
        return nullptr;
    }
    top->SetDesc(kReportVersion);
    AddMarkers(top);
    // Depth first, each folder's children after the folder, with an explicit stack.
    std::vector<std::pair<FolderRecord*, AttrNode*>> stack;  // record, parent of its copy
    for (FolderRecord* root = m_report->Root(); root != nullptr; root = root->nextSibling) {
        stack.emplace_back(root, top);
        while (!stack.empty()) {
            auto [record, parent] = stack.back();
            stack.pop_back();
            AttrNode* copy = CopyFolder(record, parent);
            if (copy == nullptr) {
                DeleteNode(top);
                return nullptr;
            }
            for (FolderRecord* child = record->lastChild; child != nullptr; child = child->prevSibling) {
                stack.emplace_back(child, copy);
            }
        }
    }
    return top;
}

bool WriteReportFile(const AttrNode* top, const std::string& path, ReportFileError* error) {
    platform::SaveError failure = platform::SaveError::None;
    if (platform::ReplaceFileSafely(
            path, [top](platform::File& file) { return WriteTree(top, &file, true, kStylesheet); }, &failure)) {
        return true;
    }
    switch (failure) {
        case platform::SaveError::NotRegular:
            SetError(error, ReportFileError::NotRegular);
            break;
        case platform::SaveError::CannotCreate:
            SetError(error, ReportFileError::CannotOpen);
            break;
        default:
            SetError(error, ReportFileError::WriteFailed);
            break;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Opening.

// Up to six numbers separated by ';', read like sscanf with "%I64d;%I64d;...": reading stops at
// the first field that is not a number. Returns how many were read.
int ParseNumbers(const char* text, std::int64_t out[6]) {
    int count = 0;
    const char* cursor = text;
    while (cursor != nullptr && count < 6) {
        char* end = nullptr;
        const long long value = std::strtoll(cursor, &end, 10);
        if (end == cursor) {
            break;
        }
        out[count++] = value;
        if (*end != ';') {
            break;
        }
        cursor = end + 1;
    }
    return count;
}

void DeleteTopLevel(FolderRecord* root) {
    while (root != nullptr) {
        FolderRecord* next = root->nextSibling;
        root->nextSibling = nullptr;
        if (next != nullptr) {
            next->prevSibling = nullptr;
        }
        DeleteNode(root);
        root = next;
    }
}

// The separator of rebuilt paths, from the root's name (see the header).
char SeparatorFor(const char* rootName) {
    const std::string name = rootName != nullptr ? rootName : "";
    // A POSIX path first: there a backslash is an ordinary character of a name.
    if (!name.empty() && name[0] == '/') {
        return '/';
    }
    if ((name.size() > 1 && name[1] == ':') || name.find('\\') != std::string::npos) {
        return '\\';
    }
    return platform::kPathSeparator;
}

class TreeRebuilder {
  public:
    TreeRebuilder(Report* report, bool oldVersion, std::size_t inputLength)
        : m_report(report),
          m_oldVersion(oldVersion),
          m_keys(PerFilterKeys(report->Filters())),
          m_pathBudget(kPathBudgetBase + 16 * inputLength) {
        FilterInfo info;
        for (int position = 1; report->Filters().GetFilterAt(position, &info); ++position) {
            m_temporary.push_back(info.temporary);
        }
        m_seenStamp.assign(m_keys.size(), 0);
    }

    // Rebuilds `first` and its following siblings with their sub-trees; the first rebuilt
    // folder, or null when a record cannot be created.
    FolderRecord* Run(AttrNode* first);

  private:
    FolderRecord* RebuildOne(AttrNode* saved, FolderRecord* parent);
    bool ApplyFilterTexts(AttrNode* saved, FolderRecord* record);
    void ApplyInfo(AttrNode* saved, FolderRecord* record);
    void SetPath(FolderRecord* record, FolderRecord* parent);

    Report* m_report;
    bool m_oldVersion;
    std::vector<std::array<std::string, 6>> m_keys;
    std::vector<bool> m_temporary;
    std::vector<std::uint32_t> m_seenStamp;  // per position: the folder that last used it
    std::uint32_t m_folderStamp = 0;
    std::size_t m_pathBudget;
    char m_separator = platform::kPathSeparator;
    bool m_first = true;
    FolderRecord* m_lastRebuilt[2] = {};  // the last folder and the last files item rebuilt
};

bool TreeRebuilder::ApplyFilterTexts(AttrNode* saved, FolderRecord* record) {
    // Positions are read from the folder's own attributes, so a file with many filters costs
    // no more than the attributes it holds; the first attribute of a position counts.
    ++m_folderStamp;
    bool temporary = false;
    for (std::size_t a = 0; a < saved->attrs.Count(); ++a) {
        const AttrEntry entry = saved->attrs.Entry(a);
        const char* name = entry.Name();
        if (name == nullptr || *name < '1' || *name > '9' || std::strlen(name) > 9 ||
            std::strspn(name, "0123456789") != std::strlen(name)) {
            continue;
        }
        const std::size_t position = std::strtoul(name, nullptr, 10);
        if (position > m_keys.size() || m_seenStamp[position - 1] == m_folderStamp) {
            continue;
        }
        m_seenStamp[position - 1] = m_folderStamp;
        temporary = temporary || m_temporary[position - 1];
        std::int64_t n[6] = {};
        const int count = ParseNumbers(entry.value.AsText(), n);
        if (count < 1 || n[0] <= 0) {
            continue;
        }
        const auto& keys = m_keys[position - 1];
        const std::int64_t s2 = count >= 2 ? n[1] : 0;
        const std::int64_t a3 = WrapAdd(s2, count >= 3 ? n[2] : 0);
        record->attrs.Set(keys[0].c_str(), AttrValue(n[0]), false);
        record->attrs.Set(keys[1].c_str(), AttrValue(s2), false);
        record->attrs.Set(keys[2].c_str(), AttrValue(a3), false);
        if (count >= 4 && n[3] > 0) {
            const bool allDirect = n[3] == n[0];
            const std::int64_t s5 = allDirect ? s2 : (count >= 5 ? n[4] : 0);
            const std::int64_t a6 = allDirect ? a3 : WrapAdd(s5, count >= 6 ? n[5] : 0);
            record->attrs.Set(keys[3].c_str(), AttrValue(n[3]), false);
            record->attrs.Set(keys[4].c_str(), AttrValue(s5), false);
            record->attrs.Set(keys[5].c_str(), AttrValue(a6), false);
        }
    }
    return temporary;
}

void TreeRebuilder::SetPath(FolderRecord* record, FolderRecord* parent) {
    std::string path;
    if (record->group == 1 && parent != nullptr) {
        const char* parentPath = ReadText(parent, ALC);
        if (parentPath == nullptr) {
            return;
        }
        path = parentPath;
    } else if (parent == nullptr) {
        path = record->name != nullptr ? record->name : "";
        if (path.size() > 1 && path[1] == ':') {
            path += '\\';
        }
    } else {
        const char* parentPath = ReadText(parent, ALC);
        if (parentPath == nullptr) {
            return;  // the parent's path was too long to keep, and so is this one
        }
        path = parentPath;
        const bool endsInSeparator =
            !path.empty() && (m_separator == '/' ? path.back() == '/' : IsSeparator(path.back()));
        if (!path.empty() && !endsInSeparator) {
            path += m_separator;
        }
        path += record->name != nullptr ? record->name : "";
    }
    if (path.size() > kMaxRebuiltPath || path.size() > m_pathBudget) {
        return;
    }
    m_pathBudget -= path.size();
    record->attrs.Set(ALC, AttrValue(path.c_str()), false);
}

void TreeRebuilder::ApplyInfo(AttrNode* saved, FolderRecord* record) {
    const AttrView info = saved->attrs.Get("info");
    std::int64_t n[6] = {};
    const int count = info.Type() == 's' || info.Type() == 'f' ? ParseNumbers(info.AsText(), n) : 0;
    if (m_oldVersion) {
        static const char* const kOldKeys[6] = {LFN, MFS, NFA, OFN, BTM, ELT};
        for (int i = 0; i < count; ++i) {
            WriteStat(record, kOldKeys[i], n[i], false);
        }
        return;
    }
    const std::int64_t allocated = saved->val;
    if (count >= 1) {
        WriteStat(record, LFN, n[0], false);
    }
    if (count >= 2) {
        WriteStat(record, MFS, WrapSub(allocated, n[1]), false);
    }
    if (count >= 3) {
        WriteStat(record, OFN, n[2], false);
    }
    if (count >= 4) {
        WriteStat(record, BTM, WrapMul(n[3], kTicksPerSecond), false);
    }
    if (count >= 5) {
        WriteStat(record, ELT, WrapMul(n[4], kTicksPerSecond), false);
    }
    WriteStat(record, NFA, allocated, false);
}

FolderRecord* TreeRebuilder::RebuildOne(AttrNode* saved, FolderRecord* parent) {
    FolderRecord* record = CreateNode(parent, saved->name);
    if (record == nullptr) {
        return nullptr;
    }
    record->SetDesc(saved->name);
    record->kind = saved->kind;
    record->group = saved->group;
    // Ten fixed keys and six per filter with hits; a saved folder has one attribute per such
    // filter besides "info", "notes" and "date".
    // Folders rebuilt one after another mostly carry the same names: they share one table.
    FolderRecord*& model = m_lastRebuilt[record->group == 1 ? 1 : 0];
    if (model == nullptr || !record->attrs.ShareNamesWith(model->attrs)) {
        record->attrs.Reserve(10 + 6 * std::min(m_keys.size(), saved->attrs.Count()));
    }
    model = record;
    const bool temporary = ApplyFilterTexts(saved, record);
    record->attrs.Set(FCA, AttrValue(std::int32_t{temporary ? 1 : 0}), false);
    SetPath(record, parent);
    ApplyInfo(saved, record);
    if (const char* text = saved->attrs.Get(notes).AsText()) {
        record->attrs.Set(notes, AttrValue(text), false);
    }
    if (const std::int32_t marks = saved->attrs.Get(kErrorName).AsLenientInt() & (kErrorHere | kErrorBelow)) {
        record->attrs.Set(ERR, AttrValue(marks), false);
    }
    if (m_first) {
        const char* date = saved->attrs.Get("date").AsText();
        m_report->SetCreated(date != nullptr ? date : "");
        record->attrs.Set(DRM, date != nullptr ? CreatedValue(m_report) : AttrValue(static_cast<const char*>(nullptr)),
                          false);
        m_first = false;
    } else {
        record->attrs.Set(DRM, CreatedValue(m_report), false);
    }
    return record;
}

FolderRecord* TreeRebuilder::Run(AttrNode* first) {
    m_separator = SeparatorFor(first->name);
    FolderRecord* root = nullptr;
    FolderRecord* lastTop = nullptr;
    std::vector<std::pair<AttrNode*, FolderRecord*>> stack;  // saved node, new parent
    for (AttrNode* top = first; top != nullptr; top = top->nextSibling) {
        stack.emplace_back(top, nullptr);
        while (!stack.empty()) {
            auto [saved, parent] = stack.back();
            stack.pop_back();
            FolderRecord* record = RebuildOne(saved, parent);
            if (record == nullptr) {
                DeleteTopLevel(root);
                return nullptr;
            }
            if (parent == nullptr) {
                // Further top-level folders stand beside the root, as the report expects.
                if (lastTop != nullptr) {
                    lastTop->nextSibling = record;
                    record->prevSibling = lastTop;
                } else {
                    root = record;
                }
                lastTop = record;
            }
            for (AttrNode* child = saved->lastChild; child != nullptr; child = child->prevSibling) {
                stack.emplace_back(child, record);
            }
        }
    }
    return root;
}

void LoadFilters(Report* report, AttrNode* marker) {
    FilterSet& filters = report->Filters();
    filters.Clear();
    filters.SetEditing(true);
    for (AttrNode* child = marker->firstChild; child != nullptr; child = child->nextSibling) {
        FilterInfo info;
        info.id = child->group;
        info.name = child->name != nullptr ? child->name : "";
        info.masks = child->desc != nullptr ? child->desc : "";
        info.temporary = child->kind != 0;
        filters.AddFilter(info);  // a refused filter is skipped
    }
    filters.SetEditing(false);
    filters.SetEnabled(true);
}

// Builds the report from a read tree; the caller deletes `top`.
bool RebuildReport(Report* report,
                   AttrNode* top,
                   std::size_t inputLength,
                   const TitleComposer& titles,
                   ReportFileError* error) {
    if (top->desc != nullptr) {
        report->SetVersion(top->desc);
    }
    AttrNode* filtersMarker = FindByName(top, kFiltersName, 0xF0);
    if (filtersMarker != nullptr) {
        LoadFilters(report, filtersMarker);
    }
    report->SetPolicy(std::make_unique<ClusterPolicy>());
    AttrNode* driveMarker = FindByName(top, kDriveName, 0xF0);
    if (driveMarker != nullptr) {
        report->Policy()->Parse(driveMarker->desc);
    }
    AttrNode* first = top;
    if (driveMarker != nullptr) {
        first = driveMarker->nextSibling;
    } else if (filtersMarker != nullptr) {
        first = filtersMarker->nextSibling;
    }
    if (first == nullptr) {
        SetError(error, ReportFileError::NoFolders);
        return false;
    }
    TreeRebuilder rebuilder(report, report->Version() == kOldVersion, inputLength);
    FolderRecord* root = rebuilder.Run(first);
    if (root == nullptr) {
        SetError(error, ReportFileError::NoFolders);
        return false;
    }
    ScanControl control;
    control.titles = titles;
    for (FolderRecord* top = root; top != nullptr; top = top->nextSibling) {
        FinishTree(report, top, control);
    }
    report->SetRoot(root);
    if (driveMarker == nullptr) {
        report->Policy()->Compute(root->desc != nullptr ? root->desc : "", 0);
    }
    return true;
}

// The keys of a rebuilt report, interned before any report file is read: the names a file
// brings cannot then take their place in the shared name table.
void InternReportKeys() {
    static const bool interned = [] {
        for (const char* key : {ALC, LFN, MFS, NFA, OFN, ELT, BTM, FCA, DRM, CRP, notes, "info", "date"}) {
            InternAttrName(key);
        }
        return true;
    }();
    (void)interned;
}

bool OpenFromTree(Report* report,
                  AttrNode* top,
                  ReadEnd end,
                  std::size_t inputLength,
                  const TitleComposer& titles,
                  ReportFileError* error) {
    if (top == nullptr) {
        SetError(error, end == ReadEnd::TooManyNames ? ReportFileError::TooManyNames : ReportFileError::NothingRead);
        return false;
    }
    const bool opened = RebuildReport(report, top, inputLength, titles, error);
    DeleteTopLevel(top);
    if (opened && end != ReadEnd::Complete) {
        SetError(error, ReportFileError::Incomplete);
    }
    return opened;
}

}  // namespace

bool SaveReport(Report* report, const std::string& path, ReportFileError* error) {
    SetError(error, ReportFileError::None);
    if (report == nullptr || path.empty()) {
        SetError(error, ReportFileError::MissingPath);
        return false;
    }
    AttrNode* top = SaveTreeBuilder(report).Build();
    if (top == nullptr) {
        SetError(error, ReportFileError::WriteFailed);
        return false;
    }
    const bool saved = WriteReportFile(top, path, error);
    DeleteNode(top);
    return saved;
}

bool OpenReport(Report* report,
                const std::string& path,
                const TitleComposer& titles,
                ReportFileError* error,
                ReportAccess access) {
    SetError(error, ReportFileError::None);
    if (report == nullptr || path.empty()) {
        SetError(error, ReportFileError::MissingPath);
        return false;
    }
    InternReportKeys();
    platform::File file = platform::File::Open(
        path, access == ReportAccess::ReadOnly ? platform::FileAccess::Read : platform::FileAccess::ReadWrite,
        platform::FileDisposition::OpenExisting, platform::FileShare::Read);
    if (!file.IsOpen()) {
        SetError(error, ReportFileError::CannotOpen);
        return false;
    }
    report->SetVersion(kReportVersion);
    const std::int64_t size = file.Size();
    ReadEnd end = ReadEnd::Incomplete;
    AttrNode* top = ReadTree(&file, &end);
    file.Close();
    return OpenFromTree(report, top, end, size > 0 ? static_cast<std::size_t>(size) : 0, titles, error);
}

bool OpenReportFromMemory(Report* report,
                          const char* text,
                          std::size_t length,
                          const TitleComposer& titles,
                          ReportFileError* error) {
    SetError(error, ReportFileError::None);
    if (report == nullptr) {
        SetError(error, ReportFileError::MissingPath);
        return false;
    }
    InternReportKeys();
    report->SetVersion(kReportVersion);
    ReadEnd end = ReadEnd::Incomplete;
    AttrNode* top = text != nullptr && length > 0 ? ReadTreeFromMemory(text, length, &end) : nullptr;
    return OpenFromTree(report, top, end, length, titles, error);
}

std::string ReportFileErrorText(ReportFileError error, const std::string& path) {
    const char* format = kReportReadErrorFormat;
    switch (error) {
        case ReportFileError::None:
            return {};
        case ReportFileError::MissingPath:
            return "no report file given";
        case ReportFileError::CannotOpen:
            return "cannot open '" + path + "'";
        case ReportFileError::NothingRead:
            return "'" + path + "' holds no report";
        case ReportFileError::NotRegular:
            return "'" + path + "' is not a regular file";
        case ReportFileError::WriteFailed:
            return "cannot write '" + path + "'";
        case ReportFileError::Incomplete:
            format = kReportIncompleteFormat;
            break;
        case ReportFileError::NoFolders:
        case ReportFileError::TooManyNames:
            break;
    }
    // The path goes in whole, however long.
    std::string message = format;
    const std::size_t slot = message.find("%s");
    return slot != std::string::npos ? message.replace(slot, 2, path) : message;
}

}  // namespace qv
