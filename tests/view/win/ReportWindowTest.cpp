// The report window driven through its messages: the tree's items against the report, selection,
// sorting, show modes, the toolbar, the notifications' answers, items inserted as their parents
// open, and the context menu. The rules behind sorting, show modes, button states, colours and
// menus are tested natively (tests/view); here one case each shows the window uses them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "ViewTestHost.h"
#include "resource.h"
#include "view/ReportWindowRules.h"

namespace qv {
namespace {

using test::TextOf;

// Whether the item shows the expand button: what the control answers for its children.
bool HasButton(HWND tree, HTREEITEM item) {
    TVITEMA tvItem = {};
    tvItem.mask = TVIF_CHILDREN | TVIF_HANDLE;
    tvItem.hItem = item;
    return SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem)) && tvItem.cChildren != 0;
}

bool IsExpanded(HWND tree, HTREEITEM item) {
    return (TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

class ReportWindowTest : public test::ReportViewTest {
  protected:
    HWND Toolbar() { return m_window.ToolbarWindow(); }

    // The items below and including `item` in pre-order, each opened as a click on its button
    // does, so the tree inserts what it has not yet; opening brings children exactly when the
    // item had the button.
    std::vector<HTREEITEM> ItemsFrom(HTREEITEM item) {
        std::vector<HTREEITEM> items;
        for (std::vector<HTREEITEM> pending = {item}; !pending.empty();) {
            items.push_back(pending.back());
            pending.pop_back();
            const bool button = HasButton(TreeHandle(), items.back());
            TreeView_Expand(TreeHandle(), items.back(), TVE_EXPAND);
            const std::vector<HTREEITEM> children = test::ChildItems(TreeHandle(), items.back());
            EXPECT_EQ(!children.empty(), button) << NameOf(items.back());
            pending.insert(pending.end(), children.rbegin(), children.rend());
        }
        return items;
    }
    std::string NameOf(HTREEITEM item) {
        FolderRecord* record = DataOf(item);
        return record == m_root ? "root" : record->group > 0 ? "{files}" : record->desc;
    }
    // The names of the children of `record`'s item, in the tree's order, the item opened.
    std::vector<std::string> ShownChildren(FolderRecord* record) {
        HTREEITEM item = m_window.ItemOf(record);
        TreeView_Expand(TreeHandle(), item, TVE_EXPAND);
        std::vector<std::string> names;
        for (HTREEITEM child : test::ChildItems(TreeHandle(), item)) {
            names.push_back(NameOf(child));
        }
        return names;
    }
    // Every record the tree shows below and including the report's root, in pre-order, "+" after
    // those with the button.
    std::vector<std::string> ShownTree() {
        std::vector<std::string> names;
        for (HTREEITEM item : ItemsFrom(m_window.ItemOf(m_root))) {
            names.push_back(NameOf(item) + (HasButton(TreeHandle(), item) ? "+" : ""));
        }
        return names;
    }
    void ChooseListEntry(int listId, int entry) { test::ChooseEntry(Toolbar(), listId, entry); }
};

TEST_F(ReportWindowTest, ItemTextsAndIconsMatchTheReport) {
    const std::vector<HTREEITEM> items = ItemsFrom(TreeView_GetRoot(TreeHandle()));
    EXPECT_EQ(items.size(), 7u);  // root, alpha, deep, Beta, gamma and the files items of root and alpha
    for (HTREEITEM item : items) {
        TVITEMA tvItem = {};
        tvItem.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        tvItem.hItem = item;
        ASSERT_TRUE(TreeView_GetItem(TreeHandle(), &tvItem));
        const FolderRecord* record = DataOf(item);
        EXPECT_EQ(std::make_tuple(m_window.Tree().Text(item), tvItem.iImage, tvItem.iSelectedImage),
                  std::make_tuple(std::string(record->name), record->kind, record->kind));
    }

    // With the icon flag clear the tree has no images at all.
    m_host.ViewOptions().titleFlags = TitleSize;
    m_window.RefreshAll();
    EXPECT_EQ(TreeView_GetImageList(TreeHandle(), TVSIL_NORMAL), nullptr);
    EXPECT_NE(std::string(m_window.Tree().Text(m_window.ItemOf(m_root))).find("= "), std::string::npos);
    // One title refreshed alone.
    m_host.ViewOptions().titleFlags = TitleNotes;
    WriteText(Child("Beta"), notes, "keep", false);
    m_window.RefreshTitle(Child("Beta"));
    EXPECT_EQ(m_window.Tree().Text(m_window.ItemOf(Child("Beta"))), "Beta        = <keep>");

    // With no report open the image list still follows the flag as the settings change it.
    m_window.RemoveReport(m_report);
    m_host.Forget(m_report);
    m_host.ViewOptions().titleFlags = TitleSize | TitleIcon;
    m_window.ApplySettings(true, false, false);
    EXPECT_NE(TreeView_GetImageList(TreeHandle(), TVSIL_NORMAL), nullptr);
}

// The toolbar's states follow the current record (the rules themselves are tested natively).
TEST_F(ReportWindowTest, AddingAndRemovingReportsAnnounceTheFirstRootSelectionFollowsUnlessGuarded) {
    EXPECT_EQ(m_window.Toolbar().CurrentRecord(), m_root);
    EXPECT_EQ(TreeView_GetSelection(TreeHandle()), m_window.ItemOf(m_root));
    EXPECT_TRUE(test::Enabled(Toolbar(), IDC_TOOLBAR_UPDATE));

    FolderRecord* beta = Child("Beta");
    Select(beta);
    EXPECT_EQ(std::make_pair(m_host.CurrentRecord(), m_panel.Record()), std::make_pair(beta, beta));
    EXPECT_FALSE(test::Enabled(Toolbar(), IDC_TOOLBAR_UPDATE));
    m_host.SetSelectionGuard(true);
    Select(Child("gamma"));
    EXPECT_EQ(m_panel.Record(), beta);
    m_host.SetSelectionGuard(false);

    // Removing reports selects the first one left, then nothing.
    test::ScratchDir second;
    second.WriteFile("x/y.txt", 10);
    Report* other = AddScanned(second.Path());
    ASSERT_NE(other, nullptr);
    m_window.RemoveReport(m_report);
    m_host.Forget(m_report);
    EXPECT_EQ(test::ChildItems(TreeHandle(), nullptr), std::vector<HTREEITEM>{m_window.ItemOf(other->Root())});
    m_window.RemoveReport(other);
    m_host.Forget(other);
    EXPECT_TRUE(TreeView_GetRoot(TreeHandle()) == nullptr && m_host.CurrentRecord() == nullptr &&
                m_panel.Record() == nullptr);
}

TEST_F(ReportWindowTest, SortingOrdersChildrenButNeverMovesTheReportsRoots) {
    ChooseListEntry(IDC_TOOLBAR_SORT_BY, SortBySize);
    HWND tree = TreeHandle();
    ASSERT_EQ(TreeView_GetSelection(tree), m_window.ItemOf(m_root));
    EXPECT_EQ(TreeView_GetChild(tree, m_window.ItemOf(m_root)), nullptr);
    SendMessageA(tree, WM_KEYDOWN, VK_RIGHT, 0);  // the keyboard opens the item as the user does
    EXPECT_TRUE(IsExpanded(tree, m_window.ItemOf(m_root)));
    // 8 K each for Beta and alpha, Beta has more bytes; 4 K each for gamma and the files item.
    const std::vector<std::string> bySize = {"Beta", "alpha", "gamma", "{files}"};
    EXPECT_EQ(ShownChildren(m_root), bySize);
    test::ScratchDir second;
    second.WriteFile("aaa/big.bin", 100000);
    Report* other = AddScanned(second.Path());
    ASSERT_NE(other, nullptr);
    m_window.RefreshAll();  // a re-populated tree comes back in the order in force
    EXPECT_EQ(ShownChildren(m_root), bySize);
    HTREEITEM first = TreeView_GetRoot(TreeHandle());
    EXPECT_EQ(std::make_pair(DataOf(first), DataOf(TreeView_GetNextSibling(TreeHandle(), first))),
              std::make_pair(m_root, other->Root()));
}

TEST_F(ReportWindowTest, ShowModePrunesAnnouncesTheFirstRootAndFollowsTheThreshold) {
    HWND show = GetDlgItem(Toolbar(), IDC_TOOLBAR_SHOW_FOLDERS);
    FolderRecord* beta = Child("Beta");
    Select(beta);
    ChooseListEntry(IDC_TOOLBAR_SHOW_FOLDERS, ShowLargerThan);
    EXPECT_EQ(ShownTree(), (std::vector<std::string>{"root"}));
    EXPECT_EQ(m_host.CurrentRecord(), m_root);  // the first root is selected and announced again
    m_host.ViewOptions().sizeThreshold = 8192;
    m_window.ApplySettings(false, true, false);
    char entry[64] = {};
    SendMessageA(show, CB_GETLBTEXT, ShowLargerThan, reinterpret_cast<LPARAM>(entry));
    EXPECT_EQ(entry + std::to_string(SendMessageA(show, CB_GETCURSEL, 0, 0)),
              "greater 8 K" + std::to_string(ShowLargerThan));
    EXPECT_EQ(TreeView_GetChild(TreeHandle(), m_window.ItemOf(m_root)), nullptr);  // inserted as it opens
    // Above 8 K alpha is shown but both its children are hidden, so it has no button.
    EXPECT_EQ(ShownTree(), (std::vector<std::string>{"root+", "alpha", "Beta"}));
    FolderRecord* deep = test::Child(Child("alpha"), "deep");  // hidden: no item, though alpha is open
    EXPECT_FALSE(m_window.ItemOf(deep) != nullptr || m_window.SelectRecord(deep));
    // Choosing the shown mode again changes nothing: the selection made since stays.
    Select(beta);
    ChooseListEntry(IDC_TOOLBAR_SHOW_FOLDERS, ShowLargerThan);
    EXPECT_EQ(m_host.CurrentRecord(), beta);
}

TEST_F(ReportWindowTest, ButtonsRouteTheirCommandsAndDropQueuedInput) {
    test::PressButton(Toolbar(), IDC_TOOLBAR_CREATE);
    EXPECT_EQ(m_host.commands, (std::vector<int>{32772}));
    test::PressButton(Toolbar(), IDC_TOOLBAR_CLOSE);
    EXPECT_EQ(m_host.closedSerials, std::vector<std::int32_t>{m_report->Serial()});

    // Keys and clicks that piled up while a button ran are dropped; other messages stay.
    PostMessageA(TreeHandle(), WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(TreeHandle(), WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
    PostMessageA(TreeHandle(), WM_NULL, 0, 0);
    test::PressButton(Toolbar(), IDC_TOOLBAR_PRINT);
    EXPECT_EQ(m_host.printedTrees, std::vector<FolderRecord*>{m_root});
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_NULL, WM_NULL, PM_REMOVE));
}

TEST_F(ReportWindowTest, NotificationAnswers) {
    const auto ask = [this](int code, const void* record, std::intptr_t extra = 0) {
        return ui::DispatchCallback(&m_window, code, reinterpret_cast<std::intptr_t>(record), extra);
    };
    // The selected item (the root here) keeps the control's highlight colours.
    EXPECT_EQ(ask(ui::kTreeTextColour, FilesItemOf(m_root)), ItemTextColour(FilesItemOf(m_root)));
    EXPECT_EQ(ask(ui::kTreeTextColour, m_root), -1);
}


// ---- items inserted as their parents open ----

TEST_F(ReportWindowTest, SelectingADeepRecordFromOutsideInsertsAndSelectsIt) {
    FolderRecord* alpha = Child("alpha");
    FolderRecord* deep = test::Child(alpha, "deep");
    ASSERT_EQ(TreeView_GetChild(TreeHandle(), TreeView_GetRoot(TreeHandle())), nullptr);
    ASSERT_TRUE(m_window.SelectRecord(deep));
    HTREEITEM selected = TreeView_GetSelection(TreeHandle());
    EXPECT_EQ(std::make_tuple(DataOf(selected), m_host.CurrentRecord(), m_window.ItemOf(deep)),
              std::make_tuple(deep, deep, selected));
    // The way down is open, as selecting an item in a fully inserted tree opens it.
    EXPECT_EQ(DataOf(TreeView_GetParent(TreeHandle(), selected)), alpha);
    EXPECT_TRUE(IsExpanded(TreeHandle(), m_window.ItemOf(alpha)) && IsExpanded(TreeHandle(), m_window.ItemOf(m_root)));
}

TEST_F(ReportWindowTest, ResortingOrdersInsertedAndLaterInsertedChildrenAlike) {
    // Every folder was created at the same time, and each sibling was accessed after the ones
    // before it in the report: by access date every level turns round, by creation date all tie
    // and the order of the sort before stays.
    std::int64_t access = 1;
    for (std::vector<FolderRecord*> pending = {m_root}; !pending.empty();) {
        FolderRecord* record = pending.back();
        pending.pop_back();
        WriteStat(record, BTM, 5, true);
        WriteStat(record, ELT, access++, true);
        for (FolderRecord* child = record->lastChild; child != nullptr; child = child->prevSibling) {
            pending.push_back(child);
        }
    }
    const auto treeAfterSorts = [this](bool openAllFirst) {
        ChooseListEntry(IDC_TOOLBAR_SORT_BY, SortByName);
        m_window.RefreshAll();
        if (openAllFirst) {
            m_window.RunTreeCommand(ID_TREE_EXPAND_ALL, m_root);
        } else {
            TreeView_Expand(TreeHandle(), m_window.ItemOf(m_root), TVE_EXPAND);
        }
        ChooseListEntry(IDC_TOOLBAR_SORT_BY, SortByAccess);
        ChooseListEntry(IDC_TOOLBAR_SORT_BY, SortByCreated);
        return ShownTree();
    };
    const std::vector<std::string> sortedInPlace = treeAfterSorts(true);
    EXPECT_EQ(treeAfterSorts(false), sortedInPlace);
    // alpha's children came in after both sorts and are in access order: report order turned round.
    EXPECT_EQ(ShownChildren(Child("alpha")), (std::vector<std::string>{"{files}", "deep"}));
}

// ---- context menu ----

// Right-clicks at a screen point through the tree's own WM_CONTEXTMENU and records the sub-menu
// the window chose, answering `command`.
class ContextMenuTest : public ReportWindowTest {
  protected:
    std::vector<std::string> RightClick(POINT screen, int command) {
        ui::ModalSeam::Get().Begin();
        ui::ModalSeam::Get().QueueAnswer(ui::ModalAnswer::Button(command));
        SendMessageA(m_window.Tree().Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(TreeHandle()),
                     MAKELPARAM(screen.x, screen.y));
        const std::vector<ui::ModalShown> menus = test::ShownOf(ui::ModalKind::PopupMenu);
        ui::ModalSeam::Get().End();
        return menus.empty() ? std::vector<std::string>() : test::Lines(menus.back().text);
    }
    POINT PointOn(FolderRecord* record) {
        HTREEITEM item = m_window.ItemOf(record);
        EXPECT_NE(item, nullptr);
        TreeView_EnsureVisible(TreeHandle(), item);
        RECT rect = {};
        TreeView_GetItemRect(TreeHandle(), item, &rect, TRUE);
        POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(TreeHandle(), &point);
        return point;
    }
    static bool Has(const std::vector<std::string>& entries, const char* text) {
        return std::find(entries.begin(), entries.end(), text) != entries.end();
    }
};

// The real menu: a timer in the menu's own loop reads the open menu and closes it.
struct OpenMenuProbe {
    int ticks = 0;
    std::vector<std::string> entries;
};
OpenMenuProbe g_probe;

void CALLBACK ProbeOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    ++g_probe.ticks;
    HWND menuWindow = FindWindowA("#32768", nullptr);
    HMENU menu = menuWindow != nullptr ? reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0)) : nullptr;
    if (menu != nullptr) {
        g_probe.entries = test::MenuTexts(menu);
    }
    if (menu != nullptr || g_probe.ticks > 200) {  // give up after about ten seconds
        KillTimer(nullptr, timer);
        EndMenu();
    }
}

