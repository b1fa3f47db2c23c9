// The printouts' layout on a canvas with fixed character widths: the viewport, the document loop
// with copies and failures, cutting texts to a width, and the limits that keep every page
// finite (long texts, many rows, deep trees).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "view/PrintLayout.h"

namespace qv {
namespace {

// Every byte is 6 units wide; fonts 1, 2 and 4 are 11, 12 and 12 units high. Records what is
// drawn.
class FixedCanvas final : public PrintCanvas {
  public:
    struct Drawn {
        int font, x, y;
        std::string text;
    };
    void SelectFont(int index) override { m_font = index; }
    TextSize Measure(const std::string& text) override {
        return {6 * static_cast<int>(text.size()), text.empty() ? 0 : (m_font == 1 ? 11 : 12)};
    }
    void Text(int x, int y, const std::string& text) override { texts.push_back({m_font, x, y, text}); }
    void Line(int, int, int, int, std::uint32_t) override { ++lines; }
    void Frame(int, int, int, int) override { ++frames; }

    std::vector<Drawn> texts;
    int lines = 0;
    int frames = 0;

  private:
    int m_font = 1;
};

// A device whose pages are FixedCanvases; a page number can be made to fail starting or ending.
class RecordingDevice final : public PrintDevice {
  public:
    bool StartDocument() override { return log.append("doc "), true; }
    PrintCanvas* StartPage() override {
        if (++started == failStart) {
            return nullptr;
        }
        pages.emplace_back();
        return &pages.back();
    }
    bool EndPage() override { return log.append("page "), ++ended != failEnd; }
    void EndDocument() override { log.append("end"); }
    void AbortDocument() override { log.append("abort"); }

