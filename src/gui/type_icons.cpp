#include "gui/type_icons.h"

#include <gio/gio.h>
#include <gtk/gtk.h>
#include <wx/image.h>
#include <wx/thread.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>

namespace velmora {
namespace {

// Tried in this order; Adwaita has only the second, other themes the first or the third.
const char* const kFallbackNames[] = {"application-octet-stream", "application-x-generic",
                                      "text-x-generic", nullptr};

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};

// Phone type texts are 8-bit text of any encoding; GIO's glob matching expects UTF-8 and a
// name without folders.
bool IsLookupType(const std::string& typeText) {
    return !typeText.empty() && typeText.find('/') == std::string::npos &&
           g_utf8_validate(typeText.data(), static_cast<gssize>(typeText.size()), nullptr);
}

// ASCII only: the rest of the text may not be UTF-8 and MIME globs are ASCII anyway.
std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The icon's theme name from its file: ".../16x16/mimetypes/image-x-generic.png".
std::string IconNameOf(GtkIconInfo* info) {
    const gchar* file = gtk_icon_info_get_filename(info);
    if (!file) return {};
    std::string name = file;
    const auto slash = name.rfind('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    for (const char* suffix : {".png", ".svg", ".xpm", ".symbolic"}) {
        const std::string s = suffix;
        if (name.size() > s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0) {
            name.erase(name.size() - s.size());
        }
    }
    return name;
}

// Empty when GTK has no screen (not initialised) or the theme has none of the icon's names.
IconImage LoadThemeIcon(GIcon* icon, int size) {
    if (!icon || !gdk_screen_get_default()) return {};
    GtkIconTheme* theme = gtk_icon_theme_get_default();
    if (!theme) return {};
    GObjectPtr<GtkIconInfo> info(
        gtk_icon_theme_lookup_by_gicon(theme, icon, size, GTK_ICON_LOOKUP_FORCE_SIZE));
    if (!info) return {};
    GError* error = nullptr;
    GObjectPtr<GdkPixbuf> pixbuf(gtk_icon_info_load_icon(info.get(), &error));
    g_clear_error(&error);
    if (!pixbuf) return {};
    return PixbufToIconImage(pixbuf.get(), size, IconNameOf(info.get()));
}

IconImage LoadTypeIcon(const std::string& lowerType, int size) {
    const std::string name = "x." + lowerType;
    gboolean uncertain = FALSE;
    std::unique_ptr<gchar, GFree> contentType(
        g_content_type_guess(name.c_str(), nullptr, 0, &uncertain));
    // An unknown extension guesses application/octet-stream: that is what the fallback is for.
    if (!contentType || g_content_type_is_unknown(contentType.get())) return {};
    GObjectPtr<GIcon> icon(g_content_type_get_icon(contentType.get()));
    return LoadThemeIcon(icon.get(), size);
}

IconImage LoadFallbackIcon(int size) {
    GObjectPtr<GIcon> icon(g_themed_icon_new_from_names(const_cast<char**>(kFallbackNames), -1));
    IconImage image = LoadThemeIcon(icon.get(), size);
    return image.rgba.empty() ? DrawnFileIcon(size) : image;
}

IconHandle Share(IconImage image) {
    return std::make_shared<const IconImage>(std::move(image));
}

}  // namespace

DesktopIconSource::DesktopIconSource() {
    const bool themed = wxIsMainThread();
    m_largeFallback =
        Share(themed ? LoadFallbackIcon(kLargeIconSize) : DrawnFileIcon(kLargeIconSize));
    m_smallFallback =
        Share(themed ? LoadFallbackIcon(kSmallIconSize) : DrawnFileIcon(kSmallIconSize));
}

IconHandle DesktopIconSource::FileTypeIcon(const std::string& typeText, bool large) {
    // GTK is the window's thread's only; a call from elsewhere gets no lookup.
    if (!IsLookupType(typeText) || !wxIsMainThread()) return FallbackIcon(large);
    const Key key{LowerAscii(typeText), large};
    if (const auto hit = m_cache.find(key); hit != m_cache.end()) return hit->second;
    ++m_lookups;
    IconImage image = LoadTypeIcon(key.first, large ? kLargeIconSize : kSmallIconSize);
    IconHandle handle = image.rgba.empty() ? FallbackIcon(large) : Share(std::move(image));
    m_cache.emplace(key, handle);
    return handle;
}

