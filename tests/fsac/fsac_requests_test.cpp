#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fsac/fsac_records.h"

namespace velmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Units(const std::string& text) {
    Bytes out;
    for (char c : text) {
        out.push_back(0);
        out.push_back(static_cast<std::uint8_t>(c));
    }
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
    EXPECT_EQ(BuildVolumeSearchRequest('b'),
              Concat({kSearchOp, Units("/b/"), kSeparator, Units("*"), kTerminator}));
}

TEST(FsacSearchStartRequest, SplitsAtTheLastSlash) {
    auto request = BuildSearchStartRequest("/a/mobile/*.jpg", false);
    ASSERT_TRUE(request);
    EXPECT_EQ(request.Value().size(), 38u);
    EXPECT_EQ(request.Value(),
              Concat({kSearchOp, Units("/a/mobile/"), kSeparator, Units("*.jpg"), kTerminator}));
}

TEST(FsacSearchStartRequest, TextWithoutSlashPutsTheSeparatorFirst) {
    auto request = BuildSearchStartRequest("*.mp3", false);
    ASSERT_TRUE(request);
    EXPECT_EQ(request.Value(), Concat({kSearchOp, kSeparator, Units("*.mp3"), kTerminator}));
}

TEST(FsacSearchStartRequest, FileSystemFlagLeavesTheSeparatorOut) {
    auto flat = BuildSearchStartRequest("*.mp3", true);
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat.Value(), Concat({kSearchOp, Units("*.mp3"), kTerminator}));
    auto withFolder = BuildSearchStartRequest("/a/x*", true);
    ASSERT_TRUE(withFolder);
    EXPECT_EQ(withFolder.Value(), Concat({kSearchOp, Units("/a/x*"), kTerminator}));
}

TEST(FsacSearchStartRequest, HighCharactersAreNotSignExtended) {
    auto request = BuildSearchStartRequest("\xE9*", true);
    ASSERT_TRUE(request);
    EXPECT_EQ(request.Value(), Concat({kSearchOp, {0x00, 0xE9, 0x00, 0x2A}, kTerminator}));
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

    auto withNul = BuildSearchStartRequest(std::string("/a/\0x", 5), false);
    ASSERT_FALSE(withNul);
    EXPECT_EQ(withNul.Error(), FsacError::NulInText);
}

TEST(FsacOpenRequest, PathIsFollowedByTwoNulsAndZeroFiller) {
    auto request = BuildOpenRequest("/a/x", kOpenKeepAttributes);
    ASSERT_TRUE(request);
    const Bytes& bytes = request.Value();
    ASSERT_EQ(bytes.size(), 270u);
    const Bytes head = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, '/', 'a', '/', 'x', 0, 0};
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 14), head);
    for (std::size_t i = 14; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << i;

    auto fill = BuildOpenRequest("/a/fillspace_1.rnd", kOpenFillFile);
    ASSERT_TRUE(fill);
    EXPECT_EQ(Bytes(fill.Value().begin() + 4, fill.Value().begin() + 8), Bytes(4, 0));
}

TEST(FsacOpenRequest, AttributeChangeIsPathLengthPlusTen) {
    auto request = BuildAttributeChangeRequest("/a/x.jpg", 0x21);
    ASSERT_TRUE(request);
    const Bytes expected = Concat(
        {{0, 0, 0, 0, 0, 0, 0, 0x21}, Bytes{'/', 'a', '/', 'x', '.', 'j', 'p', 'g'}, {0, 0}});
    EXPECT_EQ(request.Value(), expected);
}

TEST(FsacPathRequests, RefuseWhatDoesNotFitTheRecord) {
    const std::string longest(kMaxPhonePath, 'p');
    auto open = BuildOpenRequest(longest, kOpenKeepAttributes);
    ASSERT_TRUE(open);
    EXPECT_EQ(open.Value().size(), 270u);
    EXPECT_EQ(open.Value()[8 + 259], 'p');
    EXPECT_EQ(open.Value()[268], 0);
    EXPECT_EQ(open.Value()[269], 0);
    auto del = BuildDeleteRequest(longest);
    ASSERT_TRUE(del);
    EXPECT_EQ(del.Value().size(), 266u);
    EXPECT_EQ(del.Value()[264], 0);
    EXPECT_EQ(del.Value()[265], 0);

    const std::string tooLong = longest + "p";
    for (const auto& result :
         {BuildOpenRequest(tooLong, kOpenKeepAttributes), BuildAttributeChangeRequest(tooLong, 1),
          BuildDeleteRequest(tooLong)}) {
        ASSERT_FALSE(result);
        EXPECT_EQ(result.Error(), FsacError::PathTooLong);
        EXPECT_EQ(result.ErrorText(), "The phone path is longer than 260 characters.");
    }
    // A NUL would make the phone act on a shorter path than the one asked for.
    auto truncated = BuildDeleteRequest(std::string("/a/x\0/a/y", 9));
    ASSERT_FALSE(truncated);
    EXPECT_EQ(truncated.Error(), FsacError::NulInText);
}

