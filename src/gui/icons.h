// The program's own pictures, drawn at run time (a wxApp must exist): the main icon, the
// status bar's connection and interface icons, the tree's root and the about box picture.
#pragma once

#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/iconbndl.h>

namespace velmora {

// Icon 128: a phone with a folder; size 32 or 16.
wxIcon MainIcon(int size = 32);
// Icon 128 at both sizes, for the window's large and small icon.
wxIconBundle MainIcons();
// Icons 134 and 135 (16 pixels): plug halves joined, and apart.
wxBitmap ConnectedIcon();
wxBitmap DisconnectedIcon();
// Icons 143 and 144 (16 pixels): the USB trident, a nine-pin serial connector.
wxBitmap UsbIcon();
wxBitmap Rs232Icon();
// Icon 129 (16 pixels): the tree's root "Volumes".
wxBitmap RootIcon();
// Bitmap 3: the about box's picture, a phone showing a file list.
wxBitmap AboutPicture();

}  // namespace velmora
