// The printouts drawn into enhanced metafiles, one per page, through the same canvas and page
// mapping as the printer's: the recorded texts, fonts, positions and lines of the folder
// information (with and without sub-folders and filter list, a files item) and of the tree
// (continued on a second page with its guide lines). Copies, wrapping, landscape and the
// continuation headers are laid out by portable code and tested natively (tests/view).
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ViewTestHost.h"
#include "resource.h"
#include "view/win/Printing.h"

namespace qv {
namespace {

constexpr int kDeviceWidth = 2479;  // A4 at 300 dpi, as the PDF printer reports it
constexpr int kDeviceHeight = 3508;

struct RecordedText {
    long x, y;
    std::string text, face;
    long height, weight;
};

struct RecordedLine {
    long x1, y1, x2, y2;
    COLORREF colour;
};

// One page as its metafile recorded it.
struct RecordedPage {
    std::vector<RecordedText> texts;
    std::vector<RecordedLine> lines;
    int frames = 0;
    SIZE windowExtent = {};

    const RecordedText* Find(const std::string& text) const {
        const auto found =
            std::find_if(texts.begin(), texts.end(), [&](const auto& drawn) { return drawn.text == text; });
        return found != texts.end() ? &*found : nullptr;
    }
    bool Has(const std::string& text) const { return Find(text) != nullptr; }
};

std::string Narrow(const wchar_t* text, int length) {
    std::string out(static_cast<std::size_t>(length) * 4 + 1, '\0');
    out.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

// Reads the records that matter: fonts and pens created and selected, texts, lines, rectangles.
struct PageReader {
    std::map<DWORD, RecordedText> fonts;  // face, height and weight of each font created
    std::map<DWORD, COLORREF> pens;
    RecordedText font = {};
    COLORREF pen = 0;
    POINTL at = {};
    RecordedPage page;

    static int CALLBACK OnRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM self) {
        reinterpret_cast<PageReader*>(self)->Take(record);
        return 1;
    }
    void Take(const ENHMETARECORD* record) {
        if (record->iType == EMR_EXTCREATEFONTINDIRECTW) {
            const auto* created = reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(record);
            const LOGFONTW& logical = created->elfw.elfLogFont;
            const std::string face = Narrow(logical.lfFaceName, static_cast<int>(wcslen(logical.lfFaceName)));
            fonts[created->ihFont] = {0, 0, "", face, logical.lfHeight, logical.lfWeight};
        } else if (record->iType == EMR_CREATEPEN) {
            const auto* created = reinterpret_cast<const EMRCREATEPEN*>(record);
            pens[created->ihPen] = created->lopn.lopnColor;
        } else if (record->iType == EMR_SELECTOBJECT) {
            const DWORD object = reinterpret_cast<const EMRSELECTOBJECT*>(record)->ihObject;
            font = fonts.count(object) != 0 ? fonts[object] : font;
            pen = pens.count(object) != 0 ? pens[object] : pen;
        } else if (record->iType == EMR_EXTTEXTOUTW) {
            const EMRTEXT& text = reinterpret_cast<const EMREXTTEXTOUTW*>(record)->emrtext;
            const auto* chars =
                reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(record) + text.offString);
            page.texts.push_back({text.ptlReference.x, text.ptlReference.y,
                                  Narrow(chars, static_cast<int>(text.nChars)), font.face, font.height, font.weight});
        } else if (record->iType == EMR_MOVETOEX) {
            at = reinterpret_cast<const EMRMOVETOEX*>(record)->ptl;
        } else if (record->iType == EMR_LINETO) {
            const POINTL to = reinterpret_cast<const EMRLINETO*>(record)->ptl;
            page.lines.push_back({at.x, at.y, to.x, to.y, pen});
            at = to;
        } else if (record->iType == EMR_RECTANGLE) {
            ++page.frames;
        } else if (record->iType == EMR_SETWINDOWEXTEX) {
            page.windowExtent = reinterpret_cast<const EMRSETWINDOWEXTEX*>(record)->szlExtent;
        }
    }
};

// A portrait document whose pages are enhanced metafiles drawn with the printer's canvas and mapping.
class MetafileDevice final : public PrintDevice {
  public:
    explicit MetafileDevice(ui::MCMain& ui) : m_ui(ui) {}
    ~MetafileDevice() override { EndPage(); }

