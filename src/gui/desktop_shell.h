// The Shell port on the GNOME desktop stack: GIO's default handlers, GTK's application
// chooser, GLib's process spawning and temporary folder.
#pragma once

#include <optional>
#include <string>

#include "base/shell.h"
#include "base/ui_thread.h"

namespace velmora {

class DesktopShell : public Shell {
  public:
    // uiThread carries the application chooser over to the window's thread when a worker
    // asks for it; without one a worker's OpenWith opens nothing.
    explicit DesktopShell(UiThread* uiThread = nullptr) : m_uiThread(uiThread) {}

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

    UiThread* m_uiThread;
};

// A desktop entry's Exec line with its file or URL field code turned into "%1" and the other
// field codes removed.
std::string DesktopCommandWithPlaceholder(const std::string& exec);

}  // namespace velmora
