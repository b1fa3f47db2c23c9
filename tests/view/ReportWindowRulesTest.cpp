// The report window's rules: toolbar enable states, the context sub-menu for a tree position and
// the item colours.
#include <gtest/gtest.h>

#include "../TestUtil.h"
#include "view/ReportWindowRules.h"

namespace qv {
namespace {

// root (a folder on disk) -> sub (with a child) -> leaf; root -> {root files}.
class ReportRulesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_root = CreateNode(nullptr, "root");
        WriteText(m_root, ALC, m_dir.Path().c_str(), false);
        m_sub = CreateNode(m_root, "sub");
        m_leaf = CreateNode(m_sub, "leaf");
        m_files = CreateNode(m_root, "{root files}");
        m_files->group = 1;
    }
    void TearDown() override { DeleteNode(m_root); }
    test::ScratchDir m_dir;
    FolderRecord* m_root = nullptr;
    FolderRecord* m_sub = nullptr;
    FolderRecord* m_leaf = nullptr;
    FolderRecord* m_files = nullptr;
};

TEST_F(ReportRulesTest, ContextMenuForEachPosition) {
    EXPECT_EQ(ContextMenuFor(nullptr), TreeMenu::WhiteSpace);
    EXPECT_EQ(ContextMenuFor(m_root), TreeMenu::Root);
    EXPECT_EQ(ContextMenuFor(m_sub), TreeMenu::Folder);
    EXPECT_EQ(ContextMenuFor(m_leaf), TreeMenu::Files);
    EXPECT_EQ(ContextMenuFor(m_files), TreeMenu::Files);
    EXPECT_FALSE(IsTreeCommand(32782));
    EXPECT_TRUE(IsTreeCommand(32783));
    EXPECT_TRUE(IsTreeCommand(32798));
    EXPECT_FALSE(IsTreeCommand(32799));
}

TEST_F(ReportRulesTest, FolderExistsOnlyForAnExistingDirectory) {
    EXPECT_TRUE(RecordFolderExists(m_root));
    EXPECT_FALSE(RecordFolderExists(m_sub));  // no path
    WriteText(m_sub, ALC, "", false);
    EXPECT_FALSE(RecordFolderExists(m_sub));
    WriteText(m_sub, ALC, m_dir.Sub("gone").c_str(), true);
    EXPECT_FALSE(RecordFolderExists(m_sub));
    m_dir.WriteFile("file.txt", 3);
    WriteText(m_sub, ALC, m_dir.Sub("file.txt").c_str(), true);
    EXPECT_FALSE(RecordFolderExists(m_sub));  // a file is no folder
    EXPECT_FALSE(RecordFolderExists(nullptr));
}

TEST_F(ReportRulesTest, ToolbarStates) {
    struct Case {
        const char* what;
        int reports;
        FolderRecord* current;
        bool exists;
        ToolbarStates expected;  // create, close, open, save, whatsNew, update, print, browse
    };
    const Case cases[] = {
        {"nothing open", 0, nullptr, false, {true, false, true, false, false, false, false, false}},
        {"root on disk", 1, m_root, true, {true, true, true, true, true, true, true, true}},
        {"root deleted from disk", 2, m_root, false, {true, true, true, true, false, false, true, false}},
        {"folder below the root", 1, m_sub, true, {true, false, true, false, true, false, true, true}},
        {"five reports open", 5, m_root, true, {false, true, false, true, true, true, true, true}},
        {"no record but a stale exists flag", 1, nullptr, true, {true, false, true, false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        const ToolbarStates s = ToolbarStatesFor(c.reports, c.current, c.exists);
        const ToolbarStates& e = c.expected;
        EXPECT_EQ(s.create, e.create) << c.what;
        EXPECT_EQ(s.close, e.close) << c.what;
        EXPECT_EQ(s.open, e.open) << c.what;
        EXPECT_EQ(s.save, e.save) << c.what;
        EXPECT_EQ(s.whatsNew, e.whatsNew) << c.what;
        EXPECT_EQ(s.update, e.update) << c.what;
        EXPECT_EQ(s.print, e.print) << c.what;
        EXPECT_EQ(s.browse, e.browse) << c.what;
    }
}

TEST_F(ReportRulesTest, FilesItemsAreDarkBlueFoldersBlack) {
    EXPECT_EQ(ItemTextColour(m_files), 0x782828);
    EXPECT_EQ(ItemTextColour(m_sub), 0);
    EXPECT_EQ(ItemTextColour(nullptr), -1);
    EXPECT_EQ(ItemBackgroundColour(m_sub), 0xFFFFFF);
    EXPECT_EQ(ItemBackgroundColour(nullptr), -1);
}

}  // namespace
}  // namespace qv
