// The report window: one tree that shows every open report under the "Show folders" criterion and
// "Sort by" order, the toolbar strip above it, the tree's notifications and its context menu.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "core/Report.h"
#include "ui/CallbackRegistry.h"
#include "ui/DialogBase.h"
#include "ui/Splitter.h"
#include "ui/TreeControl.h"
#include "view/FolderSelection.h"
#include "view/win/ReportWindowHost.h"

namespace qv {

// The strip above the tree (dialog 144): eight buttons and the "Show folders" and "Sort by"
// lists. It follows the current record to enable its buttons and hands its commands to the
// report window. Lives inside its ReportWindow.
class ReportToolbar : private ui::DialogBase {
  public:
    ReportToolbar() = default;

    // Creates dialog 144 in `parent`, restyles it, fills both lists and measures it.
    bool Create(class ReportWindow* owner, ReportWindowHost* host, HWND parent);
    void SetCurrentRecord(FolderRecord* record);
    FolderRecord* CurrentRecord() const { return m_current; }
    // Enables the buttons by the current record and the number of open reports.
    void UpdateButtons();
    // Refills "Show folders" from the options and selects the entry of `mode`.
    void FillShowFolders(int mode);
    void SelectSortEntry(int mode);
    int SelectedShowEntry() const;

    HWND Window() const { return Handle(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

  private:
    bool OnInit() override;
    bool OnCommand(int id, int notification) override;
    void RunButton(int id);
    void Measure();

    ReportWindow* m_owner = nullptr;
    ReportWindowHost* m_host = nullptr;
    FolderRecord* m_current = nullptr;
    int m_width = 0;
    int m_height = 0;
};

// One per application. Owns the splitter (toolbar above, tree below), the tree control, the size
// icons and the context menu; the reports themselves belong to the host. Registered in the
// callback registry from construction to destruction, so the tree's notifications reach it.
class ReportWindow {
  public:
    ReportWindow();
    ~ReportWindow();
    ReportWindow(const ReportWindow&) = delete;
    ReportWindow& operator=(const ReportWindow&) = delete;

    // The tree's font; the module's font 4 unless one is set before Create.
    void SetTreeFont(HFONT font) { m_treeFont = font; }
    // Builds the window in `parent`; a second call only updates the host.
    bool Create(ReportWindowHost* host, HWND parent);
    void Destroy();

    // Shows a report that has just been put into the host's table, and announces its root.
    void AddReport(Report* report);
    // Takes a report's item out of the tree, then selects and announces the first top-level item.
    void RemoveReport(Report* report);
    // Shows `fresh` where `old` was (a rebuilt report keeps its place) and announces its root.
    // `old` must still be alive: its items go first.
    void ReplaceReport(Report* old, Report* fresh);
    // Tells the toolbar which record is current and updates its buttons.
    void SetCurrentRecord(FolderRecord* record);
    void SelectFirstItem();
    // Selects the record's item (when the tree shows it) without announcing it again.
    bool SelectRecord(FolderRecord* record);
    // Rebuilds one record's title and the text of its tree item.
    void RefreshTitle(FolderRecord* record);

    // "Show folders" (mode 0..3) and "Sort by" (list entry); both re-arrange the whole tree.
    void SetShowMode(int mode);
    void SetSortEntry(int entry);
    // Re-creates the tree: every title of every open report, populated under the current mode.
    void RefreshAll();
    // Reacts to applied settings: rebuilds the "Show folders" entries when the criterion changed
    // and re-populates when that matters for what is shown or when the title flags changed.
    void ApplySettings(bool titleFlagsChanged, bool thresholdChanged, bool ageChanged);

    void BusyOn();
    void BusyOff();
    // The context menu for a tree position (record or none) at screen coordinates.
    void ShowContextMenu(FolderRecord* record, int x, int y);
    void RunTreeCommand(int command, FolderRecord* record);

    HWND Window() const { return m_splitter.Window(); }
    HWND ToolbarWindow() const { return m_toolbar.Window(); }
    ReportToolbar& Toolbar() { return m_toolbar; }
    ui::TreeControl& Tree() { return m_tree; }
    int SortMode() const { return m_sortMode; }
    int ShowMode() const { return m_showMode; }
    // The tree item that shows `record`, or null when it is not shown. The items above it are
    // inserted on the way down when they are not yet.
    HTREEITEM ItemOf(FolderRecord* record);
    // Resizes the whole window (splitter with toolbar and tree).
    void Resize(int width, int height);

  private:
    static int CALLBACK CompareItems(LPARAM first, LPARAM second, LPARAM self);
    static std::intptr_t OnNotification(void* owner, int code, std::intptr_t value, std::intptr_t extra);
    std::intptr_t Answer(int code, std::intptr_t value, std::intptr_t extra);
    void OnSelection(FolderRecord* record);
    HBITMAP IconFor(int index, int* answeredIndex) const;

    TreeViewOptions ShownOptions() const;
    HTREEITEM InsertRecord(HTREEITEM parent,
                           FolderRecord* record,
                           const TreeViewOptions& options,
                           HTREEITEM after = TVI_LAST);
    HTREEITEM InsertRoot(Report* report, HTREEITEM after = TVI_LAST);
    void InsertAllRoots();
    // Inserts the shown children of `record`, whose item is `item`, unless they are in already.
    void InsertChildren(HTREEITEM item, FolderRecord* record);
    HTREEITEM FindItem(FolderRecord* record, bool insertPath);
    void ResetTree();
    void Rebuild(bool refreshTitles);
    void ApplySort();
    FolderRecord* RecordOfItem(HTREEITEM item) const;
    void SelectAndAnnounce(HTREEITEM item);
    HTREEITEM RootItemOf(FolderRecord* root) const;
    void ExpandBelow(HTREEITEM item, bool expand);
    int TrackMenu(HMENU menu, POINT screen);
    bool TitleIcons() const;
    bool IsSelected(FolderRecord* record) const;

    ReportWindowHost* m_host = nullptr;
    ui::MCSplitter m_splitter;
    ui::TreeControl m_tree;
    ReportToolbar m_toolbar;
    HFONT m_treeFont = nullptr;
    int m_sortMode = SortByName;
    HBITMAP m_icons[10] = {};
    HMENU m_menu = nullptr;
    ui::CallbackEntry m_entry;
    int m_showMode = ShowAll;
    // The tree holds a folder's children only from when its item is first opened, or an item
    // below it is wanted; until then the item shows the expand button when it has shown children.
    // Each report's sort modes since its root went in, oldest first and each once at its latest
    // use: the control's sorts keep the order of ties, so children inserted later are ordered by
    // all of them to come out as if they had been sorted in place.
    struct ShownReport {
        FolderRecord* root;
        std::vector<int> sortModes;
    };
    std::vector<ShownReport> m_shownReports;
    // The items with two children or more, with the root of their report.
    struct SortParent {
        FolderRecord* root;
        HTREEITEM item;
    };
    std::vector<SortParent> m_sortParents;
};

}  // namespace qv
