// A per-user key of typed values, the way the registry holds them. The window's settings and
// the phone library's installation entries each live in one store.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velmora {

using Binary = std::vector<std::uint8_t>;
// A 32-bit integer, a text or a byte block: the three value types the program stores.
using SettingValue = std::variant<std::uint32_t, std::string, Binary>;

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Whether the key exists; some values are only written into an existing key.
    virtual bool KeyExists() const = 0;
    // Creates the key when it is missing; false when that fails.
    virtual bool CreateKey() = 0;
    // The value, or nothing when it or the key is missing. Names are case-insensitive.
    virtual std::optional<SettingValue> Read(std::string_view name) const = 0;
    // Writes into an existing key; false when the key is missing or the write fails.
    virtual bool Write(std::string_view name, const SettingValue& value) = 0;

    std::optional<std::uint32_t> ReadDword(std::string_view name) const {
        auto v = Read(name);
        if (v && std::holds_alternative<std::uint32_t>(*v)) return std::get<std::uint32_t>(*v);
        return std::nullopt;
    }
    std::optional<std::string> ReadText(std::string_view name) const {
        auto v = Read(name);
        if (v && std::holds_alternative<std::string>(*v)) return std::get<std::string>(*v);
        return std::nullopt;
    }
    std::optional<Binary> ReadBinary(std::string_view name) const {
        auto v = Read(name);
        if (v && std::holds_alternative<Binary>(*v)) return std::get<Binary>(*v);
        return std::nullopt;
    }
};

}  // namespace velmora
