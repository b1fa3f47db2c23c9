// The process-wide seam of the modal windows.
#include "ui/ModalSeam.h"

namespace qv::ui {

ModalSeam& ModalSeam::Get() {
    static ModalSeam seam;
    return seam;
}

void ModalSeam::Begin() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_recording = true;
    m_answers.clear();
    m_shown.clear();
}

void ModalSeam::End() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_recording = false;
    m_answers.clear();
    m_shown.clear();
    m_up = nullptr;
    m_text = nullptr;
}

void ModalSeam::QueueAnswer(ModalAnswer answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(std::move(answer));
}

std::vector<ModalShown> ModalSeam::Shown() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shown;
}

void ModalSeam::OnWindowUp(UpHook hook) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_up = std::move(hook);
}

void ModalSeam::OnTextShown(TextHook hook) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_text = std::move(hook);
}

bool ModalSeam::Recording() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_recording;
}

bool ModalSeam::TakeAnswer(ModalAnswer* answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_answers.empty()) {
        return false;
    }
    *answer = std::move(m_answers.front());
    m_answers.pop_front();
    return true;
}

void ModalSeam::Record(const ModalShown& shown) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_recording) {
        m_shown.push_back(shown);
    }
}

// The hooks run outside the lock: they may show windows that use the seam themselves.
void ModalSeam::WindowUp(HWND window, ModalKind kind) {
    UpHook hook;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        hook = m_up;
    }
    if (hook) {
        hook(window, kind);
    }
}

void ModalSeam::TextShown(HWND window, const std::string& text) {
    TextHook hook;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_text) {
            return;
        }
        hook = m_text;
    }
    hook(window, text);
}

namespace {

// The items of a popup menu one a line, all of them (a separator as an empty line) or only the
// grayed ones.
std::string MenuItems(HMENU menu, bool grayedOnly) {
    std::string items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (grayedOnly && ((state & MF_GRAYED) == 0 || (state & MF_SEPARATOR) != 0)) {
            continue;
        }
        char text[128] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        items.append(text).push_back('\n');
    }
    return items;
}

}  // namespace

int TrackPopup(HMENU menu, POINT screen, HWND owner) {
    ModalSeam& seam = ModalSeam::Get();
    ModalShown shown;
    shown.kind = ModalKind::PopupMenu;
    shown.scripted = seam.TakeAnswer(&shown.answer);
    if (seam.Recording()) {
        shown.text = MenuItems(menu, false);
        shown.displayed = MenuItems(menu, true);
    }
    if (!shown.scripted) {
        // A menu only closes on a click elsewhere when its owner's top window is in the foreground.
        SetForegroundWindow(GetAncestor(owner, GA_ROOT));
        shown.answer.result = static_cast<int>(TrackPopupMenu(
            menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, 0, owner, nullptr));
    }
    seam.Record(shown);
    return shown.answer.result;
}

}  // namespace qv::ui
