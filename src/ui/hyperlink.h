// The link control of the about box without a toolkit: what a link shows and opens, its
// tooltip, the box of a failed open, and the underline/hover state the view renders.
#pragma once

#include <string>
#include <string_view>

#include "base/prompts.h"
#include "base/shell.h"

namespace velmora {

// "Go to " or "E-mail " (in the current language) and the rest for http: and mailto:
// targets, else the target itself.
std::string HyperLinkTooltip(std::string_view target);

// The HTML handler's command line with its page argument replaced by target.
std::string HtmlCommandFor(std::string commandLine, const std::string& target);

// Opens target with the default handler, falling back to the HTML handler's command line.
ShellResult OpenHyperLinkTarget(Shell& shell, const std::string& target);

// The box a failed open shows (exclamation icon), with the desktop's reason.
MessageBoxRequest HyperLinkFailureBox(const std::string& reason);

enum class LinkAlign { Left, Centre, Right };

struct LinkRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const LinkRect&) const = default;
};

// The control's new rectangle so that it just holds a text of textWidth by textHeight:
// alignment keeps the left edge, the centre or the right edge; centreVertically keeps the
// vertical centre instead of the top.
LinkRect AutoSizeRect(const LinkRect& old, int textWidth, int textHeight, LinkAlign align,
                      bool centreVertically);

class HyperLink {
  public:
    static constexpr int kUnderlineHover = -1;
    static constexpr int kUnderlineNever = 0;
    static constexpr int kUnderlineAlways = 1;
    static constexpr int kHoverTimerId = 100;
    static constexpr int kHoverTimerMs = 100;

    // Takes over a control showing controlText: an empty target becomes that text (with
    // "http://" for a "www." address), an empty text shows the target.
    void Attach(std::string_view controlText);
    bool Attached() const { return m_attached; }

    // When attached the view re-sizes the control and updates its tooltip.
    void SetTarget(std::string target);
    // Returns true when the selected font changed and the control needs a redraw.
    bool SetUnderlineMode(int mode);
    void SetTooltipPrefix(bool prefix) { m_tooltipPrefix = prefix; }

    // The pointer moved over the control. True on the first move: redraw and start the
    // hover timer.
    bool MouseMoved();
    // A tick of the hover timer. True when the pointer has left: stop the timer and redraw.
    bool HoverTick(bool pointerInside);
    // A click ends the hover; the view then opens Target().
    void Clicked() { m_hover = false; }

    const std::string& Target() const { return m_target; }
    const std::string& Text() const { return m_text; }
    std::string Tooltip() const;
    int UnderlineMode() const { return m_underlineMode; }
    bool Hovering() const { return m_hover; }
    // Which of the two fonts is selected.
    bool Underlined() const { return m_underlined; }

  private:
    std::string m_target;
    std::string m_text;
    int m_underlineMode = kUnderlineHover;
    bool m_tooltipPrefix = true;
    bool m_attached = false;
    bool m_hover = false;
    bool m_underlined = false;
};

}  // namespace velmora
