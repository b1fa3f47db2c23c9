// The filtered files browser driven through its messages from inside its modal loop, on a report
// scanned from scratch files: what it shows, sorting, the two views, browsing and opening, and
// deleting into the recycle bin and for good (the shell's own question answered by a watcher).
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "SeamDialogTest.h"
#include "core/ScanTestUtil.h"
#include "filters/win/FilterBrowserDialog.h"

namespace qv {
namespace {

using test::Enabled;
using test::ListCell;
using test::PressButton;
using test::SelectListRow;
using test::ShownOf;
using ui::ModalAnswer;
using ui::ModalKind;
using ui::ModalSeam;

// The first column of every row.
std::vector<std::string> Column(HWND list) {
    std::vector<std::string> texts;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        texts.push_back(ListCell(list, row, 0));
    }
    return texts;
}

void Notify(HWND dialog, int listId, UINT code) {
    NMITEMACTIVATE note = {};
    note.hdr.hwndFrom = GetDlgItem(dialog, listId);
    note.hdr.idFrom = static_cast<UINT_PTR>(listId);
    note.hdr.code = code;
    note.iItem = ListView_GetNextItem(note.hdr.hwndFrom, -1, LVNI_SELECTED);
    SendMessageA(dialog, WM_NOTIFY, static_cast<WPARAM>(listId), reinterpret_cast<LPARAM>(&note));
}

// The texts of controls `ids` joined with '|'.
std::string Texts(HWND dialog, std::initializer_list<int> ids) {
    std::string texts;
    for (int id : ids) {
        texts += (texts.empty() ? "" : "|") + test::TextOf(GetDlgItem(dialog, id));
    }
    return texts;
}

std::string Figures(HWND dialog) {
    return Texts(dialog, {IDC_BROWSER_SPACE, IDC_BROWSER_COUNT, IDC_BROWSER_BYTES});
}

class FilterBrowserDialogTest : public test::SeamDialogTest {
  protected:
    void SetUp() override {
        SeamDialogTest::SetUp();
        m_stem = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
        m_dir.WriteFile("a" + m_stem + ".tmp", 100);
        m_dir.WriteFile("keep.txt", 10);
        m_dir.WriteFile("sub/b" + m_stem + ".tmp", 5000);
        m_dir.WriteFile("sub/c" + m_stem + ".tmp", 10);
        m_dir.WriteFile("sub/~d" + m_stem, 10);
        m_dir.WriteFile("none/other.txt", 10);

        FilterSet filters;
        ASSERT_TRUE(
            test::FillFilters(&filters, {test::Filter("Text", "*.txt"), test::Filter("Temp", "*.tmp;~*", true)}));
        m_report->SetFilters(&filters);
        m_report->SetCreated("1/2/2027 at 10:00");
        ASSERT_NE(test::Scan(m_report.get(), platform::FullFolderPath(m_dir.Path())), nullptr);
        m_root = ReadText(m_report->Root(), ALC);
        m_sub = platform::JoinPath(m_root, "sub");
    }

    // Opens the browser on filter `filterId` of the report; `drive` works on it from inside its
    // modal loop and must close it. True when it was shown and driven.
    bool Run(std::int32_t filterId, bool destroy, const std::function<void(HWND)>& drive) {
        const FilterBrowserSource source{m_report.get(), filterId, m_report->Root(), destroy};
        bool shown = false;
        auto open = [&] { shown = ShowFilterBrowser(m_window.Handle(), &m_ui, source); };
        return Drive(ModalKind::FilterBrowser, open, drive) && shown;
    }
    std::string Name(const char* prefix, const char* extension) const { return prefix + m_stem + extension; }

