// The comparisons the list and the tree sort by: texts without regard to case, and numbers
// read the way the C library's text-to-integer conversion reads them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// Lower case for ASCII and for Latin, Greek and Cyrillic letters written in UTF-8. Bytes that
// are not UTF-8 (8-bit phone names) are kept as they are, apart from ASCII letters.
std::string LowerText(std::string_view text);
// Negative, 0 or positive, like strcmp on the lower-cased texts as unsigned bytes.
int CompareText(std::string_view a, std::string_view b);
// Leading blanks, an optional sign, then digits up to the first other character; 0 without
// digits. Held to the 32-bit range the cells are written in.
std::int32_t CellNumber(std::string_view text);
// -1, 0 or 1 by the signed values of both cells.
int CompareNumber(std::string_view a, std::string_view b);

}  // namespace velmora
