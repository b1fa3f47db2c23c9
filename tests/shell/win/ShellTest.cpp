// Tests of the shell operations under Windows (run under Wine): deleting into the recycle bin and
// for good, shortcuts, the drag data object with its item-id lists, display names, the
// dialogs' seam and the real folder dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <set>

#include "TestUtil.h"
#include "shell/win/DragDrop.h"
#include "shell/win/Shell.h"
#include "ui/ModalSeam.h"
#include "ui/UiTestUtil.h"

namespace qv::shell {
namespace {

using test::ScratchDir;
using test::WineTrashFile;
using ui::ModalAnswer;
using ui::ModalSeam;

// Each test starts with a clean seam and OLE for its thread.
class ShellTest : public testing::Test {
  protected:
    void SetUp() override { ModalSeam::Get().Begin(); }
    void TearDown() override { ModalSeam::Get().End(); }
    OleScope m_ole;
};

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string UniqueName(const char* stem) {
    return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()) +
           ".txt";
}

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

PathList Paths(std::initializer_list<std::string> paths) {
    PathList list;
    for (const std::string& path : paths) {
        list.Add(path);
    }
    return list;
}

// Into the recycle bin, then for good all chosen paths at once and nothing else; a missing path
// or none at all is refused.
TEST_F(ShellTest, DeleteIntoTheRecycleBinOrForGoodOnlyWhatWasChosen) {
    // A desktop session has a recycle bin folder; a new account does not, and Wine cannot recycle.
    const std::string trash = WineTrashFile("x");
    ASSERT_TRUE(!RunningUnderWine() || (!trash.empty() && platform::DirectoryExists(trash.substr(0, trash.size() - 2))))
        << "the account that runs Wine has no recycle bin folder (~/.local/share/Trash/files): "
           "run scripts/desktop-home.sh first, as the test command does";
    ScratchDir dir;
    const std::string recycled = UniqueName("recycle");
    const std::string first = UniqueName("gone-a");
    const std::string second = UniqueName("gone-b");
    for (const std::string& name : {recycled, first, second, std::string("stays.txt")}) {
        dir.WriteFile(name, 10);
    }
    const DeleteResult result = DeleteFiles(nullptr, Paths({dir.Sub(recycled)}), true, false, false);
    EXPECT_TRUE(result.succeeded && !result.aborted);
    EXPECT_TRUE(DeleteFiles(nullptr, Paths({dir.Sub(first), dir.Sub(second)}), true, false, true).succeeded);
    EXPECT_EQ(test::NamesIn(dir.Path()), std::set<std::string>{"stays.txt"});
    if (RunningUnderWine()) {
        EXPECT_TRUE(test::RemoveFromWineTrash(recycled)) << WineTrashFile(recycled);
        EXPECT_FALSE(platform::FileExists(WineTrashFile(first)));
    }
    EXPECT_FALSE(DeleteFiles(nullptr, Paths({dir.Sub("no-such-file.txt")}), true, false, true).succeeded);
    EXPECT_FALSE(DeleteFiles(nullptr, PathList(), true, false, true).succeeded);
}

// Run as a child of the test below, with a recycle bin that cannot be made: the shell must ask
// before it deletes for good, even for a quiet unconfirmed delete, and "No" keeps the file.
TEST_F(ShellTest, RecycleChildKeepsTheFileWhenTheWarningIsAnsweredNo) {
    char file[MAX_PATH] = {};
    if (GetEnvironmentVariableA("QV_RECYCLE_CHILD_FILE", file, sizeof file) == 0) {
        GTEST_SKIP() << "runs only as the child of KeepsTheFileWhenTheRecycleBinCannotBeUsed";
    }
    std::string seen;
    test::DialogWatcher answer([&seen](HWND dialog) {
        Sleep(300);  // the question's text is set after the window shows
        seen = test::WindowTexts(dialog);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
        return true;
    });
    const DeleteResult result = DeleteFiles(nullptr, Paths({file}), true, false, false);
    answer.Stop();
    EXPECT_NE(seen.find("delet"), std::string::npos) << "no warning before a permanent delete: '" << seen << "'";
    EXPECT_TRUE(platform::FileExists(file)) << "the file was deleted for good";
    EXPECT_TRUE(result.aborted || !result.succeeded);
}

TEST_F(ShellTest, KeepsTheFileWhenTheRecycleBinCannotBeUsed) {
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "needs Wine: its recycle bin lives where the environment says";
    }
    ScratchDir dir;
    const std::string name = UniqueName("no-bin");
    dir.WriteFile(name, 10);
    // The recycle bin goes below /dev/null, where no folder can ever be made.
    std::string environment;
    for (const char* entry : {"XDG_DATA_HOME=/dev/null/qv", "WINEHOMEDIR=\\??\\Z:\\dev\\null\\qv"}) {
        environment += entry;
        environment += '\0';
    }
    environment += "QV_RECYCLE_CHILD_FILE=" + dir.Sub(name) + '\0';
    for (LPCH block = GetEnvironmentStringsA(), entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
        const std::string text = entry;
        if (text.rfind("XDG_DATA_HOME=", 0) != 0 && text.rfind("WINEHOMEDIR=", 0) != 0 &&
            text.rfind("QV_RECYCLE_CHILD_FILE=", 0) != 0) {
            environment += text + '\0';
        }
    }
    environment += '\0';
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string command =
        std::string("\"") + exe + "\" --gtest_filter=ShellTest.RecycleChildKeepsTheFileWhenTheWarningIsAnsweredNo";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, environment.data(), nullptr,
                               &startup, &process))
        << GetLastError();
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, 0u) << "the child's checks failed (see its output above)";
    EXPECT_TRUE(platform::FileExists(dir.Sub(name)));
}

