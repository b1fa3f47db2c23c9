// Tests of the "Program Settings" dialog, driven through its controls' messages from inside its
// own modal loop: the round trip through OK, Cancel, the enable rules, the threshold and list
// rules' wiring, and the filter file choice.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "resource.h"
#include "TestUtil.h"
#include "ui/ModalSeam.h"
#include "ui/UiTestUtil.h"
#include "app/win/SettingsDialog.h"
#include "attr/AttrXml.h"

namespace qv::test {
namespace {

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
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
        ui::ModalSeam::Get().Begin();
        m_location.file = m_dir.Sub("settings.dat");
        m_location.programFolder = m_dir.Path();
        m_settings = std::make_unique<Settings>(m_location);
        m_settings->BindViewOptions(&m_options);
        m_settings->Load();
    }
    void TearDown() override {
        ui::ModalSeam::Get().End();
        UiTest::TearDown();
    }

    // Opens the dialog and lets `drive` work on it from inside its modal loop; `drive` must end
    // it (OK or Cancel). Returns the dialog's result.
    bool RunDialog(const std::function<void(HWND)>& drive) {
        bool driven = false;
        ui::ModalSeam::Get().OnWindowUp([&](HWND dialog, ui::ModalKind kind) {
            driven = kind == ui::ModalKind::Settings;
            drive(dialog);
        });
        const bool result = ShowSettingsDialog(m_window.Handle(), *m_settings, &m_ui);
        EXPECT_TRUE(driven);
        return result;
    }

    ScratchDir m_dir;
    SettingsLocation m_location;
    TreeViewOptions m_options;
    std::unique_ptr<Settings> m_settings;
};

