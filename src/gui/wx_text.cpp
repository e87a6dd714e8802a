#include "gui/wx_text.h"

#include <wx/strconv.h>

namespace velmora {

wxString FromUtf8(std::string_view text) {
    if (text.empty()) return {};
    wxString converted = wxString::FromUTF8(text.data(), text.size());
    if (!converted.empty()) return converted;
    static const wxCSConv cp1251("windows-1251");
    converted = wxString(text.data(), cp1251, text.size());
    // The one byte the code page leaves unassigned (0x98) fails it: every byte maps in Latin-1.
    if (converted.empty()) converted = wxString(text.data(), wxConvISO8859_1, text.size());
    return converted;
}

std::string ToUtf8(const wxString& text) {
    const auto utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

}  // namespace velmora
