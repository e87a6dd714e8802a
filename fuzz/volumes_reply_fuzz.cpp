#include "fsac/fsac_records.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    const auto length = static_cast<std::int32_t>(input.Take16());
    const auto reply = input.Rest();
    const auto names = velmora::ParseVolumesReply(reply, length);
    velmora::fuzz::Require(6 * names.size() <= reply.size());
    for (const auto& name : names) velmora::fuzz::Require(name.size() <= 2);
    return 0;
}
