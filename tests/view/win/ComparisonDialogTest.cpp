// The "What's new" dialog driven from inside its modal loop on a real comparison (a scratch tree
// scanned, changed on disk and scanned again): what it shows, the list and its sorting, the view
// switch, the tree's context menu, Browse, how it ends; and the command for a folder gone from
// disk.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "core/ScanTestUtil.h"
#include "resource.h"
#include "ui/MessageBox.h"
#include "ui/ModalSeam.h"
#include "ui/UiTestUtil.h"
#include "view/win/ComparisonDialog.h"

namespace qv {
namespace {

std::string ItemText(HWND dialog, int id) {
    return test::TextOf(GetDlgItem(dialog, id));
}

bool Visible(HWND window) {
    return (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

LRESULT NotifyList(HWND dialog, UINT code, int item, int column) {
    NMLISTVIEW note = {};
    note.hdr.hwndFrom = GetDlgItem(dialog, IDC_COMPARE_LIST);
    note.hdr.idFrom = IDC_COMPARE_LIST;
    note.hdr.code = code;
    note.iItem = item;
    note.iSubItem = column;
    SendMessageA(dialog, WM_NOTIFY, IDC_COMPARE_LIST, reinterpret_cast<LPARAM>(&note));
    return GetWindowLongPtrA(dialog, DWLP_MSGRESULT);
}

// Every row of the list, its cells joined by "|".
std::vector<std::string> Rows(HWND list) {
    std::vector<std::string> rows(static_cast<std::size_t>(ListView_GetItemCount(list)));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < 4; ++column) {
            rows[row] += (column > 0 ? "|" : "") + test::ListCell(list, static_cast<int>(row), column);
        }
    }
    return rows;
}

int SelectedRow(HWND list) {
    return ListView_GetNextItem(list, -1, LVNI_SELECTED);
}

// The dialog's tree control: the one SysTreeView32 in the dialog.
HWND TreeOf(HWND dialog) {
    HWND host = nullptr;
    while ((host = FindWindowExA(dialog, host, nullptr, nullptr)) != nullptr) {
        if (HWND tree = FindWindowExA(host, nullptr, WC_TREEVIEWA, nullptr)) {
            return tree;
        }
    }
    return nullptr;
}

std::string TreeText(HWND tree, HTREEITEM item) {
    char text[512] = {};
    TVITEMA tvItem = {};
    tvItem.mask = TVIF_TEXT;
    tvItem.hItem = item;
    tvItem.pszText = text;
    tvItem.cchTextMax = sizeof text;
    TreeView_GetItem(tree, &tvItem);
    return text;
}

// scratch: docs (3,000 bytes in two files, sub-folder old with 1,000), media/a.bin (100 bytes),
// keep.txt. On disk afterwards docs/old is gone, media/a.bin has grown to 5,000 bytes and new/
// (one 2,048-byte file) is there.
class ComparisonDialogTest : public test::UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        ui::ModalSeam::Get().Begin();
        m_dir.WriteFile("docs/d1.txt", 1000);
        m_dir.WriteFile("docs/d2.txt", 1000);
        m_dir.WriteFile("docs/old/o.txt", 1000);
        m_dir.WriteFile("media/a.bin", 100);
        m_dir.WriteFile("keep.txt", 10);
        m_old = test::MakeReport(false, 0);
        ASSERT_NE(test::Scan(m_old.get(), m_dir.Path()), nullptr);
        std::filesystem::remove_all(test::ScratchDir::FromUtf8(m_dir.Sub("docs/old")));
        m_dir.WriteFile("media/a.bin", 5000);
        m_dir.WriteFile("new/n.bin", 2048);
        m_fresh = test::MakeReport(false, 0);
        ASSERT_NE(test::Scan(m_fresh.get(), m_dir.Path()), nullptr);
        m_root = Compare(m_old->Root(), m_fresh->Root());
        ASSERT_NE(m_root, nullptr);
    }
    void TearDown() override {
        DeleteNode(m_root);
        ui::ModalSeam::Get().End();
        UiTest::TearDown();
    }
    // Runs the dialog with `drive` called on it from inside its modal loop; returns its result.
    int RunDialog(std::function<void(HWND)> drive) {
        bool driven = false;
        ui::ModalSeam::Get().OnWindowUp([&](HWND dialog, ui::ModalKind kind) {
            EXPECT_EQ(kind, ui::ModalKind::Comparison);
            driven = true;
            drive(dialog);
        });
        const int result = RunComparisonDialog(
            m_window.Handle(), m_ui, m_root, [this](const std::string& path) { m_browsed.push_back(path); });
        ui::ModalSeam::Get().OnWindowUp(nullptr);
        EXPECT_TRUE(driven);
        return result;
    }
    std::string Path(const char* relative) { return m_dir.Sub(relative); }

