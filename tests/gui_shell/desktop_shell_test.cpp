#include "gui/desktop_shell.h"

#include <gtest/gtest.h>
#include <wx/init.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "support/pumped_ui_thread.h"
#include "support/temp_folder.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

TEST(DesktopShell, MissingFileAndMissingFolderAreTold) {
    DesktopShell shell;
    const test::TempFolder temp("desktop_shell");
    const fs::path& folder = temp.path();
    EXPECT_EQ(shell.Open((folder / "absent.txt").string()), kShellFileNotFound);
    EXPECT_EQ(shell.Open((folder / "gone" / "absent.txt").string()), kShellPathNotFound);
    EXPECT_EQ(shell.OpenWith((folder / "absent.txt").string()), kShellFileNotFound);
}

TEST(DesktopShell, AddressWithoutHandlerHasNoAssociation) {
    DesktopShell shell;
    EXPECT_EQ(shell.Open("velmora-no-such-scheme:somewhere"), kShellNoAssociation);
}

TEST(DesktopShell, RunReportsStartsAndMissingPrograms) {
    DesktopShell shell;
    EXPECT_EQ(shell.Run("true"), kShellOk);
    EXPECT_EQ(shell.Run("velmora-no-such-program --flag"), kShellFileNotFound);
    EXPECT_EQ(shell.Run("\"unbalanced"), kShellFileNotFound);
    EXPECT_EQ(shell.Run(""), kShellFileNotFound);
}

TEST(DesktopShell, WorkersChooserGoesThroughTheWindowsThread) {
    wxInitializer wx;  // makes this thread wx's main thread
    ASSERT_TRUE(wx.IsOk());
    const test::TempFolder temp("desktop_shell");
    const std::string missing = (temp.path() / "absent.bin").string();

    test::PumpedUiThread ui;
    DesktopShell shell(&ui);
    int result = 0;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        result = shell.OpenWith(missing);
        returned = true;
    });
    EXPECT_TRUE(ui.PumpUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(ui.Handovers(), 1);
    EXPECT_EQ(result, kShellFileNotFound);

    EXPECT_EQ(shell.OpenWith(missing), kShellFileNotFound);  // on the window's thread: no hand-over
    EXPECT_EQ(ui.Handovers(), 1);

    DesktopShell alone;
    std::thread lonely([&] { result = alone.OpenWith(missing); });
    lonely.join();
    EXPECT_EQ(result, kShellNoAssociation);
}

TEST(DesktopShell, TempFolderEndsWithSeparator) {
    DesktopShell shell;
    const std::string folder = shell.TempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST(DesktopCommandWithPlaceholder, FirstFileOrUrlCodeBecomesThePlaceholder) {
    EXPECT_EQ(DesktopCommandWithPlaceholder("firefox %u"), "firefox %1");
    EXPECT_EQ(DesktopCommandWithPlaceholder("viewer --new %F"), "viewer --new %1");
    // Only one page is passed; later codes go.
    EXPECT_EQ(DesktopCommandWithPlaceholder("browser %U %f"), "browser %1 ");
}

TEST(DesktopCommandWithPlaceholder, OtherCodesGoAndDoublePercentStays) {
    EXPECT_EQ(DesktopCommandWithPlaceholder("app %i %c --x=100%% %u"), "app   --x=100% %1");
    EXPECT_EQ(DesktopCommandWithPlaceholder("app"), "app");
    EXPECT_EQ(DesktopCommandWithPlaceholder("app 50%"), "app 50%");
}

}  // namespace
}  // namespace velmora
