// The whole program in this process, driven through its windows' messages and the seams of the
// message box and the shell's dialogs: start-up, reports created, shown, sorted, saved, closed,
// reopened, rebuilt, the five-report limit, drops, menu states, tools and shutdown.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "resource.h"
#include "TestUtil.h"
#include "ui/UiTestUtil.h"
#include "app/CommandIds.h"
#include "ui/DropTarget.h"
#include "ui/MessageBox.h"
#include "app/win/QuarvexApp.h"
#include "app/win/SettingsDialog.h"
#include "shell/win/ShellSeam.h"
#include "core/ReportFile.h"

namespace qv {
namespace {

int CountRecords(FolderRecord* node) {
    int count = 1;
    for (FolderRecord* child = node->firstChild; child != nullptr; child = child->nextSibling) {
        count += CountRecords(child);
    }
    return count;
}

// The figures of every folder by its path, to compare a report with its reopened copy.
using Figures = std::map<std::string, std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t>>;

void CollectFigures(FolderRecord* node, Figures* out) {
    // An opened report's root path ends in a backslash; a scanned one's does not.
    std::string path = ReadText(node, ALC) != nullptr ? ReadText(node, ALC) : "?";
    if (path.size() > 3 && path.back() == '\\') {
        path.pop_back();
    }
    (*out)[path + (node->group > 0 ? " files" : "")] =
        std::make_tuple(ReadStat(node, LFN), ReadStat(node, MFS), ReadStat(node, NFA), ReadStat(node, OFN));
    for (FolderRecord* child = node->firstChild; child != nullptr; child = child->nextSibling) {
        CollectFigures(child, out);
    }
}

Figures FiguresOf(Report* report) {
    Figures figures;
    if (report != nullptr && report->Root() != nullptr) {
        CollectFigures(report->Root(), &figures);
    }
    return figures;
}

HWND ButtonLabelled(HWND box, const char* label) {
    HWND child = nullptr;
    while ((child = FindWindowExA(box, child, "Button", nullptr)) != nullptr) {
        char text[64] = {};
        GetWindowTextA(child, text, sizeof(text));
        if (std::strcmp(text, label) == 0) {
            return child;
        }
    }
    return nullptr;
}

// Presses a button of a real message box (one no test asked for) so no test waits for a person:
// "No" for the second-copy question (another program's window may carry the title), otherwise
// the last button, which is "Cancel", "No" or the only "OK".
void AnswerUnexpectedBox(HWND box, void* context) {
    char caption[128] = {};
    GetWindowTextA(box, caption, sizeof(caption));
    auto* unexpected = static_cast<std::vector<std::string>*>(context);
    const bool secondCopy = std::strcmp(caption, kSecondCopyCaption) == 0;
    if (!secondCopy) {
        unexpected->push_back(caption);
    }
    for (const char* label : {"No", "Cancel", "OK"}) {
        if (HWND button = ButtonLabelled(box, label)) {
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
            return;
        }
    }
}

struct ToolCall {
    int command = 0;
    std::string start;
};

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::message_seam::Begin();
        ui::message_seam::SetObserver(&AnswerUnexpectedBox, &m_unexpectedBoxes);
        shell::Seam::Get().Reset();
        shell::Seam::Get().InterceptExecute(true);
        m_data.WriteFile("alpha/a.txt", 10);
        m_data.WriteFile("alpha/b.tmp", 5000);
        m_data.WriteFile("alpha/deep/d.bin", 200000);
        m_data.WriteFile("beta/e.exe", 70000);
        m_data.MakeDir("gamma");
        m_data.WriteFile("Zeta/z.htm", 300);
        m_data.WriteFile("root.txt", 123);
    }

    void TearDown() override {
        m_app.reset();
        test::PumpPending();
        EXPECT_TRUE(m_unexpectedBoxes.empty()) << m_unexpectedBoxes.front();
        ui::message_seam::End();
        shell::Seam::Get().Reset();
    }

    void Start(const std::string& startPath = "") { ASSERT_TRUE(TryStart(startPath)); }

    bool TryStart(const std::string& startPath = "") {
        m_app = std::make_unique<QuarvexApp>();
        m_app->SetProgramFolder(m_program.Path());
        ShellEntryPoints& entries = m_app->Shell().EntryPoints();
        entries.tool = [this](HWND, int command, const std::string& start) { m_tools.push_back({command, start}); };
        entries.filterEditor = [this](HWND, const FilterEditorRequest& request, FilterSet* result) {
            m_filterRequests.push_back(request);
            result->SetBuiltIn();
            return m_confirmFilterEditor;
        };
        return m_app->Start(GetModuleHandleA(nullptr), startPath);
    }

    // Paths inside the scratch folders in their Windows form (the relative parts use '/').
    static std::string WindowsForm(std::string path) {
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }
    std::string Program(const std::string& relative) { return WindowsForm(m_program.Sub(relative)); }
    std::string Data(const std::string& relative) { return WindowsForm(m_data.Sub(relative)); }

