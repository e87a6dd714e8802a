// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "sim/pst_trace.h"

#include <charconv>
#include <cstdio>

namespace velmora {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

bool Plain(unsigned char c) {
    return c > 0x20 && c < 0x7F && c != '%';
}

// Every value is escaped the same way; hex and numbers never need it.
std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (Plain(byte)) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kDigits[byte >> 4]);
            out.push_back(kDigits[byte & 0x0F]);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '%') {
            out.push_back(text[at]);
            continue;
        }
        if (at + 2 >= text.size()) return std::nullopt;
        const int high = HexDigit(text[at + 1]);
        const int low = HexDigit(text[at + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out.push_back(static_cast<char>(high * 16 + low));
        at += 2;
    }
    return out;
}

}  // namespace

const std::string* PstTraceLine::Field(std::string_view name) const {
    for (const auto& [key, value] : fields) {
        if (key == name) return &value;
    }
    return nullptr;
}

std::string PstTraceLine::Text() const {
    std::string text = operation;
    for (const auto& [key, value] : fields) {
        text += ' ';
        text += key;
        text += '=';
        text += Escape(value);
    }
    return text;
}

std::optional<PstTraceLine> ParseTraceLine(std::string_view text) {
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    PstTraceLine line;
    bool first = true;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        if (word.empty()) continue;
        if (first) {
            line.operation = std::string(word);
            first = false;
            continue;
        }
        const std::size_t equals = word.find('=');
        if (equals == std::string_view::npos || equals == 0) return std::nullopt;
        auto value = Unescape(word.substr(equals + 1));
        if (!value) return std::nullopt;
        line.Add(std::string(word.substr(0, equals)), std::move(*value));
    }
    if (line.operation.empty()) return std::nullopt;
    return line;
}

PstTraceLine TraceInitialize(std::int32_t interfaceMode) {
    return PstTraceLine{"PSTInitializeEx", {}}.Add("mode", std::to_string(interfaceMode));
}

PstTraceLine TraceUninitialize() {
    return PstTraceLine{"PSTUninitialize", {}};
}

PstTraceLine TraceGetDeviceList() {
    return PstTraceLine{"PSTGetDeviceList", {}};
}

PstTraceLine TraceGetInterfaceHandle(std::uint32_t deviceId, std::string_view interfaceName) {
    return PstTraceLine{"PSTGetInterfaceHandle", {}}
        .Add("dev", std::to_string(deviceId))
        .Add("name", std::string(interfaceName));
}

PstTraceLine TraceTestCmdInit(std::uint16_t deviceId, std::int32_t rs232) {
    return PstTraceLine{"PSTTestCmdInit", {}}
        .Add("dev", std::to_string(deviceId))
        .Add("rs232", std::to_string(rs232));
}

PstTraceLine TraceSendCommand(std::uint32_t deviceId, std::uint32_t handle,
                              std::string_view command, std::span<const std::uint8_t> request,
                              std::size_t replyCapacity, std::uint16_t deviceId16) {
    PstTraceLine line{"PSTSendCommand", {}};
    line.Add("dev", std::to_string(deviceId))
        .Add("handle", TraceHandle(handle))
        .Add("cmd", std::string(command))
        .Add("req", TraceHex(request))
        .Add("cap", std::to_string(replyCapacity));
    if (deviceId16 != deviceId) line.Add("dev16", std::to_string(deviceId16));
    return line;
}

std::string TraceHex(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

std::optional<std::vector<std::uint8_t>> ParseTraceHex(std::string_view hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t at = 0; at < hex.size(); at += 2) {
        const int high = HexDigit(hex[at]);
        const int low = HexDigit(hex[at + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::string TraceHandle(std::uint32_t handle) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(handle));
    return text;
}

std::string TraceDevices(std::span<const std::uint16_t> devices) {
    std::string text;
    for (std::uint16_t id : devices) {
        if (!text.empty()) text += ',';
        text += std::to_string(id);
    }
    return text;
}

std::optional<std::vector<std::uint16_t>> ParseTraceDevices(std::string_view text) {
    std::vector<std::uint16_t> devices;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const auto id = ParseTraceNumber(text.substr(0, comma));
        if (!id || *id < 0 || *id > 0xFFFF) return std::nullopt;
        devices.push_back(static_cast<std::uint16_t>(*id));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
        if (text.empty()) return std::nullopt;  // a trailing comma
    }
    return devices;
}

std::optional<std::int64_t> ParseTraceNumber(std::string_view text, int base) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [at, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc() || at != end) return std::nullopt;
    return value;
}

}  // namespace velmora
