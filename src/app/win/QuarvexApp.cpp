// The application object: initialisation, the frame, the shell's start-up and the message loop.
#include "app/win/QuarvexApp.h"

#include <commctrl.h>

#include "app/ShellRules.h"

namespace qv {

QuarvexApp::~QuarvexApp() {
    Exit();
}

bool QuarvexApp::Start(HINSTANCE instance, const std::string& startPath) {
    // The common controls stand in for the control containers and 3-D controls of old. The
    // program keeps no profile in the registry: its settings live in settings.dat.
    INITCOMMONCONTROLSEX controls = {sizeof(controls),
                                     ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (!m_frame.Create(instance, kAppTitle)) {
        return false;
    }
    m_frame.SetClient(&m_shell);
    m_shell.AttachFrame(&m_frame);
    if (!m_shell.Create(instance, m_frame.View(), startPath.empty() ? nullptr : startPath.c_str())) {
        Exit();
        return false;
    }
    return true;
}

bool QuarvexApp::Dispatch(MSG* message) {
    if (m_frame.PreTranslate(message)) {
        return true;
    }
    TranslateMessage(message);
    DispatchMessageA(message);
    return true;
}

int QuarvexApp::Run() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        Dispatch(&message);
    }
    Exit();
    return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 0;
}

void QuarvexApp::Exit() {
    m_frame.StopAcceptingDrops();
    if (m_frame.Window() != nullptr) {
        DestroyWindow(m_frame.Window());  // the shell shuts down from the frame's WM_DESTROY
    }
    m_shell.Destroy();
    m_frame.SetClient(nullptr);
}

std::string StartPathFromArguments(int argc, char** argv) {
    if (argc < 2 || argv == nullptr || argv[1] == nullptr || argv[1][0] == '\0') {
        return {};
    }
    char full[MAX_PATH * 4] = {};
    const DWORD length = GetFullPathNameA(argv[1], sizeof(full), full, nullptr);
    return length > 0 && length < sizeof(full) ? std::string(full, length) : std::string(argv[1]);
}

}  // namespace qv
