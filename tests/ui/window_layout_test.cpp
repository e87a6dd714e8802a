#include "ui/window_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fakes.h"
#include "ui/main_window_ids.h"

namespace velmora {
namespace {

using test::MemorySettingsStore;

constexpr Size kDisplay{1024, 768};

std::uint32_t Dword(std::int32_t v) {
    return static_cast<std::uint32_t>(v);
}

std::optional<Rect> Restore(std::int32_t left, std::int32_t top, std::int32_t right,
                            std::int32_t bottom) {
    MemorySettingsStore user;
    user.Set("WndLeft", Dword(left));
    user.Set("WndTop", Dword(top));
    user.Set("WndRight", Dword(right));
    user.Set("WndBottom", Dword(bottom));
    return RestoredWindowRect(user, kDisplay);
}

TEST(RestoredWindowRect, MissingKeyKeepsTheWindowWhereItIs) {
    MemorySettingsStore user(false);
    EXPECT_FALSE(RestoredWindowRect(user, kDisplay).has_value());
}

TEST(RestoredWindowRect, KeyWithoutValuesGivesTheDefaultAtTheOrigin) {
    MemorySettingsStore user;
    EXPECT_EQ(RestoredWindowRect(user, kDisplay), (Rect{0, 0, 650, 350}));
}

TEST(RestoredWindowRect, AValidRectangleIsTakenAsItStands) {
    EXPECT_EQ(Restore(10, 20, 810, 620), (Rect{10, 20, 810, 620}));
}

TEST(RestoredWindowRect, MinimizedPositionComesBackToTheOrigin) {
    // -32000 is huge as unsigned; the right edge then no longer fits either.
    EXPECT_EQ(Restore(-32000, -32000, -31350, -31650), (Rect{0, 0, 650, 350}));
}

TEST(RestoredWindowRect, LeftAndTopAreKeptUpToFortyPixelsFromTheFarEdge) {
    EXPECT_EQ(Restore(1024 - 40, 768 - 40, 1024 - 40 + 650, 768 - 40 + 350),
              (Rect{984, 728, 1634, 1078}));

    const auto r = Restore(1024 - 39, 768 - 39, 1024 - 39 + 650, 768 - 39 + 350);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->left, 0);
    EXPECT_EQ(r->top, 0);
}

TEST(RestoredWindowRect, WidthMustLieBetweenTheDefaultAndTheDisplay) {
    EXPECT_EQ(Restore(0, 0, 650, 350)->right, 650);
    EXPECT_EQ(Restore(100, 0, 749, 350)->right, 750);
    EXPECT_EQ(Restore(0, 0, 1024, 350)->right, 1024);
    EXPECT_EQ(Restore(0, 0, 1025, 350)->right, 650);
    // A right edge left of the left edge wraps to a huge width.
    EXPECT_EQ(Restore(300, 0, 100, 350)->right, 950);
}

TEST(RestoredWindowRect, HeightMustLieBetweenTheDefaultAndTheDisplay) {
    EXPECT_EQ(Restore(0, 0, 650, 350)->bottom, 350);
    EXPECT_EQ(Restore(0, 50, 650, 399)->bottom, 400);
    EXPECT_EQ(Restore(0, 0, 650, 768)->bottom, 768);
    EXPECT_EQ(Restore(0, 0, 650, 769)->bottom, 350);
}

TEST(RestoredWindowRect, ValuesOfAnotherTypeCountAsMissing) {
    MemorySettingsStore user;
    user.Set("WndLeft", std::string("10"));
    user.Set("WndTop", Dword(5));
    user.Set("WndRight", Binary{1, 2, 3, 4});
    EXPECT_EQ(RestoredWindowRect(user, kDisplay), (Rect{0, 5, 650, 355}));
}

TEST(SnappedWindowRect, ClientBelowTheMinimumSnapsTheWindow) {
    const Rect window{10, 20, 600, 300};
    EXPECT_EQ(SnappedWindowRect(window, Size{629, 400}), (Rect{10, 20, 640, 300}));
    EXPECT_EQ(SnappedWindowRect(window, Size{700, 329}), (Rect{10, 20, 600, 403}));
    EXPECT_EQ(SnappedWindowRect(window, Size{1, 1}), (Rect{10, 20, 640, 403}));
}

TEST(SnappedWindowRect, MinimumItselfAndZeroSizesLeaveItAlone) {
    const Rect window{10, 20, 600, 300};
    EXPECT_EQ(SnappedWindowRect(window, Size{630, 330}), window);
    EXPECT_EQ(SnappedWindowRect(window, Size{0, 0}), window);
}

TEST(StoreWindowRect, CreatesTheKeyAndWritesTheFourEdges) {
    MemorySettingsStore user(false);
    StoreWindowRect(user, Rect{-5, 2, 700, 400});
    EXPECT_TRUE(user.KeyExists());
    EXPECT_EQ(user.ReadDword("WndLeft"), Dword(-5));
    EXPECT_EQ(user.ReadDword("WndTop"), 2u);
    EXPECT_EQ(user.ReadDword("WndRight"), 700u);
    EXPECT_EQ(user.ReadDword("WndBottom"), 400u);
    EXPECT_EQ(user.writes(), 4);
}

TEST(StoreWindowRect, AKeyThatCannotBeCreatedIsSkippedSilently) {
    MemorySettingsStore user(false);
    user.failCreate = true;
    StoreWindowRect(user, Rect{0, 0, 650, 350});
    EXPECT_EQ(user.writes(), 0);
}

ControlPlacement Find(const std::vector<ControlPlacement>& all, int id) {
    auto it = std::find_if(all.begin(), all.end(), [id](const auto& p) { return p.id == id; });
    EXPECT_NE(it, all.end()) << id;
    return it == all.end() ? ControlPlacement{} : *it;
}

TEST(PlaceControls, FollowsTheClientArea) {
    const auto all = PlaceControls(Size{700, 400});
    EXPECT_EQ(all.size(), 19u);
    const auto list = Find(all, kIdFileList);
    EXPECT_EQ(list.x, 175);
    EXPECT_EQ(list.size, (Size{420, 350}));
    const auto tree = Find(all, kIdTree);
    EXPECT_EQ(tree.y, 45);
    EXPECT_EQ(tree.size, (Size{170, 255}));
    const auto bar = Find(all, kIdFileProgress);
    EXPECT_EQ(bar.x, 598);
    EXPECT_EQ(bar.size, (Size{15, 350}));
    const auto interrupt = Find(all, kIdInterrupt);
    EXPECT_EQ(interrupt.x, 615);
    EXPECT_EQ(interrupt.y, 354);
    EXPECT_FALSE(interrupt.size.has_value());
    EXPECT_EQ(Find(all, kIdSearch).y, 326);
    EXPECT_EQ(Find(all, kIdSearchMask).y, 302);
    EXPECT_EQ(Find(all, kIdProgress).size, (Size{595, 15}));
    EXPECT_EQ(Find(all, kIdLeaveBytesLabel).y, 228);
    const auto status = Find(all, kIdStatusBar);
    EXPECT_EQ(status.y, 375);
    EXPECT_EQ(status.size, (Size{700, 25}));
}

TEST(PlaceControls, TinyAreaNeverGivesNegativeSizes) {
    for (const auto& p : PlaceControls(Size{0, 0})) {
        if (!p.size) continue;
        EXPECT_GE(p.size->width, 0) << p.id;
        EXPECT_GE(p.size->height, 0) << p.id;
    }
}

TEST(ColumnWidths, NameColumnTakesTheRestLessAScrollBarWhenRowsOverflow) {
    const Size client{800, 402};
    // 19 rows of 20 pixels + 24 = 404 > 400: a scroll bar.
    EXPECT_EQ(ColumnWidths(client, {20, 19, 17}),
              (std::array<std::int32_t, 5>{289, 70, 70, 70, 0}));
    // 18 rows: 384, fits.
    EXPECT_EQ(ColumnWidths(client, {20, 18, 17})[0], 306);
    // Exactly H - 2 still fits.
    EXPECT_EQ(ColumnWidths(Size{800, 386}, {20, 18, 17})[0], 306);
    EXPECT_EQ(ColumnWidths(Size{800, 385}, {20, 18, 17})[0], 289);
}

TEST(ColumnWidths, NarrowWindowGivesAnEmptyNameColumnNotANegativeOne) {
    EXPECT_EQ(ColumnWidths(Size{300, 400}, {20, 0, 17})[0], 0);
}

TEST(TextScale, TheDefaultOrASmallerScaleKeepsEveryPixel) {
    const Size client{700, 400};
    const Rect window{10, 20, 600, 300};
    MemorySettingsStore user;
    for (double scale : {1.0, 0.75, 0.0}) {
        EXPECT_EQ(PlaceControls(client, scale), PlaceControls(client)) << scale;
        EXPECT_EQ(ColumnWidths(client, {20, 19, 17}, scale), ColumnWidths(client, {20, 19, 17}));
        EXPECT_EQ(SnappedWindowRect(window, Size{629, 329}, scale), (Rect{10, 20, 640, 403}));
        EXPECT_EQ(RestoredWindowRect(user, kDisplay, scale), (Rect{0, 0, 650, 350}));
    }
}

TEST(TextScale, OneAndAHalfGrowsEveryRuleWithTheText) {
    const Size client{1000, 600};
    const auto all = PlaceControls(client, 1.5);
    // The button column: 85 * 1.5 rounds to 128 from the right, buttons keep their own size.
    EXPECT_EQ(Find(all, kIdGetFileList).x, 872);
    EXPECT_EQ(Find(all, kIdGetFileList).y, 8);
    EXPECT_EQ(Find(all, kIdLeaveBytesLabel).y, 342);
    EXPECT_EQ(Find(all, kIdInterrupt).y, 531);
    const auto list = Find(all, kIdFileList);
    EXPECT_EQ(list.x, 263);
    EXPECT_EQ(list.size, (Size{580, 525}));
    EXPECT_EQ(Find(all, kIdTree).size, (Size{255, 382}));
    const auto status = Find(all, kIdStatusBar);
    EXPECT_EQ(status.y, 562);
    EXPECT_EQ(status.size, (Size{1000, 38}));

    // Column 0 takes the rest; the rows and the scroll bar are the toolkit's pixels.
    EXPECT_EQ(ColumnWidths(client, {30, 19, 17}, 1.5),
              (std::array<std::int32_t, 5>{242, 105, 105, 105, 0}));
    EXPECT_EQ(ColumnWidths(client, {30, 18, 17}, 1.5)[0], 259);

    EXPECT_EQ(SnappedWindowRect(Rect{0, 0, 950, 500}, Size{944, 494}, 1.5), (Rect{0, 0, 945, 575}));
    EXPECT_EQ(SnappedWindowRect(Rect{0, 0, 950, 500}, Size{945, 495}, 1.5), (Rect{0, 0, 950, 500}));
    // A rectangle stored at the default scale is too small for the larger text.
    EXPECT_EQ(Restore(0, 0, 650, 350), (Rect{0, 0, 650, 350}));
    MemorySettingsStore user;
    user.Set("WndRight", Dword(650));
    user.Set("WndBottom", Dword(350));
    EXPECT_EQ(RestoredWindowRect(user, kDisplay, 1.5), (Rect{0, 0, 975, 525}));
}

}  // namespace
}  // namespace velmora
