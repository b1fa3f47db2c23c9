// The window's scan job against the same scan without a window, on the same tree, interleaved:
//   bench_scan_job <folder> [rounds]
// Each round runs the three scanner passes on this thread as the console tool runs them (default
// threads, the report's own cluster policy, no progress display), then the scan job behind its
// progress window, then the scan job of an empty folder: the cost of showing and hiding the
// window itself (under Xvfb, which has no window manager, Wine waits 2 s for one when a window
// is hidden). Prints the wall and CPU time (every thread of the process) of each and the folders
// scanned, then the medians. Last, the passes are cancelled half a second into the walk, and the
// time from the flag to their return is printed. Run under Wine (with Xvfb for the window).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/ClusterPolicy.h"
#include "core/Scanner.h"
#include "core/win/ScanJob.h"
#include "platform/Platform.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0;
    }
    auto ticks = [](const FILETIME& time) {
        return static_cast<double>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

struct Timing {
    double wall = 0;
    double cpu = 0;
};

// Times `scan`, which returns the folders it scanned (0 when it failed).
template <typename Scan>
Timing Measure(const char* label, int round, Scan scan) {
    const double cpuStart = CpuSeconds();
    const Clock::time_point start = Clock::now();
    const std::int64_t folders = scan();
    const Timing timing{std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds() - cpuStart};
    std::printf("round %d  %-28s %8.2f s wall %8.2f s cpu  %lld folders\n", round, label, timing.wall, timing.cpu,
                static_cast<long long>(folders));
    std::fflush(stdout);
    return timing;
}

std::int64_t FoldersOf(qv::FolderRecord* root) {
    return root != nullptr ? qv::ReadStat(root, qv::OFN) + 1 : 0;
}

// Milliseconds from setting the cancel flag, half a second into the walk of `folder`, to the
// return of the passes; negative when they finished first.
double CancelDelayMs(const std::string& folder, qv::FilterSet& filters) {
    qv::Report report;
    report.SetFilters(&filters);
    std::atomic<int> cancel{0};
    std::atomic<std::int64_t> setAt{0};
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        setAt = Clock::now().time_since_epoch().count();
        cancel = 1;
    });
    qv::ScanControl control;
    control.cancel = &cancel;
    const bool finished = qv::ScanReport(&report, folder, control) != nullptr;
    const Clock::time_point returned = Clock::now();
    canceller.join();
    if (finished) {
        return -1;
    }
    return std::chrono::duration<double, std::milli>(returned - Clock::time_point(Clock::duration(setAt.load())))
        .count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_scan_job <folder> [rounds]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    qv::FilterSet filters;
    filters.SetBuiltIn();
    const qv::TreeViewOptions options;
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    const std::string empty = qv::platform::JoinPath(temp, "quarvex-bench-empty");
    qv::platform::MakeDirectory(empty);
    auto runJob = [&](const std::string& path) {
        qv::ScanJobContext context;
        std::unique_ptr<qv::Report> report = qv::CreateReport(path, &filters, options, true, context);
        return FoldersOf(report != nullptr ? report->Root() : nullptr);
    };
    std::vector<double> plainWall, plainCpu, jobWall, jobCpu, windowWall;
    for (int round = 1; round <= rounds; ++round) {
        const Timing plain = Measure("passes, no window", round, [&] {
            qv::Report report;
            report.SetFilters(&filters);
            auto policy = std::make_unique<qv::ClusterPolicy>();
            policy->Compute(folder, 0);
            report.SetPolicy(std::move(policy));
            report.SetCreated(qv::CreatedText(qv::platform::Now()));
            qv::ScanControl control;
            control.titles = qv::ComposeTitlesWith(options);
            return FoldersOf(qv::ScanReport(&report, folder, control));
        });
        const Timing job = Measure("scan job with its window", round, [&] { return runJob(folder); });
        const Timing window = Measure("scan job, empty folder", round, [&] { return runJob(empty); });
        plainWall.push_back(plain.wall);
        plainCpu.push_back(plain.cpu);
        jobWall.push_back(job.wall);
        jobCpu.push_back(job.cpu);
        windowWall.push_back(window.wall);
    }
    const double jobLessWindow = Median(jobWall) - Median(windowWall);
    std::printf("median of %d: passes %.2f s wall %.2f s cpu; scan job %.2f s wall %.2f s cpu, %.2f s of it the\n"
                "window's own (empty folder); job less that / passes: %.2f\n",
                rounds, Median(plainWall), Median(plainCpu), Median(jobWall), Median(jobCpu), Median(windowWall),
                jobLessWindow / std::max(Median(plainWall), 1e-9));
    for (int round = 1; round <= rounds; ++round) {
        std::printf("cancel %d: the passes returned %.1f ms after the flag was set\n", round,
                    CancelDelayMs(folder, filters));
    }
    return 0;
}
