// A phone library in front of another that runs a hook right after the Nth FSAC request of
// one operation has been answered: how a test presses Interrupt at a chosen chunk or file,
// from the worker's side, at exactly that point.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "fsac/fsac_records.h"
#include "support/forwarding_pst.h"

namespace velmora::test {

class HookedPst : public ForwardingPst {
  public:
    explicit HookedPst(PstLibrary& inner) : ForwardingPst(inner) {}

    // From now on: hook runs once, after the nth request (1-based) of op. Replaces any hook.
    void AfterRequest(std::uint32_t op, int nth, std::function<void()> hook) {
        std::lock_guard lock(m_mutex);
        m_op = op;
        m_nth = nth;
        m_seen = 0;
        m_hook = std::move(hook);
    }
    void ClearHook() { AfterRequest(0, 0, nullptr); }
    // How many requests of each FSAC operation went through since the last Reset.
    int Count(std::uint32_t op) const {
        std::lock_guard lock(m_mutex);
        return op < m_counts.size() ? m_counts[op] : 0;
    }
    void Reset() {
        std::lock_guard lock(m_mutex);
        m_counts.assign(m_counts.size(), 0);
    }

    std::int32_t PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle, const char* command,
                                std::span<const std::uint8_t> request,
                                std::span<std::uint8_t> reply, std::int32_t& replyLength,
                                std::uint16_t deviceId16) override {
        const std::int32_t rc = ForwardingPst::PSTSendCommand(deviceId, handle, command, request,
                                                              reply, replyLength, deviceId16);
        std::function<void()> hook;
        if (command != nullptr && std::string(command) == kFsacCommand && request.size() >= 4) {
            const std::uint32_t op = GetBe32(request, 0);
            std::lock_guard lock(m_mutex);
            if (op < m_counts.size()) ++m_counts[op];
            if (m_hook && op == m_op && ++m_seen == m_nth) hook = std::exchange(m_hook, nullptr);
        }
        // Outside the lock: the hook may wait for the window's thread.
        if (hook) hook();
        return rc;
    }

  private:
    mutable std::mutex m_mutex;
    std::vector<int> m_counts = std::vector<int>(16, 0);
    std::uint32_t m_op = 0;
    int m_nth = 0;
    int m_seen = 0;
    std::function<void()> m_hook;
};

}  // namespace velmora::test
