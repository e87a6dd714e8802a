// The phone library's start and the interface switch, on the library's side: which mode it
// runs in, whether it started, and the stored InterfaceMode. The window mirrors the mode in
// its menu checks and status icon.
#pragma once

#include <atomic>
#include <cstdint>

#include "base/prompts.h"
#include "base/settings_store.h"
#include "phone/pst_library.h"

namespace velmora {

class LibrarySession {
public:
    LibrarySession(PstLibrary& library, SettingsStore& userSettings, Prompts& prompts,
                   PstNotificationSink& window);

    // Reads InterfaceMode (1 USB, 2 RS232, anything else USB), then initialises the library.
    // A non-zero result clears library ready silently; an exception clears it with a message.
    void Start();
    // Re-initialises in the new mode and stores it. Library ready stays as it was.
    void SwitchInterface(std::int32_t mode);

    bool LibraryReady() const { return m_libraryReady.load(); }
    std::int32_t InterfaceMode() const { return m_mode.load(); }
    std::int32_t Rs232Flag() const { return m_mode.load() == kInterfaceRs232 ? 1 : 0; }

private:
    void Initialize(bool atStartup);

    PstLibrary& m_library;
    SettingsStore& m_userSettings;
    Prompts& m_prompts;
    PstNotificationSink& m_window;
    std::atomic<bool> m_libraryReady{true};
    std::atomic<std::int32_t> m_mode{kInterfaceUsb};
};

}  // namespace velmora
