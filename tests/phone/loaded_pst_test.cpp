// The loader against built libraries: the emulated phone where the window suites do not take
// it, what a library says of its configuration and needs, and the files it must refuse.
#include "phone/loaded_pst.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "base/lang_string.h"
#include "sim/sim_config.h"
#include "support/temp_folder.h"

namespace velmora {
namespace {

const std::string kSim = std::string(VELMORA_PST_LIBRARY_DIR) + kEmulatedPstLibrary;
const std::string kReplay = std::string(VELMORA_PST_LIBRARY_DIR) + kReplayPstLibrary;
const std::string kStubs = VELMORA_PST_STUB_DIR;

const PstConfigLookup NoValues = [](const std::string&) { return std::optional<std::string>(); };

LoadedPstLibrary LoadSimOn(const std::string& phonesFile) {
    ::setenv(kPhonesEnvVar, phonesFile.c_str(), 1);
    LoadedPstLibrary loaded = LoadPstLibrary(kSim, NoValues);
    ::unsetenv(kPhonesEnvVar);
    return loaded;
}

TEST(LoadedPst, ALongerDeviceListThanTheFirstAskHasRoomForCrossesTheInterfaceWhole) {
    test::TempFolder tmp;
    std::ofstream phones(tmp.path() / "phones.ini");
    for (int id = 1; id <= 20; ++id) phones << "[phone " << id << "]\nimage = " << id << "\n";
    phones.close();
    LoadedPstLibrary loaded = LoadSimOn((tmp.path() / "phones.ini").string());
    ASSERT_EQ(loaded.error, "");
    PstLibrary& library = *loaded.library;
    ASSERT_EQ(library.PSTInitializeEx(kInterfaceUsb, nullptr), 0);
    std::vector<std::uint16_t> devices;
    ASSERT_EQ(library.PSTGetDeviceList(devices), 0);
    ASSERT_EQ(devices.size(), 20u);
    EXPECT_EQ(devices.back(), 20);
    EXPECT_EQ(library.PSTUninitialize(), 0);
}

TEST(LoadedPst, ALibrarysMessagesAreTheProgramsTextsAndItsNeedsAreAsked) {
    LoadedPstLibrary loaded = LoadSimOn("/nonexistent/phones.ini");
    ASSERT_EQ(loaded.messages.size(), 1u);
    EXPECT_EQ(loaded.messages[0].format, kPhonesFileMissing);
    EXPECT_EQ(loaded.messages[0].args,
              (std::vector<std::string>{"/nonexistent/phones.ini", kPhonesEnvVar}));
    // Every text the emulator hands over is one of the program's own.
    SetLanguageIndex(kLanguageRussian);
    for (const char* format : {kPhonesFileIsFolder, kPhonesFileIsPipe, kPhonesFileIsDevice,
                               kPhonesFileMissing, kPhonesFileUnreadable}) {
        EXPECT_NE(LoadLangText(format), format);
    }
    SetLanguageIndex(kLanguageEnglish);

    EXPECT_TRUE(PstLibraryNeeds(kSim).empty());
    const std::vector<PstNeededValue> replay = PstLibraryNeeds(kReplay);
    ASSERT_EQ(replay.size(), 1u);
    EXPECT_EQ(std::pair(replay[0].name, replay[0].namesFile),
              std::pair(std::string("TraceFile"), true));
}

TEST(LoadedPst, RefusedFilesStandInWithAStartThatFailsAndSayWhy) {
    test::TempFolder tmp;
    const std::string text = (tmp.path() / "notes.so").string();
    std::ofstream(text) << std::string(100, '#') << " not a library\n";
    const std::pair<std::string, std::string> refused[] = {
        {tmp.path().string() + "/absent.so", "cannot open shared object file"},
        {text, "invalid ELF header"},
        {kStubs + "version_2.so", "built for interface version 2; this Velmora needs version 1"},
        {kStubs + "version_1.so", "it has no PSTInitializeEx"},
    };
    for (const auto& [file, reason] : refused) {
        LoadedPstLibrary loaded = LoadPstLibrary(file, NoValues);
        EXPECT_EQ(loaded.error.rfind(file + ": ", 0), 0u) << loaded.error;
        EXPECT_NE(loaded.error.find(reason), std::string::npos) << loaded.error;
        EXPECT_THROW(loaded.library->PSTInitializeEx(kInterfaceUsb, nullptr), std::exception);
        std::vector<std::uint16_t> devices;
        EXPECT_NE(loaded.library->PSTGetDeviceList(devices), 0);
        EXPECT_TRUE(PstLibraryNeeds(file).empty());
    }
}

}  // namespace
}  // namespace velmora
