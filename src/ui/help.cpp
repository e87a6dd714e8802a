// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "ui/help.h"

#include <filesystem>
#include <system_error>

#include "base/lang_string.h"

namespace velmora {
namespace {

constexpr int kStrHelpBookMissing = 540;
constexpr int kStrHelpBookUnreadable = 541;

// "/usr/bin/../share/velmora/x" reads as "/usr/share/velmora/x" in a message.
std::string Tidy(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

}  // namespace

std::vector<std::string> HelpBookPlaces(const std::string& programFolder) {
    return {programFolder + kDataFolderFromProgram + kHelpBookName, programFolder + kHelpBookName};
}

std::optional<std::string> FindHelpBook(const std::string& programFolder,
                                        const std::function<bool(const std::string&)>& isFile) {
    // Tidied before the look: the executable's folder is a real path already, and "bin/.."
    // must not depend on what "bin" is.
    for (const auto& place : HelpBookPlaces(programFolder)) {
        if (const auto tidy = Tidy(place); isFile(tidy)) return tidy;
    }
    return std::nullopt;
}

std::optional<std::string> FindHelpBook(const std::string& programFolder) {
    return FindHelpBook(programFolder, [](const std::string& path) {
        std::error_code error;
        return std::filesystem::is_regular_file(path, error);
    });
}

std::string HelpProject(std::int32_t languageIndex) {
    return languageIndex == kLanguageRussian ? "Help_Velmora_ru.hhp" : "Help_Velmora.hhp";
}

std::string MissingHelpBookText(const std::string& programFolder) {
    return LoadLangString(kStrHelpBookMissing) + "\n" + Tidy(HelpBookPlaces(programFolder).front());
}

std::string UnreadableHelpBookText(const std::string& book) {
    return LoadLangString(kStrHelpBookUnreadable) + "\n" + book;
}

}  // namespace velmora
