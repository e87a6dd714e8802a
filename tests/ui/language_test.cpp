#include "ui/language.h"

#include <gtest/gtest.h>

#include "base/lang_string.h"
#include "support/fakes.h"

namespace velmora {
namespace {

using test::MemorySettingsStore;

class LanguageTest : public ::testing::Test {
  protected:
    void TearDown() override { SetLanguageIndex(kLanguageEnglish); }
};

TEST_F(LanguageTest, ControlsTakeTheirStringsInOrder) {
    const auto texts = LanguageControlTexts();
    ASSERT_EQ(texts.size(), 10u);
    const int expected[][2] = {{1003, 177}, {1004, 178}, {1010, 179}, {1013, 180}, {1009, 181},
                               {1007, 184}, {1015, 182}, {1016, 183}, {1014, 185}, {1027, 189}};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i].controlId, expected[i][0]) << i;
        EXPECT_EQ(texts[i].stringId, expected[i][1]) << i;
    }
    const auto headings = ColumnHeadingStrings();
    EXPECT_EQ(std::vector<int>(headings.begin(), headings.end()),
              (std::vector<int>{136, 137, 138, 139}));
}

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

TEST_F(LanguageTest, AnyIndexButZeroChecksRussian) {
    EXPECT_EQ(CheckedLanguageItem(0), 32805);
    EXPECT_EQ(CheckedLanguageItem(1), 32818);
    EXPECT_EQ(CheckedLanguageItem(2), 32818);
    EXPECT_EQ(CheckedLanguageItem(-1), 32818);
}

}  // namespace
}  // namespace velmora
