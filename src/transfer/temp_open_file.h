// Where a phone file goes to be opened by a desktop program: a folder of this program's own
// (mode 0700, under the user's runtime or cache folder) and a fresh name in it per file, drawn
// from the clock-seeded generator, never one that exists (another program may have it open).
#pragma once

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "transfer/local_file.h"

namespace velmora {

using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The folder for opened files: $XDG_RUNTIME_DIR/velmora, else $XDG_CACHE_HOME/velmora/open
// (~/.cache/velmora/open), else /tmp/velmora-<uid>. Ends with "/".
std::string OpenFilesFolder(const EnvironmentLookup& env);

// Makes folder (and missing parents) private to this user; an existing one must be a real
// folder of this user, and loses any group or other permission. False with errno's reason.
bool EnsurePrivateFolder(const std::string& folder, int* error);

// The suffix a temporary copy keeps: the file's own name (after the path's last "/") from
// its first "." on; empty when that name has none.
std::string OpenSuffix(std::string_view phonePath);

// "VELMORA_TMP" and the generator's next value in six digits.
std::string TempBaseName(Clock& clock);

// Creates folder + a fresh "VELMORA_TMP%06d" + suffix exclusively: the generator is seeded
// with the time, and a name that exists is drawn again. False with file's error.
bool CreateOpenFile(const std::string& folder, const std::string& suffix, Clock& clock,
                    LocalFile& file);

}  // namespace velmora
