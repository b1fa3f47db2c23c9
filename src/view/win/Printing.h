// Printing on Windows: the print dialog, the printer's document and pages, the canvas on a device
// context, and the two print commands (folder information, tree as on screen).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "core/Report.h"
#include "shell/win/Shell.h"
#include "view/PrintLayout.h"

namespace qv::ui {
class MCMain;
}

namespace qv {

// A canvas on a device context with the application's shared fonts. The device context stays the
// caller's; the objects the canvas selects are deselected when it goes.
class GdiCanvas final : public PrintCanvas {
  public:
    GdiCanvas(HDC dc, ui::MCMain& ui);
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    void SelectFont(int index) override;
    TextSize Measure(const std::string& text) override;
    void Text(int x, int y, const std::string& text) override;
    void Line(int x1, int y1, int x2, int y2, std::uint32_t colour) override;
    void Frame(int left, int top, int right, int bottom) override;

  private:
    HDC m_dc;
    ui::MCMain& m_ui;
    HGDIOBJ m_oldFont = nullptr;
};

// Maps the logical page onto a device of `deviceWidth` x `deviceHeight` pixels: isotropic, the
// viewport of ViewportFor, text aligned top-left in black, drawing clipped to the page.
void MapLogicalPage(HDC dc, PageSize page, int deviceWidth, int deviceHeight, int scale);

// What the confirmed print dialog gives besides the device context.
struct PrintSetup {
    bool landscape = false;
    int scale = 100;
    int copies = 1;
    std::vector<char> devMode;  // the chosen device mode, empty without one
};
// The orientation, scale and copies of the dialog's remembered choice (defaults without one).
PrintSetup PrintSetupOf(const shell::PrintMemory* memory);

// Prints a document on a printer's device context: "<title>: <path>" as its name, each page mapped
// as MapLogicalPage says, `setup.copies` copies printed one after another (the printer is asked
// for one copy of each). True when the document ended normally.
bool PrintOnPrinter(HDC printer,
                    ui::MCMain& ui,
                    const std::string& documentName,
                    const PrintSetup& setup,
                    const PageFunction& pages);

// The folder information printout of `record` (of `report`) after the print dialog. Nothing is
// printed without a record with a full path, or when the dialog is cancelled.
bool PrintFolderInformation(HWND owner,
                            ui::MCMain& ui,
                            shell::PrintMemory* memory,
                            Report* report,
                            FolderRecord* record,
                            bool filterListShown);

// The tree printout: the branch of the tree control `tree` from `start` as far as it is open. The
// items' data are FolderRecords; nothing is printed when the start folder has no full path.
bool PrintTreeBranch(HWND owner, ui::MCMain& ui, shell::PrintMemory* memory, HWND tree, HTREEITEM start);

// The items of a tree-view control as the tree printout reads them; item data are FolderRecords.
class TreeViewSource final : public PrintTreeSource {
  public:
    explicit TreeViewSource(HWND tree) : m_tree(tree) {}
    PrintItem FirstChild(PrintItem item) const override;
    PrintItem NextSibling(PrintItem item) const override;
    bool HasChildren(PrintItem item) const override;
    bool Expanded(PrintItem item) const override;
    std::string Title(PrintItem item) const override;
    std::string Path(PrintItem item) const override;

  private:
    HWND m_tree;
};

}  // namespace qv
