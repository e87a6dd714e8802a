#include "phone/responsive_library.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "support/scripted_pst.h"

namespace velmora {
namespace {

using test::ScriptedPst;
using test::ScriptedReply;

// A slow link: every operation waits until the test lets it go (or, should the test never do
// so, a bounded while), noting on which thread it ran.
class HeldPst : public ScriptedPst {
  public:
    std::int32_t PSTGetDeviceList(std::vector<std::uint16_t>& found) override {
        Hold();
        return ScriptedPst::PSTGetDeviceList(found);
    }
    std::int32_t PSTGetInterfaceHandle(std::uint32_t deviceId, std::string name,
                                       std::uint32_t& handle) override {
        Hold();
        return ScriptedPst::PSTGetInterfaceHandle(deviceId, std::move(name), handle);
    }
    std::int32_t PSTTestCmdInit(std::uint16_t deviceId, std::int32_t rs232) override {
        Hold();
        return ScriptedPst::PSTTestCmdInit(deviceId, rs232);
    }
    std::int32_t PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle, const char* command,
                                std::span<const std::uint8_t> request,
                                std::span<std::uint8_t> reply, std::int32_t& replyLength,
                                std::uint16_t deviceId16) override {
        Hold();
        return ScriptedPst::PSTSendCommand(deviceId, handle, command, request, reply,
                                           replyLength, deviceId16);
    }

    void Release() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_cv.notify_all();
    }
    void Rehold() {
        std::lock_guard lock(m_mutex);
        m_released = false;
        m_timedOut = false;
    }
    std::atomic<bool> held{true};
    std::thread::id RanOn() {
        std::lock_guard lock(m_mutex);
        return m_ranOn;
    }
    bool TimedOut() {
        std::lock_guard lock(m_mutex);
        return m_timedOut;
    }

  private:
    void Hold() {
        std::unique_lock lock(m_mutex);
        m_ranOn = std::this_thread::get_id();
        if (!held) return;
        if (!m_cv.wait_for(lock, std::chrono::seconds(10), [&] { return m_released; })) {
            m_timedOut = true;
        }
    }
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_released = false;
    bool m_timedOut = false;
    std::thread::id m_ranOn;
};

class ResponsiveLibraryTest : public ::testing::Test {
  protected:
    HeldPst inner;
    bool onWindowThread = true;
    int pumps = 0;
    std::function<void()> duringPump = [this] { inner.Release(); };
    ResponsiveLibrary library{inner, [this] { return onWindowThread; }, [this] {
                                  ++pumps;
                                  if (duringPump) duringPump();
                              }};
};

struct Operation {
    const char* name;
    std::function<std::int32_t(PstLibrary&)> call;
    std::int32_t expected;
};

std::vector<Operation> Operations() {
    return {
        {"device list",
         [](PstLibrary& l) {
             std::vector<std::uint16_t> devices;
             return l.PSTGetDeviceList(devices);
         },
         0},
        {"interface handle",
         [](PstLibrary& l) {
             std::uint32_t handle = 0;
             return l.PSTGetInterfaceHandle(1, kTestCommandInterface, handle);
         },
         0},
        {"test command init", [](PstLibrary& l) { return l.PSTTestCmdInit(1, 0); }, 0},
        {"send",
         [](PstLibrary& l) {
             std::array<std::uint8_t, 8> reply{};
             std::int32_t length = 0;
             const std::array<std::uint8_t, 2> request{9, 9};
             const auto rc = l.PSTSendCommand(1, 0x100, "FSAC", request, reply, length, 1);
             // The reply crosses back from the helper whole.
             return rc == 0 && length == 3 && reply[0] == 2 && reply[2] == 7 ? 0 : -1;
         },
         0},
    };
}

TEST_F(ResponsiveLibraryTest, AHeldCallOnTheWindowsThreadLetsTheWindowPaintUntilItReturns) {
    for (const auto& op : Operations()) {
        inner.Rehold();
        inner.QueueReply("FSAC", ScriptedReply::Bytes({2, 1, 7}));
        pumps = 0;
        EXPECT_EQ(op.call(library), op.expected) << op.name;
        EXPECT_GE(pumps, 1) << op.name;
        EXPECT_FALSE(inner.TimedOut()) << op.name << ": the window's thread was held";
        EXPECT_NE(inner.RanOn(), std::this_thread::get_id()) << op.name;
    }
}

TEST_F(ResponsiveLibraryTest, WorkersCallsAndStartAndStopRunOnTheCallersThread) {
    inner.held = false;
    onWindowThread = false;
    for (const auto& op : Operations()) {
        inner.QueueReply("FSAC", ScriptedReply::Bytes({2, 1, 7}));
        EXPECT_EQ(op.call(library), op.expected) << op.name;
        EXPECT_EQ(inner.RanOn(), std::this_thread::get_id()) << op.name;
    }
    onWindowThread = true;
    EXPECT_EQ(library.PSTInitializeEx(kInterfaceUsb, nullptr), 0);
    EXPECT_EQ(library.PSTUninitialize(), 0);
    EXPECT_EQ(pumps, 0);
    EXPECT_EQ(inner.Calls("PSTInitializeEx").size(), 1u);
}

TEST_F(ResponsiveLibraryTest, ACallMadeWhileThePumpRunsGoesStraightThrough) {
    // Something the pump lets run talks to the phone itself: it must not pump inside a pump.
    int nestedPumps = -1;
    std::thread::id nestedOn;
    duringPump = [&] {
        if (nestedPumps >= 0) return;
        const int before = pumps;
        inner.held = false;
        EXPECT_EQ(library.PSTTestCmdInit(2, 1), 0);
        nestedOn = inner.RanOn();
        nestedPumps = pumps - before;
        inner.held = true;
        inner.Release();
    };
    EXPECT_EQ(library.PSTTestCmdInit(1, 0), 0);
    EXPECT_EQ(nestedPumps, 0);
    EXPECT_EQ(nestedOn, std::this_thread::get_id());
    EXPECT_EQ(inner.Calls("PSTTestCmdInit").size(), 2u);
}

}  // namespace
}  // namespace velmora
