#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/lang_string.h"
#include "fsac/fsac_records.h"

namespace velmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Units(const std::string& text) {
    Bytes out;
    for (char c : text) out.insert(out.end(), {0, static_cast<std::uint8_t>(c)});
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

const Bytes kSearchOp = {0, 0, 0, 7};
const Bytes kSeparator = {0xFF, 0xFE};
const Bytes kTerminator = {0, 0};

TEST(FsacSearchStartRequest, WholeVolumeListingIsSixteenBytes) {
    const Bytes expected = {0x00, 0x00, 0x00, 0x07, 0x00, 0x2F, 0x00, 0x61,
                            0x00, 0x2F, 0xFF, 0xFE, 0x00, 0x2A, 0x00, 0x00};
    EXPECT_EQ(BuildVolumeSearchRequest('a'), expected);
    auto typed = BuildSearchStartRequest("/a/*", false);
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed.Value(), expected);
}

TEST(FsacSearchStartRequest, SeparatorAfterTheLastSlashUnlessTheFlagIsSet) {
    auto jpg = BuildSearchStartRequest("/a/mobile/*.jpg", false);
    ASSERT_TRUE(jpg);
    EXPECT_EQ(jpg.Value().size(), 38u);
    EXPECT_EQ(jpg.Value(),
              Concat({kSearchOp, Units("/a/mobile/"), kSeparator, Units("*.jpg"), kTerminator}));
    // No folder part: the separator comes right after the operation code.
    EXPECT_EQ(BuildSearchStartRequest("*.mp3", false).Value(),
              Concat({kSearchOp, kSeparator, Units("*.mp3"), kTerminator}));
    EXPECT_EQ(BuildSearchStartRequest("/a/x*", true).Value(),
              Concat({kSearchOp, Units("/a/x*"), kTerminator}));
    // Character codes above 127 ("й" is E9) must not be sign-extended into FF xx.
    EXPECT_EQ(BuildSearchStartRequest("й*", true).Value(),
              Concat({kSearchOp, {0x00, 0xE9, 0x00, 0x2A}, kTerminator}));
}

TEST(FsacSearchStartRequest, TextsBeyondThePatternBufferAreRefused) {
    const std::string longest = "/a/" + std::string(kMaxSearchText - 3, 'x');
    auto fits = BuildSearchStartRequest(longest, false);
    ASSERT_TRUE(fits);
    EXPECT_EQ(fits.Value().size(), 4u + 260u);  // exactly fills the pattern buffer

    auto tooLong = BuildSearchStartRequest(longest + "x", false);
    ASSERT_FALSE(tooLong);
    EXPECT_EQ(tooLong.Error(), FsacError::PatternTooLong);
    EXPECT_EQ(tooLong.ErrorText(), "The search text is longer than 128 characters.");
    EXPECT_FALSE(BuildSearchStartRequest(longest + "x", true));
    // A NUL unit would end the pattern early.
    EXPECT_EQ(BuildSearchStartRequest(std::string("/a/\0x", 5), false).Error(),
              FsacError::NulInText);
}

TEST(FsacOpenRequest, PathIsFollowedByTwoNulsAndZeroFiller) {
    auto request = BuildOpenRequest("/a/x", kOpenKeepAttributes);
    ASSERT_TRUE(request);
    const Bytes& bytes = request.Value();
    ASSERT_EQ(bytes.size(), 270u);
    const Bytes head = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, '/', 'a', '/', 'x', 0, 0};
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 14), head);
    EXPECT_EQ(Bytes(bytes.begin() + 14, bytes.end()), Bytes(256, 0));

    auto change = BuildAttributeChangeRequest("/a/x.jpg", 0x21);
    ASSERT_TRUE(change);
    EXPECT_EQ(change.Value(), Concat({{0, 0, 0, 0, 0, 0, 0, 0x21},
                                      Bytes{'/', 'a', '/', 'x', '.', 'j', 'p', 'g'},
                                      {0, 0}}));
}

