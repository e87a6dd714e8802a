#include "ui/window_layout.h"

#include <algorithm>
#include <cmath>

#include "ui/main_window_ids.h"

namespace velmora {
namespace {

constexpr const char* kWndLeft = "WndLeft";
constexpr const char* kWndTop = "WndTop";
constexpr const char* kWndRight = "WndRight";
constexpr const char* kWndBottom = "WndBottom";

// The window's edges were always compared as unsigned numbers: that is what sends a minimized
// window's -32000 back to 0.
std::uint32_t U(std::int32_t v) {
    return static_cast<std::uint32_t>(v);
}
std::int32_t S(std::uint32_t v) {
    return static_cast<std::int32_t>(v);
}

std::optional<std::int32_t> ReadEdge(const SettingsStore& user, const char* name) {
    auto v = user.ReadDword(name);
    if (!v) return std::nullopt;
    return S(*v);
}

}  // namespace

std::int32_t ScaledPixels(std::int32_t pixels, double textScale) {
    if (!(textScale > 1.0)) return pixels;  // also a NaN from a toolkit that knows no scale
    return static_cast<std::int32_t>(std::lround(pixels * textScale));
}

std::optional<Rect> RestoredWindowRect(const SettingsStore& user, Size display, double textScale) {
    if (!user.KeyExists()) return std::nullopt;
    const auto left0 = ReadEdge(user, kWndLeft);
    const auto top0 = ReadEdge(user, kWndTop);
    const auto right0 = ReadEdge(user, kWndRight);
    const auto bottom0 = ReadEdge(user, kWndBottom);
    const std::uint32_t cxm = U(display.width);
    const std::uint32_t cym = U(display.height);

    Rect r;
    r.left = left0 && U(*left0) <= cxm - 40 ? *left0 : 0;
    r.top = top0 && U(*top0) <= cym - 40 ? *top0 : 0;

    // Differences wrap as unsigned, so a right edge left of the left edge counts as too wide.
    const std::int32_t defaultWidth = ScaledPixels(kDefaultWindowWidth, textScale);
    const std::int32_t defaultHeight = ScaledPixels(kDefaultWindowHeight, textScale);
    const auto defaultRight = S(U(r.left) + U(defaultWidth));
    const auto defaultBottom = S(U(r.top) + U(defaultHeight));
    if (!right0) {
        r.right = defaultRight;
    } else {
        const std::uint32_t width = U(*right0) - U(r.left);
        r.right = width < U(defaultWidth) || width > cxm ? defaultRight : *right0;
    }
    if (!bottom0) {
        r.bottom = defaultBottom;
    } else {
        const std::uint32_t height = U(*bottom0) - U(r.top);
        r.bottom = height < U(defaultHeight) || height > cym ? defaultBottom : *bottom0;
    }

    if (r.left > r.right || r.left < 0) r.left = 0;
    if (r.top > r.bottom || r.top < 0) r.top = 0;
    return r;
}

Rect SnappedWindowRect(Rect window, Size client, double textScale) {
    if (client.width > 0 && client.width < ScaledPixels(kMinClientWidth, textScale)) {
        window.right = window.left + ScaledPixels(kSnapWindowWidth, textScale);
    }
    if (client.height > 0 && client.height < ScaledPixels(kMinClientHeight, textScale)) {
        window.bottom = window.top + ScaledPixels(kSnapWindowHeight, textScale);
    }
    return window;
}

void StoreWindowRect(SettingsStore& user, const Rect& window) {
    if (!user.KeyExists() && !user.CreateKey()) return;
    user.Write(kWndLeft, U(window.left));
    user.Write(kWndTop, U(window.top));
    user.Write(kWndRight, U(window.right));
    user.Write(kWndBottom, U(window.bottom));
}

std::vector<ControlPlacement> PlaceControls(Size client, double textScale) {
    const std::int32_t w = client.width;
    const std::int32_t h = client.height;
    // Every constant of the rules below is a layout pixel count; the client size is not.
    auto px = [textScale](std::int32_t pixels) { return ScaledPixels(pixels, textScale); };
    auto sized = [](int id, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy) {
        return ControlPlacement{id, x, y, Size{std::max(cx, 0), std::max(cy, 0)}};
    };
    auto kept = [](int id, std::int32_t x, std::int32_t y) {
        return ControlPlacement{id, x, y, std::nullopt};
    };
    const std::int32_t column = w - px(85);  // the buttons' column
    return {
        sized(kIdDeviceList, px(1), px(1), px(170), px(20)),
        sized(kIdUploadPath, px(1), px(25), px(170), px(20)),
        sized(kIdTree, px(1), px(45), px(170), h - px(145)),
        sized(kIdSearchMask, px(1), h - px(98), px(170), px(20)),
        kept(kIdSearch, px(3), h - px(74)),
        sized(kIdFileList, px(175), px(1), w - px(280), h - px(50)),
        sized(kIdProgress, px(1), h - px(45), w - px(105), px(15)),
        sized(kIdFileProgress, w - px(102), px(1), px(15), h - px(50)),
        kept(kIdGetFileList, column, px(5)),
        kept(kIdDownload, column, px(35)),
        kept(kIdUpload, column, px(65)),
        kept(kIdRestart, column, px(99)),
        kept(kIdSuspend, column, px(121)),
        kept(kIdDelete, column, px(155)),
        kept(kIdFillSpace, column, px(183)),
        kept(kIdLeaveBytes, column, px(205)),
        kept(kIdLeaveBytesLabel, column, px(228)),
        kept(kIdInterrupt, column, h - px(46)),
        sized(kIdStatusBar, 0, h - px(kStatusBarHeight), w, px(kStatusBarHeight)),
    };
}

std::array<std::int32_t, kFileListColumnCount> ColumnWidths(Size client, const ListMetrics& list,
                                                            double textScale) {
    auto px = [textScale](std::int32_t pixels) { return ScaledPixels(pixels, textScale); };
    std::array<std::int32_t, kFileListColumnCount> widths{};
    for (int i = 0; i < kFileListColumnCount; ++i) widths[i] = px(kFileListColumns[i].layoutWidth);
    // 64-bit: a tall row times many rows must not overflow into "fits". The row height and
    // the scroll bar are the toolkit's own pixels already.
    const std::int64_t rowsHeight =
        static_cast<std::int64_t>(list.firstRowHeight) * list.rowCount + px(24);
    const std::int32_t scroll = rowsHeight > client.height - px(2) ? list.scrollBarWidth : 0;
    widths[0] = std::max(client.width - px(284) - (widths[1] + widths[2] + widths[3]) - scroll, 0);
    return widths;
}

}  // namespace velmora
