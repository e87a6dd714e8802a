#include "phone/responsive_library.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <thread>

#include "support/scripted_pst.h"
#include "support/watched_pst.h"

namespace velmora {
namespace {

using test::ScriptedPst;
using test::ScriptedReply;
using test::WatchedPst;

auto HoldAll() {
    return [](const char*, std::span<const std::uint8_t>) { return true; };
}

class ResponsiveLibraryTest : public ::testing::Test {
  protected:
    ScriptedPst phone;
    WatchedPst inner{phone, HoldAll()};
    bool onWindowThread = true;
    int pumps = 0;
    std::function<void()> duringPump = [this] { inner.Open(); };
    ResponsiveLibrary library{inner, [this] { return onWindowThread; },
                              [this] {
                                  ++pumps;
                                  if (duringPump) duringPump();
                              }};
};

struct Operation {
    const char* name;
    std::function<bool(PstLibrary&)> succeeds;
};

const Operation kOperations[] = {
    {"device list",
     [](PstLibrary& l) {
         std::vector<std::uint16_t> devices;
         return l.PSTGetDeviceList(devices) == 0;
     }},
    {"interface handle",
     [](PstLibrary& l) {
         std::uint32_t handle = 0;
         return l.PSTGetInterfaceHandle(1, kTestCommandInterface, handle) == 0 && handle != 0;
     }},
    {"test command init", [](PstLibrary& l) { return l.PSTTestCmdInit(1, 0) == 0; }},
    {"send",
     [](PstLibrary& l) {
         std::array<std::uint8_t, 8> reply{};
         std::int32_t length = 0;
         const std::array<std::uint8_t, 2> request{9, 9};
         // The reply crosses back from the helper whole.
         return l.PSTSendCommand(1, 0x100, "FSAC", request, reply, length, 1) == 0 && length == 3 &&
                reply[0] == 2 && reply[2] == 7;
     }},
};

TEST_F(ResponsiveLibraryTest, AHeldCallOnTheWindowsThreadLetsTheWindowPaintUntilItReturns) {
    for (const auto& op : kOperations) {
        inner.Close();
        phone.QueueReply("FSAC", ScriptedReply::Bytes({2, 1, 7}));
        pumps = 0;
        EXPECT_TRUE(op.succeeds(library)) << op.name;
        EXPECT_GE(pumps, 1) << op.name;
        EXPECT_FALSE(inner.TimedOut()) << op.name << ": the window's thread was held";
        EXPECT_NE(inner.RanOn(), std::this_thread::get_id()) << op.name;
    }
}

TEST_F(ResponsiveLibraryTest, WorkersCallsAndStartAndStopRunOnTheCallersThread) {
    inner.Open();
    onWindowThread = false;
    for (const auto& op : kOperations) {
        phone.QueueReply("FSAC", ScriptedReply::Bytes({2, 1, 7}));
        EXPECT_TRUE(op.succeeds(library)) << op.name;
        EXPECT_EQ(inner.RanOn(), std::this_thread::get_id()) << op.name;
    }
    onWindowThread = true;
    EXPECT_EQ(library.PSTInitializeEx(kInterfaceUsb, nullptr), 0);
    EXPECT_EQ(library.PSTUninitialize(), 0);
    EXPECT_EQ(pumps, 0);
    EXPECT_EQ(phone.Calls("PSTInitializeEx").size(), 1u);
}

TEST_F(ResponsiveLibraryTest, ACallMadeWhileThePumpRunsGoesStraightThrough) {
    // Something the pump lets run talks to the phone itself: it must not pump inside a pump.
    int nestedPumps = -1;
    std::thread::id nestedOn;
    duringPump = [&] {
        if (nestedPumps >= 0) return;
        const int before = pumps;
        inner.SetFilter(nullptr);
        EXPECT_EQ(library.PSTTestCmdInit(2, 1), 0);
        nestedOn = inner.RanOn();
        nestedPumps = pumps - before;
        inner.Open();
    };
    EXPECT_EQ(library.PSTTestCmdInit(1, 0), 0);
    EXPECT_EQ(nestedPumps, 0);
    EXPECT_EQ(nestedOn, std::this_thread::get_id());
    EXPECT_EQ(phone.Calls("PSTTestCmdInit").size(), 2u);
}

}  // namespace
}  // namespace velmora
