#include "ui/language.h"

#include <algorithm>
#include <filesystem>

#include "base/lang_string.h"
#include "ui/settings.h"

namespace velmora {
namespace {

// "ru_RU.UTF-8@latin" as a catalog's name: "ru_RU".
std::string CatalogName(std::string_view locale) {
    return std::string(locale.substr(0, locale.find_first_of(".@")));
}

bool IsC(std::string_view locale) {
    const std::string name = CatalogName(locale);
    return name == "C" || name == "POSIX";
}

}  // namespace

std::span<const ControlText> LanguageControlTexts() {
    static constexpr ControlText kTexts[] = {
        {kIdGetFileList, 177}, {kIdDownload, 178},        {kIdUpload, 179},  {kIdDelete, 180},
        {kIdInterrupt, 181},   {kIdSearch, 184},          {kIdRestart, 182}, {kIdSuspend, 183},
        {kIdFillSpace, 185},   {kIdLeaveBytesLabel, 189},
    };
    return kTexts;
}

int LanguageCommand(const std::string& code) {
    if (code == kEnglishCode) return kCommandEnglish;
    if (code == kRussianCode) return kCommandRussian;
    int other = 0;
    for (const auto& available : AvailableLanguages()) {
        if (available == kEnglishCode || available == kRussianCode) continue;
        if (available == code)
            return other < kOtherLanguageCommands ? kCommandFirstOtherLanguage + other : 0;
        ++other;
    }
    return 0;
}

std::optional<std::string> LanguageOfCommand(int command) {
    if (command == kCommandEnglish) return kEnglishCode;
    if (command == kCommandRussian) return kRussianCode;
    if (command < kCommandFirstOtherLanguage ||
        command >= kCommandFirstOtherLanguage + kOtherLanguageCommands) {
        return std::nullopt;
    }
    for (const auto& code : AvailableLanguages()) {
        if (LanguageCommand(code) == command) return code;
    }
    return std::nullopt;
}

bool SwitchLanguage(const std::string& code, SettingsStore& user) {
    if (!SetLanguage(code)) return false;
    StoreLanguage(user, code);
    return true;
}

void StoreLanguage(SettingsStore& user, const std::string& code) {
    if (!user.KeyExists()) return;
    const bool other = code != kEnglishCode && code != kRussianCode;
    user.Write(kLanguageValue, static_cast<std::uint32_t>(code == kRussianCode ? kLanguageRussian
                                                                               : kLanguageEnglish));
    // A stored code outranks the index: it must not outlive the choice of English or Russian.
    if (other || user.ReadText(kLanguageCodeValue)) {
        user.Write(kLanguageCodeValue, other ? code : std::string());
    }
}

std::optional<std::string> StoredLanguage(const SettingsStore& user,
                                          const std::vector<std::string>& available) {
    if (const auto code = user.ReadText(kLanguageCodeValue);
        code && std::find(available.begin(), available.end(), *code) != available.end()) {
        return *code;
    }
    if (const auto index = user.ReadDword(kLanguageValue)) {
        return *index == static_cast<std::uint32_t>(kLanguageRussian) ? kRussianCode : kEnglishCode;
    }
    return std::nullopt;
}

std::string DesktopLanguage(const EnvironmentLookup& env,
                            const std::vector<std::string>& available) {
    std::optional<std::string> locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if ((locale = env(name))) break;
    }
    if (!locale || IsC(*locale)) return kEnglishCode;
    std::vector<std::string> wanted;
    if (const auto list = env("LANGUAGE")) {
        for (std::size_t begin = 0; begin <= list->size();) {
            const std::size_t end = std::min(list->find(':', begin), list->size());
            wanted.push_back(CatalogName(std::string_view(*list).substr(begin, end - begin)));
            begin = end + 1;
        }
    }
    wanted.push_back(CatalogName(*locale));
    auto has = [&](const std::string& code) {
        return std::find(available.begin(), available.end(), code) != available.end();
    };
    for (const auto& name : wanted) {
        if (name.empty() || IsC(name)) continue;
        const std::string base = name.substr(0, name.find('_'));
        // English asked for first is English, even where a catalog would follow.
        if (base == kEnglishCode) return kEnglishCode;
        if (has(name)) return name;
        if (has(base)) return base;
    }
    return kEnglishCode;
}

std::string StartLanguage(const SettingsStore& user, const EnvironmentLookup& env) {
    const auto available = AvailableLanguages();
    return StoredLanguage(user, available).value_or(DesktopLanguage(env, available));
}

std::string LocaleFolder(const std::string& programFolder) {
    return (std::filesystem::path(programFolder) / "../share/locale/").lexically_normal().string();
}

}  // namespace velmora
