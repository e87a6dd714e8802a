#include "gui/desktop_shell.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

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
