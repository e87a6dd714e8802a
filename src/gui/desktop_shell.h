// The Shell port on the GNOME desktop stack: GIO's default handlers, GTK's application
// chooser, GLib's process spawning and temporary folder.
#pragma once

#include <optional>
#include <string>

#include "base/shell.h"

namespace velmora {

class DesktopShell : public Shell {
  public:
    // The application chooser is a dialog of the window's thread; asked for from another
    // thread (workers reach the shell through the window's job channel) it opens nothing.
    DesktopShell() = default;

    // File paths become file URIs; addresses (http:, mailto:, file:) are passed as they are.
    ShellResult Open(const std::string& target) override;
    // Shows the chooser for the file's content type and launches the choice. A cancelled
    // chooser opened nothing and fails with GLib's "cancelled" text.
    ShellResult OpenWith(const std::string& path) override;
    // The default program for the file's content type (GIO), started in workingFolder.
    ShellResult OpenFile(const std::string& path, const std::string& workingFolder) override;
    // The application chooser as OpenWith, its choice started in workingFolder.
    ShellResult OpenFileWith(const std::string& path, const std::string& workingFolder) override;
    // The text/html handler's command line with its page argument written "%1".
    std::optional<std::string> HtmlHandlerCommand() override;
    ShellResult Run(const std::string& commandLine) override;
    // Ends with "/".
    std::string TempFolder() override;

  private:
    ShellResult OpenWithOnUiThread(const std::string& path, const std::string& workingFolder);
};

// A desktop entry's Exec line with its file or URL field code turned into "%1" and the other
// field codes removed.
std::string DesktopCommandWithPlaceholder(const std::string& exec);

}  // namespace velmora
