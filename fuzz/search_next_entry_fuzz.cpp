#include "fsac/fsac_records.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    const auto length = static_cast<std::int32_t>(input.Take32());
    const auto reply = input.Rest();
    const auto entry = velmora::ParseSearchNextEntry(reply, length);
    if (entry) {
        velmora::fuzz::Require(entry.Value().name.size() < 260);
        velmora::fuzz::Require(entry.Value().name.find('\0') == std::string::npos);
    } else {
        velmora::fuzz::Require(!entry.ErrorText().empty());
    }
    return 0;
}
