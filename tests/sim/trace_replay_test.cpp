// The trace replayer against traces of the emulated phone: a session played back answer for
// answer, notifications included, and each way a call can part from its line.
#include "sim/trace_replay.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <thread>
#include <tuple>

#include "sim_test_support.h"

namespace velmora::test {
namespace {

bool WaitFor(const std::atomic<int>& count, int wanted) {
    for (int i = 0; i < 1000 && count < wanted; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return count >= wanted;
}

ReplayTrace Load(const std::filesystem::path& path) {
    std::string problem;
    auto trace = LoadReplayTrace(path, problem);
    EXPECT_TRUE(trace) << problem;
    return trace ? std::move(*trace) : ReplayTrace{};
}

auto Answer(const SendResult& r) {
    return std::tie(r.rc, r.length, r.reply);
}

TEST(TraceReplay, PlaysARecordedSessionBackAnswerForAnswerWithItsNotifications) {
    TempFolder tmp;
    const auto trace = tmp.path() / "trace.txt";
    // The last fails: nothing is open.
    const Bytes requests[] = {VersionRequest(), SearchStartRequest("/a/*"), CloseRequest()};
    std::vector<SendResult> recorded;
    {
        Rig rig({TestPhone(tmp.path() / "img")}, trace);
        ASSERT_TRUE(WaitFor(rig.sink.count, 1));
        for (const Bytes& request : requests) recorded.push_back(rig.Send(request, 2));
        rig.Send({}, 1, "RESTART");
        ASSERT_TRUE(WaitFor(rig.sink.count, 3));  // gone, and back
        rig.library->PSTUninitialize();
    }
    TraceReplayPst replay(Load(trace));
    CountingSink sink;
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(replay.PSTInitializeEx(kInterfaceUsb, &sink), 0);
    EXPECT_TRUE(WaitFor(sink.count, 1));
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        EXPECT_EQ(Answer(SendOn(replay, requests[i], 2)), Answer(recorded[i])) << i;
    }
    EXPECT_EQ(SendOn(replay, {}, 1, "RESTART").rc, 0);
    EXPECT_TRUE(WaitFor(sink.count, 3));
    EXPECT_EQ(replay.PSTUninitialize(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(TraceReplay, ACallThatPartsFromItsLineFailsNamingTheLineAndGoesOnWithTheNext) {
    TempFolder tmp;
    const auto trace = tmp.path() / "trace.txt";
    std::ofstream(trace) << "PSTInitializeEx mode=1 rc=0\n"
                            "PSTGetDeviceList devices=1,2 rc=0\n"
                            "\n"
                            "PSTGetInterfaceHandle dev=1 name=Motorola_Test_Command "
                            "handle=50530001 rc=0\n"
                            "PSTSendCommand dev=1 handle=50530001 cmd=FSAC req=000000090000 "
                            "cap=2 reply=0201 len=2 rc=0\n"
                            "PSTTestCmdInit dev=2 rs232=0 rc=0\n";
    using Call = std::function<std::int32_t(PstLibrary&)>;
    auto send = [](Bytes request) -> Call {
        return [request](PstLibrary& l) { return SendOn(l, request, 2).rc; };
    };
    const Call devices = [](PstLibrary& l) {
        std::vector<std::uint16_t> ids;
        return l.PSTGetDeviceList(ids);
    };
    auto testCmdInit = [](std::uint16_t id, std::int32_t rs232) -> Call {
        return [=](PstLibrary& l) { return l.PSTTestCmdInit(id, rs232); };
    };
    Bytes changed = VersionRequest();
    changed[5] = 1;
    struct Case {
        std::vector<Call> calls;  // after the initialisation; only the last one fails
        std::string says;
    };
    const Case cases[] = {
        {{testCmdInit(1, 0)},
         " line 2: the trace has PSTGetDeviceList, the call is PSTTestCmdInit dev=1 rs232=0"},
        {{devices, send(changed)},
         " line 5: PSTSendCommand req differs at byte 5: the trace has 00, the call 01"},
        {{devices, send(Record({VersionRequest(), {7}}))},
         " line 5: PSTSendCommand req has 7 bytes, the trace 6"},
        {{devices, send(VersionRequest()), testCmdInit(2, 1)},
         " line 6: PSTTestCmdInit rs232 is \"1\", the trace has \"0\""},
        {{devices, send(VersionRequest()), testCmdInit(2, 0), devices},
         " ends at line 6; the call PSTGetDeviceList is not in it"},
    };
    for (const Case& c : cases) {
        TraceReplayPst replay(Load(trace));
        NoSink sink;
        ASSERT_EQ(replay.PSTInitializeEx(kInterfaceUsb, &sink), 0);
        ::testing::internal::CaptureStderr();
        for (std::size_t i = 0; i + 1 < c.calls.size(); ++i) EXPECT_EQ(c.calls[i](replay), 0);
        EXPECT_NE(c.calls.back()(replay), 0) << c.says;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "velmora-pst-replay: " + trace.string() + c.says + "\n");
    }
    // The line a call missed is used up: the next call meets the next line.
    TraceReplayPst replay(Load(trace));
    ::testing::internal::CaptureStderr();
    EXPECT_NE(replay.PSTInitializeEx(kInterfaceRs232, nullptr), 0);
    EXPECT_EQ(devices(replay), 0);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("line 1: PSTInitializeEx mode is"),
              std::string::npos);

    std::ofstream(trace, std::ios::app) << "PSTGetDeviceList rc=yes\n";
    std::string problem;
    EXPECT_FALSE(LoadReplayTrace(trace, problem));
    EXPECT_EQ(problem, trace.string() + " line 7: not a trace line");
}

}  // namespace
}  // namespace velmora::test
