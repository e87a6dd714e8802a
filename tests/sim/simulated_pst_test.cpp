// The emulated library's side of the port: start, devices, notifications, the other test
// commands, the trace, link speed and the fault hooks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "sim_test_support.h"

namespace velmora::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr auto kWait = std::chrono::seconds(10);

std::vector<std::string> Lines(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::uint16_t> Devices(SimulatedPst& library) {
    std::vector<std::uint16_t> devices{999};
    EXPECT_EQ(library.PSTGetDeviceList(devices), 0);
    return devices;
}

TEST(SimLibrary, UninitialisedRefusesEverythingButInitialise) {
    TempFolder tmp;
    SimConfig config;
    config.phones = {TestPhone(tmp.path())};
    SimulatedPst library(config);
    std::vector<std::uint16_t> devices;
    std::uint32_t handle = 0;
    std::int32_t length = 0;
    Bytes reply(2);
    const Bytes version = VersionRequest();
    EXPECT_NE(library.PSTGetDeviceList(devices), 0);
    EXPECT_NE(library.PSTGetInterfaceHandle(1, kTestCommandInterface, handle), 0);
    EXPECT_NE(library.PSTTestCmdInit(1, 0), 0);
    EXPECT_NE(library.PSTSendCommand(1, 0x50530001, "FSAC", version, reply, length, 1), 0);
    EXPECT_NE(library.PSTUninitialize(), 0);
    EXPECT_NE(library.PSTInitializeEx(3, nullptr), 0) << "no such interface mode";

    CountingSink sink;
    ASSERT_EQ(library.PSTInitializeEx(kInterfaceRs232, &sink), 0);
    ASSERT_TRUE(library.WaitForNotifications(1, kWait)) << "posted after initialisation";
    EXPECT_EQ(sink.count, 1);
    ASSERT_EQ(library.PSTUninitialize(), 0);
    EXPECT_NE(library.PSTGetDeviceList(devices), 0);
}

TEST(SimLibrary, DevicesHandlesAndTestCommandInit) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path() / "p9", 9), TestPhone(tmp.path() / "p10", 10)});
    EXPECT_THAT(Devices(*rig.library), ElementsAre(9, 10));
    std::uint32_t handle = 0;
    EXPECT_EQ(rig.library->PSTGetInterfaceHandle(10, kTestCommandInterface, handle), 0);
    EXPECT_NE(rig.library->PSTGetInterfaceHandle(10, "Other_Interface", handle), 0);
    EXPECT_NE(rig.library->PSTGetInterfaceHandle(11, kTestCommandInterface, handle), 0);
    EXPECT_EQ(rig.library->PSTTestCmdInit(9, 1), 0);
    EXPECT_NE(rig.library->PSTTestCmdInit(11, 0), 0);

    // A command for one phone with the other's handle or a mismatching second id fails.
    std::uint32_t handle9 = 0;
    ASSERT_EQ(rig.library->PSTGetInterfaceHandle(9, kTestCommandInterface, handle9), 0);
    Bytes reply(2);
    std::int32_t length = 0;
    const Bytes version = VersionRequest();
    EXPECT_NE(rig.library->PSTSendCommand(10, handle9, "FSAC", version, reply, length, 10), 0);
    EXPECT_NE(rig.library->PSTSendCommand(9, handle9, "FSAC", version, reply, length, 10), 0);
    EXPECT_NE(rig.library->PSTSendCommand(9, handle9, nullptr, version, reply, length, 9), 0);
    EXPECT_NE(rig.library->PSTSendCommand(9, handle9, "NOSUCH", version, reply, length, 9), 0);
    EXPECT_EQ(rig.library->PSTSendCommand(9, handle9, "FSAC", version, reply, length, 9), 0);
}

