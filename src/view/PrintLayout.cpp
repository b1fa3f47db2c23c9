// The document loop, the folder information pages and the tree pages.
#include "view/PrintLayout.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "view/Formatters.h"
#include "view/InfoPanelText.h"

namespace qv {

namespace {

constexpr int kViewportMargin = 40;
constexpr int kMaxExtent = 32766;
constexpr int kLineGap = 3;
constexpr std::uint32_t kBlack = 0;
constexpr int kHeaderFont = 2;
constexpr int kRowFont = 1;
constexpr int kTreeFont = 4;
constexpr int kColumns[5] = {20, 200, 280, 350, 400};
constexpr int kNameWidth = 260;
constexpr int kNotesWidth = 300;
// A font whose dot had no width must not make the leaders endless.
constexpr int kMaxLeaderDots = 512;

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Prints `text` at (x, y) and returns the y below it.
int PrintLine(PrintCanvas& canvas, int x, int y, const std::string& text) {
    if (text.empty()) {
        return y;
    }
    canvas.Text(x, y, text);
    return y + canvas.Measure(text).height + kLineGap;
}

// Prints `text`, cut into the longest pieces that fit between x and the page's right edge, one
// per line; returns the y below the last.
int PrintWrapped(PrintCanvas& canvas, int x, int y, const std::string& text, const PageSize& page) {
    std::string rest = text;
    while (!rest.empty()) {
        const std::size_t length = FittingPrefix(canvas, rest, page.width - x);
        y = PrintLine(canvas, x, y, rest.substr(0, length));
        rest.erase(0, length);
    }
    return y;
}

// The page header: the title at (x, top), the wrapped lines, the rule across the page; returns
// the y 3 below the rule.
int PrintHeader(PrintCanvas& canvas,
                const PageSize& page,
                int x,
                int top,
                const std::string& title,
                const std::vector<std::string>& lines) {
    canvas.SelectFont(kHeaderFont);
    int y = PrintLine(canvas, x, top, title);
    for (const std::string& line : lines) {
        y = PrintWrapped(canvas, x, y, line, page);
    }
    canvas.Line(0, y, page.width, y, kBlack);
    return y + kLineGap;
}

std::string PathOf(FolderRecord* record) {
    const char* path = ReadText(record, ALC);
    return path != nullptr ? path : std::string();
}

std::string SizeOrDash(std::int64_t bytes) {
    if (bytes <= 0) {
        return "-";
    }
    std::string number;
    std::string unit;
    FormatSize(bytes, &number, &unit);
    return number + " " + unit;
}

std::string NumberOrDash(std::int64_t value) {
    if (value <= 0) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64, value);
    return text;
}

// Notes on one line: a line break reads " _ ", as in the tree's titles.
std::string OneLine(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) {
        text.replace(at, 2, " _ ");
    }
    return text;
}

}  // namespace

PageSize LogicalPage(bool landscape) {
    return landscape ? PageSize{1200, 800} : PageSize{800, 1200};
}

PrintViewport ViewportFor(int deviceWidth, int deviceHeight, PageSize page, int scale) {
    PrintViewport viewport;
    viewport.originX = kViewportMargin;
    viewport.originY = kViewportMargin;
    const double areaWidth = std::max(deviceWidth - 2 * kViewportMargin, 1);
    const double areaHeight = std::max(deviceHeight - 2 * kViewportMargin, 1);
    const double fit = std::min(areaWidth / page.width, areaHeight / page.height);
    const double factor = fit * (scale < 1 ? 100 : scale) / 100.0;
    viewport.extentX = static_cast<int>(std::lround(std::min<double>(page.width * factor, kMaxExtent)));
    viewport.extentY = static_cast<int>(std::lround(std::min<double>(page.height * factor, kMaxExtent)));
    return viewport;
}

