// The program's own pictures, drawn at run time (a wxApp must exist) as bitmap bundles that
// render at the screen's scale: the main icon, the status bar's connection and interface
// icons, the tree's root and the about box picture.
#pragma once

#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

#include <array>

namespace velmora {

// The sizes the window's icon comes in, those of the desktop's icon theme.
inline constexpr std::array<int, 8> kMainIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

// Icon 128: a phone with a folder, from the same drawing the desktop's icon is made of;
// 32 pixels at 1x.
wxBitmapBundle MainArtwork();
// Icon 128 at every size of kMainIconSizes, for the window's icons.
wxIconBundle MainIcons();
// Icons 134 and 135 (16 pixels at 1x): plug halves joined, and apart.
wxBitmapBundle ConnectedIcon();
wxBitmapBundle DisconnectedIcon();
// Icons 143 and 144 (16 pixels at 1x): the USB trident, a nine-pin serial connector.
wxBitmapBundle UsbIcon();
wxBitmapBundle Rs232Icon();
// Icon 129 (16 pixels at 1x): the tree's root "Volumes".
wxBitmapBundle RootIcon();
// Bitmap 3 (60 by 100 at 1x): the about box's picture, a phone showing a file list.
wxBitmapBundle AboutPicture();

}  // namespace velmora
