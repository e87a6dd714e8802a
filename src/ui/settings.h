// The user's settings the window keeps between runs: view mode and the last ten search masks
// (language.h has the language's). Each value is taken only when it has its stored type; a
// write that needs an existing key is skipped without one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings_store.h"

namespace velmora {

inline constexpr std::string_view kLanguageValue = "Language";
inline constexpr std::string_view kViewValue = "View";
inline constexpr std::string_view kSearchArrayValue = "SearchArray";

// The list's view modes as `View` stores them.
inline constexpr std::int32_t kViewLargeIcons = 0;
inline constexpr std::int32_t kViewReport = 1;
inline constexpr std::int32_t kViewSmallIcons = 2;
inline constexpr std::int32_t kViewList = 3;

// The stored view mode 0 to 3; nothing for other numbers or types.
std::optional<std::int32_t> ReadView(const SettingsStore& user);
// Only into an existing key.
void StoreView(SettingsStore& user, std::int32_t view);

// The remembered search masks: ten 36-byte slots of NUL-terminated texts in the phone's 8-bit
// text, slot 0 the newest, kept byte for byte as `SearchArray` stores them.
class SearchHistory {
  public:
    static constexpr std::size_t kMaskSlots = 10;
    static constexpr std::size_t kSlotBytes = 36;
    static constexpr std::size_t kMaxStoredMaskChars = kSlotBytes - 1;
    static constexpr std::size_t kBytes = kMaskSlots * kSlotBytes;

    SearchHistory() = default;

    // Takes a binary `SearchArray` of at most 360 bytes; anything else leaves the history as
    // it is. A shorter value fills from the start and the rest is emptied.
    void Load(const SettingsStore& user);
    // The first slot whose text begins with mask trades places with slot 0 (mask taking slot
    // 0); without one the slots move down, dropping the oldest. A mask longer than 35
    // characters is cut to fit; one the phone's text cannot hold is not remembered.
    void Remember(std::string_view mask);
    // The whole array, only into an existing key.
    void Store(SettingsStore& user) const;

    // Non-empty slots in slot order: the mask list's entries.
    std::vector<std::string> Masks() const;
    // The slot's text in UTF-8.
    std::string Slot(std::size_t slot) const;
    const std::array<std::uint8_t, kBytes>& Bytes() const { return m_bytes; }

  private:
    void SetSlot(std::size_t slot, std::string_view phoneText);
    std::string SlotBytes(std::size_t slot) const;

    std::array<std::uint8_t, kBytes> m_bytes{};
};

}  // namespace velmora
