// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "ui/command_line.h"

#include <string_view>

#include "base/lang_string.h"

namespace velmora {
namespace {

constexpr int kStrUsage = 549;
constexpr int kStrPurpose = 550;
constexpr int kStrUnknownArgument = 551;
constexpr int kStrTryHelp = 552;
constexpr int kExitUsage = 2;

// GTK's options, as "--name=value" or "--name value"; the toolkit takes them itself.
constexpr std::string_view kToolkitOptionsWithValue[] = {
    "--display",   "--class",        "--name",      "--gtk-module",
    "--gdk-debug", "--gdk-no-debug", "--gtk-debug", "--gtk-no-debug"};
constexpr std::string_view kToolkitFlags[] = {"--g-fatal-warnings", "--sync"};

// How many arguments from args[i] on are the toolkit's: 0 when args[i] is not its option.
std::size_t ToolkitArguments(std::span<const std::string> args, std::size_t i) {
    const std::string_view arg = args[i];
    for (auto flag : kToolkitFlags) {
        if (arg == flag) return 1;
    }
    for (auto option : kToolkitOptionsWithValue) {
        if (arg == option) return i + 1 < args.size() ? 2 : 1;
        if (arg.size() > option.size() && arg.starts_with(option) && arg[option.size()] == '=') {
            return 1;
        }
    }
    return 0;
}

}  // namespace

StartRequest ParseCommandLine(std::span<const std::string> args) {
    // Help and version win wherever they stand, as users of other programs expect.
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            return {StartAction::PrintHelp,
                    LoadLangString(kStrUsage) + "\n" + LoadLangString(kStrPurpose) + "\n", 0};
        }
    }
    for (const auto& arg : args) {
        if (arg == "--version")
            return {StartAction::PrintVersion, LoadLangString(kStrVersion) + "\n", 0};
    }
    for (std::size_t i = 0; i < args.size();) {
        if (const auto taken = ToolkitArguments(args, i); taken > 0) {
            i += taken;
            continue;
        }
        return {StartAction::Refuse,
                "velmora: " + LoadLangString(kStrUnknownArgument) + " \"" + args[i] + "\"\n" +
                    LoadLangString(kStrTryHelp) + "\n",
                kExitUsage};
    }
    return {};
}

}  // namespace velmora
