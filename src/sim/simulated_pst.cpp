#include "sim/simulated_pst.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include "base/byte_order.h"
#include "fsac/fsac_records.h"
#include "phone/control_records.h"
#include "sim/pst_trace.h"

namespace velmora {

namespace {

constexpr std::int32_t kFailure = 1;

// Whatever the host does under a phone, the caller gets a failed command, never an exception.
SimReply SafeHandle(SimPhone& phone, const std::string& command,
                    std::span<const std::uint8_t> request, std::size_t maxReply,
                    const SimPhoneFaults& faults) {
    try {
        return phone.Handle(command, request, maxReply, faults);
    } catch (const std::exception& error) {
        std::cerr << "Velmora emulated phone " << phone.DeviceId() << ": " << command
                  << " failed: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "Velmora emulated phone " << phone.DeviceId() << ": " << command
                  << " failed\n";
    }
    return SimReply{kFailure, {}};
}

}  // namespace

SimulatedPst::SimulatedPst(SimConfig config)
    : m_restartDelay(config.restartDelay),
      m_configError(std::move(config.error)),
      m_tracePath(std::move(config.tracePath)) {
    for (SimPhoneConfig& phone : config.phones) {
        if (Find(phone.deviceId) != nullptr) continue;
        m_attached.push_back(phone.deviceId);
        m_phones.push_back(std::make_unique<SimPhone>(std::move(phone)));
    }
    m_notifier = std::thread([this] { NotifierLoop(); });
}

SimulatedPst::~SimulatedPst() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_notifier.join();
}

SimPhone* SimulatedPst::Find(std::uint16_t deviceId) {
    for (auto& phone : m_phones) {
        if (phone->DeviceId() == deviceId) return phone.get();
    }
    return nullptr;
}

bool SimulatedPst::IsAttached(std::uint16_t deviceId) const {
    return std::find(m_attached.begin(), m_attached.end(), deviceId) != m_attached.end();
}

void SimulatedPst::PostLocked() {
    if (!m_initialized) return;
    ++m_pending;
    m_wake.notify_all();
}

void SimulatedPst::DetachLocked(std::uint16_t deviceId) {
    auto it = std::find(m_attached.begin(), m_attached.end(), deviceId);
    if (it == m_attached.end()) return;
    m_attached.erase(it);
    if (SimPhone* phone = Find(deviceId)) phone->Reset();
    PostLocked();
}

void SimulatedPst::AttachLocked(std::uint16_t deviceId) {
    if (IsAttached(deviceId) || Find(deviceId) == nullptr) return;
    m_attached.push_back(deviceId);
    PostLocked();
}

void SimulatedPst::NotifierLoop() {
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        // Notifications go out before any re-attach, so a sink that polls at once sees each
        // change on its own.
        if (m_pending > 0) {
            --m_pending;
            lock.unlock();
            bool delivered = false;
            {
                std::lock_guard sinkLock(m_sinkMutex);
                if (m_sink != nullptr) {
                    Trace(PstTraceLine{kTraceNotify, {}});
                    m_sink->OnDeviceListChanged();
                    delivered = true;
                }
            }
            lock.lock();
            if (delivered) {
                ++m_deliveredCount;
                m_delivered.notify_all();
            }
            continue;
        }
        auto now = std::chrono::steady_clock::now();
        bool attached = false;
        for (auto it = m_reattach.begin(); it != m_reattach.end();) {
            if (it->first <= now) {
                AttachLocked(it->second);
                it = m_reattach.erase(it);
                attached = true;
            } else {
                ++it;
            }
        }
        if (attached) continue;
        if (m_reattach.empty()) {
            m_wake.wait(lock);
        } else {
            auto next = std::min_element(m_reattach.begin(), m_reattach.end())->first;
            m_wake.wait_until(lock, next);
        }
    }
}

void SimulatedPst::Trace(const PstTraceLine& line) {
    if (m_tracePath.empty()) return;
    std::lock_guard lock(m_traceMutex);
    if (std::FILE* file = std::fopen(m_tracePath.c_str(), "a")) {
        std::fputs((line.Text() + "\n").c_str(), file);
        std::fclose(file);
    }
}

