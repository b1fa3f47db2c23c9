// The report window's rules: toolbar enable states, the context sub-menu for a tree position and
// the item colours.
#include <gtest/gtest.h>

#include <string>

#include "TestUtil.h"
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
    // One character per button, '1' enabled: create, close, open, save, whatsNew, update, print, browse.
    const struct {
        const char* what;
        int reports;
        FolderRecord* current;
        bool exists;
        const char* expected;
    } cases[] = {
        {"nothing open", 0, nullptr, false, "10100000"},
        {"root on disk", 1, m_root, true, "11111111"},
        {"root deleted from disk", 2, m_root, false, "11110010"},
        {"folder below the root", 1, m_sub, true, "10101011"},
        {"five reports open", 5, m_root, true, "01011111"},
        {"no record but a stale exists flag", 1, nullptr, true, "10100000"},
    };
    for (const auto& c : cases) {
        const ToolbarStates s = ToolbarStatesFor(c.reports, c.current, c.exists);
        std::string states;
        for (bool on : {s.create, s.close, s.open, s.save, s.whatsNew, s.update, s.print, s.browse}) {
            states += on ? '1' : '0';
        }
        EXPECT_EQ(states, c.expected) << c.what;
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
