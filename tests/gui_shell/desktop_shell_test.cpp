#include "gui/desktop_shell.h"

#include <gtest/gtest.h>
#include <wx/init.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace velmora {
namespace {

namespace fs = std::filesystem;

fs::path TestFolder() {
    const char* base = std::getenv("VELMORA_TEST_TMP");
    fs::path folder = fs::path(base ? base : fs::temp_directory_path().string()) / "desktop_shell";
    fs::create_directories(folder);
    return folder;
}

TEST(DesktopShell, MissingFileAndMissingFolderAreTold) {
    DesktopShell shell;
    const fs::path folder = TestFolder();
    fs::remove_all(folder / "gone");
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

// Runs the closure where it is asked (the test has no window thread) and counts the hand-overs.
class CountingUiThread : public UiThread {
  public:
    bool Invoke(std::function<void()> task) override {
        ++invokes;
        task();
        return true;
    }
    void Post(std::function<void()> task) override { task(); }
    bool IsUiThread() const override { return false; }
    std::atomic<int> invokes = 0;
};

TEST(DesktopShell, WorkersChooserGoesThroughTheWindowsThread) {
    wxInitializer wx;  // makes this thread wx's main thread
    ASSERT_TRUE(wx.IsOk());
    const std::string missing = (TestFolder() / "absent.bin").string();

    CountingUiThread ui;
    DesktopShell shell(&ui);
    int result = 0;
    std::thread worker([&] { result = shell.OpenWith(missing); });
    worker.join();
    EXPECT_EQ(ui.invokes, 1);
    EXPECT_EQ(result, kShellFileNotFound);

    EXPECT_EQ(shell.OpenWith(missing), kShellFileNotFound);  // on the main thread: no hand-over
    EXPECT_EQ(ui.invokes, 1);

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
