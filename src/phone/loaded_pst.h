// The phone library loaded at run time: a shared library with the C interface of
// <velmora/pst.h>, opened with dlopen and adapted to the PstLibrary port. A file that cannot be
// loaded, lacks a function or was built for another interface version is refused with the
// reason; the program then runs on a stand-in whose initialisation fails.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "phone/installation_check.h"
#include "phone/pst_library.h"

namespace velmora {

// What a library said about its configuration: an English format whose "%s" are the args.
struct PstLibraryMessage {
    std::string format;
    std::vector<std::string> args;
};

// A pst.conf text value by name; nothing when it is missing.
using PstConfigLookup = std::function<std::optional<std::string>(const std::string& name)>;

struct LoadedPstLibrary {
    // Never null. When the file was refused, its PSTInitializeEx and PSTUninitialize raise
    // (the initialisation failure the user is told about) and every other call fails.
    std::unique_ptr<PstLibrary> library;
    std::string error;                        // "<file>: <reason>" when refused, else empty
    std::vector<PstLibraryMessage> messages;  // said while it was configured
};

// Loads the library in file and configures it with the pst.conf values it asks for. The
// library stays loaded for the rest of the process (it may run threads of its own).
LoadedPstLibrary LoadPstLibrary(const std::string& file, const PstConfigLookup& config);

// The pst.conf values the library in file needs; none when it cannot be loaded or names none.
std::vector<PstNeededValue> PstLibraryNeeds(const std::string& file);

}  // namespace velmora
