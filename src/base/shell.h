// The desktop: opening documents and addresses with their default handlers, the temporary
// folder.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace velmora {

// What the desktop answered: success, or its own reason for the failure, already in the
// user's language.
struct ShellResult {
    bool ok = true;
    std::string error;

    static ShellResult Failed(std::string reason) { return {false, std::move(reason)}; }
};

class Shell {
  public:
    virtual ~Shell() = default;
    // Opens a file path or an address (http:, mailto:) with the desktop's default handler.
    virtual ShellResult Open(const std::string& target) = 0;
    // Lets the user choose the program that opens the file.
    virtual ShellResult OpenWith(const std::string& path) = 0;
    // The same for a local file, the program started in workingFolder.
    virtual ShellResult OpenFile(const std::string& path, const std::string& workingFolder) = 0;
    virtual ShellResult OpenFileWith(const std::string& path, const std::string& workingFolder) = 0;
    // The command line of the default handler for HTML pages ("%1" stands for the page), if any.
    virtual std::optional<std::string> HtmlHandlerCommand() = 0;
    // Starts a command line.
    virtual ShellResult Run(const std::string& commandLine) = 0;
    virtual std::string TempFolder() = 0;
};

}  // namespace velmora