    test::ScratchDir m_dir;
    std::unique_ptr<Report> m_old;
    std::unique_ptr<Report> m_fresh;
    DifferenceNode* m_root = nullptr;
    std::vector<std::string> m_browsed;
};

TEST_F(ComparisonDialogTest, OpensOnTheListSortsBrowsesAndSwitchesViewsByTheSelectedNode) {
    using namespace std::string_literals;
    ui::ModalSeam::Get().QueueAnswer(ui::ModalAnswer::Button(ID_TREE_EXPAND_ALL));
    const int result = RunDialog([&](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, IDC_COMPARE_PATH) + " | " + ItemText(dialog, IDC_COMPARE_SINCE),
                  m_dir.Path() + " | Since 5/6/2024 at 10:11:12 :  +5.81 K");
        HWND list = GetDlgItem(dialog, IDC_COMPARE_LIST);
        HWND tree = TreeOf(dialog);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(std::make_pair(Visible(list), Visible(GetParent(tree))), std::make_pair(true, false));
        // Sorted by path; the root and docs (their size changed with what is below them, kind 0x44)
        // have no row.
        EXPECT_EQ(Rows(list), (std::vector<std::string>{".\\docs\\old|deleted|-1000 bytes|-1000 bytes",
                                                        ".\\media|size|+4.79 K|+4.79 K", ".\\new|created|+2 K|+2 K"}));
        // The first row in fill order (new: created folders come first) was selected, then sorted.
        EXPECT_EQ(SelectedRow(list), 2);
        EXPECT_EQ(ItemText(dialog, IDC_COMPARE_SELECTED), " Created    +2 K   +1 file");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_COMPARE_BROWSE)));

        // The deleted folder: Browse is disabled; hot-tracking is refused.
        ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_EQ(ItemText(dialog, IDC_COMPARE_SELECTED), " Deleted    -1000 bytes   -1 file");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_COMPARE_BROWSE)));
        EXPECT_EQ(NotifyList(dialog, LVN_HOTTRACK, 1, 0), 1);

        // "Size: Sum" sorts larger first (the orders are tested natively); the selection stays on its node.
        NotifyList(dialog, LVN_COLUMNCLICK, -1, 3);
        EXPECT_EQ(std::make_pair(test::ListCell(list, 0, 0), SelectedRow(list)), std::make_pair(".\\media"s, 2));

        // A double click browses the selected row's folder.
        ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
        NotifyList(dialog, NM_DBLCLK, 0, 0);

        // The tree shows the size change alone; the selection is the list's node.
        test::PressButton(dialog, IDC_COMPARE_VIEW_SWITCH);
        EXPECT_EQ(std::make_pair(Visible(list), Visible(GetParent(tree))), std::make_pair(false, true));
        HTREEITEM root = TreeView_GetRoot(tree);
        EXPECT_EQ(TreeText(tree, root), m_old->Root()->desc + std::string(" [ +5.81 K]"));
        HTREEITEM selected = TreeView_GetSelection(tree);
        EXPECT_EQ(std::make_pair(TreeText(tree, selected), TreeView_GetParent(tree, selected)),
                  std::make_pair(std::string("media [ +4.79 K]"), root));

        // docs has no row of its own: back in the list, its first child's row is selected.
        HTREEITEM docs = TreeView_GetChild(tree, root);
        while (docs != nullptr && TreeText(tree, docs) != "docs [ -1000 bytes]") {
            docs = TreeView_GetNextSibling(tree, docs);
        }
        ASSERT_NE(docs, nullptr);
        TreeView_SelectItem(tree, docs);
        EXPECT_EQ(ItemText(dialog, IDC_COMPARE_SELECTED), " -1000 bytes   -1 file   -1 folder");
        test::PressButton(dialog, IDC_COMPARE_VIEW_SWITCH);
        EXPECT_EQ(test::ListCell(list, SelectedRow(list), 0), ".\\docs\\old");

        // The context menu on docs/old (in the tree) expands everything below it.
        test::PressButton(dialog, IDC_COMPARE_VIEW_SWITCH);
        HTREEITEM old = TreeView_GetSelection(tree);
        EXPECT_EQ(TreeText(tree, old), "old [ -1000 bytes]");
        RECT rect = {};
        TreeView_GetItemRect(tree, old, &rect, TRUE);
        POINT point = {rect.left + 2, rect.top + 2};
        ClientToScreen(tree, &point);
        SendMessageA(GetParent(tree), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree), MAKELPARAM(point.x, point.y));
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);  // Enter
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_browsed, std::vector<std::string>{Path("media")});
    const std::vector<ui::ModalShown> menus = test::ShownOf(ui::ModalKind::PopupMenu);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].displayed, "Browse Folder\n");  // docs/old is gone
}