    MainShell& Shell() { return m_app->Shell(); }
    HWND FrameWindow() { return m_app->Frame().Window(); }
    HWND Tree() { return Shell().Reports()->Tree().Tree(); }
    void Command(int id) { SendMessageA(FrameWindow(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void Drop(const std::vector<std::string>& paths) {
        SendMessageA(FrameWindow(), WM_DROPFILES, reinterpret_cast<WPARAM>(test::MakeDrop(paths)), 0);
    }

    // Create through the menu command and the folder dialog's seam.
    void CreateThroughDialog(const std::string& folder) {
        shell::Seam::Get().QueueAnswer(shell::DialogAnswer::Choose(folder));
        Command(cmd::kCreateReport);
    }

    HTREEITEM ItemOf(FolderRecord* record) { return Shell().Reports()->ItemOf(record); }
    // The tree's items once "Expand All" has opened the whole report: folders are inserted as
    // their parents open.
    int ItemsWhenAllOpen(FolderRecord* root) {
        Shell().Reports()->RunTreeCommand(ID_TREE_EXPAND_ALL, root);
        return static_cast<int>(TreeView_GetCount(Tree()));
    }

    // Selects a record's item the way a click does: the control announces the selection.
    void SelectItem(FolderRecord* record) {
        HTREEITEM item = ItemOf(record);
        ASSERT_NE(item, nullptr);
        TreeView_SelectItem(Tree(), item);
        ASSERT_EQ(Shell().CurrentRecord(), record);
    }

    // The state bits of the &Report menu's items as they are set before it opens.
    bool MenuItemEnabled(int id) {
        HMENU report = GetSubMenu(GetMenu(FrameWindow()), 0);
        SendMessageA(FrameWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(report), MAKELPARAM(0, FALSE));
        const UINT state = GetMenuState(report, id, MF_BYCOMMAND);
        EXPECT_NE(state, static_cast<UINT>(-1)) << id;
        return (state & (MF_GRAYED | MF_DISABLED)) == 0;
    }

    std::string PanelText(int id) {
        char text[1024] = {};
        GetDlgItemTextA(Shell().Panel()->Dialog(), id, text, sizeof(text));
        return text;
    }

    // The settings document in the program folder, as the program finds it.
    SettingsLocation ProgramSettings() {
        SettingsLocation location;
        location.programFolder = m_program.Path();
        location.file = Program("settings.dat");
        location.folders = QuerySystemFolders();
        return location;
    }

    // Checks that exactly one message box was shown since the seam began, with these texts.
    static void ExpectOneMessage(const std::string& text, const std::string& caption, int type) {
        const std::vector<ui::ShownMessage> shown = ui::message_seam::Shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, text);
        EXPECT_EQ(shown[0].caption, caption);
        EXPECT_EQ(shown[0].type, type);
    }

    test::ScratchDir m_program;
    test::ScratchDir m_data;
    std::unique_ptr<QuarvexApp> m_app;
    std::vector<std::string> m_unexpectedBoxes;
    std::vector<ToolCall> m_tools;
    std::vector<FilterEditorRequest> m_filterRequests;
    bool m_confirmFilterEditor = false;
};

TEST_F(AppTest, StartUpShowsTheFrameWithItsPanesSettingsAndFilters) {
    Start();
    EXPECT_TRUE(IsWindowVisible(FrameWindow()));
    ASSERT_NE(Shell().Reports(), nullptr);
    ASSERT_NE(Shell().Panel(), nullptr);
    ASSERT_NE(Shell().Tools(), nullptr);
    EXPECT_TRUE(IsWindowVisible(Shell().Reports()->Window()));
    EXPECT_TRUE(IsWindowVisible(Shell().Tools()->Window()));
    EXPECT_EQ(Shell().ReportCount(), 0);
    EXPECT_EQ(Shell().CurrentRecord(), nullptr);

    // The info panel keeps the width it asks for, the tools panel its height.
    RECT panel = {};
    GetWindowRect(Shell().Panel()->Window(), &panel);
    EXPECT_EQ(panel.right - panel.left, Shell().Panel()->PreferredWidth());
    RECT tools = {};
    GetWindowRect(Shell().Tools()->Window(), &tools);
    EXPECT_EQ(tools.bottom - tools.top, Shell().Tools()->PreferredHeight());
    EXPECT_EQ(Shell().InnerSplitter()->Settings().fixedPane, ui::SplitPane::First);
    EXPECT_EQ(Shell().OuterSplitter()->Settings().fixedPane, ui::SplitPane::Second);

    // The defaults were written, the built-in filters are current, the folders fall back to the
    // program folder and there is nothing to quick-load.
    EXPECT_TRUE(platform::FileExists(Program("settings.dat")));
    EXPECT_EQ(Shell().CurrentFilters().Count(), 6);
    EXPECT_EQ(Shell().ReportDialogFolder(), m_program.Path());
    EXPECT_EQ(Shell().FiltersFolder(), "");
    HMENU report = GetSubMenu(GetMenu(FrameWindow()), 0);
    EXPECT_EQ(GetSubMenu(report, 3), nullptr);
    EXPECT_EQ(GetMenuItemID(report, 3), static_cast<UINT>(cmd::kQuickLoadPlain));
    EXPECT_FALSE(MenuItemEnabled(cmd::kQuickLoadPlain));
}

TEST_F(AppTest, StartUpReadsTheFilterFileResetsTheClusterSizeAndListsBothFolders) {
    // A filter file chosen in the settings, a user cluster size left from the last run, report
    // and filter files in the program's folders.
    FilterSet custom;
    custom.SetEditing(true);
    FilterInfo info;
    info.name = "Logs";
    info.masks = "*.log;";
    custom.AddFilter(info);
    custom.SetEditing(false);
    m_program.MakeDir("Filters");
    ASSERT_TRUE(custom.SaveToFile(Program("Filters/logs.mcf")));
    m_program.WriteText("Filters/readme.txt", "not a filter file");
    m_program.MakeDir("Reports");
    m_program.WriteText("Reports/one.mcr", "x");
    m_program.WriteText("Reports/two.mcr", "x");
    {
        Settings settings(ProgramSettings());
        settings.Load();
        settings.SetValue("common:filter", 0);
        settings.SetText("common:filter", Program("Filters/logs.mcf"));
        settings.SetValue("common:cluster", 4096);
        ASSERT_TRUE(settings.Save());
    }
    Start();
    ASSERT_EQ(Shell().CurrentFilters().Count(), 1);
    FilterInfo loaded;
    EXPECT_TRUE(Shell().CurrentFilters().GetFilterAt(1, &loaded));
    EXPECT_EQ(loaded.name, "Logs");
    EXPECT_EQ(Shell().SettingsDocument()->GetValue("common:cluster"), 0);
    EXPECT_EQ(Shell().ReportDialogFolder(), Program("Reports"));
    EXPECT_EQ(Shell().FiltersFolder(), Program("Filters"));

    HMENU menu = GetMenu(FrameWindow());
    HMENU quickLoad = GetSubMenu(GetSubMenu(menu, 0), 3);
    ASSERT_NE(quickLoad, nullptr);
    EXPECT_EQ(GetMenuItemCount(quickLoad), 2);
    std::vector<std::string> texts;
    for (int i = 0; i < GetMenuItemCount(quickLoad); ++i) {
        EXPECT_EQ(GetMenuItemID(quickLoad, i), static_cast<UINT>(cmd::kQuickLoadFirst + i));
        char text[128] = {};
        GetMenuStringA(quickLoad, i, text, sizeof(text), MF_BYPOSITION);
        texts.push_back(text);
        EXPECT_NE(Shell().QuickLoadFiles().PathOf(cmd::kQuickLoadFirst + i), nullptr);
    }
    std::sort(texts.begin(), texts.end());
    EXPECT_TRUE(texts == (std::vector<std::string>{"one", "two"}) ||
                texts == (std::vector<std::string>{"one.mcr", "two.mcr"}))
        << texts[0];
    HMENU settingsMenu = GetSubMenu(menu, 2);
    const int last = GetMenuItemCount(settingsMenu) - 1;
    EXPECT_EQ(last, 3);  // the placeholder went, the list came at the end
    char title[64] = {};
    GetMenuStringA(settingsMenu, last, title, sizeof(title), MF_BYPOSITION);
    EXPECT_STREQ(title, "&Load Filters");
    HMENU filters = GetSubMenu(settingsMenu, last);
    ASSERT_NE(filters, nullptr);
    ASSERT_EQ(GetMenuItemCount(filters), 1);
    EXPECT_EQ(GetMenuItemID(filters, 0), static_cast<UINT>(cmd::kLoadFiltersFirst));

    // Choosing it opens the filter editor on that file; confirming makes its filters current.
    m_confirmFilterEditor = true;
    Command(cmd::kLoadFiltersFirst);
    ASSERT_EQ(m_filterRequests.size(), 1u);
    EXPECT_EQ(m_filterRequests[0].file, Program("Filters/logs.mcf"));
    EXPECT_TRUE(m_filterRequests[0].hasTarget);
    EXPECT_EQ(Shell().CurrentFilters().Count(), 6);  // what the editor handed back
}

TEST_F(AppTest, CreateShowsTheReportInTheTreeAndAnnouncesItsRoot) {
    Start();
    CreateThroughDialog(m_data.Path());
    ASSERT_EQ(Shell().ReportCount(), 1);
    const std::vector<shell::DialogRequest> requests = shell::Seam::Get().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, shell::DialogKind::Folder);
    EXPECT_EQ(requests[0].title, "Choose folder for report:");
    EXPECT_EQ(requests[0].initialFolder, "");  // the panel showed no folder yet

    Report* report = Shell().ReportAt(0);
    FolderRecord* root = report->Root();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->desc, m_data.Path().c_str());
    // Every record has its item, the root's first (the report window's tests check their texts and icons).
    EXPECT_EQ(Shell().Reports()->Tree().Data(TreeView_GetRoot(Tree())), root);
    EXPECT_EQ(ItemsWhenAllOpen(root), CountRecords(root));
    // The root is announced: it is current and the panel shows it.
    EXPECT_EQ(Shell().CurrentRecord(), root);
    EXPECT_EQ(Shell().Panel()->Record(), root);

