#include "phone/installation_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/fakes.h"
#include "support/temp_folder.h"

namespace velmora {
namespace {

using test::MemorySettingsStore;

TEST(InstallationCheck, FileNameIsPointedAtTheBundledLibraryWhenItsLibraryCannotRun) {
    const test::TempFolder dir("installation");
    const std::string library = (dir.path() / "libphone.so").string();
    const std::string trace = (dir.path() / "trace.txt").string();
    const std::string other = (dir.path() / "other.so").string();
    for (const auto& file : {library, trace, other}) std::ofstream(file) << "x";
    const std::string bundled = "/usr/lib/velmora/libvelmora-pst-sim.so";
    // The library in `library` needs TraceFile, naming a file; any other needs nothing.
    const PstNeedsLookup needs = [&](const std::string& file) {
        return file == library ? std::vector<PstNeededValue>{{"TraceFile", true}}
                               : std::vector<PstNeededValue>{};
    };
    struct Case {
        std::string fileName;  // empty: none
        SettingValue traceFile;
        std::string loaded;
    };
    const Case cases[] = {
        {library, trace, library},
        {other, std::string(), other},  // needs nothing
        {"", trace, bundled},
        {library + ".gone", trace, bundled},
        {dir.path().string(), trace, bundled},  // a folder
        {library, std::string(), bundled},
        {library, trace + ".gone", bundled},
        {library, std::uint32_t{5}, bundled},  // not a text
    };
    for (const Case& c : cases) {
        MemorySettingsStore key;
        if (!c.fileName.empty()) key.Set("FileName", c.fileName);
        key.Set("TraceFile", c.traceFile);
        const InstallationCheck checked = CheckInstallation(key, bundled, needs);
        EXPECT_EQ(checked.libraryFile, c.loaded) << c.fileName;
        EXPECT_EQ(key.ReadText("FileName"), c.loaded) << c.fileName;
        // Only FileName is ever written.
        EXPECT_EQ(checked.result, c.loaded == bundled ? InstallationResult::Rewritten
                                                      : InstallationResult::Complete);
        EXPECT_EQ(key.writes(), c.loaded == bundled ? 1 : 0) << c.fileName;
    }

    // A key that cannot be made still loads the bundled library.
    MemorySettingsStore locked(false);
    locked.failCreate = true;
    const InstallationCheck checked = CheckInstallation(locked, bundled, needs);
    EXPECT_EQ(checked.result, InstallationResult::RewriteFailed);
    EXPECT_EQ(checked.libraryFile, bundled);
}

TEST(InstallationCheck, TheBundledLibraryIsFoundFromTheProgramsFolder) {
    EXPECT_EQ(ProgramFolder("/usr/bin/velmora"), "/usr/bin/");
    EXPECT_EQ(ProgramFolder("velmora"), "");
    const std::string installed =
        (std::filesystem::path("/usr/bin/") / kLibraryFolderFromProgram / kEmulatedPstLibrary)
            .lexically_normal();
    EXPECT_EQ(installed.rfind("/usr/lib/", 0), 0u);
    EXPECT_EQ(BundledLibraryPlaces("/usr/bin/"),
              (std::vector<std::string>{installed, "/usr/bin/libvelmora-pst-sim.so"}));
    // A build tree has it beside the program; with neither, the installed place is named.
    const test::TempFolder dir("bundled");
    const std::string folder = dir.path().string() + "/bin/";
    std::filesystem::create_directories(folder);
    EXPECT_EQ(BundledLibrary(folder),
              (dir.path() / "bin" / kLibraryFolderFromProgram / kEmulatedPstLibrary)
                  .lexically_normal()
                  .string());
    std::ofstream(folder + kEmulatedPstLibrary) << "x";
    EXPECT_EQ(BundledLibrary(folder), folder + kEmulatedPstLibrary);
}

}  // namespace
}  // namespace velmora
