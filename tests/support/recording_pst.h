// A phone library in front of another that keeps every FSAC request sent through it, so a
// test against the emulated phone can check the bytes as well as the outcome.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "phone/pst_library.h"
#include "support/forwarding_pst.h"

namespace velmora::test {

class RecordingPst : public ForwardingPst {
  public:
    using ForwardingPst::ForwardingPst;

    std::int32_t PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle, const char* command,
                                std::span<const std::uint8_t> request,
                                std::span<std::uint8_t> reply, std::int32_t& replyLength,
                                std::uint16_t deviceId16) override {
        {
            std::lock_guard lock(m_mutex);
            m_requests.emplace_back(request.begin(), request.end());
        }
        return ForwardingPst::PSTSendCommand(deviceId, handle, command, request, reply,
                                             replyLength, deviceId16);
    }

    // The file requests (open, read, close) in a short form: "open /a/x", "read 1024", "close".
    std::vector<std::string> FileRequests() const {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> lines;
        for (const auto& r : m_requests) {
            if (r.size() < 4) continue;
            switch (GetBe32(r, 0)) {
                case 0:
                    lines.push_back("open " + std::string(reinterpret_cast<const char*>(&r[8])));
                    break;
                case 1:
                    lines.push_back("read " + std::to_string(GetBe32(r, 4)));
                    break;
                case 4:
                    lines.push_back("close");
                    break;
                default:
                    break;
            }
        }
        return lines;
    }
    std::vector<std::vector<std::uint8_t>> Requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_requests.clear();
    }

  private:
    mutable std::mutex m_mutex;
    std::vector<std::vector<std::uint8_t>> m_requests;
};

}  // namespace velmora::test
