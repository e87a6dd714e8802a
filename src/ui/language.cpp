#include "ui/language.h"

#include "base/lang_string.h"
#include "ui/settings.h"

namespace velmora {

std::span<const ControlText> LanguageControlTexts() {
    static constexpr ControlText kTexts[] = {
        {kIdGetFileList, 177}, {kIdDownload, 178},        {kIdUpload, 179},  {kIdDelete, 180},
        {kIdInterrupt, 181},   {kIdSearch, 184},          {kIdRestart, 182}, {kIdSuspend, 183},
        {kIdFillSpace, 185},   {kIdLeaveBytesLabel, 189},
    };
    return kTexts;
}

void SwitchLanguage(std::int32_t index, SettingsStore& user) {
    SetLanguageIndex(index);
    StoreLanguage(user, index);
}

int CheckedLanguageItem(std::int32_t index) {
    return index == kLanguageEnglish ? kCommandEnglish : kCommandRussian;
}

}  // namespace velmora
