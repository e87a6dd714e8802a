// File-type icons from the desktop's MIME database and icon theme (GIO and GTK), and the
// conversion of toolkit-free icons into wx images for the list's and the tree's image lists.
#pragma once

#include <wx/bitmap.h>
#include <wx/icon.h>

#include <map>
#include <string>
#include <utility>

#include "base/icon_image.h"

typedef struct _GdkPixbuf GdkPixbuf;

namespace velmora {

inline constexpr int kSmallIconSize = 16;
inline constexpr int kLargeIconSize = 32;

// The theme's icon for the content type guessed from the name "x." + type text, at exactly 16
// or 32 pixels. Every lookup of a type after the first is a copy of one shared handle: the
// reader asks twice per entry, and a theme lookup costs far more than a map search.
// GTK may only be used on its own thread, which is the window's: the source is asked there,
// workers reach it through the window's job channel.
class DesktopIconSource : public IconSource {
  public:
    // Resolves the fallback icons at once.
    DesktopIconSource();

    // Empty types, types with "/" or not in UTF-8, and types the MIME database does not know
    // get the fallback icon; so does a call from another thread.
    IconHandle FileTypeIcon(const std::string& typeText, bool large) override;
    IconHandle FallbackIcon(bool large) const { return large ? m_largeFallback : m_smallFallback; }

    // How many theme lookups have been made (each one was a cache miss).
    int LookupCount() const { return m_lookups; }

  private:
    using Key = std::pair<std::string, bool>;  // lower-cased type text, large

    IconHandle m_largeFallback;
    IconHandle m_smallFallback;
    std::map<Key, IconHandle> m_cache;
    int m_lookups = 0;
};

// The pixbuf's pixels (8-bit RGB, with or without alpha, any row stride) as an exactly
// size x size RGBA image: scaled down to fit when larger, centred on transparency when not
// square. Empty when the pixbuf is of another format.
IconImage PixbufToIconImage(GdkPixbuf* pixbuf, int size, std::string name);

// The last-resort fallback, drawn in code: a blank page with a folded corner.
IconImage DrawnFileIcon(int size);

// An invalid bitmap when the image's size and pixel count disagree. On the window's thread.
wxBitmap ToBitmap(const IconImage& icon);
wxBitmap ToBitmap(const IconHandle& icon);
wxIcon ToIcon(const IconImage& icon);

}  // namespace velmora
