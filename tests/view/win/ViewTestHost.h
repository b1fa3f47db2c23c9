// A stand-in for the main shell in the report window's and info panel's tests: a frame window
// with the window module, a table of reports scanned from scratch folders, and a log of what
// the windows asked the shell to do; and a fixture with a scanned tree shown in both windows.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TestUtil.h"
#include "core/ScanTestUtil.h"
#include "ui/UiTestUtil.h"
#include "view/win/InfoPanel.h"
#include "view/win/ReportWindow.h"

namespace qv::test {

class ViewTestHost : public ReportWindowHost {
  public:
    ViewTestHost() {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        m_frame = CreateWindowExA(0, "STATIC", "Quarvex test frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 900,
                                  700, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        m_module.Create(GetModuleHandleA(nullptr), m_frame, nullptr);
        m_module.Activate(true);
    }
    ~ViewTestHost() override {
        m_module.Destroy();
        DestroyWindow(m_frame);
    }

    // Scans `path` into a new report (built-in filters, 4096-byte user clusters) and puts it
    // into the table; the caller then adds it to the report window.
    Report* OpenScanned(const std::string& path) {
        std::unique_ptr<Report> report = MakeReport(true, 4096);
        report->SetCreated("3/15/2001 at 12:00:00");
        ScanControl control;
        control.titles = ComposeTitlesWith(m_options);
        if (Scan(report.get(), path, control) == nullptr) {
            ADD_FAILURE() << "scan of " << path << " failed";
            return nullptr;
        }
        m_reports.push_back(std::move(report));
        return m_reports.back().get();
    }
    // Takes a report out of the table as the shell's Close does (after the window let it go).
    void Forget(Report* report) {
        std::erase_if(m_reports, [report](const std::unique_ptr<Report>& held) { return held.get() == report; });
    }

    int ReportCount() const override { return static_cast<int>(m_reports.size()); }
    Report* ReportAt(int index) const override {
        return index >= 0 && index < ReportCount() ? m_reports[static_cast<std::size_t>(index)].get() : nullptr;
    }
    TreeViewOptions& ViewOptions() override { return m_options; }
    FolderRecord* CurrentRecord() const override { return m_current; }
    void SetCurrentRecord(FolderRecord* record) override { m_current = record; }
    bool SelectionGuard() const override { return m_guard; }
    void SetSelectionGuard(bool on) override { m_guard = on; }
    InfoPanel* Panel() const override { return m_panel; }
    void RunShellCommand(int commandId) override { commands.push_back(commandId); }
    void CloseReportBySerial(std::int32_t serial) override { closedSerials.push_back(serial); }
    ui::MCMain& Module() override { return m_module; }
    void PrintTree(FolderRecord* record) override { printedTrees.push_back(record); }
    void EditNotes(FolderRecord* record) override { editedNotes.push_back(record); }
    void ShowFilterFiles(Report*, std::int32_t filterId, FolderRecord* record) override {
        shownFilterFiles.emplace_back(filterId, record);
    }

    void SetPanel(InfoPanel* panel) { m_panel = panel; }
    HWND Frame() const { return m_frame; }

    std::vector<int> commands;
    std::vector<std::int32_t> closedSerials;
    std::vector<FolderRecord*> printedTrees;
    std::vector<FolderRecord*> editedNotes;
    std::vector<std::pair<std::int32_t, FolderRecord*>> shownFilterFiles;  // filter id, record

  private:
    HWND m_frame = nullptr;
    ui::MCMain m_module;
    TreeViewOptions m_options;
    std::vector<std::unique_ptr<Report>> m_reports;
    FolderRecord* m_current = nullptr;
    bool m_guard = false;
    InfoPanel* m_panel = nullptr;
};

// A scanned scratch tree in a report window with an info panel beside it:
//   root: file.txt (50 B)
//   ├── alpha: a.txt (100 B)
//   │   ├── deep: d.txt (10 B)
//   │   └── {alpha files}
//   ├── Beta: b.bin (5000 B)
//   ├── gamma: x.tmp (300 B, temporary)
//   └── {root files}
// With 4096-byte clusters alpha and Beta take 8 K each, gamma and the root's files 4 K each.
class ReportViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir.WriteFile("file.txt", 50);
        m_dir.WriteFile("alpha/a.txt", 100);
        m_dir.WriteFile("alpha/deep/d.txt", 10);
        m_dir.WriteFile("Beta/b.bin", 5000);
        m_dir.WriteFile("gamma/x.tmp", 300);
        ASSERT_TRUE(m_panel.Create(&m_host, m_host.Frame()));
        m_host.SetPanel(&m_panel);
        ASSERT_TRUE(m_window.Create(&m_host, m_host.Frame()));
        m_window.Resize(560, 600);
        m_report = AddScanned(m_dir.Path());
        ASSERT_NE(m_report, nullptr);
        m_root = m_report->Root();
    }

    Report* AddScanned(const std::string& path) {
        Report* report = m_host.OpenScanned(path);
        if (report != nullptr) {
            m_window.AddReport(report);
        }
        return report;
    }
    HWND TreeHandle() { return m_window.Tree().Tree(); }
    FolderRecord* DataOf(HTREEITEM item) {
        return static_cast<FolderRecord*>(const_cast<void*>(m_window.Tree().Data(item)));
    }
    // Selects a record's item as a click does: the tree announces the new selection.
    void Select(FolderRecord* record) {
        HTREEITEM item = record != nullptr ? m_window.ItemOf(record) : nullptr;
        ASSERT_NE(item, nullptr);
        TreeView_SelectItem(TreeHandle(), item);
    }
    FolderRecord* Child(const char* name) { return test::Child(m_root, name); }
    // The files item the scan made last below a folder with files and sub-folders.
    static FolderRecord* FilesItemOf(FolderRecord* record) {
        return record->lastChild != nullptr && record->lastChild->group > 0 ? record->lastChild : nullptr;
    }

    ScratchDir m_dir;
    ViewTestHost m_host;
    InfoPanel m_panel;
    ReportWindow m_window;
    Report* m_report = nullptr;
    FolderRecord* m_root = nullptr;
};

}  // namespace qv::test