TEST(SimLibrary, ModelRestartAndSuspend) {
    TempFolder tmp;
    SimPhoneConfig phone = TestPhone(tmp.path());
    Rig rig({phone});
    ASSERT_TRUE(rig.library->WaitForNotifications(1, kWait));
    rig.sink.library = rig.library.get();

    SendResult model = rig.Send(kRdelemRequest, 20, "RDELEM");
    ASSERT_EQ(model.rc, 0);
    ASSERT_EQ(model.reply.size(), 20u);
    EXPECT_EQ(model.reply[2], 'E');
    EXPECT_EQ(model.reply[4], '3');
    EXPECT_EQ(model.reply[6], '9');
    EXPECT_EQ(model.reply[8], '8');
    EXPECT_EQ(model.reply[10], ' ');
    EXPECT_EQ(model.reply[3], 0);
    EXPECT_NE(rig.Send({0x01, 0x17}, 20, "RDELEM").rc, 0) << "unknown element request";

    EXPECT_EQ(rig.Send({0x00}, 1, "SUSPEND").rc, 0);
    EXPECT_THAT(Devices(*rig.library), ElementsAre(1)) << "a suspended phone stays listed";

    ASSERT_EQ(rig.Send(OpenRequest("/a/open.txt"), 2).rc, 0);
    EXPECT_EQ(rig.Send({}, 1, "RESTART").rc, 0);
    ASSERT_TRUE(rig.library->WaitForNotifications(3, kWait)) << "detached, then attached again";
    EXPECT_THAT(rig.sink.Seen(), ElementsAre(0, 1));
    EXPECT_THAT(Devices(*rig.library), ElementsAre(1));
    EXPECT_NE(rig.Send(WriteRequest("x"), 2).rc, 0) << "the restart closed the open file";
    EXPECT_EQ(rig.sink.count, 3);
}

TEST(SimLibrary, AttachDetachNotifyAndKeepOrder) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path() / "1", 1), TestPhone(tmp.path() / "2", 2)});
    ASSERT_TRUE(rig.library->WaitForNotifications(1, kWait));
    ASSERT_TRUE(rig.library->DetachPhone(1));
    EXPECT_FALSE(rig.library->DetachPhone(1));
    ASSERT_TRUE(rig.library->WaitForNotifications(2, kWait));
    EXPECT_THAT(Devices(*rig.library), ElementsAre(2));
    EXPECT_NE(rig.Send(VersionRequest(), 2).rc, 0) << "a detached phone does not answer";
    ASSERT_TRUE(rig.library->AttachPhone(1));
    rig.library->AttachPhone(TestPhone(tmp.path() / "3", 3));
    ASSERT_TRUE(rig.library->WaitForNotifications(4, kWait));
    EXPECT_THAT(Devices(*rig.library), ElementsAre(2, 1, 3));
    EXPECT_EQ(rig.sink.count, 4);
}

// A sink that calls back into the library, as a window polling at once would.
class PollingSink : public PstNotificationSink {
  public:
    void OnDeviceListChanged() override {
        std::vector<std::uint16_t> devices;
        if (library->PSTGetDeviceList(devices) == 0) seen = static_cast<int>(devices.size());
    }
    SimulatedPst* library = nullptr;
    std::atomic<int> seen{-1};
};

TEST(SimLibrary, NotificationMayCallBackAndDestructionDoesNotHang) {
    TempFolder tmp;
    SimConfig config;
    config.phones = {TestPhone(tmp.path())};
    config.restartDelay = std::chrono::hours(1);
    auto library = std::make_unique<SimulatedPst>(config);
    PollingSink sink;
    sink.library = library.get();
    ASSERT_EQ(library->PSTInitializeEx(kInterfaceUsb, &sink), 0);
    ASSERT_TRUE(library->WaitForNotifications(1, kWait));
    EXPECT_EQ(sink.seen, 1);
    // A restart whose re-attach lies far ahead must not hold up destruction.
    std::uint32_t handle = 0;
    ASSERT_EQ(library->PSTGetInterfaceHandle(1, kTestCommandInterface, handle), 0);
    std::int32_t length = 0;
    Bytes reply(1);
    ASSERT_EQ(library->PSTSendCommand(1, handle, "RESTART", {}, reply, length, 1), 0);
    library.reset();
}

TEST(SimLibrary, NoNotificationAfterUninitialise) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    ASSERT_TRUE(rig.library->WaitForNotifications(1, kWait));
    ASSERT_EQ(rig.library->PSTUninitialize(), 0);
    rig.library->DetachPhone(1);
    rig.library->AttachPhone(1);
    // Initialising again posts once more: the first notification seen after it is that one.
    CountingSink second;
    ASSERT_EQ(rig.library->PSTInitializeEx(kInterfaceUsb, &second), 0);
    ASSERT_TRUE(rig.library->WaitForNotifications(2, kWait));
    EXPECT_EQ(rig.sink.count, 1);
    EXPECT_EQ(second.count, 1);
}

