#include "phone/installation_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/fakes.h"
#include "support/temp_folder.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::MemorySettingsStore;

class InstallationCheckTest : public ::testing::Test {
  protected:
    InstallationCheckTest() {
        std::ofstream(library) << "x";
        std::ofstream(trace) << "x";
    }
    // The library in `library` needs TraceFile, naming a file; any other needs nothing.
    PstNeedsLookup Needs() {
        return [this](const std::string& file) {
            return file == library ? std::vector<PstNeededValue>{{"TraceFile", true}}
                                   : std::vector<PstNeededValue>{};
        };
    }

    test::TempFolder m_dir{"installation"};
    std::string library = (m_dir.path() / "libphone.so").string();
    std::string trace = (m_dir.path() / "trace.txt").string();
    const std::string bundled = "/usr/lib/velmora/libvelmora-pst-sim.so";
    MemorySettingsStore key;
};

TEST_F(InstallationCheckTest, ALibraryWithWhatItNeedsIsKeptAndNothingIsWritten) {
    key.Set("FileName", library);
    key.Set("TraceFile", trace);
    const InstallationCheck checked = CheckInstallation(key, bundled, Needs());
    EXPECT_EQ(checked.result, InstallationResult::Complete);
    EXPECT_EQ(checked.libraryFile, library);
    EXPECT_EQ(key.writes(), 0);
}

TEST_F(InstallationCheckTest, AnIncompleteKeyPointsFileNameAtTheBundledLibraryOnly) {
    struct Case {
        const char* what;
        std::function<void(MemorySettingsStore&)> spoil;
    };
    const Case cases[] = {
        {"FileName missing", [](MemorySettingsStore& k) { k.Erase("FileName"); }},
        {"FileName not a text", [](MemorySettingsStore& k) { k.Set("FileName", 5u); }},
        {"FileName empty", [](MemorySettingsStore& k) { k.Set("FileName", std::string()); }},
        {"no such library",
         [this](MemorySettingsStore& k) { k.Set("FileName", library + ".gone"); }},
        {"a folder for a library",
         [this](MemorySettingsStore& k) { k.Set("FileName", m_dir.path().string()); }},
        {"needed value missing", [](MemorySettingsStore& k) { k.Erase("TraceFile"); }},
        {"needed file missing",
         [this](MemorySettingsStore& k) { k.Set("TraceFile", trace + ".gone"); }},
    };
    for (const Case& c : cases) {
        MemorySettingsStore store;
        store.Set("FileName", library);
        store.Set("TraceFile", trace);
        store.Set("TCIFriendlyName", std::string("Test Cmd Engine"));
        c.spoil(store);
        const InstallationCheck checked = CheckInstallation(store, bundled, Needs());
        EXPECT_EQ(checked.result, InstallationResult::Rewritten) << c.what;
        EXPECT_EQ(checked.libraryFile, bundled) << c.what;
        EXPECT_EQ(store.ReadText("FileName"), bundled) << c.what;
        EXPECT_EQ(store.writes(), 1) << c.what;
    }
    // Another library that needs nothing is kept as it is.
    const std::string other = (m_dir.path() / "other.so").string();
    std::ofstream(other) << "x";
    key.Set("FileName", other);
    EXPECT_EQ(CheckInstallation(key, bundled, Needs()).libraryFile, other);
}

TEST_F(InstallationCheckTest, MissingKeyIsCreatedAndAFailedWriteStillLoadsTheBundledLibrary) {
    MemorySettingsStore missing(false);
    EXPECT_EQ(CheckInstallation(missing, bundled, Needs()).result, InstallationResult::Rewritten);
    EXPECT_TRUE(missing.KeyExists());
    EXPECT_EQ(missing.ReadText("FileName"), bundled);

    MemorySettingsStore locked(false);
    locked.failCreate = true;
    InstallationCheck checked = CheckInstallation(locked, bundled, Needs());
    EXPECT_EQ(checked.result, InstallationResult::RewriteFailed);
    EXPECT_EQ(checked.libraryFile, bundled);
    EXPECT_FALSE(locked.KeyExists());

    key.Set("FileName", library + ".gone");
    key.failWrite = true;
    checked = CheckInstallation(key, bundled, Needs());
    EXPECT_EQ(checked.result, InstallationResult::RewriteFailed);
    EXPECT_EQ(checked.libraryFile, bundled);
}

TEST_F(InstallationCheckTest, TheBundledLibraryIsFoundFromTheProgramsFolder) {
    EXPECT_EQ(ProgramFolder("/usr/bin/velmora"), "/usr/bin/");
    EXPECT_EQ(ProgramFolder("/velmora"), "/");
    EXPECT_EQ(ProgramFolder("velmora"), "");
    EXPECT_EQ(BundledLibraryPlaces("/usr/bin/"),
              (std::vector<std::string>{"/usr/lib/velmora/libvelmora-pst-sim.so",
                                        "/usr/bin/libvelmora-pst-sim.so"}));
    // A build tree has it beside the program; with neither, the installed place is named.
    const std::string folder = m_dir.path().string() + "/bin/";
    fs::create_directories(folder);
    EXPECT_EQ(BundledLibrary(folder), m_dir.path().string() + "/lib/velmora/libvelmora-pst-sim.so");
    std::ofstream(folder + kEmulatedPstLibrary) << "x";
    EXPECT_EQ(BundledLibrary(folder), folder + kEmulatedPstLibrary);
}

}  // namespace
}  // namespace velmora
