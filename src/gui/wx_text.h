// Texts between the models (UTF-8 bytes) and wx. A text that is not UTF-8 can only be phone
// bytes that reached a view undecoded: it still shows, read as the phone's code page, instead
// of vanishing (wx gives an empty string for invalid UTF-8).
#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

namespace velmora {

wxString FromUtf8(std::string_view text);
std::string ToUtf8(const wxString& text);

}  // namespace velmora
