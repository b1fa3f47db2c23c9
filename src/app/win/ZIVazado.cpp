// The program's entry point: starts the application with the folder or file named on the command
// line, if any, and runs it until the main window closes.
#include <windows.h>

#include <cstdlib>

#include "app/win/QuarvexApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    qv::QuarvexApp app;
    if (!app.Start(instance, qv::StartPathFromArguments(__argc, __argv))) {
        return 0;
    }
    return app.Run();
}
