// Search replies as the phone sends them, and an icon source that names its icons, for the
// listing and search tests.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/byte_order.h"
#include "base/icon_image.h"

namespace velmora::test {

struct SearchRecord {
    std::string name;
    std::uint16_t attributes = 0x20;
    std::uint16_t secondValue = 0;
    std::uint32_t size = 0;
};

// Search start: the announced count.
inline std::vector<std::uint8_t> CountReply(std::uint16_t count) {
    return {static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count)};
}

// One entry, 272 bytes: the path from byte 4, NUL-terminated unless the path fills its field.
inline std::vector<std::uint8_t> EntryReply(const SearchRecord& r) {
    std::vector<std::uint8_t> reply(272, 0);
    for (std::size_t i = 0; i < r.name.size() && i < 260; ++i) {
        reply[4 + i] = static_cast<std::uint8_t>(r.name[i]);
    }
    PutBe16(reply, 264, r.attributes);
    PutBe16(reply, 266, r.secondValue);
    PutBe32(reply, 268, r.size);
    return reply;
}

// Several 44-byte records behind a count that may lie.
inline std::vector<std::uint8_t> RecordsReply(std::uint16_t declared,
                                              const std::vector<SearchRecord>& records) {
    std::vector<std::uint8_t> reply(4 + 44 * records.size(), 0);
    PutBe16(reply, 0, declared);
    for (std::size_t m = 0; m < records.size(); ++m) {
        const std::size_t at = 4 + 44 * m;
        const auto& r = records[m];
        for (std::size_t i = 0; i < r.name.size() && i < 36; ++i) {
            reply[at + i] = static_cast<std::uint8_t>(r.name[i]);
        }
        PutBe16(reply, at + 36, r.attributes);
        PutBe16(reply, at + 38, r.secondValue);
        PutBe32(reply, at + 40, r.size);
    }
    return reply;
}

// Icons named "large:jpg" or "small:"; counts its lookups and notes the threads that asked.
// Any thread.
class NamingIconSource : public IconSource {
  public:
    IconHandle FileTypeIcon(const std::string& typeText, bool large) override {
        ++lookups;
        {
            std::lock_guard lock(m_mutex);
            m_askers.insert(std::this_thread::get_id());
        }
        auto icon = std::make_shared<IconImage>();
        icon->width = icon->height = large ? 32 : 16;
        icon->name = (large ? "large:" : "small:") + typeText;
        return icon;
    }
    std::set<std::thread::id> Askers() const {
        std::lock_guard lock(m_mutex);
        return m_askers;
    }
    std::atomic<int> lookups{0};

  private:
    mutable std::mutex m_mutex;
    std::set<std::thread::id> m_askers;
};

}  // namespace velmora::test
