#include "ui/search_masks.h"

#include "ui/settings.h"

namespace velmora {

void RememberSearchMask(SearchHistory& history, SettingsStore& user, std::string_view mask,
                        const std::function<void(const std::vector<std::string>&)>& showChoices) {
    history.Remember(mask);
    showChoices(history.Masks());
    // Only into an existing key; a failed write goes unnoticed, as every settings write.
    history.Store(user);
}

}  // namespace velmora
