#include "base/user_folders.h"

#include <cstdlib>
#include <utility>

namespace velmora {
namespace {

UserFolders& Folders() {
    static UserFolders folders;
    return folders;
}

}  // namespace

void SetUserFolders(UserFolders folders) {
    Folders() = std::move(folders);
}

const UserFolders& TheUserFolders() {
    return Folders();
}

std::optional<std::string> ProcessEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

}  // namespace velmora
