#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "fsac/fsac_records.h"

namespace velmora {

namespace {

// The bytes the phone actually delivered: no more than reported, no more than the buffer.
std::span<const std::uint8_t> Delivered(std::span<const std::uint8_t> reply,
                                        std::int32_t replyLength) {
    if (replyLength <= 0) return {};
    return reply.first(std::min(reply.size(), static_cast<std::size_t>(replyLength)));
}

// A NUL-terminated text that must end inside its field.
FsacResult<std::string> FieldText(std::span<const std::uint8_t> field) {
    const auto nul = std::find(field.begin(), field.end(), std::uint8_t{0});
    if (nul == field.end()) return FsacError::BadReply;
    return std::string(field.begin(), nul);
}

}  // namespace

FsacResult<std::uint16_t> ParseSearchStartReply(std::span<const std::uint8_t> reply,
                                                std::int32_t replyLength) {
    const auto data = Delivered(reply, replyLength);
    if (data.size() < kSearchStartReplySize) return FsacError::ShortReply;
    return GetBe16(data, 0);
}

FsacResult<FsacEntryRecord> ParseSearchNextEntry(std::span<const std::uint8_t> reply,
                                                 std::int32_t replyLength) {
    const auto data = Delivered(reply, replyLength);
    if (data.size() < kSearchNextEntryReplySize) return FsacError::ShortReply;
    auto path = FieldText(data.subspan(kEntryPathOffset, kEntryPathField));
    if (!path) return path.Error();
    FsacEntryRecord entry;
    entry.name = std::move(path).Value();
    entry.attributes = GetBe16(data, kEntryAttributesOffset);
    entry.secondValue = GetBe16(data, kEntrySecondOffset);
    entry.size = GetBe32(data, kEntrySizeOffset);
    return entry;
}

FsacResult<std::vector<FsacEntryRecord>> ParseSearchNextRecords(std::span<const std::uint8_t> reply,
                                                                std::int32_t replyLength,
                                                                std::int64_t stillExpected) {
    const auto data = Delivered(reply, replyLength);
    if (data.size() < kSearchNextRecordsOffset) return FsacError::ShortReply;
    const std::size_t count = GetBe16(data, 0);
    // A count of 0 would never finish a listing; more than expected would overrun it.
    if (count == 0 || static_cast<std::int64_t>(count) > stillExpected) {
        return FsacError::BadReply;
    }
    if ((data.size() - kSearchNextRecordsOffset) / kSearchNextRecordSize < count) {
        return FsacError::ShortReply;
    }
    std::vector<FsacEntryRecord> records;
    records.reserve(count);
    for (std::size_t m = 0; m < count; ++m) {
        const auto record = data.subspan(kSearchNextRecordsOffset + m * kSearchNextRecordSize,
                                         kSearchNextRecordSize);
        auto name = FieldText(record.first(kRecordNameField));
        if (!name) return name.Error();
        FsacEntryRecord entry;
        entry.name = std::move(name).Value();
        entry.attributes = GetBe16(record, kRecordAttributesOffset);
        entry.secondValue = GetBe16(record, kRecordSecondOffset);
        entry.size = GetBe32(record, kRecordSizeOffset);
        records.push_back(std::move(entry));
    }
    return records;
}

FsacResult<FsacVersion> ParseVersionReply(std::span<const std::uint8_t> reply,
                                          std::int32_t replyLength) {
    const auto data = Delivered(reply, replyLength);
    if (data.size() < kVersionReplySize) return FsacError::ShortReply;
    return FsacVersion{data[0], data[1]};
}

std::vector<std::string> ParseVolumesReply(std::span<const std::uint8_t> reply,
                                           std::int32_t replyLength) {
    const auto data = Delivered(reply, replyLength);
    const std::size_t units = data.size() / 2;
    std::vector<std::string> names;
    // "while 3k < u - 2": a name needs its two character units and the terminator unit.
    for (std::size_t k = 0; 3 * k + 2 < units; ++k) {
        std::string name;
        for (std::size_t unit = 3 * k; unit < 3 * k + 2; ++unit) {
            const auto c = data[2 * unit + 1];
            if (c == 0) break;  // a C text ends at its NUL
            name.push_back(static_cast<char>(c));
        }
        names.push_back(std::move(name));
    }
    return names;
}

FsacResult<std::int32_t> ParseFreeSpaceReply(std::span<const std::uint8_t> reply,
                                             std::int32_t replyLength) {
    const auto data = Delivered(reply, replyLength);
    if (data.size() < kFreeSpaceReplySize) return FsacError::ShortReply;
    return static_cast<std::int32_t>(GetBe32(data, 0));
}

std::span<const std::uint8_t> ReadReplyData(std::span<const std::uint8_t> reply,
                                            std::int32_t replyLength, std::uint32_t asked) {
    const auto data = Delivered(reply, replyLength);
    return data.first(std::min<std::size_t>(data.size(), asked));
}

}  // namespace velmora
