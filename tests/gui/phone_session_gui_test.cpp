// The program's window on the default emulated phone: the device poll fills the device list,
// the tree and the status bar once the library has announced the phone.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/choice.h>
#include <wx/statbmp.h>
#include <wx/statusbr.h>
#include <wx/tooltip.h>
#include <wx/treectrl.h>

#include <chrono>
#include <memory>
#include <thread>

#include "base/lang_string.h"
#include "fsac/volume_queries.h"
#include "gui/main_frame.h"
#include "sim/simulated_pst.h"
#include "support/fakes.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"

namespace velmora {
namespace {

template <typename Pred>
bool PumpUntil(Pred done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::string Utf8(const wxString& s) {
    return std::string(s.utf8_str().data());
}

class PhoneSessionGuiTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageIndex(kLanguageEnglish); }
    void TearDown() override {
        if (m_frame) {
            m_frame->CloseWindow();
            EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
        }
        // The library outlives the window, as in the program.
        if (m_pst) m_pst->PSTUninitialize();
    }

    std::unique_ptr<SimulatedPst> m_pst = CreateEmulatedPhoneLibrary();
    test::MemorySettingsStore user;
    test::NullShell shell;
    MainFrame* m_frame = nullptr;
};

TEST_F(PhoneSessionGuiTest, DefaultPhoneAppearsWithItsVolumesAndFreeSpace) {
    ASSERT_TRUE(m_pst->ConfigError().empty()) << m_pst->ConfigError();
    m_frame = new MainFrame(*m_pst, user, shell, "/opt/velmora/");
    m_frame->Show();

    auto* devices = dynamic_cast<wxChoice*>(m_frame->Control(kIdDeviceList));
    auto* tree = dynamic_cast<wxTreeCtrl*>(m_frame->Control(kIdTree));
    ASSERT_NE(devices, nullptr);
    ASSERT_NE(tree, nullptr);
    const std::string root = "E398  (FSAC v.2.1)";
    ASSERT_TRUE(PumpUntil([&] {
        return tree->GetRootItem().IsOk() && Utf8(tree->GetItemText(tree->GetRootItem())) == root &&
               !m_frame->Model().PollingActive();
    })) << "the device poll never decorated the tree's root";

    ASSERT_EQ(devices->GetCount(), 1u);
    EXPECT_EQ(Utf8(devices->GetString(0)), "Motorola phone ID #1");
    EXPECT_EQ(devices->GetSelection(), 0);

    std::vector<std::string> volumes;
    wxTreeItemIdValue cookie;
    for (auto item = tree->GetFirstChild(tree->GetRootItem(), cookie); item.IsOk();
         item = tree->GetNextChild(tree->GetRootItem(), cookie)) {
        volumes.push_back(Utf8(tree->GetItemText(item)));
    }
    EXPECT_EQ(volumes, (std::vector<std::string>{"/a", "/b"}));

    EXPECT_EQ(m_frame->Model().StatusPart(0).icon, kIconConnected);
    wxStaticBitmap* icon = m_frame->StatusIcon(0);
    EXPECT_TRUE(icon->IsShown());
    ASSERT_NE(icon->GetToolTip(), nullptr);
    EXPECT_EQ(Utf8(icon->GetToolTip()->GetTip()), "Connected");

    const std::int32_t freeBytes = m_frame->Model().Phone().State().CachedFreeSpace();
    EXPECT_GT(freeBytes, 0);
    EXPECT_EQ(Utf8(m_frame->Status()->GetStatusText(3)), FormatFreeSpace(freeBytes));
    EXPECT_EQ(Utf8(m_frame->Status()->GetStatusText(2)), "path not selected");
}

}  // namespace
}  // namespace velmora
