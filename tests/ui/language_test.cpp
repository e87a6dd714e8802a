#include "ui/language.h"

#include <gtest/gtest.h>

#include <map>

#include "base/lang_string.h"
#include "support/fakes.h"
#include "ui/menu_spec.h"
#include "ui/settings.h"

namespace velmora {
namespace {

using test::MemorySettingsStore;

class LanguageTest : public ::testing::Test {
  protected:
    void TearDown() override { SetLanguageIndex(kLanguageEnglish); }
};

TEST_F(LanguageTest, SwitchBothWaysStoresIntoAnExistingKey) {
    MemorySettingsStore store;
    EXPECT_TRUE(SwitchLanguage(kRussianCode, store));
    EXPECT_EQ(LanguageIndex(), kLanguageRussian);
    EXPECT_EQ(store.ReadDword("Language"), 1u);
    EXPECT_EQ(LoadLangString(177), "Список ");
    EXPECT_EQ(LanguageCommand(LanguageCode()), kCommandRussian);

    EXPECT_TRUE(SwitchLanguage(kEnglishCode, store));
    EXPECT_EQ(LanguageIndex(), kLanguageEnglish);
    EXPECT_EQ(store.ReadDword("Language"), 0u);
    EXPECT_EQ(LoadLangString(177), "Get File List");
    EXPECT_EQ(LanguageCommand(LanguageCode()), kCommandEnglish);

    // A language without a catalog changes nothing, stored or shown.
    EXPECT_FALSE(SwitchLanguage("xx", store));
    EXPECT_EQ(LanguageCode(), kEnglishCode);
    EXPECT_FALSE(store.Read("LanguageCode"));
}

TEST_F(LanguageTest, SwitchWithoutTheKeyStillSwitches) {
    MemorySettingsStore missing(false);
    SwitchLanguage(kRussianCode, missing);
    EXPECT_EQ(LanguageIndex(), kLanguageRussian);
    EXPECT_EQ(MainMenu().items.front().text, "&Файл");
    SwitchLanguage(kEnglishCode, missing);
    EXPECT_EQ(LanguageIndex(), kLanguageEnglish);
    EXPECT_FALSE(missing.KeyExists());
    EXPECT_EQ(missing.writes(), 0);
}

TEST(DesktopLanguageTest, FollowsGettextsOrderOfTheVariables) {
    const std::vector<std::string> available{"en", "pt_BR", "ru"};
    const std::pair<std::map<std::string, std::string>, const char*> cases[] = {
        {{}, "en"},
        {{{"LANG", "ru_RU.UTF-8"}}, "ru"},
        {{{"LANG", "ru_UA.KOI8-U@euro"}}, "ru"},
        {{{"LANG", "de_DE.UTF-8"}}, "en"},
        {{{"LANG", "C"}}, "en"},
        {{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "ru_RU.UTF-8"}}, "ru"},
        {{{"LC_ALL", "C.UTF-8"}, {"LC_MESSAGES", "ru_RU.UTF-8"}}, "en"},
        // LANGUAGE ranks the languages, unless the locale is C.
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "fr:ru:en"}}, "ru"},
        {{{"LANG", "ru_RU.UTF-8"}, {"LANGUAGE", "en_US:ru"}}, "en"},
        {{{"LANG", "C"}, {"LANGUAGE", "ru"}}, "en"},
        {{{"LANGUAGE", "ru"}}, "en"},
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "::pt_BR"}}, "pt_BR"},
        {{{"LANG", "pt_PT.UTF-8"}}, "en"},  // no "pt" catalog
    };
    for (const auto& [variables, language] : cases) {
        const EnvironmentLookup env = [&](const char* name) -> std::optional<std::string> {
            const auto found = variables.find(name);
            if (found == variables.end()) return std::nullopt;
            return found->second;
        };
        EXPECT_EQ(DesktopLanguage(env, available), language) << variables.begin()->second;
    }
}

}  // namespace
}  // namespace velmora
