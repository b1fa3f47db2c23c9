// The temporary folders tool driven through its messages from inside its modal loop: the list
// from the settings (written back is the program's end-to-end test), adding and its refusals,
// measuring, Scan & Add with its
// question, and clearing into the recycle bin and for good on a tree prepared outside the test
// with a link to a folder inside the temporary folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "attr/AttrTree.h"
#include "filters/win/SeamDialogTest.h"
#include "tools/win/TempFoldersDialog.h"
#include "ui/MessageBox.h"

namespace qv {
namespace {

using test::PressButton;
using test::ShownOf;
using test::TextOf;
using ui::ModalAnswer;
using ui::ModalKind;
using ui::ModalSeam;

// Every row as "path|size", the selected one marked with a '*' before it.
std::vector<std::string> Rows(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_TEMP_LIST);
    std::vector<std::string> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        const bool selected = ListView_GetItemState(list, row, LVIS_SELECTED) != 0;
        rows.push_back((selected ? "*" : "") + test::ListCell(list, row, 0) + "|" + test::ListCell(list, row, 1));
    }
    return rows;
}

class TempFoldersDialogTest : public test::SeamDialogTest {
  protected:
    void SetUp() override {
        SeamDialogTest::SetUp();
        m_settings = CreateNode(nullptr, "options");
        CreateNode(m_settings, "common");
        m_section = CreateNode(m_settings, "temporary");
    }
    void TearDown() override {
        DeleteNode(m_settings);
        SeamDialogTest::TearDown();
    }
    void List(const std::string& folder) { CreateNode(m_section, "folder")->SetDesc(folder.c_str()); }

    // Opens the tool on `start`; the opening path is added once the window is up.
    bool Run(
        const std::string& start,
        const std::function<void(HWND)>& drive,
        const std::function<void(HWND)>& other = [](HWND) {}) {
        const TempFoldersSource source{.settings = m_settings, .startPath = start};
        return Drive(
            ModalKind::TemporaryFolders, [&] { ShowTemporaryFolders(m_window.Handle(), &m_ui, source); },
            [&](HWND dialog) {
                test::PumpPending();
                drive(dialog);
            },
            other);
    }

    AttrNode* m_settings = nullptr;
    AttrNode* m_section = nullptr;
};

TEST_F(TempFoldersDialogTest, ListAddingRemovingAndTheStoredForm) {
    m_dir.WriteFile("a/one.tmp", 5000);
    m_dir.WriteFile("a/empty.tmp", 0);
    m_dir.WriteFile("c/file.txt", 1);
    const std::string a = platform::FullFolderPath(m_dir.Sub("a"));
    const std::string c = platform::FullFolderPath(m_dir.Sub("c"));
    const std::string gone = platform::JoinPath(platform::FullFolderPath(m_dir.Path()), "gone");
    List(a);
    List(gone);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string upper = a;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char ch) { return std::toupper(ch); });
    // The root (refused), the Windows folder (asked, answered No), a listed one in other case.
    for (const ModalAnswer& answer :
         {ModalAnswer::Choose("C:\\"), ModalAnswer::Button(IDOK), ModalAnswer::Choose(windows),
          ModalAnswer::Button(IDNO), ModalAnswer::Choose(upper)}) {
        ModalSeam::Get().QueueAnswer(answer);
    }
    EXPECT_TRUE(Run(platform::JoinPath(c, "file.txt"), [&](HWND dialog) {
        EXPECT_EQ(Rows(dialog), (std::vector<std::string>{a + "|???", gone + "|???", "*" + c + "|???"}))
            << "the opening path's folder was added and selected";
        ExpectTip(dialog, IDC_TEMP_DESTROY, "Destroy files(*) or Move To Recycle Bin");

        PressButton(dialog, IDC_TEMP_UPDATE_ALL);  // the empty file adds nothing
        EXPECT_EQ(Rows(dialog), (std::vector<std::string>{a + "|8 K", gone + "|failed", "*" + c + "|4 K"}));
        PressButton(dialog, IDC_TEMP_ADD);  // the root: refused
        PressButton(dialog, IDC_TEMP_ADD);  // the Windows folder: asked, answered No
        PressButton(dialog, IDC_TEMP_ADD);  // listed already, in other case: selected
        EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"*" + a + "|8 K", c + "|4 K"}))
            << "the missing folder went with the new list";

        PressButton(dialog, IDC_TEMP_REMOVE);
        EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"*" + c + "|4 K"}));
        PressButton(dialog, IDC_TEMP_REMOVE);
        EXPECT_FALSE(test::Enabled(dialog, IDC_TEMP_CLEAR_ALL) || test::Enabled(dialog, IDC_TEMP_BROWSE));
        // A dropped file adds its folder.
        SendMessageA(dialog, WM_DROPFILES,
                     reinterpret_cast<WPARAM>(test::MakeDrop({platform::JoinPath(c, "file.txt")})), 0);
        EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"*" + c + "|???"}));
        PressButton(dialog, IDCANCEL);
    }));
    const std::vector<ui::ModalShown> shown = ShownOf(ModalKind::Message);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title + ": " + shown[0].text, "Add folder: Root folder cannot be added to temporary list");
    EXPECT_EQ(shown[1].title + ": " + shown[1].text, "Submit operation: Folder " + std::string(windows) +
                                                         " or its parent folder has SYSTEM attribute\nAdd anyway?");
}