TEST_F(ShellTest, ShortcutResolvesToItsTargetAndAFileHasADisplayName) {
    ScratchDir dir;
    dir.WriteText("target file.txt", "hello");
    const std::string target = dir.Sub("target file.txt");
    std::string full;
    std::string shown;
    ASSERT_TRUE(GetDisplayName(target, &full, &shown));
    EXPECT_TRUE(SamePath(full, target) && (shown == "target file.txt" || shown == "target file")) << full << shown;

    const std::string link = dir.Sub("Target.LNK");
    ASSERT_TRUE(CreateShortcut(link, target));
    std::string resolved = link;  // the output may be the input
    EXPECT_TRUE(ResolveShortcut(nullptr, resolved, &resolved) && SamePath(resolved, target)) << resolved;

    // A deleted target does not resolve, and neither does a file that is no shortcut.
    ASSERT_TRUE(DeleteFileA(target.c_str()));
    EXPECT_FALSE(ResolveShortcut(nullptr, link, &resolved) || !resolved.empty());
    dir.WriteText("plain.lnk", "not a link");
    EXPECT_FALSE(ResolveShortcut(nullptr, dir.Sub("plain.lnk"), &resolved));
}

FORMATETC Format(UINT format, DWORD aspect = DVASPECT_CONTENT, DWORD tymed = TYMED_HGLOBAL) {
    return {static_cast<CLIPFORMAT>(format), nullptr, aspect, -1, tymed};
}

// The full paths named by a "Shell IDList Array" block: parent list joined with each item list.
std::vector<std::string> IdListArrayPaths(HGLOBAL block) {
    std::vector<std::string> paths;
    auto* array = static_cast<const CIDA*>(GlobalLock(block));
    auto* base = reinterpret_cast<const BYTE*>(array);
    for (UINT i = 1; array != nullptr && i <= array->cidl; ++i) {
        LPITEMIDLIST full = ILCombine(reinterpret_cast<LPCITEMIDLIST>(base + array->aoffset[0]),
                                      reinterpret_cast<LPCITEMIDLIST>(base + array->aoffset[i]));
        char path[MAX_PATH] = {};
        paths.emplace_back(full != nullptr && SHGetPathFromIDListA(full, path) ? path : "");
        ILFree(full);
    }
    GlobalUnlock(block);
    return paths;
}

TEST_F(ShellTest, DataObjectOffersAndRendersBothFormats) {
    ScratchDir dir;
    dir.WriteText("one.txt", "1");
    dir.WriteText("two.txt", "22");
    const PathList paths = Paths({dir.Sub("one.txt"), dir.Sub("two.txt")});
    PathListProvider provider(paths);
    CImpIDataObject* data = CreateDragDataObject(&provider);
    ASSERT_NE(data, nullptr);
    // The drop format is offered in memory for content only; no text.
    FORMATETC offered = Format(CF_HDROP, DVASPECT_CONTENT, TYMED_HGLOBAL | TYMED_ISTREAM);
    FORMATETC icon = Format(CF_HDROP, DVASPECT_ICON);
    FORMATETC stream = Format(CF_HDROP, DVASPECT_CONTENT, TYMED_ISTREAM);
    FORMATETC text = Format(CF_TEXT);
    STGMEDIUM medium = {};
    EXPECT_EQ((std::vector<HRESULT>{data->QueryGetData(&offered), data->QueryGetData(&icon),
                                    data->QueryGetData(&stream), data->GetData(&text, &medium)}),
              (std::vector<HRESULT>{S_OK, DV_E_FORMATETC, DV_E_FORMATETC, DV_E_FORMATETC}));

    FORMATETC hdrop = Format(CF_HDROP);
    ASSERT_EQ(data->GetData(&hdrop, &medium), S_OK);
    EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(TakeDroppedFiles(static_cast<HDROP>(medium.hGlobal)).Paths(), paths.Paths());  // and releases it

    FORMATETC ids = Format(IdListArrayFormat());
    ASSERT_EQ(data->GetData(&ids, &medium), S_OK);
    const std::vector<std::string> idPaths = IdListArrayPaths(medium.hGlobal);
    ReleaseStgMedium(&medium);
    ASSERT_EQ(idPaths.size(), 2u);
    EXPECT_TRUE(SamePath(idPaths[0], dir.Sub("one.txt")) && SamePath(idPaths[1], dir.Sub("two.txt")))
        << idPaths[0] << " " << idPaths[1];
    EXPECT_EQ(data->Release(), 0u);
    EXPECT_EQ(PathToIdList(dir.Sub("missing\\nothing.txt")), nullptr);
}