    // A second Create starts its folder dialog at the root of the shown folder's drive.
    shell::Seam::Get().QueueAnswer(shell::DialogAnswer::Cancel());
    Command(cmd::kCreateReport);
    const std::vector<shell::DialogRequest> again = shell::Seam::Get().Requests();
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[1].initialFolder, m_data.Path().substr(0, 3));
    EXPECT_EQ(Shell().ReportCount(), 1);
}

TEST_F(AppTest, SelectionFillsTheInfoPanel) {
    Start();
    CreateThroughDialog(m_data.Path());
    // The root shows the cluster row with the edit disabled.
    EXPECT_EQ(PanelText(IDC_INFO_NAME), m_data.Path());
    EXPECT_EQ(PanelText(IDC_INFO_PATH_LABEL), "Cluster...................");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Shell().Panel()->Dialog(), IDC_INFO_PATH)));

    FolderRecord* alpha = test::ChildNamed(Shell().ReportAt(0)->Root(), "alpha");
    ASSERT_NE(alpha, nullptr);
    SelectItem(alpha);
    EXPECT_EQ(Shell().Panel()->Record(), alpha);
    EXPECT_EQ(PanelText(IDC_INFO_NAME), "alpha");
    EXPECT_EQ(PanelText(IDC_INFO_PATH), ReadText(alpha, ALC));
    EXPECT_EQ(PanelText(IDC_INFO_FILES), "3");
    EXPECT_EQ(PanelText(IDC_INFO_FOLDERS), "1");
}