// The sub-menu follows the record under the point (the choice itself is tested natively); the
// real menu opens and closes without a choice.
TEST_F(ContextMenuTest, TheSubMenuFollowsThePositionAndCommandsActOnTheRecord) {
    ShowWindow(m_host.Frame(), SW_SHOW);
    UpdateWindow(m_host.Frame());
    FolderRecord* alpha = Child("alpha");
    const std::vector<std::string> folder = RightClick(PointOn(alpha), 0);
    EXPECT_EQ(std::make_pair(Has(folder, "Expand All"), Has(folder, "Save Report...")), std::make_pair(true, false));
    EXPECT_EQ(m_host.CurrentRecord(), alpha);  // selected and announced first

    RightClick(PointOn(m_root), ID_TREE_EXPAND_ALL);
    EXPECT_TRUE(IsExpanded(TreeHandle(), m_window.ItemOf(alpha)));
    RightClick(PointOn(m_root), ID_TREE_COLLAPSE);
    EXPECT_FALSE(IsExpanded(TreeHandle(), m_window.ItemOf(alpha)));

    RightClick(PointOn(m_root), ID_TREE_SAVE_REPORT);
    RightClick(PointOn(m_root), ID_TREE_NOTES);
    SetTimer(nullptr, 0, 50, &ProbeOpenMenu);
    SendMessageA(m_window.Tree().Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(TreeHandle()),
                 MAKELPARAM(PointOn(m_root).x, PointOn(m_root).y));
    EXPECT_TRUE(Has(g_probe.entries, "Save Report...")) << "ticks: " << g_probe.ticks;
    EXPECT_EQ(std::make_pair(m_host.commands, m_host.editedNotes),
              std::make_pair(std::vector<int>{32773}, std::vector<FolderRecord*>{m_root}));
}

}  // namespace
}  // namespace qv
