#include "base/lang_string.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/lang_string_table.h"

namespace velmora {
namespace {

class LangStringTest : public ::testing::Test {
  protected:
    void TearDown() override { SetLanguageIndex(kLanguageEnglish); }
};

TEST_F(LangStringTest, PicksTheHalfOfTheCurrentLanguage) {
    EXPECT_EQ(LoadLangString(117), "Device not selected.");
    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(LoadLangString(117), "Телефон не выбран из списка");
    EXPECT_EQ(LoadLangString(177), "Список ");  // the trailing space is part of the text
    EXPECT_EQ(LoadLangString(1016), "Перевести телефон в спящий режим");
}

TEST_F(LangStringTest, MissingFieldsAndStringsAreEmpty) {
    EXPECT_EQ(LoadLangString(152), "");  // no such string
    EXPECT_EQ(LoadLangString(0), "");
    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(LoadLangString(101), "");  // the one-field string has no Russian half
    EXPECT_EQ(LoadResourceString(101), "&About Velmora...");
    SetLanguageIndex(2);
    EXPECT_EQ(LoadLangString(117), "");
    EXPECT_EQ(LoadLangString(101), "");
    SetLanguageIndex(-1);
    EXPECT_EQ(LoadLangString(117), "");
}

TEST_F(LangStringTest, TableKeepsTheOriginalTextsAndTypos) {
    EXPECT_EQ(LoadLangString(115), "Uploading was iterrupted by user");
    EXPECT_EQ(LoadLangString(149), "Cant get volumes");
    EXPECT_EQ(LoadLangString(153), "A you sure to delete files from phone ?");
    EXPECT_EQ(LoadLangString(140), "Can't init phone interface. Command interface disabled.");
    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(LoadLangString(102), "Директоря не выбрана, выберете ее на дереве.");
    EXPECT_EQ(LoadLangString(1004), "Скачать выбранные файлы на копьютер");
}

TEST_F(LangStringTest, EveryStringButOneHasExactlyTwoFields) {
    int count = 0;
    int builderTexts = 0;
    for (const auto& entry : LangStringTable()) {
        std::string_view text(entry.text);
        const auto fields = 1 + std::count(text.begin(), text.end(), '\n');
        EXPECT_EQ(fields, entry.id == 101 ? 1 : 2) << entry.id;
        EXPECT_FALSE(LangField(text, 0).empty()) << entry.id;
        // Each part of the program has its own range of ids from 400 to 999 on top of the
        // long-standing table.
        if (entry.id < 400 || entry.id > 999) ++count;
        if (entry.id >= 400 && entry.id < 450) ++builderTexts;
    }
    // 101 to 191 without 152, and thirteen tooltips; the request builders' seven texts and
    // the single-instance lock's.
    EXPECT_EQ(count, 103);
    EXPECT_EQ(builderTexts, 8);
}

TEST_F(LangStringTest, LongTextsAreCutByCharactersNotBytes) {
    // A Russian character is two bytes: cutting by bytes would split one.
    EXPECT_EQ(Utf8Prefix("Тип", 2), "Ти");
    EXPECT_EQ(Utf8Prefix("Тип", 5), "Тип");
    EXPECT_EQ(Utf8Prefix("", 0), "");
    const std::string tooltip = LoadTooltipString(1014);
    EXPECT_EQ(tooltip, "Fill free space on selected volume");
    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(LoadTooltipString(1014), "Заполнить свободное место на диске случайными данными");
    EXPECT_EQ(LoadTooltipString(0), "");
    EXPECT_EQ(LoadTooltipString(1001), "");  // the tree has no tip
}

TEST_F(LangStringTest, FieldSplitHandlesEdges) {
    EXPECT_EQ(LangField("a\nb\nc", 2), "c");
    EXPECT_EQ(LangField("a\n", 1), "");
    EXPECT_EQ(LangField("a", 1), "");
    EXPECT_EQ(LangField("", 0), "");
}

}  // namespace
}  // namespace velmora
