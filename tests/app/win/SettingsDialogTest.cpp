// Tests of the "Program Settings" dialog, driven through its controls' messages from inside its
// own modal loop: what it shows on opening, the round trip through OK, Cancel, the enable rules,
// the threshold rule, the cluster list, the filter file choice and the tool tips.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <set>

#include "resource.h"
#include "TestUtil.h"
#include "ui/UiTestUtil.h"
#include "app/win/SettingsDialog.h"
#include "shell/win/ShellSeam.h"
#include "attr/AttrXml.h"

namespace qv {
namespace {

using test::ScratchDir;

std::string ItemText(HWND dialog, int id) {
    return test::TextOf(GetDlgItem(dialog, id));
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

// Clicks a button as the user would: a disabled one ignores it.
void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string SelectedEntry(HWND dialog, int id) {
    const auto index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    if (index < 0) {
        return "(none)";
    }
    char text[128] = {};
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

void SelectEntry(HWND dialog, int id, const char* text) {
    const auto index =
        SendDlgItemMessageA(dialog, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    ASSERT_GE(index, 0) << text;
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Press(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string DocumentText(const Settings& settings) {
    std::string text;
    WriteTreeToString(settings.Document(), false, nullptr, &text);
    return text;
}

class SettingsDialogTest : public test::UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        shell::Seam::Get().Reset();
        m_location.file = m_dir.Sub("settings.dat");
        m_location.programFolder = m_dir.Path();
        m_settings = std::make_unique<Settings>(m_location);
        m_settings->BindViewOptions(&m_options);
        m_settings->Load();
    }
    void TearDown() override {
        settings_dialog_seam::SetObserver(nullptr, nullptr);
        shell::Seam::Get().Reset();
        UiTest::TearDown();
    }

    // Opens the dialog and lets `drive` work on it from inside its modal loop; `drive` must end
    // it (OK or Cancel). Returns the dialog's result.
    bool RunDialog(std::function<void(HWND)> drive) {
        m_drive = std::move(drive);
        m_driven = false;
        settings_dialog_seam::SetObserver(
            [](HWND dialog, void* self) {
                auto* test = static_cast<SettingsDialogTest*>(self);
                test->m_driven = true;
                test->m_drive(dialog);
            },
            this);
        const bool result = ShowSettingsDialog(m_window.Handle(), *m_settings, &m_ui);
        EXPECT_TRUE(m_driven);
        return result;
    }

    ScratchDir m_dir;
    SettingsLocation m_location;
    TreeViewOptions m_options;
    std::unique_ptr<Settings> m_settings;
    std::function<void(HWND)> m_drive;
    bool m_driven = false;
};

TEST_F(SettingsDialogTest, OpeningShowsTheSettings) {
    const std::string sep(1, platform::kPathSeparator);
    EXPECT_FALSE(RunDialog([&](HWND dialog) {
        EXPECT_EQ(test::TextOf(dialog), "Program Settings");
        const struct {
            int id;
            const char* text;
            bool checked;
        } checks[] = {
            {IDC_SETTINGS_TOOLTIPS, "On/Off", false},
            {IDC_SETTINGS_BUILT_IN, "Built-In", true},
            {IDC_SETTINGS_TREE_SIZE, "Allocated space", true},
            {IDC_SETTINGS_TREE_PERCENT, "% of Parent Volume", true},
            {IDC_SETTINGS_TREE_PRECISE, "1/100", false},
            {IDC_SETTINGS_TREE_CREATED, "Creation Date (cr:date)", false},
            {IDC_SETTINGS_TREE_ACCESS, "Last Access Date  (la:date)", false},
            {IDC_SETTINGS_TREE_NOTES, "Notes", true},
            {IDC_SETTINGS_TREE_ICON, "Size Icon", true},
        };
        for (const auto& check : checks) {
            EXPECT_EQ(ItemText(dialog, check.id), check.text);
            EXPECT_EQ(Checked(dialog, check.id), check.checked) << check.text;
        }
        const struct {
            int id;
            std::vector<std::string> entries;
            const char* selected;
        } lists[] = {
            {IDC_SETTINGS_BROWSE, {"Browse Folder window", "Explorer window"}, "Browse Folder window"},
            {IDC_SETTINGS_DESTROY,
             {"Moves files to Recycle Bin", "Destroys files permanently"},
             "Moves files to Recycle Bin"},
            {IDC_SETTINGS_CLUSTER,
             {"Auto (Recommended)", "512", "1024", "2048", "4096", "8192", "16384", "32768", "65536"},
             "Auto (Recommended)"},
            {IDC_SETTINGS_SIZE_UNIT, {"Kb", "MB"}, "MB"},
            {IDC_SETTINGS_LAST, {"1", "2", "3", "4", "5", "6"}, "1"},
            {IDC_SETTINGS_LAST_UNIT, {"day(s)", "week(s)", "month(s)", "year(s)"}, "year(s)"},
        };
        for (const auto& list : lists) {
            EXPECT_EQ(test::ComboEntries(GetDlgItem(dialog, list.id)), list.entries) << list.id;
            EXPECT_EQ(SelectedEntry(dialog, list.id), list.selected) << list.id;
        }
        EXPECT_EQ(ItemText(dialog, IDC_SETTINGS_SIZE), "1");
        EXPECT_EQ(ItemText(dialog, IDC_SETTINGS_FILTER_FILE), "filters" + sep + "summary.mcf");
        EXPECT_EQ(ItemText(dialog, IDC_SETTINGS_CHOOSE_FILTER), "Choose Filters File");
        EXPECT_EQ(ItemText(dialog, IDC_SETTINGS_BROWSE_LABEL), "[Browse] action invokes");
        EXPECT_EQ(ItemText(dialog, IDC_SETTINGS_DESTROY_LABEL), "[Delete] action for temporary files");
        EXPECT_EQ(ItemText(dialog, IDC_SETTINGS_CLUSTER_LABEL), "Cluster size");
        EXPECT_EQ(ItemText(dialog, IDC_SETTINGS_SIZE_LABEL), "Size Threshold (at least)");
        EXPECT_EQ(ItemText(dialog, IDC_SETTINGS_LAST_LABEL), "Last Accessed");
        EXPECT_EQ(ItemText(dialog, IDC_SETTINGS_AGO_LABEL), "ago");
        // Built-In is on: no file to choose; "% of Parent Volume" is on: "1/100" may be chosen.
        EXPECT_FALSE(Enabled(dialog, IDC_SETTINGS_FILTER_FILE));
        EXPECT_FALSE(Enabled(dialog, IDC_SETTINGS_CHOOSE_FILTER));
        EXPECT_TRUE(Enabled(dialog, IDC_SETTINGS_TREE_PRECISE));
        Press(dialog, IDCANCEL);
    }));
}

TEST_F(SettingsDialogTest, OkWritesEveryControlAndReopeningShowsIt) {
    int applied = 0;
    m_settings->SetApplyHook([&](const AppliedSettings&) { ++applied; });
    EXPECT_TRUE(RunDialog([&](HWND dialog) {
        for (int id :
             {IDC_SETTINGS_TOOLTIPS, IDC_SETTINGS_TREE_SIZE, IDC_SETTINGS_TREE_PRECISE, IDC_SETTINGS_TREE_CREATED,
              IDC_SETTINGS_TREE_ACCESS, IDC_SETTINGS_TREE_NOTES, IDC_SETTINGS_TREE_ICON}) {
            Click(dialog, id);
        }
        SelectEntry(dialog, IDC_SETTINGS_BROWSE, "Explorer window");
        SelectEntry(dialog, IDC_SETTINGS_DESTROY, "Destroys files permanently");
        SelectEntry(dialog, IDC_SETTINGS_CLUSTER, "8192");
        SetDlgItemTextA(dialog, IDC_SETTINGS_SIZE, "250");
        SelectEntry(dialog, IDC_SETTINGS_SIZE_UNIT, "Kb");
        SelectEntry(dialog, IDC_SETTINGS_LAST, "4");
        SelectEntry(dialog, IDC_SETTINGS_LAST_UNIT, "week(s)");
        Press(dialog, IDOK);
    }));
    const struct {
        const char* key;
        bool second;
        std::int32_t value;
    } expected[] = {
        {"common:tooltips", false, 1},   {"common:browse", false, 1},  {"common:destroy", false, 1},
        {"common:cluster", false, 8192}, {"common:filter", false, 1},  {"tree:size", false, 0},
        {"tree:percent", false, 1},      {"tree:percent", true, 1},    {"tree:created", false, 1},
        {"tree:access", false, 1},       {"tree:notes", false, 0},     {"tree:icon", false, 0},
        {"showfolder:size", false, 250}, {"showfolder:size", true, 0}, {"showfolder:last", false, 4},
        {"showfolder:last", true, 1},
    };
    // The live document, and the file it was saved to.
    Settings reloaded(m_location);
    EXPECT_TRUE(reloaded.Load());
    for (const auto& e : expected) {
        EXPECT_EQ(m_settings->GetValue(e.key, e.second), e.value) << e.key << (e.second ? " val2" : "");
        EXPECT_EQ(reloaded.GetValue(e.key, e.second), e.value) << e.key << (e.second ? " val2" : "");
    }
    // OK applied the document.
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(m_options.titleFlags, TitlePercent | TitlePrecisePercent | TitleCreated | TitleAccess);
    EXPECT_EQ(m_options.sizeThreshold, 250 * 1024);
    EXPECT_EQ(m_options.age, 28);

    EXPECT_FALSE(RunDialog([&](HWND dialog) {
        EXPECT_TRUE(Checked(dialog, IDC_SETTINGS_TOOLTIPS));
        EXPECT_FALSE(Checked(dialog, IDC_SETTINGS_TREE_SIZE));
        EXPECT_TRUE(Checked(dialog, IDC_SETTINGS_TREE_PRECISE));
        EXPECT_FALSE(Checked(dialog, IDC_SETTINGS_TREE_ICON));
        EXPECT_EQ(SelectedEntry(dialog, IDC_SETTINGS_BROWSE), "Explorer window");
        EXPECT_EQ(SelectedEntry(dialog, IDC_SETTINGS_DESTROY), "Destroys files permanently");
        EXPECT_EQ(SelectedEntry(dialog, IDC_SETTINGS_CLUSTER), "8192");
        EXPECT_EQ(ItemText(dialog, IDC_SETTINGS_SIZE), "250");
        EXPECT_EQ(SelectedEntry(dialog, IDC_SETTINGS_SIZE_UNIT), "Kb");
        EXPECT_EQ(SelectedEntry(dialog, IDC_SETTINGS_LAST), "4");
        EXPECT_EQ(SelectedEntry(dialog, IDC_SETTINGS_LAST_UNIT), "week(s)");
        Press(dialog, IDCANCEL);
    }));
}

TEST_F(SettingsDialogTest, CancelChangesNothing) {
    const std::string before = DocumentText(*m_settings);
    int applied = 0;
    m_settings->SetApplyHook([&](const AppliedSettings&) { ++applied; });
    EXPECT_FALSE(RunDialog([&](HWND dialog) {
        Click(dialog, IDC_SETTINGS_TOOLTIPS);
        Click(dialog, IDC_SETTINGS_BUILT_IN);
        Click(dialog, IDC_SETTINGS_TREE_PERCENT);
        SelectEntry(dialog, IDC_SETTINGS_CLUSTER, "512");
        SetDlgItemTextA(dialog, IDC_SETTINGS_SIZE, "0");
        SelectEntry(dialog, IDC_SETTINGS_LAST_UNIT, "day(s)");
        Press(dialog, IDCANCEL);
    }));
    EXPECT_EQ(DocumentText(*m_settings), before);
    EXPECT_EQ(applied, 0);
    std::string file;
    ASSERT_TRUE(platform::ReadWholeFile(m_location.file, &file));
    EXPECT_EQ(file, before);
}

TEST_F(SettingsDialogTest, EnableRulesOfOneHundredthAndBuiltIn) {
    RunDialog([&](HWND dialog) {
        Click(dialog, IDC_SETTINGS_TREE_PERCENT);  // off
        EXPECT_FALSE(Enabled(dialog, IDC_SETTINGS_TREE_PRECISE));
        Click(dialog, IDC_SETTINGS_TREE_PERCENT);  // on again
        EXPECT_TRUE(Enabled(dialog, IDC_SETTINGS_TREE_PRECISE));

        for (bool builtIn : {false, true}) {  // off: a filter file may be chosen
            Click(dialog, IDC_SETTINGS_BUILT_IN);
            EXPECT_EQ(Enabled(dialog, IDC_SETTINGS_FILTER_FILE), !builtIn);
            EXPECT_EQ(Enabled(dialog, IDC_SETTINGS_CHOOSE_FILTER), !builtIn);
        }
        Press(dialog, IDCANCEL);
    });
    // A document with the percentage off opens with "1/100" disabled.
    m_settings->SetValue("tree:percent", 0);
    m_settings->SetValue("common:filter", 0);
    RunDialog([&](HWND dialog) {
        EXPECT_FALSE(Enabled(dialog, IDC_SETTINGS_TREE_PRECISE));
        EXPECT_TRUE(Enabled(dialog, IDC_SETTINGS_CHOOSE_FILTER));
        Press(dialog, IDCANCEL);
    });
}

TEST_F(SettingsDialogTest, ThresholdThatReadsAsZeroIsStoredAsOne) {
    const struct {
        const char* typed;
        std::int32_t stored;
    } cases[] = {{"0", 1}, {"", 1}, {"000", 1}, {"x", 1}, {"25", 25}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        std::string shown;
        RunDialog([&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_SETTINGS_SIZE, c.typed);
            Press(dialog, IDOK);
            shown = ItemText(dialog, IDC_SETTINGS_SIZE);  // the window lives until the loop ends
        });
        EXPECT_EQ(m_settings->GetValue("showfolder:size"), c.stored);
        EXPECT_EQ(shown, std::to_string(c.stored));
    }
}

TEST_F(SettingsDialogTest, StoredValuesOutsideTheListsShowTheFirstEntry) {
    m_settings->SetValue("common:cluster", 3000);
    m_settings->SetValue("common:browse", 5);
    m_settings->SetValue("common:destroy", -1);
    m_settings->SetValue("showfolder:last", 9);
    RunDialog([&](HWND dialog) {
        EXPECT_EQ(SelectedEntry(dialog, IDC_SETTINGS_CLUSTER), "Auto (Recommended)");
        EXPECT_EQ(SelectedEntry(dialog, IDC_SETTINGS_BROWSE), "Browse Folder window");
        EXPECT_EQ(SelectedEntry(dialog, IDC_SETTINGS_DESTROY), "Moves files to Recycle Bin");
        EXPECT_EQ(SelectedEntry(dialog, IDC_SETTINGS_LAST), "1");
        Press(dialog, IDOK);
    });
    EXPECT_EQ(m_settings->GetValue("common:cluster"), 0);
    EXPECT_EQ(m_settings->GetValue("common:browse"), 0);
}

TEST_F(SettingsDialogTest, ChosenFilterFileIsShownRelativeInsideTheProgramFolderAndFullOutside) {
    ScratchDir elsewhere;
    elsewhere.WriteText("mine.mcf", "x");
    m_dir.WriteText("filters/inside.mcf", "x");
    const std::string sep(1, platform::kPathSeparator);
    const std::string inside = platform::JoinPath(m_dir.Sub("filters"), "inside.mcf");
    shell::Seam::Get().QueueAnswer(shell::DialogAnswer::Choose(inside));
    shell::Seam::Get().QueueAnswer(shell::DialogAnswer::Choose(elsewhere.Sub("missing.mcf")));
    shell::Seam::Get().QueueAnswer(shell::DialogAnswer::Choose(elsewhere.Sub("mine.mcf")));
    std::vector<std::string> shown;
    RunDialog([&](HWND dialog) {
        Click(dialog, IDC_SETTINGS_BUILT_IN);
        for (int i = 0; i < 3; ++i) {
            Click(dialog, IDC_SETTINGS_CHOOSE_FILTER);
            shown.push_back(ItemText(dialog, IDC_SETTINGS_FILTER_FILE));
        }
        Press(dialog, IDOK);
    });
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], "filters" + sep + "inside.mcf");
    EXPECT_EQ(shown[1], shown[0]);  // a file that does not exist is not taken
    EXPECT_EQ(shown[2], elsewhere.Sub("mine.mcf"));
    EXPECT_EQ(m_settings->GetText("common:filter"), elsewhere.Sub("mine.mcf"));
    EXPECT_EQ(m_settings->GetValue("common:filter"), 0);

    const std::vector<shell::DialogRequest> requests = shell::Seam::Get().Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].kind, shell::DialogKind::OpenFile);
    EXPECT_EQ(requests[0].title, "Specify default filters file");
    EXPECT_EQ(requests[0].filterDescription, "Talvorn Quarvex file filters (*.mcf)");
    EXPECT_EQ(requests[0].filterMask, "*.mcf");
    EXPECT_EQ(requests[0].initialFolder, m_dir.Path());

