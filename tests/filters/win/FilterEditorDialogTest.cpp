// The filter editor driven through its controls' messages from inside its own modal loop: what
// it shows, an edit refused and then accepted, and the commands that add, delete, save and load
// filters. The rules behind them are the editor model's own tests; the read-only form is the
// program's end-to-end test.
#include <gtest/gtest.h>

#include "SeamDialogTest.h"
#include "filters/win/FilterEditorDialog.h"

namespace qv {
namespace {

using test::ClickButton;
using test::Enabled;
using test::ShownOf;
using test::Visible;
using ui::ModalAnswer;
using ui::ModalKind;
using ui::ModalSeam;

// Types `text` into an edit as the user would: it has the focus while its text changes.
void Type(HWND dialog, int id, const char* text) {
    SetFocus(GetDlgItem(dialog, id));
    SetWindowTextA(GetDlgItem(dialog, id), text);
}

// "count|selected|text of line `line`" of the filter list.
std::string ListState(HWND dialog, int line) {
    char text[600] = {};
    SendDlgItemMessageA(dialog, IDC_FILTERS_LIST, LB_GETTEXT, static_cast<WPARAM>(line),
                        reinterpret_cast<LPARAM>(text));
    return std::to_string(SendDlgItemMessageA(dialog, IDC_FILTERS_LIST, LB_GETCOUNT, 0, 0)) + "|" +
           std::to_string(SendDlgItemMessageA(dialog, IDC_FILTERS_LIST, LB_GETCURSEL, 0, 0)) + "|" + text;
}

void SelectLine(HWND dialog, int index) {
    SendDlgItemMessageA(dialog, IDC_FILTERS_LIST, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FILTERS_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_FILTERS_LIST)));
}

class FilterEditorDialogTest : public test::SeamDialogTest {
  protected:
    void SetUp() override {
        SeamDialogTest::SetUp();
        m_set.SetBuiltIn();
    }
    // Runs the editor; `drive` works on it from inside its modal loop and must close it.
    bool Run(const FilterEditorSource& source, const std::function<void(HWND)>& drive) {
        bool confirmed = false;
        auto open = [&] { confirmed = ShowFilterEditor(m_window.Handle(), &m_ui, source, &m_result); };
        EXPECT_TRUE(Drive(ModalKind::FilterEditor, open, drive));
        return confirmed;
    }
    FilterEditorSource Editable(std::int32_t select) { return {&m_set, "", true, select, m_dir.Path()}; }

    FilterSet m_set;
    FilterSet m_result;
};

TEST_F(FilterEditorDialogTest, OpensOnTheChosenFilterRefusesAnEditKeepsItAndAccepts) {
    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(IDOK));
    EXPECT_TRUE(Run(Editable(6), [&](HWND dialog) {
        EXPECT_EQ(ListState(dialog, 5) + "|" + test::TextOf(GetDlgItem(dialog, IDC_FILTERS_MASK)),
                  "6|5|06. Temporary|*.tmp;~*.*;*.bak;");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FILTERS_TEMPORARY), BST_CHECKED);
        EXPECT_FALSE(Visible(dialog, IDC_FILTERS_ENABLED) || Enabled(dialog, IDC_FILTERS_MOVE_DOWN));
        ExpectTip(dialog, IDC_FILTERS_TEMPORARY, "Temporary filter (these files can be deleted)");

        SelectLine(dialog, 1);
        Type(dialog, IDC_FILTERS_NAME, "Images");  // filter 4's name
        EXPECT_TRUE(Enabled(dialog, IDC_FILTERS_ACCEPT) && !Enabled(dialog, IDC_FILTERS_LIST));
        ClickButton(dialog, IDC_FILTERS_ACCEPT);
        Type(dialog, IDC_FILTERS_NAME, "Web");
        Type(dialog, IDC_FILTERS_MASK, "*.htm, *.css");
        ClickButton(dialog, IDC_FILTERS_TEMPORARY);
        ClickButton(dialog, IDC_FILTERS_ACCEPT);
        EXPECT_EQ(ListState(dialog, 1), "6|1|02. Web");
        ClickButton(dialog, IDOK);
    }));
    const std::vector<ui::ModalShown> shown = ShownOf(ModalKind::Message);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text + "|" + shown[0].title, "Filter with this name already exist|Error adding filter");
    FilterInfo web;
    EXPECT_TRUE(m_result.FindById(2, &web) && web.masks == "*.htm;*.css" && web.temporary) << web.masks;
}

TEST_F(FilterEditorDialogTest, CreateDeleteSaveAndLoad) {
    // One queue for every window, in the order they come: Save, the Delete question, Load.
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(m_dir.Sub("mine.mcf")));
    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(IDYES));
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(m_dir.Sub("mine.mcf")));
    EXPECT_TRUE(Run(Editable(1), [&](HWND dialog) {
        ClickButton(dialog, IDC_FILTERS_CREATE);
        EXPECT_EQ(ListState(dialog, 0), "7|0|01. New Filter 1");
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_FILTERS_NAME));
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_FILTERS_NAME, EM_GETSEL, 0, 0), MAKELRESULT(0, 12))
            << "the whole name is selected";
        ClickButton(dialog, IDC_FILTERS_SAVE);
        SelectLine(dialog, 6);
        ClickButton(dialog, IDC_FILTERS_DELETE);  // answered Yes
        EXPECT_EQ(ListState(dialog, 5).substr(0, 4), "6|5|");
        ClickButton(dialog, IDC_FILTERS_LOAD);  // back to the saved seven
        EXPECT_EQ(ListState(dialog, 0).substr(0, 2), "7|");
        ClickButton(dialog, IDOK);
    }));
    const std::vector<ui::ModalShown> shown = ShownOf(ModalKind::Message);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text + "|" + shown[0].title, "    Delete filter '07. Temporary' ?     |Submit");
    EXPECT_EQ(ShownOf(ModalKind::OpenFile).size(), 1u);
    EXPECT_EQ(ShownOf(ModalKind::SaveFile).at(0).folder, m_dir.Path());
    EXPECT_EQ(m_result.Count(), 7);
}

}  // namespace
}  // namespace qv
