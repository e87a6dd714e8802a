#include "ui/help.h"

namespace velmora {

void ShowHelp(Shell& shell, const std::string& programFolder) {
    // The folder of the executable, never the current directory: the program may be started
    // from anywhere.
    shell.Open(programFolder + kHelpFileName);
}

}  // namespace velmora