TEST(FsacPathRequests, RefuseWhatDoesNotFitTheRecord) {
    const std::string longest(kMaxPhonePath, 'p');
    auto open = BuildOpenRequest(longest, kOpenKeepAttributes);
    ASSERT_TRUE(open);
    EXPECT_EQ(open.Value()[8 + 259], 'p');
    EXPECT_EQ(Bytes(open.Value().begin() + 268, open.Value().end()), (Bytes{0, 0}));
    auto del = BuildDeleteRequest(longest);
    ASSERT_TRUE(del);
    ASSERT_EQ(del.Value().size(), 266u);
    EXPECT_EQ(Bytes(del.Value().begin(), del.Value().begin() + 5), (Bytes{0, 0, 0, 5, 'p'}));
    EXPECT_EQ(Bytes(del.Value().begin() + 264, del.Value().end()), (Bytes{0, 0}));

    const std::string tooLong = longest + "p";
    for (const auto& result :
         {BuildOpenRequest(tooLong, kOpenKeepAttributes), BuildAttributeChangeRequest(tooLong, 1),
          BuildDeleteRequest(tooLong)}) {
        ASSERT_FALSE(result);
        EXPECT_EQ(result.Error(), FsacError::PathTooLong);
        EXPECT_EQ(result.ErrorText(), "The phone path is longer than 260 characters.");
    }
    // A NUL would make the phone act on a shorter path than the one asked for.
    EXPECT_EQ(BuildDeleteRequest(std::string("/a/x\0/a/y", 9)).Error(), FsacError::NulInText);
}

// Paths and masks go out in the phone's code page, one byte a character.
TEST(FsacPhoneText, CyrillicGoesOutAsWindows1251) {
    const Bytes folder = {'/', 'a', '/', 0xD4, 0xEE, 0xF2, 0xEE, '/'};  // "/a/Фото/"
    auto open = BuildOpenRequest("/a/Фото/x.jpg", kOpenKeepAttributes);
    ASSERT_TRUE(open);
    EXPECT_EQ(Bytes(open.Value().begin() + 8, open.Value().begin() + 16), folder);
    EXPECT_EQ(Bytes(open.Value().begin() + 16, open.Value().begin() + 23),
              (Bytes{'x', '.', 'j', 'p', 'g', 0, 0}));
    auto change = BuildAttributeChangeRequest("/a/Фото/x.jpg", 0x21);
    ASSERT_TRUE(change);
    EXPECT_EQ(change.Value().size(), 13u + 10u) << "path length in characters";
    auto del = BuildDeleteRequest("/a/Фото/x.jpg");
    ASSERT_TRUE(del);
    EXPECT_EQ(Bytes(del.Value().begin() + 4, del.Value().begin() + 12), folder);

    auto search = BuildSearchStartRequest("/a/Фото/*", false);
    ASSERT_TRUE(search);
    EXPECT_EQ(search.Value(),
              Concat({kSearchOp,
                      {0, '/', 0, 'a', 0, '/', 0, 0xD4, 0, 0xEE, 0, 0xF2, 0, 0xEE, 0, '/'},
                      kSeparator,
                      Units("*"),
                      kTerminator}));
}

TEST(FsacPhoneText, LimitsCountCharacters) {
    const std::string cyrillic128 = "/a/" + [] {
        std::string s;
        for (std::size_t i = 0; i < kMaxSearchText - 3; ++i) s += "ж";
        return s;
    }();
    auto fits = BuildSearchStartRequest(cyrillic128, false);
    ASSERT_TRUE(fits) << fits.ErrorText();
    EXPECT_EQ(fits.Value().size(), 4u + 260u);
    EXPECT_EQ(BuildSearchStartRequest(cyrillic128 + "ж", false).Error(), FsacError::PatternTooLong);

    // Two UTF-8 bytes a letter, one on the phone.
    std::string longest = "/a/";
    for (std::size_t i = 3; i < kMaxPhonePath; ++i) longest += "я";
    ASSERT_TRUE(BuildOpenRequest(longest, kOpenKeepAttributes));
    EXPECT_EQ(BuildDeleteRequest(longest + "я").Error(), FsacError::PathTooLong);
}

struct RefusedTextRow {
    const char* text;
    const char* english;
    const char* russian;
};

