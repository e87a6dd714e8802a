#include "base/lang_string.h"

#include <atomic>

#include "base/lang_string_table.h"
#include "base/phone_text.h"

namespace velmora {
namespace {

// Workers read it while the window's thread may switch it.
std::atomic<std::int32_t> g_languageIndex{kLanguageEnglish};

}  // namespace

std::int32_t LanguageIndex() {
    return g_languageIndex.load();
}

void SetLanguageIndex(std::int32_t index) {
    g_languageIndex.store(index);
}

std::string Utf8Prefix(std::string_view text, std::size_t maxChars) {
    return std::string(LeadingCharacters(text, maxChars));
}

std::string LoadResourceString(int id, std::size_t bufferChars) {
    if (bufferChars == 0) return {};
    for (const auto& entry : LangStringTable()) {
        if (entry.id == id) return Utf8Prefix(entry.text, bufferChars - 1);
    }
    return {};
}

std::string LangField(std::string_view text, std::int32_t field) {
    if (field < 0) return {};
    std::size_t begin = 0;
    for (std::int32_t i = 0; i < field; ++i) {
        const auto lf = text.find('\n', begin);
        if (lf == std::string_view::npos) return {};
        begin = lf + 1;
    }
    const auto end = text.find('\n', begin);
    return std::string(text.substr(begin, end == std::string_view::npos ? text.npos : end - begin));
}

std::string LoadLangString(int id) {
    return LangField(LoadResourceString(id), LanguageIndex());
}

std::string LoadTooltipString(int controlId) {
    if (controlId == 0) return {};
    return Utf8Prefix(LangField(LoadResourceString(controlId, 256), LanguageIndex()), 80);
}

}  // namespace velmora
