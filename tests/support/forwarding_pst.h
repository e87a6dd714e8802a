// A phone library in front of another that passes every operation on: the base of the test
// libraries that watch, hold up or add to what a job sends to the emulated phone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "phone/pst_library.h"

namespace velmora::test {

class ForwardingPst : public PstLibrary {
  public:
    explicit ForwardingPst(PstLibrary& inner) : m_inner(inner) {}

    std::int32_t PSTInitializeEx(std::int32_t mode, PstNotificationSink* window) override {
        return m_inner.PSTInitializeEx(mode, window);
    }
    std::int32_t PSTUninitialize() override { return m_inner.PSTUninitialize(); }
    std::int32_t PSTGetDeviceList(std::vector<std::uint16_t>& devices) override {
        return m_inner.PSTGetDeviceList(devices);
    }
    std::int32_t PSTGetInterfaceHandle(std::uint32_t deviceId, std::string name,
                                       std::uint32_t& handle) override {
        return m_inner.PSTGetInterfaceHandle(deviceId, std::move(name), handle);
    }
    std::int32_t PSTTestCmdInit(std::uint16_t deviceId, std::int32_t rs232) override {
        return m_inner.PSTTestCmdInit(deviceId, rs232);
    }
    std::int32_t PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle, const char* command,
                                std::span<const std::uint8_t> request,
                                std::span<std::uint8_t> reply, std::int32_t& replyLength,
                                std::uint16_t deviceId16) override {
        return m_inner.PSTSendCommand(deviceId, handle, command, request, reply, replyLength,
                                      deviceId16);
    }

  private:
    PstLibrary& m_inner;
};

}  // namespace velmora::test
