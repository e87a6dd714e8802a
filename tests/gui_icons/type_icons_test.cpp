#include "gui/type_icons.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <wx/image.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace velmora {
namespace {

bool AnyVisible(const IconImage& icon) {
    for (std::size_t i = 3; i < icon.rgba.size(); i += 4) {
        if (icon.rgba[i] != 0) return true;
    }
    return false;
}

class TypeIconsTest : public ::testing::Test {
  protected:
    DesktopIconSource m_icons;
};

TEST_F(TypeIconsTest, EveryIconIsExactlySixteenOrThirtyTwoPixels) {
    for (const char* type : {"jpg", "mid", "mp3", "txt", "jar", "png", "", "zzqq", "dir/readme"}) {
        for (const bool large : {false, true}) {
            SCOPED_TRACE(std::string(type) + (large ? " large" : " small"));
            const IconHandle icon = m_icons.FileTypeIcon(type, large);
            ASSERT_TRUE(icon);
            const int size = large ? 32 : 16;
            EXPECT_EQ(icon->width, size);
            EXPECT_EQ(icon->height, size);
            EXPECT_EQ(icon->rgba.size(), static_cast<std::size_t>(size * size * 4));
            EXPECT_TRUE(AnyVisible(*icon));
        }
    }
}

TEST_F(TypeIconsTest, KnownTypesGetTheirKindOfThemeIcon) {
    const struct {
        const char* type;
        std::vector<std::string> kinds;
    } cases[] = {{"jpg", {"image"}},
                 {"mid", {"audio"}},
                 {"mp3", {"audio"}},
                 {"txt", {"text"}},
                 {"jar", {"java", "archive", "package", "executable"}}};
    for (const auto& c : cases) {
        for (const bool large : {false, true}) {
            const IconHandle icon = m_icons.FileTypeIcon(c.type, large);
            EXPECT_NE(icon, m_icons.FallbackIcon(large)) << c.type;
            EXPECT_TRUE(std::any_of(
                c.kinds.begin(), c.kinds.end(),
                [&](const std::string& k) { return icon->name.find(k) != std::string::npos; }))
                << c.type << " got " << icon->name;
        }
    }
}

// Unknown extensions get the fallback too rather than the theme's generic icon, so there is
// exactly one icon for "no type known".
TEST_F(TypeIconsTest, UnusableAndUnknownTypesGetTheOneFallback) {
    EXPECT_NE(m_icons.FallbackIcon(true)->name, "drawn-file") << "the theme has a fallback";
    EXPECT_NE(m_icons.FallbackIcon(true), m_icons.FallbackIcon(false));
    const std::string types[] = {"", "dir/readme", "zzqq", "\xff\xfe", std::string("jp\0g", 4)};
    for (const std::string& type : types) {
        for (const bool large : {false, true}) {
            EXPECT_EQ(m_icons.FileTypeIcon(type, large), m_icons.FallbackIcon(large));
        }
    }
    EXPECT_EQ(m_icons.LookupCount(), 2) << "only zzqq is a name the theme is asked about";
}

TEST_F(TypeIconsTest, EachTypeAndSizeIsLookedUpOnceWhateverItsCase) {
    const IconHandle first = m_icons.FileTypeIcon("jpg", true);
    for (const char* type : {"jpg", "JPG", "Jpg"}) {
        ASSERT_EQ(m_icons.FileTypeIcon(type, true).get(), first.get()) << type;
        ASSERT_EQ(m_icons.FileTypeIcon("zzqq", false), m_icons.FallbackIcon(false));
    }
    EXPECT_NE(m_icons.FileTypeIcon("jpg", false), first);
    EXPECT_EQ(m_icons.LookupCount(), 3);
}

// GTK is the window's thread's only: a worker's call gets the fallback and looks nothing up,
// whether or not the window's thread has the type cached.
TEST_F(TypeIconsTest, OffTheWindowsThreadEveryTypeGetsTheFallback) {
    const IconHandle text = m_icons.FileTypeIcon("txt", true);
    IconHandle cached;
    IconHandle missed;
    std::thread worker([&] {
        cached = m_icons.FileTypeIcon("txt", true);
        missed = m_icons.FileTypeIcon("gif", false);
    });
    worker.join();
    EXPECT_EQ(cached, m_icons.FallbackIcon(true));
    EXPECT_EQ(missed, m_icons.FallbackIcon(false));
    EXPECT_EQ(m_icons.LookupCount(), 1);
    EXPECT_EQ(m_icons.FileTypeIcon("txt", true), text);
}

// Pixel (x, y) of the test pixbufs is (x, y, 7) with alpha x + y.
GdkPixbuf* PatternPixbuf(int width, int height, bool alpha, int padding,
                         std::vector<guint8>& storage) {
    const int channels = alpha ? 4 : 3;
    const int stride = width * channels + padding;
    storage.assign(static_cast<std::size_t>(stride) * height, 0xEE);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            guint8* p = &storage[static_cast<std::size_t>(y) * stride + x * channels];
            p[0] = static_cast<guint8>(x);
            p[1] = static_cast<guint8>(y);
            p[2] = 7;
            if (alpha) p[3] = static_cast<guint8>(x + y);
        }
    }
    return gdk_pixbuf_new_from_data(storage.data(), GDK_COLORSPACE_RGB, alpha, 8, width, height,
                                    stride, nullptr, nullptr);
}