    bool StartDocument() override { return true; }
    PrintCanvas* StartPage() override {
        m_dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        MapLogicalPage(m_dc, LogicalPage(false), kDeviceWidth, kDeviceHeight, 100);
        m_canvas = std::make_unique<GdiCanvas>(m_dc, m_ui);
        return m_canvas.get();
    }
    bool EndPage() override {
        if (m_dc == nullptr) {
            return false;
        }
        m_canvas.reset();
        HENHMETAFILE metafile = CloseEnhMetaFile(m_dc);
        m_dc = nullptr;
        PageReader reader;
        EnumEnhMetaFile(nullptr, metafile, &PageReader::OnRecord, &reader, nullptr);
        pages.push_back(reader.page);
        DeleteEnhMetaFile(metafile);
        return true;
    }
    void EndDocument() override {}
    void AbortDocument() override {}

    std::vector<RecordedPage> pages;

  private:
    ui::MCMain& m_ui;
    HDC m_dc = nullptr;
    std::unique_ptr<GdiCanvas> m_canvas;
};

class PrintingTest : public test::ReportViewTest {
  protected:
    // The pages of a printout of one copy, each read back from its metafile.
    template <typename Printout>
    std::vector<RecordedPage> Print(Printout& printout) {
        MetafileDevice device(m_host.Module());
        EXPECT_TRUE(PrintPages(device, LogicalPage(false), 1, [&](PrintCanvas& canvas, PageSize page, int number) {
            return printout.Page(canvas, page, number);
        }));
        return device.pages;
    }
    std::vector<RecordedPage> PrintInfo(FolderRecord* record, bool filterList) {
        FolderInfoSource source{"Talvorn Quarvex", record, m_report->Policy(), &m_report->Filters(), filterList,
                                [](const char* a, const char* b) { return lstrcmpiA(a, b); }};
        FolderInfoPrintout printout(source);
        return Print(printout);
    }
    // The texts drawn on the line of `label`, as "x:text" joined by spaces.
    static std::string LineOf(const RecordedPage& page, const std::string& label) {
        const RecordedText* name = page.Find(label);
        std::string line = name == nullptr ? "(no " + label + ")" : "";
        for (const RecordedText& drawn : page.texts) {
            if (name != nullptr && drawn.y == name->y) {
                line += (line.empty() ? "" : " ") + std::to_string(drawn.x) + ":" + drawn.text;
            }
        }
        return line;
    }
    static std::string FontOf(const RecordedText& drawn) {
        return drawn.face + " " + std::to_string(drawn.height) + " " + std::to_string(drawn.weight);
    }
    // "1" for each of `texts` the page has, "0" for each it lacks.
    static std::string HasEach(const RecordedPage& page, std::initializer_list<const char*> texts) {
        std::string found;
        for (const char* text : texts) {
            found += page.Has(text) ? '1' : '0';
        }
        return found;
    }
};

TEST_F(PrintingTest, FolderInfoOfTheRootWithFiltersAndSubFolders) {
    const std::vector<RecordedPage> pages = PrintInfo(m_root, true);
    ASSERT_EQ(pages.size(), 1u);
    const RecordedPage& page = pages[0];
    EXPECT_EQ(std::make_pair(page.windowExtent.cx, page.windowExtent.cy), std::make_pair(800L, 1200L));
    const RecordedText& title = page.texts.at(0);
    EXPECT_EQ(title.text + " in " + FontOf(title), "Talvorn Quarvex in MS Sans Serif -12 700");
    const RecordedText& folder = page.texts.at(1);
    EXPECT_EQ(folder.text, "Folder: " + std::string(ReadText(m_root, ALC)));
    EXPECT_GT(folder.y, title.y + 12);

    // Bold labels at 20 with their values at 200, one line each, in this order.
    std::vector<std::string> rows;
    std::vector<int> ys = {folder.y};
    for (const char* label : {"Report created", "Name", "Cluster", "Used Space", "Size", "Files", "Folders"}) {
        rows.push_back(LineOf(page, label));
        ys.push_back(page.Find(label) != nullptr ? page.Find(label)->y : 0);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"20:Report created 200:3/15/2001 at 12:00:00",
                                              "20:Name 200:" + std::string(m_root->desc),
                                              "20:Cluster 200:user: 4096 bytes", "20:Used Space 200:24 K",
                                              "20:Size 200:5.33 K (5 460)", "20:Files 200:5", "20:Folders 200:4"}));
    EXPECT_TRUE(std::is_sorted(ys.begin(), ys.end()) && std::adjacent_find(ys.begin(), ys.end()) == ys.end());
    EXPECT_EQ(page.Find("Name")->weight, 700);
    EXPECT_NE(LineOf(page, "Created").find(" at "), std::string::npos);
    // The filter rows in font 1 (11 high) at 20, 200, 280 and 350.
    EXPECT_EQ(page.Find("Size in bytes") != nullptr ? page.Find("Size in bytes")->x : 0, 350);
    EXPECT_EQ(LineOf(page, "03. Documents"), "20:03. Documents 200:12 K 280:3 350:160");
    EXPECT_EQ(FontOf(*page.Find("03. Documents")), "MS Sans Serif -11 400");
    EXPECT_EQ(LineOf(page, "01. Executable, Libraries"), "20:01. Executable, Libraries 200:- 280:- 350:-");
    // The sub-folders by name with dot leaders, their space and share.
    const RecordedText* table = page.Find("% Parent");
    ASSERT_NE(table, nullptr);
    std::vector<std::string> children;
    for (const RecordedText& drawn : page.texts) {
        if (drawn.y > table->y) {
            children.push_back(std::to_string(drawn.x) + ":" + drawn.text.substr(0, 8));
        }
    }
    EXPECT_EQ(children, (std::vector<std::string>{"20:alpha...", "280:8 K", "350:33.33%", "20:Beta....", "280:8 K",
                                                  "350:33.33%", "20:gamma...", "280:4 K", "350:16.67%"}));
    ASSERT_EQ(page.lines.size(), 1u);  // the rule below the header, across the page
    EXPECT_EQ(std::make_pair(page.lines[0].x1, page.lines[0].x2), std::make_pair(0L, 800L));
}

