// The run-time language switch: which control takes which string, the column headings, and
// the switch itself. The window re-texts itself and reloads its menus from these.
#pragma once

#include <cstdint>
#include <span>

#include "base/settings_store.h"
#include "ui/main_window_ids.h"

namespace velmora {

struct ControlText {
    int controlId;
    int stringId;
};

// The buttons and the label re-texted on every language change, in the order they are set.
std::span<const ControlText> LanguageControlTexts();

// Sets the process-wide index and remembers it as `Language` when the user key exists; the
// switch happens either way.
void SwitchLanguage(std::int32_t index, SettingsStore& user);

// The Language item checked for an index: English for 0, Russian for any other value.
int CheckedLanguageItem(std::int32_t index);

}  // namespace velmora