TEST(SimTrace, OneLinePerCall) {
    TempFolder tmp;
    const auto trace = tmp.path() / "trace.txt";
    {
        Rig rig({TestPhone(tmp.path() / "img")}, trace);
        ASSERT_TRUE(rig.library->WaitForNotifications(1, kWait));
        std::vector<std::uint16_t> devices;
        rig.library->PSTGetDeviceList(devices);
        rig.library->PSTTestCmdInit(1, 0);
        rig.Send(VersionRequest(), 2);
        rig.Send(CloseRequest(), 2);
        rig.library->PSTUninitialize();
    }
    const std::string handle = "PSTGetInterfaceHandle dev=1 name=Motorola_Test_Command ";
    EXPECT_THAT(
        Lines(trace),
        ElementsAre("PSTInitializeEx mode=1 rc=0", "notify", "PSTGetDeviceList devices=1 rc=0",
                    "PSTTestCmdInit dev=1 rs232=0 rc=0", handle + "handle=50530001 rc=0",
                    "PSTSendCommand dev=1 handle=50530001 cmd=FSAC req=000000090000 cap=2 "
                    "reply=0201 len=2 rc=0",
                    handle + "handle=50530001 rc=0",
                    "PSTSendCommand dev=1 handle=50530001 cmd=FSAC req=00000004 cap=2 "
                    "reply= len=0 rc=1",
                    "PSTUninitialize rc=0"));
}

TEST(SimFaults, FailTheNthMatchingSend) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    FaultPlan plan;
    plan.failSendNumber = 2;
    plan.failSendCommand = "FSAC";
    plan.failSendOp = 9;
    rig.library->SetFaultPlan(plan);
    EXPECT_EQ(rig.Send(VersionRequest(), 2).rc, 0);
    EXPECT_EQ(rig.Send(FreeSpaceRequest('a'), 4).rc, 0) << "other ops do not count";
    SendResult failed = rig.Send(VersionRequest(), 2);
    EXPECT_NE(failed.rc, 0);
    EXPECT_EQ(failed.length, 0);
    EXPECT_EQ(rig.Send(VersionRequest(), 2).rc, 0) << "only the Nth fails";

    plan = {};
    plan.failSendNumber = 1;
    plan.failSendCommand = "RDELEM";
    rig.library->SetFaultPlan(plan);
    EXPECT_EQ(rig.Send(VersionRequest(), 2).rc, 0);
    EXPECT_NE(rig.Send(kRdelemRequest, 20, "RDELEM").rc, 0);

    plan = {};
    plan.failSendNumber = 2;
    plan.failFollowingSends = true;
    plan.failSendOp = 8;
    rig.library->SetFaultPlan(plan);
    ASSERT_EQ(rig.Upload("/a/f1", "1"), 0);
    ASSERT_EQ(rig.Upload("/a/f2", "2"), 0);
    ASSERT_EQ(rig.Upload("/a/f3", "3"), 0);
    EXPECT_EQ(rig.Search("/a/*").size(), 1u) << "search next fails from the second on";
}

TEST(SimFaults, FailingOperations) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    FaultPlan plan;
    plan.failGetDeviceList = true;
    plan.failGetInterfaceHandle = true;
    plan.failTestCmdInit = true;
    rig.library->SetFaultPlan(plan);
    std::vector<std::uint16_t> devices;
    std::uint32_t handle = 0;
    EXPECT_NE(rig.library->PSTGetDeviceList(devices), 0);
    EXPECT_NE(rig.library->PSTGetInterfaceHandle(1, kTestCommandInterface, handle), 0);
    EXPECT_NE(rig.library->PSTTestCmdInit(1, 0), 0);

    plan = {};
    plan.failInitialize = true;
    rig.library->SetFaultPlan(plan);
    EXPECT_NE(rig.library->PSTInitializeEx(kInterfaceUsb, &rig.sink), 0);
    plan.throwOnInitialize = true;
    rig.library->SetFaultPlan(plan);
    EXPECT_ANY_THROW(rig.library->PSTInitializeEx(kInterfaceUsb, &rig.sink));
    rig.library->SetFaultPlan({});
    EXPECT_EQ(rig.library->PSTGetDeviceList(devices), 0) << "the earlier start still holds";
}

