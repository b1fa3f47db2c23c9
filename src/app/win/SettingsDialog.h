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
// The modal windows' seam sees the dialog once it is up and filled (ui/ModalSeam.h).
bool ShowSettingsDialog(HWND parent, Settings& settings, ui::MCMain* ui);

}  // namespace qv
