#include "ui/hyperlink.h"

#include <utility>

#include "base/lang_string.h"
#include "phone/open_channel.h"

namespace velmora {
namespace {

constexpr int kStrCantOpenHyperlink = 526;
constexpr int kStrGoTo = 632;     // "Go to "
constexpr int kStrEmailTo = 633;  // "E-mail "

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(text[i]) != lower(prefix[i])) return false;
    }
    return true;
}

}  // namespace

std::string HyperLinkTooltip(std::string_view target) {
    constexpr std::string_view kHttp = "http://";
    constexpr std::string_view kMailto = "mailto:";
    if (StartsWithNoCase(target, kHttp)) {
        return LoadLangString(kStrGoTo) + std::string(target.substr(kHttp.size()));
    }
    if (target.starts_with(kMailto)) {
        return LoadLangString(kStrEmailTo) + std::string(target.substr(kMailto.size()));
    }
    return std::string(target);
}

std::string HtmlCommandFor(std::string commandLine, const std::string& target) {
    auto cut = commandLine.find("\"%1\"");
    if (cut == std::string::npos) cut = commandLine.find("%1");
    if (cut != std::string::npos) commandLine.erase(cut);
    commandLine += ' ';
    commandLine += target;
    return commandLine;
}

ShellResult OpenHyperLinkTarget(Shell& shell, const std::string& target) {
    ShellResult result = shell.Open(target);
    if (result.ok) return result;
    const auto command = shell.HtmlHandlerCommand();
    // An empty command would run the target itself as a program.
    if (!command || command->find_first_not_of(" \t") == std::string::npos) return result;
    return shell.Run(HtmlCommandFor(*command, target));
}

MessageBoxRequest HyperLinkFailureBox(const std::string& reason) {
    std::string text = LoadLangString(kStrCantOpenHyperlink);
    text += "\n\n";
    text += reason;
    return {std::move(text), kTitleVelmora, PromptIcon::Warning, PromptButtons::Ok};
}

LinkRect AutoSizeRect(const LinkRect& old, int textWidth, int textHeight, LinkAlign align,
                      bool centreVertically) {
    LinkRect rect = old;
    rect.width = textWidth;
    rect.height = textHeight;
    switch (align) {
        case LinkAlign::Left:
            break;
        case LinkAlign::Right:
            rect.x = old.x + old.width - textWidth;
            break;
        case LinkAlign::Centre:
            rect.x = old.x + (old.width - textWidth) / 2;
            break;
    }
    if (centreVertically) rect.y = old.y + (old.height - textHeight) / 2;
    return rect;
}

void HyperLink::Attach(std::string_view controlText) {
    m_text = std::string(controlText);
    if (m_target.empty()) {
        m_target = m_text;
        if (StartsWithNoCase(m_target, "www.")) m_target.insert(0, "http://");
    }
    if (m_text.empty()) m_text = m_target;
    m_underlined = false;
    m_underlineMode = kUnderlineHover;
    m_hover = false;
    m_attached = true;
}

void HyperLink::SetTarget(std::string target) {
    m_target = std::move(target);
}

bool HyperLink::SetUnderlineMode(int mode) {
    const bool redraw = mode != m_underlineMode && m_attached;
    if (redraw) m_underlined = mode == kUnderlineAlways;
    m_underlineMode = mode;
    return redraw;
}

bool HyperLink::MouseMoved() {
    if (m_hover) return false;
    m_hover = true;
    if (m_underlineMode == kUnderlineHover) m_underlined = true;
    return true;
}

bool HyperLink::HoverTick(bool pointerInside) {
    if (pointerInside) return false;
    m_hover = false;
    if (m_underlineMode != kUnderlineAlways) m_underlined = false;
    return true;
}

std::string HyperLink::Tooltip() const {
    return m_tooltipPrefix ? HyperLinkTooltip(m_target) : m_target;
}

}  // namespace velmora