TEST(SimFaults, ShortEmptyAndOversizedReads) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    ASSERT_EQ(rig.Upload("/a/f.bin", std::string(2500, 'r')), 0);
    FaultPlan plan;
    plan.readLimit = 100;
    rig.library->SetFaultPlan(plan);
    EXPECT_EQ(rig.Download("/a/f.bin"), std::string(2500, 'r')) << "short reads lose nothing";

    ASSERT_EQ(rig.Send(OpenRequest("/a/f.bin"), 2).rc, 0);
    plan.readLimit = 0;
    rig.library->SetFaultPlan(plan);
    SendResult empty = rig.Send(ReadRequest(1024), 1024);
    EXPECT_EQ(empty.rc, 0);
    EXPECT_EQ(empty.length, 0);

    plan = {};
    plan.oversizeBy = 500;
    rig.library->SetFaultPlan(plan);
    Bytes reply(1024 + 16, 0xEE);
    std::uint32_t handle = 0;
    ASSERT_EQ(rig.library->PSTGetInterfaceHandle(1, kTestCommandInterface, handle), 0);
    std::int32_t length = 0;
    const Bytes read = ReadRequest(1024);
    ASSERT_EQ(rig.library->PSTSendCommand(1, handle, "FSAC", read, std::span(reply).first(1024),
                                          length, 1),
              0);
    EXPECT_EQ(length, 1024 + 500);
    EXPECT_EQ(reply[1024], 0xEE) << "nothing written beyond the buffer";
}

TEST(SimFaults, MalformedSearchReplies) {
    TempFolder tmp;
    Rig rig({FlashPhone(tmp.path())});
    for (int i = 0; i < 3; ++i) ASSERT_EQ(rig.Upload("f" + std::to_string(i), "x"), 0);

    FaultPlan plan;
    plan.searchNext = SearchNextFault::CountZero;
    rig.library->SetFaultPlan(plan);
    ASSERT_EQ(rig.Send(SearchStartRequest("*", false), 2).rc, 0);
    EXPECT_EQ(Be16At(rig.Send(SearchNextRequest(false)).reply, 0), 0);

    plan.searchNext = SearchNextFault::CountTooMany;
    rig.library->SetFaultPlan(plan);
    SendResult many = rig.Send(SearchNextRequest(false));
    EXPECT_GT(Be16At(many.reply, 0), 20);
    EXPECT_EQ(many.reply.size(), 4u + 3u * 44u) << "the records themselves stay in bounds";

    plan.searchNext = SearchNextFault::MissingNul;
    rig.library->SetFaultPlan(plan);
    ASSERT_EQ(rig.Send(SearchStartRequest("*", false), 2).rc, 0);
    SendResult single = rig.Send(SearchNextRequest(true));
    ASSERT_EQ(single.reply.size(), 272u);
    for (std::size_t i = 4; i < 264; ++i) ASSERT_NE(single.reply[i], 0) << i;
    SendResult multi = rig.Send(SearchNextRequest(false));
    for (std::size_t i = 4; i < 40; ++i) ASSERT_NE(multi.reply[i], 0) << i;
}

TEST(SimFaults, DetachAfterTheNthSend) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    ASSERT_TRUE(rig.library->WaitForNotifications(1, kWait));
    ASSERT_EQ(rig.Upload("/a/f.bin", std::string(3000, 'd')), 0);
    FaultPlan plan;
    plan.detachAfterSends = 2;
    plan.detachDevice = 1;
    rig.library->SetFaultPlan(plan);
    ASSERT_EQ(rig.Send(OpenRequest("/a/f.bin"), 2).rc, 0);
    EXPECT_EQ(rig.Send(ReadRequest(1024), 1024).rc, 0) << "the Nth send itself succeeds";
    EXPECT_NE(rig.Send(ReadRequest(1024), 1024).rc, 0);
    EXPECT_TRUE(Devices(*rig.library).empty());
    EXPECT_TRUE(rig.library->WaitForNotifications(2, kWait));
}

