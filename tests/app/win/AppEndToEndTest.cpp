// The whole program in this process, driven through its windows' messages and the modal windows'
// seam: start-up, reports created, saved, closed, reopened and rebuilt, the five-report limit,
// drops, tools and shutdown; and the program itself started twice. The rules behind each are
// tested natively; these are the wiring cases above them.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "resource.h"
#include "TestUtil.h"
#include "core/ScanTestUtil.h"
#include "ui/UiTestUtil.h"
#include "app/CommandIds.h"
#include "app/win/QuarvexApp.h"
#include "core/ReportFile.h"
#include "ui/MessageBox.h"

namespace qv {
namespace {

using test::ShownOf;
using ui::ModalAnswer;
using ui::ModalKind;
using ui::ModalSeam;

// A report's totals, to compare it with its reopened copy (the file's round trip is tested with
// the report file).
std::string TotalsOf(Report* report) {
    return test::Figures(report->Root());
}

// Presses the first shown of "No", "Cancel" and "OK" in a real message box (one no test asked
// for), so no test waits for a person. Returns the box's caption.
std::string AnswerUnexpectedBox(HWND box) {
    for (int id : {IDNO, IDCANCEL, IDOK}) {
        // The box may not be on screen yet: its buttons' own style tells which it shows.
        if ((GetWindowLongPtrA(GetDlgItem(box, id), GWL_STYLE) & WS_VISIBLE) != 0) {
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
            break;
        }
    }
    return test::TextOf(box);
}

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ModalSeam::Get().Begin();
        ModalSeam::Get().OnWindowUp([this](HWND window, ModalKind kind) {
            if (kind != ModalKind::Message) {
                if (m_onDialog) {
                    m_onDialog(window, kind);  // what a test does with its own dialogs
                }
                return;
            }
            // The second-copy question comes when another program carries our title.
            const std::string caption = AnswerUnexpectedBox(window);
            if (caption != kSecondCopyCaption) {
                m_unexpectedBoxes.push_back(caption);
            }
        });
        m_data.WriteFile("alpha/a.txt", 10);
        m_data.WriteFile("alpha/deep/d.bin", 200000);
        m_data.WriteFile("beta/e.exe", 70000);
        m_data.MakeDir("gamma");
        m_data.WriteFile("Zeta/z.htm", 300);
    }
    void TearDown() override {
        m_app.reset();
        test::PumpPending();
        EXPECT_TRUE(m_unexpectedBoxes.empty()) << m_unexpectedBoxes.front();
        ModalSeam::Get().End();
    }