TEST(FsacDeleteRequest, LayoutFromOffsetFour) {
    auto request = BuildDeleteRequest("/a/x");
    ASSERT_TRUE(request);
    const Bytes head = {0, 0, 0, 5, '/', 'a', '/', 'x', 0, 0};
    EXPECT_EQ(Bytes(request.Value().begin(), request.Value().begin() + 10), head);
}

TEST(FsacReadRequest, ReadsOfAFileInBlocks) {
    // 2500 bytes: 1024, 1024, 452.
    std::vector<std::uint32_t> sizes;
    for (std::int64_t missing = 2500; missing > 0;) {
        const auto size = NextBlockSize(missing);
        sizes.push_back(size);
        missing -= size;
    }
    EXPECT_EQ(sizes, (std::vector<std::uint32_t>{1024, 1024, 452}));

    // A short delivery: 1024 asked, 300 came; 2200 missing asks for a whole block again.
    EXPECT_EQ(NextBlockSize(2500 - 300), 1024u);
    EXPECT_EQ(NextBlockSize(1025 - 1024), 1u);
    EXPECT_EQ(NextBlockSize(0), 0u);
    EXPECT_EQ(NextBlockSize(-5), 0u);

    EXPECT_EQ(BuildReadRequest(1024), (Bytes{0, 0, 0, 1, 0, 0, 0x04, 0x00, 0, 0}));
    EXPECT_EQ(BuildReadRequest(452), (Bytes{0, 0, 0, 1, 0, 0, 0x01, 0xC4, 0, 0}));
    // Never more than the reply buffer holds.
    EXPECT_EQ(BuildReadRequest(5000), BuildReadRequest(1024));
}

TEST(FsacWriteRequest, CarriesUpToOneBlock) {
    Bytes block(1024);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7);
    auto full = BuildWriteRequest(block);
    ASSERT_TRUE(full);
    ASSERT_EQ(full.Value().size(), 1032u);
    EXPECT_EQ(Bytes(full.Value().begin(), full.Value().begin() + 8),
              (Bytes{0, 0, 0, 2, 0, 0, 0x04, 0x00}));
    EXPECT_EQ(Bytes(full.Value().begin() + 8, full.Value().end()), block);

    auto last = BuildWriteRequest(Bytes{9, 8, 7});
    ASSERT_TRUE(last);
    EXPECT_EQ(last.Value(), (Bytes{0, 0, 0, 2, 0, 0, 0, 3, 9, 8, 7}));

    auto tooLong = BuildWriteRequest(Bytes(1025));
    ASSERT_FALSE(tooLong);
    EXPECT_EQ(tooLong.Error(), FsacError::BlockTooLong);
}

TEST(FsacSmallRequests, FixedLayouts) {
    EXPECT_EQ(BuildCloseRequest(), (Bytes{0, 0, 0, 4}));
    EXPECT_EQ(BuildSearchNextRequest(false), (Bytes{0, 0, 0, 8, 1, 0, 0}));
    EXPECT_EQ(BuildSearchNextRequest(true), (Bytes{0, 0, 0, 8, 0, 0, 0}));
    EXPECT_EQ(BuildVersionRequest(), (Bytes{0, 0, 0, 9, 0, 0}));
    EXPECT_EQ(BuildVolumesRequest(), (Bytes{0, 0, 0, 0x0A, 0, 0}));
    EXPECT_EQ(BuildFreeSpaceRequest('a'), (Bytes{0, 0, 0, 0x0B, 0, 0x07, 0x61, 0x2F, 0, 0}));
    EXPECT_EQ(BuildFreeSpaceRequest('c')[6], 0x63);
}

}  // namespace
}  // namespace velmora
