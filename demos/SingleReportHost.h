// The shell's part for the stand-alone report-view programs (demo and benchmark): one report and
// no shell commands.
#pragma once

#include <cstdint>
#include <memory>

#include "ui/MCMain.h"
#include "core/Report.h"
#include "view/win/ReportWindowHost.h"

namespace qv {

// Owns the window module and the one report; the program creates the module, fills `report` and
// points `panel` at its info panel. Commands the windows hand to the shell are dropped.
class SingleReportHost : public ReportWindowHost {
  public:
    int ReportCount() const override { return report ? 1 : 0; }
    Report* ReportAt(int index) const override { return index == 0 ? report.get() : nullptr; }
    TreeViewOptions& ViewOptions() override { return options; }
    FolderRecord* CurrentRecord() const override { return current; }
    void SetCurrentRecord(FolderRecord* record) override { current = record; }
    bool SelectionGuard() const override { return guard; }
    void SetSelectionGuard(bool on) override { guard = on; }
    InfoPanel* Panel() const override { return panel; }
    void RunShellCommand(int) override {}
    void CloseReportBySerial(std::int32_t) override {}
    ui::MCMain& Module() override { return module; }

    ui::MCMain module;
    TreeViewOptions options;
    std::unique_ptr<Report> report;
    FolderRecord* current = nullptr;
    bool guard = false;
    InfoPanel* panel = nullptr;
};

}  // namespace qv
