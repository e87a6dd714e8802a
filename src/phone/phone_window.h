// What phone commands need of the main window: the library state, the selected device and
// the status bar. The window implements it; commands on worker threads call it too.
#pragma once

#include <cstdint>
#include <optional>

#include "base/status_sink.h"

namespace velmora {

class PhoneWindow : public StatusSink {
public:
    virtual bool LibraryReady() const = 0;
    // 1 exactly when the interface mode is RS232: what the test-command initialisation takes.
    virtual std::int32_t Rs232Flag() const = 0;
    // The item data of the selected device-list entry; nothing when none is selected.
    virtual std::optional<std::uint16_t> SelectedDevice() const = 0;
};

}  // namespace velmora
