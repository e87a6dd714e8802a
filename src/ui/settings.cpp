#include "ui/settings.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/phone_text.h"

namespace velmora {
namespace {

// A mask as a slot can hold it: up to the first NUL, at most 35 characters.
std::string_view FitSlot(std::string_view phoneMask) {
    phoneMask = phoneMask.substr(0, phoneMask.find('\0'));
    return phoneMask.substr(0, SearchHistory::kMaxStoredMaskChars);
}

}  // namespace

std::optional<std::int32_t> ReadView(const SettingsStore& user) {
    // Read under its lower-case name; names are case-insensitive.
    const auto value = user.ReadDword("view");
    if (!value || *value > static_cast<std::uint32_t>(kViewList)) return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

void StoreView(SettingsStore& user, std::int32_t view) {
    if (!user.KeyExists()) return;
    user.Write(kViewValue, static_cast<std::uint32_t>(view));
}

void SearchHistory::Load(const SettingsStore& user) {
    const auto value = user.ReadBinary(kSearchArrayValue);
    if (!value || value->size() > kBytes) return;
    m_bytes.fill(0);
    std::copy(value->begin(), value->end(), m_bytes.begin());
    // A stored slot without its terminator would run into the next one.
    for (std::size_t slot = 0; slot < kMaskSlots; ++slot) {
        m_bytes[slot * kSlotBytes + kMaxStoredMaskChars] = 0;
        // Earlier versions kept UTF-8 here. Phone text that happens to be valid UTF-8 beyond
        // ASCII takes letter pairs such as "Рђ" no mask is made of.
        const std::string bytes = SlotBytes(slot);
        const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (ascii || !IsUtf8(bytes)) continue;
        if (auto encoded = EncodePhoneText(bytes); encoded.Ok()) SetSlot(slot, encoded.bytes);
    }
}

std::string SearchHistory::Slot(std::size_t slot) const {
    if (slot >= kMaskSlots) return {};
    return DecodePhoneText(SlotBytes(slot));
}

void SearchHistory::SetSlot(std::size_t slot, std::string_view phoneText) {
    auto* begin = m_bytes.data() + slot * kSlotBytes;
    std::fill(begin, begin + kSlotBytes, std::uint8_t{0});
    std::copy(phoneText.begin(), phoneText.end(), begin);
}

std::string SearchHistory::SlotBytes(std::size_t slot) const {
    const auto* begin = reinterpret_cast<const char*>(m_bytes.data() + slot * kSlotBytes);
    return std::string(begin, strnlen(begin, kMaxStoredMaskChars));
}

void SearchHistory::Remember(std::string_view mask) {
    const auto encoded = EncodePhoneText(mask);
    // The search refuses such a mask before it gets here.
    if (!encoded.Ok()) return;
    const std::string_view fitted = FitSlot(encoded.bytes);
    for (std::size_t slot = 0; slot < kMaskSlots; ++slot) {
        if (SlotBytes(slot).starts_with(fitted)) {
            SetSlot(slot, SlotBytes(0));
            SetSlot(0, fitted);
            return;
        }
    }
    std::copy_backward(m_bytes.begin(), m_bytes.end() - kSlotBytes, m_bytes.end());
    SetSlot(0, fitted);
}

void SearchHistory::Store(SettingsStore& user) const {
    if (!user.KeyExists()) return;
    user.Write(kSearchArrayValue, Binary(m_bytes.begin(), m_bytes.end()));
}

std::vector<std::string> SearchHistory::Masks() const {
    std::vector<std::string> masks;
    for (std::size_t slot = 0; slot < kMaskSlots; ++slot) {
        if (auto text = Slot(slot); !text.empty()) masks.push_back(std::move(text));
    }
    return masks;
}

}  // namespace velmora