    void Start(const std::string& startPath = "") { ASSERT_TRUE(TryStart(startPath)); }
    bool TryStart(const std::string& startPath = "") {
        m_app = std::make_unique<QuarvexApp>();
        m_app->SetProgramFolder(m_program.Path());
        ShellEntryPoints& entries = m_app->Shell().EntryPoints();
        if (!m_realTools) {
            entries.tool = [this](HWND, int command, const std::string& start) { m_tools.emplace_back(command, start); };
        }
        if (m_realFilterEditor) {
            return m_app->Start(GetModuleHandleA(nullptr), startPath);
        }
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
    void Command(int id) { SendMessageA(FrameWindow(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void Drop(const std::vector<std::string>& paths) {
        SendMessageA(FrameWindow(), WM_DROPFILES, reinterpret_cast<WPARAM>(test::MakeDrop(paths)), 0);
    }
    void CreateThroughDialog(const std::string& folder) {
        ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(folder));
        Command(cmd::kCreateReport);
    }
    const char* RootPath(int index) { return Shell().ReportAt(index)->Root()->desc; }
    // Selects a record's item the way a click does: the control announces the selection.
    void SelectItem(FolderRecord* record) {
        TreeView_SelectItem(Shell().Reports()->Tree().Tree(), Shell().Reports()->ItemOf(record));
        ASSERT_EQ(Shell().CurrentRecord(), record);
    }
    // Whether an item of the &Report menu is enabled as the menu opens.
    bool MenuItemEnabled(int id) {
        HMENU report = GetSubMenu(GetMenu(FrameWindow()), 0);
        SendMessageA(FrameWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(report), MAKELPARAM(0, FALSE));
        return (GetMenuState(report, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
    }
    // The settings document in the program folder, as the program finds it.
    SettingsLocation ProgramSettings() {
        SettingsLocation location;
        location.programFolder = m_program.Path();
        location.file = Program("settings.dat");
        location.folders = QuerySystemFolders();
        return location;
    }
    // The message boxes shown, but for the second-copy question that a test program running at
    // the same time with our title brings (unless that question is what is looked for).
    static std::vector<ui::ModalShown> Messages(bool withSecondCopy = false) {
        std::vector<ui::ModalShown> shown = ShownOf(ModalKind::Message);
        std::erase_if(shown, [withSecondCopy](const ui::ModalShown& box) {
            return !withSecondCopy && box.title == kSecondCopyCaption;
        });
        return shown;
    }
    static void ExpectOneMessage(const std::string& text, const std::string& caption) {
        const std::vector<ui::ModalShown> shown = Messages(caption == kSecondCopyCaption);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, text);
        EXPECT_EQ(shown[0].title, caption);
    }

    test::ScratchDir m_program;
    test::ScratchDir m_data;
    std::unique_ptr<QuarvexApp> m_app;
    std::vector<std::string> m_unexpectedBoxes;
    std::function<void(HWND window, ModalKind kind)> m_onDialog;  // for the windows other than message boxes
    std::vector<std::pair<int, std::string>> m_tools;
    std::vector<FilterEditorRequest> m_filterRequests;
    bool m_confirmFilterEditor = false;
    bool m_realFilterEditor = false;
    bool m_realTools = false;
};

TEST_F(AppTest, StartUpWithDefaultsLaysOutThePanesAndWritesTheSettings) {
    Start();
    EXPECT_TRUE(IsWindowVisible(FrameWindow()));
    // The info panel keeps the width it asks for, the tools panel its height.
    RECT panel = {};
    GetWindowRect(Shell().Panel()->Window(), &panel);
    EXPECT_EQ(panel.right - panel.left, Shell().Panel()->PreferredWidth());
    RECT tools = {};
    GetWindowRect(Shell().Tools()->Window(), &tools);
    EXPECT_EQ(tools.bottom - tools.top, Shell().Tools()->PreferredHeight());
    EXPECT_TRUE(platform::FileExists(Program("settings.dat")));
    EXPECT_EQ(Shell().CurrentFilters().Count(), 6);
    EXPECT_EQ(Shell().ReportDialogFolder(), m_program.Path());
    EXPECT_FALSE(MenuItemEnabled(cmd::kQuickLoadPlain));
}

TEST_F(AppTest, StartUpReadsTheFilterFileResetsTheClusterSizeAndListsBothFolders) {
    FilterSet custom;
    ASSERT_TRUE(test::FillFilters(&custom, {test::Filter("Logs", "*.log;")}));
    m_program.MakeDir("Filters");
    ASSERT_TRUE(custom.SaveToFile(Program("Filters/logs.mcf")));
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
    EXPECT_EQ(Shell().CurrentFilters().Count(), 1);
    EXPECT_EQ(Shell().SettingsDocument()->GetValue("common:cluster"), 0);
    EXPECT_EQ(Shell().ReportDialogFolder(), Program("Reports"));
    HMENU menu = GetMenu(FrameWindow());
    HMENU quickLoad = GetSubMenu(GetSubMenu(menu, 0), 3);
    ASSERT_NE(quickLoad, nullptr);
    EXPECT_EQ(GetMenuItemCount(quickLoad), 2);

    // "Load Filters" lists the file; choosing it opens the filter editor on it.
    m_confirmFilterEditor = true;
    Command(cmd::kLoadFiltersFirst);
    ASSERT_EQ(m_filterRequests.size(), 1u);
    EXPECT_EQ(m_filterRequests[0].file, Program("Filters/logs.mcf"));
    EXPECT_EQ(Shell().CurrentFilters().Count(), 6);  // what the editor handed back
}

TEST_F(AppTest, CreateShowsAndAnnouncesTheReport) {
    Start();
    CreateThroughDialog(m_data.Path());
    ASSERT_EQ(Shell().ReportCount(), 1);
    FolderRecord* root = Shell().ReportAt(0)->Root();
    EXPECT_STREQ(root->desc, m_data.Path().c_str());
    EXPECT_EQ(Shell().Reports()->Tree().Data(Shell().Reports()->Tree().FirstRoot()), root);
    EXPECT_EQ(Shell().Panel()->Record(), root);

    // A second Create starts its folder dialog at the root of the shown folder's drive.
    ModalSeam::Get().QueueAnswer(ModalAnswer::Cancel());
    Command(cmd::kCreateReport);
    const std::vector<ui::ModalShown> asked = ShownOf(ModalKind::Folder);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, "Choose folder for report:");
    EXPECT_EQ(asked[1].folder, m_data.Path().substr(0, 3));
    EXPECT_EQ(Shell().ReportCount(), 1);
}

TEST_F(AppTest, SaveCloseAndReopenThroughQuickLoadAndADrop) {
    m_program.MakeDir("Reports");
    Start();
    CreateThroughDialog(m_data.Path());
    const std::string before = TotalsOf(Shell().ReportAt(0));
    const std::string target = Program("Reports/data.mcr");
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(target));
    Command(cmd::kSaveReport);
    EXPECT_EQ(ShownOf(ModalKind::SaveFile).back().folder, Program("Reports"));
    EXPECT_TRUE(platform::FileExists(target));
    Command(cmd::kCloseReport);
    EXPECT_EQ(Shell().ReportCount(), 0);
    EXPECT_EQ(Shell().Panel()->Record(), nullptr);

    Command(cmd::kQuickLoadFirst);  // "Quick Load" lists the saved file now
    ASSERT_EQ(Shell().ReportCount(), 1);
    EXPECT_EQ(TotalsOf(Shell().ReportAt(0)), before);
    EXPECT_EQ(Shell().CurrentRecord(), Shell().ReportAt(0)->Root());
    Command(cmd::kCloseReport);
    Drop({target});
    ASSERT_EQ(Shell().ReportCount(), 1);
    EXPECT_EQ(TotalsOf(Shell().ReportAt(0)), before);
}

TEST_F(AppTest, SaveAndOpenFailuresSaySoAndKeepWhatIsOpen) {
    Start();
    CreateThroughDialog(m_data.Path());
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(Program("missing-folder/data.mcr")));
    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ui::kAnswerCancel));
    Command(cmd::kSaveReport);
    const std::vector<ui::ModalShown> shown = Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("could not be saved"), std::string::npos) << shown[0].text;

    const std::string file = Data("empty.mcr");
    m_data.WriteText("empty.mcr",
                     "<?xml version=\"1.0\"?>\n<node name=\"report\" desc=\"0.0.4\">\n"
                     "\t<node name=\"?drive?\" desc=\"0;1;12;1\"/>\n</node>\n");
    ModalSeam::Get().Begin();
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(file));
    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ui::kAnswerCancel));
    Command(cmd::kOpenReport);
    ExpectOneMessage("Error reading file: " + file, "Error");
    EXPECT_EQ(Shell().ReportCount(), 1);
    EXPECT_EQ(Shell().ReportDialogFolder(), m_data.Path());  // remembered though the file did not load
}