IconImage PixbufToIconImage(GdkPixbuf* pixbuf, int size, std::string name) {
    if (!pixbuf || size <= 0 || gdk_pixbuf_get_colorspace(pixbuf) != GDK_COLORSPACE_RGB ||
        gdk_pixbuf_get_bits_per_sample(pixbuf) != 8) {
        return {};
    }
    int width = gdk_pixbuf_get_width(pixbuf);
    int height = gdk_pixbuf_get_height(pixbuf);
    if (width <= 0 || height <= 0) return {};

    GObjectPtr<GdkPixbuf> scaled;
    if (std::max(width, height) != size) {
        const double scale =
            std::min(static_cast<double>(size) / width, static_cast<double>(size) / height);
        width = std::clamp(static_cast<int>(std::lround(width * scale)), 1, size);
        height = std::clamp(static_cast<int>(std::lround(height * scale)), 1, size);
        scaled.reset(gdk_pixbuf_scale_simple(pixbuf, width, height, GDK_INTERP_BILINEAR));
        if (!scaled) return {};
        pixbuf = scaled.get();
    }

    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    if (channels != (alpha ? 4 : 3)) return {};
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guint8* pixels = gdk_pixbuf_read_pixels(pixbuf);

    IconImage image;
    image.width = size;
    image.height = size;
    image.rgba.assign(static_cast<std::size_t>(size) * size * 4, 0);
    image.name = std::move(name);
    const int left = (size - width) / 2;
    const int top = (size - height) / 2;
    for (int y = 0; y < height; ++y) {
        // Only width * channels bytes of a row are valid: the last row may lack the padding.
        const guint8* from = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        std::uint8_t* to = &image.rgba[(static_cast<std::size_t>(top + y) * size + left) * 4];
        for (int x = 0; x < width; ++x, from += channels, to += 4) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
            to[3] = alpha ? from[3] : 255;
        }
    }
    return image;
}

IconImage DrawnFileIcon(int size) {
    IconImage image;
    image.width = size;
    image.height = size;
    image.rgba.assign(static_cast<std::size_t>(size) * size * 4, 0);
    image.name = "drawn-file";
    const int left = size / 8;
    const int right = size - 1 - size / 8;
    const int top = size / 16;
    const int bottom = size - 1 - size / 16;
    const int fold = std::max(2, size / 4);
    const int foldLeft = right - fold;
    auto put = [&](int x, int y, std::uint8_t grey) {
        std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(y) * size + x) * 4];
        p[0] = p[1] = p[2] = grey;
        p[3] = 255;
    };
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const bool inCorner = x > foldLeft && y < top + fold;
            const int overDiagonal = (x - foldLeft) - (y - top);
            if (inCorner && overDiagonal > 0) continue;  // cut away by the fold
            const bool edge = x == left || x == right || y == top || y == bottom ||
                              (inCorner && overDiagonal == 0) ||
                              (x == foldLeft && y < top + fold) ||
                              (y == top + fold && x > foldLeft);
            put(x, y, edge ? 96 : (inCorner ? 208 : 255));
        }
    }
    return image;
}

wxBitmap ToBitmap(const IconImage& icon) {
    if (icon.width <= 0 || icon.height <= 0 ||
        icon.rgba.size() != static_cast<std::size_t>(icon.width) * icon.height * 4) {
        return wxBitmap();
    }
    wxImage image(icon.width, icon.height, false);
    image.InitAlpha();
    unsigned char* rgb = image.GetData();
    unsigned char* alpha = image.GetAlpha();
    const std::size_t pixels = static_cast<std::size_t>(icon.width) * icon.height;
    for (std::size_t i = 0; i < pixels; ++i) {
        rgb[i * 3] = icon.rgba[i * 4];
        rgb[i * 3 + 1] = icon.rgba[i * 4 + 1];
        rgb[i * 3 + 2] = icon.rgba[i * 4 + 2];
        alpha[i] = icon.rgba[i * 4 + 3];
    }
    return wxBitmap(image, 32);
}

wxBitmap ToBitmap(const IconHandle& icon) {
    return icon ? ToBitmap(*icon) : wxBitmap();
}

wxIcon ToIcon(const IconImage& icon) {
    wxIcon result;
    const wxBitmap bitmap = ToBitmap(icon);
    if (bitmap.IsOk()) result.CopyFromBitmap(bitmap);
    return result;
}

}  // namespace velmora
