#include "gui/text_scale.h"

#include <gtk/gtk.h>

namespace velmora {

double DesktopTextScale() {
    // The settings object sets the screen's resolution when it is first made.
    gtk_settings_get_default();
    GdkScreen* screen = gdk_screen_get_default();
    const double dpi = screen ? gdk_screen_get_resolution(screen) : -1.0;
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

}  // namespace velmora
