#include "base/phone_text.h"
#include "fuzz_input.h"
#include "phone/control_records.h"

// The model arrives decoded from the phone's text: at most five characters of valid UTF-8,
// each of them one phone byte, none of them NUL.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    const auto length = static_cast<std::int32_t>(input.Take32());
    const auto reply = input.Rest();
    const auto model = velmora::ParseModelReply(reply, length);
    velmora::fuzz::Require(velmora::IsUtf8(model));
    velmora::fuzz::Require(velmora::TextLength(model) <= velmora::kMaxModelChars);
    velmora::fuzz::Require(model.find('\0') == std::string::npos);
    const auto phoneBytes = velmora::EncodePhoneText(model);
    velmora::fuzz::Require(phoneBytes.Ok() &&
                           phoneBytes.bytes.size() == velmora::TextLength(model));
    return 0;
}
