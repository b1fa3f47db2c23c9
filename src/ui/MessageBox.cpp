// The program's message box: centring rule, buttons and answers by type, layout, and the seam.
#include "ui/MessageBox.h"

#include <algorithm>
#include <deque>
#include <mutex>

#include "resource.h"
#include "ui/MCMain.h"
#include "ui/StyledControls.h"

namespace qv::ui {

namespace {

constexpr std::size_t kCentreLimit = 76;  // a line this long or longer leaves the text unchanged
constexpr std::size_t kCentreWidth = 80;
constexpr int kButtonFont = 1;
constexpr int kTextFont = 1;

// Everything a box needs while it is open.
struct BoxState {
    const std::string* displayed;
    const std::string* caption;
    int type;
};

struct Seam {
    std::mutex mutex;
    bool recording = false;
    std::deque<int> answers;
    std::vector<ShownMessage> shown;
    message_seam::Observer observer = nullptr;
    void* observerContext = nullptr;
};

Seam& TheSeam() {
    static Seam seam;
    return seam;
}

std::size_t CountCharacters(const std::string& text, std::size_t begin, std::size_t end) {
    std::size_t count = 0;
    for (std::size_t i = begin; i < end; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {  // not a continuation byte
            ++count;
        }
    }
    return count;
}

// [begin, end) of each line without its line break and without a '\r' before it.
std::vector<std::pair<std::size_t, std::size_t>> SplitLines(const std::string& text) {
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    std::size_t begin = 0;
    while (true) {
        const std::size_t lineBreak = text.find('\n', begin);
        std::size_t end = lineBreak == std::string::npos ? text.size() : lineBreak;
        const std::size_t next = end + 1;
        if (end > begin && text[end - 1] == '\r') {
            --end;
        }
        lines.emplace_back(begin, end);
        if (lineBreak == std::string::npos) {
            return lines;
        }
        begin = next;
    }
}

int NormalisedType(int type) {
    return type == kMessageOkCancel || type == kMessageYesNoCancel || type == kMessageYesNo ? type : kMessageOk;
}

std::string DefaultCaption() {
    const MCMain* module = MCMain::Current();
    return module != nullptr && !module->Title().empty() ? module->Title() : std::string(kAppTitle);
}

// Takes a queued answer; false when none is queued.
bool TakeScriptedAnswer(int* answer) {
    Seam& seam = TheSeam();
    std::lock_guard<std::mutex> lock(seam.mutex);
    if (seam.answers.empty()) {
        return false;
    }
    *answer = seam.answers.front();
    seam.answers.pop_front();
    return true;
}

void Record(ShownMessage message) {
    Seam& seam = TheSeam();
    std::lock_guard<std::mutex> lock(seam.mutex);
    if (seam.recording) {
        seam.shown.push_back(std::move(message));
    }
}

void NotifyObserver(HWND box) {
    message_seam::Observer observer = nullptr;
    void* context = nullptr;
    {
        Seam& seam = TheSeam();
        std::lock_guard<std::mutex> lock(seam.mutex);
        observer = seam.observer;
        context = seam.observerContext;
    }
    if (observer != nullptr) {
        observer(box, context);
    }
}

RECT ChildRect(HWND dialog, int id) {
    RECT rect = {};
    HWND child = GetDlgItem(dialog, id);
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE MeasureText(HWND control, const std::string& text, int widthLimit) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT rect = {0, 0, widthLimit, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// Hides the buttons the type does not use, labels the others and makes the first the default.
void SetUpButtons(HWND dialog, int type) {
    const std::vector<MessageButton> buttons = MessageButtons(type);
    for (int id : {IDOK, IDCANCEL, IDNO}) {
        ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
    }
    MCMain* module = MCMain::Current();
    for (const MessageButton& button : buttons) {
        HWND control = GetDlgItem(dialog, button.id);
        SetWindowTextA(control, button.label);
        ShowWindow(control, SW_SHOW);
        if (module != nullptr) {
            StyleButton(*module, dialog, button.id, nullptr, kButtonFont);
        }
    }
    SendMessageA(dialog, DM_SETDEFID, buttons.front().id, 0);
    SetFocus(GetDlgItem(dialog, buttons.front().id));
    if (MessageAnswer(type, IDCANCEL) == 0) {
        // No cancel answer: the close box would do nothing, so it is greyed as in the system's box.
        EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    }
}

// Sizes the box to its text and its button row, then centres it on its parent (or the screen).
void LayOut(HWND dialog, const std::string& text, int type) {
    HWND textControl = GetDlgItem(dialog, IDC_MESSAGE_TEXT);
    const RECT buttonRect = ChildRect(dialog, IDOK);
    const RECT textRect = ChildRect(dialog, IDC_MESSAGE_TEXT);
    RECT gapRect = {0, 0, 6, 7};
    MapDialogRect(dialog, &gapRect);
    const int margin = textRect.left;
    const int buttonWidth = buttonRect.right - buttonRect.left;
    const int buttonHeight = buttonRect.bottom - buttonRect.top;
    const int buttonGap = gapRect.right;

    RECT workArea = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    const SIZE textSize = MeasureText(textControl, text, (workArea.right - workArea.left) * 3 / 4);
    const std::vector<MessageButton> buttons = MessageButtons(type);
    const int count = static_cast<int>(buttons.size());
    const int rowWidth = count * buttonWidth + (count - 1) * buttonGap;
    const int clientWidth = std::max<int>(textSize.cx, rowWidth) + 2 * margin;
    const int rowTop = margin + textSize.cy + gapRect.bottom;
    const int clientHeight = rowTop + buttonHeight + margin;

    MoveWindow(textControl, (clientWidth - textSize.cx) / 2, margin, textSize.cx, textSize.cy, FALSE);
    int x = (clientWidth - rowWidth) / 2;
    for (const MessageButton& button : buttons) {
        MoveWindow(GetDlgItem(dialog, button.id), x, rowTop, buttonWidth, buttonHeight, FALSE);
        x += buttonWidth + buttonGap;
    }

    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, GetWindowLongA(dialog, GWL_STYLE), FALSE, GetWindowLongA(dialog, GWL_EXSTYLE));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT around = workArea;
    HWND parent = GetParent(dialog);
    if (parent != nullptr && IsWindowVisible(parent)) {
        GetWindowRect(parent, &around);
    }
    int left = (around.left + around.right - width) / 2;
    int top = (around.top + around.bottom - height) / 2;
    left = std::max<int>(workArea.left, std::min<int>(left, workArea.right - width));
    top = std::max<int>(workArea.top, std::min<int>(top, workArea.bottom - height));
    SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK BoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto* state = reinterpret_cast<const BoxState*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, static_cast<LONG_PTR>(state->type));
            SetWindowTextA(dialog, state->caption->c_str());
            HWND textControl = GetDlgItem(dialog, IDC_MESSAGE_TEXT);
            if (const MCMain* module = MCMain::Current(); module != nullptr && module->GetFont(kTextFont) != nullptr) {
                SendMessageA(textControl, WM_SETFONT, reinterpret_cast<WPARAM>(module->GetFont(kTextFont)), FALSE);
            }
            SetWindowTextA(textControl, state->displayed->c_str());
            SetUpButtons(dialog, state->type);
            LayOut(dialog, *state->displayed, state->type);
            NotifyObserver(dialog);
            return FALSE;  // the focus went to the first button
        }
        case WM_COMMAND: {
            const int type = static_cast<int>(GetWindowLongPtrA(dialog, DWLP_USER));
            const int answer = MessageAnswer(type, LOWORD(wParam));
            if (answer != 0 && HIWORD(wParam) == BN_CLICKED) {  // buttons, Enter and Escape
                EndDialog(dialog, answer);
            }
            return TRUE;
        }
        default:
            return FALSE;
    }
}

