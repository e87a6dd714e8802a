// The phone library's trace: one line per call with its arguments and what it answered, and
// one line per device-change notification, as the emulated library writes it
// (VELMORA_PST_TRACE) and the trace replayer reads it back. A line is the operation, then
// name=value fields, rc last:
//   PSTSendCommand dev=1 handle=50530001 cmd=FSAC req=000000090000 cap=2 reply=0201 len=2 rc=0
// Byte blocks and handles are uppercase hex; a text field escapes spaces, controls, "%" and
// bytes above 0x7E as %XX.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

inline constexpr char kTraceNotify[] = "notify";

struct PstTraceLine {
    std::string operation;  // "PSTInitializeEx" ... "PSTSendCommand", or kTraceNotify
    std::vector<std::pair<std::string, std::string>> fields;

    PstTraceLine& Add(std::string name, std::string value) {
        fields.emplace_back(std::move(name), std::move(value));
        return *this;
    }
    // The first field of that name; nullptr when there is none.
    const std::string* Field(std::string_view name) const;
    std::string Text() const;
};

// A line of the trace; nothing when it is not one (no operation, a field without "=").
std::optional<PstTraceLine> ParseTraceLine(std::string_view text);

// The calls as far as their arguments go: what a replayed call must match. The writer adds
// the answer (devices, handle, reply, len) and rc after them.
PstTraceLine TraceInitialize(std::int32_t interfaceMode);
PstTraceLine TraceUninitialize();
PstTraceLine TraceGetDeviceList();
PstTraceLine TraceGetInterfaceHandle(std::uint32_t deviceId, std::string_view interfaceName);
PstTraceLine TraceTestCmdInit(std::uint16_t deviceId, std::int32_t rs232);
// dev16 is written only when it differs from dev.
PstTraceLine TraceSendCommand(std::uint32_t deviceId, std::uint32_t handle,
                              std::string_view command, std::span<const std::uint8_t> request,
                              std::size_t replyCapacity, std::uint16_t deviceId16);

std::string TraceHex(std::span<const std::uint8_t> bytes);
std::optional<std::vector<std::uint8_t>> ParseTraceHex(std::string_view hex);
std::string TraceHandle(std::uint32_t handle);
std::string TraceDevices(std::span<const std::uint16_t> devices);  // "1,2"; empty for none
std::optional<std::vector<std::uint16_t>> ParseTraceDevices(std::string_view text);
// Decimal or, for handles, hex numbers of a field; nothing when the text is not one.
std::optional<std::int64_t> ParseTraceNumber(std::string_view text, int base = 10);

}  // namespace velmora
