// The tool target: the part of a file tool's dialog that chooses what the tool works on, a
// folder by mask (optionally with its sub-folders) or a single file. A dialog owns one, hands it
// its messages and asks it for the target when the user presses Apply (IDOK). The controls are
// the IDC_TARGET_... ids of res/resource.h; a template may leave out the mode buttons (a tool
// without single-file mode), then a dropped or chosen file stands for its folder.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/ToolRun.h"

namespace qv::ui {
class MCMain;
}

namespace qv::tools {

// What one tool remembers of its target for the program's run.
struct TargetMemory {
    bool singleFile = false;
    std::string masks = "*.*";
    bool recursive = true;
};

class ToolTarget {
  public:
    // `memory` belongs to the tool and outlives the dialog. `folderOnly`: the tool has no
    // single-file mode. `chooseTip` is the tool tip of the File/Folder button.
    ToolTarget(ui::MCMain* ui, TargetMemory* memory, bool folderOnly, const char* chooseTip);

    // From the dialog's OnInit: restyles and fills the controls from the memory ("Except"
    // empty), accepts drops, takes the start path (may be empty) as a drop of one path and puts
    // the focus on Apply, or File/Folder when Apply is disabled (OnInit then returns false).
    void Attach(HWND dialog, const std::string& startPath);
    // From Close: stops accepting drops.
    void Detach();
    // Whether "Browse" shows an Explorer window rather than a plain folder window.
    void SetExplore(bool explore) { m_explore = explore; }
    // What the dialog adds to the Apply rule (for example "a date or a time is chosen").
    void SetApplyCondition(std::function<bool()> condition) { m_applyCondition = std::move(condition); }

    // The dialog's WM_COMMAND and other messages: true when they were the target's.
    bool OnCommand(int id, int code);
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The first of `paths` that is (after resolving shortcuts) an existing folder or file
    // becomes the target; false when none is.
    bool TakePaths(const std::vector<std::string>& paths);
    // Recomputes the enabled states (Apply included) and the path field.
    void UpdateStates();

    bool SingleFile() const { return m_singleFile; }
    const std::string& Folder() const { return m_folder; }
    const std::string& File() const { return m_file; }

    // The target checks of Apply, in order, each with its message ("Incorrect Data").
    bool Validate();
    // The target for the run with the normalised texts; remembers the masks, "Recursive" and
    // the mode.
    TargetRun Prepare();
    // Folder mode asks the "Submit operation" question (single-file mode runs at once): true
    // for Yes.
    bool Confirm(const TargetRun& run, const std::string& lineOne, const std::string& lineTwo);
    // Shows `text` captioned "Operation results".
    void ShowResult(const std::string& text);
    // Shows a message with an OK button over the dialog.
    void Tell(const char* text, const char* caption);

  private:
    bool TakePath(const std::string& path);
    void SetMode(bool singleFile);
    void Choose();
    std::string Text(int id) const;
    bool FolderExists() const;
    bool FileExists() const;

    ui::MCMain* m_ui;
    TargetMemory* m_memory;
    bool m_folderOnly;
    const char* m_chooseTip;
    HWND m_dialog = nullptr;
    bool m_singleFile = false;
    std::string m_folder;
    std::string m_file;
    bool m_explore = false;
    std::function<bool()> m_applyCondition;
};

}  // namespace qv::tools
