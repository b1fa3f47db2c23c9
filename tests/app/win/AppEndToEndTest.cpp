// The whole program in this process, driven through its windows' messages and the modal windows'
// seam: start-up, reports created, saved, closed, reopened and rebuilt, the five-report limit,
// drops, tools and shutdown; and the program itself started twice. The rules behind each are
// tested natively; these are the wiring cases above them.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
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

std::string WindowsForm(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
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
                if (m_onDialog && kind != ModalKind::Progress) {
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
        if (!m_realFilterEditor) {
            m_app->Shell().EntryPoints().filterEditor = [this](HWND, const FilterEditorRequest& request,
                                                               FilterSet* result) {
                m_filterRequests.push_back(request);
                result->SetBuiltIn();
                return m_confirmFilterEditor;
            };
        }
        return m_app->Start(GetModuleHandleA(nullptr), startPath);
    }

    // Paths inside the scratch folders in their Windows form (the relative parts use '/').
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
    // A command that asks for a file, then shows a message box.
    void CommandOnFile(int id, const std::string& file) {
        ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(file));
        ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ui::kAnswerCancel));
        Command(id);
    }
    const char* RootPath(int index) { return Shell().ReportAt(index)->Root()->desc; }
    std::string Totals(int index) { return test::Figures(Shell().ReportAt(index)->Root()); }
    // Selects a record's item the way a click does: the control announces the selection.
    void SelectItem(FolderRecord* record) {
        TreeView_SelectItem(Shell().Reports()->Tree().Tree(), Shell().Reports()->ItemOf(record));
        ASSERT_EQ(Shell().CurrentRecord(), record);
    }
    std::string TitleOf(FolderRecord* record) {
        return Shell().Reports()->Tree().Text(Shell().Reports()->ItemOf(record));
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
    // The message boxes shown as "caption: text", but for the second-copy question that a test
    // program running at the same time with our title brings (unless that question is looked for).
    static std::vector<std::string> Messages(bool withSecondCopy = false) {
        std::vector<std::string> shown;
        for (const ui::ModalShown& box : ShownOf(ModalKind::Message)) {
            if (withSecondCopy || box.title != kSecondCopyCaption) {
                shown.push_back(box.title + ": " + box.text);
            }
        }
        return shown;
    }

    test::ScratchDir m_program;
    test::ScratchDir m_data;
    std::unique_ptr<QuarvexApp> m_app;
    std::vector<std::string> m_unexpectedBoxes;
    // For the windows other than message boxes and the scan's progress window.
    std::function<void(HWND window, ModalKind kind)> m_onDialog;
    std::vector<FilterEditorRequest> m_filterRequests;
    bool m_confirmFilterEditor = false;
    bool m_realFilterEditor = false;
};

