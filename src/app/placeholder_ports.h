// Stand-ins until the emulated phone library and the desktop shell land: a library that
// starts and reports no phones, a shell that opens nothing.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/shell.h"
#include "phone/pst_library.h"

namespace velmora {

class PlaceholderPst : public PstLibrary {
  public:
    std::int32_t PSTInitializeEx(std::int32_t, PstNotificationSink*) override { return 0; }
    std::int32_t PSTUninitialize() override { return 0; }
    std::int32_t PSTGetDeviceList(std::vector<std::uint16_t>& devices) override {
        devices.clear();
        return 0;
    }
    std::int32_t PSTGetInterfaceHandle(std::uint32_t, std::string, std::uint32_t&) override {
        return 1;
    }
    std::int32_t PSTTestCmdInit(std::uint16_t, std::int32_t) override { return 1; }
    std::int32_t PSTSendCommand(std::uint32_t, std::uint32_t, const char*,
                                std::span<const std::uint8_t>, std::span<std::uint8_t>,
                                std::int32_t&, std::uint16_t) override {
        return 1;
    }
};

class PlaceholderShell : public Shell {
  public:
    int Open(const std::string&) override { return kShellNoAssociation; }
    int OpenWith(const std::string&) override { return kShellNoAssociation; }
    std::optional<std::string> HtmlHandlerCommand() override { return std::nullopt; }
    int Run(const std::string&) override { return kShellNoAssociation; }
    std::string TempFolder() override { return "/tmp/"; }
};

}  // namespace velmora
