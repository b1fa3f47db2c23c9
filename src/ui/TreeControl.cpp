// The tree-view wrapper: host window, image list, items, sorting and notification translation.
#include "ui/TreeControl.h"

#include <vector>

#include "ui/Guard.h"

namespace qv::ui {

namespace {

constexpr int kTreeId = 1;
// A bound on code 1001's questions, so an owner that never answers none cannot hang the tree.
constexpr int kMaxImages = 256;
constexpr std::intptr_t kDefault = -1;

}  // namespace

TreeControl::TreeControl(COLORREF background, CallbackHandler notify, void* context)
    : m_background(background), m_notify(notify), m_context(context) {}

TreeControl::~TreeControl() {
    Destroy();
}

bool TreeControl::Create(const MCMain& ui, HWND parent, const RECT& rect, HFONT font) {
    if (m_host != nullptr || ui.ClassName().empty()) {
        return false;
    }
    m_host = CreateWindowExA(0, ui.ClassName().c_str(), "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left,
                             rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, ui.Instance(),
                             static_cast<ModuleWindowHandler*>(this));
    if (m_host == nullptr) {
        return false;
    }
    m_tree = CreateWindowExA(
        WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, 0, 0,
        rect.right - rect.left, rect.bottom - rect.top, m_host, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTreeId)),
        ui.Instance(), nullptr);
    if (m_tree == nullptr) {
        Destroy();
        return false;
    }
    if (font != nullptr) {
        SendMessageA(m_tree, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    TreeView_SetBkColor(m_tree, m_background);
    BuildImageList();
    return true;
}

void TreeControl::Destroy() {
    if (m_host != nullptr && IsWindow(m_host)) {
        DestroyWindow(m_host);
    }
    m_host = nullptr;
    m_tree = nullptr;
    if (m_images != nullptr) {
        ImageList_Destroy(m_images);
        m_images = nullptr;
    }
}

std::intptr_t TreeControl::Notify(int code, std::intptr_t value, std::intptr_t extra) {
    return m_notify != nullptr ? m_notify(m_context, code, value, extra) : 0;
}

int TreeControl::BuildImageList() {
    if (m_tree == nullptr) {
        return 0;
    }
    TreeView_SetImageList(m_tree, nullptr, TVSIL_NORMAL);
    if (m_images != nullptr) {
        ImageList_Destroy(m_images);
        m_images = nullptr;
    }
    for (int index = 0; index < kMaxImages; ++index) {
        int answeredIndex = index;
        auto bitmap = reinterpret_cast<HBITMAP>(
            Notify(kTreeIconForIndex, index, reinterpret_cast<std::intptr_t>(&answeredIndex)));
        BITMAP info = {};
        if (bitmap == nullptr || GetObject(bitmap, sizeof(info), &info) == 0) {
            break;
        }
        if (m_images == nullptr) {
            // No mask: the icons are drawn whole, their blue square included.
            m_images = ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR24, 10, 4);
            if (m_images == nullptr) {
                break;
            }
        }
        ImageList_Add(m_images, bitmap, nullptr);
    }
    TreeView_SetImageList(m_tree, m_images, TVSIL_NORMAL);
    return m_images != nullptr ? ImageList_GetImageCount(m_images) : 0;
}

HTREEITEM TreeControl::Insert(HTREEITEM parent,
                              const char* text,
                              const void* data,
                              int image,
                              bool expandable,
                              HTREEITEM after) {
    if (m_tree == nullptr) {
        return nullptr;
    }
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent != nullptr ? parent : TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text != nullptr ? text : "");
    insert.item.lParam = reinterpret_cast<LPARAM>(data);
    if (image >= 0) {
        insert.item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.iImage = image;
        insert.item.iSelectedImage = image;
    }
    if (expandable) {
        insert.item.mask |= TVIF_CHILDREN;
        insert.item.cChildren = 1;
    }
    return reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

bool TreeControl::SetText(HTREEITEM item, const char* text) {
    TVITEMA tvItem = {};
    tvItem.mask = TVIF_TEXT;
    tvItem.hItem = item;
    tvItem.pszText = const_cast<char*>(text != nullptr ? text : "");
    return m_tree != nullptr && SendMessageA(m_tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem)) != 0;
}

std::string TreeControl::Text(HTREEITEM item) const {
    char buffer[1024] = {};
    TVITEMA tvItem = {};
    tvItem.mask = TVIF_TEXT;
    tvItem.hItem = item;
    tvItem.pszText = buffer;
    tvItem.cchTextMax = sizeof(buffer);
    if (m_tree == nullptr || !SendMessageA(m_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem))) {
        return {};
    }
    return buffer;
}

const void* TreeControl::Data(HTREEITEM item) const {
    TVITEMA tvItem = {};
    tvItem.mask = TVIF_PARAM;
    tvItem.hItem = item;
    if (m_tree == nullptr || item == nullptr ||
        !SendMessageA(m_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem))) {
        return nullptr;
    }
    return reinterpret_cast<const void*>(tvItem.lParam);
}

bool TreeControl::Expand(HTREEITEM item) {
    return m_tree != nullptr && TreeView_Expand(m_tree, item, TVE_EXPAND);
}

bool TreeControl::Collapse(HTREEITEM item) {
    return m_tree != nullptr && TreeView_Expand(m_tree, item, TVE_COLLAPSE);
}

bool TreeControl::Select(HTREEITEM item) {
    return m_tree != nullptr && TreeView_SelectItem(m_tree, item);
}

bool TreeControl::DeleteItem(HTREEITEM item) {
    return m_tree != nullptr && TreeView_DeleteItem(m_tree, item);
}

