// A phone library in front of another (usually the emulated phone) that passes every call on
// and lets a test watch and steer the link: it keeps the requests sent (answered ones), holds
// the calls a filter picks until the test lets them go (bounded, so a failed test cannot hang),
// notes on which thread a call ran, and runs a hook right after the nth FSAC request of one
// operation has been answered (how a test presses Interrupt at a chosen chunk, from the
// worker's side).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "base/byte_order.h"
#include "fsac/fsac_records.h"
#include "phone/pst_library.h"

namespace velmora::test {

class WatchedPst final : public PstLibrary {
    // Under the lock; Set wakes the held calls.
    template <typename F>
    void Set(F f) {
        std::lock_guard lock(m_mutex);
        f();
        m_changed.notify_all();
    }
    template <typename F>
    auto Get(F f) const {
        std::lock_guard lock(m_mutex);
        return f();
    }

  public:
    // Which calls wait: the operation's name and, for sends, the request.
    using Filter = std::function<bool(const char* operation, std::span<const std::uint8_t>)>;

    explicit WatchedPst(PstLibrary& inner, Filter hold = nullptr,
                        std::chrono::milliseconds limit = std::chrono::seconds(10))
        : m_inner(inner), m_filter(std::move(hold)), m_limit(limit) {}

    std::int32_t PSTInitializeEx(std::int32_t mode, PstNotificationSink* sink) override {
        return m_inner.PSTInitializeEx(mode, sink);
    }
    std::int32_t PSTUninitialize() override { return m_inner.PSTUninitialize(); }
    std::int32_t PSTGetDeviceList(std::vector<std::uint16_t>& found) override {
        Hold("PSTGetDeviceList", {});
        return m_inner.PSTGetDeviceList(found);
    }
    std::int32_t PSTGetInterfaceHandle(std::uint32_t id, std::string name,
                                       std::uint32_t& handle) override {
        Hold("PSTGetInterfaceHandle", {});
        return m_inner.PSTGetInterfaceHandle(id, std::move(name), handle);
    }
    std::int32_t PSTTestCmdInit(std::uint16_t id, std::int32_t rs232) override {
        Hold("PSTTestCmdInit", {});
        return m_inner.PSTTestCmdInit(id, rs232);
    }
    std::int32_t PSTSendCommand(std::uint32_t id, std::uint32_t handle, const char* command,
                                std::span<const std::uint8_t> request,
                                std::span<std::uint8_t> reply, std::int32_t& length,
                                std::uint16_t id16) override {
        Hold("PSTSendCommand", request);
        const std::int32_t rc =
            m_inner.PSTSendCommand(id, handle, command, request, reply, length, id16);
        std::function<void()> hook;
        {
            std::lock_guard lock(m_mutex);
            const bool fsac = command != nullptr && std::string_view(command) == kFsacCommand;
            m_sent.push_back({fsac, {request.begin(), request.end()}});
            if (fsac && request.size() >= 4 && m_hook && GetBe32(request, 0) == m_op &&
                ++m_seen == m_nth) {
                hook = std::exchange(m_hook, nullptr);
            }
        }
        // Outside the lock: the hook may wait for the window's thread.
        if (hook) hook();
        return rc;
    }

    // Holding: lets held calls (and later ones) through, or holds the next ones again.
    void Open() {
        Set([&] { m_open = true; });
    }
    void Close() {
        Set([&] {
            m_open = false;
            m_timedOut = false;
        });
    }
    void SetFilter(Filter filter) {
        Set([&] { m_filter = std::move(filter); });
    }
    bool Waiting() const {
        return Get([&] { return m_waiting; });
    }
    // A held call went on because the limit passed, not because the test let it.
    bool TimedOut() const {
        return Get([&] { return m_timedOut; });
    }
    int HeldCalls() const {
        return Get([&] { return m_held; });
    }
    // The thread of the last call but a start or stop, held or not.
    std::thread::id RanOn() const {
        return Get([&] { return m_ranOn; });
    }

    // Hooking: from now on, hook runs once after the nth request (1-based) of op. Replaces any.
    void AfterRequest(std::uint32_t op, int nth, std::function<void()> hook) {
        Set([&] {
            m_op = op;
            m_nth = nth;
            m_seen = 0;
            m_hook = std::move(hook);
        });
    }
    void ClearHook() { AfterRequest(0, 0, nullptr); }

    // Recording, since the last Clear: the FSAC requests of one operation answered.
    int Count(std::uint32_t op) const {
        return Get([&] {
            int n = 0;
            for (const auto& [fsac, r] : m_sent) n += fsac && r.size() >= 4 && GetBe32(r, 0) == op;
            return n;
        });
    }
    // The file requests (open, read, close) in a short form: "open /a/x", "read 1024", "close".
    std::vector<std::string> FileRequests() const {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> lines;
        for (const auto& [fsac, r] : m_sent) {
            if (r.size() < 4) continue;
            const std::uint32_t op = GetBe32(r, 0);
            if (op == 0)
                lines.push_back("open " + std::string(reinterpret_cast<const char*>(&r[8])));
            if (op == 1) lines.push_back("read " + std::to_string(GetBe32(r, 4)));
            if (op == 4) lines.push_back("close");
        }
        return lines;
    }
    void Clear() {
        Set([&] { m_sent.clear(); });
    }

  private:
    struct Sent {
        bool fsac;
        std::vector<std::uint8_t> request;
    };

    void Hold(const char* operation, std::span<const std::uint8_t> request) {
        std::unique_lock lock(m_mutex);
        m_ranOn = std::this_thread::get_id();
        if (!m_filter || !m_filter(operation, request)) return;
        ++m_held;
        m_waiting = true;
        if (!m_changed.wait_for(lock, m_limit, [&] { return m_open; })) m_timedOut = true;
        m_waiting = false;
    }

    PstLibrary& m_inner;
    Filter m_filter;
    std::chrono::milliseconds m_limit;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    bool m_waiting = false;
    bool m_timedOut = false;
    int m_held = 0;
    std::thread::id m_ranOn;
    std::vector<Sent> m_sent;
    std::uint32_t m_op = 0;
    int m_nth = 0;
    int m_seen = 0;
    std::function<void()> m_hook;
};

// Holds the FSAC sends of one operation.
inline WatchedPst::Filter HoldsFsac(std::uint32_t operation) {
    return [operation](const char* name, std::span<const std::uint8_t> request) {
        return std::string_view(name) == "PSTSendCommand" && request.size() >= 4 &&
               GetBe32(request, 0) == operation;
    };
}

}  // namespace velmora::test