// The number of records in the tree below and including `node`.
std::size_t RecordCount(FolderRecord* node) {
    std::size_t count = 0;
    std::vector<FolderRecord*> stack{node};
    while (!stack.empty()) {
        FolderRecord* next = stack.back();
        stack.pop_back();
        for (; next != nullptr; next = next->nextSibling) {
            ++count;
            stack.push_back(next->firstChild);
        }
    }
    return count;
}

TEST_F(AppTest, AnIncompleteReportFileOpensAndSaysSo) {
    Start();
    CreateThroughDialog(m_data.Path());
    const std::size_t scanned = RecordCount(Shell().ReportAt(0)->Root());
    const std::string rootTotals = TotalsOf(Shell().ReportAt(0));
    const std::string whole = Data("whole.mcr");
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(whole));
    Command(cmd::kSaveReport);
    Command(cmd::kCloseReport);
    const std::string text = test::ReadAll(whole);
    const std::size_t cut = text.find("<node name=\"beta\"");
    ASSERT_NE(cut, std::string::npos);
    m_data.WriteText("cut.mcr", text.substr(0, cut + 25));
    const std::string file = Data("cut.mcr");

    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(file));
    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ui::kAnswerCancel));
    Command(cmd::kOpenReport);
    ASSERT_EQ(Shell().ReportCount(), 1);
    EXPECT_EQ(Shell().CurrentRecord(), Shell().ReportAt(0)->Root());
    EXPECT_LT(RecordCount(Shell().ReportAt(0)->Root()), scanned);
    EXPECT_EQ(TotalsOf(Shell().ReportAt(0)), rootTotals);  // the root's totals as saved
    ExpectOneMessage("The file " + file + " is incomplete: the report shows only what could be read.",
                     "Talvorn Quarvex");
}

