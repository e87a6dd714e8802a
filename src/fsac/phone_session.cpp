#include "fsac/phone_session.h"

#include "phone/phone_control.h"

namespace velmora {

PhoneSession::PhoneSession(PstLibrary& library, SessionWindow& window, Prompts& prompts)
    : m_library(library),
      m_window(window),
      m_prompts(prompts),
      m_poll(library, window, [this] { ReadPhoneQuietly(); }) {}

void PhoneSession::Restart() {
    RestartPhone(m_library, m_window, m_prompts);
}

void PhoneSession::Suspend() {
    SuspendPhone(m_library, m_window, m_prompts);
}

void PhoneSession::DecorateRoot() {
    QueryPhoneModel(m_library, m_window, m_prompts);
    Commands().VersionDisplay();
}

void PhoneSession::ReadPhone(Prompts& prompts) {
    if (!m_window.SelectedDevice()) {
        ReportChannelFailure({kStrDeviceNotSelected, kTitleVelmora}, kStatusMessagePart, m_window,
                             prompts);
        return;
    }
    VolumeCommands commands{m_library, m_window, prompts, m_state};
    commands.FileSystemFlagCheck();
    commands.VolumeQuery();
    QueryPhoneModel(m_library, m_window, prompts);
    commands.VersionDisplay();
    commands.FreeSpaceQuery('a');
}

namespace {

// Takes the boxes of commands nobody clicked for: none is shown, and the first text is kept
// for the status bar.
class StatusBarPrompts final : public Prompts {
  public:
    PromptAnswer MessageBox(const MessageBoxRequest& request) override {
        if (m_first.empty()) m_first = request.text;
        return request.buttons == PromptButtons::YesNo      ? PromptAnswer::No
               : request.buttons == PromptButtons::OkCancel ? PromptAnswer::Cancel
                                                            : PromptAnswer::Ok;
    }
    std::optional<std::string> SaveFile(const SaveFileRequest&) override { return std::nullopt; }
    std::vector<std::string> OpenFiles(const OpenFilesRequest&) override { return {}; }
    ConflictAnswer AskConflict(const ConflictRequest&) override { return {}; }
    const std::string& First() const { return m_first; }

  private:
    std::string m_first;
};

}  // namespace

void PhoneSession::ReadPhoneQuietly() {
    // No phone at all: nothing to read, and nothing to pick either.
    if (m_poll.DeviceCount() == 0) return;
    StatusBarPrompts quiet;
    ReadPhone(quiet);
    // Over the "Operation failed!!!" that follows each report: the reason itself.
    if (!quiet.First().empty()) m_window.SetStatusText(kStatusMessagePart, quiet.First());
}

}  // namespace velmora
