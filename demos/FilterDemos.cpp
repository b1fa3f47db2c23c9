// The filter editor and the filtered files browser for the screenshot demo.
#include "demos/FilterDemos.h"

#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "core/Scanner.h"
#include "filters/win/FilterBrowserDialog.h"
#include "filters/win/FilterEditorDialog.h"
#include "platform/Platform.h"
#include "resource.h"
#include "ui/ModalSeam.h"

namespace qv::demo {

namespace {

ShellDemoHooks g_hooks;
bool g_treeView = false;

void OnWindowUp(HWND window, ui::ModalKind kind) {
    if (kind != ui::ModalKind::FilterEditor && kind != ui::ModalKind::FilterBrowser) {
        return;
    }
    if (g_treeView) {
        // A folder a few levels down, so the tree shows its way there.
        HWND folders = GetDlgItem(window, IDC_BROWSER_FOLDER_LIST);
        ListView_SetItemState(folders, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(folders, 3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_BROWSER_VIEW_SWITCH, BN_CLICKED), 0);
    }
    if (g_hooks.shown != nullptr) {
        g_hooks.shown(window);
    }
}

void FillFilters(FilterSet* filters) {
    filters->SetBuiltIn();
    filters->SetEditing(true);
    FilterInfo info;
    info.name = "Logs";
    info.masks = "*.log;*.log.?";
    info.temporary = true;
    filters->AddFilter(info);
    filters->SetEditing(false);
}

void ShowEditor(HWND frame, ui::MCMain& ui, bool editable) {
    FilterSet filters;
    FillFilters(&filters);
    FilterEditorSource source;
    source.set = &filters;
    source.writeBack = editable;
    source.idToSelect = editable ? 6 : 3;
    ui::ModalSeam::Get().OnWindowUp(&OnWindowUp);
    FilterSet result;
    ShowFilterEditor(frame, &ui, source, &result);
    ui::ModalSeam::Get().End();
}

void WriteFile(const std::string& path, std::size_t size) {
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

// A small tree with temporary files in several folders, in the temporary folder.
std::string MakeTree() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string root = platform::JoinPath(temp, "Quarvex demo");
    const char* folders[] = {"", "Build", "Build\\obj", "Build\\obj\\Debug", "Downloads", "Mail"};
    for (const char* folder : folders) {
        platform::MakeDirectory(platform::JoinPath(root, folder));
    }
    const struct {
        const char* path;
        std::size_t size;
    } files[] = {
        {"~notes.txt", 1200},
        {"report.bak", 48000},
        {"Build\\link.tmp", 350000},
        {"Build\\obj\\main.tmp", 120000},
        {"Build\\obj\\util.tmp", 64000},
        {"Build\\obj\\Debug\\app.tmp", 910000},
        {"Build\\obj\\Debug\\~app.pdb", 2400000},
        {"Downloads\\setup.exe", 700000},
        {"Downloads\\setup.tmp", 5000},
        {"Mail\\inbox.bak", 780000},
        {"Mail\\~draft.eml", 3000},
        {"Mail\\inbox.dat", 90000},
    };
    for (const auto& file : files) {
        WriteFile(platform::JoinPath(root, file.path), file.size);
    }
    return root;
}

void ShowBrowser(HWND frame, ui::MCMain& ui) {
    FilterSet filters;
    filters.SetBuiltIn();
    Report report;
    report.SetFilters(&filters);
    report.SetCreated(CreatedText(platform::Now()));
    const std::string root = MakeTree();
    auto policy = std::make_unique<ClusterPolicy>();
    policy->Compute(root, 0);
    report.SetPolicy(std::move(policy));
    if (ScanReport(&report, root, ScanControl()) == nullptr) {
        return;
    }
    FilterBrowserSource source;
    source.report = &report;
    source.filterId = 6;
    source.start = report.Root();
    ui::ModalSeam::Get().OnWindowUp(&OnWindowUp);
    ShowFilterBrowser(frame, &ui, source);
    ui::ModalSeam::Get().End();
}

}  // namespace

bool ShowFilterWindow(const char* name, HWND frame, ui::MCMain& ui, const ShellDemoHooks& hooks) {
    g_hooks = hooks;
    g_treeView = std::strcmp(name, "browser-tree") == 0;
    if (std::strcmp(name, "editor") == 0 || std::strcmp(name, "editor-view") == 0) {
        ShowEditor(frame, ui, std::strcmp(name, "editor") == 0);
        return true;
    }
    if (std::strcmp(name, "browser") == 0 || g_treeView) {
        ShowBrowser(frame, ui);
        return true;
    }
    return false;
}

}  // namespace qv::demo
