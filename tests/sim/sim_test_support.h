// Helpers for the emulated phone's tests: FSAC requests spelled out byte by byte, and a
// library with one phone ready for commands.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "sim/simulated_pst.h"
#include "support/temp_folder.h"

namespace velmora::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Be32(std::uint32_t v) {
    Bytes out;
    AppendBe32(out, v);
    return out;
}
inline Bytes TextBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}
// The parts one after another, zero-filled up to padTo.
inline Bytes Record(std::initializer_list<Bytes> parts, std::size_t padTo = 0) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    out.resize(std::max(padTo, out.size()), 0);
    return out;
}
inline Bytes OpCode(std::uint8_t op) {
    return Be32(op);
}

// Fixed-length records carry the path, NUL, NUL and filler.
inline Bytes OpenRequest(const std::string& path, std::uint32_t attributes = 0xFFFFFFFF) {
    return Record({OpCode(0), Be32(attributes), TextBytes(path), {0, 0}}, 270);
}
inline Bytes ReadRequest(std::uint32_t count) {
    return Record({OpCode(1), Be32(count), {0, 0}});
}
inline Bytes WriteRequest(const std::string& data) {
    return Record({OpCode(2), Be32(static_cast<std::uint32_t>(data.size())), TextBytes(data)});
}
inline Bytes CloseRequest() {
    return OpCode(4);
}
inline Bytes DeleteRequest(const std::string& path) {
    return Record({OpCode(5), TextBytes(path), {0, 0}}, 266);
}

// The pattern as the client builds it: folder part, FF FE unless flash, mask, 00 00.
inline Bytes SearchStartRequest(const std::string& text, bool separator = true) {
    Bytes r = OpCode(7);
    const std::size_t slash = text.rfind('/');
    const std::size_t split = slash == std::string::npos ? 0 : slash + 1;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == split && separator) r.insert(r.end(), {0xFF, 0xFE});
        r.insert(r.end(), {0x00, static_cast<std::uint8_t>(i < text.size() ? text[i] : 0)});
    }
    return r;
}

inline Bytes SearchNextRequest(bool single) {
    return {0, 0, 0, 8, static_cast<std::uint8_t>(single ? 1 : 0), 0, 0};
}
inline Bytes VersionRequest() {
    return {0, 0, 0, 9, 0, 0};
}
inline Bytes VolumesRequest() {
    return {0, 0, 0, 10, 0, 0};
}
inline Bytes FreeSpaceRequest(char letter) {
    return {0, 0, 0, 11, 0, 7, static_cast<std::uint8_t>(letter), '/', 0, 0};
}
inline const Bytes kRdelemRequest = {0x01, 0x17, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10};

inline std::uint32_t Be32At(const Bytes& b, std::size_t at) {
    return GetBe32(b, at);
}
inline std::uint16_t Be16At(const Bytes& b, std::size_t at) {
    return GetBe16(b, at);
}
inline std::string TextAt(const Bytes& b, std::size_t at, std::size_t room) {
    std::string text;
    for (std::size_t i = at; i < at + room && i < b.size() && b[i] != 0; ++i) {
        text.push_back(static_cast<char>(b[i]));
    }
    return text;
}

// For a library started with a window that wants no notifications.
class NoSink : public PstNotificationSink {
  public:
    void OnDeviceListChanged() override {}
};

// Counts notifications; with a library set, also records how many devices a poll at each
// notification finds.
class CountingSink : public PstNotificationSink {
  public:
    void OnDeviceListChanged() override {
        if (SimulatedPst* polled = library.load()) {
            std::vector<std::uint16_t> devices;
            polled->PSTGetDeviceList(devices);
            std::lock_guard lock(m_mutex);
            m_seen.push_back(devices.size());
        }
        ++count;
    }
    std::vector<std::size_t> Seen() const {
        std::lock_guard lock(m_mutex);
        return m_seen;
    }
    std::atomic<int> count{0};
    std::atomic<SimulatedPst*> library{nullptr};

