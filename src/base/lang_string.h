// The bilingual string lookup: a resource string holds every language, one field per line;
// the process-wide language index picks the field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr std::int32_t kLanguageEnglish = 0;
inline constexpr std::int32_t kLanguageRussian = 1;

std::int32_t LanguageIndex();
// Any value is kept as it is: an index without a field gives empty texts.
void SetLanguageIndex(std::int32_t index);

// The whole resource string, cut to bufferChars - 1 characters; empty when the id is unknown.
std::string LoadResourceString(int id, std::size_t bufferChars = 300);
// Field `field` of a text split at line feeds; empty when there is no such field.
std::string LangField(std::string_view text, std::int32_t field);
// The current language's half of resource string id.
std::string LoadLangString(int id);
// A control's tooltip: its id's string through a 256-character buffer, at most 80 characters.
std::string LoadTooltipString(int controlId);

// Keeps the first maxChars UTF-8 characters of text.
std::string Utf8Prefix(std::string_view text, std::size_t maxChars);

}  // namespace velmora