// A call's line is written under the lock that orders what it changed, so that a
// notification it caused comes after it in the trace, as a replay must post it.
std::int32_t SimulatedPst::PSTInitializeEx(std::int32_t interfaceMode,
                                           PstNotificationSink* window) {
    std::int32_t rc = 0;
    bool raise = false;
    {
        // The notifier says its notification under the sink's lock, so after this line.
        std::lock_guard sinkLock(m_sinkMutex);
        {
            std::lock_guard lock(m_mutex);
            if (m_plan.throwOnInitialize) {
                raise = true;
            } else if (m_plan.failInitialize ||
                       (interfaceMode != kInterfaceUsb && interfaceMode != kInterfaceRs232)) {
                rc = kFailure;
            } else {
                m_sink = window;
                m_initialized = true;
                PostLocked();
            }
        }
        Trace(TraceInitialize(interfaceMode).Add("rc", raise ? "throw" : std::to_string(rc)));
    }
    if (raise) throw std::runtime_error("emulated phone library: initialisation failed");
    return rc;
}

std::int32_t SimulatedPst::PSTUninitialize() {
    std::int32_t rc = 0;
    // Taking the sink's lock waits for a notification under way, so none follows.
    std::lock_guard sinkLock(m_sinkMutex);
    {
        std::lock_guard lock(m_mutex);
        if (!m_initialized || m_plan.failUninitialize) {
            rc = kFailure;
        } else {
            m_initialized = false;
            m_sink = nullptr;
            m_pending = 0;
        }
    }
    Trace(TraceUninitialize().Add("rc", std::to_string(rc)));
    return rc;
}

std::int32_t SimulatedPst::PSTGetDeviceList(std::vector<std::uint16_t>& devices) {
    std::lock_guard lock(m_mutex);
    const std::int32_t rc = !m_initialized || m_plan.failGetDeviceList ? kFailure : 0;
    if (rc == 0) devices = m_attached;
    PstTraceLine line = TraceGetDeviceList();
    if (rc == 0) line.Add("devices", TraceDevices(m_attached));
    Trace(line.Add("rc", std::to_string(rc)));
    return rc;
}

std::int32_t SimulatedPst::PSTGetInterfaceHandle(std::uint32_t deviceId, std::string interfaceName,
                                                 std::uint32_t& handle) {
    std::int32_t rc = kFailure;
    std::lock_guard lock(m_mutex);
    if (m_initialized && !m_plan.failGetInterfaceHandle && deviceId <= 0xFFFF &&
        IsAttached(static_cast<std::uint16_t>(deviceId)) &&
        interfaceName == kTestCommandInterface) {
        handle = HandleFor(static_cast<std::uint16_t>(deviceId));
        rc = 0;
    }
    PstTraceLine line = TraceGetInterfaceHandle(deviceId, interfaceName);
    if (rc == 0) line.Add("handle", TraceHandle(handle));
    Trace(line.Add("rc", std::to_string(rc)));
    return rc;
}

std::int32_t SimulatedPst::PSTTestCmdInit(std::uint16_t deviceId, std::int32_t rs232) {
    std::int32_t rc = kFailure;
    std::lock_guard lock(m_mutex);
    if (m_initialized && !m_plan.failTestCmdInit && IsAttached(deviceId) &&
        (rs232 == 0 || rs232 == 1)) {
        rc = 0;
    }
    Trace(TraceTestCmdInit(deviceId, rs232).Add("rc", std::to_string(rc)));
    return rc;
}

