#include "fsac/fsac_records.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    const auto length = static_cast<std::int32_t>(input.Take32());
    const auto reply = input.Rest();
    const auto count = velmora::ParseSearchStartReply(reply, length);
    velmora::fuzz::Require(count.Ok() == (length >= 2 && reply.size() >= 2));
    return 0;
}
