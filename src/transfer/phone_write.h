// Writing one file to the phone: open, writes of at most 1024 bytes with the per-chunk
// progress, close. Shared by the uploads and fill space; the callers report the outcome in
// their own words. A refused write still closes the file, so that the phone's next open is
// not refused for a file left open.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "fsac/fsac_records.h"
#include "phone/open_channel.h"
#include "transfer/transfer_progress.h"

namespace velmora {

enum class PhoneWriteEnd {
    Written,
    Interrupted,   // closed after the chunk in flight
    OpenRefused,   // nothing reached the phone
    WriteRefused,  // closed (its result ignored) after the refusal
    CloseRefused,
};

struct PhoneWriteResult {
    PhoneWriteEnd end = PhoneWriteEnd::Written;
    std::int64_t bytesWritten = 0;  // what the phone accepted
};

// The data of chunk [offset, offset + size): a span of exactly size bytes.
using ChunkSource =
    std::function<std::span<const std::uint8_t>(std::int64_t offset, std::size_t size)>;

// Sends open (attributes as given), the writes for size bytes and close. After every accepted
// write the meter moves; when it says stop, the file is closed and the write ends there.
PhoneWriteResult WritePhoneFile(CommandChannel& channel, const FsacRequest& openRequest,
                                std::int64_t size, const ChunkSource& chunk, TransferMeter& meter);

// The message id of a refusal (open, write, close); 0 for the other ends.
int PhoneWriteFailureString(PhoneWriteEnd end);

}  // namespace velmora
