#include "base/phone_text.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

struct CodePageRow {
    unsigned char byte;
    const char* utf8;
};

// Letters a Russian phone writes, the punctuation the code page moved, and its edges.
const CodePageRow kCodePage[] = {
    {0x41, "A"}, {0x7F, "\x7F"},     {0x80, "Ђ"}, {0x88, "€"}, {0x98, "\xC2\x98"},
    {0x99, "™"}, {0xA0, "\xC2\xA0"}, {0xA8, "Ё"}, {0xAB, "«"}, {0xB8, "ё"},
    {0xB9, "№"}, {0xC0, "А"},        {0xDF, "Я"}, {0xE0, "а"}, {0xFF, "я"},
};

TEST(PhoneText, EachByteDecodesToItsCharacterAndBack) {
    for (const auto& row : kCodePage) {
        const std::string byte(1, static_cast<char>(row.byte));
        EXPECT_EQ(DecodePhoneText(byte), row.utf8) << int{row.byte};
        const auto encoded = EncodePhoneText(row.utf8);
        EXPECT_TRUE(encoded.Ok()) << int{row.byte};
        EXPECT_EQ(encoded.bytes, byte) << int{row.byte};
    }
}

TEST(PhoneText, AnyPhoneBytesComeBackUnchanged) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string shown = DecodePhoneText(all);
    EXPECT_EQ(TextLength(shown), all.size());
    const auto encoded = EncodePhoneText(shown);
    ASSERT_TRUE(encoded.Ok()) << encoded.refused;
    EXPECT_EQ(encoded.bytes, all);
}

TEST(PhoneText, PathWithCyrillicFolder) {
    EXPECT_EQ(DecodePhoneText("/a/\xD4\xEE\xF2\xEE/x.jpg"), "/a/Фото/x.jpg");
    EXPECT_EQ(EncodePhoneText("/a/Фото/x.jpg").bytes, "/a/\xD4\xEE\xF2\xEE/x.jpg");
}

struct RefusalRow {
    const char* utf8;
    const char* refused;
};

// The first character the phone cannot hold is named; nothing of the text is kept.
const RefusalRow kRefusals[] = {
    {"ok✓", "\"✓\" (U+2713)"},
    {"a\xE4\xB8\xAD\xE6\x96\x87", "\"中\" (U+4E2D)"},
    {"\xF0\x9F\x93\xB7.jpg", "\"📷\" (U+1F4F7)"},
    {"é", "\"é\" (U+00E9)"},                 // Latin-1 letters are not in the code page
    {"и\xCC\x86", "\"\xCC\x86\" (U+0306)"},  // a combining mark after a letter that has a byte
    {"ab\xFF", "\\xFF"},                     // not UTF-8 at all
    {"\xC0\xAF", "\\xC0"},                   // overlong "/"
    {"\xED\xA0\x80", "\\xED"},               // a surrogate
    {"\xD0", "\\xD0"},                       // cut in the middle of a character
};

TEST(PhoneText, CharactersWithoutAByteAreNamed) {
    for (const auto& row : kRefusals) {
        const auto encoded = EncodePhoneText(row.utf8);
        EXPECT_FALSE(encoded.Ok()) << row.utf8;
        EXPECT_EQ(encoded.refused, row.refused);
        EXPECT_TRUE(encoded.bytes.empty()) << row.utf8;
    }
}

TEST(PhoneText, EmptyTextEncodesToNothing) {
    const auto encoded = EncodePhoneText("");
    EXPECT_TRUE(encoded.Ok());
    EXPECT_EQ(encoded.bytes, "");
}

struct LengthRow {
    const char* utf8;
    std::size_t length;
    std::size_t cutAt;
    const char* cut;
};

const LengthRow kLengths[] = {
    {"", 0, 3, ""},
    {"*.jpg", 5, 3, "*.j"},
    {"Фото", 4, 3, "Фот"},
    {"№1€", 3, 2, "№1"},
    {"a📷b", 3, 2, "a📷"},
    {"\xFF\xFE"
     "a",
     3, 1, "\xFF"},  // stray bytes count one each
    {"ab", 2, 5, "ab"},
};

TEST(PhoneText, LengthsAndCutsCountCharacters) {
    for (const auto& row : kLengths) {
        EXPECT_EQ(TextLength(row.utf8), row.length) << row.utf8;
        EXPECT_EQ(LeadingCharacters(row.utf8, row.cutAt), row.cut) << row.utf8;
    }
}

}  // namespace
}  // namespace velmora
