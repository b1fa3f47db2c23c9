// The two printouts, laid out on fixed logical pages: a folder's information with its filters and
// sub-folders, and a branch of the report tree as far as it is open on screen. They draw through
// a canvas (the printer's on Windows), one page per call, resuming where the last page stopped.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/ClusterPolicy.h"
#include "core/FolderRecord.h"
#include "filters/FilterSet.h"
#include "view/FolderSelection.h"

namespace qv {

// The logical page in its orientation; content stops kPageBottomMargin above its bottom.
struct PageSize {
    int width = 800;
    int height = 1200;
};
constexpr int kPageBottomMargin = 60;
PageSize LogicalPage(bool landscape);

// Where the logical page lands on the device: the viewport's origin and extents in device pixels.
struct PrintViewport {
    int originX = 0;
    int originY = 0;
    int extentX = 0;
    int extentY = 0;
};
// The page fitted into the device's area less 40 pixels on each side, keeping its aspect ratio,
// then scaled by `scale` percent (below 1 counts as 100) and capped at 32766 pixels.
PrintViewport ViewportFor(int deviceWidth, int deviceHeight, PageSize page, int scale);

struct TextSize {
    int width = 0;
    int height = 0;
};

// What a page is drawn on, in logical units. Fonts are the application's shared fonts by index.
class PrintCanvas {
  public:
    virtual ~PrintCanvas() = default;
    virtual void SelectFont(int index) = 0;
    virtual TextSize Measure(const std::string& text) = 0;
    virtual void Text(int x, int y, const std::string& text) = 0;
    virtual void Line(int x1, int y1, int x2, int y2, std::uint32_t colour) = 0;  // colour: 0x00BBGGRR
    virtual void Frame(int left, int top, int right, int bottom) = 0;             // black, unfilled
};

// One document on a device.
class PrintDevice {
  public:
    virtual ~PrintDevice() = default;
    virtual bool StartDocument() = 0;
    // The next page's canvas, mapped to the logical page; null when the page could not start.
    virtual PrintCanvas* StartPage() = 0;
    virtual bool EndPage() = 0;
    virtual void EndDocument() = 0;
    virtual void AbortDocument() = 0;
};

// Draws page `pageNumber` (from 1) and tells whether another page follows.
using PageFunction = std::function<bool(PrintCanvas& canvas, PageSize page, int pageNumber)>;

// The document: for each copy (at least one), pages 1, 2, ... until the page function says there
// is no more. A page that cannot start or end aborts the document. True when it ended normally.
bool PrintPages(PrintDevice& device, PageSize page, int copies, const PageFunction& pages);

// The longest prefix of `text` (whole UTF-8 characters, at least one when there is one) whose
// width is at most `width`.
std::size_t FittingPrefix(PrintCanvas& canvas, const std::string& text, int width);

// ---- the folder's information ----

struct FolderInfoSource {
    std::string title;                      // the application's title
    FolderRecord* record = nullptr;         // the folder; it has a full path
    const ClusterPolicy* policy = nullptr;  // the report's, null when it has none
    const FilterSet* filters = nullptr;     // the report's
    bool filterListShown = true;            // the info panel's filter list
    NameComparison compareNames = &CompareNamesIgnoringCase;
};

// Rows 1-9 of the folder (7-9 not for a files item), a blank row, the filter header and one row
// per filter while the panel shows its list, then the sub-folders by name with their share of
// the folder. Each page prints the header and then rows from where the last page stopped.
class FolderInfoPrintout {
  public:
    explicit FolderInfoPrintout(FolderInfoSource source) : m_source(std::move(source)) {}
    bool Page(PrintCanvas& canvas, PageSize page, int pageNumber);
    // Back to the first row, as at the start of every document.
    void Reset();

  private:
    struct Row {
        int font = 1;
        std::string cells[5];  // at x = 20, 200, 280, 350, 400; empty cells are not printed
    };
    void StartRows();
    std::size_t RowCount() const;
    Row RowAt(std::size_t index, PrintCanvas& canvas) const;
    Row ChildRow(FolderRecord* child, PrintCanvas& canvas) const;

    FolderInfoSource m_source;
    // Continuation: the next row and what the rows were built from.
    std::size_t m_next = 0;
    bool m_started = false;
    std::vector<std::pair<std::string, std::string>> m_infoRows;
    std::vector<FilterInfo> m_filterRows;
    std::vector<FolderRecord*> m_children;
    int m_emphasis = 1;
};

// ---- the tree as on screen ----

// A tree of items as the screen shows it. Items are opaque; null is none.
using PrintItem = const void*;
class PrintTreeSource {
  public:
    virtual ~PrintTreeSource() = default;
    virtual PrintItem FirstChild(PrintItem item) const = 0;
    virtual PrintItem NextSibling(PrintItem item) const = 0;
    virtual bool HasChildren(PrintItem item) const = 0;  // shows an expand button
    virtual bool Expanded(PrintItem item) const = 0;
    virtual std::string Title(PrintItem item) const = 0;
    virtual std::string Path(PrintItem item) const = 0;  // the folder's full path
};

constexpr int kMaxPrintDepth = 200;
constexpr std::uint32_t kGuideColour = 0xA4A4A4;

// The start item and, below it, every item of an expanded parent, with boxes, connectors and the
// guide lines between siblings, continued across pages.
class TreePrintout {
  public:
    TreePrintout(std::string title, const PrintTreeSource& tree, PrintItem start)
        : m_title(std::move(title)), m_tree(tree), m_start(start) {
        Reset();
    }
    bool Page(PrintCanvas& canvas, PageSize page, int pageNumber);
    void Reset();

  private:
    // The item after `item` (printed at m_depth with its middle at `mid` and box half-width
    // `box`), updating the depth and the open items; null when the printout is complete.
    PrintItem Following(PrintItem item, int mid, int box);

    std::string m_title;
    const PrintTreeSource& m_tree;
    PrintItem m_start;
    // Continuation: the next item, its depth, and per depth the open item and where its guide
    // line goes on.
    PrintItem m_next = nullptr;
    int m_depth = 0;
    PrintItem m_open[kMaxPrintDepth + 1] = {};
    int m_guide[kMaxPrintDepth + 2] = {};
};

}  // namespace qv
