// The phones' own text: windows-1251, one byte a character, ASCII as it is. The program keeps
// text as UTF-8; phone names are decoded where they arrive and encoded where a request is
// built, so the code page lives here only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// Every byte has a character (0x98, which the code page leaves unassigned, stands for U+0098),
// so whatever bytes a phone sends decode, and encode back to the same bytes.
std::string DecodePhoneText(std::string_view phoneBytes);

struct PhoneTextEncoding {
    std::string bytes;    // the phone's bytes, when every character has one
    std::string refused;  // otherwise the first character that has none, named for a message:
                          // «✓» (U+2713), or \xFF for a byte that is not UTF-8
    bool Ok() const { return refused.empty(); }
};

PhoneTextEncoding EncodePhoneText(std::string_view utf8);

// Characters of a UTF-8 text; a byte that belongs to no valid sequence counts as one.
std::size_t TextLength(std::string_view utf8);
// The first maxChars characters of a UTF-8 text, never cutting one apart.
std::string_view LeadingCharacters(std::string_view utf8, std::size_t maxChars);

}  // namespace velmora
