// The "Program Settings" dialog (template 176): edits the live settings document.
#pragma once

#include <windows.h>

#include "app/Settings.h"

namespace qv::ui {
class MCMain;
}

namespace qv {

// Shows the dialog modally over `parent`. The document is saved first; the controls show its
// values; OK writes the controls back, applies the document and saves it; Cancel leaves it as it
// was. `ui` gives the restyled look and the tool tips; null shows plain controls. True on OK.
bool ShowSettingsDialog(HWND parent, Settings& settings, ui::MCMain* ui);

// Test seam: the observer is called on the dialog's thread once the dialog is up and its
// controls are filled, from inside its modal loop, so a test can drive it through messages.
namespace settings_dialog_seam {
using Observer = void (*)(HWND dialog, void* context);
void SetObserver(Observer observer, void* context);
}  // namespace settings_dialog_seam

}  // namespace qv
