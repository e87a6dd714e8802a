// Get File List from the main window's button against the emulated phone.
#include "ui/main_window_listing.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "base/lang_string.h"
#include "fsac/file_list.h"
#include "fsac/search_replies.h"
#include "sim/sample_content.h"
#include "sim/sim_test_support.h"
#include "sim/simulated_pst.h"
#include "support/fakes.h"
#include "transfer/stop_flag.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"
#include "ui/session_tree.h"

namespace velmora {
namespace {

SimConfig OnePhone(const test::TempFolder& folder) {
    SimPhoneConfig phone;
    phone.deviceId = 1;
    phone.image = folder.path() / "phone";
    phone.seedSample = true;
    SimConfig config;
    config.phones = {phone};
    return config;
}

TEST(MainWindowListingTest, GetFileListClickFillsTheFileListFromThePhone) {
    SetLanguageIndex(kLanguageEnglish);
    StopFlag.store(kStopRequested);
    test::TempFolder folder;
    SimulatedPst pst(OnePhone(folder));
    test::MemorySettingsStore user;
    test::FakePrompts prompts;
    test::InlineUiThread ui;
    test::NullShell shell;
    test::FakeMainWindowView view;
    TheFileList().Release();

    MainWindow w(MainWindowPorts{pst, user, prompts, ui, shell, "/opt/velmora/"}, view);
    VolumeTree tree(prompts, TheFileList());
    FileListCtrl rows;
    BrowsingSessionTree sessionTree(tree, rows);
    w.AttachSessionTree(&sessionTree);
    test::NamingIconSource icons;
    MainWindowListing listing(MainWindowListingParts{
        w, pst, user, TheFileList(), tree, rows, icons, std::make_shared<test::InlineUiThread>(),
        [](std::function<void()> worker) {
            worker();
            return true;
        },
        [] { return false; }});
    for (int id : {kIdGetFileList, kIdSearch}) {
        EXPECT_TRUE(w.Commands().Has({WindowEvent::Clicked, id})) << id;
    }
    EXPECT_TRUE(w.Commands().Has({WindowEvent::GetFileInfo, 0}));

    w.Start();
    ASSERT_TRUE(w.LibraryReady());
    w.OnEvent(WindowEvent::DeviceListChanged);
    w.OnEvent(WindowEvent::Timer, kPollTimer);
    ASSERT_TRUE(w.SelectedDevice().has_value());
    if (w.Phone().State().VolumeCount() > 1) w.Phone().State().SetCurrentVolumeLetter('a');

    EXPECT_TRUE(w.Click(kIdGetFileList));

    std::set<std::string> expected;
    for (const auto& file : SampleFiles(false)) {
        if (file.path.rfind("/a/", 0) == 0) expected.insert(file.path);
    }
    ASSERT_FALSE(expected.empty());
    std::set<std::string> read;
    for (const auto& entry : TheFileList().Snapshot(TheFileList().Count())) {
        read.insert(entry.path);
    }
    EXPECT_EQ(read, expected);
    EXPECT_EQ(w.Progress(kIdProgress).range, static_cast<std::int32_t>(expected.size()));
    EXPECT_TRUE(prompts.Boxes().empty());
    TheFileList().Release();
}

}  // namespace
}  // namespace velmora
