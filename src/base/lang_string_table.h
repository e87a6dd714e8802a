// The program's own resource strings, each "English\nRussian".
#pragma once

#include <span>

namespace velmora {

struct LangStringEntry {
    int id;
    const char* text;
};

const std::span<const LangStringEntry> LangStringTable();

}  // namespace velmora
