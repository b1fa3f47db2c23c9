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

}  // namespace qv::ui
