// The test seam of the shell operations: scripted answers for the folder, file and print
// dialogs, a log of what each dialog was asked to show, and the interception of the shell's
// "open"/"explore" so that tests never start Explorer or another program.
#pragma once

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace qv::shell {

enum class DialogKind { Folder, OpenFile, SaveFile, Print };

// What a shell dialog was asked to show.
struct DialogRequest {
    DialogKind kind = DialogKind::Folder;
    std::string title;
    std::string initialFolder;
    std::string initialName;        // file dialogs: the name the dialog starts with
    std::string filterDescription;  // file dialogs: the first entry of the filter list
    std::string filterMask;
    std::string defaultExtension;  // save dialog
    bool setupOnly = false;        // print dialog
};

// A scripted answer: cancel, or accept with a folder or file path (for the print dialog a device
// context that the caller then owns).
struct DialogAnswer {
    bool accept = false;
    std::string path;
    HDC dc = nullptr;

    static DialogAnswer Cancel() { return {}; }
    static DialogAnswer Choose(std::string path) { return {true, std::move(path), nullptr}; }
};

// A call of the shell's "open" or "explore" that the seam kept from running.
struct ExecuteCall {
    std::string verb;
    std::string path;
};

// Process-wide. While answers are queued, each dialog takes the next one instead of showing
// itself; with none queued the real dialog shows. Thread-safe, although every operation runs on
// the user-interface thread.
class Seam {
  public:
    static Seam& Get();

    void QueueAnswer(DialogAnswer answer);
    // Keeps ShellExecute calls from running and records them instead.
    void InterceptExecute(bool on);
    std::vector<DialogRequest> Requests() const;
    std::vector<ExecuteCall> Executed() const;
    // Drops queued answers, the logs and the interception.
    void Reset();

    // For the operations: logs the request and, when an answer is queued, takes it and returns
    // true.
    bool TakeAnswer(const DialogRequest& request, DialogAnswer* answer);
    // For the operations: true (and recorded) when ShellExecute is intercepted.
    bool InterceptedExecute(const char* verb, const std::string& path);

  private:
    mutable std::mutex m_mutex;
    std::deque<DialogAnswer> m_answers;
    std::vector<DialogRequest> m_requests;
    std::vector<ExecuteCall> m_executed;
    bool m_intercept = false;
};

}  // namespace qv::shell