TEST_F(AppTest, UpdateRebuildsInTheSameSlotAndKeepsNotes) {
    Start();
    CreateThroughDialog(m_data.Path());
    CreateThroughDialog(Data("beta"));
    Report* old = Shell().ReportAt(0);
    WriteText(test::Child(old->Root(), "alpha"), notes, "keep me", false);
    const std::int64_t filesBefore = ReadStat(old->Root(), LFN);
    m_data.WriteFile("alpha/new.txt", 42);

    SelectItem(old->Root());
    Command(cmd::kUpdateReport);
    ASSERT_EQ(Shell().ReportCount(), 2);
    Report* fresh = Shell().ReportAt(0);
    EXPECT_EQ(ReadStat(fresh->Root(), LFN), filesBefore + 1);
    EXPECT_EQ(Shell().CurrentRecord(), fresh->Root());
    // The rebuilt report keeps its place at the top of the tree.
    EXPECT_EQ(Shell().Reports()->Tree().Data(TreeView_GetRoot(Shell().Reports()->Tree().Tree())), fresh->Root());
    // The notes came over, and the titles show them at once.
    FolderRecord* alpha = test::Child(fresh->Root(), "alpha");
    const std::string title = Shell().Reports()->Tree().Text(Shell().Reports()->ItemOf(alpha));
    EXPECT_NE(title.find("keep me"), std::string::npos) << title;
}

TEST_F(AppTest, NotesFromTheTreeMenuSurviveSaveAndReopenAndTheButtonClearsThem) {
    // The notes dialog gets each text typed into it and OK pressed.
    std::vector<std::string> typed = {"first line\r\nsecond", ""};
    m_onDialog = [&](HWND window, ModalKind kind) {
        if (kind != ModalKind::Notes || typed.empty()) {
            return;  // the scan's progress window
        }
        SetDlgItemTextA(window, IDC_NOTES_EDIT, typed.front().c_str());
        typed.erase(typed.begin());
        test::PressButton(window, IDOK);
    };
    Start();
    CreateThroughDialog(m_data.Path());
    FolderRecord* alpha = test::Child(Shell().ReportAt(0)->Root(), "alpha");
    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ID_TREE_NOTES));
    Shell().Reports()->ShowContextMenu(alpha, 10, 10);
    EXPECT_STREQ(ReadText(alpha, notes), "first line\r\nsecond");
    const std::string title = Shell().Reports()->Tree().Text(Shell().Reports()->ItemOf(alpha));
    EXPECT_NE(title.find("<first line _ second>"), std::string::npos) << title;

    const std::string file = Program("notes.mcr");
    SelectItem(Shell().ReportAt(0)->Root());
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(file));
    Command(cmd::kSaveReport);
    ASSERT_TRUE(Shell().OpenReportByPath(file));
    FolderRecord* reopened = test::Child(Shell().ReportAt(1)->Root(), "alpha");
    ASSERT_NE(reopened, nullptr);
    EXPECT_STREQ(ReadText(reopened, notes), "first line\r\nsecond");

    // The info panel's button: an emptied text removes the notes, the title loses them.
    SelectItem(reopened);
    test::PressButton(Shell().Panel()->Dialog(), IDC_INFO_NOTES);
    EXPECT_FALSE(reopened->attrs.Find(notes));
    EXPECT_EQ(Shell().Reports()->Tree().Text(Shell().Reports()->ItemOf(reopened)).find('<'), std::string::npos);
    EXPECT_TRUE(typed.empty());
}

