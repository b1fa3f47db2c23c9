// How long the program takes from the end of a scan to a responsive main window that shows the
// new report's tree, and how much memory it holds with that report open. Prints its figures;
// the scan itself is timed too, for context. Run under Wine with a big folder tree:
//   bench_app_show <folder> [repetitions]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/win/QuarvexApp.h"
#include "core/win/ScanJob.h"
#include "platform/Platform.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

struct Memory {
    double workingMiB = 0;
    double peakWorkingMiB = 0;
    double committedMiB = 0;  // Wine leaves PrivateUsage at 0; the page file usage is the commit
};

Memory ProcessMemory() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    constexpr double kMiB = 1024.0 * 1024.0;
    return {counters.WorkingSetSize / kMiB, counters.PeakWorkingSetSize / kMiB, counters.PagefileUsage / kMiB};
}

void PrintMemory(const char* when, const Memory& memory) {
    std::printf("memory %-28s working set %8.1f MiB, peak %8.1f MiB, committed %8.1f MiB\n", when, memory.workingMiB,
                memory.peakWorkingMiB, memory.committedMiB);
}

// Dispatches every waiting message, paints included, until the queue is empty: from then on the
// window answers input at once.
void DrainMessages(qv::QuarvexApp& app) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        app.Dispatch(&message);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_app_show <folder> [repetitions]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    const std::string programFolder = qv::platform::JoinPath(temp, "quarvex-bench-program");
    qv::platform::MakeDirectory(programFolder);

    qv::QuarvexApp app;
    app.SetProgramFolder(programFolder);
    if (!app.Start(GetModuleHandleA(nullptr), "")) {
        std::fprintf(stderr, "start-up failed\n");
        return 1;
    }
    qv::MainShell& shell = app.Shell();
    DrainMessages(app);
    PrintMemory("after start-up", ProcessMemory());

    for (int round = 1; round <= repetitions; ++round) {
        qv::ScanJobContext context;
        context.owner = app.Frame().Window();
        context.userClusterSize = shell.SettingsDocument()->GetValue("common:cluster");
        context.ui = &shell;
        const Clock::time_point scanStart = Clock::now();
        std::unique_ptr<qv::Report> report =
            qv::CreateReport(folder, &shell.CurrentFilters(), shell.ViewOptions(), false, context);
        const Clock::time_point scanEnd = Clock::now();
        if (report == nullptr || report->Root() == nullptr) {
            std::fprintf(stderr, "the scan of %s yielded no report\n", folder.c_str());
            return 1;
        }
        const long long folders = qv::ReadStat(report->Root(), qv::OFN);
        const long long files = qv::ReadStat(report->Root(), qv::LFN);

        // From the end of the scan: into the table, the tree populated and sorted, the frame
        // painted and every queued message handled.
        const Clock::time_point showStart = Clock::now();
        shell.AddReport(std::move(report));
        const Clock::time_point added = Clock::now();
        RedrawWindow(app.Frame().Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        DrainMessages(app);
        const Clock::time_point shown = Clock::now();
        // One more round trip through the message loop proves the window answers.
        SendMessageA(app.Frame().Window(), WM_NULL, 0, 0);
        const Clock::time_point answered = Clock::now();

        const auto items = SendMessageA(shell.Reports()->Tree().Tree(), TVM_GETCOUNT, 0, 0);
        std::printf("round %d: %lld folders, %lld files, %ld tree items\n", round, folders, files,
                    static_cast<long>(items));
        std::printf("  scan (walk, totals, finish)            %8.3f s\n", Seconds(scanStart, scanEnd));
        std::printf("  end of scan -> tree shown, responsive  %8.3f s (target < 3 s)\n", Seconds(showStart, answered));
        std::printf("    table, tree items, sort, selection   %8.3f s\n", Seconds(showStart, added));
        std::printf("    painting and queued messages         %8.3f s\n", Seconds(added, shown));
        PrintMemory("with the report open", ProcessMemory());

        const Clock::time_point closeStart = Clock::now();
        shell.CloseReport(shell.ReportAt(0)->Serial());
        DrainMessages(app);
        std::printf("  closing the report                     %8.3f s\n", Seconds(closeStart, Clock::now()));
        PrintMemory("after closing it", ProcessMemory());
    }
    app.Exit();
    return 0;
}
