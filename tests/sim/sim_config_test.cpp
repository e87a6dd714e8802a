// The phones file, the configuration's environment and the default phone.
#include "sim/sim_config.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>

#include "sim/sample_content.h"
#include "sim_test_support.h"

namespace velmora::test {
namespace {

using ::testing::HasSubstr;

EnvLookup FakeEnv(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> std::optional<std::string> {
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
}

SimConfig Parse(const std::string& text) {
    return ParsePhonesFile(text, "phones.ini", "/base", "/data/Velmora");
}

TEST(SimPhonesFile, TwoPhonesInAttachOrder) {
    SimConfig config = Parse(
        "; my phones\n"
        "[phone 7]          ; the device id\n"
        "model = V3x        ; up to five characters\n"
        "fsac = 2.1\n"
        "volumes = a:8388608 b:33554432 c:1000\n"
        "image = /some/folder\n"
        "rate = 11500\n"
        "\n"
        "[phone 2]\n"
        "model = \"E398 \"\n"
        "image = relative/dir\n");
    ASSERT_EQ(config.error, "");
    ASSERT_EQ(config.phones.size(), 2u);
    const SimPhoneConfig& first = config.phones[0];
    EXPECT_EQ(first.deviceId, 7);
    EXPECT_EQ(first.model, "V3x");
    EXPECT_EQ(first.fsacMajor, 2);
    EXPECT_EQ(first.fsacMinor, 1);
    ASSERT_EQ(first.volumes.size(), 3u);
    EXPECT_EQ(first.volumes[2].letter, 'c');
    EXPECT_EQ(first.volumes[2].capacity, 1000);
    EXPECT_EQ(first.image, "/some/folder");
    EXPECT_EQ(first.rate, 11500);

    // Missing keys take the defaults; relative images sit beside the phones file.
    const SimPhoneConfig& second = config.phones[1];
    EXPECT_EQ(second.deviceId, 2);
    EXPECT_EQ(second.model, "E398 ");
    EXPECT_EQ(second.fsacMajor, 2);
    ASSERT_EQ(second.volumes.size(), 2u);
    EXPECT_EQ(second.volumes[1].capacity, 33554432);
    EXPECT_EQ(second.image, std::filesystem::path("/base/relative/dir"));
    EXPECT_EQ(second.rate, 0);
}

TEST(SimPhonesFile, FlashPhoneAndDefaultImage) {
    SimConfig config = Parse("[phone 3]\nmodel = T720\nfsac = 1.5\nvolumes = a:1\n");
    ASSERT_EQ(config.error, "");
    ASSERT_EQ(config.phones.size(), 1u);
    EXPECT_TRUE(config.phones[0].IsFlash());
    EXPECT_EQ(config.phones[0].flashCapacity, kDefaultFlashCapacity) << "volumes ignored";
    EXPECT_EQ(config.phones[0].image, std::filesystem::path("/data/Velmora/phone3"));
    EXPECT_TRUE(Parse("").phones.empty());
    EXPECT_EQ(Parse("; nothing attached\n").error, "");
}

TEST(SimPhonesFile, MalformedLineIsNamedAndNoPhoneIsKept) {
    const std::pair<const char*, const char*> cases[] = {
        {"[phone 1]\nmodel = E398\nfsac = 2.1\nvolumes = a8388608\n", "line 4: "},
        {"[phone 1]\nmodel = TOOLONG\n", "line 2: "},
        {"model = E398\n", "line 1: "},
        {"[phone 1]\n[phone 1]\n", "line 2: "},
        {"[phone x]\n", "line 1: "},
        {"[telephone 1]\n", "line 1: "},
        {"[phone 1]\nfsac = 2.1\nfsac = 2.2\n", "line 3: "},
        {"[phone 1]\ncolour = red\n", "line 2: "},
        {"[phone 1]\nvolumes = a:1 a:2\n", "line 2: "},
        {"[phone 1]\nmodel = \"E398\n", "line 2: "},
    };
    for (const auto& [text, where] : cases) {
        SimConfig config = Parse(text);
        EXPECT_THAT(config.error, HasSubstr(std::string("phones.ini ") + where)) << text;
        EXPECT_TRUE(config.phones.empty()) << text;
    }
}

TEST(SimPhonesFile, EnvironmentChoosesTheFile) {
    TempFolder tmp;
    const auto home = tmp.path() / "home";
    const auto configHome = tmp.path() / "config";
    const auto dataHome = tmp.path() / "data";
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(configHome / "Velmora");
    const auto own = tmp.path() / "own.ini";
    std::ofstream(own) << "[phone 5]\nmodel = A\n";
    std::ofstream(configHome / "Velmora" / "phones.ini") << "[phone 6]\nmodel = B\n";

    SimConfig fromVariable = LoadEmulatorConfig(FakeEnv({{"VELMORA_PHONES", own.string()},
                                                         {"XDG_CONFIG_HOME", configHome.string()},
                                                         {"XDG_DATA_HOME", dataHome.string()},
                                                         {"VELMORA_PST_TRACE", "/t/trace.txt"}}));
    ASSERT_EQ(fromVariable.phones.size(), 1u);
    EXPECT_EQ(fromVariable.phones[0].deviceId, 5);
    EXPECT_EQ(fromVariable.phones[0].image, dataHome / "Velmora" / "phone5");
    EXPECT_EQ(fromVariable.tracePath, "/t/trace.txt");

    SimConfig fromConfigHome = LoadEmulatorConfig(
        FakeEnv({{"XDG_CONFIG_HOME", configHome.string()}, {"HOME", home.string()}}));
    ASSERT_EQ(fromConfigHome.phones.size(), 1u);
    EXPECT_EQ(fromConfigHome.phones[0].deviceId, 6);
    EXPECT_EQ(fromConfigHome.phones[0].image, home / ".local" / "share" / "Velmora" / "phone6");
    EXPECT_TRUE(fromConfigHome.tracePath.empty());

    SimConfig missingNamed =
        LoadEmulatorConfig(FakeEnv({{"VELMORA_PHONES", (tmp.path() / "absent.ini").string()},
                                    {"XDG_CONFIG_HOME", configHome.string()},
                                    {"HOME", home.string()}}));
    EXPECT_THAT(missingNamed.error, HasSubstr("absent.ini: no such file. VELMORA_PHONES names"));
    EXPECT_TRUE(missingNamed.phones.empty()) << "a named file that is absent is not passed over";

    std::ofstream(own, std::ios::trunc) << "[phone 5]\n\nmodel = TOOLONG\n";
    SimConfig broken = LoadEmulatorConfig(FakeEnv({{"VELMORA_PHONES", own.string()}}));
    EXPECT_EQ(broken.error,
              own.string() + " line 3: model must be one to five printable characters");
    EXPECT_TRUE(broken.phones.empty());
    SimulatedPst library(broken);
    EXPECT_EQ(library.ConfigError(), broken.error);
    std::vector<std::uint16_t> devices{9};
    ASSERT_EQ(library.PSTInitializeEx(kInterfaceUsb, nullptr), 0);
    ASSERT_EQ(library.PSTGetDeviceList(devices), 0);
    EXPECT_TRUE(devices.empty());
}

TEST(SimDefaultPhone, SeededOnFirstUseOnly) {
    TempFolder tmp;
    const auto home = tmp.path() / "home";
    std::filesystem::create_directories(home);
    SimConfig config = LoadEmulatorConfig(FakeEnv({{"HOME", home.string()}}));
    ASSERT_EQ(config.error, "");
    ASSERT_EQ(config.phones.size(), 1u);
    const SimPhoneConfig& phone = config.phones[0];
    EXPECT_EQ(phone.deviceId, 1);
    EXPECT_EQ(phone.model, "E398 ");
    EXPECT_EQ(phone.fsacMajor, 2);
    EXPECT_EQ(phone.fsacMinor, 1);
    ASSERT_EQ(phone.volumes.size(), 2u);
    EXPECT_EQ(phone.volumes[0].letter, 'a');
    EXPECT_EQ(phone.volumes[0].capacity, 8388608);
    EXPECT_EQ(phone.volumes[1].letter, 'b');
    EXPECT_EQ(phone.volumes[1].capacity, 33554432);
    EXPECT_EQ(phone.image, home / ".local" / "share" / "Velmora" / "phone1");

    config.restartDelay = std::chrono::milliseconds(10);
    std::vector<std::string> listing;
    {
        Rig rig(config.phones);
        listing = rig.Search("/a/*");
        EXPECT_GE(listing.size(), 20u);
        EXPECT_THAT(listing, ::testing::Contains("/a/mobile/picture/sunset.bmp"));
        EXPECT_THAT(listing, ::testing::Contains("/a/mobile/kjava/Snake.jar"));
        EXPECT_THAT(listing, ::testing::Contains("/a/mobile/audio/ring1.mid"));
        EXPECT_FALSE(rig.Search("/b/*").empty());
        const std::string jar = rig.Download("/a/mobile/kjava/Snake.jar");
        EXPECT_EQ(jar.substr(0, 4), "PK\x03\x04");
        EXPECT_EQ(rig.Download("/a/mobile/picture/wave.png").substr(1, 3), "PNG");
        EXPECT_EQ(rig.Download("/a/mobile/audio/ring1.mid").substr(0, 4), "MThd");
        // The user deletes a sample file; it must not come back.
        ASSERT_EQ(rig.Send(DeleteRequest("/a/mobile/picture/sunset.bmp"), 2).rc, 0);
    }
    Rig again(config.phones);
    EXPECT_EQ(again.Search("/a/*").size(), listing.size() - 1);
}

// Without a home of its own the emulator keeps no image anywhere, least of all in a shared folder.
TEST(SimDefaultPhone, NoHomeNoImage) {
    TempFolder tmp;
    const auto phones = tmp.path() / "phones.ini";
    std::ofstream(phones) << "[phone 1]\n[phone 2]\nimage = " << (tmp.path() / "two").string();
    for (const char* home : {"", "relative/home", "/no/such/home"}) {
        std::map<std::string, std::string> env;
        if (*home) env["HOME"] = home;
        EXPECT_FALSE(EmulatorDataFolder(FakeEnv(env))) << home;
        SimConfig config = LoadEmulatorConfig(FakeEnv(env));
        EXPECT_THAT(config.error, HasSubstr("nowhere to keep their images")) << home;
        EXPECT_TRUE(config.phones.empty());
        // A phone of the phones file that needs the default image is refused as well.
        env["VELMORA_PHONES"] = phones.string();
        config = LoadEmulatorConfig(FakeEnv(env));
        EXPECT_THAT(config.error, HasSubstr("phone 1 has no image key")) << home;
        EXPECT_TRUE(config.phones.empty());
    }
    // A relative XDG_DATA_HOME is ignored for an existing home.
    EXPECT_EQ(EmulatorDataFolder(FakeEnv({{"HOME", tmp.path()}, {"XDG_DATA_HOME", "rel"}})),
              tmp.path() / ".local" / "share" / "Velmora");
}

TEST(SimPhonesFile, TwoPhonesMayNotShareAnImage) {
    const std::pair<const char*, const char*> cases[] = {
        {"[phone 1]\nimage = /x/one\n[phone 2]\nimage = /x/one/\n",
         "phones.ini: phone 1 (/x/one) and phone 2 (/x/one) share one image folder"},
        {"[phone 1]\nimage = /x/one\n[phone 2]\nimage = /x/one/a/sub\n",
         "phones.ini: phone 1 (/x/one) and phone 2 (/x/one/a/sub) share one image folder"},
        {"[phone 3]\nimage = /x/p/../one\n[phone 4]\nimage = /x/one\n",
         "phones.ini: phone 3 (/x/one) and phone 4 (/x/one) share one image folder"},
        // The default image of phone 2 is the data folder's phone2.
        {"[phone 1]\nimage = /data/Velmora/phone2\n[phone 2]\n",
         "phones.ini: phone 1 (/data/Velmora/phone2) and phone 2 (/data/Velmora/phone2) share one "
         "image folder"},
    };
    for (const auto& [text, error] : cases) {
        SimConfig config = Parse(text);
        EXPECT_EQ(config.error, error) << text;
        EXPECT_TRUE(config.phones.empty());
    }
    EXPECT_EQ(Parse("[phone 1]\nimage = /x/phone1\n[phone 2]\nimage = /x/phone10\n").error, "");
    // "one-a" sorts between "one" and "one/sub" as text, but not as a path.
    EXPECT_EQ(Parse("[phone 1]\nimage = /x/one\n[phone 2]\nimage = /x/one-a\n"
                    "[phone 3]\nimage = /x/one/sub\n")
                  .error,
              "phones.ini: phone 1 (/x/one) and phone 3 (/x/one/sub) share one image folder");
}

// Characters, not bytes: a Cyrillic name is cut between letters.
TEST(SimPhonesFile, QuotesAtMostEightyCharacters) {
    std::string key;
    for (int i = 0; i < 100; ++i) key += "ж";
    EXPECT_THAT(Parse("[phone 1]\n" + key + " = 1\n").error,
                HasSubstr("unknown key \"" + key.substr(0, 160) + "...\""));
    EXPECT_THAT(Parse("[" + key + "]\n").error, HasSubstr(key.substr(0, 160) + "...\""));
}

TEST(SimPhonesFile, FifteenHundredPhonesAttach) {
    TempFolder tmp;
    std::string text;
    for (int id = 1; id <= 1500; ++id) {
        text +=
            "[phone " + std::to_string(id) + "]\nfsac = 1.0\nimage = p" + std::to_string(id) + "\n";
    }
    SimConfig config = ParsePhonesFile(text, "phones.ini", tmp.path(), {});
    ASSERT_EQ(config.error, "");
    for (SimPhoneConfig& phone : config.phones) phone.seedSample = false;
    SimulatedPst library(config);
    EXPECT_TRUE(library.WithPhone(1500, [](SimPhone&) {}));
}

TEST(SimPhonesFile, AsEditorsSaveItOrAsAFolder) {
    const SimConfig marked = Parse("\xEF\xBB\xBF[phone 7]\r\nmodel = V3\r\n");
    EXPECT_EQ(marked.error, "");
    ASSERT_EQ(marked.phones.size(), 1u);
    EXPECT_EQ(marked.phones[0].deviceId, 7);
    EXPECT_EQ(marked.phones[0].model, "V3");

    // Opening a FIFO would wait for a writer; the type is known before anything is opened.
    TempFolder tmp;
    const auto file = tmp.path() / "Velmora" / "phones.ini";
    std::filesystem::create_directories(file.parent_path());
    const std::map<std::string, std::string> environments[] = {
        {{"VELMORA_PHONES", file.string()}, {"XDG_DATA_HOME", tmp.path().string()}},
        {{"XDG_CONFIG_HOME", tmp.path().string()}, {"XDG_DATA_HOME", tmp.path().string()}},
    };
    for (const std::string kind : {"folder", "named pipe (FIFO)", "device or a socket"}) {
        std::filesystem::remove_all(file);
        if (kind == "folder") std::filesystem::create_directory(file);
        ASSERT_TRUE(kind[0] != 'n' || ::mkfifo(file.c_str(), 0600) == 0);
        if (kind[0] == 'd') std::filesystem::create_symlink("/dev/null", file);
        for (const auto& env : environments) {
            SimConfig config = LoadEmulatorConfig(FakeEnv(env));
            EXPECT_EQ(config.error, file.string() + ": is a " + kind + ", not a phones file");
            EXPECT_TRUE(config.phones.empty());
        }
    }
}

TEST(SimSampleContent, WellFormed) {
    // Known check value of CRC-32, as PNG and zip need it.
    const std::string check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()),
              0xCBF43926u);
    const auto bmp = MakeBmp(3, 2, 1);
    EXPECT_EQ(bmp.size(), 54u + 2u * 12u) << "rows padded to four bytes";
    EXPECT_EQ(bmp[2] | (bmp[3] << 8), static_cast<int>(bmp.size()));
    for (const SampleFile& file : SampleFiles(true)) {
        EXPECT_EQ(file.path.find('/'), std::string::npos) << file.path;
        EXPECT_LT(file.path.size(), 36u);
    }
}

}  // namespace
}  // namespace velmora::test
