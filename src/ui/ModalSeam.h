// The one test seam of every modal window of the program (message box, the shell's folder, file
// and print dialogs, the shell's "open"/"explore", the settings dialog, the progress window, the
// About box, the filter windows, the notes and comparison dialogs): scripted answers instead of a
// window, a log of what was asked for, and hooks that see a real window once it is up.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace qv::ui {

enum class ModalKind {
    Message,
    Folder,
    OpenFile,
    SaveFile,
    Print,
    Execute,
    Settings,
    Progress,
    About,
    FilterEditor,
    FilterBrowser,
    TemporaryFolders,
    ListOfFiles,
    Notes,
    Comparison,
    DragOut,
    PopupMenu,
    FileAttributes,
    FileDateTime,
};

// What a window returns: a message box's answer, or IDOK/IDCANCEL for the other dialogs, with
// the chosen path (folder and file dialogs) or device context (print dialog; the caller then
// owns it).
struct ModalAnswer {
    int result = IDCANCEL;
    std::string path;
    HDC dc = nullptr;

    static ModalAnswer Button(int result) { return {result, {}, nullptr}; }
    static ModalAnswer Choose(std::string path) { return {IDOK, std::move(path), nullptr}; }
    static ModalAnswer Cancel() { return {}; }
    bool Accepted() const { return result == IDOK; }
};

// One window as the seam logged it. The fields a kind fills:
//   Message    title (the caption), text (as given), displayed (after centring), type
//   Folder     title, folder (the initial one)
//   OpenFile   title, folder, text (the initial name), filterDescription, filterMask
//   SaveFile   as OpenFile, and extension (the default one)
//   Print      type (1 for the print-setup variant)
//   Execute    title (the verb), text (the path): the shell's "open" or "explore", not run
//   DragOut    text (the dragged paths, each ended by a line break): a drag of files out of a
//              window, not run (a real one follows the mouse until its button is released)
//   PopupMenu  text (the items, each ended by a line break; a separator is an empty line),
//              displayed (the grayed items, likewise)
struct ModalShown {
    ModalKind kind = ModalKind::Message;
    std::string title;
    std::string text;
    std::string displayed;
    std::string folder;
    std::string filterDescription;
    std::string filterMask;
    std::string extension;
    std::string action;  // Message: the label of its action button, if it has one
    int type = 0;
    ModalAnswer answer;
    bool scripted = false;  // answered from the queue: no window showed
};

// Process-wide and thread-safe. While recording (Begin to End) the message box and the shell's
// dialogs log what they were asked to show, and the shell's "open"/"explore" are logged instead
// of run. A queued answer is taken by the next message box or shell dialog instead of showing
// it; with none queued the real window shows. The hooks run with or without recording: `up` on
// the window's thread from inside its modal loop once a real message box, settings dialog,
// progress window, About box, filter editor, filtered files browser, notes or comparison dialog
// or file tool is up; `text` on the thread that changed it whenever the progress window shows a
// new text. (The shell's own dialogs show no hook: tests answer them from the queue, or from
// another thread.)
class ModalSeam {
  public:
    using UpHook = std::function<void(HWND window, ModalKind kind)>;
    using TextHook = std::function<void(HWND window, const std::string& text)>;

    static ModalSeam& Get();

    // For tests and demos. End drops the queue, the log and both hooks.
    void Begin();
    void End();
    void QueueAnswer(ModalAnswer answer);
    std::vector<ModalShown> Shown() const;
    void OnWindowUp(UpHook hook);
    void OnTextShown(TextHook hook);

    // For the windows.
    bool Recording() const;
    // Takes the next queued answer; false when none is queued.
    bool TakeAnswer(ModalAnswer* answer);
    // Logs a window while recording.
    void Record(const ModalShown& shown);
    void WindowUp(HWND window, ModalKind kind);
    void TextShown(HWND window, const std::string& text);

  private:
    mutable std::mutex m_mutex;
    bool m_recording = false;
    std::deque<ModalAnswer> m_answers;
    std::vector<ModalShown> m_shown;
    UpHook m_up;
    TextHook m_text;
};

// Shows `menu` as a context menu of `owner` at the screen point and returns the chosen command,
// 0 when it closed without a choice. A queued answer of the seam chooses instead (its result is
// the command) and no menu shows.
int TrackPopup(HMENU menu, POINT screen, HWND owner);

}  // namespace qv::ui