TEST_F(AppTest, StartUpHelpOptionsCreateSaveCloseReopenAndAnExitThatSavesTheSettings) {
    m_program.MakeDir("Reports");
    Start();
    EXPECT_TRUE(IsWindowVisible(FrameWindow()));
    // The info panel keeps the width it asks for, the tools panel its height.
    const RECT panel = test::RectInParent(Shell().Panel()->Window());
    const RECT tools = test::RectInParent(Shell().Tools()->Window());
    EXPECT_EQ(std::make_tuple(panel.right - panel.left, tools.bottom - tools.top),
              std::make_tuple(Shell().Panel()->PreferredWidth(), Shell().Tools()->PreferredHeight()));

    Command(cmd::kHelp);
    ASSERT_EQ(ShownOf(ModalKind::Execute).size(), 1u);
    EXPECT_EQ(ShownOf(ModalKind::Execute)[0].text, Program("helpidx.htm"));
    ModalKind shown = ModalKind::Message;
    m_onDialog = [&](HWND dialog, ModalKind kind) {
        shown = kind;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    Command(cmd::kOptions);
    EXPECT_EQ(shown, ModalKind::Settings);
    m_onDialog = nullptr;

    CreateThroughDialog(m_data.Path());
    ASSERT_EQ(Shell().ReportCount(), 1);
    FolderRecord* root = Shell().ReportAt(0)->Root();
    EXPECT_EQ(std::make_tuple(std::string(root->desc), Shell().Reports()->Tree().Data(Shell().Reports()->Tree().FirstRoot()),
                              Shell().Panel()->Record()),
              std::make_tuple(m_data.Path(), static_cast<const void*>(root), root));
    // A second Create starts its folder dialog at the root of the shown folder's drive.
    ModalSeam::Get().QueueAnswer(ModalAnswer::Cancel());
    Command(cmd::kCreateReport);
    EXPECT_EQ(ShownOf(ModalKind::Folder).back().folder, m_data.Path().substr(0, 3));

    const std::string before = Totals(0);
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(Program("Reports/data.mcr")));
    Command(cmd::kSaveReport);
    EXPECT_EQ(ShownOf(ModalKind::SaveFile).back().folder, Program("Reports"));
    Command(cmd::kCloseReport);
    EXPECT_EQ(std::make_tuple(Shell().ReportCount(), Shell().Panel()->Record()), std::make_tuple(0, nullptr));
    Command(cmd::kQuickLoadFirst);  // "Quick Load" lists the saved file now
    ASSERT_EQ(Shell().ReportCount(), 1);
    EXPECT_EQ(std::make_pair(Totals(0), Shell().CurrentRecord()), std::make_pair(before, Shell().ReportAt(0)->Root()));

    Shell().SettingsDocument()->SetValue("common:browse", 1);
    HWND frame = FrameWindow();
    Command(cmd::kExit);
    ASSERT_TRUE(test::PumpUntil([&] { return !IsWindow(frame); }));
    EXPECT_EQ(std::make_tuple(Shell().Started(), Shell().ReportCount(), Shell().SettingsDocument()),
              std::make_tuple(false, 0, nullptr));
    Shell().Destroy();  // a second shutdown finds nothing left to do
    Settings reread(ProgramSettings());
    EXPECT_TRUE(reread.Load());
    EXPECT_EQ(reread.GetValue("common:browse"), 1);
}

TEST_F(AppTest, StartUpFollowsTheSettingsAndListsTheProgramsFolders) {
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
        settings.SetValue("tree:icon", 0);
        ASSERT_TRUE(settings.Save());
    }
    Start();
    // The cluster size is imposed for one run only; "Quick Load" lists the two reports.
    EXPECT_EQ(std::make_tuple(Shell().CurrentFilters().Count(), Shell().SettingsDocument()->GetValue("common:cluster"),
                              TreeView_GetImageList(Shell().Reports()->Tree().Tree(), TVSIL_NORMAL),
                              Shell().ReportDialogFolder(),
                              GetMenuItemCount(GetSubMenu(GetSubMenu(GetMenu(FrameWindow()), 0), 3))),
              std::make_tuple(1, 0, HIMAGELIST{}, Program("Reports"), 2));

    // "Load Filters" lists the file; choosing it opens the filter editor on it.
    m_confirmFilterEditor = true;
    Command(cmd::kLoadFiltersFirst);
    ASSERT_EQ(m_filterRequests.size(), 1u);
    EXPECT_EQ(m_filterRequests[0].file, Program("Filters/logs.mcf"));
    EXPECT_EQ(Shell().CurrentFilters().Count(), 6);  // what the editor handed back
}

TEST_F(AppTest, FilesThatFailSaySoAndKeepWhatIsOpen) {
    Start();
    CreateThroughDialog(m_data.Path());
    const std::string unsaved = Program("missing-folder/data.mcr");
    CommandOnFile(cmd::kSaveReport, unsaved);
    // A document without a report, then a report cut short.
    const std::string empty = Data("empty.mcr");
    m_data.WriteText("empty.mcr",
                     "<?xml version=\"1.0\"?>\n<node name=\"report\" desc=\"0.0.4\">\n"
                     "\t<node name=\"?drive?\" desc=\"0;1;12;1\"/>\n</node>\n");
    CommandOnFile(cmd::kOpenReport, empty);
    EXPECT_EQ(Shell().ReportDialogFolder(), m_data.Path());  // remembered though the file did not load
    const std::string cut = Data("cut.mcr");
    ASSERT_TRUE(SaveReport(Shell().ReportAt(0), cut));
    const std::string text = test::ReadAll(cut);
    m_data.WriteText("cut.mcr", text.substr(0, text.find("<node name=\"beta\"") + 25));
    CommandOnFile(cmd::kOpenReport, cut);
    ASSERT_EQ(Shell().ReportCount(), 2);
    EXPECT_EQ(Shell().CurrentRecord(), Shell().ReportAt(1)->Root());  // what could be read is shown

    const std::vector<std::string> shown = Messages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_NE(shown[0].find(": The report could not be saved to\n" + unsaved + "\n"), std::string::npos) << shown[0];
    EXPECT_EQ(std::vector<std::string>(shown.begin() + 1, shown.end()),
              (std::vector<std::string>{"Error: Error reading file: " + empty, "Talvorn Quarvex: The file " + cut +
                                                                                     " is incomplete: the report shows only what could be read."}));
}

