// The "Notes" dialog driven from inside its modal loop: what it shows, where the focus is, OK with
// an edited text, the length limit, Cancel; and editing a record's notes through it.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "core/ScanTestUtil.h"
#include "resource.h"
#include "ui/ModalSeam.h"
#include "ui/UiTestUtil.h"
#include "view/Notes.h"
#include "view/win/NotesDialog.h"

namespace qv {
namespace {

class NotesDialogTest : public test::UiTest {
  protected:
    void TearDown() override {
        ui::ModalSeam::Get().End();
        UiTest::TearDown();
    }
    // Runs `run` with `drive` called on the dialog from inside its modal loop; `drive` ends it.
    template <typename Run>
    void WithDialog(std::function<void(HWND)> drive, Run run) {
        bool driven = false;
        ui::ModalSeam::Get().OnWindowUp([&](HWND dialog, ui::ModalKind kind) {
            EXPECT_EQ(kind, ui::ModalKind::Notes);
            driven = true;
            drive(dialog);
        });
        run();
        ui::ModalSeam::Get().OnWindowUp(nullptr);
        EXPECT_TRUE(driven);
    }
};

TEST_F(NotesDialogTest, ShowsThePathAndNotesAndGivesTheEditedText) {
    std::optional<std::string> result;
    WithDialog(
        [&](HWND dialog) {
            HWND edit = GetDlgItem(dialog, IDC_NOTES_EDIT);
            EXPECT_EQ(test::TextOf(GetDlgItem(dialog, IDC_NOTES_PATH)) + " | " + test::TextOf(edit),
                      "C:\\data\\Docs | old\r\nline");
            EXPECT_EQ(std::make_pair(GetFocus(), reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0))),
                      std::make_pair(edit, m_ui.GetFont(0)));
            SetWindowTextA(edit, "new\r\ntext");
            test::PressButton(dialog, IDOK);
        },
        [&] { result = RunNotesDialog(m_window.Handle(), &m_ui, "C:\\data\\Docs", "old\r\nline"); });
    EXPECT_EQ(result.value_or("(none)"), "new\r\ntext");

    WithDialog(
        [&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_NOTES_EDIT, "ignored");
            test::PressButton(dialog, IDCANCEL);
        },
        [&] { result = RunNotesDialog(m_window.Handle(), &m_ui, "", "kept"); });
    EXPECT_FALSE(result.has_value());
}

TEST_F(NotesDialogTest, EditingARecordStoresAtMost4095Characters) {
    FolderRecord* record = test::AddFolder(nullptr, "Docs");
    WriteText(record, notes, "old", false);
    bool changed = false;
    WithDialog(
        [](HWND dialog) {
            EXPECT_EQ(test::TextOf(GetDlgItem(dialog, IDC_NOTES_PATH)), "");  // no full path
            // Typed text stops at the limit; a longer text set at once is cut when read.
            SetDlgItemTextA(dialog, IDC_NOTES_EDIT, std::string(5000, 'n').c_str());
            test::PressButton(dialog, IDOK);
        },
        [&] { changed = EditFolderNotes(m_window.Handle(), &m_ui, record); });
    EXPECT_TRUE(changed);
    EXPECT_EQ(NotesOf(record), std::string(kMaxNotesLength, 'n'));
    DeleteNode(record);
}

}  // namespace
}  // namespace qv
