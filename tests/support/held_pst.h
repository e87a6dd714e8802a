// A slow link on demand: a phone library that passes every call to another one but holds the
// calls a filter picks until the test lets them go (or, should it never, for a bounded while),
// noting on which thread each held call ran.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <span>
#include <string_view>
#include <thread>

#include "base/byte_order.h"
#include "phone/pst_library.h"

namespace velmora::test {

class HeldPst final : public PstLibrary {
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

    HeldPst(PstLibrary& inner, Filter filter,
            std::chrono::milliseconds limit = std::chrono::seconds(10))
        : m_inner(inner), m_filter(std::move(filter)), m_limit(limit) {}

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
        return m_inner.PSTSendCommand(id, handle, command, request, reply, length, id16);
    }

    // Lets held calls (and later ones) through, or holds the next ones again.
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
    // The thread of the last call, held or not.
    std::thread::id RanOn() const {
        return Get([&] { return m_ranOn; });
    }

  private:
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
};

// Holds the FSAC sends of one operation.
inline HeldPst::Filter HoldsFsac(std::uint32_t operation) {
    return [operation](const char* name, std::span<const std::uint8_t> request) {
        return std::string_view(name) == "PSTSendCommand" && request.size() >= 4 &&
               GetBe32(request, 0) == operation;
    };
}

}  // namespace velmora::test
