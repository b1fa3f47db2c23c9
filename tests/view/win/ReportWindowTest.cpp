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

constexpr platform::FileTime kDay = 864000000000ULL;

class ReportWindowTest : public test::ReportViewTest {
  protected:
    HWND Toolbar() { return m_window.ToolbarWindow(); }

    // The items below and including `item` in pre-order, each opened as a click on its button
    // does, so the tree inserts what it has not yet.
    std::vector<HTREEITEM> ItemsFrom(HTREEITEM item) {
        std::vector<HTREEITEM> items;
        for (std::vector<HTREEITEM> pending = {item}; !pending.empty();) {
            items.push_back(pending.back());
            pending.pop_back();
            TreeView_Expand(TreeHandle(), items.back(), TVE_EXPAND);
            const std::vector<HTREEITEM> children = test::ChildItems(TreeHandle(), items.back());
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
    // Every record the tree shows below and including the report's root, in pre-order.
    std::vector<std::string> ShownTree() {
        std::vector<std::string> names;
        for (HTREEITEM item : ItemsFrom(m_window.ItemOf(m_root))) {
            names.push_back(NameOf(item));
        }
        return names;
    }
    void ChooseListEntry(int listId, int entry) { test::ChooseEntry(Toolbar(), listId, entry); }
    // One character per button, '1' enabled: Create, Close, Open, Save, What's new, Update, Print, Browse.
    std::string ButtonStates() {
        std::string states;
        for (int id : {IDC_TOOLBAR_CREATE, IDC_TOOLBAR_CLOSE, IDC_TOOLBAR_OPEN, IDC_TOOLBAR_SAVE, IDC_TOOLBAR_WHATS_NEW,
                       IDC_TOOLBAR_UPDATE, IDC_TOOLBAR_PRINT, IDC_TOOLBAR_BROWSE}) {
            states += IsWindowEnabled(GetDlgItem(Toolbar(), id)) ? '1' : '0';
        }
        return states;
    }
};

TEST_F(ReportWindowTest, ItemTextsAndIconsMatchTheReport) {
    const std::vector<HTREEITEM> items = ItemsFrom(TreeView_GetRoot(TreeHandle()));
    EXPECT_EQ(items.size(), 7u);  // root, alpha, deep, Beta, gamma and the files items of root and alpha
    for (HTREEITEM item : items) {
        char text[1024] = {};
        TVITEMA tvItem = {};
        tvItem.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        tvItem.hItem = item;
        tvItem.pszText = text;
        tvItem.cchTextMax = sizeof text;
        ASSERT_TRUE(SendMessageA(TreeHandle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem)));
        auto* record = reinterpret_cast<FolderRecord*>(tvItem.lParam);
        ASSERT_NE(record, nullptr);
        EXPECT_STREQ(text, record->name);
        EXPECT_EQ(tvItem.iImage, record->kind) << record->desc;
        EXPECT_EQ(tvItem.iSelectedImage, record->kind) << record->desc;
    }
    EXPECT_EQ(ImageList_GetImageCount(TreeView_GetImageList(TreeHandle(), TVSIL_NORMAL)), 10);
    EXPECT_EQ(m_root->kind, 9);

    // With the icon flag clear the tree has no images at all.
    m_host.ViewOptions().titleFlags = TitleSize;
    m_window.RefreshAll();
    EXPECT_EQ(TreeView_GetImageList(TreeHandle(), TVSIL_NORMAL), nullptr);
    EXPECT_NE(std::string(m_window.Tree().Text(m_window.ItemOf(m_root))).find("= "), std::string::npos);

    // With no report open the image list still follows the flag as the settings change it.
    m_window.RemoveReport(m_report);
    m_host.Forget(m_report);
    m_host.ViewOptions().titleFlags = TitleSize | TitleIcon;
    m_window.ApplySettings(true, false, false);
    EXPECT_EQ(ImageList_GetImageCount(TreeView_GetImageList(TreeHandle(), TVSIL_NORMAL)), 10);
    m_host.ViewOptions().titleFlags = TitleSize;
    m_window.ApplySettings(true, false, false);
    EXPECT_EQ(TreeView_GetImageList(TreeHandle(), TVSIL_NORMAL), nullptr);
}

TEST_F(ReportWindowTest, AddingAReportAnnouncesItsRootAndSelectionFollowsUnlessGuarded) {
    EXPECT_EQ(m_window.Toolbar().CurrentRecord(), m_root);
    EXPECT_EQ(TreeView_GetSelection(TreeHandle()), m_window.ItemOf(m_root));

    FolderRecord* beta = Child("Beta");
    Select(beta);
    EXPECT_EQ(m_host.CurrentRecord(), beta);
    EXPECT_EQ(m_panel.Record(), beta);
    m_host.SetSelectionGuard(true);
    Select(Child("gamma"));
    EXPECT_EQ(m_panel.Record(), beta);
    m_host.SetSelectionGuard(false);
}

TEST_F(ReportWindowTest, SortingOrdersChildrenButNeverMovesTheReportsRoots) {
    test::ScratchDir second;
    second.WriteFile("aaa/big.bin", 100000);
    Report* other = AddScanned(second.Path());
    ASSERT_NE(other, nullptr);
    ChooseListEntry(IDC_TOOLBAR_SORT_BY, SortBySize);
    EXPECT_EQ(m_window.SortMode(), SortBySize);
    // 8 K each for Beta and alpha, Beta has more bytes; 4 K each for gamma and the files item.
    const std::vector<std::string> bySize = {"Beta", "alpha", "gamma", "{files}"};
    EXPECT_EQ(ShownChildren(m_root), bySize);
    m_window.RefreshAll();  // a re-populated tree comes back in the order in force
    EXPECT_EQ(ShownChildren(m_root), bySize);
    HTREEITEM first = TreeView_GetRoot(TreeHandle());
    EXPECT_EQ(DataOf(first), m_root);
    EXPECT_EQ(DataOf(TreeView_GetNextSibling(TreeHandle(), first)), other->Root());
}

TEST_F(ReportWindowTest, ShowModePrunesAndAnnouncesTheFirstRoot) {
    // Access times: alpha and deep long ago, everything else recent.
    m_host.ViewOptions().accessCutoff = 1000 * kDay;
    for (FolderRecord* record : {m_root, Child("Beta"), Child("gamma")}) {
        WriteStat(record, ELT, 2000 * kDay, true);
    }
    FolderRecord* alpha = Child("alpha");
    WriteStat(alpha, ELT, 10 * kDay, true);
    WriteStat(test::Child(alpha, "deep"), ELT, 5 * kDay, true);
    WriteStat(FilesItemOf(m_root), ELT, 0, true);

    Select(alpha);
    ChooseListEntry(IDC_TOOLBAR_SHOW_FOLDERS, ShowNotAccessed);
    EXPECT_EQ(m_host.ViewOptions().showMode, ShowNotAccessed);
    EXPECT_EQ(ShownTree(), (std::vector<std::string>{"root", "alpha", "deep"}));
    EXPECT_EQ(m_host.CurrentRecord(), m_root);  // the first root is selected and announced again
    // Choosing the shown mode again changes nothing: the selection made since stays.
    Select(alpha);
    ChooseListEntry(IDC_TOOLBAR_SHOW_FOLDERS, ShowNotAccessed);
    EXPECT_EQ(m_host.CurrentRecord(), alpha);
}

TEST_F(ReportWindowTest, ChangedThresholdRebuildsTheEntriesAndRepopulates) {
    HWND show = GetDlgItem(Toolbar(), IDC_TOOLBAR_SHOW_FOLDERS);
    ChooseListEntry(IDC_TOOLBAR_SHOW_FOLDERS, ShowLargerThan);
    EXPECT_EQ(ShownTree(), (std::vector<std::string>{"root"}));
    m_host.ViewOptions().sizeThreshold = 8192;
    m_window.ApplySettings(false, true, false);
    char entry[64] = {};
    SendMessageA(show, CB_GETLBTEXT, ShowLargerThan, reinterpret_cast<LPARAM>(entry));
    EXPECT_STREQ(entry, "greater 8 K");
    EXPECT_EQ(SendMessageA(show, CB_GETCURSEL, 0, 0), ShowLargerThan);
    EXPECT_EQ(ShownTree(), (std::vector<std::string>{"root", "alpha", "Beta"}));
}

TEST_F(ReportWindowTest, ToolbarEnableRules) {
    EXPECT_EQ(ButtonStates(), "11111111");  // the root is current and on disk
    Select(Child("alpha"));
    EXPECT_EQ(ButtonStates(), "10101011");
    m_window.SetCurrentRecord(nullptr);
    EXPECT_EQ(ButtonStates(), "10100000");
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
    FolderRecord* alpha = Child("alpha");
    ASSERT_NE(FilesItemOf(m_root), nullptr);
    // The selected item (the root here) keeps the control's highlight colours.
    const std::tuple<int, FolderRecord*, std::intptr_t> answers[] = {
        {ui::kTreeTextColour, FilesItemOf(m_root), 0x782828},
        {ui::kTreeTextBackground, alpha, 0xFFFFFF},
        {ui::kTreeTextColour, m_root, -1},
    };
    for (const auto& [code, record, answer] : answers) {
        EXPECT_EQ(ask(code, record), answer) << code << " " << (record != nullptr ? record->desc : "null");
    }
    m_host.ViewOptions().showMode = ShowTemporary;
    EXPECT_EQ(ask(ui::kTreeMayShow, Child("Beta")), 0);
    m_host.ViewOptions().showMode = ShowAll;
}

TEST_F(ReportWindowTest, RemoveReportSelectsTheFirstItem) {
    test::ScratchDir second;
    second.WriteFile("x/y.txt", 10);
    Report* other = AddScanned(second.Path());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(m_host.CurrentRecord(), other->Root());
    m_window.RemoveReport(m_report);
    m_host.Forget(m_report);
    EXPECT_EQ(DataOf(TreeView_GetRoot(TreeHandle())), other->Root());
    EXPECT_EQ(TreeView_GetNextSibling(TreeHandle(), TreeView_GetRoot(TreeHandle())), nullptr);
    m_window.RemoveReport(other);
    m_host.Forget(other);
    EXPECT_EQ(TreeView_GetRoot(TreeHandle()), nullptr);
    EXPECT_EQ(m_host.CurrentRecord(), nullptr);
    EXPECT_EQ(m_panel.Record(), nullptr);
}

TEST_F(ReportWindowTest, RefreshOneTitle) {
    FolderRecord* beta = Child("Beta");
    m_host.ViewOptions().titleFlags = TitleNotes;
    WriteText(beta, notes, "keep", false);
    m_window.RefreshTitle(beta);
    EXPECT_EQ(m_window.Tree().Text(m_window.ItemOf(beta)), "Beta        = <keep>");
}

// ---- items inserted as their parents open ----

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

TEST_F(ReportWindowTest, AnUnopenedItemHasTheButtonExactlyWhenItHasShownChildren) {
    m_host.ViewOptions().sizeThreshold = 8192;
    // Each shown folder in pre-order, "+" after those with the button. Above 8 K alpha is shown
    // but both its children are hidden, so it has none.
    const std::pair<int, std::vector<std::string>> cases[] = {
        {ShowAll, {"root+", "{files}", "alpha+", "{files}", "deep", "Beta", "gamma"}},
        {ShowLargerThan, {"root+", "alpha", "Beta"}},
    };
    for (const auto& [mode, expected] : cases) {
        ChooseListEntry(IDC_TOOLBAR_SHOW_FOLDERS, mode);
        std::vector<std::string> shown;
        for (std::vector<HTREEITEM> pending = {TreeView_GetRoot(TreeHandle())}; !pending.empty();) {
            HTREEITEM item = pending.back();
            pending.pop_back();
            // Nothing below an item is inserted before it opens; opening it brings children
            // exactly when it had the button.
            EXPECT_EQ(TreeView_GetChild(TreeHandle(), item), nullptr);
            const bool button = HasButton(TreeHandle(), item);
            TreeView_Expand(TreeHandle(), item, TVE_EXPAND);
            const std::vector<HTREEITEM> children = test::ChildItems(TreeHandle(), item);
            EXPECT_EQ(!children.empty(), button) << NameOf(item);
            shown.push_back(NameOf(item) + (button ? "+" : ""));
            pending.insert(pending.end(), children.rbegin(), children.rend());
        }
        EXPECT_EQ(shown, expected) << "mode " << mode;
    }
}

TEST_F(ReportWindowTest, OpeningAnItemInsertsItsChildrenInTheCurrentOrder) {
    ChooseListEntry(IDC_TOOLBAR_SORT_BY, SortBySize);
    HTREEITEM root = m_window.ItemOf(m_root);
    ASSERT_EQ(TreeView_GetSelection(TreeHandle()), root);
    EXPECT_EQ(TreeView_GetChild(TreeHandle(), root), nullptr);
    // The keyboard opens the selected item as the user does.
    SendMessageA(TreeHandle(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_TRUE(IsExpanded(TreeHandle(), root));
    EXPECT_EQ(ShownChildren(m_root), (std::vector<std::string>{"Beta", "alpha", "gamma", "{files}"}));
}

TEST_F(ReportWindowTest, SelectingADeepRecordFromOutsideInsertsAndSelectsIt) {
    FolderRecord* alpha = Child("alpha");
    FolderRecord* deep = test::Child(alpha, "deep");
    ASSERT_EQ(TreeView_GetChild(TreeHandle(), TreeView_GetRoot(TreeHandle())), nullptr);
    ASSERT_TRUE(m_window.SelectRecord(deep));
    HTREEITEM selected = TreeView_GetSelection(TreeHandle());
    EXPECT_EQ(DataOf(selected), deep);
    EXPECT_EQ(m_host.CurrentRecord(), deep);
    EXPECT_EQ(DataOf(TreeView_GetParent(TreeHandle(), selected)), alpha);
    // The way down is open, as selecting an item in a fully inserted tree opens it.
    EXPECT_TRUE(IsExpanded(TreeHandle(), TreeView_GetParent(TreeHandle(), selected)));
    EXPECT_TRUE(IsExpanded(TreeHandle(), TreeView_GetRoot(TreeHandle())));
    EXPECT_EQ(m_window.ItemOf(deep), selected);

    // A record the show mode hides has no item, whatever is inserted on the way.
    m_host.ViewOptions().sizeThreshold = 8192;
    ChooseListEntry(IDC_TOOLBAR_SHOW_FOLDERS, ShowLargerThan);
    EXPECT_EQ(m_window.ItemOf(deep), nullptr);
    EXPECT_FALSE(m_window.SelectRecord(deep));
    EXPECT_EQ(m_host.CurrentRecord(), m_root);
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
    std::vector<std::string> reportOrder;
    for (FolderRecord* child = Child("alpha")->firstChild; child != nullptr; child = child->nextSibling) {
        reportOrder.insert(reportOrder.begin(), child->group > 0 ? "{files}" : child->desc);
    }
    EXPECT_EQ(ShownChildren(Child("alpha")), reportOrder);
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
    POINT WhiteSpace() {
        RECT client;
        GetClientRect(TreeHandle(), &client);
        POINT point = {client.right / 2, client.bottom - 5};
        ClientToScreen(TreeHandle(), &point);
        return point;
    }
    static bool Has(const std::vector<std::string>& entries, const char* text) {
        return std::find(entries.begin(), entries.end(), text) != entries.end();
    }
};

TEST_F(ContextMenuTest, TheSubMenuFollowsThePosition) {
    ShowWindow(m_host.Frame(), SW_SHOW);
    UpdateWindow(m_host.Frame());
    EXPECT_FALSE(Has(RightClick(WhiteSpace(), 0), "Collapse"));
    FolderRecord* alpha = Child("alpha");
    const std::vector<std::string> folder = RightClick(PointOn(alpha), 0);
    EXPECT_TRUE(Has(folder, "Expand All"));
    EXPECT_FALSE(Has(folder, "Save Report..."));
    EXPECT_EQ(m_host.CurrentRecord(), alpha);  // selected and announced first

    EXPECT_TRUE(Has(RightClick(PointOn(m_root), 0), "Save Report..."));
}

TEST_F(ContextMenuTest, CommandsActOnTheRecord) {
    ShowWindow(m_host.Frame(), SW_SHOW);
    RightClick(PointOn(m_root), ID_TREE_EXPAND_ALL);
    FolderRecord* alpha = Child("alpha");
    const auto expanded = [this](FolderRecord* record) {
        return (TreeView_GetItemState(TreeHandle(), m_window.ItemOf(record), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    };
    EXPECT_TRUE(expanded(m_root));
    EXPECT_TRUE(expanded(alpha));
    RightClick(PointOn(m_root), ID_TREE_COLLAPSE);
    EXPECT_FALSE(expanded(alpha));

    RightClick(PointOn(m_root), ID_TREE_SAVE_REPORT);
    RightClick(PointOn(m_root), ID_TREE_NOTES);
    EXPECT_EQ(m_host.commands, std::vector<int>{32773});
    EXPECT_EQ(m_host.editedNotes, std::vector<FolderRecord*>{m_root});
}

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

TEST_F(ContextMenuTest, RealPopupMenuOpensAndCloses) {
    ShowWindow(m_host.Frame(), SW_SHOW);
    UpdateWindow(m_host.Frame());
    g_probe = OpenMenuProbe();
    SetTimer(nullptr, 0, 50, &ProbeOpenMenu);
    SendMessageA(m_window.Tree().Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(TreeHandle()),
                 MAKELPARAM(PointOn(m_root).x, PointOn(m_root).y));
    EXPECT_TRUE(std::find(g_probe.entries.begin(), g_probe.entries.end(), "Save Report...") != g_probe.entries.end())
        << "ticks: " << g_probe.ticks;
    EXPECT_TRUE(m_host.commands.empty());  // closed without a choice
}

}  // namespace
}  // namespace qv