TEST_F(AppTest, NotesFromTheTreeMenuOutliveAnUpdateAndThePanelButtonClearsThem) {
    // The notes dialog gets each text typed into it and OK pressed.
    std::vector<std::string> typed = {"first line\r\nsecond", ""};
    m_onDialog = [&](HWND window, ModalKind kind) {
        if (kind == ModalKind::Notes && !typed.empty()) {
            SetDlgItemTextA(window, IDC_NOTES_EDIT, typed.front().c_str());
            typed.erase(typed.begin());
            test::PressButton(window, IDOK);
        }
    };
    Start();
    CreateThroughDialog(m_data.Path());
    CreateThroughDialog(Data("beta"));
    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ID_TREE_NOTES));
    Shell().Reports()->ShowContextMenu(test::Child(Shell().ReportAt(0)->Root(), "alpha"), 10, 10);
    const std::int64_t filesBefore = ReadStat(Shell().ReportAt(0)->Root(), LFN);
    m_data.WriteFile("alpha/new.txt", 42);

    // Update rebuilds the report in its slot and its place at the top of the tree.
    SelectItem(Shell().ReportAt(0)->Root());
    Command(cmd::kUpdateReport);
    ASSERT_EQ(Shell().ReportCount(), 2);
    FolderRecord* root = Shell().ReportAt(0)->Root();
    FolderRecord* alpha = test::Child(root, "alpha");
    EXPECT_EQ(std::make_tuple(ReadStat(root, LFN), Shell().CurrentRecord(),
                              Shell().Reports()->Tree().Data(TreeView_GetRoot(Shell().Reports()->Tree().Tree())),
                              std::string(ReadText(alpha, notes)), TitleOf(alpha).find("<first line _ second>") != std::string::npos),
              std::make_tuple(filesBefore + 1, root, static_cast<const void*>(root), std::string("first line\r\nsecond"), true));

    // The info panel's button: an emptied text removes the notes, the title loses them.
    SelectItem(alpha);
    test::PressButton(Shell().Panel()->Dialog(), IDC_INFO_NOTES);
    EXPECT_EQ(std::make_tuple(static_cast<bool>(alpha->attrs.Find(notes)), TitleOf(alpha).find('<'), typed.empty()),
              std::make_tuple(false, std::string::npos, true));
}

TEST_F(AppTest, WhatsNewFromTheToolbarComparesAndLeavesTheReportAlone) {
    Start();
    CreateThroughDialog(m_data.Path());
    const std::string before = Totals(0);
    m_data.WriteFile("beta/more.bin", 3072);
    SelectItem(Shell().ReportAt(0)->Root());
    std::string since;
    m_onDialog = [&](HWND window, ModalKind kind) {
        if (kind == ModalKind::Comparison) {
            since = test::TextOf(GetDlgItem(window, IDC_COMPARE_SINCE));
            test::PressButton(window, IDCANCEL);
        }
    };
    test::PressButton(Shell().Reports()->ToolbarWindow(), IDC_TOOLBAR_WHATS_NEW);
    EXPECT_EQ(since, "Since " + Shell().ReportAt(0)->Created() + " :  +3 K   +1 file");
    EXPECT_EQ(Totals(0), before);
}