  private:
    mutable std::mutex m_mutex;
    std::vector<std::size_t> m_seen;
};

struct SendResult {
    std::int32_t rc = -1;
    Bytes reply;  // the bytes the library delivered
    std::int32_t length = -1;
};

inline SimPhoneConfig TestPhone(const std::filesystem::path& image, std::uint16_t id = 1) {
    SimPhoneConfig phone;
    phone.deviceId = id;
    phone.image = image;
    return phone;
}

inline SimPhoneConfig FlashPhone(const std::filesystem::path& image, std::uint16_t id = 1) {
    SimPhoneConfig phone = TestPhone(image, id);
    phone.model = "T720";
    phone.fsacMajor = 1;
    phone.fsacMinor = 5;
    phone.flashCapacity = 100000;
    return phone;
}

// A started library over the given phones, the first one addressed by Send.
class Rig {
  public:
    explicit Rig(std::vector<SimPhoneConfig> phones, std::filesystem::path trace = {}) {
        SimConfig config;
        config.phones = std::move(phones);
        config.tracePath = std::move(trace);
        config.restartDelay = std::chrono::milliseconds(20);
        library = std::make_unique<SimulatedPst>(std::move(config));
        EXPECT_EQ(library->PSTInitializeEx(kInterfaceUsb, &sink), 0);
    }

    SendResult Send(const Bytes& request, std::size_t replySize = 884, const char* command = "FSAC",
                    std::uint16_t device = 1) {
        std::uint32_t handle = 0;
        SendResult result;
        if (library->PSTGetInterfaceHandle(device, kTestCommandInterface, handle) != 0) {
            return result;
        }
        Bytes reply(replySize, 0xEE);
        result.rc =
            library->PSTSendCommand(device, handle, command, request, reply, result.length, device);
        const auto delivered = static_cast<std::size_t>(
            std::clamp<std::int32_t>(result.length, 0, static_cast<std::int32_t>(replySize)));
        reply.resize(delivered);
        result.reply = std::move(reply);
        return result;
    }

    std::int32_t Upload(const std::string& path, const std::string& data,
                        std::uint32_t attributes = 0xFFFFFFFF) {
        if (std::int32_t rc = Send(OpenRequest(path, attributes), 2).rc) return rc;
        for (std::size_t at = 0; at < data.size(); at += 1024) {
            if (std::int32_t rc = Send(WriteRequest(data.substr(at, 1024)), 2).rc) {
                Send(CloseRequest(), 2);  // a refused write still closes, as the jobs do
                return rc;
            }
        }
        return Send(CloseRequest(), 2).rc;
    }

    std::string Download(const std::string& path) {
        if (Send(OpenRequest(path), 2).rc != 0) return "<open failed>";
        std::string data;
        for (;;) {
            SendResult chunk = Send(ReadRequest(1024), 1024);
            if (chunk.rc != 0) break;
            data.append(chunk.reply.begin(), chunk.reply.end());
        }
        Send(CloseRequest(), 2);
        return data;
    }

    // Search start, then search next for every announced entry: the reported paths.
    std::vector<std::string> Search(const std::string& text, bool separator = true) {
        SendResult start = Send(SearchStartRequest(text, separator), 2);
        std::vector<std::string> found;
        if (start.rc != 0) return {"<search failed>"};
        const std::uint16_t count = Be16At(start.reply, 0);
        for (std::uint16_t i = 0; i < count; ++i) {
            SendResult next = Send(SearchNextRequest(true));
            if (next.rc != 0) break;
            found.push_back(TextAt(next.reply, 4, 260));
        }
        return found;
    }

    CountingSink sink;
    std::unique_ptr<SimulatedPst> library;
};

// One phone, device id 1, with the sample files, its image below folder.
inline SimConfig SamplePhoneConfig(const std::filesystem::path& folder) {
    SimPhoneConfig phone;
    phone.deviceId = 1;
    phone.image = folder / "phone";
    phone.seedSample = true;
    SimConfig config;
    config.phones = {phone};
    return config;
}

}  // namespace velmora::test