bool PrintPages(PrintDevice& device, PageSize page, int copies, const PageFunction& pages) {
    if (!device.StartDocument()) {
        return false;
    }
    for (int copy = 0; copy < std::max(copies, 1); ++copy) {
        bool more = true;
        for (int number = 1; more; ++number) {
            PrintCanvas* canvas = device.StartPage();
            if (canvas == nullptr) {
                device.AbortDocument();
                return false;
            }
            more = pages(*canvas, page, number);
            if (!device.EndPage()) {
                device.AbortDocument();
                return false;
            }
        }
    }
    device.EndDocument();
    return true;
}

std::size_t FittingPrefix(PrintCanvas& canvas, const std::string& text, int width) {
    if (text.empty() || canvas.Measure(text).width <= width) {
        return text.size();
    }
    // The ends of the characters, then a binary search over them for the last that fits.
    std::vector<std::size_t> ends;
    for (std::size_t at = 1; at < text.size(); ++at) {
        if (!IsContinuationByte(text[at])) {
            ends.push_back(at);
        }
    }
    std::size_t fits = 0;  // how many of `ends` are known to fit
    std::size_t tooLong = ends.size();
    while (fits < tooLong) {
        const std::size_t middle = (fits + tooLong + 1) / 2;  // 1..tooLong
        if (canvas.Measure(text.substr(0, ends[middle - 1])).width <= width) {
            fits = middle;
        } else {
            tooLong = middle - 1;
        }
    }
    // Not even one character fits: it goes alone, so a line always moves on.
    return fits > 0 ? ends[fits - 1] : (ends.empty() ? text.size() : ends[0]);
}

// ---- folder information ----

void FolderInfoPrintout::Reset() {
    m_next = 0;
    m_started = false;
    m_infoRows.clear();
    m_filterRows.clear();
    m_children.clear();
    m_emphasis = 1;
}

void FolderInfoPrintout::StartRows() {
    m_started = true;
    FolderRecord* record = m_source.record;
    const char* created = ReadText(record, DRM);
    if (created == nullptr || created[0] == '\0') {
        FolderRecord* root = record;
        while (root->parent != nullptr) {
            root = root->parent;
        }
        created = ReadText(root, DRM);
    }
    const std::string access = LastAccessText(static_cast<std::uint64_t>(ReadStat(record, ELT)));
    m_infoRows = {
        {"Report created", created != nullptr ? created : ""},
        {"Name", record->desc != nullptr ? record->desc : ""},
        {"Cluster", m_source.policy != nullptr ? ClusterText(m_source.policy) : std::string()},
        {"Used Space", UsedSpaceText(ReadStat(record, NFA))},
        {"Size", SizeText(ReadStat(record, MFS))},
        {"Files", CountText(ReadStat(record, LFN))},
    };
    if (record->group <= 0) {
        m_infoRows.push_back({"Folders", CountText(ReadStat(record, OFN))});
        m_infoRows.push_back({"Created", CreationText(static_cast<std::uint64_t>(ReadStat(record, BTM)))});
        m_infoRows.push_back({"Last accessed", access.empty() ? "[unknown]" : access});
    }
    FilterInfo info;
    for (int position = 1;
         m_source.filterListShown && m_source.filters != nullptr && m_source.filters->GetFilterAt(position, &info);
         ++position) {
        m_filterRows.push_back(info);
    }
    for (FolderRecord* child = record->firstChild; child != nullptr; child = child->nextSibling) {
        if (child->group <= 0) {
            m_children.push_back(child);
        }
    }
    const NameComparison compare = m_source.compareNames;
    std::stable_sort(m_children.begin(), m_children.end(), [compare](FolderRecord* a, FolderRecord* b) {
        return CompareFolders(a, b, SortByName, compare) < 0;
    });
    const std::size_t count = m_children.size();
    m_emphasis = count > 0 && count < 100 ? static_cast<int>(100.0 / static_cast<double>(count) + 0.5) : 1;
}

std::size_t FolderInfoPrintout::RowCount() const {
    const std::size_t filters = m_source.filterListShown ? 1 + m_filterRows.size() : 0;
    const std::size_t table = m_children.empty() ? 0 : 1 + m_children.size();
    return m_infoRows.size() + 1 + filters + table;
}

