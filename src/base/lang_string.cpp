#include "base/lang_string.h"

#include <mutex>

#include "base/lang_string_table.h"
#include "base/phone_text.h"

namespace velmora {
namespace {

// The current language is swapped whole under the lock; a reader keeps the texts it took for
// as long as it uses them.
struct LanguageState {
    std::mutex mutex;
    std::shared_ptr<const LanguageTexts> current = std::make_shared<const LanguageTexts>();
    std::shared_ptr<Catalogs> catalogs;
};

LanguageState& State() {
    static LanguageState state;
    return state;
}

std::shared_ptr<Catalogs> InstalledCatalogs() {
    LanguageState& state = State();
    std::lock_guard lock(state.mutex);
    return state.catalogs;
}

}  // namespace

void InstallCatalogs(std::shared_ptr<Catalogs> catalogs) {
    LanguageState& state = State();
    std::lock_guard lock(state.mutex);
    state.catalogs = std::move(catalogs);
}

std::vector<std::string> AvailableLanguages() {
    std::vector<std::string> languages{kEnglishCode};
    if (const auto catalogs = InstalledCatalogs()) {
        for (auto& code : catalogs->Languages()) {
            if (code != kEnglishCode) languages.push_back(std::move(code));
        }
    }
    return languages;
}

std::string LanguageName(const std::string& code) {
    if (code == kEnglishCode) return "English";
    const auto catalogs = InstalledCatalogs();
    return catalogs ? catalogs->LanguageName(code) : code;
}

bool SetLanguage(const std::string& code) {
    std::shared_ptr<const LanguageTexts> texts;
    if (const auto catalogs = InstalledCatalogs()) {
        texts = catalogs->Use(code);
    } else if (code == kEnglishCode) {
        texts = std::make_shared<const LanguageTexts>();
    }
    if (!texts) return false;
    LanguageState& state = State();
    std::lock_guard lock(state.mutex);
    state.current = std::move(texts);
    return true;
}

std::shared_ptr<const LanguageTexts> CurrentLanguage() {
    LanguageState& state = State();
    std::lock_guard lock(state.mutex);
    return state.current;
}

std::string LanguageCode() {
    return CurrentLanguage()->Code();
}

std::int32_t LanguageIndex() {
    const std::string code = LanguageCode();
    if (code == kEnglishCode) return kLanguageEnglish;
    // A regional Russian catalog ("ru_UA") is still the Russian the stored index names.
    if (code.substr(0, code.find('_')) == kRussianCode) return kLanguageRussian;
    return kLanguageOther;
}

void SetLanguageIndex(std::int32_t index) {
    SetLanguage(index == kLanguageRussian ? kRussianCode : kEnglishCode);
}

std::string Utf8Prefix(std::string_view text, std::size_t maxChars) {
    return std::string(LeadingCharacters(text, maxChars));
}

std::string LoadLangString(int id) {
    return CurrentLanguage()->Text(id);
}

std::string LoadLangCount(int id, std::int64_t n) {
    const auto size = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    std::string text = CurrentLanguage()->Text(id, size);
    const std::string number = std::to_string(n);
    for (std::size_t at = 0; (at = text.find("%d", at)) != std::string::npos;) {
        text.replace(at, 2, number);
        at += number.size();
    }
    return text;
}

std::string LoadResourceString(int id, std::size_t bufferChars) {
    if (bufferChars == 0) return {};
    return Utf8Prefix(LoadLangString(id), bufferChars - 1);
}

std::string LoadLangText(std::string_view english) {
    for (const auto& entry : LangStringTable()) {
        if (english == entry.text) return LoadLangString(entry.id);
    }
    return std::string(english);
}

std::string FormatWithArgs(std::string_view format, const std::vector<std::string>& args) {
    std::string text;
    std::size_t next = 0;
    for (std::size_t at = 0; at < format.size(); ++at) {
        if (format[at] == '%' && at + 1 < format.size() && format[at + 1] == 's' &&
            next < args.size()) {
            text += args[next++];
            ++at;
        } else {
            text += format[at];
        }
    }
    return text;
}

std::string FormatLangString(int id, const std::vector<std::string>& args) {
    return FormatWithArgs(LoadLangString(id), args);
}

std::string LoadTooltipString(int controlId) {
    if (controlId == 0) return {};
    return Utf8Prefix(LoadResourceString(controlId, 256), 80);
}

int FindLangString(const LanguageTexts& texts, std::string_view text) {
    for (const LangStringEntry& entry : LangStringTable()) {
        if (texts.Text(entry.id) == text) return entry.id;
    }
    return 0;
}

}  // namespace velmora
