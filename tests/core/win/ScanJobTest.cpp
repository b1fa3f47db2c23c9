// Tests of the scan job through its real progress window: a completed scan with its phase texts,
// Cancel pressed while the walk runs, one job at a time, the user cluster size, and opening a
// report file.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <mutex>

#include "resource.h"
#include "TestUtil.h"
#include "ui/UiTestUtil.h"
#include "core/win/ScanJob.h"

namespace qv {
namespace {

using test::ScratchDir;

constexpr const char* kPhases[] = {"Collecting Statistics...", "Finalizing...", "Initializing tree items..."};

bool IsPhase(const std::string& text) {
    return std::find(std::begin(kPhases), std::end(kPhases), text) != std::end(kPhases);
}

// One text the window showed, as the worker left it.
struct Shown {
    std::string text;
    std::string controlText;  // control 1058 read back from the window
    bool cancelEnabled;
    bool buttonEnabled;
};

class ScanJobTest : public test::UiTest {
  protected:
    // 4 + 16 + 64 folders below the root, with two files in each of the deepest: enough folders
    // for the walk to report several paths. Made once; the scans only read it.
    static void SetUpTestSuite() {
        s_tree = new ScratchDir;
        for (int a = 0; a < 4; ++a) {
            for (int b = 0; b < 4; ++b) {
                for (int c = 0; c < 4; ++c) {
                    const std::string folder =
                        "d" + std::to_string(a) + "/e" + std::to_string(b) + "/f" + std::to_string(c);
                    s_tree->WriteFile(folder + "/one.txt", 100);
                    s_tree->WriteFile(folder + "/two.tmp", 10);
                }
            }
        }
    }
    static void TearDownTestSuite() {
        delete s_tree;
        s_tree = nullptr;
    }

    void SetUp() override {
        UiTest::SetUp();
        m_filters.SetBuiltIn();
        m_context.owner = m_window.Handle();
        m_context.ui = &m_ui;
        scan_job_seam::SetObservers(&OnOpen, &OnProgress, this);
    }
    void TearDown() override {
        scan_job_seam::SetObservers(nullptr, nullptr, nullptr);
        UiTest::TearDown();
    }

    static void OnOpen(HWND window, void* self) {
        auto* test = static_cast<ScanJobTest*>(self);
        test->m_title = test::TextOf(window);
        test->m_window169 = window;
        if (test->m_onOpen) {
            test->m_onOpen(window);
        }
    }

    // On the worker thread.
    static void OnProgress(HWND window, const char* text, bool cancelEnabled, void* self) {
        auto* test = static_cast<ScanJobTest*>(self);
        char control[600] = {};
        GetDlgItemTextA(window, IDC_PROGRESS_TEXT, control, sizeof control);
        HWND button = GetDlgItem(window, IDCANCEL);
        {
            std::lock_guard<std::mutex> lock(test->m_mutex);
            test->m_shown.push_back({text, control, cancelEnabled, IsWindowEnabled(button) != FALSE});
        }
        if (test->m_onProgress) {
            test->m_onProgress(window, text);
        }
    }

    std::vector<Shown> ShownTexts() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_shown;
    }