FolderInfoPrintout::Row FolderInfoPrintout::RowAt(std::size_t index, PrintCanvas& canvas) const {
    Row row;
    if (index < m_infoRows.size()) {
        row.font = kHeaderFont;
        row.cells[0] = m_infoRows[index].first;
        row.cells[1] = m_infoRows[index].second;
        return row;
    }
    index -= m_infoRows.size();
    if (index == 0) {
        row.cells[0] = " ";  // the blank line
        return row;
    }
    index -= 1;
    if (m_source.filterListShown) {
        if (index == 0) {
            row.font = kHeaderFont;
            row.cells[0] = "Filter";
            row.cells[1] = "Space";
            row.cells[2] = "Files";
            row.cells[3] = "Size in bytes";
            return row;
        }
        if (index <= m_filterRows.size()) {
            const FilterInfo& filter = m_filterRows[index - 1];
            FolderRecord* record = m_source.record;
            char name[600];
            std::snprintf(name, sizeof name, "%02ld. %s", static_cast<long>(filter.id), filter.name.c_str());
            row.cells[0] = name;
            row.cells[1] = SizeOrDash(ReadStat(record, FilterKey(kFilterAllocated, filter.name).c_str()));
            row.cells[2] = NumberOrDash(ReadStat(record, FilterKey(kFilterFiles, filter.name).c_str()));
            const std::int64_t bytes = ReadStat(record, FilterKey(kFilterSize, filter.name).c_str());
            row.cells[3] = bytes > 0 ? FormatGroupedNumber(bytes) : "-";
            return row;
        }
        index -= 1 + m_filterRows.size();
    }
    if (index == 0) {
        row.font = kHeaderFont;
        row.cells[0] = "Folder";
        row.cells[2] = "Space";
        row.cells[3] = "% Parent";
        return row;
    }
    return ChildRow(m_children[index - 1], canvas);
}

FolderInfoPrintout::Row FolderInfoPrintout::ChildRow(FolderRecord* child, PrintCanvas& canvas) const {
    Row row;
    const std::int64_t allocated = ReadStat(child, NFA);
    const std::int64_t parentAllocated = ReadStat(m_source.record, NFA);
    double share = 0;
    if (allocated != 0 && parentAllocated != 0) {
        share = static_cast<double>(allocated) * 100.0 / static_cast<double>(parentAllocated);
        char text[64];
        if (share < 0.01) {
            std::snprintf(text, sizeof text, "less than 0.01%%");
        } else {
            std::snprintf(text, sizeof text, "%.2f%%", share);
        }
        row.cells[3] = text;
    }
    row.font = std::floor(share + 0.5) > m_emphasis ? kHeaderFont : kRowFont;
    canvas.SelectFont(row.font);
    // Dot leaders: the name padded to the width, then cut to it.
    std::string name = child->desc != nullptr ? child->desc : "";
    for (int dots = 0; canvas.Measure(name).width < kNameWidth && dots < kMaxLeaderDots; ++dots) {
        name += '.';
    }
    name.resize(FittingPrefix(canvas, name, kNameWidth));
    row.cells[0] = name;
    row.cells[2] = allocated > 0 ? SizeOrDash(allocated) : "empty";
    if (const char* text = ReadText(child, notes); text != nullptr && text[0] != '\0') {
        const std::string flat = OneLine(text);
        const std::size_t kept = FittingPrefix(canvas, flat, kNotesWidth);
        row.cells[4] = " <" + flat.substr(0, kept) + (kept == flat.size() ? ">" : "...>");
    }
    return row;
}

bool FolderInfoPrintout::Page(PrintCanvas& canvas, PageSize page, int) {
    if (m_source.record == nullptr) {
        return false;
    }
    if (!m_started) {
        StartRows();
    }
    int y = PrintHeader(canvas, page, kColumns[0], 30, m_source.title, {"Folder: " + PathOf(m_source.record)});
    const int usable = page.height - kPageBottomMargin;
    const std::size_t count = RowCount();
    while (m_next < count) {
        const Row row = RowAt(m_next, canvas);
        canvas.SelectFont(row.font);
        for (int column = 0; column < 5; ++column) {
            if (!row.cells[column].empty()) {
                canvas.Text(kColumns[column], y, row.cells[column]);
            }
        }
        y += canvas.Measure(row.cells[0]).height + kLineGap;
        ++m_next;
        if (y > usable && m_next < count) {
            return true;
        }
    }
    Reset();
    return false;
}