TEST(FsacPhoneText, CharacterWithoutAByteIsNamedAndNothingIsBuilt) {
    const RefusedTextRow rows[] = {
        {"/a/\xE4\xB8\xAD.txt",
         "The character \"\xE4\xB8\xAD\" (U+4E2D) cannot be written in the phone's code page "
         "(windows-1251); nothing was sent.",
         "Символ \"\xE4\xB8\xAD\" (U+4E2D) нельзя записать в кодировке телефона (windows-1251); "
         "ничего не отправлено."},
        {"/a/caf\xC3\xA9.mp3",
         "The character \"\xC3\xA9\" (U+00E9) cannot be written in the phone's code page "
         "(windows-1251); nothing was sent.",
         "Символ \"\xC3\xA9\" (U+00E9) нельзя записать в кодировке телефона (windows-1251); "
         "ничего не отправлено."},
    };
    for (const auto& row : rows) {
        for (const auto& result :
             {BuildOpenRequest(row.text, kOpenKeepAttributes),
              BuildAttributeChangeRequest(row.text, 1), BuildDeleteRequest(row.text),
              BuildSearchStartRequest(row.text, false)}) {
            ASSERT_FALSE(result) << row.text;
            EXPECT_EQ(result.Error(), FsacError::NoPhoneByte);
            SetLanguageIndex(kLanguageEnglish);
            EXPECT_EQ(result.ErrorText(), row.english);
            SetLanguageIndex(kLanguageRussian);
            EXPECT_EQ(result.ErrorText(), row.russian);
            SetLanguageIndex(kLanguageEnglish);
        }
    }
}

// Every refusal speaks the window's language.
TEST(FsacPhoneText, RefusalsInRussian) {
    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(BuildSearchStartRequest(std::string(kMaxSearchText + 1, '*'), false).ErrorText(),
              "Текст поиска длиннее 128 символов.");
    EXPECT_EQ(BuildDeleteRequest(std::string(kMaxPhonePath + 1, 'p')).ErrorText(),
              "Путь в телефоне длиннее 260 символов.");
    EXPECT_EQ(BuildDeleteRequest(std::string("/a/x\0y", 6)).ErrorText(),
              "Путь или текст поиска содержит символ NUL.");
    EXPECT_EQ(BuildWriteRequest(Bytes(kFsacBlockSize + 1)).ErrorText(),
              "Запрос записи несёт не более 1024 байт.");
    SetLanguageIndex(kLanguageEnglish);
}

TEST(FsacBlockRequests, ReadAndWriteAtMostOneBlock) {
    // 2500 bytes: 1024, 1024, 452.
    std::vector<std::uint32_t> sizes;
    for (std::int64_t missing = 2500; missing > 0; missing -= sizes.back()) {
        sizes.push_back(NextBlockSize(missing));
    }
    EXPECT_EQ(sizes, (std::vector<std::uint32_t>{1024, 1024, 452}));
    // A short delivery (300 of 1024) leaves 2200 missing: ask for a whole block again.
    EXPECT_EQ(NextBlockSize(2500 - 300), 1024u);
    EXPECT_EQ(NextBlockSize(-5), 0u);

    EXPECT_EQ(BuildReadRequest(452), (Bytes{0, 0, 0, 1, 0, 0, 0x01, 0xC4, 0, 0}));
    EXPECT_EQ(BuildReadRequest(5000), (Bytes{0, 0, 0, 1, 0, 0, 0x04, 0x00, 0, 0}));

    const Bytes block(1024, 0x5A);
    auto full = BuildWriteRequest(block);
    ASSERT_TRUE(full);
    ASSERT_EQ(full.Value().size(), 1032u);
    EXPECT_EQ(Bytes(full.Value().begin(), full.Value().begin() + 8),
              (Bytes{0, 0, 0, 2, 0, 0, 0x04, 0x00}));
    EXPECT_EQ(Bytes(full.Value().begin() + 8, full.Value().end()), block);
    EXPECT_EQ(BuildWriteRequest(Bytes{9, 8, 7}).Value(), (Bytes{0, 0, 0, 2, 0, 0, 0, 3, 9, 8, 7}));
    EXPECT_EQ(BuildWriteRequest(Bytes(1025)).Error(), FsacError::BlockTooLong);
}

TEST(FsacSmallRequests, FlagAndLetterBytes) {
    EXPECT_EQ(BuildSearchNextRequest(false), (Bytes{0, 0, 0, 8, 1, 0, 0}));
    EXPECT_EQ(BuildSearchNextRequest(true), (Bytes{0, 0, 0, 8, 0, 0, 0}));
    EXPECT_EQ(BuildFreeSpaceRequest('a'), (Bytes{0, 0, 0, 0x0B, 0, 0x07, 0x61, 0x2F, 0, 0}));
}

}  // namespace
}  // namespace velmora