TEST(SimFaults, OversizeDetachAndEmptyRepliesNamedByOperation) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    ASSERT_TRUE(rig.library->WaitForNotifications(1, kWait));
    ASSERT_EQ(rig.Upload("/a/f.bin", std::string(3000, 'd')), 0);

    // Over-long lengths for reads only: the open before them reports its true length.
    FaultPlan plan;
    plan.oversizeBy = 7;
    plan.oversizeOp = 1;
    rig.library->SetFaultPlan(plan);
    EXPECT_LE(rig.Send(OpenRequest("/a/f.bin"), 2).length, 2);
    EXPECT_EQ(rig.Send(ReadRequest(1024), 1024).length, 1024 + 7);

    // Detach counted on reads: the close between them does not count.
    plan = {};
    plan.detachAfterSends = 2;
    plan.detachDevice = 1;
    plan.detachOp = 1;
    rig.library->SetFaultPlan(plan);
    EXPECT_EQ(rig.Send(ReadRequest(1024), 1024).rc, 0);
    EXPECT_EQ(rig.Send(CloseRequest()).rc, 0);
    ASSERT_EQ(rig.Send(OpenRequest("/a/f.bin"), 2).rc, 0);
    EXPECT_FALSE(Devices(*rig.library).empty());
    EXPECT_EQ(rig.Send(ReadRequest(1024), 1024).rc, 0) << "the Nth read itself succeeds";
    EXPECT_TRUE(Devices(*rig.library).empty());

    TempFolder other;
    Rig again({TestPhone(other.path())});
    ASSERT_TRUE(again.library->WaitForNotifications(1, kWait));
    ASSERT_EQ(again.Upload("/a/f.bin", "x"), 0);
    plan = {};
    plan.searchNext = SearchNextFault::Empty;
    again.library->SetFaultPlan(plan);
    ASSERT_EQ(again.Send(SearchStartRequest("/a/*"), 2).rc, 0);
    const SendResult empty = again.Send(SearchNextRequest(true));
    EXPECT_EQ(empty.rc, 0);
    EXPECT_EQ(empty.length, 0);
    again.library->SetFaultPlan({});
    EXPECT_EQ(again.Send(SearchNextRequest(true)).length, 272) << "the search did not move on";
}

TEST(SimLibrary, ConcurrentSendsRestartsAndDetachesTraceWholeLines) {
    TempFolder tmp;
    const auto trace = tmp.path() / "trace.txt";
    Rig rig({TestPhone(tmp.path() / "1", 1), TestPhone(tmp.path() / "2", 2)}, trace);
    rig.sink.library = rig.library.get();
    std::atomic<bool> stop{false};
    auto worker = [&](std::uint16_t device) {
        while (!stop) {
            rig.Send(OpenRequest("/a/x.bin"), 2, "FSAC", device);
            rig.Send(WriteRequest("payload"), 2, "FSAC", device);
            rig.Send(CloseRequest(), 2, "FSAC", device);
            rig.Send(SearchStartRequest("/a/*"), 2, "FSAC", device);
            rig.Send(SearchNextRequest(true), 884, "FSAC", device);
        }
    };
    std::thread first(worker, 1);
    std::thread second(worker, 2);
    for (int i = 0; i < 20; ++i) {
        rig.Send({}, 1, "RESTART", 2);
        rig.library->DetachPhone(1);
        rig.library->AttachPhone(1);
        Devices(*rig.library);
    }
    stop = true;
    first.join();
    second.join();
    EXPECT_EQ(rig.Send(VersionRequest(), 2, "FSAC", 1).rc, 0);
    const auto lines = Lines(trace);
    EXPECT_GE(lines.size(), 41u);
    for (const std::string& line : lines) {
        const auto parsed = ParseTraceLine(line);
        ASSERT_TRUE(parsed) << line;
        ASSERT_TRUE(parsed->operation == kTraceNotify || parsed->Field("rc")) << line;
    }
}

TEST(SimRate, SlowLinkStillDeliversEverything) {
    TempFolder tmp;
    SimPhoneConfig phone = TestPhone(tmp.path());
    phone.rate = 1000000;
    Rig rig({phone});
    ASSERT_EQ(rig.Upload("/a/slow.bin", std::string(5000, 's')), 0);
    EXPECT_EQ(rig.Download("/a/slow.bin"), std::string(5000, 's'));
}

}  // namespace
}  // namespace velmora::test