TEST_F(AppTest, SaveCloseAndReopenThroughQuickLoadAndADrop) {
    m_program.MakeDir("Reports");
    Start();
    CreateThroughDialog(m_data.Path());
    Report* report = Shell().ReportAt(0);
    const Figures before = FiguresOf(report);
    ASSERT_GT(before.size(), 5u);

    const std::string target = Program("Reports/data.mcr");
    shell::Seam::Get().QueueAnswer(shell::DialogAnswer::Choose(target));
    Command(cmd::kSaveReport);
    const shell::DialogRequest save = shell::Seam::Get().Requests().back();
    EXPECT_EQ(save.kind, shell::DialogKind::SaveFile);
    EXPECT_EQ(save.title, "Save Report to file");
    EXPECT_EQ(save.initialName, SuggestReportFileName(m_data.Path()));
    EXPECT_EQ(save.initialFolder, Program("Reports"));
    EXPECT_EQ(save.defaultExtension, "mcr");
    EXPECT_EQ(save.filterDescription, "Talvorn Quarvex report file (*.mcr)");
    EXPECT_TRUE(platform::FileExists(target));
    // "Quick &Load" lists the saved file now.
    ASSERT_EQ(Shell().QuickLoadFiles().paths.size(), 1u);
    EXPECT_NE(GetSubMenu(GetSubMenu(GetMenu(FrameWindow()), 0), 3), nullptr);

    Command(cmd::kCloseReport);
    EXPECT_EQ(Shell().ReportCount(), 0);
    EXPECT_EQ(Shell().CurrentRecord(), nullptr);
    EXPECT_EQ(Shell().Panel()->Record(), nullptr);
    EXPECT_EQ(TreeView_GetCount(Tree()), 0u);

    Command(cmd::kQuickLoadFirst);
    ASSERT_EQ(Shell().ReportCount(), 1);
    EXPECT_EQ(FiguresOf(Shell().ReportAt(0)), before);
    EXPECT_EQ(Shell().CurrentRecord(), Shell().ReportAt(0)->Root());
    Command(cmd::kCloseReport);

    Drop({target});
    ASSERT_EQ(Shell().ReportCount(), 1);
    EXPECT_EQ(FiguresOf(Shell().ReportAt(0)), before);
    EXPECT_EQ(ItemsWhenAllOpen(Shell().ReportAt(0)->Root()), CountRecords(Shell().ReportAt(0)->Root()));
}

TEST_F(AppTest, ASaveThatFailsSaysSoAndKeepsTheReport) {
    Start();
    CreateThroughDialog(m_data.Path());
    const std::string target = Program("missing-folder/data.mcr");
    shell::Seam::Get().QueueAnswer(shell::DialogAnswer::Choose(target));
    ui::message_seam::QueueAnswer(ui::kAnswerCancel);
    Command(cmd::kSaveReport);
    const std::vector<ui::ShownMessage> shown = ui::message_seam::Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("could not be saved"), std::string::npos) << shown[0].text;
    EXPECT_NE(shown[0].text.find(target), std::string::npos);
    EXPECT_EQ(shown[0].caption, "Talvorn Quarvex");
    EXPECT_EQ(Shell().ReportCount(), 1);
    EXPECT_FALSE(platform::FileExists(target));
}

