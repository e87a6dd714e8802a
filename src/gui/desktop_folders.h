// The user's folders as the desktop defines them, read through GLib.
#pragma once

#include "base/user_folders.h"

namespace velmora {

// Reads the XDG base folders once. GLib keeps the first answer for the life of the process, so
// call it at start-up, after the environment is final.
UserFolders DesktopUserFolders();

}  // namespace velmora