TEST_F(AppTest, WhatsNewFromTheToolbarScansComparesAndLeavesTheReportAlone) {
    Start();
    CreateThroughDialog(m_data.Path());
    Report* report = Shell().ReportAt(0);
    const std::string before = TotalsOf(report);
    m_data.WriteFile("beta/more.bin", 3072);
    SelectItem(report->Root());
    std::vector<std::string> seen;
    m_onDialog = [&](HWND window, ModalKind kind) {
        if (kind == ModalKind::Comparison) {
            for (int id : {IDC_COMPARE_PATH, IDC_COMPARE_SINCE, IDC_COMPARE_SELECTED}) {
                seen.push_back(test::TextOf(GetDlgItem(window, id)));
            }
            test::PressButton(window, IDCANCEL);
        }
    };
    test::PressButton(Shell().Reports()->ToolbarWindow(), IDC_TOOLBAR_WHATS_NEW);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], m_data.Path());
    EXPECT_EQ(seen[1], "Since " + report->Created() + " :  +3 K   +1 file");
    EXPECT_EQ(seen[2], " +3 K   +1 file");  // beta, the only row
    EXPECT_EQ(Shell().ReportCount(), 1);
    EXPECT_EQ(TotalsOf(report), before);
}

TEST_F(AppTest, SizeIconsOffInTheSettingsLeaveTheTreeWithoutImages) {
    {
        Settings settings(ProgramSettings());
        settings.Load();
        settings.SetValue("tree:icon", 0);
        ASSERT_TRUE(settings.Save());
    }
    Start();
    HWND tree = Shell().Reports()->Tree().Tree();
    EXPECT_EQ(TreeView_GetImageList(tree, TVSIL_NORMAL), nullptr);
    CreateThroughDialog(m_data.Path());
    EXPECT_EQ(TreeView_GetImageList(tree, TVSIL_NORMAL), nullptr);
}

TEST_F(AppTest, FiveReportsAtMostWithTheLimitMessage) {
    Start();
    for (const char* folder : {"alpha", "beta", "gamma", "Zeta", "alpha/deep"}) {
        Drop({Data(folder)});
    }
    ASSERT_EQ(Shell().ReportCount(), 5);
    EXPECT_FALSE(MenuItemEnabled(cmd::kCreateReport));
    Command(cmd::kCreateReport);  // disabled: no dialog
    EXPECT_TRUE(ShownOf(ModalKind::Folder).empty());

    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ui::kAnswerCancel));
    Drop({m_data.Path(), Data("beta")});  // the message once, and nothing changes
    ExpectOneMessage("Maximum number of opened reports = 5\nClose one or more reports and try again", "Talvorn Quarvex");
    EXPECT_EQ(Shell().ReportCount(), 5);
    // Closing one enables Create again, in the menu and on the toolbar.
    HWND toolbar = Shell().Reports()->ToolbarWindow();
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(toolbar, IDC_TOOLBAR_CREATE)));
    SelectItem(Shell().ReportAt(4)->Root());
    Command(cmd::kCloseReport);
    EXPECT_TRUE(MenuItemEnabled(cmd::kCreateReport));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(toolbar, IDC_TOOLBAR_CREATE)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(toolbar, IDC_TOOLBAR_OPEN)));
}

