// The help book: one archive of the help pages with an English and a Russian project, found
// beside the program's data in an installed tree and beside the executable in a build tree.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

inline constexpr char kHelpBookName[] = "Help_Velmora.htb";
// The data folder of an installed program, relative to the folder of its executable.
inline constexpr char kDataFolderFromProgram[] = "../share/velmora/";

// Where the book may be, first choice first: the installed data folder of the prefix the
// executable runs from, then the executable's own folder (a build tree).
std::vector<std::string> HelpBookPlaces(const std::string& programFolder);

// The first of the places that exists as a file.
std::optional<std::string> FindHelpBook(const std::string& programFolder,
                                        const std::function<bool(const std::string&)>& isFile);
// The same on the real file system.
std::optional<std::string> FindHelpBook(const std::string& programFolder);

// The project inside the book for a language index: Russian for 1, English otherwise. The
// Russian project lists the Russian page where one exists and the English one where not.
std::string HelpProject(std::int32_t languageIndex);

// The box for a book that is not there, naming where it belongs.
std::string MissingHelpBookText(const std::string& programFolder);
// The box for a book that is there but that the viewer cannot read.
std::string UnreadableHelpBookText(const std::string& book);

}  // namespace velmora