std::int32_t SimulatedPst::PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle,
                                          const char* command,
                                          std::span<const std::uint8_t> request,
                                          std::span<std::uint8_t> reply, std::int32_t& replyLength,
                                          std::uint16_t deviceId16) {
    const std::string name = command != nullptr ? command : "";
    std::int32_t rc = kFailure;
    std::size_t written = 0;
    replyLength = 0;
    std::int64_t rate = 0;
    {
        std::lock_guard lock(m_mutex);
        SimPhone* phone = deviceId <= 0xFFFF ? Find(static_cast<std::uint16_t>(deviceId)) : nullptr;
        bool failNow = false;
        auto isOp = [&](const std::optional<std::uint32_t>& op) {
            return !op ||
                   (name == kFsacCommand && request.size() >= 4 && GetBe32(request, 0) == *op);
        };
        if (m_initialized) {
            ++m_sendsSinceFaultPlan;
            if (isOp(m_plan.detachOp)) ++m_detachCountedSends;
            const bool matches =
                (m_plan.failSendCommand.empty() || m_plan.failSendCommand == name) &&
                isOp(m_plan.failSendOp);
            if (matches && m_plan.failSendNumber > 0) {
                ++m_matchingSends;
                failNow = m_matchingSends == m_plan.failSendNumber ||
                          (m_plan.failFollowingSends && m_matchingSends > m_plan.failSendNumber);
            }
        }
        if (m_initialized && !failNow && phone != nullptr && deviceId == deviceId16 &&
            IsAttached(deviceId16) && handle == HandleFor(deviceId16)) {
            SimPhoneFaults faults;
            faults.readLimit = m_plan.readLimit;
            faults.searchNext = m_plan.searchNext;
            faults.raise = m_plan.raiseInPhone;
            SimReply answer = SafeHandle(*phone, name, request, reply.size(), faults);
            rc = answer.rc;
            if (rc == 0) {
                // Whatever the phone produced, the caller's buffer bounds what it gets.
                written = std::min(answer.bytes.size(), reply.size());
                std::copy_n(answer.bytes.begin(), written, reply.begin());
                replyLength = static_cast<std::int32_t>(written);
                if (m_plan.oversizeBy > 0 && isOp(m_plan.oversizeOp)) {
                    replyLength = static_cast<std::int32_t>(reply.size()) + m_plan.oversizeBy;
                }
                rate = phone->Config().rate;
                if (name == kRestartCommand) {
                    DetachLocked(deviceId16);
                    m_reattach.emplace_back(std::chrono::steady_clock::now() + m_restartDelay,
                                            deviceId16);
                    m_wake.notify_all();
                }
            }
        }
        const int counted = m_plan.detachOp ? m_detachCountedSends : m_sendsSinceFaultPlan;
        if (m_plan.detachAfterSends > 0 && counted == m_plan.detachAfterSends) {
            DetachLocked(m_plan.detachDevice);
        }
        // Spelt out only for a trace: an untraced listing would spend a tenth of its time on it.
        if (!m_tracePath.empty()) {
            Trace(TraceSendCommand(deviceId, handle, name, request, reply.size(), deviceId16)
                      .Add("reply", TraceHex(reply.first(written)))
                      .Add("len", std::to_string(replyLength))
                      .Add("rc", std::to_string(rc)));
        }
    }
    if (rate > 0) {
        // The link's speed: the caller waits, other phones and threads do not. A busy link
        // keeps its schedule, so what one wait oversleeps the next one makes up; a link left
        // idle starts afresh.
        const auto bytes = static_cast<std::int64_t>(request.size() + written);
        const auto cost = std::chrono::nanoseconds(bytes * 1000000000 / rate);
        TimePoint until;
        {
            std::lock_guard lock(m_mutex);
            TimePoint& free = m_linkFree[deviceId16];
            const TimePoint now = std::chrono::steady_clock::now();
            if (free < now - kLinkIdle) free = now;
            free += cost;
            until = free;
        }
        std::this_thread::sleep_until(until);
    }
    return rc;
}

void SimulatedPst::SetFaultPlan(const FaultPlan& plan) {
    std::lock_guard lock(m_mutex);
    m_plan = plan;
    m_sendsSinceFaultPlan = 0;
    m_matchingSends = 0;
    m_detachCountedSends = 0;
}

void SimulatedPst::AttachPhone(const SimPhoneConfig& phone) {
    std::lock_guard lock(m_mutex);
    if (Find(phone.deviceId) == nullptr) m_phones.push_back(std::make_unique<SimPhone>(phone));
    AttachLocked(phone.deviceId);
}

bool SimulatedPst::AttachPhone(std::uint16_t deviceId) {
    std::lock_guard lock(m_mutex);
    if (Find(deviceId) == nullptr || IsAttached(deviceId)) return false;
    AttachLocked(deviceId);
    return true;
}

bool SimulatedPst::DetachPhone(std::uint16_t deviceId) {
    std::lock_guard lock(m_mutex);
    if (!IsAttached(deviceId)) return false;
    DetachLocked(deviceId);
    return true;
}

bool SimulatedPst::WaitForNotifications(std::uint64_t count,
                                        std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_delivered.wait_for(lock, timeout, [&] { return m_deliveredCount >= count; });
}

}  // namespace velmora
