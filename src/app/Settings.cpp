// The settings document: defaults, loading with a clean fall-back, saving, values by key and
// applying the document to the presentation options.
#include "app/Settings.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "attr/AttrXml.h"
#include "platform/Platform.h"

namespace qv {

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ToLowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), AsciiLower);
    return text;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ToLowerAscii(a) == ToLowerAscii(b);
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Adds one setting node below `section`; null (and nothing created) without a section.
AttrNode* AddSetting(AttrNode* section, const char* name, std::int64_t val, std::int64_t val2 = 0) {
    if (section == nullptr) {
        return nullptr;
    }
    AttrNode* node = CreateNode(section, name);
    if (node != nullptr) {
        node->val = val;
        node->val2 = val2;
    }
    return node;
}

// The tag name as the XML reader sees it: from after '<' to the first space or '>'.
std::string TagName(const std::string& text, std::size_t open, std::size_t close) {
    std::size_t end = open + 1;
    while (end < close && text[end] != ' ') {
        ++end;
    }
    return ToLowerAscii(text.substr(open + 1, end - open - 1));
}

// True when the text holds one whole node element: its closing tag is present and no node
// lies deeper than kMaxSettingsDepth. A file cut short by a crash or a full disk fails here,
// although the tolerant reader would return part of it.
bool IsWholeDocument(const std::string& text) {
    int depth = 0;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t open = text.find('<', pos);
        if (open == std::string::npos) {
            return false;
        }
        const std::size_t close = text.find('>', open);
        if (close == std::string::npos) {
            return false;
        }
        const std::string name = TagName(text, open, close);
        if (name == "node") {
            const bool selfClosing = text[close - 1] == '/';
            if (selfClosing && depth == 0) {
                return true;
            }
            if (!selfClosing && ++depth > kMaxSettingsDepth) {
                return false;
            }
        } else if (name == "/node" && depth > 0 && --depth == 0) {
            return true;
        }
        pos = close + 1;
    }
}

// Reads the settings file when it is small enough to be ours; null when it cannot be read.
AttrNode* ReadSettingsFile(const std::string& path) {
    platform::File file = platform::File::Open(path, platform::FileAccess::Read,
                                               platform::FileDisposition::OpenExisting, platform::FileShare::ReadWrite);
    if (!file.IsOpen()) {
        return nullptr;
    }
    const std::int64_t size = file.Size();
    if (size <= 0 || size > kMaxSettingsFileBytes) {
        return nullptr;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    std::size_t total = 0;
    while (total < text.size()) {
        std::size_t got = 0;
        if (!file.Read(&text[total], text.size() - total, &got) || got == 0) {
            return nullptr;
        }
        total += got;
    }
    return ParseSettingsText(text);
}

std::int64_t AgeUnitDays(std::int64_t unit) {
    switch (unit) {
        case 1:
            return 7;
        case 2:
            return 30;
        case 3:
            return 360;
        default:
            return 1;
    }
}

}  // namespace

bool IsProtectedFolder(const std::string& path, const SystemFolders& folders) {
    if (path.empty() || !platform::DirectoryExists(path)) {
        return false;
    }
    if (path.size() < 4) {
        return true;
    }
    if (folders.isNetworkDrive != nullptr && folders.isNetworkDrive(path)) {
        return true;
    }
    if ((!folders.system.empty() && EqualsIgnoringCase(path, folders.system)) ||
        EqualsIgnoringCase(path, "C:\\Program Files") ||
        (!folders.windows.empty() && EqualsIgnoringCase(path, folders.windows))) {
        return true;
    }
    if (!folders.windows.empty() && StartsWithIgnoringCase(path, folders.windows)) {
        // Inside the Windows folder only its temporary and desktop folders may be emptied.
        const std::string lower = ToLowerAscii(path);
        const bool isTemp = EqualsIgnoringCase(path, folders.temp) || lower.find("temp") != std::string::npos;
        return !isTemp && lower.find("desktop\\") == std::string::npos;
    }
    platform::DirEntry entry;
    return platform::StatPath(path, &entry) && (entry.attributes & platform::kAttrSystem) != 0;
}

std::vector<std::string> DefaultTemporaryFolders(const SystemFolders& folders) {
    std::vector<std::string> result;
    if (!folders.temp.empty() && !IsProtectedFolder(folders.temp, folders)) {
        result.push_back(folders.temp);
    }
    if (!folders.windows.empty()) {
        const std::string internetFiles = folders.windows + "\\Temporary Internet Files";
        if (platform::DirectoryExists(internetFiles)) {
            result.push_back(internetFiles);
        }
    }
    return result;
}

SettingsLocation SettingsLocation::ForProgram() {
    SettingsLocation location;
    location.programFolder = platform::ProgramFolder();
    location.file = platform::JoinPath(location.programFolder, kSettingsFileName);
    location.folders = QuerySystemFolders();
    return location;
}

AttrNode* BuildDefaultSettings(const SettingsLocation& location) {
    AttrNode* root = CreateNode(nullptr, "options");
    if (root == nullptr) {
        return nullptr;
    }
    root->SetDesc(kSettingsVersion);

    AttrNode* common = CreateNode(root, "common");
    AddSetting(common, "tooltips", 0);
    AddSetting(common, "browse", 0);
    AddSetting(common, "cluster", 0);
    AddSetting(common, "destroy", 0);
    if (AttrNode* filter = AddSetting(common, "filter", 1)) {
        const std::string filtersFolder = platform::JoinPath(location.programFolder, "filters");
        filter->SetDesc(platform::JoinPath(filtersFolder, "summary.mcf").c_str());
    }

    AttrNode* tree = CreateNode(root, "tree");
    AddSetting(tree, "size", 1);
    AddSetting(tree, "percent", 1, 0);
    AddSetting(tree, "created", 0);
    AddSetting(tree, "access", 0);
    AddSetting(tree, "notes", 1);
    AddSetting(tree, "icon", 1);

    AttrNode* showFolder = CreateNode(root, "showfolder");
    AddSetting(showFolder, "size", 1, 1);
    AddSetting(showFolder, "last", 1, 3);

    AttrNode* temporary = CreateNode(root, "temporary");
    for (const std::string& folder : DefaultTemporaryFolders(location.folders)) {
        if (AttrNode* node = AddSetting(temporary, "folder", 0)) {
            node->SetDesc(folder.c_str());
        }
    }
    return root;
}

