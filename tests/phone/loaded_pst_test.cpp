// The loader against built libraries: the emulated phone through the C interface as the
// program uses it, what a library says of its configuration, and the files it must refuse.
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

std::optional<std::string> NoValues(const std::string&) {
    return std::nullopt;
}

LoadedPstLibrary LoadSimOn(const std::string& phonesFile) {
    ::setenv(kPhonesEnvVar, phonesFile.c_str(), 1);
    LoadedPstLibrary loaded = LoadPstLibrary(kSim, NoValues);
    ::unsetenv(kPhonesEnvVar);
    return loaded;
}

// The window suites drive the whole emulated phone through the loader; here, what they do not:
// the reply buffer bounds the answer across the interface.
TEST(LoadedPst, TheEmulatedPhonesAnswerStaysWithinTheReplyBuffer) {
    test::TempFolder tmp;
    std::ofstream(tmp.path() / "phones.ini") << "[phone 7]\nimage = img\n";
    LoadedPstLibrary loaded = LoadSimOn((tmp.path() / "phones.ini").string());
    ASSERT_EQ(loaded.error, "");
    EXPECT_TRUE(loaded.messages.empty());
    PstLibrary& library = *loaded.library;
    ASSERT_EQ(library.PSTInitializeEx(kInterfaceUsb, nullptr), 0);
    std::uint32_t handle = 0;
    ASSERT_EQ(library.PSTGetInterfaceHandle(7, kTestCommandInterface, handle), 0);
    // The file-system version is two bytes: a buffer of one gets one, the guard after it none.
    std::vector<std::uint8_t> reply = {0xEE, 0xEE};
    std::int32_t length = -1;
    EXPECT_EQ(library.PSTSendCommand(7, handle, "FSAC", std::vector<std::uint8_t>{0, 0, 0, 9, 0, 0},
                                     std::span(reply).first(1), length, 7),
              0);
    EXPECT_EQ(length, 1);
    EXPECT_EQ(reply, (std::vector<std::uint8_t>{0x02, 0xEE}));
    EXPECT_EQ(library.PSTUninitialize(), 0);
}

TEST(LoadedPst, APhonesFileErrorReachesTheProgramAsATextItTranslates) {
    LoadedPstLibrary loaded = LoadSimOn("/nonexistent/phones.ini");
    ASSERT_EQ(loaded.error, "");
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
    EXPECT_EQ(FormatWithArgs(LoadLangText(kPhonesFileUnreadable), {"/p", "no"}),
              "/p: cannot be read: no");
}

TEST(LoadedPst, RefusedFilesStandInWithAStartThatFailsAndSayWhy) {
    test::TempFolder tmp;
    const std::string text = (tmp.path() / "notes.so").string();
    std::ofstream(text) << std::string(100, '#') << " not a library\n";
    const std::pair<std::string, std::string> refused[] = {
        {tmp.path().string() + "/absent.so", "cannot open shared object file"},
        {text, "invalid ELF header"},
        {kStubs + "wrong_version.so",
         "built for interface version 2; this Velmora needs version 1"},
        {kStubs + "no_send.so", "it has no PSTSendCommand"},
    };
    for (const auto& [file, reason] : refused) {
        LoadedPstLibrary loaded = LoadPstLibrary(file, NoValues);
        EXPECT_EQ(loaded.error.rfind(file + ": ", 0), 0u) << loaded.error;
        EXPECT_NE(loaded.error.find(reason), std::string::npos) << loaded.error;
        ASSERT_NE(loaded.library, nullptr);
        EXPECT_THROW(loaded.library->PSTInitializeEx(kInterfaceUsb, nullptr), std::exception);
        std::vector<std::uint16_t> devices;
        EXPECT_NE(loaded.library->PSTGetDeviceList(devices), 0);
        EXPECT_TRUE(PstLibraryNeeds(file).empty());
    }
}

TEST(LoadedPst, ALongDeviceListIsAskedForAgainAndLibrariesSayWhatTheyNeed) {
    LoadedPstLibrary loaded = LoadPstLibrary(kStubs + "many_devices.so", NoValues);
    ASSERT_EQ(loaded.error, "");
    std::vector<std::uint16_t> devices;
    ASSERT_EQ(loaded.library->PSTGetDeviceList(devices), 0);
    ASSERT_EQ(devices.size(), 40u);
    EXPECT_EQ(devices.back(), 40);

    EXPECT_TRUE(PstLibraryNeeds(kSim).empty());
    const std::vector<PstNeededValue> replay = PstLibraryNeeds(kReplay);
    ASSERT_EQ(replay.size(), 1u);
    EXPECT_EQ(replay[0].name, "TraceFile");
    EXPECT_TRUE(replay[0].namesFile);
}

}  // namespace
}  // namespace velmora
