// Printing on Windows: the canvas on a device context, the printer's document, the dialog's
// choice, the two commands and the tree control read as a print source.
#include "view/win/Printing.h"

#include <algorithm>
#include <cstddef>
#include <memory>

#include "ui/MCMain.h"

namespace qv {

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);

// The printer's side of one document: pages start and end on its device context, each mapped to
// the logical page.
class PrinterDevice final : public PrintDevice {
  public:
    PrinterDevice(HDC dc, ui::MCMain& ui, const std::string& name, const PrintSetup& setup)
        : m_dc(dc), m_ui(ui), m_name(name), m_setup(setup) {}

    bool StartDocument() override {
        DOCINFOA document = {};
        document.cbSize = sizeof document;
        document.lpszDocName = m_name.c_str();
        return StartDocA(m_dc, &document) > 0;
    }
    PrintCanvas* StartPage() override {
        m_canvas.reset();
        if (::StartPage(m_dc) <= 0) {
            return nullptr;
        }
        // Starting a page may reset the device context's attributes: map every page anew.
        MapLogicalPage(m_dc, LogicalPage(m_setup.landscape), GetDeviceCaps(m_dc, HORZRES), GetDeviceCaps(m_dc, VERTRES),
                       m_setup.scale);
        m_canvas = std::make_unique<GdiCanvas>(m_dc, m_ui);
        return m_canvas.get();
    }
    bool EndPage() override {
        m_canvas.reset();
        return ::EndPage(m_dc) > 0;
    }
    void EndDocument() override { EndDoc(m_dc); }
    void AbortDocument() override {
        m_canvas.reset();
        AbortDoc(m_dc);
    }

  private:
    HDC m_dc;
    ui::MCMain& m_ui;
    const std::string& m_name;
    const PrintSetup& m_setup;
    std::unique_ptr<GdiCanvas> m_canvas;
};

std::string PathOf(FolderRecord* record) {
    const char* path = ReadText(record, ALC);
    return path != nullptr ? path : std::string();
}

int CompareLikeTheSystem(const char* a, const char* b) {
    return lstrcmpiA(a, b);
}

// The print dialog; the printer's device context (the caller deletes it) or null.
HDC AskForPrinter(HWND owner, shell::PrintMemory* memory) {
    HDC dc = nullptr;
    return shell::ShowPrintDialog(false, 0, owner, memory, &dc) ? dc : nullptr;
}

bool PrintWithDialog(HWND owner,
                     ui::MCMain& ui,
                     shell::PrintMemory* memory,
                     const std::string& path,
                     const PageFunction& pages) {
    HDC dc = AskForPrinter(owner, memory);
    if (dc == nullptr) {
        return false;
    }
    const bool printed = PrintOnPrinter(dc, ui, ui.Title() + ": " + path, PrintSetupOf(memory), pages);
    DeleteDC(dc);
    return printed;
}

}  // namespace

// ---- canvas ----

GdiCanvas::GdiCanvas(HDC dc, ui::MCMain& ui) : m_dc(dc), m_ui(ui) {}

GdiCanvas::~GdiCanvas() {
    if (m_oldFont != nullptr) {
        SelectObject(m_dc, m_oldFont);
    }
}

void GdiCanvas::SelectFont(int index) {
    HGDIOBJ old = SelectObject(m_dc, m_ui.GetFont(index));
    if (m_oldFont == nullptr) {
        m_oldFont = old;
    }
}