void TreeControl::DeleteAll() {
    if (m_tree != nullptr) {
        TreeView_DeleteAllItems(m_tree);
    }
}

HTREEITEM TreeControl::Selected() const {
    return m_tree != nullptr ? TreeView_GetSelection(m_tree) : nullptr;
}

HTREEITEM TreeControl::FirstRoot() const {
    return m_tree != nullptr ? TreeView_GetRoot(m_tree) : nullptr;
}

HTREEITEM TreeControl::FirstChild(HTREEITEM item) const {
    return m_tree != nullptr ? TreeView_GetChild(m_tree, item) : nullptr;
}

HTREEITEM TreeControl::NextSibling(HTREEITEM item) const {
    return m_tree != nullptr ? TreeView_GetNextSibling(m_tree, item) : nullptr;
}

HTREEITEM TreeControl::Parent(HTREEITEM item) const {
    return m_tree != nullptr ? TreeView_GetParent(m_tree, item) : nullptr;
}

HTREEITEM TreeControl::HitTest(POINT screen) const {
    if (m_tree == nullptr) {
        return nullptr;
    }
    TVHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(m_tree, &hit.pt);
    HTREEITEM item = TreeView_HitTest(m_tree, &hit);
    return (hit.flags & TVHT_ONITEM) != 0 ? item : nullptr;
}

POINT TreeControl::ContextMenuPosition(HTREEITEM item) const {
    POINT point = {0, 0};
    RECT rect = {};
    if (item != nullptr && m_tree != nullptr && TreeView_GetItemRect(m_tree, item, &rect, TRUE)) {
        point = {rect.left, rect.bottom};
    }
    if (m_tree != nullptr) {
        ClientToScreen(m_tree, &point);
    }
    return point;
}

void TreeControl::SetCompare(TreeCompare compare, int mode) {
    m_compare = compare;
    m_sortMode = mode;
}

int CALLBACK TreeControl::CompareItems(LPARAM first, LPARAM second, LPARAM self) {
    const auto* tree = reinterpret_cast<const TreeControl*>(self);
    return Guarded(
        tree->m_tree,
        [&] {
            return tree->m_compare(reinterpret_cast<const void*>(first), reinterpret_cast<const void*>(second),
                                   tree->m_sortMode);
        },
        0);
}

void TreeControl::SortChildren(HTREEITEM item) {
    TVSORTCB sort = {};
    sort.hParent = item;
    sort.lpfnCompare = &TreeControl::CompareItems;
    sort.lParam = reinterpret_cast<LPARAM>(this);
    TreeView_SortChildrenCB(m_tree, &sort, FALSE);
}

void TreeControl::SortAll() {
    if (m_tree == nullptr || m_compare == nullptr) {
        return;
    }
    // An explicit stack: a folder tree can be deeper than is comfortable for recursion.
    std::vector<HTREEITEM> pending;
    for (HTREEITEM root = FirstRoot(); root != nullptr; root = NextSibling(root)) {
        pending.push_back(root);
    }
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        SortChildren(item);
        for (HTREEITEM child = FirstChild(item); child != nullptr; child = NextSibling(child)) {
            pending.push_back(child);
        }
    }
}

LRESULT TreeControl::HandleModuleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (m_tree != nullptr) {
                MoveWindow(m_tree, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            }
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_CONTEXTMENU:
            OnContextMenu(lParam);
            return 0;
        case WM_NCDESTROY:
            m_host = nullptr;
            m_tree = nullptr;
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT TreeControl::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != m_tree) {
        return 0;
    }
    switch (header.code) {
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW: {
            // The A and W forms share the layout up to the item's lParam.
            const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
            Notify(kTreeSelectionChanged, change.itemNew.lParam);
            return 0;
        }
        case TVN_ITEMEXPANDINGA:
        case TVN_ITEMEXPANDINGW: {
            // Sent before the item opens, so children inserted by the owner open with it.
            const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
            if ((change.action & TVE_EXPAND) != 0) {
                Notify(kTreeExpanding, change.itemNew.lParam, reinterpret_cast<std::intptr_t>(change.itemNew.hItem));
            }
            return FALSE;
        }
        case NM_CUSTOMDRAW:
            return OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
        default:
            return 0;
    }
}

LRESULT TreeControl::OnCustomDraw(NMTVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            const std::intptr_t data = static_cast<std::intptr_t>(draw->nmcd.lItemlParam);
            const std::intptr_t text = Notify(kTreeTextColour, data);
            if (text != kDefault) {
                draw->clrText = static_cast<COLORREF>(text);
            }
            const std::intptr_t background = Notify(kTreeTextBackground, data);
            if (background != kDefault) {
                draw->clrTextBk = static_cast<COLORREF>(background);
            }
            return CDRF_DODEFAULT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

void TreeControl::OnContextMenu(LPARAM position) {
    // A right-click arrives with the cursor's screen position (the control sends it after its
    // NM_RCLICK); the menu key arrives with -1, -1 and means the selected item.
    HTREEITEM item = nullptr;
    POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (point.x == -1 && point.y == -1) {
        item = Selected();
        point = ContextMenuPosition(item);
    } else {
        item = HitTest(point);
    }
    const auto packed = static_cast<std::intptr_t>(
        static_cast<std::uint32_t>(static_cast<std::uint16_t>(point.x) | (static_cast<std::uint16_t>(point.y) << 16)));
    Notify(kTreeContextMenu, reinterpret_cast<std::intptr_t>(Data(item)), packed);
}

}  // namespace qv::ui
