// A toolkit-free icon: pixels the window's toolkit turns into its own images. Entries hold
// their own handle (a shared pointer), so one lookup per type serves every entry of it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora {

struct IconImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4 bytes, row by row
    std::string name;                // the theme name it came from, for tests and tooltips
};

using IconHandle = std::shared_ptr<const IconImage>;

// Looks up the icons of a file type (the text after the last "." of a name).
class IconSource {
  public:
    virtual ~IconSource() = default;
    // A 32x32 icon when large, else 16x16; never null: unknown types get the fallback icon.
    // The window's thread's: workers ask through the window's job channel.
    virtual IconHandle FileTypeIcon(const std::string& typeText, bool large) = 0;
};

}  // namespace velmora
