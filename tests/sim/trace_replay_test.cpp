// The trace replayer against traces of the emulated phone: a session played back answer for
// answer, notifications included, and each way a call can part from its line.
#include "sim/trace_replay.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <thread>

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

TEST(TraceReplay, PlaysARecordedSessionBackAnswerForAnswer) {
    TempFolder tmp;
    const auto trace = tmp.path() / "trace.txt";
    const std::vector<std::pair<Bytes, std::size_t>> requests = {
        {VersionRequest(), 2},
        {SearchStartRequest("/a/*"), 2},
        {SearchNextRequest(true), 884},
        {CloseRequest(), 2},  // fails: nothing is open
    };
    std::vector<SendResult> recorded;
    {
        Rig rig({TestPhone(tmp.path() / "img")}, trace);
        ASSERT_TRUE(WaitFor(rig.sink.count, 1));
        for (const auto& [request, room] : requests) recorded.push_back(rig.Send(request, room));
        rig.Send({}, 1, "RESTART");
        ASSERT_TRUE(WaitFor(rig.sink.count, 3));  // gone, and back
        std::vector<std::uint16_t> devices;
        rig.library->PSTGetDeviceList(devices);
        rig.library->PSTUninitialize();
    }

    TraceReplayPst replay(Load(trace));
    CountingSink sink;
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(replay.PSTInitializeEx(kInterfaceUsb, &sink), 0);
    EXPECT_TRUE(WaitFor(sink.count, 1));
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const SendResult played = SendOn(replay, requests[i].first, requests[i].second);
        EXPECT_EQ(played.rc, recorded[i].rc) << i;
        EXPECT_EQ(played.length, recorded[i].length) << i;
        EXPECT_EQ(played.reply, recorded[i].reply) << i;
    }
    EXPECT_EQ(SendOn(replay, {}, 1, "RESTART").rc, 0);
    EXPECT_TRUE(WaitFor(sink.count, 3));
    std::vector<std::uint16_t> devices;
    EXPECT_EQ(replay.PSTGetDeviceList(devices), 0);
    EXPECT_EQ(devices, std::vector<std::uint16_t>{1});
    EXPECT_EQ(replay.PSTUninitialize(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(TraceReplay, ACallThatPartsFromItsLineFailsNamingTheLineAndGoesOnWithTheNext) {
    TempFolder tmp;
    const auto trace = tmp.path() / "trace.txt";
    std::ofstream(trace) << "PSTInitializeEx mode=1 rc=0\n"
                            "PSTGetDeviceList devices=1,2 rc=0\n"
                            "\n"
                            "PSTSendCommand dev=1 handle=50530001 cmd=FSAC req=000000090000 "
                            "cap=2 reply=0201 len=2 rc=0\n"
                            "PSTTestCmdInit dev=2 rs232=0 rc=0\n";
    const Bytes version = VersionRequest();
    Bytes changed = version;
    changed[5] = 1;
    auto send = [](const Bytes& request) -> std::function<std::int32_t(PstLibrary&)> {
        return [request](PstLibrary& l) {
            Bytes reply(2);
            std::int32_t length = 0;
            return l.PSTSendCommand(1, 0x50530001, "FSAC", request, reply, length, 1);
        };
    };
    const std::function<std::int32_t(PstLibrary&)> devices = [](PstLibrary& l) {
        std::vector<std::uint16_t> ids;
        return l.PSTGetDeviceList(ids);
    };
    using Call = std::function<std::int32_t(PstLibrary&)>;
    const Call test = [](PstLibrary& l) { return l.PSTTestCmdInit(2, 0); };
    struct Case {
        const char* what;
        std::vector<Call> calls;  // after the initialisation; only the last one fails
        std::string says;
    };
    const Case cases[] = {
        {"another operation",
         {[](PstLibrary& l) { return l.PSTTestCmdInit(1, 0); }},
         " line 2: the trace has PSTGetDeviceList, the call is PSTTestCmdInit dev=1 rs232=0"},
        {"a request byte",
         {devices, send(changed)},
         " line 4: PSTSendCommand req differs at byte 5: the trace has 00, the call 01"},
        {"a longer request",
         {devices, send(Record({version, {7}}))},
         " line 4: PSTSendCommand req has 7 bytes, the trace 6"},
        {"an argument",
         {devices, send(version), [](PstLibrary& l) { return l.PSTTestCmdInit(2, 1); }},
         " line 5: PSTTestCmdInit rs232 is \"1\", the trace has \"0\""},
        {"past the end",
         {devices, send(version), test, devices},
         " ends at line 5; the call PSTGetDeviceList is not in it"},
    };
    for (const Case& c : cases) {
        TraceReplayPst replay(Load(trace));
        NoSink sink;
        ASSERT_EQ(replay.PSTInitializeEx(kInterfaceUsb, &sink), 0);
        ::testing::internal::CaptureStderr();
        for (std::size_t i = 0; i + 1 < c.calls.size(); ++i) EXPECT_EQ(c.calls[i](replay), 0);
        EXPECT_NE(c.calls.back()(replay), 0) << c.what;
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(said, "velmora-pst-replay: " + trace.string() + c.says + "\n") << c.what;
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
    EXPECT_EQ(problem, trace.string() + " line 6: not a trace line");
}

}  // namespace
}  // namespace velmora::test
