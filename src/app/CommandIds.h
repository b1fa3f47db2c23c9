// The command ids of the main menu and of the tools panel, and the ranges the frame routes to
// the shell. Plain constants so the portable rules and the Windows frame share one list; the
// menu resource uses the same numbers through res/resource.h.
#pragma once

namespace qv::cmd {

constexpr int kOpenReport = 32771;
constexpr int kCreateReport = 32772;
constexpr int kSaveReport = 32773;
constexpr int kOptions = 32774;
constexpr int kEditFilters = 32775;
constexpr int kHelp = 32777;
constexpr int kCloseReport = 32778;
constexpr int kPrintFolderInfo = 32780;
constexpr int kPrintTree = 32797;
constexpr int kQuickLoadPlain = 32800;  // the disabled stand-in while "Quick &Load" has no files
constexpr int kUpdateReport = 32801;
constexpr int kToolDateTime = 32802;
constexpr int kToolAttributes = 32803;
constexpr int kToolListOfFiles = 32804;
constexpr int kToolTemporaryFolders = 32805;
constexpr int kAbout = 57664;
constexpr int kExit = 57665;
constexpr int kViewStatusBar = 59393;

// Items of the two file-list menus: id = first + position in the list, at most 99 items.
constexpr int kLoadFiltersFirst = 40000;
constexpr int kQuickLoadFirst = 40200;
constexpr int kFileListMaxItems = 99;

// Ranges the frame hands to the shell's command handler.
constexpr bool IsShellCommand(int id) {
    return (id >= 32000 && id <= 32810) || (id >= 40000 && id <= 40100) || (id >= 40200 && id <= 40300);
}

// Command state bits asked before a menu opens.
constexpr unsigned kStateChecked = 1;
constexpr unsigned kStateDisabled = 2;

}  // namespace qv::cmd
