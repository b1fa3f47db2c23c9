// The program's message box: centring rule, buttons and answers by type, and layout.
#include "ui/MessageBox.h"

#include <algorithm>

#include "resource.h"
#include "ui/DialogBase.h"
#include "ui/MCMain.h"
#include "ui/ModalSeam.h"
#include "ui/StyledControls.h"

namespace qv::ui {

namespace {

constexpr std::size_t kCentreLimit = 76;  // a line this long or longer leaves the text unchanged
constexpr std::size_t kCentreWidth = 80;
constexpr int kButtonFont = 1;
constexpr int kTextFont = 1;

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

// The buttons of the row: the type's answers, then the action button when there is one.
std::vector<MessageButton> RowButtons(int type, const MessageAction* action) {
    std::vector<MessageButton> buttons = MessageButtons(type);
    if (action != nullptr) {
        buttons.push_back({IDC_MESSAGE_ACTION, action->label.c_str(), 0});
    }
    return buttons;
}

// Hides the buttons the type does not use, labels the others and makes the first the default.
void SetUpButtons(MCMain* module, HWND dialog, int type, const MessageAction* action) {
    const std::vector<MessageButton> buttons = RowButtons(type, action);
    for (int id : {IDOK, IDCANCEL, IDNO, IDC_MESSAGE_ACTION}) {
        ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
    }
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
void LayOut(HWND dialog, const std::string& text, int type, const MessageAction* action) {
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
    const std::vector<MessageButton> buttons = RowButtons(type, action);
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

// Dialog 175 showing one text: laid out for its text and type on opening, closed by a button
// that gives an answer.
class MessageDialog : public DialogBase {
  public:
    MessageDialog(MCMain* module, const ModalShown& shown, const MessageAction* action)
        : m_module(module), m_shown(shown), m_action(action) {}

    INT_PTR Run(HWND parent) {
        return RunModal(GetModuleHandleA(nullptr), IDD_MESSAGE_BOX, parent, ModalKind::Message);
    }

  private:
    bool OnInit() override {
        SetWindowTextA(Handle(), m_shown.title.c_str());
        HWND textControl = GetDlgItem(Handle(), IDC_MESSAGE_TEXT);
        if (m_module != nullptr && m_module->GetFont(kTextFont) != nullptr) {
            SendMessageA(textControl, WM_SETFONT, reinterpret_cast<WPARAM>(m_module->GetFont(kTextFont)), FALSE);
        }
        SetWindowTextA(textControl, m_shown.displayed.c_str());
        SetUpButtons(m_module, Handle(), m_shown.type, m_action);
        LayOut(Handle(), m_shown.displayed, m_shown.type, m_action);
        return false;  // the focus went to the first button
    }
    bool OnCommand(int id, int code) override {
        if (id == IDC_MESSAGE_ACTION && code == BN_CLICKED && m_action != nullptr && m_action->run) {
            m_action->run();
            return true;
        }
        const int answer = MessageAnswer(m_shown.type, id);
        if (answer != 0 && code == BN_CLICKED) {  // buttons, Enter and Escape
            End(answer);
        }
        return true;
    }

    MCMain* m_module;
    const ModalShown& m_shown;
    const MessageAction* m_action;
};

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

int ShowMessage(MCMain* module, HWND parent, const char* text, const char* caption, int type) {
    return ShowMessage(module, parent, text, caption, type, MessageAction{});
}

int ShowMessage(MCMain* module, HWND parent, const char* text, const char* caption, int type,
                const MessageAction& action) {
    const MessageAction* withAction = action.label.empty() ? nullptr : &action;
    ModalShown shown;
    shown.kind = ModalKind::Message;
    shown.text = text != nullptr ? text : "";
    shown.displayed = CenterFirstLine(shown.text);
    if (caption != nullptr) {
        shown.title = caption;
    } else {
        shown.title = module != nullptr && !module->Title().empty() ? module->Title() : std::string(kAppTitle);
    }
    shown.type = NormalisedType(type);
    shown.action = action.label;
    shown.scripted = ModalSeam::Get().TakeAnswer(&shown.answer);
    if (!shown.scripted) {
        const INT_PTR answer = MessageDialog(module, shown, withAction).Run(parent);
        shown.answer.result =
            answer > 0 ? static_cast<int>(answer) : ShowSystemBox(parent, shown.displayed, shown.title, shown.type);
    }
    ModalSeam::Get().Record(shown);
    return shown.answer.result;
}

}  // namespace qv::ui
