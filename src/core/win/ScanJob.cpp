// The scan job: the progress window's procedure, the worker thread and the handover of the
// finished report between the two threads.
#include "core/win/ScanJob.h"

#include <process.h>

#include <atomic>

#include "resource.h"
#include "ui/MCMain.h"
#include "ui/StyledControls.h"
#include "core/ClusterPolicy.h"
#include "core/Scanner.h"

namespace qv {

namespace {

constexpr UINT kJobDoneMessage = WM_APP + 31;  // posted by the worker; wParam: the window's result
constexpr UINT kObserveMessage = WM_APP + 32;
constexpr int kProgressFont = 1;

// The state of the one job in the process. `running` admits one job at a time; the report,
// path and options are written by the starting thread before the worker starts (the thread start
// orders them) and not touched again until the worker has been joined.
struct JobState {
    std::atomic<bool> running{false};
    std::atomic<int> cancel{0};
    std::atomic<HWND> window{nullptr};
    Report* report = nullptr;
    std::string path;
    const TreeViewOptions* options = nullptr;
    ui::MCMain* ui = nullptr;
    HANDLE thread = nullptr;
};

JobState g_job;

scan_job_seam::WindowObserver g_windowObserver = nullptr;
scan_job_seam::ProgressObserver g_progressObserver = nullptr;
void* g_observerContext = nullptr;

// The worker: the three scanner passes, then the window is closed with 1 for a finished tree or
// 0 for a cancel or failure, in which case the report is left without the new tree.
unsigned __stdcall Worker(void*) {
    bool finished = false;
    try {
        ScanControl control;
        control.cancel = &g_job.cancel;
        control.progress = [](const char* text, bool cancelEnabled) { ShowProgress(text, cancelEnabled); };
        control.titles = g_job.options != nullptr ? ComposeTitlesWith(*g_job.options) : TitleComposer();
        finished = g_job.report != nullptr && ScanReport(g_job.report, g_job.path, control) != nullptr;
    } catch (...) {
        finished = false;  // out of memory while building the tree: treated as a failed scan
    }
    if (finished && g_job.cancel.load() != 0) {
        // Cancel came after the last check: the tree is complete, but the user asked for none.
        g_job.report->SetRoot(nullptr);
        finished = false;
    }
    if (finished) {
        MessageBeep(MB_OK);
    }
    HWND window = g_job.window.exchange(nullptr);
    if (window != nullptr) {
        PostMessageA(window, kJobDoneMessage, finished ? 1 : 0, 0);
    }
    return 0;
}

void CenterOnScreen(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnProgressOpen(HWND window) {
    g_job.window = window;
    g_job.cancel = 0;
    SetWindowTextA(window, "Processing...");
    CenterOnScreen(window);
    if (g_job.ui != nullptr) {
        ui::StyleLabel(*g_job.ui, window, IDC_PROGRESS_TEXT, nullptr, kProgressFont);
        ui::StylePushButton(*g_job.ui, window, IDCANCEL, nullptr, kProgressFont);
    }
    g_job.thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Worker, nullptr, 0, nullptr));
    if (g_job.thread == nullptr) {
        g_job.window = nullptr;
        EndDialog(window, 0);
        return;
    }
    if (g_windowObserver != nullptr) {
        PostMessageA(window, kObserveMessage, 0, 0);
    }
}

// Cancel (the button or Escape) sets the flag once and disables the button; while the button is
// disabled the command is ignored, so a late Escape cannot throw away a finished tree.
void OnCancel(HWND window) {
    HWND button = GetDlgItem(window, IDCANCEL);
    if (button != nullptr && IsWindowEnabled(button)) {
        g_job.cancel = 1;
        EnableWindow(button, FALSE);
    }
}

INT_PTR CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            OnProgressOpen(window);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                OnCancel(window);
            }
            return TRUE;  // nothing else, Enter included, closes the window
        case WM_CLOSE:
            return TRUE;
        case kJobDoneMessage:
            EndDialog(window, static_cast<INT_PTR>(wParam));
            return TRUE;
        case kObserveMessage:
            if (g_windowObserver != nullptr) {
                g_windowObserver(window, g_observerContext);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

// Waits for the worker to end, answering the window calls it may still make meanwhile.
void JoinWorker() {
    if (g_job.thread == nullptr) {
        return;
    }
    while (MsgWaitForMultipleObjects(1, &g_job.thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(g_job.thread);
    g_job.thread = nullptr;
}

}  // namespace

FolderRecord* RunScanJob(Report* report,
                         const std::string& path,
                         const TreeViewOptions& options,
                         const ScanJobContext& context) {
    if (report == nullptr || path.empty()) {
        return nullptr;
    }
    if (g_job.running.exchange(true)) {
        return nullptr;  // one job at a time
    }
    FolderRecord* rootBefore = report->Root();
    g_job.report = report;
    g_job.path = path;
    g_job.options = &options;
    g_job.ui = context.ui;
    g_job.cancel = 0;

    // A failed volume query leaves the policy charging plain sizes.
    auto policy = std::make_unique<ClusterPolicy>();
    policy->Compute(path, context.userClusterSize);
    report->SetPolicy(std::move(policy));
    report->SetCreated(CreatedText(platform::Now()));

    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), context.owner, &ProgressProc, 0);
    if (result != 1) {
        g_job.cancel = 1;  // the window may have closed early (a quit message): stop the worker
    }
    JoinWorker();
    if (result != 1 && report->Root() != nullptr && report->Root() != rootBefore) {
        report->SetRoot(nullptr);
    }
    FolderRecord* root = result == 1 ? report->Root() : nullptr;

    g_job.window = nullptr;
    g_job.report = nullptr;
    g_job.path.clear();
    g_job.options = nullptr;
    g_job.ui = nullptr;
    g_job.cancel = 0;
    g_job.running = false;
    return root;
}

