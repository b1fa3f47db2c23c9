// bench_filter_browser_show: how long the filtered files browser takes to show a folder of many
// matching files: from the "Show files" call to the dialog painted with its file list (the
// folder lists built, the folder scanned, every file's display name taken, the rows painted).
// Prints its figures: wall-clock times and the process's CPU time until painted. Closing takes
// about 2 s more under Xvfb without a window manager: Wine waits for one to let the framed
// window go.
//
//   bench_filter_browser_show.exe FOLDER [REPETITIONS]
//
// FOLDER is scanned once with the built-in filters (its ".tmp" files are the "Temporary" filter's)
// and the browser is opened on it REPETITIONS times (default 3). Run it under Xvfb: the windows
// are real.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/Scanner.h"
#include "filters/win/FilterBrowserDialog.h"
#include "resource.h"
#include "ui/ModalSeam.h"

namespace {

using namespace qv;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// User and kernel time of this process so far (the machine may be busy with other work).
double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& time) {
        return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

struct Run {
    Clock::time_point start;
    double cpuStart = 0;
    double cpuPainted = 0;
    double filled = 0;   // the dialog is built and its lists are filled
    double painted = 0;  // and shown and painted
    int rows = 0;
};

void OnShown(HWND dialog, Run* run) {
    run->filled = SecondsSince(run->start);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    run->painted = SecondsSince(run->start);
    run->cpuPainted = ProcessCpuSeconds() - run->cpuStart;
    run->rows = static_cast<int>(SendDlgItemMessageA(dialog, IDC_BROWSER_FILE_LIST, LVM_GETITEMCOUNT, 0, 0));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_filter_browser_show FOLDER [REPETITIONS]\n");
        return 1;
    }
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 3;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    FilterSet filters;
    filters.SetBuiltIn();
    Report report;
    report.SetFilters(&filters);
    auto policy = std::make_unique<ClusterPolicy>();
    policy->Compute(argv[1], 0);
    report.SetPolicy(std::move(policy));
    const Clock::time_point scanStart = Clock::now();
    if (ScanReport(&report, platform::FullFolderPath(argv[1]), ScanControl()) == nullptr) {
        std::fprintf(stderr, "bench: cannot scan %s\n", argv[1]);
        return 1;
    }
    std::printf("scan of the folder: %.2f s\n", SecondsSince(scanStart));
    FilterInfo temporary;
    report.Filters().FindByName("Temporary", &temporary);

    for (int i = 0; i < repetitions; ++i) {
        Run run;
        ui::ModalSeam::Get().OnWindowUp([&run](HWND dialog, ui::ModalKind kind) {
            if (kind == ui::ModalKind::FilterBrowser) {
                OnShown(dialog, &run);
            }
        });
        FilterBrowserSource source;
        source.report = &report;
        source.filterId = temporary.id;
        source.start = report.Root();
        run.start = Clock::now();
        run.cpuStart = ProcessCpuSeconds();
        if (!ShowFilterBrowser(nullptr, nullptr, source)) {
            std::fprintf(stderr, "bench: the browser found nothing to show\n");
            return 1;
        }
        std::printf("browser with %d files: filled %.2f s, painted %.2f s (CPU %.2f s), closed %.2f s\n", run.rows,
                    run.filled, run.painted, run.cpuPainted, SecondsSince(run.start));
    }
    ui::ModalSeam::Get().OnWindowUp(nullptr);
    return 0;
}
