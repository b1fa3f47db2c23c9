// Restyled dialog controls: owner-drawn buttons, labels, check boxes and background bitmaps in
// the module's fonts and colours, each with an optional tool tip.
//
// A dialog restyles its controls once, in WM_INITDIALOG. The drawing happens in a subclass of
// the dialog that the first restyled control installs; it answers WM_DRAWITEM and the colour
// messages for the restyled controls only and leaves everything else to the dialog. Each
// function returns the control, or null when the dialog has no control with that id (then it
// does nothing).
#pragma once

#include <windows.h>

namespace qv::ui {

class MCMain;

// Owner-drawn button with a square frame, the button face and the button text colours.
HWND StyleButton(MCMain& ui, HWND dialog, int id, const char* tip, int font);
// Owner-drawn button with curved corners; `textColour` CLR_INVALID keeps the button text colour.
HWND StylePushButton(MCMain& ui, HWND dialog, int id, const char* tip, int font, COLORREF textColour = CLR_INVALID);
// Static text in `font` and the button text colour, on `background` unless that is CLR_INVALID
// (then on the dialog's background).
HWND StyleLabel(MCMain& ui, HWND dialog, int id, const char* tip, int font, COLORREF background = CLR_INVALID);
// Check box or radio button in font 1 and the button text colour.
HWND StyleCheckBox(MCMain& ui, HWND dialog, int id, const char* tip);

}  // namespace qv::ui
