// The emulated phone library: the PstLibrary the program runs on without a phone, and the
// one every test runs against. Phones, their images and the trace come from a SimConfig.
// Notifications come from a thread of its own; the sink must not wait there for a thread
// that is initialising or uninitialising the library.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "phone/pst_library.h"
#include "sim/pst_trace.h"
#include "sim/sim_config.h"
#include "sim/sim_phone.h"

namespace velmora {

// Faults to inject, for tests only. Counting starts when the plan is set.
struct FaultPlan {
    // The Nth send (1-based) that matches the filters fails without reaching the phone.
    int failSendNumber = 0;
    bool failFollowingSends = false;          // and every matching send after it
    std::string failSendCommand;              // empty: any command
    std::optional<std::uint32_t> failSendOp;  // FSAC operation code; nothing: any

    bool failInitialize = false;
    bool throwOnInitialize = false;
    bool failUninitialize = false;
    bool failGetDeviceList = false;
    bool failGetInterfaceHandle = false;
    bool failTestCmdInit = false;

    std::optional<std::int32_t> readLimit;  // FSAC read delivers at most this; 0 = empty reads
    std::int32_t oversizeBy = 0;  // report this many bytes more than the reply buffer holds
    std::optional<std::uint32_t> oversizeOp;  // only for FSAC replies of this operation
    SearchNextFault searchNext = SearchNextFault::None;
    bool raiseInPhone = false;  // the phone's host throws while answering a send

    // Detach this phone after the Nth send (the send itself succeeds); with detachOp, after
    // the Nth FSAC send of that operation.
    int detachAfterSends = 0;
    std::uint16_t detachDevice = 0;
    std::optional<std::uint32_t> detachOp;
};

class SimulatedPst : public PstLibrary {
  public:
    explicit SimulatedPst(SimConfig config);
    ~SimulatedPst() override;
    SimulatedPst(const SimulatedPst&) = delete;
    SimulatedPst& operator=(const SimulatedPst&) = delete;

    std::int32_t PSTInitializeEx(std::int32_t interfaceMode, PstNotificationSink* window) override;
    std::int32_t PSTUninitialize() override;
    std::int32_t PSTGetDeviceList(std::vector<std::uint16_t>& devices) override;
    std::int32_t PSTGetInterfaceHandle(std::uint32_t deviceId, std::string interfaceName,
                                       std::uint32_t& handle) override;
    std::int32_t PSTTestCmdInit(std::uint16_t deviceId, std::int32_t rs232) override;
    std::int32_t PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle, const char* command,
                                std::span<const std::uint8_t> request,
                                std::span<std::uint8_t> reply, std::int32_t& replyLength,
                                std::uint16_t deviceId16) override;

    // Why the phones file was refused (empty when it was not); there are no phones then.
    const std::string& ConfigError() const { return m_configError; }

    // Test hooks.
    void SetFaultPlan(const FaultPlan& plan);
    // Attaches a new phone (or re-attaches a known id, keeping its state) at the end.
    void AttachPhone(const SimPhoneConfig& phone);
    bool AttachPhone(std::uint16_t deviceId);
    bool DetachPhone(std::uint16_t deviceId);
    // A bounded wait until the sink has had count notifications in all.
    bool WaitForNotifications(std::uint64_t count, std::chrono::milliseconds timeout) const;
    // Runs f on a phone under the library's lock (seeding, inspection); false if unknown.
    template <typename F>
    bool WithPhone(std::uint16_t deviceId, F&& f) {
        std::lock_guard lock(m_mutex);
        SimPhone* phone = Find(deviceId);
        if (phone == nullptr) return false;
        f(*phone);
        return true;
    }

  private:
    using TimePoint = std::chrono::steady_clock::time_point;

    SimPhone* Find(std::uint16_t deviceId);
    bool IsAttached(std::uint16_t deviceId) const;
    void DetachLocked(std::uint16_t deviceId);
    void AttachLocked(std::uint16_t deviceId);
    void PostLocked();
    void NotifierLoop();
    void Trace(const PstTraceLine& line);
    std::uint32_t HandleFor(std::uint16_t deviceId) const { return 0x50530000u | deviceId; }

    mutable std::mutex m_mutex;  // phones, attach order, plan, notifier queue
    std::vector<std::unique_ptr<SimPhone>> m_phones;
    std::vector<std::uint16_t> m_attached;  // attach order
    bool m_initialized = false;
    FaultPlan m_plan;
    int m_sendsSinceFaultPlan = 0;
    // When each phone's link has sent what it was given, for phones with a rate.
    std::map<std::uint16_t, TimePoint> m_linkFree;
    static constexpr std::chrono::milliseconds kLinkIdle{5};
    int m_matchingSends = 0;
    int m_detachCountedSends = 0;
    std::chrono::milliseconds m_restartDelay;
    std::string m_configError;

    // Notifier: posts outside the lock so that no call re-enters its caller.
    std::condition_variable m_wake;
    std::uint64_t m_pending = 0;
    std::vector<std::pair<TimePoint, std::uint16_t>> m_reattach;
    bool m_stop = false;
    std::recursive_mutex m_sinkMutex;  // held while calling the sink
    PstNotificationSink* m_sink = nullptr;
    mutable std::condition_variable m_delivered;
    std::uint64_t m_deliveredCount = 0;

    std::mutex m_traceMutex;
    std::filesystem::path m_tracePath;

    std::thread m_notifier;  // last: starts after everything it uses
};

}  // namespace velmora
