// The session against the emulated phone library, notifications and all.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/lang_string.h"
#include "fsac/phone_session.h"
#include "sim/simulated_pst.h"
#include "support/fake_session_window.h"
#include "support/fakes.h"
#include "support/pumped_ui_thread.h"

namespace velmora {
namespace {

using test::FakePrompts;
using test::FakeSessionWindow;
using test::PumpedUiThread;

namespace fs = std::filesystem;
constexpr auto kWait = std::chrono::seconds(10);

// The test's thread plays the window's thread and its timer: notifications arrive from the
// library's thread and are carried over through the posted queue.
class SessionOnEmulatorTest : public ::testing::Test, public PstNotificationSink {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        const char* base = std::getenv("VELMORA_TEST_TMP");
        m_folder = (base ? fs::path(base) : fs::temp_directory_path()) /
                   ("session_" +
                    std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                    "_" + std::to_string(::getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override {
        // No notification is under way once this returns.
        if (m_pst) m_pst->PSTUninitialize();
        m_session.reset();
        m_pst.reset();
        std::error_code ec;
        fs::remove_all(m_folder, ec);
    }
    void OnDeviceListChanged() override {
        ui.Post([this] { m_session->SchedulePoll(); });
    }

    void Start(std::vector<SimPhoneConfig> phones) {
        SimConfig config;
        for (auto& phone : phones) {
            phone.image = m_folder / ("phone" + std::to_string(phone.deviceId));
        }
        config.phones = std::move(phones);
        config.tracePath = m_folder / "trace.txt";
        config.restartDelay = std::chrono::milliseconds(20);
        m_pst = std::make_unique<SimulatedPst>(config);
        m_session = std::make_unique<PhoneSession>(*m_pst, window, prompts);
        ASSERT_EQ(m_pst->PSTInitializeEx(kInterfaceUsb, this), 0);
    }
    // Hands the first `notifications` to the window, then lets timer 1 tick.
    void PollAfter(std::uint64_t notifications) {
        ASSERT_TRUE(m_pst->WaitForNotifications(notifications, kWait));
        ui.Drain();
        ASSERT_TRUE(m_session->PollingActive());
        m_session->OnPollTimer();
    }
    // The command and request of each send after the last device-list call.
    std::vector<std::string> SendsAfterDeviceList() const {
        std::ifstream in(m_folder / "trace.txt");
        std::vector<std::string> sends;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("PSTGetDeviceList", 0) == 0) sends.clear();
            if (line.rfind("PSTSendCommand", 0) != 0) continue;
            const auto cmd = line.find("cmd=");
            const auto cap = line.find(" cap=");
            sends.push_back(line.substr(cmd + 4, cap - cmd - 4));
        }
        return sends;
    }

    PumpedUiThread ui;
    FakeSessionWindow window;
    FakePrompts prompts;
    std::unique_ptr<SimulatedPst> m_pst;
    std::unique_ptr<PhoneSession> m_session;

  private:
    fs::path m_folder;
};

TEST_F(SessionOnEmulatorTest, DefaultPhoneIsFoundAndQueriedByteForByte) {
    Start({SimPhoneConfig{}});
    PollAfter(1);

    EXPECT_EQ(SendsAfterDeviceList(), (std::vector<std::string>{
                                          "FSAC req=000000090000",
                                          "FSAC req=0000000A0000",
                                          "RDELEM req=0117000100000010",
                                          "FSAC req=000000090000",
                                          "FSAC req=0000000B0007612F0000",
                                      }));
    EXPECT_TRUE(prompts.Boxes().empty());
    ASSERT_EQ(window.devices.size(), 1u);
    EXPECT_EQ(window.devices[0].text, "Motorola phone ID #1");
    EXPECT_EQ(window.selected, 0);
    EXPECT_EQ(window.root, "E398  (FSAC v.2.1)");
    EXPECT_EQ(window.treeVolumes, (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(window.status.Text(3), "8.0 Mb free");  // an empty 8 MiB volume
    EXPECT_EQ(window.icons[0].first, 134);
}

TEST_F(SessionOnEmulatorTest, FlashPhoneHasTheSingleFlashVolume) {
    SimPhoneConfig flash;
    flash.model = "C350";
    flash.fsacMajor = 1;
    flash.fsacMinor = 5;
    Start({flash});
    PollAfter(1);

    EXPECT_EQ(m_session->State().FileSystemFlag(), 1);
    EXPECT_EQ(window.searchEnabled, false);
    EXPECT_EQ(window.treeVolumes, std::vector<std::string>{"FLASH"});
    EXPECT_EQ(m_session->State().VolumeCount(), 0);
    EXPECT_EQ(window.root, "C350 (FSAC v.1.5)");
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(SessionOnEmulatorTest, RestartedPhoneComesBackThroughTheNotifications) {
    Start({SimPhoneConfig{}});
    PollAfter(1);

    m_session->Restart();
    EXPECT_EQ(window.status.Text(4), "Phone restarted");
    // Detached, then attached again: both notifications schedule one poll.
    PollAfter(3);
    ASSERT_EQ(window.devices.size(), 1u);
    EXPECT_EQ(window.selected, 0);
    EXPECT_TRUE(prompts.Boxes().empty());
}

}  // namespace
}  // namespace velmora
