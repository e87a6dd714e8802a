// The small file system a fresh emulated phone starts with: pictures, ringtones, Java apps,
// skins and a text file, generated here so that the contents are deterministic.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

struct SampleFile {
    std::string path;  // phone path: "/a/mobile/picture/sunset.bmp", a bare name on FLASH
    std::vector<std::uint8_t> contents;
    std::uint16_t attributes = 0;
};

std::vector<SampleFile> SampleFiles(bool flash);

// Building blocks, exposed for tests.
std::vector<std::uint8_t> MakeBmp(int width, int height, std::uint32_t seed);
std::vector<std::uint8_t> MakeGif(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
std::vector<std::uint8_t> MakePng(int width, int height, std::uint32_t seed);
std::vector<std::uint8_t> MakeMidi(const std::vector<std::uint8_t>& notes, std::uint8_t program);
// A zip archive with stored (uncompressed) members.
std::vector<std::uint8_t> MakeZip(const std::vector<std::pair<std::string, std::string>>& members);
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);

}  // namespace velmora
