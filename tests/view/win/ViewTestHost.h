// A stand-in for the main shell in the report window's and info panel's tests: a frame window
// with the window module, a table of reports scanned from scratch folders, and a log of what
// the windows asked the shell to do.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../../TestUtil.h"
#include "core/Scanner.h"
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
        auto report = std::make_unique<Report>();
        FilterSet filters;
        filters.SetBuiltIn();
        report->SetFilters(&filters);
        report->SetCreated("3/15/2001 at 12:00:00");
        auto policy = std::make_unique<ClusterPolicy>();
        policy->ComputeFromUserSize(4096);
        report->SetPolicy(std::move(policy));
        ScanControl control;
        control.options = &m_options;
        if (ScanReport(report.get(), path, control) == nullptr) {
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
    void ShowFilterFiles(Report* report, std::int32_t filterId, FolderRecord* record) override {
        shownFilterFiles.push_back({report, filterId, record});
    }

    void SetPanel(InfoPanel* panel) { m_panel = panel; }
    HWND Frame() const { return m_frame; }

    struct FilterFilesCall {
        Report* report;
        std::int32_t filterId;
        FolderRecord* record;
    };
    std::vector<int> commands;
    std::vector<std::int32_t> closedSerials;
    std::vector<FolderRecord*> printedTrees;
    std::vector<FolderRecord*> editedNotes;
    std::vector<FilterFilesCall> shownFilterFiles;

  private:
    HWND m_frame = nullptr;
    ui::MCMain m_module;
    TreeViewOptions m_options;
    std::vector<std::unique_ptr<Report>> m_reports;
    FolderRecord* m_current = nullptr;
    bool m_guard = false;
    InfoPanel* m_panel = nullptr;
};

// The text of a window, as another program would read it.
inline std::string TextOf(HWND window) {
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

// A child of `record` by its plain name; null when missing.
inline FolderRecord* ChildNamed(FolderRecord* record, const std::string& name) {
    for (FolderRecord* child = record->firstChild; child != nullptr; child = child->nextSibling) {
        if (child->desc != nullptr && name == child->desc) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace qv::test
