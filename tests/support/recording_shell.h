// A desktop shell that opens nothing: it keeps what it was asked to open, with the file's
// bytes at that moment, and fails Open with a scripted reason.
#pragma once

#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/shell.h"

namespace velmora::test {

class RecordingShell : public Shell {
  public:
    struct Request {
        std::string verb;  // "open" or "openas"
        std::string path;
        std::string folder;
        std::string contents;
    };

    ShellResult Open(const std::string& target) override { return Record("open", target, ""); }
    ShellResult OpenWith(const std::string& path) override { return Record("openas", path, ""); }
    ShellResult OpenFile(const std::string& path, const std::string& folder) override {
        return Record("open", path, folder);
    }
    ShellResult OpenFileWith(const std::string& path, const std::string& folder) override {
        return Record("openas", path, folder);
    }
    std::optional<std::string> HtmlHandlerCommand() override { return std::nullopt; }
    ShellResult Run(const std::string&) override { return {}; }
    std::string TempFolder() override { return "/tmp/"; }

    std::vector<Request> Requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

    // Set: "open" fails with this reason.
    std::optional<std::string> openFailure;

  private:
    ShellResult Record(const std::string& verb, const std::string& path,
                       const std::string& folder) {
        std::ifstream in(path, std::ios::binary);
        std::string contents((std::istreambuf_iterator<char>(in)), {});
        std::lock_guard lock(m_mutex);
        m_requests.push_back({verb, path, folder, contents});
        if (verb == "open" && openFailure) return ShellResult::Failed(*openFailure);
        return {};
    }

    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
};

}  // namespace velmora::test
