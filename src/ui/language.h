// The run-time language switch: which control takes which string, the Language menu's
// commands, the switch itself, and the language the program starts in. The window re-texts
// itself and reloads its menus from these.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings_store.h"
#include "base/user_folders.h"
#include "ui/main_window_ids.h"

namespace velmora {

// Beside `Language`, which keeps 0 for English and 1 for Russian: the code of any other
// language the user chose, empty once the choice is one of those two again.
inline constexpr std::string_view kLanguageCodeValue = "LanguageCode";

struct ControlText {
    int controlId;
    int stringId;
};

// The buttons and the label re-texted on every language change, in the order they are set.
std::span<const ControlText> LanguageControlTexts();

// The Language item of a language: English and Russian keep theirs, the others take the range
// in the order AvailableLanguages() lists them; 0 beyond it.
int LanguageCommand(const std::string& code);
// The language a Language item stands for; nothing for another command.
std::optional<std::string> LanguageOfCommand(int command);

// Makes code the process-wide language and remembers it when the user key exists; false,
// changing nothing, when the language's catalog cannot be read.
bool SwitchLanguage(const std::string& code, SettingsStore& user);
// Into an existing key only: `Language` 0 or 1, and for another language 0 with its code.
void StoreLanguage(SettingsStore& user, const std::string& code);

// The language chosen last: a stored code while its catalog is installed, else the stored
// index's language (1 Russian, any other number English); nothing when neither is stored.
std::optional<std::string> StoredLanguage(const SettingsStore& user,
                                          const std::vector<std::string>& available);
// The desktop's language, as gettext reads it: LC_ALL, LC_MESSAGES or LANG names the locale,
// and LANGUAGE, a list by preference, comes first unless that locale is C. The first that
// has a catalog wins; English otherwise.
std::string DesktopLanguage(const EnvironmentLookup& env,
                            const std::vector<std::string>& available);
// What the program starts in: the stored choice, and on a first start the desktop's.
std::string StartLanguage(const SettingsStore& user, const EnvironmentLookup& env);

// Where the catalogs are, from the executable's folder: <prefix>/share/locale installed, and
// the same place relative to the executable in a build tree.
std::string LocaleFolder(const std::string& programFolder);

}  // namespace velmora
