// The tree-view wrapper and the callback registry: the control's notifications reach the
// registered owner with the right codes and arguments.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ui/UiTestUtil.h"
#include "ui/CallbackRegistry.h"
#include "ui/TreeControl.h"

namespace qv::test {
namespace {

struct Call {
    int code;
    std::intptr_t value;
    std::intptr_t extra;
};

// The owner of a tree: registered in the registry, records every call and answers the colours
// like the report window would, and no icons (the report window's tests hold the image list).
struct Owner {
    Owner() { ui::RegisterCallback(&entry); }
    ~Owner() { ui::UnregisterCallback(&entry); }

    static std::intptr_t Handle(void* self, int code, std::intptr_t value, std::intptr_t extra) {
        auto* owner = static_cast<Owner*>(self);
        owner->calls.push_back({code, value, extra});
        const bool colour = code == ui::kTreeTextColour || code == ui::kTreeTextBackground;
        return !colour ? 0 : value == 0 ? -1 : code == ui::kTreeTextColour ? 0x782828 : 0xFFFFFF;
    }
    std::vector<Call> Of(int code) const {
        std::vector<Call> found;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(found), [code](const Call& call) { return call.code == code; });
        return found;
    }

    ui::CallbackEntry entry{this, &Owner::Handle, nullptr};
    std::vector<Call> calls;
};

class TreeControlTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(m_tree.Create(m_ui, m_window.Handle(), {0, 0, 400, 300}, m_ui.GetFont(4)));
    }
    void TearDown() override {
        m_tree.Destroy();
        UiTest::TearDown();
    }
    // A root item with one child, expanded and with the owner's log cleared.
    void InsertRootAndChild() {
        m_rootItem = m_tree.Insert(nullptr, "root", &m_root, 9);
        m_childItem = m_tree.Insert(m_rootItem, "child", &m_child, 3);
        m_tree.Expand(m_rootItem);
        m_owner.calls.clear();
    }
    static std::intptr_t AsValue(const void* data) { return reinterpret_cast<std::intptr_t>(data); }
    // A screen position packed into one value as WM_CONTEXTMENU packs it.
    static std::pair<LONG, LONG> Unpacked(std::intptr_t packed) {
        return {static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
    }
    // The screen position of an item's middle.
    POINT MiddleOf(HTREEITEM item) const {
        RECT rect = {};
        TreeView_GetItemRect(m_tree.Tree(), item, &rect, TRUE);
        POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(m_tree.Tree(), &point);
        return point;
    }

    Owner m_owner;
    ui::TreeControl m_tree{0xF0F0F0, &ui::DispatchCallback, &m_owner};
    const char m_root = 'r', m_child = 'c';
    HTREEITEM m_rootItem = nullptr;
    HTREEITEM m_childItem = nullptr;
};

TEST_F(TreeControlTest, ContextMenuCarriesTheItemAndThePackedScreenPosition) {
    InsertRootAndChild();
    m_tree.Select(m_rootItem);
    m_owner.calls.clear();
    const POINT onChild = MiddleOf(m_childItem);
    SendMessageA(m_tree.Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_tree.Tree()),
                 MAKELPARAM(onChild.x, onChild.y));
    POINT empty = {200, 250};  // below the two items
    ClientToScreen(m_tree.Tree(), &empty);
    SendMessageA(m_tree.Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_tree.Tree()),
                 MAKELPARAM(empty.x, empty.y));
    SendMessageA(m_tree.Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_tree.Tree()), MAKELPARAM(-1, -1));

    // The menu key gives the selected item at the position the control names for it.
    const POINT key = m_tree.ContextMenuPosition(m_rootItem);
    std::vector<std::pair<std::intptr_t, std::pair<LONG, LONG>>> menus;
    for (const Call& call : m_owner.Of(ui::kTreeContextMenu)) {
        menus.emplace_back(call.value, Unpacked(call.extra));
    }
    EXPECT_EQ(menus, (std::vector<std::pair<std::intptr_t, std::pair<LONG, LONG>>>{
                         {AsValue(&m_child), {onChild.x, onChild.y}}, {0, {empty.x, empty.y}}, {AsValue(&m_root), {key.x, key.y}}}));
}

TEST_F(TreeControlTest, DrawingAsksForTheColoursOfEveryVisibleItem) {
    InsertRootAndChild();
    RedrawWindow(m_tree.Tree(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    for (int code : {ui::kTreeTextColour, ui::kTreeTextBackground}) {
        SCOPED_TRACE(code);
        std::vector<std::intptr_t> values;
        for (const Call& call : m_owner.Of(code)) {
            values.push_back(call.value);
        }
        for (const void* data : {&m_root, &m_child}) {
            EXPECT_NE(std::find(values.begin(), values.end(), AsValue(data)), values.end());
        }
    }
}

TEST(CallbackRegistryTest, DispatchFindsTheOwnersEntry) {
    struct Counter {
        static std::intptr_t Handle(void* self, int code, std::intptr_t value, std::intptr_t) {
            static_cast<Counter*>(self)->last = code + value;
            return code + value;
        }
        std::intptr_t last = 0;
    };
    Counter first;
    Counter second;
    ui::CallbackEntry firstEntry{&first, &Counter::Handle, nullptr};
    ui::CallbackEntry secondEntry{&second, &Counter::Handle, nullptr};
    ui::RegisterCallback(&firstEntry);
    ui::RegisterCallback(&secondEntry);
    ui::RegisterCallback(&firstEntry);  // already there: no second link, no cycle
    const std::intptr_t answer = ui::DispatchCallback(&second, 1000, 5, 0);
    EXPECT_EQ(std::make_tuple(answer, second.last, first.last), std::make_tuple(1005, 1005, 0));
    ui::UnregisterCallback(&firstEntry);
    EXPECT_EQ(ui::DispatchCallback(&first, 1000, 1, 0), 0);
    EXPECT_EQ(ui::DispatchCallback(&second, 1003, 0, 0), 1003);  // the entry after the removed one
    ui::UnregisterCallback(&secondEntry);
    ui::UnregisterCallback(&secondEntry);  // not in the list: nothing happens
    EXPECT_EQ(ui::DispatchCallback(&second, 1000, 0, 0), 0);
}

}  // namespace
}  // namespace qv::test
