// The main window's geometry as pure rules: restoring the stored rectangle, the minimum size,
// the pixel placement of every control and the list's column widths. The pixels are those of
// the default text scale; a larger desktop text scale (fonts at more than 96 dpi) grows every
// rule with the text, so that no text is cut.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/settings_store.h"

namespace velmora {

// Edges in screen or client pixels, right and bottom exclusive.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

inline constexpr std::int32_t kDefaultWindowWidth = 650;
inline constexpr std::int32_t kDefaultWindowHeight = 350;
inline constexpr std::int32_t kMinClientWidth = 630;
inline constexpr std::int32_t kMinClientHeight = 330;
inline constexpr std::int32_t kSnapWindowWidth = 630;
inline constexpr std::int32_t kSnapWindowHeight = 383;
inline constexpr std::int32_t kStatusBarHeight = 25;

// A layout pixel count at the desktop's text scale, rounded; a scale below 1 keeps the pixels.
std::int32_t ScaledPixels(std::int32_t pixels, double textScale);
inline Size ScaledSize(Size size, double textScale) {
    return Size{ScaledPixels(size.width, textScale), ScaledPixels(size.height, textScale)};
}

// The rectangle of the first layout after start from WndLeft..WndBottom; display is the
// maximized window's size. Nothing when the user key does not exist (the window stays put).
std::optional<Rect> RestoredWindowRect(const SettingsStore& user, Size display,
                                       double textScale = 1.0);

// The window rectangle after the minimum-size rule for a new client size.
Rect SnappedWindowRect(Rect window, Size client, double textScale = 1.0);

// Creates the key when missing and writes WndLeft, WndTop, WndRight, WndBottom in that order.
void StoreWindowRect(SettingsStore& user, const Rect& window);

struct ControlPlacement {
    int id = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    // Nothing where the control keeps its own size.
    std::optional<Size> size;
    friend bool operator==(const ControlPlacement&, const ControlPlacement&) = default;
};

// Where every control goes for a client area of W by H pixels. Sizes never go below 0.
std::vector<ControlPlacement> PlaceControls(Size client, double textScale = 1.0);

struct ListMetrics {
    std::int32_t firstRowHeight = 0;
    std::int32_t rowCount = 0;
    std::int32_t scrollBarWidth = 0;  // the system's vertical scroll bar
};

inline constexpr int kFileListColumnCount = 5;

enum class ColumnAlign { Left, Centre };

// The list's columns: the heading's string (0 for none), the alignment, the width the list is
// created with, and the width every layout gives it (column 0 takes the rest instead).
struct ColumnSpec {
    int headingString = 0;
    ColumnAlign align = ColumnAlign::Left;
    std::int32_t initialWidth = 0;
    std::int32_t layoutWidth = 0;
};
inline constexpr std::array<ColumnSpec, kFileListColumnCount> kFileListColumns{{
    {136, ColumnAlign::Left, 200, 0},
    {137, ColumnAlign::Left, 80, 70},
    {138, ColumnAlign::Left, 50, 70},
    {139, ColumnAlign::Centre, 50, 70},
    {0, ColumnAlign::Centre, 0, 0},
}};

// Columns 1-3 at 70, column 4 hidden, column 0 takes the rest, less a scroll bar when the rows
// would not fit.
std::array<std::int32_t, kFileListColumnCount> ColumnWidths(Size client, const ListMetrics& list,
                                                            double textScale = 1.0);

}  // namespace velmora