TextSize GdiCanvas::Measure(const std::string& text) {
    SIZE size = {};
    if (text.empty()) {
        return {};
    }
    GetTextExtentPoint32A(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
    return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

void GdiCanvas::Text(int x, int y, const std::string& text) {
    TextOutA(m_dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void GdiCanvas::Line(int x1, int y1, int x2, int y2, std::uint32_t colour) {
    HPEN pen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(colour));
    HGDIOBJ old = SelectObject(m_dc, pen);
    MoveToEx(m_dc, x1, y1, nullptr);
    LineTo(m_dc, x2, y2);
    SelectObject(m_dc, old);
    DeleteObject(pen);
}

void GdiCanvas::Frame(int left, int top, int right, int bottom) {
    HPEN pen = CreatePen(PS_SOLID, 1, kBlack);
    HGDIOBJ oldPen = SelectObject(m_dc, pen);
    HGDIOBJ oldBrush = SelectObject(m_dc, GetStockObject(NULL_BRUSH));
    Rectangle(m_dc, left, top, right, bottom);
    SelectObject(m_dc, oldBrush);
    SelectObject(m_dc, oldPen);
    DeleteObject(pen);
}

void MapLogicalPage(HDC dc, PageSize page, int deviceWidth, int deviceHeight, int scale) {
    const PrintViewport viewport = ViewportFor(deviceWidth, deviceHeight, page, scale);
    SetMapMode(dc, MM_ISOTROPIC);
    SetWindowExtEx(dc, page.width, page.height, nullptr);
    SetViewportExtEx(dc, viewport.extentX, viewport.extentY, nullptr);
    SetViewportOrgEx(dc, viewport.originX, viewport.originY, nullptr);
    SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    SetTextColor(dc, kBlack);
    SetBkMode(dc, TRANSPARENT);
    IntersectClipRect(dc, 0, 0, page.width, page.height);
}

// ---- the printer ----

PrintSetup PrintSetupOf(const shell::PrintMemory* memory) {
    PrintSetup setup;
    if (memory == nullptr) {
        return setup;
    }
    setup.copies = std::max<int>(memory->Copies(), 1);
    setup.devMode = memory->DevModeBytes();
    if (setup.devMode.size() >= offsetof(DEVMODEA, dmCopies) + sizeof(short)) {
        const auto* mode = reinterpret_cast<const DEVMODEA*>(setup.devMode.data());
        setup.landscape = (mode->dmFields & DM_ORIENTATION) != 0 && mode->dmOrientation == DMORIENT_LANDSCAPE;
        setup.scale = (mode->dmFields & DM_SCALE) != 0 && mode->dmScale >= 1 ? mode->dmScale : 100;
        if ((mode->dmFields & DM_COPIES) != 0 && mode->dmCopies > 1) {
            setup.copies = mode->dmCopies;  // the dialog keeps the copies in the device mode
        }
    }
    return setup;
}

bool PrintOnPrinter(HDC printer,
                    ui::MCMain& ui,
                    const std::string& documentName,
                    const PrintSetup& setup,
                    const PageFunction& pages) {
    if (printer == nullptr) {
        return false;
    }
    // The copies are printed one after another here, so the printer makes one of each.
    if (setup.copies > 1 && setup.devMode.size() >= offsetof(DEVMODEA, dmCopies) + sizeof(short)) {
        std::vector<char> single = setup.devMode;
        reinterpret_cast<DEVMODEA*>(single.data())->dmCopies = 1;
        ResetDCA(printer, reinterpret_cast<DEVMODEA*>(single.data()));
    }
    PrinterDevice device(printer, ui, documentName, setup);
    return PrintPages(device, LogicalPage(setup.landscape), setup.copies, pages);
}

bool PrintFolderInformation(HWND owner,
                            ui::MCMain& ui,
                            shell::PrintMemory* memory,
                            Report* report,
                            FolderRecord* record,
                            bool filterListShown) {
    const std::string path = PathOf(record);
    if (path.empty()) {
        return false;
    }
    FolderInfoSource source;
    source.title = ui.Title();
    source.record = record;
    source.policy = report != nullptr ? report->Policy() : nullptr;
    source.filters = report != nullptr ? &report->Filters() : nullptr;
    source.filterListShown = filterListShown;
    source.compareNames = &CompareLikeTheSystem;
    FolderInfoPrintout printout(std::move(source));
    return PrintWithDialog(owner, ui, memory, path, [&printout](PrintCanvas& canvas, PageSize page, int number) {
        return printout.Page(canvas, page, number);
    });
}

bool PrintTreeBranch(HWND owner, ui::MCMain& ui, shell::PrintMemory* memory, HWND tree, HTREEITEM start) {
    TreeViewSource source(tree);
    const std::string path = start != nullptr ? source.Path(start) : std::string();
    if (path.empty()) {
        return false;
    }
    TreePrintout printout(ui.Title(), source, start);
    return PrintWithDialog(owner, ui, memory, path, [&printout](PrintCanvas& canvas, PageSize page, int number) {
        return printout.Page(canvas, page, number);
    });
}

// ---- the tree control as a print source ----

namespace {

HTREEITEM ItemOf(PrintItem item) {
    return static_cast<HTREEITEM>(const_cast<void*>(item));
}

}  // namespace

PrintItem TreeViewSource::FirstChild(PrintItem item) const {
    return TreeView_GetChild(m_tree, ItemOf(item));
}

PrintItem TreeViewSource::NextSibling(PrintItem item) const {
    return TreeView_GetNextSibling(m_tree, ItemOf(item));
}

bool TreeViewSource::HasChildren(PrintItem item) const {
    TVITEMA tvItem = {};
    tvItem.mask = TVIF_CHILDREN;
    tvItem.hItem = ItemOf(item);
    return (SendMessageA(m_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem)) && tvItem.cChildren != 0) ||
           FirstChild(item) != nullptr;
}

bool TreeViewSource::Expanded(PrintItem item) const {
    return (TreeView_GetItemState(m_tree, ItemOf(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

std::string TreeViewSource::Title(PrintItem item) const {
    char text[1024] = {};
    TVITEMA tvItem = {};
    tvItem.mask = TVIF_TEXT;
    tvItem.hItem = ItemOf(item);
    tvItem.pszText = text;
    tvItem.cchTextMax = sizeof text;
    SendMessageA(m_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem));
    return text;
}

std::string TreeViewSource::Path(PrintItem item) const {
    TVITEMA tvItem = {};
    tvItem.mask = TVIF_PARAM;
    tvItem.hItem = ItemOf(item);
    if (!SendMessageA(m_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem))) {
        return {};
    }
    return PathOf(reinterpret_cast<FolderRecord*>(tvItem.lParam));
}

}  // namespace qv
