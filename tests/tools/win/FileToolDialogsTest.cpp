// The file attributes and the file date and time tools driven through their messages from
// inside their modal loops, answering their message boxes through the modal seam, on scratch
// folders (and, under Wine, on a tree with Linux links made before the test runs).
#include <gtest/gtest.h>

#include <cstdlib>

#include "filters/win/SeamDialogTest.h"
#include "shell/win/Shell.h"
#include "tools/win/FileToolDialogs.h"

namespace qv::tools {
namespace {

using test::Enabled;
using test::ShownOf;
using test::TextOf;
using test::Toggle;
using test::Visible;
using ui::ModalAnswer;
using ui::ModalKind;
using ui::ModalSeam;

// Sets the three check boxes (Read-Only, Archive, Hidden) whatever an earlier test left.
void CheckBoxes(HWND dialog, bool readOnly, bool archive, bool hidden) {
    CheckDlgButton(dialog, IDC_ATTR_CHECK_READONLY, readOnly ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_ATTR_CHECK_ARCHIVE, archive ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_ATTR_CHECK_HIDDEN, hidden ? BST_CHECKED : BST_UNCHECKED);
}

bool ReadOnly(const std::string& path) {
    platform::DirEntry entry;
    return platform::StatPath(path, &entry) && (entry.attributes & platform::kAttrReadOnly) != 0;
}

class FileToolDialogsTest : public test::SeamDialogTest {
  protected:
    // Opens a tool with `start`; `drive` works on it from inside its modal loop, which the test
    // then ends with Close.
    void Run(ModalKind kind, const std::string& start, const std::function<void(HWND)>& drive) {
        const ToolStart toolStart{start, false};
        auto open = [&] {
            (kind == ModalKind::FileAttributes ? ShowFileAttributesTool : ShowFileDateTimeTool)(m_window.Handle(),
                                                                                                &m_ui, toolStart);
        };
        EXPECT_TRUE(Drive(kind, open, [&](HWND dialog) {
            drive(dialog);
            test::PressButton(dialog, IDCANCEL);
        }));
    }
    // Presses Apply with `answer` queued for the box it shows (Yes to a question: then OK for
    // the results); the last box's caption and text.
    std::string Apply(HWND dialog, int answer = IDOK) {
        const std::size_t before = ShownOf(ModalKind::Message).size();
        Queue(answer == IDYES ? std::vector<int>{IDYES, IDOK} : std::vector<int>{answer});
        test::PressButton(dialog, IDOK);
        const auto shown = ShownOf(ModalKind::Message);
        return shown.size() > before ? shown.back().title + "|" + shown.back().text : "(none)";
    }
};

// The mode buttons, the action's controls, the choosers, and what Apply remembers (the masks
// without blanks, with semicolons).
TEST_F(FileToolDialogsTest, AttributesOpenAsAtStartFollowTheModeAndRememberTheMasks) {
    Run(ModalKind::FileAttributes, m_dir.Path(), [&](HWND dialog) {
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TARGET_PATH)), m_dir.Path());
        EXPECT_TRUE(Visible(dialog, IDC_ATTR_CHECK_READONLY) && !Visible(dialog, IDC_ATTR_NEW_HIDDEN));
        ExpectTip(dialog, IDC_TARGET_MASK_LABEL, "File masks, separated by semicolon");

        test::ChooseEntry(dialog, IDC_ATTR_ACTION, "Change attributes");
        EXPECT_TRUE(!Visible(dialog, IDC_ATTR_CHECK_READONLY) && Visible(dialog, IDC_ATTR_NEW_HIDDEN));

