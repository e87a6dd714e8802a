// What the program's arguments ask for: the usage text, the version, or the window. The
// toolkit's own options (such as --display) are left to the toolkit; any other argument is
// refused before anything starts.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <span>
#include <string>

namespace velmora {

inline constexpr int kStrVersion = 186;  // the program's name and version

enum class StartAction { OpenWindow, PrintHelp, PrintVersion, Refuse };

struct StartRequest {
    StartAction action = StartAction::OpenWindow;
    std::string text;  // what to print: on stdout for help and version, stderr for a refusal
    int exitCode = 0;
};

// args without the program's name, in the current language.
StartRequest ParseCommandLine(std::span<const std::string> args);

}  // namespace velmora
