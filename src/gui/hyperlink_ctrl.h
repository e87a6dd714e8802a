// A static text that opens its target when clicked: draws the HyperLink state (font, hover)
// and forwards the pointer to it.
#pragma once

#include <wx/control.h>
#include <wx/font.h>
#include <wx/timer.h>

#include "base/prompts.h"
#include "base/shell.h"
#include "ui/hyperlink.h"

namespace velmora {

class HyperLinkCtrl : public wxControl {
  public:
    // style takes wxALIGN_LEFT, wxALIGN_CENTRE_HORIZONTAL or wxALIGN_RIGHT, and
    // wxALIGN_CENTRE_VERTICAL to keep the vertical centre when the control is sized.
    HyperLinkCtrl(wxWindow* parent, wxWindowID id, const wxString& text, Shell& shell,
                  Prompts& prompts, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize, long style = wxALIGN_LEFT);
    ~HyperLinkCtrl() override;

    void SetTarget(const wxString& target);
    void SetUnderlineMode(int mode);

    wxString Target() const { return wxString::FromUTF8(m_link.Target()); }
    // What a click does: opens the target, or beeps and shows why it could not.
    void Click();

    bool SetFont(const wxFont& font) override;
    bool AcceptsFocus() const override { return false; }
    bool ShouldInheritColours() const override { return true; }

  protected:
    wxSize DoGetBestClientSize() const override;

  private:
    void TakeFont(wxFont font);
    void AutoSize();
    void UpdateTooltip();
    void OnPaint(wxPaintEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnHoverTimer(wxTimerEvent& event);
    bool PointerInside() const;

    Shell& m_shell;
    Prompts& m_prompts;
    HyperLink m_link;
    wxFont m_normalFont;
    wxFont m_underlinedFont;
    wxTimer m_hoverTimer;
    bool m_pressed = false;
};

}  // namespace velmora
