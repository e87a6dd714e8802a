#include "ui/window_layout.h"

#include <algorithm>

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

std::optional<Rect> RestoredWindowRect(const SettingsStore& user, Size display) {
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
    const auto defaultRight = S(U(r.left) + kDefaultWindowWidth);
    const auto defaultBottom = S(U(r.top) + kDefaultWindowHeight);
    if (!right0) {
        r.right = defaultRight;
    } else {
        const std::uint32_t width = U(*right0) - U(r.left);
        r.right = width < U(kDefaultWindowWidth) || width > cxm ? defaultRight : *right0;
    }
    if (!bottom0) {
        r.bottom = defaultBottom;
    } else {
        const std::uint32_t height = U(*bottom0) - U(r.top);
        r.bottom = height < U(kDefaultWindowHeight) || height > cym ? defaultBottom : *bottom0;
    }

    if (r.left > r.right || r.left < 0) r.left = 0;
    if (r.top > r.bottom || r.top < 0) r.top = 0;
    return r;
}

Rect SnappedWindowRect(Rect window, Size client) {
    if (client.width > 0 && client.width < kMinClientWidth) {
        window.right = window.left + kSnapWindowWidth;
    }
    if (client.height > 0 && client.height < kMinClientHeight) {
        window.bottom = window.top + kSnapWindowHeight;
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

std::vector<ControlPlacement> PlaceControls(Size client) {
    const std::int32_t w = client.width;
    const std::int32_t h = client.height;
    auto sized = [](int id, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy) {
        return ControlPlacement{id, x, y, Size{std::max(cx, 0), std::max(cy, 0)}};
    };
    auto kept = [](int id, std::int32_t x, std::int32_t y) {
        return ControlPlacement{id, x, y, std::nullopt};
    };
    return {
        sized(kIdDeviceList, 1, 1, 170, 20),
        sized(kIdUploadPath, 1, 25, 170, 20),
        sized(kIdTree, 1, 45, 170, h - 145),
        sized(kIdSearchMask, 1, h - 98, 170, 20),
        kept(kIdSearch, 3, h - 74),
        sized(kIdFileList, 175, 1, w - 280, h - 50),
        sized(kIdProgress, 1, h - 45, w - 105, 15),
        sized(kIdFileProgress, w - 102, 1, 15, h - 50),
        kept(kIdGetFileList, w - 85, 5),
        kept(kIdDownload, w - 85, 35),
        kept(kIdUpload, w - 85, 65),
        kept(kIdRestart, w - 85, 99),
        kept(kIdSuspend, w - 85, 121),
        kept(kIdDelete, w - 85, 155),
        kept(kIdFillSpace, w - 85, 183),
        kept(kIdLeaveBytes, w - 85, 205),
        kept(kIdLeaveBytesLabel, w - 85, 228),
        kept(kIdInterrupt, w - 85, h - 46),
        sized(kIdStatusBar, 0, h - kStatusBarHeight, w, kStatusBarHeight),
    };
}

std::array<std::int32_t, kFileListColumnCount> ColumnWidths(Size client, const ListMetrics& list) {
    std::array<std::int32_t, kFileListColumnCount> widths{};
    for (int i = 0; i < kFileListColumnCount; ++i) widths[i] = kFileListColumns[i].layoutWidth;
    // 64-bit: a tall row times many rows must not overflow into "fits".
    const std::int64_t rowsHeight =
        static_cast<std::int64_t>(list.firstRowHeight) * list.rowCount + 24;
    const std::int32_t scroll = rowsHeight > client.height - 2 ? list.scrollBarWidth : 0;
    widths[0] = std::max(client.width - 284 - (widths[1] + widths[2] + widths[3]) - scroll, 0);
    return widths;
}

}  // namespace velmora
