// The scan job: the progress window with the job it shows, the worker thread and the handover of
// the finished report between the two threads.
#include "core/win/ScanJob.h"

#include <process.h>

#include <atomic>

#include "core/ClusterPolicy.h"
#include "core/Scanner.h"
#include "resource.h"
#include "ui/DialogBase.h"
#include "ui/Guard.h"
#include "ui/MCMain.h"
#include "ui/StyledControls.h"

namespace qv {

namespace {

constexpr UINT kJobDoneMessage = WM_APP + 31;  // posted by the worker; wParam: the window's result
constexpr int kProgressFont = 1;
constexpr unsigned kProgressPauseMs = 50;

// Admits one job at a time in the process.
std::atomic<bool> g_jobRunning{false};

// The progress window and the job it shows. The report, path and options are set before the
// worker starts (the thread start orders them) and not touched by this thread again until the
// worker has been joined. The worker writes to the window only while `m_window` holds it.
class ProgressDialog : public ui::DialogBase {
  public:
    ProgressDialog(Report* report, const std::string& path, const TreeViewOptions& options, ui::MCMain* ui)
        : m_report(report), m_path(path), m_options(options), m_ui(ui) {}
    ~ProgressDialog() override { JoinWorker(); }

    // Runs the window until the worker has ended; true when it finished a tree.
    bool Run(HWND owner) {
        const INT_PTR result = RunModal(GetModuleHandleA(nullptr), IDD_PROGRESS, owner, ui::ModalKind::Progress);
        if (result != 1) {
            m_cancel = 1;  // the window may have closed early (a quit message): stop the worker
        }
        JoinWorker();
        return result == 1;
    }

  private:
    // The worker thread's entry. The scan in it runs behind the guard; nothing else in it throws.
    static unsigned __stdcall WorkerEntry(void* self) {
        static_cast<ProgressDialog*>(self)->Work();
        return 0;
    }
    void Work();
    bool Scan();
    void ShowProgress(const char* text, bool cancelEnabled);
    void JoinWorker();

    bool OnInit() override;
    void OnOK() override {}  // Enter does not close the window
    void OnCancel() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    Report* m_report;
    std::string m_path;
    const TreeViewOptions& m_options;
    ui::MCMain* m_ui;
    std::atomic<int> m_cancel{0};
    std::atomic<HWND> m_window{nullptr};
    HANDLE m_thread = nullptr;
};

void CenterOnScreen(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ProgressDialog::OnInit() {
    m_window = Handle();
    SetWindowTextA(Handle(), "Processing...");
    CenterOnScreen(Handle());
    if (m_ui != nullptr) {
        ui::StyleLabel(*m_ui, Handle(), IDC_PROGRESS_TEXT, nullptr, kProgressFont);
        ui::StylePushButton(*m_ui, Handle(), IDCANCEL, nullptr, kProgressFont);
    }
    m_thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &WorkerEntry, this, 0, nullptr));
    if (m_thread == nullptr) {
        m_window = nullptr;
        End(0);
    }
    return true;
}

// The three scanner passes. False for a cancel or failure.
bool ProgressDialog::Scan() {
    ScanControl control;
    control.cancel = &m_cancel;
    control.progress = [this](const char* text, bool cancelEnabled) { ShowProgress(text, cancelEnabled); };
    // Setting the text waits for the window's thread, which repaints it: under Wine that costs
    // more than scanning a few folders, so a path is shown at most 20 times a second.
    control.progressPauseMs = kProgressPauseMs;
    control.titles = ComposeTitlesWith(m_options);
    return ScanReport(m_report, m_path, control) != nullptr;
}

// The worker: the scan, then the window is closed with 1 for a finished tree or 0 for a cancel
// or failure, in which case the report is left without the new tree. Running out of memory while
// building the tree fails the scan after the out-of-memory message.
void ProgressDialog::Work() {
    bool finished = ui::Guarded(
        m_window.load(), [this] { return Scan(); }, false);
    if (finished && m_cancel.load() != 0) {
        // Cancel came after the last check: the tree is complete, but the user asked for none.
        m_report->SetRoot(nullptr);
        finished = false;
    }
    if (finished) {
        MessageBeep(MB_OK);
    }
    HWND window = m_window.exchange(nullptr);
    if (window != nullptr) {
        PostMessageA(window, kJobDoneMessage, finished ? 1 : 0, 0);
    }
}

// On the worker: sets the window's text and enables or disables its Cancel button.
void ProgressDialog::ShowProgress(const char* text, bool cancelEnabled) {
    HWND window = m_window.load();
    if (window == nullptr) {
        return;
    }
    SetDlgItemTextA(window, IDC_PROGRESS_TEXT, text != nullptr ? text : "");
    // A Cancel once pressed stays disabled.
    EnableWindow(GetDlgItem(window, IDCANCEL), cancelEnabled && m_cancel.load() == 0);
    ui::ModalSeam::Get().TextShown(window, text != nullptr ? text : "");
}

// Cancel (the button or Escape) sets the flag once and disables the button; while the button is
// disabled the command is ignored, so a late Escape cannot throw away a finished tree.
void ProgressDialog::OnCancel() {
    HWND button = GetDlgItem(Handle(), IDCANCEL);
    if (button != nullptr && IsWindowEnabled(button)) {
        m_cancel = 1;
        EnableWindow(button, FALSE);
    }
}

INT_PTR ProgressDialog::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_CLOSE:
            return TRUE;  // only the worker closes the window
        case kJobDoneMessage:
            End(static_cast<INT_PTR>(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

// Waits for the worker to end, answering the window calls it may still make meanwhile.
void ProgressDialog::JoinWorker() {
    if (m_thread == nullptr) {
        return;
    }
    while (MsgWaitForMultipleObjects(1, &m_thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(m_thread);
    m_thread = nullptr;
}

// Clears the one-job flag when the job ends, however it ends.
class JobSlot {
  public:
    JobSlot() : m_taken(!g_jobRunning.exchange(true)) {}
    ~JobSlot() {
        if (m_taken) {
            g_jobRunning = false;
        }
    }
    JobSlot(const JobSlot&) = delete;
    JobSlot& operator=(const JobSlot&) = delete;
    bool Taken() const { return m_taken; }

  private:
    bool m_taken;
};

}  // namespace

FolderRecord* RunScanJob(Report* report,
                         const std::string& path,
                         const TreeViewOptions& options,
                         const ScanJobContext& context) {
    if (report == nullptr || path.empty()) {
        return nullptr;
    }
    JobSlot slot;
    if (!slot.Taken()) {
        return nullptr;  // one job at a time
    }
    FolderRecord* rootBefore = report->Root();

    // A failed volume query leaves the policy charging plain sizes.
    auto policy = std::make_unique<ClusterPolicy>();
    policy->Compute(path, context.userClusterSize);
    report->SetPolicy(std::move(policy));
    report->SetCreated(CreatedText(platform::Now()));

    ProgressDialog progress(report, path, options, context.ui);
    const bool finished = progress.Run(context.owner);
    if (!finished && report->Root() != nullptr && report->Root() != rootBefore) {
        report->SetRoot(nullptr);
    }
    return finished ? report->Root() : nullptr;
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

bool ScanJobRunning() {
    return g_jobRunning.load();
}

}  // namespace qv
