// The search-history step of a search the phone accepted: remember the mask, show the
// remembered masks in the mask box, and store them as `SearchArray`.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings_store.h"

namespace velmora {

class SearchHistory;

// showChoices receives the non-empty slots in slot order; the box selects the first.
void RememberSearchMask(SearchHistory& history, SettingsStore& user, std::string_view mask,
                        const std::function<void(const std::vector<std::string>&)>& showChoices);

}  // namespace velmora