TEST_F(AppTest, DropsAndStartPathsTakeTheFirstPathThatWorks) {
    Start();
    Drop({Data("alpha/a.txt")});  // a file: a report of the folder that holds it
    m_data.WriteText("broken.mcr", "not a report");
    Drop({Data("broken.mcr"), Data("beta"), Data("gamma")});  // one report, of the first that works
    ASSERT_TRUE(shell::CreateShortcut(Data("to-zeta.lnk"), Data("Zeta")));
    Drop({Data("to-zeta.lnk")});  // a shortcut counts as its folder
    ASSERT_EQ(Shell().ReportCount(), 3);
    EXPECT_EQ(std::make_tuple(std::string(RootPath(0)), std::string(RootPath(1)), std::string(RootPath(2))),
              std::make_tuple(Data("alpha"), Data("beta"), Data("Zeta")));
    // A filter file opens the filter editor without replacing the current filters.
    Shell().CurrentFilters().Clear();
    m_confirmFilterEditor = true;
    Drop({Data("f.mcf"), Data("gamma")});
    ASSERT_EQ(m_filterRequests.size(), 1u);
    EXPECT_FALSE(m_filterRequests[0].hasTarget);
    EXPECT_EQ(Shell().CurrentFilters().Count(), 0);
    EXPECT_EQ(Shell().ReportCount(), 3);
    const std::string saved = Data("alpha.mcr");
    ASSERT_TRUE(SaveReport(Shell().ReportAt(0), saved));
    m_app.reset();

    // The start path takes the same way.
    Start(saved);
    ASSERT_EQ(Shell().ReportCount(), 1);
    EXPECT_EQ(Shell().CurrentRecord(), Shell().ReportAt(0)->Root());
}

TEST_F(AppTest, ToolsGetTheShownFolderOrTheDroppedPath) {
    Start();
    Command(cmd::kToolAttributes);  // nothing shown yet
    CreateThroughDialog(m_data.Path());
    SelectItem(test::Child(Shell().ReportAt(0)->Root(), "beta"));
    Command(cmd::kToolListOfFiles);
    HWND panel = Shell().Tools()->Window();
    SendMessageA(GetDlgItem(panel, IDC_TOOLS_DATE_TIME), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(panel, IDC_TOOLS_TEMP_FOLDERS), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(test::MakeDrop({Data("gamma"), Data("Zeta")})), 0);
    const std::string beta = Data("beta");
    EXPECT_EQ(m_tools, (std::vector<std::pair<int, std::string>>{{cmd::kToolAttributes, ""},
                                                                 {cmd::kToolListOfFiles, beta},
                                                                 {cmd::kToolDateTime, beta},
                                                                 {cmd::kToolTemporaryFolders, Data("gamma")}}));
}

