#include "fuzz_input.h"
#include "phone/control_records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    const auto length = static_cast<std::int32_t>(input.Take32());
    const auto reply = input.Rest();
    const auto model = velmora::ParseModelReply(reply, length);
    velmora::fuzz::Require(model.size() <= velmora::kMaxModelChars);
    velmora::fuzz::Require(model.find('\0') == std::string::npos);
    return 0;
}
