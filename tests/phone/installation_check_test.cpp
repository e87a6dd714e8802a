#include "phone/installation_check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/fakes.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::MemorySettingsStore;

const char* const kFiles[] = {
    "PST.DLL",
    "unibus_prj_engine.dll",
    "P2K Test Commands Version 40_1.tdb",
    "CDMA Test Commands Version9_9.tdb",
    "TDMA Test Commands Version77.tdb",
};

class InstallationCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* base = std::getenv("VELMORA_TEST_TMP");
        fs::path root = base ? fs::path(base) : fs::temp_directory_path();
        m_dir = root / ("installation_" + std::to_string(::getpid()) + "_" +
                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        folder = m_dir.string() + "/";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void ShipFiles() {
        for (const char* name : kFiles) std::ofstream(folder + name) << "x";
    }
    // The six values as a correct installation in `at` holds them.
    void FillKey(const std::string& at) {
        key.Set("FileName", at + "PST.DLL");
        key.Set("TCIFilename", at + "unibus_prj_engine.dll");
        key.Set("TCIP2KCommandSets", at + "P2K Test Commands Version 40_1");
        key.Set("TCICDMALegacyCommandSets", at + "CDMA Test Commands Version9_9");
        key.Set("TCITDMALegacyCommandSets", at + "TDMA Test Commands Version77");
        key.Set("TCIFriendlyName", std::string("Test Cmd Engine"));
    }
    void ExpectPointsInto(const std::string& at) {
        EXPECT_EQ(key.ReadText("FileName"), at + "PST.DLL");
        EXPECT_EQ(key.ReadText("TCIFilename"), at + "unibus_prj_engine.dll");
        EXPECT_EQ(key.ReadText("TCIP2KCommandSets"), at + "P2K Test Commands Version 40_1");
        EXPECT_EQ(key.ReadText("TCICDMALegacyCommandSets"), at + "CDMA Test Commands Version9_9");
        EXPECT_EQ(key.ReadText("TCITDMALegacyCommandSets"), at + "TDMA Test Commands Version77");
        EXPECT_EQ(key.ReadText("TCIFriendlyName"), "Test Cmd Engine");
    }

    MemorySettingsStore key;
    std::string folder;

  private:
    fs::path m_dir;
};

TEST_F(InstallationCheckTest, CompleteKeyWithFilesPresentWritesNothing) {
    ShipFiles();
    FillKey(folder);
    EXPECT_EQ(CheckInstallation(key, folder), InstallationResult::Complete);
    // Values naming another installation are kept as long as its files are there.
    key.Set("TCIFriendlyName", std::string("Another engine"));
    EXPECT_EQ(CheckInstallation(key, "/elsewhere/"), InstallationResult::Complete);
    EXPECT_EQ(key.writes(), 0);
}

TEST_F(InstallationCheckTest, AbsentCommandSetRewritesAllSix) {
    ShipFiles();
    fs::remove(folder + "P2K Test Commands Version 40_1.tdb");
    FillKey(folder);
    key.Set("TCIFriendlyName", std::string("Stale"));
    EXPECT_EQ(CheckInstallation(key, folder), InstallationResult::Rewritten);
    EXPECT_EQ(key.writes(), 6);
    ExpectPointsInto(folder);
}

// The command-set values name the databases without their ".tdb".
TEST_F(InstallationCheckTest, CommandSetIsTestedWithItsSuffix) {
    ShipFiles();
    FillKey(folder);
    fs::rename(folder + "CDMA Test Commands Version9_9.tdb",
               folder + "CDMA Test Commands Version9_9");
    EXPECT_EQ(CheckInstallation(key, folder), InstallationResult::Rewritten);
}

TEST_F(InstallationCheckTest, MissingKeyIsCreatedAndFilled) {
    MemorySettingsStore missing(false);
    EXPECT_EQ(CheckInstallation(missing, "/opt/tools/phone/"), InstallationResult::Rewritten);
    EXPECT_TRUE(missing.KeyExists());
    EXPECT_EQ(missing.ReadText("FileName"), "/opt/tools/phone/PST.DLL");
    EXPECT_EQ(missing.writes(), 6);
}

TEST_F(InstallationCheckTest, MissingOrMistypedValueRewrites) {
    ShipFiles();
    FillKey(folder);
    key.Erase("TCIFriendlyName");  // the only one without a file
    EXPECT_EQ(CheckInstallation(key, folder), InstallationResult::Rewritten);
    ExpectPointsInto(folder);

    FillKey(folder);
    key.Set("TCIFilename", std::uint32_t{5});
    EXPECT_EQ(CheckInstallation(key, folder), InstallationResult::Rewritten);
    ExpectPointsInto(folder);
}

TEST_F(InstallationCheckTest, StartedFromAFolderPointsIntoIt) {
    const std::string at = ProgramFolder("/opt/tools/phone/velmora");
    EXPECT_EQ(at, "/opt/tools/phone/");
    EXPECT_EQ(ProgramFolder("/velmora"), "/");
    EXPECT_EQ(ProgramFolder("velmora"), "");
    EXPECT_EQ(CheckInstallation(key, at), InstallationResult::Rewritten);
    EXPECT_EQ(key.ReadText("FileName"), "/opt/tools/phone/PST.DLL");
    ExpectPointsInto(at);
}

TEST_F(InstallationCheckTest, CreateOrWriteFailureIsSilent) {
    MemorySettingsStore locked(false);
    locked.failCreate = true;
    EXPECT_EQ(CheckInstallation(locked, folder), InstallationResult::RewriteFailed);
    EXPECT_FALSE(locked.KeyExists());

    key.failWrite = true;
    EXPECT_EQ(CheckInstallation(key, folder), InstallationResult::RewriteFailed);
}

}  // namespace
}  // namespace velmora
