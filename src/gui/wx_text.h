// Texts between the models (UTF-8 bytes) and wx. Phone names are bytes the phone chose: one
// that is not UTF-8 still shows, read as the Russian Windows code page the phones' names were
// written in, instead of vanishing (wx gives an empty string for invalid UTF-8).
#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

namespace velmora {

wxString FromUtf8(std::string_view text);
std::string ToUtf8(const wxString& text);

}  // namespace velmora
