// The process-wide seam of the shell dialogs and of ShellExecute.
#include "shell/win/ShellSeam.h"

namespace qv::shell {

Seam& Seam::Get() {
    static Seam seam;
    return seam;
}

void Seam::QueueAnswer(DialogAnswer answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(std::move(answer));
}

void Seam::InterceptExecute(bool on) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_intercept = on;
}

std::vector<DialogRequest> Seam::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

std::vector<ExecuteCall> Seam::Executed() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_executed;
}

void Seam::Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.clear();
    m_requests.clear();
    m_executed.clear();
    m_intercept = false;
}

bool Seam::TakeAnswer(const DialogRequest& request, DialogAnswer* answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.push_back(request);
    if (m_answers.empty()) {
        return false;
    }
    *answer = std::move(m_answers.front());
    m_answers.pop_front();
    return true;
}

bool Seam::InterceptedExecute(const char* verb, const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_intercept) {
        return false;
    }
    m_executed.push_back({verb != nullptr ? verb : "", path});
    return true;
}

}  // namespace qv::shell