AttrNode* ParseSettingsText(const std::string& text) {
    if (text.empty() || static_cast<std::int64_t>(text.size()) > kMaxSettingsFileBytes || !IsWholeDocument(text)) {
        return nullptr;
    }
    AttrNode* root = ReadTreeFromMemory(text.data(), text.size());
    if (root != nullptr && (root->name == nullptr || std::string(root->name) != "options")) {
        DeleteNode(root);
        return nullptr;
    }
    return root;
}

std::uint32_t TitleFlagsFromSettings(AttrNode* document) {
    struct FlagKey {
        const char* key;
        bool second;
        std::uint32_t flag;
    };
    static constexpr FlagKey kKeys[] = {
        {"tree:size", false, TitleSize},
        {"tree:percent", false, TitlePercent},
        {"tree:percent", true, TitlePrecisePercent},
        {"tree:created", false, TitleCreated},
        {"tree:access", false, TitleAccess},
        {"tree:notes", false, TitleNotes},
        {"tree:icon", false, TitleIcon},
    };
    std::uint32_t flags = 0;
    for (const FlagKey& entry : kKeys) {
        const AttrNode* node = FindPath(document, entry.key);
        if (node != nullptr && (entry.second ? node->val2 : node->val) != 0) {
            flags |= entry.flag;
        }
    }
    return flags;
}

Settings::Settings(SettingsLocation location) : m_location(std::move(location)) {}

Settings::~Settings() {
    DeleteNode(m_document);
}

bool Settings::Load() {
    AttrNode* document = ReadSettingsFile(m_location.file);
    const bool fromFile = document != nullptr;
    if (!fromFile) {
        document = BuildDefaultSettings(m_location);
    }
    if (document != m_document) {
        DeleteNode(m_document);
        m_document = document;
    }
    if (!fromFile) {
        Save();
    }
    EnsureDestroyKey();
    Apply();
    return fromFile;
}

void Settings::EnsureDestroyKey() {
    if (m_document == nullptr || Find("common:destroy") != nullptr) {
        return;
    }
    AttrNode* common = Find("common");
    if (common == nullptr) {
        common = CreateNode(m_document, "common");
    }
    AddSetting(common, "destroy", m_applied.destroyPermanently ? 1 : 0);
}

AppliedSettings Settings::Apply(AttrNode* document) {
    if (document == nullptr) {
        return m_applied;
    }
    if (document != m_document) {
        DeleteNode(m_document);
        m_document = document;
    }
    AppliedSettings result;
    result.toolTips = GetValue("common:tooltips") != 0;
    result.destroyPermanently = GetValue("common:destroy") != 0;
    if (m_view != nullptr) {
        const std::uint32_t flags = TitleFlagsFromSettings(m_document);
        result.titleFlagsChanged = flags != m_view->titleFlags;
        m_view->titleFlags = flags;

        // A missing key or a number that is not positive leaves the value in force.
        const std::int64_t sizeNumber = GetValue("showfolder:size");
        if (sizeNumber > 0) {
            const std::int64_t kilobytes = sizeNumber * (GetValue("showfolder:size", true) == 1 ? 1024 : 1);
            const std::int64_t bytes = kilobytes * 1024;
            result.sizeThresholdChanged = bytes != m_view->sizeThreshold;
            m_view->sizeThreshold = bytes;
        }
        const std::int64_t ageNumber = GetValue("showfolder:last");
        if (ageNumber > 0) {
            const std::int64_t days =
                std::min<std::int64_t>(ageNumber * AgeUnitDays(GetValue("showfolder:last", true)), INT32_MAX);
            result.ageChanged = days != m_view->age;
            m_view->age = static_cast<std::int32_t>(days);
            m_view->UpdateAccessCutoff();
        }
    }
    m_applied = result;
    if (m_hook) {
        m_hook(result);
    }
    return result;
}

bool Settings::Save() const {
    if (m_document == nullptr) {
        return false;
    }
    return platform::ReplaceFileSafely(
        m_location.file, [this](platform::File& file) { return WriteTree(m_document, &file, false, nullptr); });
}

AttrNode* Settings::Find(const char* key) const {
    return m_document != nullptr ? FindPath(m_document, key) : nullptr;
}

std::int32_t Settings::GetValue(const char* key, bool second) const {
    const AttrNode* node = Find(key);
    if (node == nullptr) {
        return 0;
    }
    return static_cast<std::int32_t>(second ? node->val2 : node->val);
}

void Settings::SetValue(const char* key, std::int64_t value, bool second) {
    if (AttrNode* node = Find(key)) {
        (second ? node->val2 : node->val) = value;
    }
}

std::string Settings::GetText(const char* key) const {
    const AttrNode* node = Find(key);
    return node != nullptr && node->desc != nullptr ? node->desc : "";
}

void Settings::SetText(const char* key, const std::string& text) {
    if (AttrNode* node = Find(key)) {
        node->SetDesc(text.c_str());
    }
}

}  // namespace qv
