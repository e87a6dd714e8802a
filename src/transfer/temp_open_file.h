// Where a phone file goes to be opened by a desktop program: a folder of this program's own
// (mode 0700, under the user's runtime or cache folder) and in it a fresh private folder per
// open, named from the clock-seeded generator and never one that exists (another program may
// have an earlier copy open), holding the copy under the phone file's own name, which is the
// name the program shows.
#pragma once

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "base/user_folders.h"
#include "transfer/local_file.h"

namespace velmora {

// The folder for opened files: velmora in the session's runtime folder, else velmora/open in
// the cache, else /tmp/velmora-<uid>. Ends with "/".
std::string OpenFilesFolder(const UserFolders& folders);
// Whether that folder is the cache one, which the session does not clear.
bool OpenFilesFolderIsCache(const UserFolders& folders);

// Makes folder (and missing parents) private to this user; an existing one must be a real
// folder of this user, and loses any group or other permission. False with errno's reason.
bool EnsurePrivateFolder(const std::string& folder, int* error);

// The suffix a temporary copy keeps: the file's own name (after the path's last "/") from
// its first "." on; empty when that name has none.
std::string OpenSuffix(std::string_view phonePath);

// "VELMORA_TMP" and the generator's next value in six digits.
std::string TempBaseName(Clock& clock);

// Creates folder + a fresh "VELMORA_TMP%06d" folder (the generator is seeded with the time,
// and a name that exists is drawn again) and in it exclusively the phone path's last part, or,
// when that is no safe local name, the folder's name + OpenSuffix. False with file's error.
bool CreateOpenFile(const std::string& folder, std::string_view phonePath, Clock& clock,
                    LocalFile& file);

// Removes openFolder's per-open folders and plain copies (named "VELMORA_TMP...") last changed
// more than age ago; never through a link, nothing else. Errors are ignored.
void RemoveOldOpenCopies(const std::string& openFolder, std::chrono::hours age);

}  // namespace velmora
