// A session recorded on the emulated phone through the real window, then played back there by
// the trace replayer: the same clicks show the same window and move the same bytes. With one
// byte of a request changed in the trace, that request fails and the replayer names the line.
#include <gtest/gtest.h>
#include <wx/listctrl.h>
#include <wx/statusbr.h>
#include <wx/treectrl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "gui/main_frame.h"
#include "gui_pump.h"
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

// Browses /a/mobile/audio, downloads alarm.mid into `downloads`, uploads `upload` there and
// deletes it again: the rows, free space and message after each step, then the boxes.
std::vector<std::string> Session(PstLibrary& library, const fs::path& upload,
                                 const fs::path& downloads) {
    test::MemorySettingsStore user;
    test::NullShell shell;
    test::FakePrompts prompts;
    auto* frame = new MainFrame(library, user, shell, "/opt/velmora/", &prompts);
    frame->Show();
    auto& tree = *dynamic_cast<wxTreeCtrl*>(frame->Control(kIdTree));
    auto& list = *dynamic_cast<wxListCtrl*>(frame->Control(kIdFileList));
    std::vector<std::string> seen;
    auto step = [&](int button) {
        wxCommandEvent click(wxEVT_BUTTON, button);
        click.SetEventObject(frame->Control(button));
        frame->Control(button)->ProcessWindowEvent(click);
        PumpUntil([] { return !JobBusy(); });
        PumpUntil([] { return false; }, std::chrono::milliseconds(100));
        std::string shown;
        for (long row = 0; row < list.GetItemCount(); ++row) {
            shown += Utf8(list.GetItemText(row, 0)) + ":" + Utf8(list.GetItemText(row, 2)) + " ";
        }
        seen.push_back(shown + "| " + Utf8(frame->Status()->GetStatusText(3)) + " | " +
                       Utf8(frame->Status()->GetStatusText(4)));
    };
    PumpUntil([&] {
        return tree.GetRootItem().IsOk() && !frame->Model().PollingActive() &&
               ChildNamed(tree, tree.GetRootItem(), "/a").IsOk();
    });
    tree.SelectItem(ChildNamed(tree, tree.GetRootItem(), "/a"));
    step(kIdGetFileList);
    const wxTreeItemId mobile =
        ChildNamed(tree, ChildNamed(tree, tree.GetRootItem(), "/a"), "mobile");
    tree.Expand(mobile);
    tree.SelectItem(ChildNamed(tree, mobile, "audio"));
    PumpUntil([&] { return list.GetItemCount() == 4; });

    list.SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    fs::create_directories(downloads);
    prompts.saveAnswers = {(downloads / "alarm.mid").string()};
    step(kIdDownload);
    prompts.openAnswers = {{upload.string()}};
    step(kIdUpload);
    list.SetItemState(0, 0, wxLIST_STATE_SELECTED);
    list.SetItemState(list.GetItemCount() - 1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    step(kIdDelete);  // the uploaded file, the list's last
    for (const std::string& box : prompts.Texts()) seen.push_back(box);
    frame->CloseWindow();
    PumpUntil([] { return wxTopLevelWindows.IsEmpty(); });
    library.PSTUninitialize();
    return seen;
}

TEST(ReplayGuiTest, ARecordedSessionPlaysBackInTheWindowAndAChangedByteFailsItsRequest) {
    SetLanguageIndex(kLanguageEnglish);
    const test::TempFolder folder("replay");
    const fs::path upload = folder.path() / "upload.bin";
    std::ofstream(upload, std::ios::binary) << std::string(2500, '\x5A');
    const fs::path trace = folder.path() / "trace.txt";
    ::setenv(kTraceEnvVar, trace.c_str(), 1);
    auto sim = test::LoadEmulator(folder.path(), "[phone 1]\nimage = phone\n");
    ::unsetenv(kTraceEnvVar);
    const std::vector<std::string> recorded = Session(*sim, upload, folder.path() / "recorded");
    ASSERT_EQ(recorded.size(), 5u);
    EXPECT_NE(recorded[2].find(" upload.bin:2500 |"), std::string::npos) << recorded[2];
    EXPECT_EQ(recorded[3].find("upload.bin"), std::string::npos) << recorded[3];
    EXPECT_EQ(recorded[4], "Are you sure to delete files from phone?");

    auto replay = [&](const fs::path& played, const char* downloads) {
        auto library = test::LoadBuiltLibrary(kReplayPstLibrary, {{"TraceFile", played}});
        ::testing::internal::CaptureStderr();
        auto seen = Session(*library, upload, folder.path() / downloads);
        return std::pair(seen, ::testing::internal::GetCapturedStderr());
    };
    const auto [replayed, said] = replay(trace, "replayed");
    EXPECT_EQ(said, "");
    EXPECT_EQ(replayed, recorded);
    EXPECT_EQ(test::FileBytes(folder.path() / "recorded" / "alarm.mid").size(), 68u);
    EXPECT_EQ(test::FileBytes(folder.path() / "replayed" / "alarm.mid"),
              test::FileBytes(folder.path() / "recorded" / "alarm.mid"));

    // The delete request's "upload.bin" ends in "n" (6E); the changed trace has "m" (6D).
    std::istringstream lines(test::FileBytes(trace));
    std::ofstream changed(folder.path() / "changed.txt");
    std::size_t number = 0, changedLine = 0;
    for (std::string line; std::getline(lines, line); changed << line << '\n') {
        const std::size_t name = line.find("75706C6F61642E62696E");
        ++number;
        if (line.find(" req=00000005") == std::string::npos || name == std::string::npos) continue;
        line[name + 19] = 'D';
        changedLine = number;
    }
    changed.close();
    const auto [failed, complaint] = replay(folder.path() / "changed.txt", "changed");
    EXPECT_NE(
        complaint.find("changed.txt line " + std::to_string(changedLine) +
                       ": PSTSendCommand req differs at byte 29: the trace has 6D, the call 6E"),
        std::string::npos)
        << complaint;
    EXPECT_EQ(failed.back(), "Can't delete file");
}

}  // namespace
}  // namespace velmora