TEST_F(AppTest, DropsAndStartPathsTakeTheFirstPathThatWorksUpToFiveReports) {
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
    EXPECT_EQ(std::make_tuple(m_filterRequests[0].hasTarget, Shell().CurrentFilters().Count(), Shell().ReportCount()),
              std::make_tuple(false, 0, 3));
    Drop({Data("gamma")});
    Drop({Data("alpha/deep")});
    ASSERT_EQ(Shell().ReportCount(), 5);
    HWND toolbar = Shell().Reports()->ToolbarWindow();
    const bool menuEnabled = MenuItemEnabled(cmd::kCreateReport);
    Command(cmd::kCreateReport);  // disabled: no dialog
    EXPECT_EQ(std::make_tuple(menuEnabled, IsWindowEnabled(GetDlgItem(toolbar, IDC_TOOLBAR_CREATE)),
                              ShownOf(ModalKind::Folder).size()),
              std::make_tuple(false, FALSE, 0u));

    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ui::kAnswerCancel));
    Drop({m_data.Path(), Data("beta")});  // the message once, and nothing changes
    EXPECT_EQ(Messages(), std::vector<std::string>{"Talvorn Quarvex: Maximum number of opened reports = 5\nClose one or more reports and try again"});
    EXPECT_EQ(Shell().ReportCount(), 5);
    // Closing one enables Create again, in the menu and on the toolbar.
    SelectItem(Shell().ReportAt(4)->Root());
    Command(cmd::kCloseReport);
    EXPECT_EQ(std::make_tuple(MenuItemEnabled(cmd::kCreateReport), IsWindowEnabled(GetDlgItem(toolbar, IDC_TOOLBAR_CREATE))),
              std::make_tuple(true, TRUE));
    const std::string saved = Data("alpha.mcr");
    ASSERT_TRUE(SaveReport(Shell().ReportAt(0), saved));
    m_app.reset();

    // The start path takes the same way.
    Start(saved);
    ASSERT_EQ(Shell().ReportCount(), 1);
    EXPECT_EQ(Shell().CurrentRecord(), Shell().ReportAt(0)->Root());
}

// The program's own entry point opens each tool on the shown folder or the first dropped path.
TEST_F(AppTest, ToolsOpenOnTheShownFolderOrTheFirstDroppedPath) {
    std::vector<std::pair<ModalKind, std::string>> opened;
    m_onDialog = [&](HWND dialog, ModalKind kind) {
        HWND list = GetDlgItem(dialog, IDC_TEMP_LIST);
        test::PumpPending();  // the temporary folders' start path is added once the window is up
        opened.emplace_back(kind, kind == ModalKind::TemporaryFolders
                                      ? test::ListCell(list, ListView_GetItemCount(list) - 1, 0)
                                      : test::TextOf(GetDlgItem(dialog, IDC_TARGET_PATH)));
        test::PressButton(dialog, IDCANCEL);
    };
    Start();
    Command(cmd::kToolAttributes);  // nothing shown yet
    CreateThroughDialog(m_data.Path());
    SelectItem(test::Child(Shell().ReportAt(0)->Root(), "beta"));
    Command(cmd::kToolListOfFiles);
    HWND panel = Shell().Tools()->Window();
    SendMessageA(GetDlgItem(panel, IDC_TOOLS_DATE_TIME), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(panel, IDC_TOOLS_TEMP_FOLDERS), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(test::MakeDrop({Data("gamma"), Data("Zeta")})), 0);
    EXPECT_EQ(opened, (std::vector<std::pair<ModalKind, std::string>>{{ModalKind::FileAttributes, ""},
                                                                       {ModalKind::ListOfFiles, Data("beta")},
                                                                       {ModalKind::FileDateTime, Data("beta")},
                                                                       {ModalKind::TemporaryFolders, Data("gamma")}}));
    // The list the tool closed with is the settings' list.
    AttrNode* stored = FindPath(Shell().SettingsDocument()->Document(), "options:temporary");
    ASSERT_TRUE(stored != nullptr && stored->lastChild != nullptr);
    EXPECT_EQ(std::string(stored->lastChild->desc), Data("gamma"));
}