TEST_F(SettingsDialogTest, OkWritesEveryControlAndReopeningShowsIt) {
    int applied = 0;
    m_settings->SetApplyHook([&](const AppliedSettings&) { ++applied; });
    EXPECT_TRUE(RunDialog([&](HWND dialog) {
        for (int id :
             {IDC_SETTINGS_TOOLTIPS, IDC_SETTINGS_TREE_SIZE, IDC_SETTINGS_TREE_PRECISE, IDC_SETTINGS_TREE_CREATED,
              IDC_SETTINGS_TREE_ACCESS, IDC_SETTINGS_TREE_NOTES, IDC_SETTINGS_TREE_ICON}) {
            ClickButton(dialog, id);
        }
        ChooseEntry(dialog, IDC_SETTINGS_BROWSE, "Explorer window");
        ChooseEntry(dialog, IDC_SETTINGS_DESTROY, "Destroys files permanently");
        ChooseEntry(dialog, IDC_SETTINGS_CLUSTER, "8192");
        SetDlgItemTextA(dialog, IDC_SETTINGS_SIZE, "250");
        ChooseEntry(dialog, IDC_SETTINGS_SIZE_UNIT, "Kb");
        ChooseEntry(dialog, IDC_SETTINGS_LAST, "4");
        ChooseEntry(dialog, IDC_SETTINGS_LAST_UNIT, "week(s)");
        PressButton(dialog, IDOK);
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
    EXPECT_EQ(std::make_tuple(applied, m_options.sizeThreshold), std::make_tuple(1, 250 * 1024));
    std::string reopened;
    EXPECT_FALSE(RunDialog([&](HWND dialog) {
        reopened = std::string(Checked(dialog, IDC_SETTINGS_TOOLTIPS) ? "1" : "0") + (Checked(dialog, IDC_SETTINGS_TREE_ICON) ? "1 " : "0 ") +
                   ChosenEntry(dialog, IDC_SETTINGS_CLUSTER) + " " + TextOf(GetDlgItem(dialog, IDC_SETTINGS_SIZE)) + " " +
                   ChosenEntry(dialog, IDC_SETTINGS_LAST) + " " + ChosenEntry(dialog, IDC_SETTINGS_LAST_UNIT);
        PressButton(dialog, IDCANCEL);
    }));
    EXPECT_EQ(reopened, "10 8192 250 4 week(s)");
}

TEST_F(SettingsDialogTest, EnableRulesOfOneHundredthAndBuiltInAndCancelChangesNothing) {
    const std::string before = DocumentText(*m_settings);
    int applied = 0;
    m_settings->SetApplyHook([&](const AppliedSettings&) { ++applied; });
    // "1/100" on, then off with the percentage; the filter file choice off, then on without "Built-in".
    std::vector<bool> enabled;
    EXPECT_FALSE(RunDialog([&](HWND dialog) {
        enabled.push_back(Enabled(dialog, IDC_SETTINGS_TREE_PRECISE));
        ClickButton(dialog, IDC_SETTINGS_TREE_PERCENT);
        enabled.insert(enabled.end(), {Enabled(dialog, IDC_SETTINGS_TREE_PRECISE), Enabled(dialog, IDC_SETTINGS_CHOOSE_FILTER)});
        ClickButton(dialog, IDC_SETTINGS_BUILT_IN);
        enabled.insert(enabled.end(), {Enabled(dialog, IDC_SETTINGS_FILTER_FILE), Enabled(dialog, IDC_SETTINGS_CHOOSE_FILTER)});
        ClickButton(dialog, IDC_SETTINGS_TOOLTIPS);
        ChooseEntry(dialog, IDC_SETTINGS_CLUSTER, "512");
        SetDlgItemTextA(dialog, IDC_SETTINGS_SIZE, "0");
        PressButton(dialog, IDCANCEL);
    }));
    std::string file;
    ASSERT_TRUE(platform::ReadWholeFile(m_location.file, &file));
    EXPECT_EQ(std::make_tuple(DocumentText(*m_settings), file, applied), std::make_tuple(before, before, 0));

    // A document with the percentage off opens with "1/100" disabled.
    m_settings->SetValue("tree:percent", 0);
    RunDialog([&](HWND dialog) {
        enabled.push_back(Enabled(dialog, IDC_SETTINGS_TREE_PRECISE));
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(enabled, (std::vector<bool>{true, false, false, true, true, false}));
}

TEST_F(SettingsDialogTest, ChosenFilterFileIsShownRelativeAndCorrectedValuesCorrected) {
    m_dir.WriteText("filters/inside.mcf", "x");
    const std::string inside = platform::JoinPath(m_dir.Sub("filters"), "inside.mcf");
    const std::string separator(1, platform::kPathSeparator);
    ui::ModalSeam::Get().QueueAnswer(ui::ModalAnswer::Choose(m_dir.Sub("missing.mcf")));
    ui::ModalSeam::Get().QueueAnswer(ui::ModalAnswer::Choose(inside));
    // The correcting rules are tested with the settings; here that opening and OK use them.
    m_settings->SetValue("common:cluster", 3000);
    std::vector<std::string> shown;
    RunDialog([&](HWND dialog) {
        shown.push_back(ChosenEntry(dialog, IDC_SETTINGS_CLUSTER));
        ClickButton(dialog, IDC_SETTINGS_BUILT_IN);
        for (int i = 0; i < 2; ++i) {
            ClickButton(dialog, IDC_SETTINGS_CHOOSE_FILTER);
            shown.push_back(TextOf(GetDlgItem(dialog, IDC_SETTINGS_FILTER_FILE)));
        }
        SetDlgItemTextA(dialog, IDC_SETTINGS_SIZE, "0");
        PressButton(dialog, IDOK);
        shown.push_back(TextOf(GetDlgItem(dialog, IDC_SETTINGS_SIZE)));  // the window lives until the loop ends
    });
    // A file that does not exist is not taken.
    EXPECT_EQ(shown, (std::vector<std::string>{"Auto (Recommended)", "filters" + separator + "summary.mcf",
                                               "filters" + separator + "inside.mcf", "1"}));
    EXPECT_EQ(std::make_tuple(m_settings->GetText("common:filter"), m_settings->GetValue("common:filter"),
                              m_settings->GetValue("common:cluster"), m_settings->GetValue("showfolder:size")),
              std::make_tuple(inside, 0, 0, 1));
    const std::vector<ui::ModalShown> requests = test::ShownOf(ui::ModalKind::OpenFile);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(std::make_pair(requests[0].filterMask, requests[0].folder), std::make_pair(std::string("*.mcf"), m_dir.Path()));
}

}  // namespace
}  // namespace qv::test
