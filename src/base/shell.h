// The desktop: opening documents and addresses with their default handlers, the temporary
// folder. Results follow the old shell convention the window expects: above 32 is success,
// 32 or less an error code (2 file not found, 3 path not found, 5 access denied, 31 no
// application associated, 0 out of resources).
#pragma once

#include <optional>
#include <string>

namespace velmora {

inline constexpr int kShellOk = 33;
inline constexpr int kShellFileNotFound = 2;
inline constexpr int kShellPathNotFound = 3;
inline constexpr int kShellAccessDenied = 5;
inline constexpr int kShellNoAssociation = 31;

class Shell {
  public:
    virtual ~Shell() = default;
    // Opens a file path or an address (http:, mailto:) with the desktop's default handler.
    virtual int Open(const std::string& target) = 0;
    // Lets the user choose the program that opens the file.
    virtual int OpenWith(const std::string& path) = 0;
    // The same for a local file, the program started in workingFolder.
    virtual int OpenFile(const std::string& path, const std::string& workingFolder) = 0;
    virtual int OpenFileWith(const std::string& path, const std::string& workingFolder) = 0;
    // The command line of the default handler for HTML pages ("%1" stands for the page), if any.
    virtual std::optional<std::string> HtmlHandlerCommand() = 0;
    // Starts a command line; the same result convention.
    virtual int Run(const std::string& commandLine) = 0;
    virtual std::string TempFolder() = 0;
};

}  // namespace velmora