// The system's box, for when dialog 175 cannot be shown (no resources linked in).
int ShowSystemBox(HWND parent, const std::string& text, const std::string& caption, int type) {
    const UINT flags = type == kMessageOkCancel      ? MB_OKCANCEL
                       : type == kMessageYesNoCancel ? MB_YESNOCANCEL
                       : type == kMessageYesNo       ? MB_YESNO
                                                     : MB_OK;
    const int answer = MessageBoxA(parent, text.c_str(), caption.c_str(), flags);
    return type == kMessageOk ? kAnswerCancel : answer;
}

}  // namespace

std::string CenterFirstLine(const std::string& text) {
    const auto lines = SplitLines(text);
    std::size_t longest = 0;
    for (const auto& [begin, end] : lines) {
        longest = std::max(longest, CountCharacters(text, begin, end));
    }
    if (longest >= kCentreLimit) {
        return text;
    }
    const auto [begin, end] = lines.front();
    const std::string blanks((kCentreWidth - CountCharacters(text, begin, end)) / 2, ' ');
    return blanks + text.substr(0, end) + blanks + text.substr(end);
}

std::vector<MessageButton> MessageButtons(int type) {
    switch (NormalisedType(type)) {
        case kMessageOkCancel:
            return {{IDOK, "OK", kAnswerOk}, {IDCANCEL, "Cancel", kAnswerCancel}};
        case kMessageYesNoCancel:
            return {{IDOK, "Yes", kAnswerYes}, {IDNO, "No", kAnswerNo}, {IDCANCEL, "Cancel", kAnswerCancel}};
        case kMessageYesNo:
            return {{IDOK, "Yes", kAnswerYes}, {IDNO, "No", kAnswerNo}};
        default:
            return {{IDOK, "OK", kAnswerCancel}};
    }
}