// The program's own entry point opens the tool of the command with the start path.
TEST_F(AppTest, ToolCommandsOpenTheirDialogsOnTheStartPath) {
    m_realTools = true;
    Start();
    CreateThroughDialog(m_data.Path());
    SelectItem(test::Child(Shell().ReportAt(0)->Root(), "beta"));
    std::vector<std::pair<ModalKind, std::string>> opened;
    ModalSeam::Get().OnWindowUp([&](HWND dialog, ModalKind kind) {
        if (kind == ModalKind::TemporaryFolders) {
            test::PumpPending();  // the start path is added once the window is up
            HWND list = GetDlgItem(dialog, IDC_TEMP_LIST);
            opened.emplace_back(kind, test::ListCell(list, ListView_GetItemCount(list) - 1, 0));
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        } else if (kind != ModalKind::Message) {
            opened.emplace_back(kind, test::TextOf(GetDlgItem(dialog, IDC_TARGET_PATH)));
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    });
    Command(cmd::kToolAttributes);
    SendMessageA(GetDlgItem(Shell().Tools()->Window(), IDC_TOOLS_DATE_TIME), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(test::MakeDrop({Data("Zeta/z.htm")})), 0);
    Command(cmd::kToolListOfFiles);
    SendMessageA(GetDlgItem(Shell().Tools()->Window(), IDC_TOOLS_TEMP_FOLDERS), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(test::MakeDrop({Data("gamma")})), 0);
    EXPECT_EQ(opened, (std::vector<std::pair<ModalKind, std::string>>{{ModalKind::FileAttributes, Data("beta")},
                                                                       {ModalKind::FileDateTime, Data("Zeta/z.htm")},
                                                                       {ModalKind::ListOfFiles, Data("beta")},
                                                                       {ModalKind::TemporaryFolders, Data("gamma")}}));
    // The list the tool closed with is the settings' list.
    AttrNode* stored = FindPath(Shell().SettingsDocument()->Document(), "options:temporary");
    ASSERT_NE(stored, nullptr);
    ASSERT_NE(stored->lastChild, nullptr);
    EXPECT_EQ(std::string(stored->lastChild->desc), Data("gamma"));
}

TEST_F(AppTest, HelpOpensThePageAndOptionsTheSettingsDialog) {
    Start();
    Command(cmd::kHelp);
    const std::vector<ui::ModalShown> executed = ShownOf(ModalKind::Execute);
    ASSERT_EQ(executed.size(), 1u);
    EXPECT_EQ(executed[0].text, Program("helpidx.htm"));

    ModalKind shown = ModalKind::Message;
    ModalSeam::Get().OnWindowUp([&](HWND dialog, ModalKind kind) {
        shown = kind;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    Command(cmd::kOptions);
    EXPECT_EQ(shown, ModalKind::Settings);
}

TEST_F(AppTest, TheFilterEditorEditsTheCurrentSetAndShowsAReportsFiltersReadOnly) {
    m_realFilterEditor = true;
    Start();
    // "Edit &Filters...": a new filter, confirmed, becomes part of the current set.
    std::function<void(HWND)> drive = [](HWND dialog) {
        SendMessageA(GetDlgItem(dialog, IDC_FILTERS_CREATE), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    };
    ModalSeam::Get().OnWindowUp([&](HWND dialog, ModalKind kind) {
        if (kind == ModalKind::FilterEditor) {
            drive(dialog);
        }
    });
    Command(cmd::kEditFilters);
    ASSERT_EQ(Shell().CurrentFilters().Count(), 7);

    // "Show filters" on the panel: the report's own filters, read-only, the panel's filter selected.
    CreateThroughDialog(m_data.Path());
    ASSERT_EQ(Shell().ReportCount(), 1);
    const std::int32_t selected = Shell().Panel()->SelectedFilter();
    ASSERT_GT(selected, 0);
    bool shown = false;
    drive = [&](HWND dialog) {
        shown = true;
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_FILTERS_CREATE)));
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_FILTERS_LIST, LB_GETCURSEL, 0, 0), selected - 1);
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_FILTERS_LIST, LB_GETCOUNT, 0, 0), 7);
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    };
    SendMessageA(Shell().Panel()->Dialog(), WM_COMMAND, MAKEWPARAM(IDC_INFO_SHOW_FILTERS, BN_CLICKED), 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(Shell().CurrentFilters().Count(), 7);
}

