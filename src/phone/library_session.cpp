#include "phone/library_session.h"

#include "phone/open_channel.h"

namespace velmora {

namespace {

constexpr const char* kInterfaceModeValue = "InterfaceMode";
// Not a string-table text: the box has always shown it as it stands, without a full stop.
constexpr const char* kInitExceptionText = "Can't init phone interface. Command interface disabled";

}  // namespace

LibrarySession::LibrarySession(PstLibrary& library, SettingsStore& userSettings, Prompts& prompts,
                               PstNotificationSink& window)
    : m_library(library), m_userSettings(userSettings), m_prompts(prompts), m_window(window) {}

void LibrarySession::Start() {
    // Only an exact DWORD 2 selects RS232; a value of another type or range keeps USB.
    auto stored = m_userSettings.ReadDword(kInterfaceModeValue);
    m_mode.store(stored && *stored == static_cast<std::uint32_t>(kInterfaceRs232) ? kInterfaceRs232
                                                                                  : kInterfaceUsb);
    Initialize(true);
}

void LibrarySession::SwitchInterface(std::int32_t mode) {
    m_mode.store(mode == kInterfaceRs232 ? kInterfaceRs232 : kInterfaceUsb);
    Initialize(false);

    if (!m_userSettings.KeyExists()) m_userSettings.CreateKey();
    m_userSettings.Write(kInterfaceModeValue, static_cast<std::uint32_t>(m_mode.load()));
}

void LibrarySession::Initialize(bool atStartup) {
    bool raised = false;
    if (!atStartup) {
        // The old mode's result does not matter; the library is started again either way.
        try {
            m_library.PSTUninitialize();
        } catch (...) {
            raised = true;
        }
    }

    std::int32_t result = 0;
    try {
        result = m_library.PSTInitializeEx(m_mode.load(), &m_window);
    } catch (...) {
        raised = true;
    }

    // One box per attempt, even when both calls raised.
    if (raised) m_prompts.Message(kInitExceptionText, kTitleVelmora, PromptIcon::Stop);
    // Only the start decides whether commands run; a later switch leaves that as it was.
    if (atStartup && (raised || result != 0)) m_libraryReady.store(false);
}

}  // namespace velmora
