#include "transfer/job_window.h"

#include <utility>

namespace velmora {

PromptAnswer UnshownAnswer(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::YesNo:
            return PromptAnswer::No;
        case PromptButtons::OkCancel:
            return PromptAnswer::Cancel;
        case PromptButtons::Ok:
            break;
    }
    return PromptAnswer::Ok;
}

JobWindowProxy::JobWindowProxy(std::shared_ptr<UiThread> uiThread, JobWindow& window)
    : m_uiThread(std::move(uiThread)), m_window(&window) {}

void JobWindowProxy::Detach() {
    m_window.store(nullptr);
    m_gone.store(true);
}

bool JobWindowProxy::Call(const std::function<void()>& task) {
    if (m_gone.load()) return false;
    bool ran = false;  // written on the window's thread before Invoke returns
    const bool delivered = m_uiThread->Invoke([&] {
        // Checked again there: Detach may have come between the test above and this run.
        if (m_window.load() == nullptr) return;
        task();
        ran = true;
    });
    if (!delivered || !ran) m_gone.store(true);
    return ran;
}

void JobWindowProxy::EnableControls(bool enable, bool enableMenus) {
    Call([&] { m_window.load()->EnableControls(enable, enableMenus); });
}

void JobWindowProxy::SetStatusText(int part, const std::string& text) {
    Call([&] { m_window.load()->SetStatusText(part, text); });
}

void JobWindowProxy::SetOverallRange(std::int32_t total) {
    Call([&] { m_window.load()->SetOverallRange(total); });
}

void JobWindowProxy::SetOverallPosition(std::int32_t position) {
    Call([&] { m_window.load()->SetOverallPosition(position); });
}

void JobWindowProxy::ShowFileBar(bool show) {
    Call([&] { m_window.load()->ShowFileBar(show); });
}

void JobWindowProxy::SetFileRange(std::int32_t total) {
    Call([&] { m_window.load()->SetFileRange(total); });
}

void JobWindowProxy::SetFilePosition(std::int32_t position) {
    Call([&] { m_window.load()->SetFilePosition(position); });
}

PromptAnswer JobWindowProxy::MarshalledPrompts::MessageBox(const MessageBoxRequest& request) {
    PromptAnswer answer = UnshownAnswer(request.buttons);
    m_owner.Call([&] { answer = m_owner.m_window.load()->WindowPrompts().MessageBox(request); });
    return answer;
}

std::optional<std::string> JobWindowProxy::MarshalledPrompts::SaveFile(
    const SaveFileRequest& request) {
    std::optional<std::string> answer;
    m_owner.Call([&] { answer = m_owner.m_window.load()->WindowPrompts().SaveFile(request); });
    return answer;
}

std::vector<std::string> JobWindowProxy::MarshalledPrompts::OpenFiles(
    const OpenFilesRequest& request) {
    std::vector<std::string> answer;
    m_owner.Call([&] { answer = m_owner.m_window.load()->WindowPrompts().OpenFiles(request); });
    return answer;
}

void JobWindowProxy::MarshalledPhone::SetStatusText(int part, const std::string& text) {
    m_owner.Call([&] { m_owner.m_window.load()->WindowPhone().SetStatusText(part, text); });
}

void JobWindowProxy::MarshalledPhone::ShowWaitCursor() {
    m_owner.Call([&] { m_owner.m_window.load()->WindowPhone().ShowWaitCursor(); });
}

bool JobWindowProxy::MarshalledPhone::LibraryReady() const {
    bool ready = false;
    m_owner.Call([&] { ready = m_owner.m_window.load()->WindowPhone().LibraryReady(); });
    return ready;
}

std::int32_t JobWindowProxy::MarshalledPhone::Rs232Flag() const {
    std::int32_t flag = 0;
    m_owner.Call([&] { flag = m_owner.m_window.load()->WindowPhone().Rs232Flag(); });
    return flag;
}

std::optional<std::uint16_t> JobWindowProxy::MarshalledPhone::SelectedDevice() const {
    std::optional<std::uint16_t> device;
    m_owner.Call([&] { device = m_owner.m_window.load()->WindowPhone().SelectedDevice(); });
    return device;
}

}  // namespace velmora