TEST_F(AppTest, ShowFilesOpensTheBrowserOnThePanelsFilterAndFolder) {
    m_data.WriteFile("alpha/b.tmp", 5000);
    Start();
    CreateThroughDialog(m_data.Path());
    ASSERT_EQ(Shell().ReportCount(), 1);
    HWND rows = Shell().Panel()->FilterList();
    int temporary = -1;
    for (int row = 0; row < ListView_GetItemCount(rows); ++row) {
        if (Shell().Panel()->CellText(row, 0) == "06. Temporary [temp]") {
            temporary = row;
        }
    }
    ASSERT_GE(temporary, 0);
    ListView_SetItemState(rows, temporary, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    std::string title;
    std::string firstFolder;
    ModalSeam::Get().OnWindowUp([&](HWND dialog, ModalKind kind) {
        if (kind == ModalKind::FilterBrowser) {
            title = test::TextOf(dialog);
            char text[512] = {};
            ListView_GetItemText(GetDlgItem(dialog, IDC_BROWSER_FOLDER_LIST), 0, 0, text, sizeof text);
            firstFolder = text;
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    });
    SendMessageA(Shell().Panel()->Dialog(), WM_COMMAND, MAKEWPARAM(IDC_INFO_SHOW_FILES, BN_CLICKED), 0);
    EXPECT_EQ(title, "Filter : Temporary");
    EXPECT_EQ(firstFolder, Data("alpha"));
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
        if (m_started && WaitForSingleObject(m_process.hProcess, 20000) != WAIT_OBJECT_0) {
            TerminateProcess(m_process.hProcess, 1);
        }
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Waits until its main window shows a tree with the report's root item, answering "No" to a
    // second-copy question of its own (another program may carry the title).
    HWND WaitForReport() {
        // The other process sends this one nothing, so its state is looked at every 50 ms.
        for (const DWORD start = GetTickCount(); GetTickCount() - start < 120000;) {
            EnumWindows(&Visit, reinterpret_cast<LPARAM>(this));
            HWND tree = m_frame != nullptr ? FindTree(m_frame) : nullptr;
            if (tree != nullptr && SendMessageA(tree, TVM_GETCOUNT, 0, 0) > 0) {
                return m_frame;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            test::PumpPending();
        }
        return nullptr;
    }
    bool ClosedCleanly() {
        PostMessageA(m_frame, WM_CLOSE, 0, 0);
        DWORD code = STILL_ACTIVE;
        return WaitForSingleObject(m_process.hProcess, 20000) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(m_process.hProcess, &code) && code == 0;
    }

  private:
    static BOOL CALLBACK Visit(HWND window, LPARAM self) {
        auto* program = reinterpret_cast<RunningProgram*>(self);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == program->m_process.dwProcessId && IsWindowVisible(window)) {
            char name[64] = {};
            GetClassNameA(window, name, sizeof(name));
            if (std::strcmp(name, "QuarvexMainFrame") == 0) {
                program->m_frame = window;
            } else if (test::TextOf(window) == kSecondCopyCaption) {
                AnswerUnexpectedBox(window);
            }
        }
        return TRUE;
    }
    static BOOL CALLBACK VisitChild(HWND child, LPARAM found) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof(name));
        if (std::strcmp(name, WC_TREEVIEWA) != 0) {
            return TRUE;
        }
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    static HWND FindTree(HWND frame) {
        HWND found = nullptr;
        EnumChildWindows(frame, &VisitChild, reinterpret_cast<LPARAM>(&found));
        return found;
    }

    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
    HWND m_frame = nullptr;
};

TEST_F(AppTest, ASecondCopyAsksWhetherToSwitchToTheFirst) {
    RunningProgram first(m_data.Path());
    HWND firstFrame = first.WaitForReport();
    ASSERT_NE(firstFrame, nullptr) << "the program showed no report of its start folder";

    // No: this copy starts as well.
    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ui::kAnswerNo));
    EXPECT_TRUE(TryStart());
    ExpectOneMessage("Talvorn Quarvex already running.\n Do you want switch to already running program?",
                     "Second instance of Quarvex");
    m_app.reset();
    // Cancel: this start-up ends before any pane exists.
    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ui::kAnswerCancel));
    EXPECT_FALSE(TryStart());
    EXPECT_EQ(Shell().Reports(), nullptr);
    m_app.reset();
    // Yes: the running copy is shown normally and this start-up ends.
    ShowWindow(firstFrame, SW_MINIMIZE);
    ASSERT_TRUE(test::PumpUntil([&] { return IsIconic(firstFrame) != FALSE; }, 10000));
    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ui::kAnswerYes));
    EXPECT_FALSE(TryStart());
    EXPECT_TRUE(test::PumpUntil([&] { return IsIconic(firstFrame) == FALSE; }, 10000));
    m_app.reset();
    EXPECT_TRUE(first.ClosedCleanly());
}

}  // namespace
}  // namespace qv
