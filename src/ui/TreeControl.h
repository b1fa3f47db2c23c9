// The tree-view wrapper: a host window of the module's class holding a "SysTreeView32" control,
// its image list, item operations, sorting, and the translation of the control's notifications
// into the codes its owner answers through one callback.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>

#include "ui/CallbackRegistry.h"
#include "ui/MCMain.h"

namespace qv::ui {

// Notification codes and what they carry. Item data is the pointer given at insertion (the
// report window's FolderRecord); "none" is 0.
enum TreeCode : int {
    kTreeSelectionChanged = 1000,  // value: data of the new selection or none
    kTreeIconForIndex = 1001,      // value: index 0, 1, 2, ...; answer: an HBITMAP, none to stop;
                                   // extra: an int* that receives the index (0 when icons are off)
    kTreeTextColour = 1003,        // value: data; answer: a COLORREF, or -1 for the default
    kTreeTextBackground = 1004,    // value: data; answer: a COLORREF, or -1 for the default
    kTreeContextMenu = 1006,       // value: data or none; extra: screen x, y in the low and high 16 bits
    kTreeExpanding = 1007,         // value: data of the item about to open; extra: its HTREEITEM
};

// Orders two items by their data under a sort mode: negative, 0 or positive.
using TreeCompare = int (*)(const void* first, const void* second, int mode);

// The wrapper. The object must outlive its windows. All notifications go to `notify` with
// `context` (usually DispatchCallback with the owner's registry entry as context).
class TreeControl final : public ModuleWindowHandler {
  public:
    TreeControl(COLORREF background, CallbackHandler notify, void* context);
    ~TreeControl();
    TreeControl(const TreeControl&) = delete;
    TreeControl& operator=(const TreeControl&) = delete;

    // Creates the host window in `parent` and the tree control filling it, with `font`, then
    // builds the image list. Needs the module's window class.
    bool Create(const MCMain& ui, HWND parent, const RECT& rect, HFONT font);
    void Destroy();

    // Asks for images (code 1001) from index 0 on until the answer is none; no answer at index 0
    // leaves the tree without images. Returns the number of images.
    int BuildImageList();

    // Inserts an item below `parent` (null: at the top level) after `after` (TVI_LAST appends,
    // TVI_FIRST puts it first); `image` < 0 sets none. An item inserted `expandable` shows the
    // expand button before it has children, which its owner then inserts when answering code 1007.
    HTREEITEM Insert(HTREEITEM parent,
                     const char* text,
                     const void* data,
                     int image,
                     bool expandable = false,
                     HTREEITEM after = TVI_LAST);
    bool SetText(HTREEITEM item, const char* text);
    std::string Text(HTREEITEM item) const;
    const void* Data(HTREEITEM item) const;
    bool Expand(HTREEITEM item);
    bool Collapse(HTREEITEM item);
    // Selects the item (null: none); the selection is announced with code 1000.
    bool Select(HTREEITEM item);
    bool DeleteItem(HTREEITEM item);
    void DeleteAll();

    HTREEITEM Selected() const;
    HTREEITEM FirstRoot() const;
    HTREEITEM FirstChild(HTREEITEM item) const;
    HTREEITEM NextSibling(HTREEITEM item) const;
    HTREEITEM Parent(HTREEITEM item) const;
    // The item at a screen position, or null.
    HTREEITEM HitTest(POINT screen) const;
    // Where a context menu for `item` opens (below its text), in screen coordinates; for no item,
    // the control's top-left corner.
    POINT ContextMenuPosition(HTREEITEM item) const;

    // Sorting: the children of every item at every level; the top-level order stays.
    void SetCompare(TreeCompare compare, int mode);
    void SortAll();

    HWND Window() const { return m_host; }
    HWND Tree() const { return m_tree; }
    HIMAGELIST ImageList() const { return m_images; }

    LRESULT HandleModuleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    static int CALLBACK CompareItems(LPARAM first, LPARAM second, LPARAM self);
    std::intptr_t Notify(int code, std::intptr_t value, std::intptr_t extra = 0);
    LRESULT OnNotify(const NMHDR& header);
    LRESULT OnCustomDraw(NMTVCUSTOMDRAW* draw);
    void OnContextMenu(LPARAM position);
    void SortChildren(HTREEITEM item);

    COLORREF m_background;
    CallbackHandler m_notify;
    void* m_context;
    HWND m_host = nullptr;
    HWND m_tree = nullptr;
    HIMAGELIST m_images = nullptr;
    TreeCompare m_compare = nullptr;
    int m_sortMode = 0;
};

}  // namespace qv::ui