    // A relative name in the file is stored joined to the program folder.
    RunDialog([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_SETTINGS_FILTER_FILE, ("filters" + sep + "inside.mcf").c_str());
        Press(dialog, IDOK);
    });
    EXPECT_EQ(m_settings->GetText("common:filter"), inside);
}

// The texts of every tool the module's tool tip window holds for the dialog's controls.
std::set<std::string> ToolTexts(HWND toolTips, HWND dialog) {
    std::set<std::string> texts;
    const int count = static_cast<int>(SendMessageA(toolTips, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        TTTOOLINFOA tool = {};
        tool.cbSize = sizeof tool;
        tool.lpszText = text;
        if (SendMessageA(toolTips, TTM_ENUMTOOLSA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool)) &&
            tool.hwnd == dialog) {
            texts.insert(text);
        }
    }
    return texts;
}

TEST_F(SettingsDialogTest, EveryToolTipIsAttached) {
    std::set<std::string> texts;
    RunDialog([&](HWND dialog) {
        texts = ToolTexts(m_ui.ToolTipWindow(), dialog);
        Press(dialog, IDCANCEL);
    });
    const char* expected[] = {
        "Enable ToolTips",
        "Browse folder details",
        "Set filters on startup",
        "Use built-in filter",
        "Browse for filter file (*.mcf)",
        "Delete files details",
        "User-Defined Cluster size",
        "Report tree item details",
        "Show folder size in item's title",
        "Show percent of parent's volume in item's title",
        "Show precise value",
        "Show folder creation date in item's title",
        "Show folder last access date in item's title",
        "Show user-defined folder notes",
        "Show item icon",
        "Customize 'Show folders' Control Panel's menu",
        "Accept changes",
        "Close dialog, skip changes",
    };
    for (const char* tip : expected) {
        EXPECT_EQ(texts.count(tip), 1u) << tip;
    }
}

}  // namespace
}  // namespace qv