        Toggle(dialog, IDC_TARGET_FOLDER_MODE);  // the last one off turns the other on
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_TARGET_FILE_MODE), BST_CHECKED);
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TARGET_PATH)), "");
        EXPECT_FALSE(Enabled(dialog, IDOK) || Enabled(dialog, IDC_TARGET_MASK) ||
                     Enabled(dialog, IDC_TARGET_RECURSIVE));
        ModalSeam::Get().QueueAnswer(ModalAnswer::Cancel());
        test::PressButton(dialog, IDC_TARGET_CHOOSE);
        EXPECT_EQ(ShownOf(ModalKind::OpenFile).at(0).folder, m_dir.Path());
        Toggle(dialog, IDC_TARGET_FOLDER_MODE);
        m_dir.MakeDir("other");
        ModalSeam::Get().QueueAnswer(ModalAnswer::Choose(m_dir.Sub("other")));
        test::PressButton(dialog, IDC_TARGET_CHOOSE);
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TARGET_PATH)), m_dir.Sub("other"));

        test::ChooseEntry(dialog, IDC_ATTR_ACTION, "Set attributes");
        Toggle(dialog, IDC_ATTR_CHECK_HIDDEN);
        SetDlgItemTextA(dialog, IDC_TARGET_MASK, " *.txt , *.doc");
        SetDlgItemTextA(dialog, IDC_TARGET_EXCEPT, "*.bak");
        EXPECT_EQ(Apply(dialog, IDNO), "Submit operation|Folder: \"" + m_dir.Sub("other") +
                                           "\"  (including sub-folders)\nApply for files:*.txt;*.doc\n"
                                           "Except files: *.bak\nSet Attributes: Hidden\nProceed ?");
    });
    Run(ModalKind::FileAttributes, "", [&](HWND dialog) {
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TARGET_MASK)) + "|" + TextOf(GetDlgItem(dialog, IDC_TARGET_EXCEPT)),
                  "*.txt;*.doc|");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_ATTR_CHECK_HIDDEN), BST_CHECKED);
    });
}

// Each check of Apply in its order, with its text and caption.
TEST_F(FileToolDialogsTest, AttributesRefuseBadInputInOrder) {
    m_dir.WriteFile("gone/a.txt", 1);
    Run(ModalKind::FileAttributes, m_dir.Sub("gone/a.txt"), [&](HWND dialog) {
        platform::RemoveFile(m_dir.Sub("gone/a.txt"));
        EXPECT_EQ(Apply(dialog),
                  "Incorrect Data|Incorrect file name!\nPlease be sure that file you have specified is exist");
        Toggle(dialog, IDC_TARGET_FILE_MODE);
        platform::DeleteDirectory(m_dir.Sub("gone"));
        EXPECT_EQ(Apply(dialog),
                  "Incorrect Data|Incorrect folder name!\nPlease be sure that you have specified an existing folder");
        SendMessageA(dialog, WM_DROPFILES,
                     reinterpret_cast<WPARAM>(test::MakeDrop({m_dir.Sub("missing"), m_dir.Path()})), 0);
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TARGET_PATH)), m_dir.Path());
        SetDlgItemTextA(dialog, IDC_TARGET_MASK, "");
        EXPECT_EQ(Apply(dialog),
                  "Incorrect Data|Incorrect mask!\nNote: If you want to apply action to all files - type *.*");
        SetDlgItemTextA(dialog, IDC_TARGET_MASK, "*.*");
        test::ChooseEntry(dialog, IDC_ATTR_ACTION, "Set attributes");
        CheckBoxes(dialog, false, false, false);
        EXPECT_EQ(Apply(dialog), "Wrong parameters|You have not specified attributes to set");
        test::ChooseEntry(dialog, IDC_ATTR_ACTION, "Change attributes");
        for (int id : {IDC_ATTR_NEW_READONLY, IDC_ATTR_NEW_ARCHIVE, IDC_ATTR_NEW_HIDDEN}) {
            test::ChooseEntry(dialog, id, "Same");
        }
        EXPECT_EQ(Apply(dialog), "Wrong parameters|All attributes will be the same");
    });
}

