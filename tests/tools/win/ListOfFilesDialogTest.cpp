// The list of files tool driven through its messages from inside its modal loop on a scratch
// tree: its texts and tips, the results file's dialog, both styles with their questions and the
// exact bytes written, a results file that cannot be created, and View Results.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "platform/Platform.h"
#include "resource.h"
#include "tools/win/ListOfFilesDialog.h"
#include "ui/ModalSeam.h"
#include "ui/UiTestUtil.h"

namespace qv {
namespace {

using test::PressButton;
using test::ShownOf;
using test::TextOf;
using ui::ModalAnswer;
using ui::ModalKind;
using ui::ModalSeam;

void SetText(HWND dialog, int id, const char* text) {
    SetDlgItemTextA(dialog, id, text);  // the edit control tells its dialog (EN_CHANGE)
}

void Click(HWND dialog, int id, bool check) {
    CheckDlgButton(dialog, id, check ? BST_CHECKED : BST_UNCHECKED);
    PressButton(dialog, id);
}

std::string Read(const std::string& path) {
    std::string text;
    platform::ReadWholeFile(path, &text);
    return text;
}

class ListOfFilesDialogTest : public test::UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        ModalSeam::Get().Begin();  // also keeps the shell's "open" from running
        m_tree.WriteFile("b.txt", 1);
        m_tree.WriteFile("A.txt", 1);
        m_tree.WriteFile("sub/c.txt", 1);
        m_tree.MakeDir("sub/empty");
        m_root = platform::FullFolderPath(m_tree.Path());
        m_results = platform::JoinPath(platform::FullFolderPath(m_out.Path()), "files.txt");
    }
    void TearDown() override {
        ModalSeam::Get().End();
        UiTest::TearDown();
    }
    bool Run(const std::string& start, const std::function<void(HWND)>& drive) {
        bool driven = false;
        ModalSeam::Get().OnWindowUp([&](HWND window, ModalKind kind) {
            if (kind == ModalKind::ListOfFiles) {
                driven = true;
                drive(window);
            }
        });
        ShowListOfFiles(m_window.Handle(), &m_ui, start, false);
        return driven;
    }

    test::ScratchDir m_tree;
    test::ScratchDir m_out;
    std::string m_root;
    std::string m_results;
};

TEST_F(ListOfFilesDialogTest, WritesBothStylesAfterAskingAndReportsTheCount) {
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(m_results));
    for (int answer : {IDYES, IDOK, IDYES, IDOK}) {
        ModalSeam::Get().QueueAnswer(ModalAnswer::Button(answer));
    }
    EXPECT_TRUE(Run(platform::JoinPath(m_root, "b.txt"), [&](HWND dialog) {
        EXPECT_EQ(TextOf(dialog), "Save list of files ");
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TARGET_PATH)), m_root) << "a file stands for its folder";
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_LIST_RESULTS)),
                  platform::JoinPath(platform::ProgramFolder(), "list.txt"));
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_LIST_FOLDER_SAMPLE)),
                  "C:\\Windows\n\tcalc.exe\n\tcharmap.exe\n\nC:\\Windows\\System\n\taca.dll\n\taccwiz.dll");
        const std::pair<int, const char*> tips[] = {
            {IDC_TARGET_CHOOSE, "Choose folder"},
            {IDC_LIST_CHANGE, "Specify file name for report"},
            {IDC_LIST_VIEW, "Open specified file"},
            {IDOK, "Do action with specified parameters"},
            {IDC_LIST_EMPTY, "Include empty folders in report"},
            {IDC_LIST_RELATIVE, "Skip root folder's path in file names"},
        };
        for (const auto& [id, tip] : tips) {
            EXPECT_EQ(test::TipOf(m_ui.ToolTipWindow(), dialog, GetDlgItem(dialog, id)), tip) << id;
        }
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_LIST_EMPTY)));

        PressButton(dialog, IDC_LIST_CHANGE);
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_LIST_RESULTS)), m_results);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_LIST_VIEW))) << "no results file yet";
        PressButton(dialog, IDOK);
        EXPECT_EQ(Read(m_results), m_root + "\\A.txt\r\n" + m_root + "\\b.txt\r\n" + m_root + "\\sub\\c.txt\r\n");

        Click(dialog, IDC_LIST_FILES_ONLY, false);  // the last one off turns the other on
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_LIST_EMPTY)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_LIST_RELATIVE)));
        Click(dialog, IDC_LIST_EMPTY, true);
        SetText(dialog, IDC_TARGET_EXCEPT, "c*, x");
        PressButton(dialog, IDOK);
        EXPECT_EQ(Read(m_results), m_root + "\r\n\tA.txt\r\n\tb.txt\r\n\r\n" + m_root + "\\sub\r\n\r\n" + m_root +
                                       "\\sub\\empty\r\n\r\n");
        PressButton(dialog, IDC_LIST_VIEW);
        PressButton(dialog, IDCANCEL);
    }));
    const std::vector<ui::ModalShown> saves = ShownOf(ModalKind::SaveFile);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].title + "|" + saves[0].filterDescription + "|" + saves[0].filterMask + "|" + saves[0].extension,
              "Save list to file|Text file (*.txt)|*.txt|txt");
    const std::vector<ui::ModalShown> shown = ShownOf(ModalKind::Message);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].title, "Submit operation");
    EXPECT_EQ(shown[0].text, "Folder: \"" + m_root + "\"  (including sub-folders)\nReport style: Files-Only\n"
                             "Write to file: " + m_results + "\nProceed ?");
    EXPECT_EQ(shown[1].title + ": " + shown[1].text, "Operation results: 3 files found");
    EXPECT_EQ(shown[2].text, "Folder: \"" + m_root + "\"  (including sub-folders)\nApply for files:*.*\n"
                             "Except files: c*;x\nReport style: Folder-Based\nWrite to file: " + m_results +
                             "\nProceed ?");
    EXPECT_EQ(shown[3].text, "2 files found");
    const std::vector<ui::ModalShown> opened = ShownOf(ModalKind::Execute);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].title + " " + opened[0].text, "open " + m_results);
}

TEST_F(ListOfFilesDialogTest, AResultsFileThatCannotBeCreatedIsNamedAndNoAnswerMeansNothingWritten) {
    const std::string unwritable = platform::JoinPath(platform::FullFolderPath(m_out.Path()), "missing\\list.txt");
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(unwritable));
    for (int answer : {IDYES, IDOK, IDNO}) {
        ModalSeam::Get().QueueAnswer(ModalAnswer::Button(answer));
    }
    EXPECT_TRUE(Run(m_root, [&](HWND dialog) {
        PressButton(dialog, IDC_LIST_CHANGE);
        PressButton(dialog, IDOK);
        ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(m_results));
        PressButton(dialog, IDC_LIST_CHANGE);
        PressButton(dialog, IDOK);  // answered No
        PressButton(dialog, IDCANCEL);
    }));
    const std::vector<ui::ModalShown> shown = ShownOf(ModalKind::Message);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].title + ": " + shown[1].text, "Error: Cannot create file: " + unwritable);
    EXPECT_FALSE(platform::FileExists(m_results));
}

}  // namespace
}  // namespace qv
