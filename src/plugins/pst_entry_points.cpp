// The C functions of <velmora/pst.h> over the library's PstPlugin: arguments checked and
// turned into the port's types, and no exception let through.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include <velmora/pst.h>

#include <algorithm>
#include <iostream>
#include <limits>
#include <mutex>
#include <span>
#include <utility>

#include "base/lang_string.h"
#include "plugins/pst_plugin.h"

namespace velmora {
namespace {

constexpr std::int32_t kFailure = 1;

// Hands the port's notification to the callback the last initialisation registered.
class CallbackSink final : public PstNotificationSink {
  public:
    void Set(PstDeviceListChanged callback, void* user) {
        std::lock_guard lock(m_mutex);
        m_callback = callback;
        m_user = user;
    }
    void OnDeviceListChanged() override {
        PstDeviceListChanged callback = nullptr;
        void* user = nullptr;
        {
            std::lock_guard lock(m_mutex);
            callback = m_callback;
            user = m_user;
        }
        if (callback) callback(user);
    }

  private:
    std::mutex m_mutex;
    PstDeviceListChanged m_callback = nullptr;
    void* m_user = nullptr;
};

struct PluginState {
    std::mutex mutex;
    bool configured = false;
    std::shared_ptr<PstLibrary> library;  // a call holds its own reference while it runs
    CallbackSink sink;
};

// Never destroyed: a worker of the program may still be inside the library at exit.
PluginState& State() {
    static auto* state = new PluginState;
    return *state;
}

PstPluginHost StandInHost() {
    return {[](const char*) { return std::optional<std::string>(); },
            [](const std::string& format, const std::vector<std::string>& args) {
                std::cerr << ThePstPlugin().Name() << ": " << FormatWithArgs(format, args) << '\n';
            }};
}

PstPluginHost HostOf(const PstHost& host) {
    return {[host](const char* name) -> std::optional<std::string> {
                const char* text = host.configText ? host.configText(host.user, name) : nullptr;
                return text ? std::optional<std::string>(text) : std::nullopt;
            },
            [host](const std::string& format, const std::vector<std::string>& args) {
                if (!host.message) return;
                std::vector<const char*> texts;
                for (const std::string& arg : args) texts.push_back(arg.c_str());
                host.message(host.user, format.c_str(), texts.data(),
                             static_cast<std::int32_t>(texts.size()));
            }};
}

// The library the calls go to; a program that never configured it gets the stand-in host's.
std::shared_ptr<PstLibrary> Current() {
    PluginState& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.configured) {
        state.library = ThePstPlugin().Create(StandInHost());
        state.configured = true;
    }
    return state.library;
}

template <typename Call>
std::int32_t Guarded(Call call) noexcept {
    try {
        std::shared_ptr<PstLibrary> library = Current();
        return library ? call(*library) : kFailure;
    } catch (...) {
        return kFailure;
    }
}

}  // namespace
}  // namespace velmora

using velmora::Guarded;
using velmora::kFailure;
using velmora::PstLibrary;

extern "C" {

PST_API uint32_t PSTInterfaceVersion(void) {
    return PST_INTERFACE_VERSION;
}

PST_API const PstConfigValue* PSTConfigValues(void) {
    return velmora::ThePstPlugin().ConfigValues();
}

PST_API void PSTConfigure(const PstHost* host) {
    try {
        velmora::PluginState& state = velmora::State();
        std::shared_ptr<PstLibrary> old;
        std::lock_guard lock(state.mutex);
        // Whatever the old library still says goes nowhere; it goes when its last call returns.
        state.sink.Set(nullptr, nullptr);
        old = std::move(state.library);
        state.library =
            velmora::ThePstPlugin().Create(host ? velmora::HostOf(*host) : velmora::StandInHost());
        state.configured = true;
    } catch (...) {
    }
}

PST_API int32_t PSTInitializeEx(int32_t interfaceMode, PstDeviceListChanged onChange, void* user) {
    return Guarded([&](PstLibrary& library) {
        velmora::CallbackSink& sink = velmora::State().sink;
        sink.Set(onChange, user);
        return library.PSTInitializeEx(interfaceMode, onChange ? &sink : nullptr);
    });
}

PST_API int32_t PSTUninitialize(void) {
    return Guarded([](PstLibrary& library) { return library.PSTUninitialize(); });
}

PST_API int32_t PSTGetDeviceList(uint16_t* devices, int32_t capacity, int32_t* count) {
    if (count == nullptr || capacity < 0 || (capacity > 0 && devices == nullptr)) return kFailure;
    return Guarded([&](PstLibrary& library) {
        std::vector<std::uint16_t> ids;
        const std::int32_t rc = library.PSTGetDeviceList(ids);
        if (rc != 0) return rc;
        if (ids.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
            return kFailure;
        }
        std::copy_n(ids.begin(), std::min(ids.size(), static_cast<std::size_t>(capacity)), devices);
        *count = static_cast<int32_t>(ids.size());
        return 0;
    });
}

PST_API int32_t PSTGetInterfaceHandle(uint32_t deviceId, const char* interfaceName,
                                      uint32_t* handle) {
    if (interfaceName == nullptr || handle == nullptr) return kFailure;
    return Guarded([&](PstLibrary& library) {
        std::uint32_t value = 0;
        const std::int32_t rc = library.PSTGetInterfaceHandle(deviceId, interfaceName, value);
        if (rc == 0) *handle = value;
        return rc;
    });
}

PST_API int32_t PSTTestCmdInit(uint16_t deviceId, int32_t rs232) {
    return Guarded([&](PstLibrary& library) { return library.PSTTestCmdInit(deviceId, rs232); });
}

PST_API int32_t PSTSendCommand(uint32_t deviceId, uint32_t handle, const char* command,
                               const uint8_t* request, int32_t requestLength, uint8_t* reply,
                               int32_t replyCapacity, int32_t* replyLength, uint16_t deviceId16) {
    if (replyLength == nullptr) return kFailure;
    *replyLength = 0;
    if (requestLength < 0 || replyCapacity < 0 || (requestLength > 0 && request == nullptr) ||
        (replyCapacity > 0 && reply == nullptr)) {
        return kFailure;
    }
    return Guarded([&](PstLibrary& library) {
        std::int32_t length = 0;
        const std::int32_t rc = library.PSTSendCommand(
            deviceId, handle, command,
            std::span<const std::uint8_t>(request, static_cast<std::size_t>(requestLength)),
            std::span<std::uint8_t>(reply, static_cast<std::size_t>(replyCapacity)), length,
            deviceId16);
        *replyLength = length;
        return rc;
    });
}

}  // extern "C"
