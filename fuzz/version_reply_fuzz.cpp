#include "fsac/fsac_records.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    const auto length = static_cast<std::int32_t>(input.Take32());
    const auto reply = input.Rest();
    const auto version = velmora::ParseVersionReply(reply, length);
    if (version) velmora::fuzz::Require(version.Value().major == reply[0]);
    return 0;
}
