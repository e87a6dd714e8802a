// A toolkit-free icon: pixels the window's toolkit turns into its own images. Icons for one
// file type are looked up once and shared by handle; an entry holding a handle keeps the
// pixels alive, and dropping an icon is resetting the handle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora {

struct IconImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width * height pixels, 4 bytes each, row by row
    std::string name;                // where it came from (theme icon name), for tips and tests
};

using IconHandle = std::shared_ptr<const IconImage>;

}  // namespace velmora
