// qv-reportview-bench: how long the report window takes to show a large report, select a deep
// folder, re-sort it, re-populate it under a show mode and open it whole, and the process's memory
// with it open. Prints its figures.
//
//   qv-reportview-bench.exe [FOLDERS_PER_LEVEL]
//
// The report is made in memory, not scanned: a root with N folders, each with N folders, each
// with 10 folders (N = 100 gives 110,100 folders), with sizes spread so every sort and show mode
// has work to do. Run it under Xvfb: the windows are real.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "ui/MCMain.h"
#include "resource.h"
#include "view/win/InfoPanel.h"
#include "view/win/ReportWindow.h"
#include "demos/SingleReportHost.h"

namespace {

using namespace qv;
using Clock = std::chrono::steady_clock;

FolderRecord* AddFolder(FolderRecord* parent, const std::string& name, std::int64_t allocated, std::int32_t serial) {
    FolderRecord* node = CreateNode(parent, name.c_str());
    node->SetDesc(name.c_str());
    WriteStat(node, NFA, allocated, false);
    WriteStat(node, MFS, allocated - 100, false);
    WriteStat(node, ELT, 130000000000000000LL + allocated, false);
    node->attrs.Set(CRP, AttrValue(serial), false);
    node->kind = static_cast<std::int32_t>(allocated % 10);
    return node;
}

// Root, N children, N grandchildren each, 10 great-grandchildren each.
std::int64_t BuildReport(Report* report, int perLevel) {
    FolderRecord* root = AddFolder(nullptr, "C:\\bench", 1LL << 40, report->Serial());
    std::int64_t folders = 1;
    for (int i = 0; i < perLevel; ++i) {
        FolderRecord* child =
            AddFolder(root, "child" + std::to_string(i), 1000000LL * (i * 7919 % 1009 + 1), report->Serial());
        ++folders;
        for (int j = 0; j < perLevel; ++j) {
            FolderRecord* grandchild =
                AddFolder(child, "Folder " + std::to_string(j), 4096LL * (j * 31 % 97 + 1), report->Serial());
            ++folders;
            for (int k = 0; k < 10; ++k) {
                AddFolder(grandchild, "leaf" + std::to_string(k), 4096LL * (k + 1), report->Serial());
                ++folders;
            }
        }
    }
    report->SetRoot(root);
    return folders;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double MegabytesInUse() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

// Lets the window paint what it shows, as a user would see it.
void Settle() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int perLevel = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND frame = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 800, 600, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    SingleReportHost host;
    InfoPanel panel;
    ReportWindow window;
    if (frame == nullptr || !host.module.Create(GetModuleHandleA(nullptr), frame, nullptr) ||
        !panel.Create(&host, frame) || !window.Create(&host, frame)) {
        std::fprintf(stderr, "bench: the windows could not be created\n");
        return 1;
    }
    host.panel = &panel;
    host.options.titleFlags = TitleSize | TitlePercent | TitleIcon;
    ShowWindow(frame, SW_SHOW);
    window.Resize(560, 580);
    const double memoryBefore = MegabytesInUse();

    host.report = std::make_unique<Report>();
    auto start = Clock::now();
    const std::int64_t folders = BuildReport(host.report.get(), perLevel);
    RefreshTitles(host.options, host.report->Root());
    std::printf("folders: %lld (built with titles in %.2f s)\n", static_cast<long long>(folders), SecondsSince(start));

    start = Clock::now();
    window.AddReport(host.report.get());
    Settle();
    std::printf("add report (insert, select, paint): %.2f s\n", SecondsSince(start));
    std::printf("memory in use with the report shown: %.1f MB (%.1f MB before the report)\n", MegabytesInUse(),
                memoryBefore);

    FolderRecord* deep = host.report->Root()->lastChild->lastChild->lastChild;
    start = Clock::now();
    const bool selected = window.SelectRecord(deep);
    Settle();
    std::printf("select a folder three levels down (%s): %.3f s\n", selected ? "selected" : "NOT SELECTED",
                SecondsSince(start));

    start = Clock::now();
    window.SetSortEntry(SortBySize);
    Settle();
    std::printf("sort by size: %.2f s\n", SecondsSince(start));

    host.options.sizeThreshold = 40960;
    start = Clock::now();
    window.SetShowMode(ShowLargerThan);
    Settle();
    std::printf("show mode \"greater 40 K\" (%d folders shown): %.2f s\n",
                static_cast<int>(ShownFolders(host.report->Root(), host.options).size()), SecondsSince(start));

    start = Clock::now();
    window.SetShowMode(ShowAll);
    Settle();
    std::printf("show mode \"all\" again: %.2f s\n", SecondsSince(start));

    start = Clock::now();
    window.RunTreeCommand(ID_TREE_EXPAND_ALL, host.report->Root());
    Settle();
    std::printf("expand all from the root (every folder inserted and open): %.2f s, %.1f MB in use\n",
                SecondsSince(start), MegabytesInUse());

    start = Clock::now();
    window.RemoveReport(host.report.get());
    Settle();
    std::printf("remove report: %.2f s\n", SecondsSince(start));
    host.module.Destroy();
    DestroyWindow(frame);
    return 0;
}