TEST_F(AppTest, AReportFileWithoutFoldersIsRefusedWithAMessage) {
    Start();
    const std::string file = Data("empty.mcr");
    m_data.WriteText("empty.mcr",
                     "<?xml version=\"1.0\"?>\n<node name=\"report\" desc=\"0.0.4\">\n"
                     "\t<node name=\"?drive?\" desc=\"0;1;12;1\"/>\n</node>\n");
    ui::message_seam::QueueAnswer(ui::kAnswerCancel);
    shell::Seam::Get().QueueAnswer(shell::DialogAnswer::Choose(file));
    Command(cmd::kOpenReport);
    const shell::DialogRequest open = shell::Seam::Get().Requests().back();
    EXPECT_EQ(open.kind, shell::DialogKind::OpenFile);
    EXPECT_EQ(open.title, "Open Report File");
    EXPECT_EQ(open.filterMask, "*.mcr");
    const std::vector<ui::ShownMessage> shown = ui::message_seam::Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Error reading file: " + file);
    EXPECT_EQ(shown[0].caption, "Error");
    EXPECT_EQ(Shell().ReportCount(), 0);
    // The dialog's folder is remembered even when the file does not load.
    EXPECT_EQ(Shell().ReportDialogFolder(), m_data.Path());
}

TEST_F(AppTest, AnIncompleteReportFileOpensAndSaysSo) {
    Start();
    CreateThroughDialog(m_data.Path());
    const Figures scanned = FiguresOf(Shell().ReportAt(0));
    FolderRecord* scannedRoot = Shell().ReportAt(0)->Root();
    const std::int64_t rootFiles = ReadStat(scannedRoot, LFN);
    const std::int64_t rootAllocated = ReadStat(scannedRoot, NFA);
    const std::string whole = Data("whole.mcr");
    shell::Seam::Get().QueueAnswer(shell::DialogAnswer::Choose(whole));
    Command(cmd::kSaveReport);
    Command(cmd::kCloseReport);
    std::string text;
    ASSERT_TRUE(platform::ReadWholeFile(whole, &text));
    const std::size_t cut = text.find("<node name=\"beta\"");
    ASSERT_NE(cut, std::string::npos);
    m_data.WriteText("cut.mcr", text.substr(0, cut + 25));
    const std::string file = Data("cut.mcr");

    ui::message_seam::QueueAnswer(ui::kAnswerCancel);
    shell::Seam::Get().QueueAnswer(shell::DialogAnswer::Choose(file));
    Command(cmd::kOpenReport);
    ASSERT_EQ(Shell().ReportCount(), 1);
    EXPECT_EQ(Shell().CurrentRecord(), Shell().ReportAt(0)->Root());
    const Figures opened = FiguresOf(Shell().ReportAt(0));
    EXPECT_LT(opened.size(), scanned.size());
    // The root's totals as saved.
    EXPECT_EQ(ReadStat(Shell().ReportAt(0)->Root(), LFN), rootFiles);
    EXPECT_EQ(ReadStat(Shell().ReportAt(0)->Root(), NFA), rootAllocated);
    ExpectOneMessage("The file " + file + " is incomplete: the report shows only what could be read.",
                     "Talvorn Quarvex", ui::kMessageOk);
}

TEST_F(AppTest, UpdateRebuildsInTheSameSlotAndKeepsNotes) {
    Start();
    CreateThroughDialog(m_data.Path());
    CreateThroughDialog(Data("beta"));
    Report* old = Shell().ReportAt(0);
    FolderRecord* alpha = test::ChildNamed(old->Root(), "alpha");
    ASSERT_NE(alpha, nullptr);
    WriteText(alpha, notes, "keep me", false);
    WriteText(test::ChildNamed(alpha, "deep"), notes, "and me", false);
    const std::int64_t filesBefore = ReadStat(old->Root(), LFN);
    const std::int32_t oldSerial = old->Serial();
    m_data.WriteFile("alpha/new.txt", 42);

    SelectItem(old->Root());
    ASSERT_TRUE(MenuItemEnabled(cmd::kUpdateReport));
    Command(cmd::kUpdateReport);
    ASSERT_EQ(Shell().ReportCount(), 2);
    Report* fresh = Shell().ReportAt(0);
    EXPECT_NE(fresh->Serial(), oldSerial);
    EXPECT_EQ(ReadStat(fresh->Root(), LFN), filesBefore + 1);
    FolderRecord* newAlpha = test::ChildNamed(fresh->Root(), "alpha");
    ASSERT_NE(newAlpha, nullptr);
    EXPECT_STREQ(ReadText(newAlpha, notes), "keep me");
    EXPECT_STREQ(ReadText(test::ChildNamed(newAlpha, "deep"), notes), "and me");
    EXPECT_EQ(Shell().CurrentRecord(), fresh->Root());
    // Titles show the notes at once.
    const std::string title = Shell().Reports()->Tree().Text(ItemOf(newAlpha));
    EXPECT_NE(title.find("keep me"), std::string::npos) << title;
}