// Which names are proposed is the scan's own rule; here the real question box: its Browse shows
// the folder, Yes adds it, Cancel ends the scan.
TEST_F(TempFoldersDialogTest, ScanAndAddAsksAboutTemporaryNamesWithABrowseButton) {
    for (const char* file : {"a/Temp/x", "b/Temp/x", "c/Temp/x"}) {
        m_dir.WriteFile(file, 1);
    }
    const std::string root = platform::FullFolderPath(m_dir.Path());
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(root));
    int asked = 0;
    std::string first;  // in the order the disk lists them
    EXPECT_TRUE(Run(
        "",
        [&](HWND dialog) {
            PressButton(dialog, IDC_TEMP_SCAN);
            first = ShownOf(ModalKind::Execute).at(0).text;
            EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"*" + first + "|???"}));
            PressButton(dialog, IDCANCEL);
        },
        [&](HWND box) {
            const bool question = TextOf(GetDlgItem(box, IDC_MESSAGE_TEXT)).find("Would you like") != std::string::npos;
            if (question && ++asked == 1) {
                PressButton(box, IDC_MESSAGE_ACTION);
            }
            PressButton(box, question && asked > 1 ? IDCANCEL : IDOK);  // the box's Yes is IDOK
        }));
    const std::vector<ui::ModalShown> shown = ShownOf(ModalKind::Message);
    ASSERT_EQ(shown.size(), 3u) << "two questions, then the end of the scan";
    EXPECT_EQ(platform::JoinPath(root, first.substr(root.size() + 1, 1) + "\\Temp"), first);
    EXPECT_EQ(shown[0].text,
              "Would you like to include folder \n\"" + first + "\" \nto the list of temporary folders?");
}

// The tree made natively before the test: temp/{a.qvtmp, zero.qvtmp, flink -> outside/kept.txt,
// out -> outside, sub/deep/b.qvtmp}, temp2/c.qvtmp, outside/{kept.txt, inner/behind.txt}.
TEST_F(TempFoldersDialogTest, ClearLeavesALinkedFolderAndEverythingBehindIt) {
    const char* tree = std::getenv("QV_TEMP_LINK_TREE");
    ASSERT_NE(tree, nullptr) << "run through CTest, which prepares the tree";
    ASSERT_FALSE(test::WineTrashFile("x").empty()) << "not running under Wine";
    const std::string temp = platform::JoinPath(tree, "temp");
    const std::string outside = platform::JoinPath(tree, "outside");
    ASSERT_TRUE(platform::FileExists(platform::JoinPath(temp, "a.qvtmp"))) << "the tree was cleared before";
    List(temp);
    List(platform::JoinPath(tree, "temp2"));
    EXPECT_TRUE(Run("", [&](HWND dialog) {
        test::Click(dialog, IDC_TEMP_DESTROY, true);
        ListView_SetItemState(GetDlgItem(dialog, IDC_TEMP_LIST), 0, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        PressButton(dialog, IDC_TEMP_CLEAR);
        test::Click(dialog, IDC_TEMP_DESTROY, false);
        PressButton(dialog, IDC_TEMP_CLEAR_ALL);
        PressButton(dialog, IDCANCEL);
    }));
    EXPECT_TRUE(ShownOf(ModalKind::Message).empty());
    for (const char* file : {"temp\\a.qvtmp", "temp\\zero.qvtmp", "temp\\flink", "temp\\sub", "temp2\\c.qvtmp"}) {
        EXPECT_EQ(GetFileAttributesA(platform::JoinPath(tree, file).c_str()), INVALID_FILE_ATTRIBUTES) << file;
    }
    EXPECT_TRUE(platform::DirectoryExists(platform::JoinPath(temp, "out")) &&
                platform::FileExists(platform::JoinPath(outside, "kept.txt")) &&
                platform::FileExists(platform::JoinPath(outside, "inner\\behind.txt")));
    // Destroyed for good, then into the recycle bin.
    EXPECT_FALSE(platform::FileExists(test::WineTrashFile("a.qvtmp")));
    EXPECT_TRUE(platform::FileExists(test::WineTrashFile("c.qvtmp")));
    test::RemoveFromWineTrash("c.qvtmp");
}

}  // namespace
}  // namespace qv
