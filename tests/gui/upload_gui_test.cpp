// Writing to the emulated phone through the real window: Upload with the open-files dialog
// answered through the window's prompts, a file manager's drop on the list, and Fill space;
// the phone's image holds the files and the window shows them.
#include <gtest/gtest.h>
#include <wx/dnd.h>
#include <wx/listctrl.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "base/lang_string.h"
#include "fsac/volume_queries.h"
#include "gui/main_frame.h"
#include "gui_pump.h"
#include "sim/sim_phone.h"
#include "support/built_library.h"
#include "support/fakes.h"
#include "support/temp_folder.h"
#include "transfer/job.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::ChildNamed;
using test::PumpUntil;
using test::Utf8;

class UploadGuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        // A small first volume: filling it is quick even under the sanitizers.
        m_pst = test::LoadEmulator(folder.path(), "[phone 1]\nimage = " + image.string() +
                                                      "\nvolumes = a:1048576 b:33554432\n");
    }
    void TearDown() override {
        if (m_frame) {
            m_frame->CloseWindow();
            EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
        }
        // A job still running sends to the library: it goes only after the job.
        EXPECT_TRUE(Jobs().WaitUntilIdle(std::chrono::seconds(10)));
        if (m_pst) m_pst->PSTUninitialize();
    }

    std::string Local(const std::string& name, std::size_t size) {
        std::string bytes(size, '\0');
        std::mt19937 generator(static_cast<unsigned>(size));
        for (char& c : bytes) c = static_cast<char>(generator());
        std::ofstream(folder.path() / name, std::ios::binary) << bytes;
        return (folder.path() / name).string();
    }

    void WaitForTheJob() {
        EXPECT_TRUE(PumpUntil([] { return JobsIdle(); }, std::chrono::seconds(60)))
            << "the job never ended";
        PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    }
    void Click(int buttonId) {
        wxCommandEvent click(wxEVT_BUTTON, buttonId);
        click.SetEventObject(m_frame->Control(buttonId));
        m_frame->Control(buttonId)->ProcessWindowEvent(click);
        WaitForTheJob();
    }

    test::TempFolder folder{"upload_gui"};
    fs::path image = folder.path() / "phone";
    std::unique_ptr<PstLibrary> m_pst;
    test::MemorySettingsStore user;
    test::NullShell shell;
    test::FakePrompts prompts;
    MainFrame* m_frame = nullptr;
};

TEST_F(UploadGuiTest, UploadDropAndFillReachTheImageAndTheWindow) {
    m_frame = new MainFrame(*m_pst, user, shell, "/opt/velmora/");
    m_frame->Show();
    m_frame->AnswerPromptsFrom(&prompts);
    auto* tree = dynamic_cast<wxTreeCtrl*>(m_frame->Control(kIdTree));
    auto* list = dynamic_cast<wxListCtrl*>(m_frame->Control(kIdFileList));
    ASSERT_TRUE(tree && list);
    ASSERT_TRUE(PumpUntil([&] {
        return tree->GetRootItem().IsOk() && !m_frame->Model().PollingActive() &&
               ChildNamed(*tree, tree->GetRootItem(), "/a").IsOk();
    }));
    tree->SelectItem(ChildNamed(*tree, tree->GetRootItem(), "/a"));
    Click(kIdGetFileList);
    const wxTreeItemId a = ChildNamed(*tree, tree->GetRootItem(), "/a");
    const wxTreeItemId mobile = ChildNamed(*tree, a, "mobile");
    tree->Expand(mobile);
    tree->SelectItem(ChildNamed(*tree, mobile, "audio"));
    ASSERT_TRUE(PumpUntil([&] { return list->GetItemCount() == 4; }));

    // Two files through the dialog.
    const std::string one = Local("tune.mid", 3000);
    const std::string two = Local("notes.txt", 10);
    prompts.openAnswers.push_back({one, two});
    Click(kIdUpload);
    EXPECT_TRUE(prompts.Boxes().empty()) << prompts.Texts().front();
    const fs::path audio = image / "a" / "mobile" / "audio";
    EXPECT_EQ(test::FileBytes(audio / "tune.mid"), test::FileBytes(one));
    EXPECT_EQ(test::FileBytes(audio / "notes.txt"), test::FileBytes(two));

    // One file dropped as a file manager drops it.
    const std::string three = Local("dropped.jpg", 1025);
    auto* target = dynamic_cast<wxFileDropTarget*>(list->GetDropTarget());
    ASSERT_NE(target, nullptr);
    wxArrayString names;
    names.Add(wxString::FromUTF8(three));
    EXPECT_TRUE(target->OnDropFiles(10, 10, names));
    WaitForTheJob();
    EXPECT_EQ(test::FileBytes(audio / "dropped.jpg"), test::FileBytes(three));

    ASSERT_TRUE(PumpUntil([&] { return list->GetItemCount() == 7; }));
    const char* added[] = {"tune.mid", "notes.txt", "dropped.jpg"};
    for (long row = 4; row < 7; ++row) {
        EXPECT_EQ(Utf8(list->GetItemText(row, 0)), added[row - 4]);
        wxListItem item;
        item.SetId(row);
        item.SetMask(wxLIST_MASK_IMAGE);
        ASSERT_TRUE(list->GetItem(item));
        EXPECT_GE(item.GetImage(), 0) << added[row - 4] << " shows no icon";
    }
    EXPECT_EQ(Utf8(list->GetItemText(4, 2)), "3000");

    // Fill the volume leaving 4096 bytes.
    tree->SelectItem(ChildNamed(*tree, tree->GetRootItem(), "/a"));
    auto* leave = dynamic_cast<wxTextCtrl*>(m_frame->Control(kIdLeaveBytes));
    ASSERT_NE(leave, nullptr);
    leave->SetValue("4096");
    Click(kIdFillSpace);
    EXPECT_TRUE(prompts.Boxes().empty()) << prompts.Texts().front();
    SimPhoneConfig phone;
    phone.image = image;
    phone.volumes = {{'a', 1048576}};
    EXPECT_EQ(SimPhone(phone).FreeSpace('a'), 4096);
    EXPECT_EQ(m_frame->Model().Phone().State().CachedFreeSpace(), 4096);
    EXPECT_EQ(Utf8(m_frame->Status()->GetStatusText(3)), "4.0 kb free");
}

}  // namespace
}  // namespace velmora
