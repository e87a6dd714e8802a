#include "transfer/temp_open_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

namespace velmora {

namespace {

// Names are six digits from a generator of 32768 values: a folder full of earlier copies
// can make many draws hit, but not this many in a row unless the folder is unusable.
constexpr int kNameDraws = 200;
constexpr std::string_view kTempPrefix = "VELMORA_TMP";
// A copy's folder holds the copy and what its program saved beside it: never deep.
constexpr int kCopyFolderDepth = 8;

enum class OpenPlace { Runtime, Cache, Temporary };

std::string WithSlash(std::string folder) {
    if (!folder.ends_with('/')) folder += '/';
    return folder;
}

bool MakeFolder(const std::string& folder, mode_t mode, int* error) {
    if (mkdir(folder.c_str(), mode) == 0 || errno == EEXIST) return true;
    if (errno != ENOENT) {
        *error = errno;
        return false;
    }
    const auto slash = folder.find_last_of('/', folder.size() - 2);
    if (slash == std::string::npos || slash == 0) {
        *error = ENOENT;
        return false;
    }
    // Parents are the user's ordinary folders (~/.cache): the usual mode.
    if (!MakeFolder(folder.substr(0, slash + 1), 0755, error)) return false;
    if (mkdir(folder.c_str(), mode) == 0 || errno == EEXIST) return true;
    *error = errno;
    return false;
}

std::pair<std::string, OpenPlace> ChooseOpenFolder(const UserFolders& folders) {
    const std::string program = kProgramFolderName;
    if (!folders.runtime.empty()) {
        return {WithSlash(folders.runtime) + program + "/", OpenPlace::Runtime};
    }
    if (!folders.cache.empty()) {
        return {WithSlash(folders.cache) + program + "/open/", OpenPlace::Cache};
    }
    std::string temporary = "/tmp/";
    temporary += program;
    temporary += "-";
    temporary += std::to_string(geteuid());
    temporary += '/';
    return {temporary, OpenPlace::Temporary};
}

// Removes the folder name in parent with all it holds; a link is removed, never followed.
void RemoveTree(int parent, const char* name, int depth) {
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        close(fd);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string_view item = entry->d_name;
        struct stat info {};
        if (item == "." || item == ".." ||
            fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (!S_ISDIR(info.st_mode)) {
            unlinkat(fd, entry->d_name, 0);
        } else if (depth > 0) {
            RemoveTree(fd, entry->d_name, depth - 1);
        }
    }
    closedir(dir);
    unlinkat(parent, name, AT_REMOVEDIR);
}

}  // namespace

std::string OpenFilesFolder(const UserFolders& folders) {
    return ChooseOpenFolder(folders).first;
}

bool OpenFilesFolderIsCache(const UserFolders& folders) {
    return ChooseOpenFolder(folders).second == OpenPlace::Cache;
}

bool EnsurePrivateFolder(const std::string& folder, int* error) {
    const std::string path = WithSlash(folder);
    if (!MakeFolder(path, 0700, error)) return false;
    struct stat info {};
    // The name without its slash: lstat must see a link as a link.
    const std::string name = path.substr(0, path.size() - 1);
    if (lstat(name.c_str(), &info) != 0) {
        *error = errno;
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        *error = ENOTDIR;
        return false;
    }
    if (info.st_uid != geteuid()) {
        *error = EACCES;
        return false;
    }
    if ((info.st_mode & 077) != 0 && chmod(name.c_str(), 0700) != 0) {
        *error = errno;
        return false;
    }
    return true;
}

std::string OpenSuffix(std::string_view phonePath) {
    const auto slash = phonePath.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? phonePath : phonePath.substr(slash + 1);
    const auto dot = name.find('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string TempBaseName(Clock& clock) {
    char name[24];
    std::snprintf(name, sizeof name, "VELMORA_TMP%.6d", clock.Rand());
    return name;
}

bool CreateOpenFile(const std::string& folder, std::string_view phonePath, Clock& clock,
                    LocalFile& file) {
    const std::string_view own = phonePath.substr(phonePath.rfind('/') + 1);
    const std::string suffix = OpenSuffix(phonePath);
    clock.Seed(static_cast<unsigned>(clock.NowSeconds()));
    for (int draw = 0; draw < kNameDraws; ++draw) {
        const std::string base = TempBaseName(clock);
        const std::string name = IsSafeLocalName(own)
                                     ? std::string(own)
                                     : base + (IsSafeLocalName(suffix) ? suffix : "");
        if (file.CreateInNewFolder(WithSlash(folder) + base, name)) return true;
        if (file.ErrorCode() != EEXIST) return false;
    }
    return false;
}

void RemoveOldOpenCopies(const std::string& openFolder, std::chrono::hours age) {
    std::string path = openFolder;
    while (path.size() > 1 && path.ends_with('/')) path.pop_back();
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        close(fd);
        return;
    }
    const std::time_t limit = std::time(nullptr) - std::chrono::seconds(age).count();
    while (const dirent* entry = readdir(dir)) {
        struct stat info {};
        if (!std::string_view(entry->d_name).starts_with(kTempPrefix) ||
            fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || info.st_mtime >= limit) {
            continue;
        }
        if (S_ISREG(info.st_mode)) {
            unlinkat(fd, entry->d_name, 0);
        } else if (S_ISDIR(info.st_mode)) {
            RemoveTree(fd, entry->d_name, kCopyFolderDepth);
        }
    }
    closedir(dir);
}

}  // namespace velmora
