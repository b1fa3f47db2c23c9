// The report window's rules: toolbar enable states, the context sub-menu for a tree position and
// the item colours.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>

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

TEST_F(ReportRulesTest, ContextMenuColoursAndFolderExists) {
    const std::pair<FolderRecord*, TreeMenu> cases[] = {
        {nullptr, TreeMenu::WhiteSpace}, {m_root, TreeMenu::Root},   {m_sub, TreeMenu::Folder},
        {m_leaf, TreeMenu::Files},       {m_files, TreeMenu::Files},
    };
    for (const auto& [record, menu] : cases) {
        EXPECT_EQ(ContextMenuFor(record), menu) << (record ? record->name : "none");
    }
    EXPECT_EQ(std::make_tuple(IsTreeCommand(32782), IsTreeCommand(32783), IsTreeCommand(32798), IsTreeCommand(32799)),
              std::make_tuple(false, true, true, false));
    EXPECT_NE(ItemTextColour(m_files), ItemTextColour(m_sub));  // files items stand out from folders
    EXPECT_EQ(ItemBackgroundColour(m_files), ItemBackgroundColour(m_sub));
    EXPECT_EQ(std::make_pair(ItemTextColour(nullptr), ItemBackgroundColour(nullptr)),
              (std::pair<std::int64_t, std::int64_t>(-1, -1)));
    // The folder exists only for an existing directory.
    EXPECT_EQ(std::make_tuple(RecordFolderExists(m_root), RecordFolderExists(m_sub), RecordFolderExists(nullptr)),
              std::make_tuple(true, false, false));  // sub has no path
    m_dir.WriteFile("file.txt", 3);
    for (const std::string& path : {std::string(), m_dir.Sub("gone"), m_dir.Sub("file.txt")}) {
        WriteText(m_sub, ALC, path.c_str(), true);
        EXPECT_FALSE(RecordFolderExists(m_sub)) << path;
    }
}

TEST_F(ReportRulesTest, ToolbarStates) {
    // One character per button, '1' enabled: create, close, open, save, whatsNew, update, print, browse.
    const std::tuple<const char*, int, FolderRecord*, bool, const char*> cases[] = {
        {"nothing open", 0, nullptr, false, "10100000"},
        {"root on disk", 1, m_root, true, "11111111"},
        {"root deleted from disk", 2, m_root, false, "11110010"},
        {"folder below the root", 1, m_sub, true, "10101011"},
        {"five reports open", 5, m_root, true, "01011111"},
        {"no record but a stale exists flag", 1, nullptr, true, "10100000"},
    };
    for (const auto& [what, reports, current, exists, expected] : cases) {
        const ToolbarStates s = ToolbarStatesFor(reports, current, exists);
        std::string states;
        for (bool on : {s.create, s.close, s.open, s.save, s.whatsNew, s.update, s.print, s.browse}) {
            states += on ? '1' : '0';
        }
        EXPECT_EQ(states, expected) << what;
    }
}

}  // namespace
}  // namespace qv