TEST_F(AppTest, FiveReportsAtMostWithTheLimitMessage) {
    Start();
    for (const char* folder : {"alpha", "beta", "gamma", "Zeta", "alpha/deep"}) {
        Drop({Data(folder)});
    }
    ASSERT_EQ(Shell().ReportCount(), 5);
    EXPECT_FALSE(MenuItemEnabled(cmd::kCreateReport));
    EXPECT_FALSE(MenuItemEnabled(cmd::kOpenReport));
    const std::size_t requests = shell::Seam::Get().Requests().size();
    Command(cmd::kCreateReport);  // disabled: no dialog
    EXPECT_EQ(shell::Seam::Get().Requests().size(), requests);

    // A drop of two folders shows the message once and changes nothing.
    ui::message_seam::QueueAnswer(ui::kAnswerCancel);
    Drop({m_data.Path(), Data("beta")});
    ExpectOneMessage("Maximum number of opened reports = 5\nClose one or more reports and try again", "Talvorn Quarvex",
                     ui::kMessageOk);
    EXPECT_EQ(Shell().ReportCount(), 5);

    // Closing one enables Create again.
    SelectItem(Shell().ReportAt(4)->Root());
    Command(cmd::kCloseReport);
    EXPECT_EQ(Shell().ReportCount(), 4);
    EXPECT_TRUE(MenuItemEnabled(cmd::kCreateReport));
}

TEST_F(AppTest, ClosingTheSecondOfThreeKeepsTheOrder) {
    Start();
    for (const char* folder : {"alpha", "beta", "gamma"}) {
        Drop({Data(folder)});
    }
    ASSERT_EQ(Shell().ReportCount(), 3);
    const std::int32_t first = Shell().ReportAt(0)->Serial();
    const std::int32_t third = Shell().ReportAt(2)->Serial();
    SelectItem(Shell().ReportAt(1)->Root());
    Command(cmd::kCloseReport);
    ASSERT_EQ(Shell().ReportCount(), 2);
    EXPECT_EQ(Shell().ReportAt(0)->Serial(), first);
    EXPECT_EQ(Shell().ReportAt(1)->Serial(), third);
    EXPECT_EQ(Shell().ReportAt(2), nullptr);
    // The first report left is announced.
    EXPECT_EQ(Shell().CurrentRecord(), Shell().ReportAt(0)->Root());
    std::vector<FolderRecord*> roots;
    for (HTREEITEM item = TreeView_GetRoot(Tree()); item != nullptr; item = TreeView_GetNextSibling(Tree(), item)) {
        roots.push_back(static_cast<FolderRecord*>(const_cast<void*>(Shell().Reports()->Tree().Data(item))));
    }
    EXPECT_EQ(roots, (std::vector<FolderRecord*>{Shell().ReportAt(0)->Root(), Shell().ReportAt(1)->Root()}));
}

TEST_F(AppTest, MenuStatesFollowTheCurrentRecord) {
    Start();
    // One character per item, '1' enabled: Create, Open, Save, Close, Update, Print Info, Print Tree, Exit.
    const auto states = [&] {
        std::string text;
        for (int id : {cmd::kCreateReport, cmd::kOpenReport, cmd::kSaveReport, cmd::kCloseReport, cmd::kUpdateReport,
                       cmd::kPrintFolderInfo, cmd::kPrintTree, cmd::kExit}) {
            text += MenuItemEnabled(id) ? '1' : '0';
        }
        return text;
    };
    EXPECT_EQ(states(), "11000001") << "nothing open";
    CreateThroughDialog(Data("alpha"));
    EXPECT_EQ(states(), "11111111") << "root";
    SelectItem(test::ChildNamed(Shell().ReportAt(0)->Root(), "deep"));
    EXPECT_EQ(states(), "11000111") << "folder";
    SelectItem(Shell().ReportAt(0)->Root());
    std::error_code ignored;
    std::filesystem::remove_all(test::ScratchDir::FromUtf8(Data("alpha")), ignored);
    EXPECT_EQ(states(), "11110111") << "root folder gone";

    // The status bar item carries a check mark while the bar shows.
    HMENU view = GetSubMenu(GetMenu(FrameWindow()), 1);
    SendMessageA(FrameWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), MAKELPARAM(1, FALSE));
    EXPECT_NE(GetMenuState(view, cmd::kViewStatusBar, MF_BYCOMMAND) & MF_CHECKED, 0u);
}

