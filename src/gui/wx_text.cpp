#include "gui/wx_text.h"

#include "base/phone_text.h"

namespace velmora {

wxString FromUtf8(std::string_view text) {
    if (text.empty()) return {};
    wxString converted = wxString::FromUTF8(text.data(), text.size());
    if (!converted.empty()) return converted;
    const std::string decoded = DecodePhoneText(text);
    return wxString::FromUTF8(decoded.data(), decoded.size());
}

std::string ToUtf8(const wxString& text) {
    const auto utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

}  // namespace velmora
