// The list of files tool driven through its messages from inside its modal loop on a scratch
// tree: the results file's dialog, a results file that cannot be created, No writing nothing,
// both styles with their questions, and View Results. The bytes of each style are the list's own
// tests; here the dialog's choices reach them.
#include <gtest/gtest.h>

#include "filters/win/SeamDialogTest.h"
#include "tools/win/ListOfFilesDialog.h"

namespace qv {
namespace {

using test::PressButton;
using test::ShownOf;
using test::TextOf;
using ui::ModalAnswer;
using ui::ModalKind;
using ui::ModalSeam;

class ListOfFilesDialogTest : public test::SeamDialogTest {};

TEST_F(ListOfFilesDialogTest, AsksWritesBothStylesAndNamesAFileItCannotCreate) {
    m_dir.WriteFile("tree/b.txt", 1);
    m_dir.WriteFile("tree/A.txt", 1);
    m_dir.WriteFile("tree/sub/c.txt", 1);
    m_dir.MakeDir("tree/sub/empty");
    const std::string root = platform::FullFolderPath(m_dir.Sub("tree"));
    const std::string results = platform::JoinPath(platform::FullFolderPath(m_dir.Path()), "files.txt");
    const std::string unwritable = platform::JoinPath(platform::FullFolderPath(m_dir.Path()), "missing\\list.txt");
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(unwritable));
    Queue({IDYES, IDOK});
    ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(results));
    Queue({IDNO, IDYES, IDOK, IDYES, IDOK});
    auto open = [&] { ShowListOfFiles(m_window.Handle(), &m_ui, platform::JoinPath(root, "b.txt"), false); };
    EXPECT_TRUE(Drive(ModalKind::ListOfFiles, open, [&](HWND dialog) {
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TARGET_PATH)), root) << "a file stands for its folder";
        ExpectTip(dialog, IDC_LIST_RELATIVE, "Skip root folder's path in file names");

        PressButton(dialog, IDC_LIST_CHANGE);
        PressButton(dialog, IDOK);  // cannot be created
        PressButton(dialog, IDC_LIST_CHANGE);
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_LIST_RESULTS)), results);
        PressButton(dialog, IDOK);  // answered No
        EXPECT_FALSE(platform::FileExists(results));
        EXPECT_FALSE(test::Enabled(dialog, IDC_LIST_VIEW)) << "no results file yet";
        PressButton(dialog, IDOK);
        EXPECT_EQ(test::ReadAll(results), root + "\\A.txt\r\n" + root + "\\b.txt\r\n" + root + "\\sub\\c.txt\r\n");

        test::Click(dialog, IDC_LIST_FILES_ONLY, false);  // the last one off turns the other on
        EXPECT_TRUE(test::Enabled(dialog, IDC_LIST_EMPTY) && !test::Enabled(dialog, IDC_LIST_RELATIVE));
        test::Click(dialog, IDC_LIST_EMPTY, true);
        SetDlgItemTextA(dialog, IDC_TARGET_EXCEPT, "c*, x");
        PressButton(dialog, IDOK);
        EXPECT_EQ(test::ReadAll(results),
                  root + "\r\n\tA.txt\r\n\tb.txt\r\n\r\n" + root + "\\sub\r\n\r\n" + root + "\\sub\\empty\r\n\r\n");
        PressButton(dialog, IDC_LIST_VIEW);
        PressButton(dialog, IDCANCEL);
    }));
    const std::vector<ui::ModalShown> shown = ShownOf(ModalKind::Message);
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_EQ(shown[1].title + ": " + shown[1].text, "Error: Cannot create file: " + unwritable);
    EXPECT_EQ(shown[3].text, "Folder: \"" + root +
                                 "\"  (including sub-folders)\nReport style: Files-Only\n"
                                 "Write to file: " +
                                 results + "\nProceed ?");
    EXPECT_EQ(shown[4].title + ": " + shown[4].text, "Operation results: 3 files found");
    EXPECT_NE(shown[5].text.find("Report style: Folder-Based"), std::string::npos) << shown[5].text;
    EXPECT_EQ(ShownOf(ModalKind::Execute).at(0).text, results);
}

}  // namespace
}  // namespace qv