    std::vector<FixedCanvas> pages;
    std::string log;
    int started = 0;
    int ended = 0;
    int failStart = -1;
    int failEnd = -1;
};

TEST(PrintLayout, ViewportFitsThePageScalesAndCaps) {
    struct Case {
        int width, height;
        bool landscape;
        int scale;
        PrintViewport expected;
    };
    const Case cases[] = {
        {2479, 3508, false, 100, {40, 40, 2285, 3428}},      // A4 at 300 dpi: the height is tighter
        {2479, 3508, true, 100, {40, 40, 2399, 1599}},       // landscape: the width is tighter
        {2479, 3508, false, 50, {40, 40, 1143, 1714}},       // dmScale 50
        {2479, 3508, false, 0, {40, 40, 2285, 3428}},        // below 1 means 100
        {60000, 90000, false, 100, {40, 40, 32766, 32766}},  // capped
    };
    for (const Case& c : cases) {
        const PrintViewport v = ViewportFor(c.width, c.height, LogicalPage(c.landscape), c.scale);
        EXPECT_EQ(std::make_tuple(v.originX, v.originY, v.extentX, v.extentY),
                  std::make_tuple(c.expected.originX, c.expected.originY, c.expected.extentX, c.expected.extentY))
            << c.width << " " << c.scale;
    }
}

TEST(PrintLayout, CopiesRestartAtPageOneAndFailuresAbort) {
    const auto twoPages = [](PrintCanvas&, PageSize, int number) { return number < 2; };
    RecordingDevice twice;
    EXPECT_TRUE(PrintPages(twice, LogicalPage(false), 2, twoPages));
    EXPECT_EQ(twice.log, "doc page page page page end");  // two pages a copy: numbers restart at 1

    RecordingDevice badStart;
    badStart.failStart = 2;
    EXPECT_FALSE(PrintPages(badStart, LogicalPage(false), 1, twoPages));
    EXPECT_EQ(badStart.log, "doc page abort");
    RecordingDevice badEnd;
    badEnd.failEnd = 1;
    EXPECT_FALSE(PrintPages(badEnd, LogicalPage(false), 0, twoPages));
    EXPECT_EQ(badEnd.log, "doc page abort");
}

TEST(PrintLayout, FittingPrefixKeepsCharactersWholeAndAlwaysMovesOn) {
    FixedCanvas canvas;
    // text, width, bytes that fit: the whole text, a cut, one character always, two-byte characters
    const std::tuple<std::string, int, std::size_t> cases[] = {
        {"abcdef", 36, 6}, {"abcdef", 35, 5}, {"abcdef", 5, 1},
        {"\xc3\xa4\xc3\xa4", 18, 2}, {"\xc3\xa4\xc3\xa4", 24, 4}, {"", 0, 0}};
    for (const auto& [text, width, expected] : cases) {
        EXPECT_EQ(FittingPrefix(canvas, text, width), expected) << text << " in " << width;
    }
}

FolderRecord* Folder(FolderRecord* parent, const std::string& name, std::int64_t allocated) {
    FolderRecord* folder = CreateNode(parent, name.c_str());
    folder->SetDesc(name.c_str());
    WriteText(folder, ALC, ("C:\\" + name).c_str(), false);
    WriteStat(folder, NFA, allocated, false);
    return folder;
}

TEST(PrintLayout, FolderInfoPagesPrintEveryRowOnceAndStartOverForTheNextCopy) {
    // 150 sub-folders, one of them with 64 % of the space; a path of 600 characters.
    FolderRecord* root = Folder(nullptr, std::string(600, 'p'), 1000000);
    for (int i = 0; i < 150; ++i) {
        Folder(root, "sub" + std::to_string(1000 + i), i == 7 ? 640000 : 2000);
    }
    FolderInfoPrintout printout({"Talvorn Quarvex", root, nullptr, nullptr, false});
    RecordingDevice device;
    ASSERT_TRUE(PrintPages(device, LogicalPage(false), 2, [&](PrintCanvas& canvas, PageSize page, int number) {
        return printout.Page(canvas, page, number);
    }));
    ASSERT_EQ(device.pages.size() % 2, 0u);
    const std::size_t perCopy = device.pages.size() / 2;
    EXPECT_GE(perCopy, 2u);
    int childRows = 0;
    for (std::size_t page = 0; page < perCopy; ++page) {
        const auto& texts = device.pages[page].texts;
        EXPECT_EQ(texts.at(0).text, "Talvorn Quarvex");
        // The path wraps: 130 characters fit the 780 units right of x = 20.
        EXPECT_EQ(texts.at(1).text, "Folder: C:\\" + std::string(119, 'p'));
        EXPECT_EQ(texts.at(2).text, std::string(130, 'p'));
        for (const auto& drawn : texts) {
            if (drawn.text.rfind("sub1", 0) == 0) {
                ++childRows;
                EXPECT_EQ(drawn.text.size(), 43u) << drawn.text;  // dot leaders to 260 units
                EXPECT_EQ(drawn.font, drawn.text == "sub1007" + std::string(36, '.') ? 2 : 1);
            }
        }
    }
    EXPECT_EQ(childRows, 150);
    EXPECT_EQ(device.pages[perCopy].texts.at(0).text, "Talvorn Quarvex");  // the copy starts over
    DeleteNode(root);
}

// A chain of items, each expanded, with one title of 1,000 characters.
class ChainTree final : public PrintTreeSource {
  public:
    explicit ChainTree(int length) : m_length(length) {}
    PrintItem FirstChild(PrintItem item) const override {
        return Index(item) + 1 < m_length ? Item(Index(item) + 1) : nullptr;
    }
    PrintItem NextSibling(PrintItem) const override { return nullptr; }
    bool HasChildren(PrintItem item) const override { return Index(item) + 1 < m_length; }
    bool Expanded(PrintItem) const override { return true; }
    std::string Title(PrintItem item) const override {
        return Index(item) == 3 ? std::string(1000, 'w') : "item" + std::to_string(Index(item));
    }
    std::string Path(PrintItem item) const override { return "C:\\" + std::to_string(Index(item)); }
    static PrintItem Item(int index) { return reinterpret_cast<PrintItem>(static_cast<std::intptr_t>(index + 1)); }

  private:
    static int Index(PrintItem item) { return static_cast<int>(reinterpret_cast<std::intptr_t>(item)) - 1; }
    int m_length;
};

TEST(PrintLayout, TreeStopsAtDepthTwoHundredAndContinuesWithItsPath) {
    ChainTree tree(300);
    TreePrintout printout("Talvorn Quarvex", tree, ChainTree::Item(0));
    RecordingDevice device;
    ASSERT_TRUE(PrintPages(device, LogicalPage(false), 1, [&](PrintCanvas& canvas, PageSize page, int number) {
        return printout.Page(canvas, page, number);
    }));
    int items = 0;
    for (const FixedCanvas& page : device.pages) {
        for (const auto& drawn : page.texts) {
            items += drawn.font == 4 ? 1 : 0;
        }
    }
    EXPECT_EQ(items, kMaxPrintDepth);
    ASSERT_GE(device.pages.size(), 2u);
    EXPECT_EQ(device.pages[0].texts.at(1).text, "Folder: C:\\0");
    EXPECT_EQ(device.pages[1].texts.at(1).text, "Root folder: C:\\0");
    EXPECT_EQ(device.pages[1].texts.at(2).text.rfind("Current folder: C:\\", 0), 0u);
    EXPECT_EQ(device.pages[0].frames,
              0 + static_cast<int>(std::count_if(device.pages[0].texts.begin(), device.pages[0].texts.end(),
                                                 [](const FixedCanvas::Drawn& drawn) { return drawn.font == 4; })));
}

}  // namespace
}  // namespace qv
