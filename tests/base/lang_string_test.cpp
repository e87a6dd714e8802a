#include "base/lang_string.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include "base/lang_string_table.h"

namespace velmora {
namespace {

class LangStringTest : public ::testing::Test {
  protected:
    void TearDown() override { SetLanguageIndex(kLanguageEnglish); }
};

TEST_F(LangStringTest, PicksTheCurrentLanguagesText) {
    EXPECT_EQ(LoadLangString(117), "Device not selected.");
    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(LanguageCode(), "ru");
    EXPECT_EQ(LoadLangString(117), "Телефон не выбран из списка");
    EXPECT_EQ(LoadLangString(177), "Список ");  // the trailing space is part of the text
    EXPECT_EQ(LoadLangString(1016), "Перевести телефон в спящий режим");
    EXPECT_EQ(LoadLangString(152), "");  // no such string, in any language
    SetLanguageIndex(2);
    EXPECT_EQ(LoadLangString(117), "Device not selected.");
}

// msgfmt --check, as the build runs it, holds the translations' "%s" and "%d" to the ids'.
TEST_F(LangStringTest, EveryStringHasOneIdAndARussianText) {
    std::set<int> ids;
    SetLanguageIndex(kLanguageRussian);
    for (const auto& entry : LangStringTable()) {
        EXPECT_TRUE(ids.insert(entry.id).second) << entry.id;
        const std::string russian = LoadLangString(entry.id), english = entry.text;
        EXPECT_NE(russian, english) << entry.id << " is not translated";
    }
}

TEST_F(LangStringTest, CountsTakeTheirLanguagesPluralForm) {
    const std::pair<std::int64_t, const char*> russian[] = {
        {1, "1 файл"},   {2, "2 файла"},   {5, "5 файлов"},     {11, "11 файлов"},
        {21, "21 файл"}, {22, "22 файла"}, {112, "112 файлов"}, {1001, "1001 файл"},
        {0, "0 файлов"}, {-2, "-2 файла"},
    };
    EXPECT_EQ(LoadLangCount(171, 1), "1 file");
    EXPECT_EQ(LoadLangCount(171, 0), "0 files");
    SetLanguageIndex(kLanguageRussian);
    for (const auto& [n, text] : russian) EXPECT_EQ(LoadLangCount(171, n), text) << n;
    EXPECT_EQ(LoadLangCount(627, 3), "3 байта");
}

TEST(PluralRuleTest, HeadersGiveTheirFormsAndBrokenOnesEnglish) {
    struct Case {
        const char* header;
        std::size_t forms;
        std::map<std::uint64_t, std::size_t> formOf;
    } cases[] = {
        {"nplurals=2; plural=n != 1;", 2, {{0, 1}, {1, 0}, {2, 1}}},
        {"nplurals=3; plural=(n==1) ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2;",
         3,
         {{1, 0}, {2, 1}, {12, 2}, {22, 1}, {25, 2}}},
        // The rule Weblate writes for French: a third form for whole millions.
        {"nplurals=3; plural=(n == 0 || n == 1) ? 0 : n != 0 && n % 1000000 == 0 ? 1 : 2;",
         3,
         {{0, 0}, {2, 2}, {1000000, 1}, {3000000, 1}, {1000001, 2}}},
        {" nplurals = 1 ; plural = 0 ; ", 1, {{0, 0}, {7, 0}}},
        {"nplurals=2; plural=!(n-1);", 2, {{1, 1}, {3, 0}}},
        {"nplurals=2; plural=n/0;", 2, {{5, 0}}},  // divides by zero: form 0
        {"nplurals=2; plural=n+5;", 2, {{0, 0}}},  // beyond the forms: form 0
        // Broken: English's rule.
        {"", 2, {{1, 0}, {2, 1}}},
        {"nplurals=3; plural=(n==1 ? 0 : 1;", 2, {{1, 0}, {2, 1}}},
        {"nplurals=3; plural=n % 3 2;", 2, {{1, 0}, {3, 1}}},
        {"nplurals=0; plural=0;", 2, {{1, 0}, {5, 1}}},
        {"plural=n%2;", 2, {{1, 0}, {4, 1}}},
    };
    for (const auto& c : cases) {
        const PluralRule rule = PluralRule::FromHeader(c.header);
        EXPECT_EQ(rule.Forms(), c.forms) << c.header;
        for (const auto& [n, form] : c.formOf) EXPECT_EQ(rule.FormFor(n), form) << c.header << n;
    }
    const std::string deep =
        "nplurals=2; plural=" + std::string(5000, '(') + "n" + std::string(5000, ')') + ";";
    EXPECT_EQ(PluralRule::FromHeader(deep).FormFor(2), 1u) << "too deep: English";
}

// A catalog that has one text, and a plural whose middle form is missing.
struct OneTextCatalog : Catalog {
    std::optional<std::string> Translate(const char* msgid) const override {
        return std::string(msgid) == "Connected" ? std::optional<std::string>("Verbunden")
                                                 : std::nullopt;
    }
    std::optional<std::string> TranslatePlural(const char*, std::uint32_t n) const override {
        return n == 2 ? std::nullopt : std::optional<std::string>("%d Dateien");
    }
    std::string PluralForms() const override {
        return "nplurals=3; plural=n==1 ? 0 : n==2 ? 1 : 2;";
    }
};

TEST(LanguageTextsTest, WhatTheCatalogLacksStaysEnglish) {
    const auto texts = LanguageTexts::Build("de", OneTextCatalog());
    EXPECT_EQ(texts->Text(142), "Verbunden");
    EXPECT_EQ(texts->Text(143), "Disconnected");
    // A plural with a gap is English throughout rather than half translated.
    EXPECT_EQ(texts->Text(171, 1), "%d file");
    EXPECT_EQ(texts->Text(171, 3), "%d files");
    EXPECT_EQ(FindLangString(*texts, "Disconnected"), 143);
    EXPECT_EQ(FindLangString(*texts, "nothing of ours"), 0);
}

TEST_F(LangStringTest, LongTextsAreCutByCharactersNotBytes) {
    // A Russian character is two bytes: cutting by bytes would split one.
    EXPECT_EQ(Utf8Prefix("Тип", 2), "Ти");
    EXPECT_EQ(Utf8Prefix("Тип", 5), "Тип");
    EXPECT_EQ(Utf8Prefix("", 0), "");
    EXPECT_EQ(LoadTooltipString(1014), "Fill free space on selected volume");
    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(LoadTooltipString(1014), "Заполнить свободное место на диске случайными данными");
    EXPECT_EQ(LoadResourceString(1014, 10), "Заполнить");
    EXPECT_EQ(LoadResourceString(1014, 0), "");
    EXPECT_EQ(LoadTooltipString(0), "");
    EXPECT_EQ(LoadTooltipString(1001), "");  // the tree has no tip
}

// Workers look texts up while the window's thread switches the language.
TEST_F(LangStringTest, LookupsDuringSwitchesSeeOneLanguageOrTheOther) {
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) {
        readers.emplace_back([&] {
            for (std::string text; !done.load();) {
                text = LoadLangString(117);
                wrong += text != "Device not selected." && text != "Телефон не выбран из списка";
            }
        });
    }
    for (int i = 0; i < 200; ++i) SetLanguageIndex(i % 2 ? kLanguageRussian : kLanguageEnglish);
    done.store(true);
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace velmora
