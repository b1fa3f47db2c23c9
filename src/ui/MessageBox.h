// The program's message box (dialog 175), through which every message of the program goes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qv::ui {

class MCMain;

// Box types and the answers their buttons give (the system's values).
inline constexpr int kMessageOk = 0;           // "OK" answers kAnswerCancel
inline constexpr int kMessageOkCancel = 1;     // "OK", "Cancel"
inline constexpr int kMessageYesNoCancel = 3;  // "Yes", "No", "Cancel"
inline constexpr int kMessageYesNo = 4;        // "Yes", "No"

inline constexpr int kAnswerOk = IDOK;
inline constexpr int kAnswerCancel = IDCANCEL;
inline constexpr int kAnswerYes = IDYES;
inline constexpr int kAnswerNo = IDNO;

// Shows `text` in the program's modal box over `parent` (may be null) and returns the answer.
// `module` gives the box its fonts, restyled buttons and, for a null caption, its title; a null
// module shows plain controls and the application title. A type other than 1, 3 or 4 shows
// type 0. The box goes through the modal seam (ModalSeam.h).
int ShowMessage(MCMain* module, HWND parent, const char* text, const char* caption, int type);

// A button after the answers that acts without closing the box (the "Browse" of a question
// about a folder). The seam logs its label with the box.
struct MessageAction {
    std::string label;
    std::function<void()> run;
};
int ShowMessage(MCMain* module, HWND parent, const char* text, const char* caption, int type,
                const MessageAction& action);

// The text as the box shows it: when every line is shorter than 76 characters, the first line
// gets (80 - its length) / 2 blanks before and after it. Lines end at '\n' (a '\r' before it is
// not counted); characters are UTF-8 characters, not bytes.
std::string CenterFirstLine(const std::string& text);

// One button of a box: its control id in dialog 175, its label and the answer it gives.
struct MessageButton {
    int id;
    const char* label;
    int answer;
};

// The buttons a type shows, left to right (a type other than 1, 3 or 4 shows type 0's).
std::vector<MessageButton> MessageButtons(int type);

// The answer for a command from the box (a button or Escape's IDCANCEL), or 0 when the type has
// no such answer and the box stays open (Escape in a Yes/No box).
int MessageAnswer(int type, int commandId);

}  // namespace qv::ui
