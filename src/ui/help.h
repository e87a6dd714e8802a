// The help file: a compiled help file beside the executable, shown by the desktop's viewer.
#pragma once

#include <string>

#include "base/shell.h"

namespace velmora {

inline constexpr char kHelpFileName[] = "Help_Velmora.chm";

// Opens programFolder (ending in "/") + the help file at its default topic. A missing file
// or viewer is not reported: the desktop shows what it shows.
void ShowHelp(Shell& shell, const std::string& programFolder);

}  // namespace velmora