    std::string m_stem;
    std::unique_ptr<Report> m_report = test::MakeReport(false, 4096);
    std::string m_root;
    std::string m_sub;
};

TEST_F(FilterBrowserDialogTest, OpeningShowsWhereTheFilterFoundFilesAndOnlyTemporaryOnesDelete) {
    EXPECT_TRUE(Run(2, false, [&](HWND dialog) {
        EXPECT_EQ(test::TextOf(dialog) + "|" +
                      Texts(dialog, {IDC_BROWSER_PATH, IDC_BROWSER_FOLDERS_LABEL, IDC_BROWSER_FILES_LABEL}),
                  "Filter : Temp|" + m_root + "|List of folders (created 1/2/2027 at 10:00)|Found files: *.tmp;~*");
        HWND folders = GetDlgItem(dialog, IDC_BROWSER_FOLDER_LIST);
        EXPECT_EQ(Column(folders), (std::vector<std::string>{m_root, m_sub}));
        EXPECT_EQ(ListCell(folders, 1, 1) + "|" + ListCell(folders, 1, 2), "3|16 K");
        HWND files = GetDlgItem(dialog, IDC_BROWSER_FILE_LIST);
        EXPECT_EQ(Column(files), std::vector<std::string>{Name("a", ".tmp")});
        EXPECT_EQ(ListCell(files, 0, 1) + "|" + Figures(dialog), "100|4 K|1|100");

        ExpectTip(dialog, IDC_BROWSER_DELETE, "Move selected files to Recicle Bin");
        // Delete needs a selected file; the other two have something to act on.
        EXPECT_FALSE(Enabled(dialog, IDC_BROWSER_DELETE));
        EXPECT_TRUE(Enabled(dialog, IDC_BROWSER_DELETE_ALL) && Enabled(dialog, IDC_BROWSER_DELETE_FOLDERS));
        PressButton(dialog, IDCANCEL);
    }));
    // No folder with files of the filter: nothing is shown.
    EXPECT_FALSE(Run(7, false, [](HWND dialog) { PressButton(dialog, IDCANCEL); }));
    // A filter that is not temporary deletes nothing, whatever is selected.
    EXPECT_TRUE(Run(1, false, [&](HWND dialog) {
        PressButton(dialog, IDC_BROWSER_SELECT_FILES);
        PressButton(dialog, IDC_BROWSER_SELECT_FOLDERS);
        EXPECT_FALSE(Enabled(dialog, IDC_BROWSER_DELETE) || Enabled(dialog, IDC_BROWSER_DELETE_ALL) ||
                     Enabled(dialog, IDC_BROWSER_DELETE_FOLDERS));
        PressButton(dialog, IDCANCEL);
    }));
}

TEST_F(FilterBrowserDialogTest, SortsSwitchesViewsBrowsesOpensDragsAndRescans) {
    EXPECT_TRUE(Run(2, false, [&](HWND dialog) {
        HWND folders = GetDlgItem(dialog, IDC_BROWSER_FOLDER_LIST);
        HWND files = GetDlgItem(dialog, IDC_BROWSER_FILE_LIST);
        SelectListRow(folders, 1);
        test::ClickListHeader(dialog, IDC_BROWSER_FOLDER_LIST, 1);  // most files first
        EXPECT_EQ(Column(folders), (std::vector<std::string>{m_sub, m_root}));
        EXPECT_EQ(ListView_GetNextItem(folders, -1, LVNI_SELECTED), 0) << "the current folder stays selected";

        PressButton(dialog, IDC_BROWSER_VIEW_SWITCH);
        HWND tree = GetDlgItem(dialog, IDC_BROWSER_TREE);
        // The dialog itself shows once its modal loop is idle: look at the controls' own style.
        EXPECT_TRUE((GetWindowLongA(tree, GWL_STYLE) & WS_VISIBLE) &&
                    !(GetWindowLongA(folders, GWL_STYLE) & WS_VISIBLE));
        EXPECT_EQ(TreeView_GetParent(tree, TreeView_GetSelection(tree)), TreeView_GetRoot(tree));
        TreeView_SelectItem(tree, TreeView_GetRoot(tree));
        EXPECT_EQ(Figures(dialog).substr(0, 5), "20 K|") << "the root's total in the tree view";
        // The root's context menu (the tree finds the item under the mouse): Expand All.
        RECT rect = {};
        TreeView_GetItemRect(tree, TreeView_GetRoot(tree), &rect, TRUE);
        POINT point = {rect.left + 2, rect.top + 2};
        ClientToScreen(tree, &point);
        SetCursorPos(point.x, point.y);
        ModalSeam::Get().QueueAnswer(ModalAnswer::Button(ID_TREE_EXPAND_ALL));
        NMHDR rightClick = {tree, IDC_BROWSER_TREE, static_cast<UINT>(NM_RCLICK)};
        SendMessageA(dialog, WM_NOTIFY, IDC_BROWSER_TREE, reinterpret_cast<LPARAM>(&rightClick));
        EXPECT_EQ(TreeView_GetCount(tree), 2u);
        PressButton(dialog, IDC_BROWSER_VIEW_SWITCH);
        EXPECT_EQ(ListView_GetNextItem(folders, -1, LVNI_SELECTED), 1) << "the root's row";

        PressButton(dialog, IDC_BROWSER_BROWSE);
        SelectListRow(folders, 0);
        PressButton(dialog, IDC_BROWSER_SELECT_FILES);
        ModalSeam::Get().QueueAnswer(ModalAnswer::Button(IDNO));
        PressButton(dialog, IDC_BROWSER_OPEN);  // three files: answered No, so only the first
        Notify(dialog, IDC_BROWSER_FILE_LIST, LVN_BEGINDRAG);
        Notify(dialog, IDC_BROWSER_FOLDER_LIST, LVN_BEGINDRAG);  // folders are not dragged

        m_dir.WriteFile("sub/e" + m_stem + ".tmp", 7);  // appears on disk after the browser listed
        PressButton(dialog, IDC_BROWSER_RESCAN);
        EXPECT_EQ(Figures(dialog), "20 K|4|5 027");
        Notify(dialog, IDC_BROWSER_FOLDER_LIST, NM_DBLCLK);
        SelectListRow(files, 0);
        Notify(dialog, IDC_BROWSER_FILE_LIST, NM_DBLCLK);
        PressButton(dialog, IDCANCEL);
    }));
    std::string executed;
    for (const ui::ModalShown& call : ShownOf(ModalKind::Execute)) {
        executed += call.title + " " + call.text + "|";
    }
    const std::string first = platform::JoinPath(m_sub, Name("~d", ""));  // in name order
    EXPECT_EQ(executed, "open " + m_root + "|open " + first + "|open " + m_sub + "|open " + first + "|");
    EXPECT_EQ(test::Lines(ShownOf(ModalKind::DragOut).at(0).text),
              (std::vector<std::string>{first, platform::JoinPath(m_sub, Name("b", ".tmp")),
                                        platform::JoinPath(m_sub, Name("c", ".tmp"))}));
    EXPECT_EQ(ShownOf(ModalKind::Message).size(), 1u) << "more than one file: asked";
}

TEST_F(FilterBrowserDialogTest, DeleteFilesMovesThemToTheRecycleBin) {
    ASSERT_FALSE(test::WineTrashFile("x").empty()) << "not running under Wine";
    ModalSeam::Get().QueueAnswer(ModalAnswer::Button(IDYES));
    EXPECT_TRUE(Run(2, false, [&](HWND dialog) {
        SelectListRow(GetDlgItem(dialog, IDC_BROWSER_FOLDER_LIST), 1);
        PressButton(dialog, IDC_BROWSER_DELETE_FOLDERS);
        EXPECT_EQ(Figures(dialog), "0 bytes|0|0");
        PressButton(dialog, IDCANCEL);
    }));
    EXPECT_EQ(ShownOf(ModalKind::Message).size(), 1u) << "the folder question";
    for (const std::string& name : {Name("b", ".tmp"), Name("c", ".tmp"), Name("~d", "")}) {
        EXPECT_FALSE(platform::FileExists(platform::JoinPath(m_sub, name))) << name;
        EXPECT_TRUE(test::RemoveFromWineTrash(name)) << test::WineTrashFile(name);
    }
    EXPECT_TRUE(platform::FileExists(m_dir.Sub("a" + m_stem + ".tmp")));
}

TEST_F(FilterBrowserDialogTest, DeleteForGoodAfterTheShellAsks) {
    bool answered = false;
    EXPECT_TRUE(Run(2, true, [&](HWND dialog) {
        SelectListRow(GetDlgItem(dialog, IDC_BROWSER_FILE_LIST), 0);
        EXPECT_TRUE(Enabled(dialog, IDC_BROWSER_DELETE));
        test::DialogWatcher yes(
            [](HWND question) {  // Wine's question: "Confirm file deletion", once it is filled in
                return test::WindowTexts(question).find("delet") != std::string::npos &&
                       PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
            },
            dialog);
        PressButton(dialog, IDC_BROWSER_DELETE);
        answered = yes.Stop();
        EXPECT_EQ(Figures(dialog), "0 bytes|0|0");
        PressButton(dialog, IDCANCEL);
    }));
    EXPECT_TRUE(answered) << "the shell did not ask before deleting";
    EXPECT_FALSE(platform::FileExists(m_dir.Sub("a" + m_stem + ".tmp")));
    EXPECT_FALSE(platform::FileExists(test::WineTrashFile("a" + m_stem + ".tmp")));
    EXPECT_TRUE(platform::FileExists(m_dir.Sub("keep.txt")));
}

}  // namespace
}  // namespace qv
