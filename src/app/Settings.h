// The program settings: the "options" document kept in settings.dat beside the executable, its
// defaults, loading with a clean fall-back, saving, single values by key, and applying the
// document to the presentation options. Portable: the Windows dialog lives in SettingsDialog.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "attr/AttrTree.h"
#include "platform/SystemFolders.h"
#include "view/ItemTitle.h"

namespace qv {

constexpr const char* kSettingsVersion = "0.0.1";
constexpr const char* kSettingsFileName = "settings.dat";
// A settings file larger than this is not read (the real one is a few kilobytes).
constexpr std::int64_t kMaxSettingsFileBytes = 16 << 20;
// Deeper nesting than this is refused before parsing (the real document is three levels deep).
constexpr int kMaxSettingsDepth = 64;

// A folder the user should not empty as a temporary folder: an existing folder that is a drive
// root (shorter than 4 characters), on a network drive, the system or Windows folder or
// "C:\Program Files", inside the Windows folder (unless it is the temporary folder or has "temp"
// or "desktop\" in its lower-cased path), or outside it with the system attribute.
bool IsProtectedFolder(const std::string& path, const SystemFolders& folders);

// The default list of temporary folders: the temporary folder unless protected, then the
// Windows folder's "Temporary Internet Files" when it exists.
std::vector<std::string> DefaultTemporaryFolders(const SystemFolders& folders);

// Where the settings live and what the defaults are built from. Tests point `file` into a
// scratch folder.
struct SettingsLocation {
    std::string file;           // the settings file
    std::string programFolder;  // base of the default filter file and of relative filter paths
    SystemFolders folders;

    // settings.dat in the folder of the running executable, with the running system's folders.
    static SettingsLocation ForProgram();
};

// Builds the default document: root "options" (desc "0.0.1") with "common", "tree",
// "showfolder" and "temporary". The caller owns the result (DeleteNode).
AttrNode* BuildDefaultSettings(const SettingsLocation& location);

// What one application of the settings did. The report window decides from the change flags
// what to redraw; the shell switches tool tips and the browser's delete mode.
struct AppliedSettings {
    bool titleFlagsChanged = false;
    bool sizeThresholdChanged = false;
    bool ageChanged = false;
    bool toolTips = false;
    bool destroyPermanently = false;

    bool CriterionChanged() const { return sizeThresholdChanged || ageChanged; }
};

// Owns the one live settings document. Loading never fails: an unreadable, truncated or
// foreign file gives the defaults, which are written back at once. Applying copies the values
// into the bound TreeViewOptions and then calls the apply hook.
class Settings {
  public:
    explicit Settings(SettingsLocation location = SettingsLocation::ForProgram());
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // The presentation options that applying fills; may be null (then only the hook learns).
    void BindViewOptions(TreeViewOptions* options) { m_view = options; }
    void SetApplyHook(std::function<void(const AppliedSettings&)> hook) { m_hook = std::move(hook); }

    // Reads the file, or builds and saves the defaults; adds "common:destroy" when missing;
    // applies. True when the file was read, false when the defaults replaced it.
    bool Load();
    // Adopts `document` when it is another one (the old one is deleted), then applies it.
    AppliedSettings Apply(AttrNode* document);
    AppliedSettings Apply() { return Apply(m_document); }
    // Writes the document (XML form, no stylesheet, empty values kept) through the platform's
    // safe replace. False without a document or when the file cannot be written.
    bool Save() const;

    // First value (val) or second value (val2) of a key such as "common:cluster", as 32 bits;
    // 0 when the key is missing.
    std::int32_t GetValue(const char* key, bool second = false) const;
    // Changes an existing key; a missing key is not created.
    void SetValue(const char* key, std::int64_t value, bool second = false);
    // The desc of a key (the filter file of "common:filter"); empty when missing or unset.
    std::string GetText(const char* key) const;
    void SetText(const char* key, const std::string& text);

    AttrNode* Document() const { return m_document; }
    const SettingsLocation& Location() const { return m_location; }
    const AppliedSettings& Applied() const { return m_applied; }

  private:
    AttrNode* Find(const char* key) const;
    void EnsureDestroyKey();

    SettingsLocation m_location;
    AttrNode* m_document = nullptr;
    TreeViewOptions* m_view = nullptr;
    std::function<void(const AppliedSettings&)> m_hook;
    AppliedSettings m_applied;
};

// Reads a settings document from file text. Null when the text is not one whole document with
// the root "options": empty, cut short, nested deeper than kMaxSettingsDepth, or foreign.
AttrNode* ParseSettingsText(const std::string& text);

// The title flags that the "tree" keys select (a missing key leaves its bit clear).
std::uint32_t TitleFlagsFromSettings(AttrNode* document);

}  // namespace qv
