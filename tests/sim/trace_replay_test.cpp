// The trace replayer: each way a call can part from its line. A window test replays sessions.
#include "sim/trace_replay.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "sim_test_support.h"

namespace velmora::test {
namespace {

TraceReplayPst Replay(const std::filesystem::path& path) {
    std::string problem;
    auto trace = LoadReplayTrace(path, problem);
    EXPECT_TRUE(trace) << problem;
    return TraceReplayPst(trace ? std::move(*trace) : ReplayTrace{});
}

TEST(TraceReplay, ACallThatPartsFromItsLineFailsNamingTheLineWhichIsUsedUp) {
    TempFolder tmp;
    const auto trace = tmp.path() / "trace.txt";
    std::ofstream(trace) << "PSTInitializeEx mode=1 rc=0\nPSTGetDeviceList devices=1,2 rc=0\n\n"
                            "PSTGetInterfaceHandle dev=1 name=Motorola_Test_Command "
                            "handle=50530001 rc=0\nPSTSendCommand dev=1 handle=50530001 cmd=FSAC "
                            "req=000000090000 cap=2 reply=0201 len=2 rc=0\n"
                            "PSTTestCmdInit dev=2 rs232=0 rc=0\n";
    using Call = std::function<std::int32_t(PstLibrary&)>;
    auto send = [](Bytes request) -> Call {
        return [request](PstLibrary& l) {
            std::uint32_t handle = 0;
            Bytes reply(2);
            std::int32_t length = 0;
            if (l.PSTGetInterfaceHandle(1, kTestCommandInterface, handle) != 0) return 1;
            return l.PSTSendCommand(1, handle, "FSAC", request, reply, length, 1);
        };
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
        std::vector<Call> calls;  // after the initialisation; only the one at `fails` fails
        std::size_t fails;
        std::string says;
    };
    const Case cases[] = {
        {{testCmdInit(1, 0), send(VersionRequest())},
         0,
         " line 2: the trace has PSTGetDeviceList, the call is PSTTestCmdInit dev=1 rs232=0"},
        {{devices, send(changed), testCmdInit(2, 0)},
         1,
         " line 5: PSTSendCommand req differs at byte 5: the trace has 00, the call 01"},
        {{devices, send(Record({VersionRequest(), {7}}))},
         1,
         " line 5: PSTSendCommand req has 7 bytes, the trace 6"},
        {{devices, send(VersionRequest()), testCmdInit(2, 1)},
         2,
         " line 6: PSTTestCmdInit rs232 is \"1\", the trace has \"0\""},
        {{devices, send(VersionRequest()), testCmdInit(2, 0), devices},
         3,
         " ends at line 6; the call PSTGetDeviceList is not in it"},
    };
    for (const Case& c : cases) {
        TraceReplayPst replay = Replay(trace);
        ASSERT_EQ(replay.PSTInitializeEx(kInterfaceUsb, nullptr), 0);
        ::testing::internal::CaptureStderr();
        for (std::size_t i = 0; i < c.calls.size(); ++i) {
            EXPECT_EQ(c.calls[i](replay) != 0, i == c.fails) << c.says << ", call " << i;
        }
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "velmora-pst-replay: " + trace.string() + c.says + "\n");
    }
    std::ofstream(trace, std::ios::app) << "PSTGetDeviceList rc=yes\n";
    std::string problem;
    EXPECT_FALSE(LoadReplayTrace(trace, problem));
    EXPECT_EQ(problem, trace.string() + " line 7: not a trace line");
}

}  // namespace
}  // namespace velmora::test
