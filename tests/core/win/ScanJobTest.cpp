// Tests of the scan job through its real progress window: a completed scan with its phase texts,
// a late Escape and one job at a time, and Cancel pressed while the walk runs (after a job ended).
#include <gtest/gtest.h>

#include <windows.h>

#include <mutex>

#include "resource.h"
#include "TestUtil.h"
#include "ui/ModalSeam.h"
#include "ui/UiTestUtil.h"
#include "core/win/ScanJob.h"

namespace qv {
namespace {

using test::ScratchDir;

constexpr const char* kLastPhase = "Initializing tree items...";

// One text the window showed, read back from it as the worker left it.
struct Shown {
    std::string text;
    bool cancelEnabled;
};

class ScanJobTest : public test::UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        m_tree.Build("a/one.txt:100 a/two.tmp:10 b/one.txt:100 b/two.tmp:10 c/one.txt:100 c/two.tmp:10 "
                     "d/e/one.txt:100 d/e/two.tmp:10");  // enough folders for several path texts
        m_filters.SetBuiltIn();
        m_context.owner = m_window.Handle();
        m_context.ui = &m_ui;
        ui::ModalSeam::Get().OnWindowUp([this](HWND window, ui::ModalKind kind) {
            EXPECT_EQ(kind, ui::ModalKind::Progress);
            m_title = test::TextOf(window);
            if (m_onOpen) {
                m_onOpen(window);
            }
        });
        ui::ModalSeam::Get().OnTextShown([this](HWND window, const std::string& text) { OnProgress(window, text); });
    }
    void TearDown() override {
        ui::ModalSeam::Get().End();
        UiTest::TearDown();
    }

    // On the worker thread.
    void OnProgress(HWND window, const std::string& text) {
        char control[600] = {};
        GetDlgItemTextA(window, IDC_PROGRESS_TEXT, control, sizeof control);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_shown.push_back({control, IsWindowEnabled(GetDlgItem(window, IDCANCEL)) != FALSE});
        }
        if (m_onProgress) {
            m_onProgress(window, text);
        }
    }

    std::unique_ptr<Report> Create() { return CreateReport(m_tree.Path(), &m_filters, m_options, false, m_context); }

    ScratchDir m_tree;
    FilterSet m_filters;
    TreeViewOptions m_options;
    ScanJobContext m_context;
    std::string m_title;
    std::function<void(HWND)> m_onOpen;
    std::function<void(HWND, const std::string&)> m_onProgress;  // on the worker thread
    std::mutex m_mutex;
    std::vector<Shown> m_shown;
};

TEST_F(ScanJobTest, CompletedScanShowsPathsThenThePhasesAndIgnoresALateEscape) {
    int shownFilters = 0;
    m_context.showFilters = [&](Report&) { ++shownFilters; };
    m_context.userClusterSize = 4096;
    bool refused = false;  // a second job cannot start while one runs
    m_onOpen = [&](HWND) {
        Report other;
        refused = ScanJobRunning() && Create() == nullptr &&
                  RunScanJob(&other, m_tree.Path(), m_options, m_context) == nullptr && other.Root() == nullptr;
    };
    m_onProgress = [&](HWND window, const std::string& text) {
        if (text == kLastPhase) {
            SendMessageA(window, WM_COMMAND, IDCANCEL, 0);  // what Escape sends, with Cancel disabled
        }
    };
    std::unique_ptr<Report> report = Create();
    ASSERT_TRUE(report != nullptr && report->Root() != nullptr);
    // The user's cluster size: one cluster a file. Which texts come in what order is the scanner's
    // test: here the control shows them, and the last phase disables Cancel.
    std::lock_guard<std::mutex> lock(m_mutex);
    ASSERT_GE(m_shown.size(), 4u);
    EXPECT_EQ(test::Join(refused, ScanJobRunning(), m_title, shownFilters, ReadStat(report->Root(), NFA),
                         m_shown[0].text.rfind(m_tree.Path(), 0) == 0, m_shown[0].cancelEnabled, m_shown.back().text,
                         m_shown.back().cancelEnabled),
              test::Join(true, false, "Processing...", 1, 8 * 4096, true, true, kLastPhase, false))
        << m_shown[0].text;
}

TEST_F(ScanJobTest, CancelDuringTheWalkReturnsNoneAndLeavesNoTree) {
    bool disabledAtOnce = false;
    int clicks = 0;
    m_onProgress = [&](HWND window, const std::string& text) {
        if (clicks == 0 && text.rfind(m_tree.Path(), 0) == 0) {
            // The user's click, processed by the window's own thread.
            ++clicks;
            SendMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
            disabledAtOnce = IsWindowEnabled(GetDlgItem(window, IDCANCEL)) == FALSE;
        }
    };
    Report report;
    report.SetFilters(&m_filters);
    const bool none = RunScanJob(&report, m_tree.Path(), m_options, m_context) == nullptr;
    EXPECT_EQ(test::Join(none, clicks, disabledAtOnce, report.Root() == nullptr, ScanJobRunning(),
                         m_shown.back().text != kLastPhase),
              "1 1 1 1 0 1");
}

}  // namespace
}  // namespace qv
