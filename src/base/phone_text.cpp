#include "base/phone_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <utility>

namespace velmora {

namespace {

// The characters of bytes 0x80 to 0xFF.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

using ByteOf = std::pair<char32_t, unsigned char>;

// The high half sorted by character, for the way back.
const std::array<ByteOf, 128>& ByCharacter() {
    static const std::array<ByteOf, 128> table = [] {
        std::array<ByteOf, 128> sorted{};
        for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
            sorted[i] = {kHighHalf[i], static_cast<unsigned char>(0x80 + i)};
        }
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }();
    return table;
}

std::optional<unsigned char> PhoneByte(char32_t c) {
    if (c < 0x80) return static_cast<unsigned char>(c);
    const auto& table = ByCharacter();
    const auto it = std::lower_bound(table.begin(), table.end(), ByteOf{c, 0});
    if (it == table.end() || it->first != c) return std::nullopt;
    return it->second;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The character at `at` and its length in bytes; nothing when the bytes there are no valid
// UTF-8 (overlong forms, surrogates and values past U+10FFFF included).
std::optional<std::pair<char32_t, std::size_t>> CharacterAt(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return std::pair<char32_t, std::size_t>{lead, 1};
    std::size_t length = 0;
    char32_t c = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
        smallest = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - at < length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    return std::pair<char32_t, std::size_t>{c, length};
}

std::string NameCharacter(std::string_view utf8, char32_t c) {
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(c));
    return "\"" + std::string(utf8) + "\" (" + number + ")";
}

std::string NameByte(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

}  // namespace

std::string DecodePhoneText(std::string_view phoneBytes) {
    std::string out;
    out.reserve(phoneBytes.size());
    for (char byte : phoneBytes) {
        const auto b = static_cast<unsigned char>(byte);
        AppendUtf8(out, b < 0x80 ? b : kHighHalf[b - 0x80]);
    }
    return out;
}

PhoneTextEncoding EncodePhoneText(std::string_view utf8) {
    PhoneTextEncoding result;
    result.bytes.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const auto character = CharacterAt(utf8, at);
        if (!character) {
            result.refused = NameByte(static_cast<unsigned char>(utf8[at]));
            break;
        }
        const auto [c, length] = *character;
        const auto byte = PhoneByte(c);
        if (!byte) {
            result.refused = NameCharacter(utf8.substr(at, length), c);
            break;
        }
        result.bytes.push_back(static_cast<char>(*byte));
        at += length;
    }
    if (!result.Ok()) result.bytes.clear();
    return result;
}

std::size_t TextLength(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < utf8.size(); ++count) {
        const auto character = CharacterAt(utf8, at);
        at += character ? character->second : 1;
    }
    return count;
}

std::string_view LeadingCharacters(std::string_view utf8, std::size_t maxChars) {
    std::size_t at = 0;
    for (std::size_t count = 0; count < maxChars && at < utf8.size(); ++count) {
        const auto character = CharacterAt(utf8, at);
        at += character ? character->second : 1;
    }
    return utf8.substr(0, at);
}

}  // namespace velmora
