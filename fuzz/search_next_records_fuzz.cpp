#include "fsac/fsac_records.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    const auto length = static_cast<std::int32_t>(input.Take16());
    const auto stillExpected = static_cast<std::int16_t>(input.Take16());
    const auto reply = input.Rest();
    const auto records = velmora::ParseSearchNextRecords(reply, length, stillExpected);
    if (records) {
        const auto& list = records.Value();
        velmora::fuzz::Require(!list.empty());
        velmora::fuzz::Require(static_cast<std::int64_t>(list.size()) <= stillExpected);
        velmora::fuzz::Require(4 + 44 * list.size() <= reply.size());
        for (const auto& entry : list) velmora::fuzz::Require(entry.name.size() < 36);
    }
    return 0;
}
