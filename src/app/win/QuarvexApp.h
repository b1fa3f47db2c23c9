// The application object: the main frame, the one MainShell and the message loop.
#pragma once

#include <windows.h>

#include <string>

#include "app/win/MainFrame.h"
#include "app/win/MainShell.h"

namespace qv {

// One per process. Start builds the frame and runs the shell's start-up; Run pumps messages until
// the frame is gone; the destructor finishes the shutdown if Run did not.
class QuarvexApp {
  public:
    QuarvexApp() = default;
    ~QuarvexApp();
    QuarvexApp(const QuarvexApp&) = delete;
    QuarvexApp& operator=(const QuarvexApp&) = delete;

    // Where settings.dat, Reports, Filters and helpidx.htm are; the executable's folder unless
    // set before Start (tests use a scratch folder).
    void SetProgramFolder(const std::string& folder) { m_shell.SetProgramFolder(folder); }

    // Application initialisation, the frame from resource 128, then the shell's start-up with the
    // optional start path. False when the program should end at once (start-up failed, or the
    // user switched to the copy that already runs).
    bool Start(HINSTANCE instance, const std::string& startPath);
    // The message loop; returns the exit code when the frame has been destroyed.
    int Run();
    // Hands one message to the frame's accelerators and the window; for loops of tests.
    bool Dispatch(MSG* message);
    // Ends the program as Exit does: the frame stops taking drops, then it is destroyed and the
    // shell shut down.
    void Exit();

    CMainFrame& Frame() { return m_frame; }
    MainShell& Shell() { return m_shell; }

  private:
    CMainFrame m_frame;
    MainShell m_shell;
};

// The start path of the command line: the first argument made a full path; empty without one.
std::string StartPathFromArguments(int argc, char** argv);

}  // namespace qv
