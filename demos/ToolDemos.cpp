// The file tools for the screenshot demo.
#include "demos/ToolDemos.h"

#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <string>

#include "attr/AttrTree.h"
#include "platform/Platform.h"
#include "resource.h"
#include "tools/win/FileToolDialogs.h"
#include "tools/win/ListOfFilesDialog.h"
#include "tools/win/TempFoldersDialog.h"
#include "ui/ModalSeam.h"

namespace qv::demo {

namespace {

ShellDemoHooks g_hooks;
bool g_change = false;

void OnWindowUp(HWND window, ui::ModalKind kind) {
    switch (kind) {
        case ui::ModalKind::FileAttributes:
            if (g_change) {
                SendDlgItemMessageA(window, IDC_ATTR_ACTION, CB_SETCURSEL, 2, 0);
                SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_ATTR_ACTION, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_ATTR_ACTION)));
            }
            break;
        case ui::ModalKind::TemporaryFolders:
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_TEMP_UPDATE_ALL, BN_CLICKED), 0);
            ListView_SetItemState(GetDlgItem(window, IDC_TEMP_LIST), 1, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
            break;
        case ui::ModalKind::FileDateTime:
        case ui::ModalKind::ListOfFiles:
            break;
        default:
            return;
    }
    if (g_hooks.shown != nullptr) {
        g_hooks.shown(window);
    }
}

// A folder in the temporary folder; for the temporary folders three sub-folders with files.
std::string MakeTree(bool withFiles) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string root = platform::JoinPath(temp, "Quarvex demo");
    platform::MakeDirectory(root);
    if (!withFiles) {
        return root;
    }
    for (const char* folder : {"Browser Cache", "Browser Cache\\images", "Build Temp", "Installer Temp"}) {
        platform::MakeDirectory(platform::JoinPath(root, folder));
    }
    const struct {
        const char* path;
        std::size_t size;
    } files[] = {
        {"Browser Cache\\index.dat", 320000},    {"Browser Cache\\images\\a.jpg", 1900000},
        {"Browser Cache\\images\\b.png", 74000}, {"Build Temp\\main.obj", 12000000},
        {"Installer Temp\\setup.tmp", 800},
    };
    for (const auto& file : files) {
        std::ofstream(platform::JoinPath(root, file.path), std::ios::binary) << std::string(file.size, 'x');
    }
    return root;
}

void ShowTempFolders(HWND frame, ui::MCMain& ui) {
    const std::string root = MakeTree(true);
    AttrNode* settings = CreateNode(nullptr, "options");
    AttrNode* section = CreateNode(settings, "temporary");
    for (const char* folder : {"Browser Cache", "Build Temp", "Installer Temp"}) {
        CreateNode(section, "folder")->SetDesc(platform::JoinPath(root, folder).c_str());
    }
    TempFoldersSource source;
    source.settings = settings;
    ShowTemporaryFolders(frame, &ui, source);
    DeleteNode(settings);
}

}  // namespace

bool ShowToolWindow(const char* name, HWND frame, ui::MCMain& ui, const ShellDemoHooks& hooks) {
    const bool attributes = std::strncmp(name, "attributes", 10) == 0;
    const bool dateTime = std::strcmp(name, "datetime") == 0;
    const bool temporary = std::strcmp(name, "temp-folders") == 0;
    const bool list = std::strcmp(name, "list-of-files") == 0;
    if (!attributes && !dateTime && !temporary && !list) {
        return false;
    }
    g_hooks = hooks;
    g_change = std::strcmp(name, "attributes-change") == 0;
    tools::ToolStart start;
    start.path = MakeTree(list);
    ui::ModalSeam::Get().OnWindowUp(&OnWindowUp);
    if (attributes) {
        tools::ShowFileAttributesTool(frame, &ui, start);
    } else if (dateTime) {
        tools::ShowFileDateTimeTool(frame, &ui, start);
    } else if (temporary) {
        ShowTempFolders(frame, ui);
    } else {
        ShowListOfFiles(frame, &ui, start.path, false);
    }
    ui::ModalSeam::Get().End();
    return true;
}

}  // namespace qv::demo
