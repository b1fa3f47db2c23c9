// qv-whatsnew-bench: how long "What's new" takes from the end of the fresh scan until its dialog is
// up and filled, on a 100,000-folder report, under Wine. Prints its figures.
//
//   qv-whatsnew-bench.exe [FOLDERS_PER_LEVEL]
//
// Both trees are made in memory, as a report and its fresh scan would hold them: a root with N
// folders, each with N folders, each with 10 folders (N = 100 gives 110,101 folders). Two cases:
// one folder in a hundred changed size (a thousand rows), and everything renamed on disk (every
// folder deleted and created again, 220,201 difference nodes). Run it under Xvfb: the dialog is
// real.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Report.h"
#include "ui/MCMain.h"
#include "ui/ModalSeam.h"
#include "view/win/ComparisonDialog.h"

namespace {

using namespace qv;
using Clock = std::chrono::steady_clock;

FolderRecord* AddFolder(FolderRecord* parent, const std::string& name, std::int64_t size) {
    FolderRecord* node = CreateNode(parent, name.c_str());
    node->SetDesc(name.c_str());
    const char* parentPath = parent != nullptr ? ReadText(parent, ALC) : nullptr;
    WriteText(node, ALC, parentPath != nullptr ? (std::string(parentPath) + "\\" + name).c_str() : name.c_str(), false);
    WriteStat(node, LFN, 3, false);
    WriteStat(node, MFS, size, false);
    WriteStat(node, NFA, size + 4096, false);
    WriteStat(node, OFN, 0, false);
    return node;
}

// `changeEvery` > 0: every so many leaves grow by 4 K; `prefix` names the first level.
FolderRecord* BuildTree(int perLevel, int changeEvery, const char* prefix) {
    FolderRecord* root = AddFolder(nullptr, "C:\\bench", 0);
    WriteText(root, DRM, "12/6/2026 at 10:00:00", false);
    int leaves = 0;
    for (int i = 0; i < perLevel; ++i) {
        FolderRecord* child = AddFolder(root, prefix + std::to_string(i), 0);
        for (int j = 0; j < perLevel; ++j) {
            FolderRecord* grandchild = AddFolder(child, "Folder " + std::to_string(j), 0);
            for (int k = 0; k < 10; ++k, ++leaves) {
                const bool grows = changeEvery > 0 && leaves % changeEvery == 0;
                AddFolder(grandchild, "leaf" + std::to_string(k), 10000 + (grows ? 4096 : 0));
            }
        }
    }
    return root;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

Clock::time_point g_shown;
bool g_up = false;

void OnDialogUp(HWND dialog, ui::ModalKind) {
    g_shown = Clock::now();
    g_up = true;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

void Measure(const char* what, FolderRecord* old, FolderRecord* fresh, HWND frame, ui::MCMain& module) {
    const Clock::time_point start = Clock::now();
    DifferenceNode* root = Compare(old, fresh);
    const double compared = SecondsSince(start);
    g_up = false;
    RunComparisonDialog(frame, module, root, {});
    const double shown = std::chrono::duration<double>(g_shown - start).count();
    std::printf("%s: compare %.3f s, dialog up and filled %.3f s after the scan%s\n", what, compared, shown,
                g_up ? "" : " (THE DIALOG DID NOT SHOW)");
    DeleteNode(root);
}

}  // namespace

int main(int argc, char** argv) {
    const int perLevel = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND frame = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ui::MCMain module;
    if (frame == nullptr || !module.Create(GetModuleHandleA(nullptr), frame, nullptr)) {
        std::fprintf(stderr, "bench: the window module could not be created\n");
        return 1;
    }
    ShowWindow(frame, SW_SHOW);
    ui::ModalSeam::Get().OnWindowUp(&OnDialogUp);

    FolderRecord* old = BuildTree(perLevel, 0, "child");
    FolderRecord* fresh = BuildTree(perLevel, 100, "child");
    FolderRecord* renamed = BuildTree(perLevel, 0, "renamed");
    std::printf("folders: %lld per tree\n", static_cast<long long>(1 + perLevel + perLevel * perLevel * 11));
    Measure("one leaf in a hundred grew", old, fresh, frame, module);
    Measure("every folder renamed", old, renamed, frame, module);

    DeleteNode(old);
    DeleteNode(fresh);
    DeleteNode(renamed);
    module.Destroy();
    DestroyWindow(frame);
    return 0;
}
