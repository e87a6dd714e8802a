// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "phone/loaded_pst.h"

#include <dlfcn.h>
#include <velmora/pst.h>

#include <limits>
#include <stdexcept>

namespace velmora {

namespace {

constexpr std::int32_t kFailure = 1;
// Device ids are 16-bit: a longer list repeats ids, and a library that says so is broken.
constexpr std::int32_t kMostDevices = 65536;
constexpr int kMostNeededValues = 256;

struct PstFunctions {
    PstInitializeExFn initialize = nullptr;
    PstUninitializeFn uninitialize = nullptr;
    PstGetDeviceListFn getDeviceList = nullptr;
    PstGetInterfaceHandleFn getInterfaceHandle = nullptr;
    PstTestCmdInitFn testCmdInit = nullptr;
    PstSendCommandFn sendCommand = nullptr;
    PstConfigureFn configure = nullptr;  // optional
};

template <typename Fn>
bool Find(void* handle, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(::dlsym(handle, name));
    return fn != nullptr;
}

// dlopen takes a name without a "/" as one to look up in the library path; pst.conf names a
// file, so such a name is one in the current folder, as the start-up check tested it.
std::string AsPath(const std::string& file) {
    return file.find('/') == std::string::npos ? "./" + file : file;
}

// The library, opened and of this interface version; nullptr with the reason otherwise.
void* OpenLibrary(const std::string& file, std::string& reason) {
    const std::string path = AsPath(file);
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = ::dlerror();
        reason = why ? why : "cannot be loaded";
        // dlerror names the file itself; the message names it once.
        if (reason.starts_with(path + ": ")) reason.erase(0, path.size() + 2);
        return nullptr;
    }
    PstInterfaceVersionFn version = nullptr;
    if (!Find(handle, "PSTInterfaceVersion", version)) {
        reason = "not a Velmora phone library (it has no PSTInterfaceVersion)";
        return nullptr;
    }
    if (const std::uint32_t built = version(); built != PST_INTERFACE_VERSION) {
        reason = "built for interface version " + std::to_string(built) +
                 "; this Velmora needs version " + std::to_string(PST_INTERFACE_VERSION);
        return nullptr;
    }
    return handle;
}

void DeviceListChanged(void* user) {
    static_cast<PstNotificationSink*>(user)->OnDeviceListChanged();
}

class LoadedPst final : public PstLibrary {
  public:
    explicit LoadedPst(const PstFunctions& functions) : m_fn(functions) {}

    std::int32_t PSTInitializeEx(std::int32_t interfaceMode, PstNotificationSink* window) override {
        return m_fn.initialize(interfaceMode, window ? &DeviceListChanged : nullptr, window);
    }
    std::int32_t PSTUninitialize() override { return m_fn.uninitialize(); }

    std::int32_t PSTGetDeviceList(std::vector<std::uint16_t>& devices) override {
        std::vector<std::uint16_t> ids(16);
        // A device attached between two asks can make the list longer again.
        for (int ask = 0; ask < 4; ++ask) {
            std::int32_t count = -1;
            const std::int32_t rc =
                m_fn.getDeviceList(ids.data(), static_cast<std::int32_t>(ids.size()), &count);
            if (rc != 0) return rc;
            if (count < 0 || count > kMostDevices) return kFailure;
            const bool whole = static_cast<std::size_t>(count) <= ids.size();
            ids.resize(static_cast<std::size_t>(count));
            if (whole) {
                devices = std::move(ids);
                return 0;
            }
        }
        return kFailure;
    }

    std::int32_t PSTGetInterfaceHandle(std::uint32_t deviceId, std::string interfaceName,
                                       std::uint32_t& handle) override {
        return m_fn.getInterfaceHandle(deviceId, interfaceName.c_str(), &handle);
    }

    std::int32_t PSTTestCmdInit(std::uint16_t deviceId, std::int32_t rs232) override {
        return m_fn.testCmdInit(deviceId, rs232);
    }

    std::int32_t PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle, const char* command,
                                std::span<const std::uint8_t> request,
                                std::span<std::uint8_t> reply, std::int32_t& replyLength,
                                std::uint16_t deviceId16) override {
        replyLength = 0;
        constexpr std::size_t kMost = std::numeric_limits<std::int32_t>::max();
        if (request.size() > kMost || reply.size() > kMost) return kFailure;
        return m_fn.sendCommand(deviceId, handle, command, request.data(),
                                static_cast<std::int32_t>(request.size()), reply.data(),
                                static_cast<std::int32_t>(reply.size()), &replyLength, deviceId16);
    }