// A run through the window on the tree made natively before the test (in/{a.txt, b.bak,
// sub/c.txt, flink.txt -> outside/o.txt, outlink -> outside}): Read-Only set on what the masks let
// through, below sub-folders; the links are found but neither written through nor entered.
TEST_F(FileToolDialogsTest, AttributesRunCountsAndNeverGoesThroughLinks) {
    const char* tree = std::getenv("QV_TOOLS_LINK_TREE");
    ASSERT_TRUE(tree != nullptr && platform::ReadsFoldersAsLinux()) << "run through CTest under Wine";
    const std::string in = std::string(tree) + "\\in";
    Run(ModalKind::FileAttributes, in, [&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_TARGET_MASK, "*.*");  // the first case left others
        test::ChooseEntry(dialog, IDC_ATTR_ACTION, "Set attributes");
        CheckBoxes(dialog, true, false, false);
        SetDlgItemTextA(dialog, IDC_TARGET_EXCEPT, "*.bak");
        EXPECT_EQ(Apply(dialog, IDYES),
                  "Operation results|2 files have been processed (4 found)\n"
                  "2 files may be locked or have SYSTEM attribute");
    });
    EXPECT_TRUE(ReadOnly(in + "\\a.txt") && ReadOnly(in + "\\sub\\c.txt"));
    EXPECT_FALSE(ReadOnly(in + "\\b.bak"));
    EXPECT_FALSE(ReadOnly(std::string(tree) + "\\outside\\o.txt"));
}

// The date tool opened on a shortcut to a file: the file and today's date on opening, the
// impossible date refused before any question, the time set on the single file without asking
// (only its last-write time), and folder mode needing a date or a time.
TEST_F(FileToolDialogsTest, DateTimeOnAShortcutSetsOnlyTheLastWriteTime) {
    m_dir.WriteFile("one/a.txt", 1);
    const std::string file = m_dir.Sub("one\\a.txt");
    shell::OleScope ole;
    ASSERT_TRUE(shell::CreateShortcut(m_dir.Sub("to-a.lnk"), file));
    platform::DirEntry before;
    platform::LocalTime today;
    ASSERT_TRUE(platform::StatPath(file, &before) && platform::ToLocalTime(platform::Now(), &today));
    Run(ModalKind::FileDateTime, m_dir.Sub("to-a.lnk"), [&](HWND dialog) {
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TARGET_PATH)), file);
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_DATE_MONTH, CB_GETCURSEL, 0, 0) + 1, today.month);
        EXPECT_EQ(test::ChosenEntry(dialog, IDC_DATE_DAY), std::to_string(today.day));

        Toggle(dialog, IDC_DATE_CHANGE_DATE);
        test::ChooseEntry(dialog, IDC_DATE_MONTH, "Apr");
        test::ChooseEntry(dialog, IDC_DATE_DAY, "31");
        EXPECT_EQ(Apply(dialog),
                  "Incorrect Data|Wrong date format!\nPlease be sure that you have specified correct month and day");
        Toggle(dialog, IDC_DATE_CHANGE_DATE);
        test::ChooseEntry(dialog, IDC_DATE_HOUR, "14");
        test::ChooseEntry(dialog, IDC_DATE_MINUTE, "30");
        EXPECT_EQ(Apply(dialog), "Operation results| 1 files have been found and processed");

        Toggle(dialog, IDC_TARGET_FILE_MODE);
        Toggle(dialog, IDC_DATE_CHANGE_TIME);
        EXPECT_FALSE(Enabled(dialog, IDOK));  // folder mode with nothing to set
    });
    platform::DirEntry after;
    platform::LocalTime local;
    platform::LocalTime was;
    ASSERT_TRUE(platform::StatPath(file, &after) && platform::ToLocalTime(after.lastWrite, &local) &&
                platform::ToLocalTime(before.lastWrite, &was));
    EXPECT_EQ((std::vector<int>{local.year, local.month, local.day, local.hour, local.minute, local.second}),
              (std::vector<int>{was.year, was.month, was.day, 14, 30, 0}));
    if (!platform::ReadsFoldersAsLinux()) {
        EXPECT_EQ(after.creation, before.creation);  // Linux has none: Wine derives it from the change time
    }
    EXPECT_EQ(after.lastAccess, before.lastAccess);
}

}  // namespace
}  // namespace qv::tools