TEST_F(ComparisonDialogTest, ListOrdersPathsAsTheSystemComparesThem) {
    // Names whose order ignoring case depends on the system's rules for punctuation and accents.
    const char* names[] = {"a-b", "ab", "a_b", "A b", "a'b", "co-op", "Coop", "a10", "a2", "\u00e4b", "ae", "B", "{x}"};
    FolderRecord* empty = test::AddFolder(nullptr, "C:\\x");
    WriteText(empty, ALC, "C:\\x", false);
    FolderRecord* full = test::AddFolder(nullptr, "C:\\x");
    std::vector<std::string> expected;
    for (const char* name : names) {
        FolderRecord* child = test::AddFolder(full, name);
        WriteText(child, ALC, (std::string("C:\\x\\") + name).c_str(), false);
        WriteStat(child, MFS, 1, false);
        expected.push_back(std::string(".\\") + name);
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    DeleteNode(m_root);
    m_root = Compare(empty, full);
    std::vector<std::string> shown;
    EXPECT_EQ(RunDialog([&](HWND dialog) {
                  HWND list = GetDlgItem(dialog, IDC_COMPARE_LIST);
                  for (int row = 0; row < ListView_GetItemCount(list); ++row) {
                      shown.push_back(test::ListCell(list, row, 0));
                  }
                  test::PressButton(dialog, IDCANCEL);
              }),
              0);
    EXPECT_EQ(shown, expected);
    DeleteNode(empty);
    DeleteNode(full);
}

TEST_F(ComparisonDialogTest, AFolderGoneFromDiskGetsTheMessage) {
    FolderRecord* docs = test::Child(m_old->Root(), "docs");
    FolderRecord* old = test::Child(docs, "old");
    ui::ModalSeam::Get().QueueAnswer(ui::ModalAnswer::Button(ui::kAnswerCancel));
    WhatsNewContext context;
    context.ui = &m_ui;
    EXPECT_EQ(ShowWhatsNew(m_window.Handle(), m_old.get(), old, context), -1);
    const std::vector<ui::ModalShown> shown = test::ShownOf(ui::ModalKind::Message);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.substr(0, 50), "This operation is valid only for existing folders!");
}

}  // namespace
}  // namespace qv