// ---- the tree ----

void TreePrintout::Reset() {
    m_next = m_start;
    m_depth = 0;
    std::fill(std::begin(m_open), std::end(m_open), nullptr);
    std::fill(std::begin(m_guide), std::end(m_guide), 0);
}

PrintItem TreePrintout::Following(PrintItem item, int mid, int box) {
    PrintItem next = nullptr;
    if (m_tree.Expanded(item)) {
        m_open[m_depth] = item;
        m_guide[m_depth] = box > 0 ? mid + box + 1 : mid + 6;
        m_guide[m_depth + 1] = box > 0 ? mid + box + 1 : mid + 4;
        if (m_depth + 1 >= kMaxPrintDepth) {
            return nullptr;  // as deep as a printout goes
        }
        ++m_depth;
        next = m_tree.FirstChild(item);
    } else if (m_depth > 0) {
        next = m_tree.NextSibling(item);
    }
    // At the end of a sibling list: the next sibling of the open item above, never above depth 1.
    while (next == nullptr && m_depth > 1) {
        --m_depth;
        next = m_tree.NextSibling(m_open[m_depth]);
    }
    return next;
}

bool TreePrintout::Page(PrintCanvas& canvas, PageSize page, int pageNumber) {
    if (m_next == nullptr) {
        Reset();
        if (m_next == nullptr) {
            return false;
        }
    }
    constexpr int kLeft = 40;
    std::vector<std::string> lines;
    if (pageNumber <= 1) {
        lines.push_back("Folder: " + m_tree.Path(m_start));
    } else {
        lines.push_back("Root folder: " + m_tree.Path(m_start));
        lines.push_back("Current folder: " + m_tree.Path(m_next));
    }
    const int headerBottom = PrintHeader(canvas, page, kLeft, 60, m_title, lines);
    canvas.SelectFont(kTreeFont);
    for (int depth = 0; depth <= m_depth; ++depth) {
        m_guide[depth] = headerBottom;
    }
    const int usable = page.height - kPageBottomMargin;
    int top = headerBottom;
    PrintItem item = m_next;
    while (item != nullptr) {
        const int depth = m_depth;
        const std::string title = m_tree.Title(item);
        const int height = canvas.Measure(title).height;
        const int mid = top + height / 2;
        const int x = 20 * depth + 40;
        int box = 0;
        if (m_tree.HasChildren(item)) {
            box = 4;
            const int boxTop = mid - 3;
            canvas.Frame(x, boxTop, x + 8, boxTop + 8);
            canvas.Line(x + 2, boxTop + 4, x + 6, boxTop + 4, kBlack);
            if (!m_tree.Expanded(item)) {
                canvas.Line(x + 4, boxTop + 2, x + 4, boxTop + 6, kBlack);
            }
        }
        canvas.Line(20 * depth + 45 + box, mid + 1, 20 * depth + 54, mid + 1, kGuideColour);
        canvas.Text(20 * depth + 56, top, title);
        if (depth > 0) {
            canvas.Line(20 * depth + 44, m_guide[depth], 20 * depth + 44, mid - box + 1, kGuideColour);
            m_guide[depth] = mid + box + 1;
        }
        const int bottom = top + height;
        item = Following(item, mid, box);
        top = bottom + kLineGap;
        if (item != nullptr && top >= usable) {
            // The guide lines of the open items with more siblings go on to the next page.
            for (int open = 1; open < m_depth; ++open) {
                if (m_open[open] != nullptr && m_tree.NextSibling(m_open[open]) != nullptr) {
                    canvas.Line(20 * open + 44, m_guide[open], 20 * open + 44, bottom + 4, kGuideColour);
                }
            }
            m_next = item;
            return true;
        }
    }
    Reset();
    return false;
}

}  // namespace qv
