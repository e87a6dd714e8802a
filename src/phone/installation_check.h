// Start-up check of the phone library's installation entries: when they do not name a usable
// engine and command sets, point them at the copies shipped in the program's folder.
#pragma once

#include <string>
#include <string_view>

#include "base/settings_store.h"

namespace velmora {

enum class InstallationResult {
    Complete,       // every value read and every file found: nothing written
    Rewritten,      // the six values were written
    RewriteFailed,  // they should have been, but the key could not be created or written
};

// The folder part of an executable's path, up to and including its last "/"; empty when the
// path has none.
std::string ProgramFolder(std::string_view executablePath);

// Checks the installation key against the files it names and rewrites all six values to
// point into programFolder (ending in "/") when the key, a value or a file is missing. Never
// reports: a library that still cannot start says so when it is initialised.
InstallationResult CheckInstallation(SettingsStore& installation, const std::string& programFolder);

}  // namespace velmora