  private:
    PstFunctions m_fn;
};

// Stands in for a library that could not be used: its start raises, which the window's start
// takes for the failed initialisation it tells the user about.
class RefusedPst final : public PstLibrary {
  public:
    explicit RefusedPst(std::string reason) : m_reason(std::move(reason)) {}

    std::int32_t PSTInitializeEx(std::int32_t, PstNotificationSink*) override {
        throw std::runtime_error(m_reason);
    }
    std::int32_t PSTUninitialize() override { throw std::runtime_error(m_reason); }
    std::int32_t PSTGetDeviceList(std::vector<std::uint16_t>&) override { return kFailure; }
    std::int32_t PSTGetInterfaceHandle(std::uint32_t, std::string, std::uint32_t&) override {
        return kFailure;
    }
    std::int32_t PSTTestCmdInit(std::uint16_t, std::int32_t) override { return kFailure; }
    std::int32_t PSTSendCommand(std::uint32_t, std::uint32_t, const char*,
                                std::span<const std::uint8_t>, std::span<std::uint8_t>,
                                std::int32_t& replyLength, std::uint16_t) override {
        replyLength = 0;
        return kFailure;
    }

  private:
    std::string m_reason;
};

// What PSTConfigure's host functions reach; they run inside that call only.
struct ConfigureContext {
    const PstConfigLookup& config;
    std::string text;  // the last value handed out, valid until the next
    std::vector<PstLibraryMessage> messages;
};

// Nothing may unwind into the library.
const char* ConfigText(void* user, const char* name) noexcept {
    try {
        auto& context = *static_cast<ConfigureContext*>(user);
        std::optional<std::string> value = name ? context.config(name) : std::nullopt;
        if (!value) return nullptr;
        context.text = std::move(*value);
        return context.text.c_str();
    } catch (...) {
        return nullptr;
    }
}

void Message(void* user, const char* format, const char* const* args,
             std::int32_t argCount) noexcept {
    try {
        auto& context = *static_cast<ConfigureContext*>(user);
        PstLibraryMessage message{format ? format : "", {}};
        for (std::int32_t i = 0; args && i < argCount; ++i) {
            message.args.emplace_back(args[i] ? args[i] : "");
        }
        context.messages.push_back(std::move(message));
    } catch (...) {
    }
}

}  // namespace

LoadedPstLibrary LoadPstLibrary(const std::string& file, const PstConfigLookup& config) {
    LoadedPstLibrary loaded;
    std::string reason;
    PstFunctions fn;
    if (void* handle = OpenLibrary(file, reason)) {
        const std::pair<const char*, bool> required[] = {
            {"PSTInitializeEx", Find(handle, "PSTInitializeEx", fn.initialize)},
            {"PSTUninitialize", Find(handle, "PSTUninitialize", fn.uninitialize)},
            {"PSTGetDeviceList", Find(handle, "PSTGetDeviceList", fn.getDeviceList)},
            {"PSTGetInterfaceHandle", Find(handle, "PSTGetInterfaceHandle", fn.getInterfaceHandle)},
            {"PSTTestCmdInit", Find(handle, "PSTTestCmdInit", fn.testCmdInit)},
            {"PSTSendCommand", Find(handle, "PSTSendCommand", fn.sendCommand)},
        };
        for (const auto& [name, found] : required) {
            if (!found && reason.empty()) reason = std::string("it has no ") + name;
        }
        Find(handle, "PSTConfigure", fn.configure);
    }
    if (!reason.empty()) {
        loaded.error = file + ": " + reason;
        loaded.library = std::make_unique<RefusedPst>(loaded.error);
        return loaded;
    }
    if (fn.configure) {
        ConfigureContext context{config, {}, {}};
        const PstHost host{&context, &ConfigText, &Message};
        fn.configure(&host);
        loaded.messages = std::move(context.messages);
    }
    loaded.library = std::make_unique<LoadedPst>(fn);
    return loaded;
}

std::vector<PstNeededValue> PstLibraryNeeds(const std::string& file) {
    std::string reason;
    void* handle = OpenLibrary(file, reason);
    PstConfigValuesFn values = nullptr;
    if (handle == nullptr || !Find(handle, "PSTConfigValues", values)) return {};
    std::vector<PstNeededValue> needs;
    const PstConfigValue* list = values();
    for (int i = 0; list && i < kMostNeededValues && list[i].name; ++i) {
        needs.push_back({list[i].name, list[i].namesFile != 0});
    }
    return needs;
}

}  // namespace velmora