TEST_F(PrintingTest, WithoutTheFilterListOrSubFoldersTheirPartsAreLeftOut) {
    EXPECT_EQ(HasEach(PrintInfo(m_root, false).at(0), {"Filter", "03. Documents", "% Parent"}), "001");
    EXPECT_EQ(HasEach(PrintInfo(Child("gamma"), true).at(0), {"Filter", "% Parent", "Last accessed"}), "101");
    EXPECT_EQ(HasEach(PrintInfo(FilesItemOf(m_root), false).at(0), {"Files", "Folders", "Created", "Last accessed"}),
              "1000");
}

TEST_F(PrintingTest, ATreeContinuesOnASecondPageWithItsGuideLines) {
    // 12 folders of 8 folders each below a second report's root: 109 items, two pages.
    test::ScratchDir wide;
    for (int i = 0; i < 12; ++i) {
        for (int j = 0; j < 8; ++j) {
            wide.MakeDir("f" + std::to_string(10 + i) + "/s" + std::to_string(j));
        }
    }
    Report* report = AddScanned(wide.Path());
    ASSERT_NE(report, nullptr);
    m_window.RunTreeCommand(ID_TREE_EXPAND_ALL, report->Root());
    TreeViewSource source(TreeHandle());
    TreePrintout printout("Talvorn Quarvex", source, m_window.ItemOf(report->Root()));
    const std::vector<RecordedPage> pages = Print(printout);
    ASSERT_EQ(pages.size(), 2u);
    const RecordedPage& first = pages[0];
    const RecordedPage& second = pages[1];
    EXPECT_EQ(second.texts.at(1).text, "Root folder: " + wide.Path());

    // Items in the tree's font at x = 20 * depth + 56; every open folder has a box (the root and
    // its twelve folders).
    EXPECT_EQ(std::to_string(first.texts.at(2).x) + " in " + FontOf(first.texts.at(2)), "56 in Courier -12 400");
    std::vector<int> depths;
    for (const RecordedPage* page : {&first, &second}) {
        for (const RecordedText& drawn : page->texts) {
            if (drawn.face == "Courier") {
                depths.push_back((drawn.x - 56) % 20 == 0 ? (drawn.x - 56) / 20 : -1);
            }
        }
    }
    EXPECT_EQ(depths.size(), 1u + 12 + 12 * 8);
    EXPECT_EQ(std::vector<int>(depths.begin(), depths.begin() + 4), (std::vector<int>{0, 1, 2, 2}));
    EXPECT_EQ(std::count(depths.begin(), depths.end(), -1), 0);
    EXPECT_EQ(first.frames + second.frames, 13);

    // The depth-1 guide line (x = 64) runs to the first page's last line and on from the second
    // page's header.
    const auto guideAt64 = [](const RecordedPage& page, bool lowest) {
        int best = lowest ? 0 : 100000;
        for (const RecordedLine& line : page.lines) {
            if (line.x1 == 64 && line.x2 == 64 && line.colour == RGB(0xA4, 0xA4, 0xA4)) {
                best = lowest ? std::max<int>(best, line.y2) : std::min<int>(best, line.y1);
            }
        }
        return best;
    };
    EXPECT_TRUE(guideAt64(first, true) > first.texts.back().y && guideAt64(first, true) < 1200);
    const RecordedLine& rule = second.lines.at(0);
    EXPECT_EQ(std::make_pair(rule.x2 - rule.x1, long{guideAt64(second, false)}), std::make_pair(800L, rule.y1 + 3));
}

}  // namespace
}  // namespace qv