TEST_F(AppTest, DropsTakeTheFirstPathThatWorks) {
    Start();
    // A text file: a report of the folder that holds it.
    Drop({Data("alpha/a.txt")});
    ASSERT_EQ(Shell().ReportCount(), 1);
    EXPECT_STREQ(Shell().ReportAt(0)->Root()->desc, Data("alpha").c_str());

    // A report file that does not load, then two folders: one report, for the first folder.
    m_data.WriteText("broken.mcr", "not a report");
    Drop({Data("broken.mcr"), Data("beta"), Data("gamma")});
    ASSERT_EQ(Shell().ReportCount(), 2);
    EXPECT_STREQ(Shell().ReportAt(1)->Root()->desc, Data("beta").c_str());

    // A shortcut to a folder counts as that folder.
    ASSERT_TRUE(shell::CreateShortcut(Data("to-zeta.lnk"), Data("Zeta")));
    Drop({Data("to-zeta.lnk")});
    ASSERT_EQ(Shell().ReportCount(), 3);
    EXPECT_STREQ(Shell().ReportAt(2)->Root()->desc, Data("Zeta").c_str());

    // A filter file opens the filter editor without replacing the current filters.
    Shell().CurrentFilters().Clear();
    m_confirmFilterEditor = true;
    Drop({Data("f.mcf"), Data("gamma")});
    ASSERT_EQ(m_filterRequests.size(), 1u);
    EXPECT_EQ(m_filterRequests[0].file, Data("f.mcf"));
    EXPECT_FALSE(m_filterRequests[0].hasTarget);
    EXPECT_EQ(Shell().CurrentFilters().Count(), 0);
    EXPECT_EQ(Shell().ReportCount(), 3);
}

TEST_F(AppTest, StartPathCreatesOrOpensOrEditsFilters) {
    Start(Data("beta"));
    ASSERT_EQ(Shell().ReportCount(), 1);
    EXPECT_STREQ(Shell().ReportAt(0)->Root()->desc, Data("beta").c_str());
    const std::string saved = Data("beta.mcr");
    ASSERT_TRUE(SaveReport(Shell().ReportAt(0), saved));
    m_app.reset();

    Start(saved);
    ASSERT_EQ(Shell().ReportCount(), 1);
    EXPECT_EQ(Shell().CurrentRecord(), Shell().ReportAt(0)->Root());
    m_app.reset();

    Start(Data("some.mcf"));
    EXPECT_EQ(Shell().ReportCount(), 0);
    ASSERT_EQ(m_filterRequests.size(), 1u);
    EXPECT_EQ(m_filterRequests[0].file, Data("some.mcf"));
}

TEST_F(AppTest, ToolsGetTheShownFolderOrTheDroppedPath) {
    Start();
    Command(cmd::kToolAttributes);  // nothing shown yet
    CreateThroughDialog(m_data.Path());
    SelectItem(test::ChildNamed(Shell().ReportAt(0)->Root(), "beta"));
    Command(cmd::kToolListOfFiles);
    Command(cmd::kToolTemporaryFolders);
    HWND panel = Shell().Tools()->Window();
    SendMessageA(GetDlgItem(panel, IDC_TOOLS_DATE_TIME), BM_CLICK, 0, 0);
    const std::vector<std::string> dropped = {Data("gamma"), Data("root.txt")};
    SendMessageA(GetDlgItem(panel, IDC_TOOLS_TEMP_FOLDERS), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(test::MakeDrop(dropped)), 0);
    SendMessageA(GetDlgItem(panel, IDC_TOOLS_ATTRIBUTES), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(test::MakeDrop({Data("root.txt")})), 0);

    const std::string beta = Data("beta");
    ASSERT_EQ(m_tools.size(), 6u);
    const std::vector<std::pair<int, std::string>> expected = {
        {cmd::kToolAttributes, ""},
        {cmd::kToolListOfFiles, beta},
        {cmd::kToolTemporaryFolders, ""},
        {cmd::kToolDateTime, beta},
        {cmd::kToolTemporaryFolders, dropped[0]},
        {cmd::kToolAttributes, Data("root.txt")},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(m_tools[i].command, expected[i].first) << i;
        EXPECT_EQ(m_tools[i].start, expected[i].second) << i;
    }
}

