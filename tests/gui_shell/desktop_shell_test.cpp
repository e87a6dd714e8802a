#include "gui/desktop_shell.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <wx/init.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <thread>

#include "support/temp_folder.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// The reason is GLib's own text; the system's words for "no such file" are part of it.
void ExpectMissing(const ShellResult& result) {
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find(g_strerror(ENOENT)), std::string::npos) << result.error;
}

TEST(DesktopShell, MissingFileAndMissingFolderAreTold) {
    DesktopShell shell;
    const test::TempFolder temp("desktop_shell");
    const fs::path& folder = temp.path();
    ExpectMissing(shell.Open((folder / "absent.txt").string()));
    ExpectMissing(shell.Open((folder / "gone" / "absent.txt").string()));
    ExpectMissing(shell.OpenWith((folder / "absent.txt").string()));
    ExpectMissing(shell.OpenFile((folder / "absent.txt").string(), folder.string()));
}

TEST(DesktopShell, FailuresCarryTheDesktopsReason) {
    DesktopShell shell;
    EXPECT_TRUE(shell.Run("true").ok);
    for (const char* failing : {"velmora-no-such-program --flag", "\"unbalanced", ""}) {
        const ShellResult result = shell.Run(failing);
        EXPECT_FALSE(result.ok) << failing;
        EXPECT_FALSE(result.error.empty()) << failing;
    }
    EXPECT_NE(shell.Run("velmora-no-such-program").error.find("velmora-no-such-program"),
              std::string::npos);
    const ShellResult address = shell.Open("velmora-no-such-scheme:somewhere");
    EXPECT_FALSE(address.ok);
    EXPECT_FALSE(address.error.empty());
}

// The chooser is a dialog of the window's thread: a worker's call opens nothing and says why.
TEST(DesktopShell, TheChooserOpensOnlyOnTheWindowsThread) {
    wxInitializer wx;  // makes this thread wx's main thread
    ASSERT_TRUE(wx.IsOk());
    const test::TempFolder temp("desktop_shell");
    const std::string missing = (temp.path() / "absent.bin").string();

    DesktopShell shell;
    ExpectMissing(shell.OpenWith(missing));  // on the window's thread: the file is looked at
    ShellResult result;
    std::thread worker([&] { result = shell.OpenWith(missing); });
    worker.join();
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
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