int MessageAnswer(int type, int commandId) {
    const std::vector<MessageButton> buttons = MessageButtons(type);
    for (const MessageButton& button : buttons) {
        if (button.id == commandId) {
            return button.answer;
        }
    }
    // Escape (IDCANCEL) gives the cancel answer wherever one of the buttons gives it.
    const bool offersCancel = std::any_of(buttons.begin(), buttons.end(),
                                          [](const MessageButton& button) { return button.answer == kAnswerCancel; });
    return commandId == IDCANCEL && offersCancel ? kAnswerCancel : 0;
}

int ShowMessage(HWND parent, const char* text, const char* caption, int type) {
    ShownMessage shown;
    shown.text = text != nullptr ? text : "";
    shown.displayed = CenterFirstLine(shown.text);
    shown.caption = caption != nullptr ? caption : DefaultCaption();
    shown.type = NormalisedType(type);
    shown.scripted = TakeScriptedAnswer(&shown.answer);
    if (!shown.scripted) {
        BoxState state = {&shown.displayed, &shown.caption, shown.type};
        const INT_PTR answer = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MESSAGE_BOX), parent,
                                               &BoxProc, reinterpret_cast<LPARAM>(&state));
        shown.answer =
            answer > 0 ? static_cast<int>(answer) : ShowSystemBox(parent, shown.displayed, shown.caption, shown.type);
    }
    const int answer = shown.answer;
    Record(std::move(shown));
    return answer;
}

namespace message_seam {

void Begin() {
    Seam& seam = TheSeam();
    std::lock_guard<std::mutex> lock(seam.mutex);
    seam.recording = true;
    seam.answers.clear();
    seam.shown.clear();
}

void End() {
    Seam& seam = TheSeam();
    std::lock_guard<std::mutex> lock(seam.mutex);
    seam.recording = false;
    seam.answers.clear();
    seam.shown.clear();
    seam.observer = nullptr;
    seam.observerContext = nullptr;
}

void QueueAnswer(int answer) {
    Seam& seam = TheSeam();
    std::lock_guard<std::mutex> lock(seam.mutex);
    seam.answers.push_back(answer);
}

std::vector<ShownMessage> Shown() {
    Seam& seam = TheSeam();
    std::lock_guard<std::mutex> lock(seam.mutex);
    return seam.shown;
}

void SetObserver(Observer observer, void* context) {
    Seam& seam = TheSeam();
    std::lock_guard<std::mutex> lock(seam.mutex);
    seam.observer = observer;
    seam.observerContext = context;
}

}  // namespace message_seam

}  // namespace qv::ui
