#include "fsac/fsac_records.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    const auto length = static_cast<std::int32_t>(input.Take32());
    const auto asked = input.Take16();
    const auto reply = input.Rest();
    const auto delivered = velmora::ReadReplyData(reply, length, asked);
    velmora::fuzz::Require(delivered.size() <= asked && delivered.size() <= reply.size());
    // Touch every byte handed out, so one beyond the buffer would trip ASan.
    volatile std::uint8_t sink = 0;
    for (auto byte : delivered) sink = static_cast<std::uint8_t>(sink ^ byte);
    return 0;
}