TEST_F(AppTest, FilterWindowsEditTheCurrentSetAndShowAReportsFiltersAndFiles) {
    m_data.WriteFile("alpha/b.tmp", 5000);
    m_realFilterEditor = true;
    // "Edit &Filters...": a new filter, confirmed, becomes part of the current set.
    std::function<void(HWND)> drive = [](HWND dialog) {
        test::ClickButton(dialog, IDC_FILTERS_CREATE);
        test::ClickButton(dialog, IDOK);
    };
    std::string browser;
    m_onDialog = [&](HWND dialog, ModalKind kind) {
        if (kind == ModalKind::FilterEditor) {
            drive(dialog);
        } else if (kind == ModalKind::FilterBrowser) {
            browser = test::TextOf(dialog) + "|" + test::ListCell(GetDlgItem(dialog, IDC_BROWSER_FOLDER_LIST), 0, 0);
            test::PressButton(dialog, IDCANCEL);
        }
    };
    Start();
    CreateThroughDialog(m_data.Path());
    HWND rows = Shell().Panel()->FilterList();
    for (int row = 0; row < ListView_GetItemCount(rows); ++row) {
        if (Shell().Panel()->CellText(row, 0) == "06. Temporary [temp]") {
            test::SelectListRow(rows, row);
        }
    }
    test::PressButton(Shell().Panel()->Dialog(), IDC_INFO_SHOW_FILES);
    EXPECT_EQ(browser, "Filter : Temporary|" + Data("alpha"));

    Command(cmd::kEditFilters);
    ASSERT_EQ(Shell().CurrentFilters().Count(), 7);
    // "Show filters" on the panel: the report's own six, read-only, the panel's filter selected.
    const std::int32_t selected = Shell().Panel()->SelectedFilter();
    ASSERT_GT(selected, 0);
    std::tuple<BOOL, LRESULT, LRESULT> shown;
    drive = [&](HWND dialog) {
        shown = {IsWindowVisible(GetDlgItem(dialog, IDC_FILTERS_CREATE)),
                 SendDlgItemMessageA(dialog, IDC_FILTERS_LIST, LB_GETCURSEL, 0, 0),
                 SendDlgItemMessageA(dialog, IDC_FILTERS_LIST, LB_GETCOUNT, 0, 0)};
        test::ClickButton(dialog, IDOK);
    };
    test::PressButton(Shell().Panel()->Dialog(), IDC_INFO_SHOW_FILTERS);
    EXPECT_EQ(shown, std::make_tuple(FALSE, LRESULT{selected - 1}, LRESULT{6}));
    EXPECT_EQ(Shell().CurrentFilters().Count(), 7);
}

// The program itself, started as a second process with a folder on its command line.
class RunningProgram {
  public:
    explicit RunningProgram(const std::string& folder) {
        std::string exe = QV_ZIVAZADO_EXE;
        if (!exe.empty() && exe[0] == '/') {  // a path of the build machine: Wine shows it under Z:
            exe = "Z:" + WindowsForm(exe);
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
            if (m_frame != nullptr) {
                EnumChildWindows(m_frame, &Visit, reinterpret_cast<LPARAM>(this));
            }
            if (m_tree != nullptr && SendMessageA(m_tree, TVM_GETCOUNT, 0, 0) > 0) {
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
    // Notes its main window and that window's tree, and answers its second-copy question.
    static BOOL CALLBACK Visit(HWND window, LPARAM self) {
        auto* program = reinterpret_cast<RunningProgram*>(self);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == program->m_process.dwProcessId && IsWindowVisible(window)) {
            const std::string name = ClassOf(window);
            if (name == "QuarvexMainFrame" || name == WC_TREEVIEWA) {
                (name == WC_TREEVIEWA ? program->m_tree : program->m_frame) = window;
            } else if (test::TextOf(window) == kSecondCopyCaption) {
                AnswerUnexpectedBox(window);
            }
        }
        return TRUE;
    }

    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
    HWND m_frame = nullptr;
    HWND m_tree = nullptr;
};

TEST_F(AppTest, ASecondCopyAsksWhetherToSwitchToTheFirst) {
    RunningProgram first(m_data.Path());
    HWND firstFrame = first.WaitForReport();
    ASSERT_NE(firstFrame, nullptr) << "the program showed no report of its start folder";

    // No: this copy starts as well.
    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ui::kAnswerNo));
    EXPECT_TRUE(TryStart());
    EXPECT_EQ(Messages(true), std::vector<std::string>{"Second instance of Quarvex: Talvorn Quarvex already running.\n Do "
                                                       "you want switch to already running program?"});
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