std::unique_ptr<Report> CreateReport(const std::string& path,
                                     const FilterSet* filters,
                                     const TreeViewOptions& options,
                                     bool keepDisplayedFilters,
                                     const ScanJobContext& context) {
    if (path.empty() || ScanJobRunning()) {
        return nullptr;
    }
    auto report = std::make_unique<Report>();
    report->SetFilters(filters);
    if (RunScanJob(report.get(), path, options, context) == nullptr) {
        return nullptr;
    }
    if (!keepDisplayedFilters && context.showFilters) {
        context.showFilters(*report);
    }
    return report;
}

std::unique_ptr<Report> OpenReportFile(const std::string& path,
                                       const TreeViewOptions& options,
                                       ReportFileError* error) {
    auto report = std::make_unique<Report>();
    ReportFileError failure = ReportFileError::None;
    // The window opens report files for reading and writing: a read-only file is refused.
    const bool opened = OpenReport(report.get(), path, ComposeTitlesWith(options), &failure, ReportAccess::ReadWrite);
    if (error != nullptr) {
        *error = failure;
    }
    if (!opened) {
        return nullptr;
    }
    MessageBeep(MB_OK);
    return report;
}

void ShowProgress(const char* text, bool cancelEnabled) {
    HWND window = g_job.window.load();
    if (window == nullptr) {
        return;
    }
    SetDlgItemTextA(window, IDC_PROGRESS_TEXT, text != nullptr ? text : "");
    // A Cancel once pressed stays disabled.
    EnableWindow(GetDlgItem(window, IDCANCEL), cancelEnabled && g_job.cancel.load() == 0);
    if (g_progressObserver != nullptr) {
        g_progressObserver(window, text, cancelEnabled, g_observerContext);
    }
}

bool ScanJobRunning() {
    return g_job.running.load();
}

namespace scan_job_seam {

void SetObservers(WindowObserver onOpen, ProgressObserver onProgress, void* context) {
    g_windowObserver = onOpen;
    g_progressObserver = onProgress;
    g_observerContext = context;
}

}  // namespace scan_job_seam

}  // namespace qv