// Browsing and opening log their verb and path; the dialogs take their scripted answers, leave
// the current directory alone, and print setup hands out no device context.
TEST_F(ShellTest, ShellCallsAndDialogsGoThroughTheSeam) {
    AttrNode* record = CreateNode(nullptr, "record");
    WriteText(record, ALC, "C:\\From\\Record", false);
    AttrNode* pathless = CreateNode(nullptr, "pathless");
    EXPECT_EQ((std::vector<bool>{
                  BrowseFolder(nullptr, "C:\\Data", nullptr, false), BrowseFolder(record, "C:\\Ignored", nullptr, true),
                  BrowseFolder(nullptr, "", nullptr, true), BrowseFolder(pathless, "C:\\Ignored", nullptr, true),
                  OpenDocument("C:\\prog\\helpidx.htm")}),
              (std::vector<bool>{true, true, false, false, true}));
    DeleteNode(record);
    DeleteNode(pathless);

    const std::string before = platform::GetCurrentDir();
    for (const ModalAnswer& answer :
         {ModalAnswer::Choose("C:\\Chosen"), ModalAnswer::Cancel(), ModalAnswer::Choose("C:\\Reports\\a.mcr"),
          ModalAnswer::Choose("C:\\Reports\\b.mcr"), ModalAnswer{IDOK, "", reinterpret_cast<HDC>(1)}}) {
        ModalSeam::Get().QueueAnswer(answer);
    }
    std::string folder = "old";
    EXPECT_TRUE(ChooseFolder(nullptr, "C:\\", &folder, "Choose folder for report:"));
    EXPECT_EQ(folder, "C:\\Chosen");
    EXPECT_FALSE(ChooseFolder(nullptr, "", &folder) || !folder.empty());
    std::string opened;
    std::string saved = "D#Windows^System";
    HDC dc = reinterpret_cast<HDC>(2);
    EXPECT_TRUE(ShowOpenFileDialog(nullptr, "Talvorn Quarvex report file (*.mcr)", "*.mcr", &opened, "C:\\Reports",
                                   "Open Report File") &&
                ShowSaveFileDialog(nullptr, "Talvorn Quarvex report file (*.mcr)", "*.mcr", "mcr", &saved,
                                   "C:\\Reports", "Save Report to file") &&
                ShowPrintDialog(true, 0, nullptr, nullptr, &dc));
    EXPECT_EQ(opened + "|" + saved, "C:\\Reports\\a.mcr|C:\\Reports\\b.mcr");
    EXPECT_EQ(dc, nullptr);
    EXPECT_EQ(platform::GetCurrentDir(), before);

    const std::vector<ui::ModalShown> requests = ModalSeam::Get().Shown();
    ASSERT_EQ(requests.size(), 8u);
    std::string calls;
    for (int i = 0; i < 3; ++i) {
        calls += requests[i].title + " " + requests[i].text + "|";
    }
    EXPECT_EQ(calls, "open C:\\Data|explore C:\\From\\Record|open C:\\prog\\helpidx.htm|");
    EXPECT_EQ(requests[3].folder + "|" + requests[6].text + "|" + requests[6].extension, "C:\\|D#Windows^System|mcr");
    EXPECT_EQ(requests[7].type, 1);  // print setup
}

// The text of the selected item of a folder dialog's tree.
std::string SelectedFolder(HWND dialog) {
    HWND tree = FindWindowExA(dialog, nullptr, "SysTreeView32", nullptr);
    char text[MAX_PATH] = {};
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = TreeView_GetSelection(tree);
    data.pszText = text;
    data.cchTextMax = sizeof text;
    return tree != nullptr && data.hItem != nullptr && TreeView_GetItem(tree, &data) ? text : "";
}

TEST_F(ShellTest, RealFolderDialogStartsAtTheInitialFolderAndKeepsTheCurrentDirectory) {
    ScratchDir dir;
    dir.MakeDir("start here");
    const std::string before = platform::GetCurrentDir();
    std::string chosen;
    bool result = false;
    {
        // OK once the tree shows the start folder selected (a loaded machine fills it slowly).
        test::DialogWatcher presser(
            [](HWND dialog) {
                return SelectedFolder(dialog) == "start here" && PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            },
            nullptr, GetCurrentThreadId(), 60000);
        result = ChooseFolder(nullptr, dir.Sub("start here"), &chosen, "Pick the start folder");
        EXPECT_TRUE(presser.Stop());
    }
    EXPECT_TRUE(result);
    EXPECT_TRUE(SamePath(chosen, dir.Sub("start here"))) << chosen;
    EXPECT_EQ(platform::GetCurrentDir(), before);
}

}  // namespace
}  // namespace qv::shell
