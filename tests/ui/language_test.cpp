#include "ui/language.h"

#include <gtest/gtest.h>

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
    SwitchLanguage(kLanguageRussian, store);
    EXPECT_EQ(LanguageIndex(), kLanguageRussian);
    EXPECT_EQ(store.ReadDword("Language"), 1u);
    EXPECT_EQ(LoadLangString(177), "Список ");
    EXPECT_EQ(CheckedLanguageItem(LanguageIndex()), kCommandRussian);

    SwitchLanguage(kLanguageEnglish, store);
    EXPECT_EQ(LanguageIndex(), kLanguageEnglish);
    EXPECT_EQ(store.ReadDword("Language"), 0u);
    EXPECT_EQ(LoadLangString(177), "Get File List");
    EXPECT_EQ(CheckedLanguageItem(LanguageIndex()), kCommandEnglish);
}

TEST_F(LanguageTest, SwitchWithoutTheKeyStillSwitches) {
    MemorySettingsStore missing(false);
    SwitchLanguage(kLanguageRussian, missing);
    EXPECT_EQ(LanguageIndex(), kLanguageRussian);
    SwitchLanguage(kLanguageEnglish, missing);
    EXPECT_EQ(LanguageIndex(), kLanguageEnglish);
    EXPECT_FALSE(missing.KeyExists());
    EXPECT_EQ(missing.writes(), 0);
}

TEST_F(LanguageTest, StoredTwoLoadsEnglishMenusButChecksRussian) {
    MemorySettingsStore store;
    store.Set("Language", std::uint32_t{2});
    const auto index = ReadLanguage(store);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(MainMenu(index).items.front().text, "&File");
    EXPECT_EQ(ContextMenu(index).title, "Test Right click");
    EXPECT_EQ(CheckedLanguageItem(index), kCommandRussian);
    EXPECT_EQ(CheckedLanguageItem(0), kCommandEnglish);
}

}  // namespace
}  // namespace velmora