    static inline ScratchDir* s_tree = nullptr;
    static constexpr int kFiles = 128;
    const ScratchDir& m_tree = *s_tree;
    FilterSet m_filters;
    TreeViewOptions m_options;
    ScanJobContext m_context;
    std::string m_title;
    HWND m_window169 = nullptr;
    std::function<void(HWND)> m_onOpen;
    std::function<void(HWND, const char*)> m_onProgress;  // on the worker thread
    std::mutex m_mutex;
    std::vector<Shown> m_shown;
};

TEST_F(ScanJobTest, CompletedScanShowsPathsThenThePhasesInOrder) {
    int shownFilters = 0;
    m_context.showFilters = [&](Report& report) {
        ++shownFilters;
        EXPECT_EQ(report.Filters().Count(), m_filters.Count());
    };
    bool centred = false;
    m_onOpen = [&](HWND window) {
        RECT rect = {};
        GetWindowRect(window, &rect);
        const int dx = (rect.left + rect.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2;
        const int dy = (rect.top + rect.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2;
        centred = dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1;
        EXPECT_TRUE(ScanJobRunning());
    };
    std::unique_ptr<Report> report = CreateReport(m_tree.Path(), &m_filters, m_options, false, m_context);
    ASSERT_NE(report, nullptr);
    EXPECT_FALSE(ScanJobRunning());
    EXPECT_EQ(m_title, "Processing...");
    EXPECT_TRUE(centred);
    EXPECT_FALSE(IsWindow(m_window169));
    EXPECT_EQ(shownFilters, 1);

    FolderRecord* root = report->Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(std::string(root->desc), m_tree.Path());
    EXPECT_EQ(ReadStat(root, LFN), kFiles);
    EXPECT_EQ(ReadStat(root, OFN), 84);
    EXPECT_FALSE(report->Created().empty());
    EXPECT_NE(report->Created().find(" at "), std::string::npos);
    ASSERT_NE(report->Policy(), nullptr);
    EXPECT_EQ(report->Policy()->automatic, 1);

    const std::vector<Shown> shown = ShownTexts();
    ASSERT_GE(shown.size(), 4u);
    const std::size_t paths = shown.size() - 3;
    for (std::size_t i = 0; i < paths; ++i) {
        EXPECT_FALSE(IsPhase(shown[i].text)) << shown[i].text;
        EXPECT_EQ(shown[i].text.rfind(m_tree.Path(), 0), 0u) << shown[i].text;  // a folder below the root
        EXPECT_TRUE(shown[i].buttonEnabled);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        const Shown& phase = shown[paths + i];
        EXPECT_EQ(phase.text, kPhases[i]);
        EXPECT_EQ(phase.controlText, kPhases[i]);
        EXPECT_EQ(phase.cancelEnabled, i < 2);
        EXPECT_EQ(phase.buttonEnabled, i < 2);
    }
}

TEST_F(ScanJobTest, CancelDuringTheWalkReturnsNoneAndLeavesNoTree) {
    bool disabledAtOnce = false;
    int clicks = 0;
    m_onProgress = [&](HWND window, const char* text) {
        if (clicks == 0 && !IsPhase(text)) {
            // The user's click, processed by the window's own thread.
            ++clicks;
            SendMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
            disabledAtOnce = IsWindowEnabled(GetDlgItem(window, IDCANCEL)) == FALSE;
        }
    };
    Report report;
    report.SetFilters(&m_filters);
    EXPECT_EQ(RunScanJob(&report, m_tree.Path(), m_options, m_context), nullptr);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(disabledAtOnce);
    EXPECT_EQ(report.Root(), nullptr);
    EXPECT_FALSE(ScanJobRunning());
    EXPECT_FALSE(IsWindow(m_window169));
    for (const Shown& shown : ShownTexts()) {
        EXPECT_NE(shown.text, "Initializing tree items...");
    }

    // CreateReport the same way: none.
    clicks = 0;
    int shownFilters = 0;
    m_context.showFilters = [&](Report&) { ++shownFilters; };
    EXPECT_EQ(CreateReport(m_tree.Path(), &m_filters, m_options, false, m_context), nullptr);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(shownFilters, 0);
}

TEST_F(ScanJobTest, EscapeWhileCancelIsDisabledIsIgnored) {
    m_onProgress = [&](HWND window, const char* text) {
        if (std::string(text) == "Initializing tree items...") {
            SendMessageA(window, WM_COMMAND, IDCANCEL, 0);  // what Escape sends
        }
    };
    std::unique_ptr<Report> report = CreateReport(m_tree.Path(), &m_filters, m_options, false, m_context);
    ASSERT_NE(report, nullptr);
    EXPECT_NE(report->Root(), nullptr);
}

TEST_F(ScanJobTest, SecondJobCannotStartWhileOneRuns) {
    bool refusedOnUiThread = false;
    DWORD uiMilliseconds = 0;
    m_onOpen = [&](HWND) {
        const DWORD start = GetTickCount();
        refusedOnUiThread = CreateReport(m_tree.Path(), &m_filters, m_options, false, m_context) == nullptr;
        uiMilliseconds = GetTickCount() - start;
    };
    bool refusedOnWorker = false;
    m_onProgress = [&](HWND, const char* text) {
        if (std::string(text) == "Finalizing...") {
            Report other;
            refusedOnWorker =
                RunScanJob(&other, m_tree.Path(), m_options, m_context) == nullptr && other.Root() == nullptr;
        }
    };
    std::unique_ptr<Report> report = CreateReport(m_tree.Path(), &m_filters, m_options, false, m_context);
    EXPECT_NE(report, nullptr);
    EXPECT_TRUE(refusedOnUiThread);
    EXPECT_LT(uiMilliseconds, 1000u);
    EXPECT_TRUE(refusedOnWorker);

    // Once the job has ended the next one runs.
    m_onOpen = nullptr;
    m_onProgress = nullptr;
    EXPECT_NE(CreateReport(m_tree.Path(), &m_filters, m_options, false, m_context), nullptr);
}

TEST_F(ScanJobTest, UserClusterSizeFromTheSettings) {
    m_context.userClusterSize = 4096;
    std::unique_ptr<Report> report = CreateReport(m_tree.Path(), &m_filters, m_options, false, m_context);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->Policy()->automatic, 0);
    EXPECT_EQ(report->Policy()->clusterShift, 12);
    EXPECT_EQ(ReadStat(report->Root(), NFA), kFiles * 4096);  // every file takes one cluster
}

TEST_F(ScanJobTest, MissingPathIsRefusedAtOnce) {
    EXPECT_EQ(CreateReport("", &m_filters, m_options, false, m_context), nullptr);
    EXPECT_EQ(RunScanJob(nullptr, m_tree.Path(), m_options, m_context), nullptr);
    EXPECT_TRUE(m_title.empty());  // no window was opened
}

TEST_F(ScanJobTest, OpenReportFileReadsWhatWasSaved) {
    // Keeping the displayed filters does not show the new ones.
    int shownFilters = 0;
    m_context.showFilters = [&](Report&) { ++shownFilters; };
    std::unique_ptr<Report> report = CreateReport(m_tree.Path(), &m_filters, m_options, true, m_context);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(shownFilters, 0);
    ScratchDir files;
    ASSERT_TRUE(SaveReport(report.get(), files.Sub("saved.mcr")));
    ReportFileError error = ReportFileError::CannotOpen;
    std::unique_ptr<Report> opened = OpenReportFile(files.Sub("saved.mcr"), m_options, &error);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(error, ReportFileError::None);
    EXPECT_EQ(ReadStat(opened->Root(), LFN), kFiles);
    EXPECT_EQ(ReadStat(opened->Root(), NFA), ReadStat(report->Root(), NFA));

    files.WriteText("broken.mcr", "no nodes in here");
    EXPECT_EQ(OpenReportFile(files.Sub("broken.mcr"), m_options, &error), nullptr);
    EXPECT_EQ(error, ReportFileError::NothingRead);
    EXPECT_EQ(OpenReportFile(files.Sub("missing.mcr"), m_options, &error), nullptr);
    EXPECT_EQ(error, ReportFileError::CannotOpen);
}

}  // namespace
}  // namespace qv
