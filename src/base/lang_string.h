// The string lookup: the program's strings by id, in the process-wide current language. The
// texts of a language come from its installed catalog (language_texts.h); English needs none.
// Any thread may look texts up while the window's thread switches the language.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/language_texts.h"

namespace velmora {

// The stored `Language` values, and the index of a language that has none.
inline constexpr std::int32_t kLanguageEnglish = 0;
inline constexpr std::int32_t kLanguageRussian = 1;
inline constexpr std::int32_t kLanguageOther = 2;

// The catalogs languages are taken from; without any, only English exists. Window's thread.
void InstallCatalogs(std::shared_ptr<Catalogs> catalogs);
// English first, then each installed catalog's language.
std::vector<std::string> AvailableLanguages();
// The language's name in itself.
std::string LanguageName(const std::string& code);

// Makes code the current language; false, keeping the current one, when it has no readable
// catalog. Window's thread.
bool SetLanguage(const std::string& code);
std::string LanguageCode();
std::shared_ptr<const LanguageTexts> CurrentLanguage();

// 0 English, 1 Russian, kLanguageOther for any other language.
std::int32_t LanguageIndex();
// 1 picks Russian, any other number English.
void SetLanguageIndex(std::int32_t index);

// The current language's text of string id; empty when the id is unknown. A string that
// counts something gives its form for 1.
std::string LoadLangString(int id);
// A counting string's form for n (for its size, when negative), with its "%d" replaced by n.
std::string LoadLangCount(int id, std::int64_t n);
// The same text cut to bufferChars - 1 characters.
std::string LoadResourceString(int id, std::size_t bufferChars = 300);
// The current language's text for an English text of the string table (a message a phone
// library hands over untranslated); the English text itself when the table has no such text.
std::string LoadLangText(std::string_view english);
// format with each "%s" replaced by the next of args, in order; a "%s" without an argument
// stays as it is, and an argument is never read for placeholders itself.
std::string FormatWithArgs(std::string_view format, const std::vector<std::string>& args);
// The current language's text of string id, formatted so.
std::string FormatLangString(int id, const std::vector<std::string>& args);
// A control's tooltip: its id's string through a 256-character buffer, at most 80 characters.
std::string LoadTooltipString(int controlId);
// The id whose text in language texts is text, or 0: a shown text said again in another
// language.
int FindLangString(const LanguageTexts& texts, std::string_view text);

// Keeps the first maxChars UTF-8 characters of text.
std::string Utf8Prefix(std::string_view text, std::size_t maxChars);

}  // namespace velmora
