#include "gui/hyperlink_ctrl.h"

#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/utils.h>

namespace velmora {
namespace {

constexpr long kAlignMask = wxALIGN_RIGHT | wxALIGN_CENTRE_HORIZONTAL | wxALIGN_CENTRE_VERTICAL;

}  // namespace

HyperLinkCtrl::HyperLinkCtrl(wxWindow* parent, wxWindowID id, const wxString& text, Shell& shell,
                             Prompts& prompts, const wxPoint& pos, const wxSize& size, long style)
    : m_shell(shell), m_prompts(prompts), m_hoverTimer(this, HyperLink::kHoverTimerId) {
    Create(parent, id, pos, size, style | wxBORDER_NONE);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    // The hand shows over the link; a theme without one leaves the normal pointer.
    SetCursor(wxCursor(wxCURSOR_HAND));

    m_link.Attach(text.utf8_string());
    SetLabel(wxString::FromUTF8(m_link.Text()));
    TakeFont(GetFont());
    UpdateTooltip();

    Bind(wxEVT_PAINT, &HyperLinkCtrl::OnPaint, this);
    Bind(wxEVT_MOTION, &HyperLinkCtrl::OnMotion, this);
    Bind(wxEVT_LEFT_DOWN, &HyperLinkCtrl::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &HyperLinkCtrl::OnLeftUp, this);
    Bind(wxEVT_TIMER, &HyperLinkCtrl::OnHoverTimer, this, HyperLink::kHoverTimerId);
}

HyperLinkCtrl::~HyperLinkCtrl() {
    m_hoverTimer.Stop();
}

bool HyperLinkCtrl::SetFont(const wxFont& font) {
    if (!wxControl::SetFont(font)) return false;
    TakeFont(font);
    Refresh();
    return true;
}

void HyperLinkCtrl::TakeFont(wxFont font) {
    if (!font.IsOk()) font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    m_normalFont = font;
    m_underlinedFont = font.Underlined();
    AutoSize();
}

void HyperLinkCtrl::SetTarget(const wxString& target) {
    m_link.SetTarget(target.utf8_string());
    AutoSize();
    UpdateTooltip();
}

void HyperLinkCtrl::SetUnderlineMode(int mode) {
    if (m_link.SetUnderlineMode(mode)) Refresh();
}

void HyperLinkCtrl::Click() {
    m_link.Clicked();
    const ShellResult result = OpenHyperLinkTarget(m_shell, m_link.Target());
    if (!result.ok) {
        wxBell();
        m_prompts.MessageBox(HyperLinkFailureBox(result.error));
    } else {
        Refresh();
    }
}

wxSize HyperLinkCtrl::DoGetBestClientSize() const {
    wxClientDC dc(const_cast<HyperLinkCtrl*>(this));
    // The underlined font is the wider of the two, so hovering never clips the text.
    dc.SetFont(m_underlinedFont.IsOk() ? m_underlinedFont : GetFont());
    return dc.GetMultiLineTextExtent(GetLabel());
}

void HyperLinkCtrl::AutoSize() {
    InvalidateBestSize();
    const wxSize text = DoGetBestClientSize();
    const wxRect old = GetRect();
    const long style = GetWindowStyle();
    const LinkAlign align = (style & wxALIGN_RIGHT)               ? LinkAlign::Right
                            : (style & wxALIGN_CENTRE_HORIZONTAL) ? LinkAlign::Centre
                                                                  : LinkAlign::Left;
    const LinkRect rect = AutoSizeRect({old.x, old.y, old.width, old.height}, text.x, text.y, align,
                                       (style & wxALIGN_CENTRE_VERTICAL) != 0);
    SetMinSize(ClientToWindowSize(text));
    SetSize(rect.x, rect.y, rect.width, rect.height);
}

void HyperLinkCtrl::UpdateTooltip() {
    SetToolTip(wxString::FromUTF8(m_link.Tooltip()));
}

void HyperLinkCtrl::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    dc.SetFont(m_link.Underlined() ? m_underlinedFont : m_normalFont);
    dc.SetTextForeground(GetForegroundColour());
    dc.DrawLabel(GetLabel(), GetClientRect(), static_cast<int>(GetWindowStyle() & kAlignMask));
}

void HyperLinkCtrl::OnMotion(wxMouseEvent& event) {
    if (m_link.MouseMoved()) {
        Refresh();
        m_hoverTimer.Start(HyperLink::kHoverTimerMs);
    }
    event.Skip();
}

void HyperLinkCtrl::OnLeftDown(wxMouseEvent& event) {
    m_pressed = true;
    event.Skip();
}

void HyperLinkCtrl::OnLeftUp(wxMouseEvent& event) {
    // Not skipped: the release belongs to the link, not to the window behind it.
    const bool click = m_pressed && GetClientRect().Contains(event.GetPosition());
    m_pressed = false;
    if (click) Click();
}

void HyperLinkCtrl::OnHoverTimer(wxTimerEvent&) {
    if (m_link.HoverTick(PointerInside())) {
        m_hoverTimer.Stop();
        Refresh();
    }
}

bool HyperLinkCtrl::PointerInside() const {
    return GetClientRect().Contains(ScreenToClient(wxGetMousePosition()));
}

}  // namespace velmora
