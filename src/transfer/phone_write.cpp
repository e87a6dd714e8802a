#include "transfer/phone_write.h"

#include <algorithm>
#include <array>

#include "base/byte_order.h"

namespace velmora {

PhoneWriteResult WritePhoneFile(CommandChannel& channel, const FsacRequest& openRequest,
                                std::int64_t size, const ChunkSource& chunk, TransferMeter& meter) {
    std::array<std::uint8_t, kScratchReplySize> scratch{};
    PhoneWriteResult result;
    if (!channel.SendQuietly(kFsacCommand, openRequest, scratch)) {
        result.end = PhoneWriteEnd::OpenRefused;
        return result;
    }
    // One buffer for every chunk: the header and at most one block of data.
    FsacRequest request(8 + kFsacBlockSize, 0);
    PutBe32(request, 0, static_cast<std::uint32_t>(FsacOp::Write));
    const FsacRequest close = BuildCloseRequest();
    while (result.bytesWritten < size) {
        const std::uint32_t n = NextBlockSize(size - result.bytesWritten);
        PutBe32(request, 4, n);
        const auto data = chunk(result.bytesWritten, n);
        std::copy(data.begin(), data.begin() + n, request.begin() + 8);
        if (!channel.SendQuietly(kFsacCommand, std::span(request).first(8 + n), scratch)) {
            channel.SendQuietly(kFsacCommand, close, scratch);
            result.end = PhoneWriteEnd::WriteRefused;
            return result;
        }
        result.bytesWritten += n;
        if (meter.AddChunk(static_cast<std::int32_t>(n))) {
            result.end = PhoneWriteEnd::Interrupted;
            break;
        }
    }
    if (!channel.SendQuietly(kFsacCommand, close, scratch))
        result.end = PhoneWriteEnd::CloseRefused;
    return result;
}

int PhoneWriteFailureString(PhoneWriteEnd end) {
    switch (end) {
        case PhoneWriteEnd::OpenRefused:
            return kStrCantOpenFile;
        case PhoneWriteEnd::WriteRefused:
            return kStrCantWriteFile;
        case PhoneWriteEnd::CloseRefused:
            return kStrCantCloseFile;
        case PhoneWriteEnd::Written:
        case PhoneWriteEnd::Interrupted:
            break;
    }
    return 0;
}

}  // namespace velmora
