#include "sim/sample_content.h"

#include <array>
#include <utility>

namespace velmora {

namespace {

using Bytes = std::vector<std::uint8_t>;

void Le16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Le32(Bytes& out, std::uint32_t v) {
    Le16(out, v & 0xFFFF);
    Le16(out, v >> 16);
}
void Be16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}
void Be32(Bytes& out, std::uint32_t v) {
    Be16(out, v >> 16);
    Be16(out, v & 0xFFFF);
}
void Text(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

Bytes FromText(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A tiny linear congruential generator: same pictures on every machine.
std::uint8_t NextByte(std::uint32_t& state) {
    state = state * 1103515245u + 12345u;
    return static_cast<std::uint8_t>(state >> 16);
}

void PngChunk(Bytes& out, const char* type, const Bytes& data) {
    Be32(out, static_cast<std::uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    Be32(out, Crc32(typed.data(), typed.size()));
}

std::string Jad(const std::string& name, std::size_t jarSize) {
    return "MIDlet-1: " + name + ", , " + name + "\r\nMIDlet-Jar-Size: " + std::to_string(jarSize) +
           "\r\nMIDlet-Jar-URL: " + name + ".jar\r\nMIDlet-Name: " + name +
           "\r\nMIDlet-Vendor: Velmora\r\nMIDlet-Version: 1.0\r\n";
}

Bytes Jar(const std::string& name) {
    return MakeZip(
        {{"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\nMIDlet-1: " + name + ", , " + name +
                                      "\r\nMIDlet-Name: " + name +
                                      "\r\nMIDlet-Vendor: Velmora\r\nMIDlet-Version: 1.0\r\n"
                                      "MicroEdition-Configuration: CLDC-1.0\r\n"
                                      "MicroEdition-Profile: MIDP-2.0\r\n\r\n"},
         {name + ".txt", "A sample application of the emulated phone.\n"}});
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

Bytes MakeBmp(int width, int height, std::uint32_t seed) {
    const std::uint32_t rowSize = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t pixels = rowSize * static_cast<std::uint32_t>(height);
    Bytes out;
    Text(out, "BM");
    Le32(out, 54 + pixels);
    Le32(out, 0);
    Le32(out, 54);
    Le32(out, 40);
    Le32(out, static_cast<std::uint32_t>(width));
    Le32(out, static_cast<std::uint32_t>(height));
    Le16(out, 1);
    Le16(out, 24);
    Le32(out, 0);
    Le32(out, pixels);
    Le32(out, 2835);
    Le32(out, 2835);
    Le32(out, 0);
    Le32(out, 0);
    for (int y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < rowSize; ++x) out.push_back(NextByte(seed));
    }
    return out;
}

Bytes MakeGif(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    // 1 x 1 pixel, two-colour palette, LZW data for a single index 0.
    Bytes out;
    Text(out, "GIF89a");
    Le16(out, 1);
    Le16(out, 1);
    out.insert(out.end(), {0x80, 0x00, 0x00, red, green, blue, 0x00, 0x00, 0x00});
    out.insert(out.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00});
    out.insert(out.end(), {0x02, 0x02, 0x44, 0x01, 0x00, 0x3B});
    return out;
}

Bytes MakePng(int width, int height, std::uint32_t seed) {
    Bytes raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width * 3; ++x) raw.push_back(NextByte(seed));
    }
    // zlib stream with one stored deflate block (the pictures stay below 64 KiB).
    Bytes z = {0x78, 0x01, 0x01};
    Le16(z, static_cast<std::uint32_t>(raw.size()));
    Le16(z, static_cast<std::uint32_t>(~raw.size() & 0xFFFF));
    z.insert(z.end(), raw.begin(), raw.end());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    Be32(z, (b << 16) | a);

    Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    Be32(header, static_cast<std::uint32_t>(width));
    Be32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PngChunk(out, "IHDR", header);
    PngChunk(out, "IDAT", z);
    PngChunk(out, "IEND", {});
    return out;
}

Bytes MakeMidi(const std::vector<std::uint8_t>& notes, std::uint8_t program) {
    Bytes track = {0x00, 0xFF, 0x51,   0x03, 0x07, 0xA1, 0x20,  // tempo 500000 us
                   0x00, 0xC0, program};
    for (std::uint8_t note : notes) {
        track.insert(track.end(), {0x00, 0x90, note, 0x64, 0x60, 0x80, note, 0x40});
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    Bytes out;
    Text(out, "MThd");
    Be32(out, 6);
    Be16(out, 0);
    Be16(out, 1);
    Be16(out, 96);
    Text(out, "MTrk");
    Be32(out, static_cast<std::uint32_t>(track.size()));
    out.insert(out.end(), track.begin(), track.end());
    return out;
}

Bytes MakeZip(const std::vector<std::pair<std::string, std::string>>& members) {
    Bytes out, directory;
    for (const auto& [name, data] : members) {
        const auto offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t crc =
            Crc32(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
        const auto size = static_cast<std::uint32_t>(data.size());
        const auto nameSize = static_cast<std::uint32_t>(name.size());
        // Local header: version 10, no flags, stored, a fixed 1 Jan 2005 timestamp.
        Le32(out, 0x04034B50);
        Le16(out, 10);
        Le16(out, 0);
        Le16(out, 0);
        Le16(out, 0);
        Le16(out, 0x3221);
        Le32(out, crc);
        Le32(out, size);
        Le32(out, size);
        Le16(out, nameSize);
        Le16(out, 0);
        Text(out, name);
        Text(out, data);

        Le32(directory, 0x02014B50);
        Le16(directory, 10);
        Le16(directory, 10);
        Le16(directory, 0);
        Le16(directory, 0);
        Le16(directory, 0);
        Le16(directory, 0x3221);
        Le32(directory, crc);
        Le32(directory, size);
        Le32(directory, size);
        Le16(directory, nameSize);
        Le16(directory, 0);
        Le16(directory, 0);
        Le16(directory, 0);
        Le16(directory, 0);
        Le32(directory, 0);
        Le32(directory, offset);
        Text(directory, name);
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), directory.begin(), directory.end());
    Le32(out, 0x06054B50);
    Le16(out, 0);
    Le16(out, 0);
    Le16(out, static_cast<std::uint32_t>(members.size()));
    Le16(out, static_cast<std::uint32_t>(members.size()));
    Le32(out, static_cast<std::uint32_t>(directory.size()));
    Le32(out, directoryOffset);
    Le16(out, 0);
    return out;
}

std::vector<SampleFile> SampleFiles(bool flash) {
    std::vector<SampleFile> files;
    auto add = [&](const std::string& folder, const std::string& name, Bytes contents,
                   std::uint16_t attributes = 0) {
        files.push_back({flash ? name : folder + name, std::move(contents), attributes});
    };
    const std::string picture = "/a/mobile/picture/";
    add(picture, "sunset.bmp", MakeBmp(16, 12, 1));
    add(picture, "forest.bmp", MakeBmp(24, 16, 2));
    add(picture, "logo.gif", MakeGif(0x20, 0x40, 0xC0));
    add(picture, "smile.gif", MakeGif(0xF0, 0xD0, 0x10));
    add(picture, "wave.png", MakePng(8, 8, 3));
    add(picture, "stars.png", MakePng(12, 10, 4));
    add("/a/mobile/picture/wallpapers/", "city.bmp", MakeBmp(32, 24, 5));
    add("/a/mobile/picture/wallpapers/", "sea.png", MakePng(16, 16, 6));

    const std::string audio = "/a/mobile/audio/";
    add(audio, "ring1.mid", MakeMidi({60, 64, 67, 72}, 0));
    add(audio, "ring2.mid", MakeMidi({72, 67, 64, 60, 64, 67}, 11));
    add(audio, "alarm.mid", MakeMidi({84, 84, 84, 84}, 80));
    add(audio, "scale.mid", MakeMidi({60, 62, 64, 65, 67, 69, 71, 72}, 24));
    add("/a/mobile/ringtones/", "classic.mid", MakeMidi({76, 75, 76, 75, 76, 71, 74, 72}, 0));
    add("/a/mobile/ringtones/", "beep.mid", MakeMidi({88, 88}, 80));

    const std::string kjava = "/a/mobile/kjava/";
    for (const std::string name : {"Snake", "Tetris", "Notes"}) {
        Bytes jar = Jar(name);
        const std::size_t jarSize = jar.size();
        add(kjava, name + ".jar", std::move(jar));
        add(kjava, name + ".jad", FromText(Jad(name, jarSize)));
    }

    add("/a/mobile/skins/", "default.skn", FromText("[skin]\nname=Default\ncolor=0x2040C0\n"),
        0x04);
    add("/a/mobile/skins/", "night.skn", FromText("[skin]\nname=Night\ncolor=0x101020\n"));
    add("/a/mobile/system/", "config.dat", FromText("version=1\nlanguage=en\n"), 0x01 | 0x04);
    add("/a/mobile/system/", "hidden.dat", Bytes(64, 0xA5), 0x02);

    if (!flash) {
        add("/b/", "readme.txt",
            FromText("This is the emulated phone's second volume.\n"
                     "Files uploaded here stay in its image folder.\n"),
            0x20);
        add("/b/photos/", "holiday.bmp", MakeBmp(40, 30, 7), 0x20);
        add("/b/photos/", "party.png", MakePng(20, 15, 8), 0x20 | 0x40);
        add("/b/music/", "theme.mid", MakeMidi({55, 59, 62, 67, 62, 59}, 4));
    } else {
        add("", "readme.txt", FromText("An emulated phone with a FLASH file system.\n"), 0x20);
    }
    return files;
}

}  // namespace velmora
