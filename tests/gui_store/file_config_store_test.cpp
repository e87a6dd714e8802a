#include "gui/file_config_store.h"
#include "gui/desktop_folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "support/temp_folder.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class FileConfigStoreTest : public ::testing::Test {
  protected:
    std::string PathOf(const std::string& name) const { return (m_dir.path() / name).string(); }
    void WriteFile(const std::string& path, const std::string& text) const {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string Contents(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    test::TempFolder m_dir{"config"};
};

TEST_F(FileConfigStoreTest, TypesSurviveAReopen) {
    const auto path = PathOf("settings.conf");
    Binary array(360, 0);
    array[0] = '*';
    array[1] = '.';
    array[2] = 'j';
    array[359] = 0xFF;
    {
        FileConfigStore store(path);
        ASSERT_TRUE(store.CreateKey());
        EXPECT_TRUE(store.Write("Language", std::uint32_t{1}));
        EXPECT_TRUE(store.Write("WndLeft", std::uint32_t{0xFFFFFFF6}));  // -10 as a dword
        EXPECT_TRUE(store.Write("SearchArray", array));
        EXPECT_TRUE(store.Write("Empty", Binary{}));
        EXPECT_TRUE(store.Write("FileName", std::string("/opt/Velmora/PST.DLL")));
        EXPECT_TRUE(store.Write("Odd", std::string(" $HOME\\x \"q\" Список ")));
        EXPECT_TRUE(store.Write("Blank", std::string()));
    }
    const FileConfigStore reopened(path);
    EXPECT_EQ(reopened.ReadDword("Language"), 1u);
    EXPECT_EQ(reopened.ReadDword("WndLeft"), 0xFFFFFFF6u);
    EXPECT_EQ(reopened.ReadBinary("SearchArray"), array);
    EXPECT_EQ(reopened.ReadBinary("Empty"), Binary{});
    EXPECT_EQ(reopened.ReadText("FileName"), "/opt/Velmora/PST.DLL");
    EXPECT_EQ(reopened.ReadText("Odd"), " $HOME\\x \"q\" Список ");
    EXPECT_EQ(reopened.ReadText("Blank"), "");
    EXPECT_FALSE(reopened.ReadText("Language"));  // a dword is not a text

    const auto text = Contents(path);
    EXPECT_NE(text.find("Language=dword:1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("FileName=sz:/opt/Velmora/PST.DLL\n"), std::string::npos) << text;
    EXPECT_NE(text.find("SearchArray=binary:"), std::string::npos) << text;
}

TEST_F(FileConfigStoreTest, UntaggedOrUnparsableValuesReadAsMissing) {
    const auto path = PathOf("settings.conf");
    WriteFile(path,
              "Language=1\n"
              "View=dword:x\n"
              "WndTop=dword:4294967296\n"
              "WndLeft=dword:-1\n"
              "WndRight=dword: 5\n"
              "WndBottom=dword:\n"
              "SearchArray=binary:!!notbase64\n"
              "InterfaceMode=word:2\n"
              "FileName=sz:1\n"
              "Max=dword:4294967295\n");
    const FileConfigStore store(path);
    for (const char* name : {"Language", "View", "WndTop", "WndLeft", "WndRight", "WndBottom",
                             "SearchArray", "InterfaceMode"}) {
        EXPECT_FALSE(store.Read(name)) << name;
    }
    EXPECT_FALSE(store.ReadDword("FileName"));
    EXPECT_EQ(store.ReadText("FileName"), "1");
    EXPECT_EQ(store.ReadDword("Max"), 0xFFFFFFFFu);
}

// One damaged line costs its own value only: the others, texts in other scripts included,
// read as they were written, and a write keeps them.
TEST_F(FileConfigStoreTest, ALineThatIsNotUtf8CostsOnlyItsOwnValue) {
    const auto path = PathOf("settings.conf");
    WriteFile(path,
              "\xEF\xBB\xBFLanguage=dword:1\n"
              "FileName=sz:/opt/Программа/PST.DLL\n"
              "View=sz:bad\xFF\xFEvalue\n"
              "Odd=sz:\xD0\n"
              "WndLeft=dword:7\n");
    FileConfigStore store(path);
    EXPECT_EQ(store.ReadDword("Language"), 1u);
    EXPECT_EQ(store.ReadText("FileName"), "/opt/Программа/PST.DLL");
    EXPECT_FALSE(store.Read("View"));
    EXPECT_FALSE(store.Read("Odd"));
    EXPECT_EQ(store.ReadDword("WndLeft"), 7u);

    ASSERT_TRUE(store.Write("View", std::uint32_t{2}));
    const FileConfigStore reopened(path);
    EXPECT_EQ(reopened.ReadDword("View"), 2u);
    EXPECT_EQ(reopened.ReadText("FileName"), "/opt/Программа/PST.DLL");
    EXPECT_EQ(reopened.ReadDword("Language"), 1u);
    EXPECT_EQ(reopened.ReadDword("WndLeft"), 7u);
}

TEST_F(FileConfigStoreTest, NamesAreCaseInsensitive) {
    const auto path = PathOf("settings.conf");
    FileConfigStore store(path);
    ASSERT_TRUE(store.CreateKey());
    ASSERT_TRUE(store.Write("view", std::uint32_t{2}));
    EXPECT_EQ(store.ReadDword("View"), 2u);
    EXPECT_EQ(store.ReadDword("VIEW"), 2u);
    ASSERT_TRUE(store.Write("View", std::uint32_t{3}));
    EXPECT_EQ(store.ReadDword("view"), 3u);
    const auto text = Contents(path);
    EXPECT_EQ(text.find("iew="), text.rfind("iew=")) << "one entry, not two: " << text;
}

TEST_F(FileConfigStoreTest, MissingKeyIsNeitherReadNorWritten) {
    const auto path = PathOf("absent/settings.conf");
    FileConfigStore store(path);
    EXPECT_FALSE(store.KeyExists());
    EXPECT_FALSE(store.Read("Language"));
    EXPECT_FALSE(store.Write("Language", std::uint32_t{1}));
    EXPECT_FALSE(fs::exists(m_dir.path() / "absent"));
}

TEST_F(FileConfigStoreTest, CreateKeyMakesTheFolderAndKeepsAnExistingFile) {
    const auto path = PathOf("deep/er/Velmora/settings.conf");
    FileConfigStore store(path);
    ASSERT_TRUE(store.CreateKey());
    EXPECT_TRUE(store.KeyExists());
    EXPECT_TRUE(fs::is_regular_file(path));
    ASSERT_TRUE(store.Write("InterfaceMode", std::uint32_t{2}));
    EXPECT_TRUE(store.CreateKey());
    EXPECT_EQ(store.ReadDword("InterfaceMode"), 2u);

    // A plain file where the folder should be: creation fails quietly.
    WriteFile(PathOf("blocker"), "x");
    FileConfigStore blocked(PathOf("blocker/settings.conf"));
    EXPECT_FALSE(blocked.CreateKey());
    EXPECT_FALSE(blocked.KeyExists());
}

TEST_F(FileConfigStoreTest, RefusedWritesLeaveTheFileAsItWas) {
    const auto path = PathOf("settings.conf");
    FileConfigStore store(path);
    ASSERT_TRUE(store.CreateKey());
    ASSERT_TRUE(store.Write("FileName", std::string("kept")));
    const auto before = Contents(path);
    EXPECT_FALSE(store.Write("FileName", std::string("\xFF\xFE not UTF-8")));
    EXPECT_FALSE(store.Write("FileName", std::string("nul\0inside", 10)));
    EXPECT_FALSE(store.Write("Group/FileName", std::string("x")));
    EXPECT_FALSE(store.Write("", std::string("x")));
    EXPECT_EQ(Contents(path), before);
    EXPECT_EQ(store.ReadText("FileName"), "kept");
}

// A file with nothing wx can take from it goes aside before a value is written in its place.
TEST_F(FileConfigStoreTest, AFileThatIsNoSettingsFileIsKeptAside) {
    const std::pair<std::string, bool> rows[] = {
        {std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xFE", 18), true},
        {"This is not a settings file.\n[Nor is this\n", true},
        {"\xFF\xFE\xFD\nnot a setting\nLanguage=dword:1\n", false},
        {"; written by hand\n\n  # nothing yet\n", false},
    };
    const auto path = PathOf("settings.conf");
    for (const auto& [text, keptAside] : rows) {
        fs::remove(path + ".bad");
        WriteFile(path, text);
        FileConfigStore store(path);
        ASSERT_TRUE(store.Write("View", std::uint32_t{2}));
        EXPECT_EQ(fs::exists(path + ".bad") ? Contents(path + ".bad") : "-",
                  keptAside ? text : "-");
    }
}

TEST_F(FileConfigStoreTest, ConcurrentWritersLoseNothing) {
    const auto path = PathOf("settings.conf");
    FileConfigStore store(path);
    ASSERT_TRUE(store.CreateKey());
    constexpr int kThreads = 4;
    constexpr int kValues = 10;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&store, t] {
            for (int v = 0; v < kValues; ++v) {
                store.Write("V" + std::to_string(t) + "_" + std::to_string(v),
                            static_cast<std::uint32_t>(t * 100 + v));
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        for (int v = 0; v < kValues; ++v) {
            EXPECT_EQ(store.ReadDword("v" + std::to_string(t) + "_" + std::to_string(v)),
                      static_cast<std::uint32_t>(t * 100 + v));
        }
    }
}

// Restores an environment variable when the test ends.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_old) {
            ::setenv(m_name, m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(SettingsPathsTest, FollowTheXdgLayout) {
    EXPECT_EQ(UserSettingsPath({.config = "/tmp/xdg"}), "/tmp/xdg/Velmora/settings.conf");
    EXPECT_EQ(InstallationSettingsPath({.config = "/tmp/xdg"}), "/tmp/xdg/Velmora/pst.conf");
    // GLib keeps its first answer, so this is the process's only look at the desktop's
    // folders: relative values are invalid and give the defaults under the home, and the
    // cache standing in for a missing runtime folder is no runtime folder.
    const ScopedEnv home("HOME", "/home/tester");
    const ScopedEnv config("XDG_CONFIG_HOME", "relative/dir");
    const ScopedEnv state("XDG_STATE_HOME", nullptr);
    const ScopedEnv cache("XDG_CACHE_HOME", "/c");
    const ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    const UserFolders folders = DesktopUserFolders();
    EXPECT_EQ(folders.config, "/home/tester/.config");
    EXPECT_EQ(folders.state, "/home/tester/.local/state");
    EXPECT_EQ(folders.cache, "/c");
    EXPECT_EQ(folders.runtime, "");
}

}  // namespace
}  // namespace velmora
