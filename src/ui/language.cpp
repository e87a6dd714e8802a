#include "ui/language.h"

#include "base/lang_string.h"
#include "ui/settings.h"

namespace velmora {

std::span<const ControlText> LanguageControlTexts() {
    static constexpr ControlText kTexts[] = {
        {1003, 177}, {1004, 178}, {1010, 179}, {1013, 180}, {1009, 181},
        {1007, 184}, {1015, 182}, {1016, 183}, {1014, 185}, {1027, 189},
    };
    return kTexts;
}

std::span<const int> ColumnHeadingStrings() {
    static constexpr int kHeadings[] = {136, 137, 138, 139};
    return kHeadings;
}

void SwitchLanguage(std::int32_t index, SettingsStore& user) {
    SetLanguageIndex(index);
    StoreLanguage(user, index);
}

int CheckedLanguageItem(std::int32_t index) {
    return index == kLanguageEnglish ? kCommandEnglish : kCommandRussian;
}

}  // namespace velmora
