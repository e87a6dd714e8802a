// The real window while a download runs on the emulated phone, its link held after a few
// chunks: the tree, the list and the text fields still take the user's input, and Interrupt
// ends the job with no chunk read after the one in flight.
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/listctrl.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "base/lang_string.h"
#include "fsac/fsac_records.h"
#include "gui/main_frame.h"
#include "gui_pump.h"
#include "sim/sim_phone.h"
#include "support/built_library.h"
#include "support/fakes.h"
#include "support/temp_folder.h"
#include "support/watched_pst.h"
#include "transfer/job.h"
#include "transfer/phone_file_reader.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"

namespace velmora {
namespace {

using test::ChildNamed;
using test::PumpUntil;
using test::Utf8;

constexpr auto kRead = static_cast<std::uint32_t>(FsacOp::Read);
constexpr auto kClose = static_cast<std::uint32_t>(FsacOp::Close);
constexpr int kHeldAfterChunk = 3;

class TransferInputGuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        SimPhoneConfig phone;
        phone.image = m_folder.path() / "phone";
        phone.volumes = {{'a', 1 << 20}};
        // Seeded first: the emulator does not fill an image that exists with its sample.
        SimPhone seed(phone);
        seed.PutFile("/a/music/long.mid", std::vector<std::uint8_t>(64 * kFsacBlockSize, 7));
        seed.PutFile("/a/notes/todo.txt", std::vector<std::uint8_t>(10, 't'));
        m_pst =
            test::LoadEmulator(m_folder.path(), "[phone 1]\nimage = phone\nvolumes = a:1048576\n");
        m_library = std::make_unique<test::WatchedPst>(*m_pst);
    }
    void TearDown() override {
        Release();
        if (m_frame) {
            m_frame->CloseWindow();
            EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
        }
        EXPECT_TRUE(Jobs().WaitUntilIdle(std::chrono::seconds(10)));
        m_pst->PSTUninitialize();
    }

    void Click(int id) {
        wxCommandEvent click(wxEVT_BUTTON, id);
        click.SetEventObject(m_frame->Control(id));
        m_frame->Control(id)->ProcessWindowEvent(click);
    }
    void Settle() {
        ASSERT_TRUE(PumpUntil([] { return JobsIdle(); })) << "the job never ended";
        PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    }
    // Holds the worker inside the phone library once the link has answered the read of
    // chunk `nth`, until Release; bounded, so a failed test cannot hang the suite.
    void HoldAfterRead(int nth) {
        m_library->AfterRequest(kRead, nth, [this] {
            std::unique_lock lock(m_mutex);
            m_held = true;
            m_wake.wait_for(lock, std::chrono::seconds(30), [this] { return m_released; });
        });
    }
    void Release() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_wake.notify_all();
    }
    bool Held() {
        std::lock_guard lock(m_mutex);
        return m_held;
    }

    test::TempFolder m_folder{"transfer_input"};
    std::unique_ptr<PstLibrary> m_pst;
    std::unique_ptr<test::WatchedPst> m_library;
    test::MemorySettingsStore m_user;
    test::NullShell m_shell;
    test::FakePrompts m_prompts;
    MainFrame* m_frame = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_held = false;
    bool m_released = false;
};

TEST_F(TransferInputGuiTest, WindowTakesInputDuringADownloadAndInterruptEndsItAtOnce) {
    m_frame = new MainFrame(*m_library, m_user, m_shell, "/opt/velmora/");
    m_frame->Show();
    m_frame->AnswerPromptsFrom(&m_prompts);
    auto* tree = dynamic_cast<wxTreeCtrl*>(m_frame->Control(kIdTree));
    auto* list = dynamic_cast<wxListCtrl*>(m_frame->Control(kIdFileList));
    auto* mask = dynamic_cast<wxComboBox*>(m_frame->Control(kIdSearchMask));
    auto* uploadPath = dynamic_cast<wxTextCtrl*>(m_frame->Control(kIdUploadPath));
    ASSERT_TRUE(tree && list && mask && uploadPath);
    ASSERT_TRUE(PumpUntil([&] {
        return tree->GetRootItem().IsOk() && !m_frame->Model().PollingActive() &&
               ChildNamed(*tree, tree->GetRootItem(), "/a").IsOk();
    }));
    tree->SelectItem(ChildNamed(*tree, tree->GetRootItem(), "/a"));
    Click(kIdGetFileList);
    Settle();
    // The listing builds the volume's node anew.
    wxTreeItemId volume;
    ASSERT_TRUE(PumpUntil([&] {
        volume = ChildNamed(*tree, tree->GetRootItem(), "/a");
        return volume.IsOk() && ChildNamed(*tree, volume, "music").IsOk();
    }));
    tree->SelectItem(ChildNamed(*tree, volume, "music"));
    ASSERT_TRUE(PumpUntil([&] { return list->GetItemCount() == 1; }));
    Settle();  // what the selection started

    list->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    m_prompts.saveAnswers = {(m_folder.path() / "long.mid").string()};
    m_library->Clear();
    HoldAfterRead(kHeldAfterChunk);
    Click(kIdDownload);
    ASSERT_TRUE(PumpUntil([&] { return Held(); })) << "the download never reached the link";
    ASSERT_TRUE(JobBusy());
    EXPECT_TRUE(m_frame->Control(kIdInterrupt)->IsEnabled());
    EXPECT_FALSE(m_frame->Control(kIdDownload)->IsEnabled());

    // Typing into the fields reaches the window's state.
    mask->SetValue("*.jpg");
    uploadPath->SetValue("/a/notes/");
    EXPECT_EQ(m_frame->Model().Control(kIdSearchMask).text, "*.jpg");
    EXPECT_EQ(m_frame->Model().Control(kIdUploadPath).text, "/a/notes/");
    // Another folder of the tree, and the list follows it.
    const wxTreeItemId notes = ChildNamed(*tree, volume, "notes");
    tree->SelectItem(notes);
    EXPECT_TRUE(PumpUntil(
        [&] { return list->GetItemCount() == 1 && Utf8(list->GetItemText(0, 0)) == "todo.txt"; }));
    EXPECT_EQ(tree->GetSelection(), notes);
    EXPECT_TRUE(JobBusy());
    EXPECT_EQ(m_library->Count(kRead), kHeldAfterChunk);

    Click(kIdInterrupt);
    Release();
    Settle();
    // The chunk in flight when Interrupt was pressed ends the job; no read follows it, and
    // the phone's file is closed.
    EXPECT_EQ(m_library->Count(kRead), kHeldAfterChunk);
    EXPECT_GE(m_library->Count(kClose), 1);
    EXPECT_EQ(Utf8(m_frame->Status()->GetStatusText(kStatusMessagePart)),
              LoadLangString(kStrDownloadInterrupted));
    EXPECT_TRUE(m_prompts.Boxes().empty());
    EXPECT_TRUE(m_frame->Control(kIdDownload)->IsEnabled());
    EXPECT_FALSE(m_frame->Control(kIdInterrupt)->IsEnabled());
    EXPECT_EQ(Utf8(mask->GetValue()), "*.jpg");
}

}  // namespace
}  // namespace velmora
