#include "fsac/phone_session.h"

#include "phone/phone_control.h"

namespace velmora {

PhoneSession::PhoneSession(PstLibrary& library, SessionWindow& window, Prompts& prompts)
    : m_library(library),
      m_window(window),
      m_prompts(prompts),
      m_poll(library, window, [this] { ReadPhone(); }) {}

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

void PhoneSession::ReadPhone() {
    if (!m_window.SelectedDevice()) {
        ReportChannelFailure({kStrDeviceNotSelected, kTitleVelmora}, kStatusMessagePart, m_window,
                             m_prompts);
        return;
    }
    auto commands = Commands();
    commands.FileSystemFlagCheck();
    commands.VolumeQuery();
    QueryPhoneModel(m_library, m_window, m_prompts);
    commands.VersionDisplay();
    commands.FreeSpaceQuery('a');
}

}  // namespace velmora
