// The desktop's text scale, which the windows' pixel layouts grow with: 1 for fonts at 96 dpi.
#pragma once

namespace velmora {

// GDK_DPI_SCALE and the desktop's Xft/DPI setting both end in the font resolution that text is
// laid out at; a GTK application is not told of X resources such as Xft.dpi.
double DesktopTextScale();

}  // namespace velmora