const std::uint8_t* PixelAt(const IconImage& icon, int x, int y) {
    return &icon.rgba[(static_cast<std::size_t>(y) * icon.width + x) * 4];
}

TEST(PixbufToIconImage, CopiesAnyLayoutAndFitsOtherSizesIntoTheSquare) {
    std::vector<guint8> storage;
    for (const bool alpha : {false, true}) {
        GdkPixbuf* pixbuf = PatternPixbuf(16, 16, alpha, 5, storage);
        const IconImage icon = PixbufToIconImage(pixbuf, 16, "pattern");
        g_object_unref(pixbuf);
        ASSERT_EQ(icon.rgba.size(), 16u * 16u * 4u);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const std::uint8_t* p = PixelAt(icon, x, y);
                ASSERT_EQ(p[0] + p[1] * 256 + p[2] * 65536, x + y * 256 + 7 * 65536);
                ASSERT_EQ(p[3], alpha ? x + y : 255);
            }
        }
    }
    GdkPixbuf* wide = PatternPixbuf(32, 16, false, 0, storage);
    const IconImage fitted = PixbufToIconImage(wide, 16, "wide");
    g_object_unref(wide);
    ASSERT_EQ(fitted.rgba.size(), 16u * 16u * 4u);
    EXPECT_EQ(PixelAt(fitted, 8, 0)[3], 0) << "rows above the 16x8 picture stay transparent";
    EXPECT_EQ(PixelAt(fitted, 8, 8)[3], 255);
    EXPECT_EQ(PixelAt(fitted, 8, 15)[3], 0);
    GdkPixbuf* small = PatternPixbuf(8, 8, true, 3, storage);
    EXPECT_EQ(PixbufToIconImage(small, 32, "small").rgba.size(), 32u * 32u * 4u);
    g_object_unref(small);
}

TEST(ToBitmap, KeepsSizeAndTransparencyAndRefusesMalformedImages) {
    for (const int size : {16, 32}) {
        const IconImage drawn = DrawnFileIcon(size);
        const wxBitmap bitmap = ToBitmap(drawn);
        ASSERT_TRUE(bitmap.IsOk());
        EXPECT_EQ(bitmap.GetWidth(), size);
        EXPECT_EQ(bitmap.GetHeight(), size);
        const wxImage image = bitmap.ConvertToImage();
        ASSERT_TRUE(image.HasAlpha());
        EXPECT_EQ(image.GetAlpha(0, 0), 0);
        EXPECT_EQ(image.GetAlpha(size / 2, size / 2), 255);
        EXPECT_TRUE(ToIcon(drawn).IsOk());
    }
    IconImage broken = DrawnFileIcon(16);
    broken.rgba.pop_back();
    EXPECT_FALSE(ToBitmap(broken).IsOk());
    EXPECT_FALSE(ToBitmap(IconHandle()).IsOk());
}

}  // namespace
}  // namespace velmora