void CancelSettingsDialog(HWND dialog, void* context) {
    *static_cast<bool*>(context) = true;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(AppTest, HelpOptionsAndAboutOpenTheirWindows) {
    Start();
    Command(cmd::kHelp);
    const std::vector<shell::ExecuteCall> executed = shell::Seam::Get().Executed();
    ASSERT_EQ(executed.size(), 1u);
    EXPECT_EQ(executed[0].verb, "open");
    EXPECT_EQ(executed[0].path, Program("helpidx.htm"));

    bool settingsShown = false;
    settings_dialog_seam::SetObserver(&CancelSettingsDialog, &settingsShown);
    Command(cmd::kOptions);
    settings_dialog_seam::SetObserver(nullptr, nullptr);
    EXPECT_TRUE(settingsShown);
}

TEST_F(AppTest, ExitSavesTheSettingsAndShutsDownOnce) {
    Start();
    CreateThroughDialog(m_data.Path());
    Shell().SettingsDocument()->SetValue("common:browse", 1);
    HWND frame = FrameWindow();
    Command(cmd::kExit);
    ASSERT_TRUE(test::PumpUntil([&] { return !IsWindow(frame); }));
    EXPECT_FALSE(Shell().Started());
    EXPECT_EQ(Shell().ReportCount(), 0);
    EXPECT_EQ(Shell().Reports(), nullptr);
    EXPECT_EQ(Shell().SettingsDocument(), nullptr);
    Shell().Destroy();  // a second shutdown finds nothing left to do

    Settings reread(ProgramSettings());
    EXPECT_TRUE(reread.Load());
    EXPECT_EQ(reread.GetValue("common:browse"), 1);
}

// The program itself, started as a second process with a folder on its command line.
class RunningProgram {
  public:
    explicit RunningProgram(const std::string& folder) {
        std::string exe = QV_ZIVAZADO_EXE;
        if (!exe.empty() && exe[0] == '/') {  // a path of the build machine: Wine shows it under Z:
            std::replace(exe.begin(), exe.end(), '/', '\\');
            exe = "Z:" + exe;
        }
        std::string commandLine = "\"" + exe + "\" \"" + folder + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        m_started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &m_process) != FALSE;
    }
    ~RunningProgram() {
        if (!m_started) {
            return;
        }
        if (m_frame != nullptr) {
            PostMessageA(m_frame, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(m_process.hProcess, 20000) != WAIT_OBJECT_0) {
            TerminateProcess(m_process.hProcess, 1);
        }
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return m_started; }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }
    bool WaitForExit(DWORD milliseconds) { return WaitForSingleObject(m_process.hProcess, milliseconds) == 0; }
    void Forget() { m_frame = nullptr; }

    // Waits until its main window shows a tree with the report's root item. A second-copy question
    // of its own (another program may carry the title) is answered "No".
    HWND WaitForReport(DWORD timeoutMs) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            Scan();
            if (m_tree != nullptr && SendMessageA(m_tree, TVM_GETCOUNT, 0, 0) > 0) {
                return m_frame;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            test::PumpPending();
        }
        return nullptr;
    }

  private:
    static BOOL CALLBACK Visit(HWND window, LPARAM self) {
        auto* program = reinterpret_cast<RunningProgram*>(self);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != program->m_process.dwProcessId) {
            return TRUE;
        }
        char name[64] = {};
        GetClassNameA(window, name, sizeof(name));
        char caption[128] = {};
        GetWindowTextA(window, caption, sizeof(caption));
        if (std::strcmp(name, "QuarvexMainFrame") == 0 && IsWindowVisible(window)) {
            program->m_frame = window;
        } else if (std::strcmp(caption, kSecondCopyCaption) == 0) {
            AnswerUnexpectedBox(window, &program->m_ignored);
        }
        return TRUE;
    }
    static BOOL CALLBACK FindTree(HWND window, LPARAM self) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof(name));
        if (std::strcmp(name, WC_TREEVIEWA) == 0) {
            reinterpret_cast<RunningProgram*>(self)->m_tree = window;
            return FALSE;
        }
        return TRUE;
    }
    void Scan() {
        EnumWindows(&Visit, reinterpret_cast<LPARAM>(this));
        if (m_frame != nullptr && m_tree == nullptr) {
            EnumChildWindows(m_frame, &FindTree, reinterpret_cast<LPARAM>(this));
        }
    }

    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
    HWND m_frame = nullptr;
    HWND m_tree = nullptr;
    std::vector<std::string> m_ignored;
};

TEST_F(AppTest, ASecondCopyAsksWhetherToSwitchToTheFirst) {
    RunningProgram first(m_data.Path());
    ASSERT_TRUE(first.Started());
    HWND firstFrame = first.WaitForReport(120000);
    ASSERT_NE(firstFrame, nullptr) << "the program showed no report of its start folder";

    // No: this copy starts as well.
    ui::message_seam::QueueAnswer(ui::kAnswerNo);
    EXPECT_TRUE(TryStart());
    ExpectOneMessage("Talvorn Quarvex already running.\n Do you want switch to already running program?",
                     "Second instance of Quarvex", ui::kMessageYesNoCancel);
    m_app.reset();

    // Cancel: this start-up ends before any pane exists.
    ui::message_seam::QueueAnswer(ui::kAnswerCancel);
    EXPECT_FALSE(TryStart());
    EXPECT_EQ(Shell().Reports(), nullptr);
    EXPECT_EQ(m_app->Frame().Window(), nullptr);
    m_app.reset();

    // Yes: the running copy is shown normally and this start-up ends.
    ShowWindow(firstFrame, SW_MINIMIZE);
    ASSERT_TRUE(test::PumpUntil([&] { return IsIconic(firstFrame) != FALSE; }, 10000));
    ui::message_seam::QueueAnswer(ui::kAnswerYes);
    EXPECT_FALSE(TryStart());
    EXPECT_TRUE(test::PumpUntil([&] { return IsIconic(firstFrame) == FALSE; }, 10000));
    EXPECT_EQ(ui::message_seam::Shown().size(), 3u);
    m_app.reset();

    // The program ends cleanly when its window closes.
    PostMessageA(firstFrame, WM_CLOSE, 0, 0);
    first.Forget();
    EXPECT_TRUE(first.WaitForExit(20000));
    EXPECT_EQ(first.ExitCode(), 0u);
}

}  // namespace
}  // namespace qv
