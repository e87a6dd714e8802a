// The about box: icon, name and version, the support site and the authors as links. Built
// anew for every showing.
#pragma once

#include <wx/dialog.h>

#include "base/prompts.h"
#include "base/shell.h"

namespace velmora {

inline constexpr int kAboutPictureId = 1028;
inline constexpr int kAboutIconId = 1029;
inline constexpr int kAboutSupportLabelId = 1030;
inline constexpr int kAboutAuthorsLabelId = 1031;
inline constexpr int kAboutVersionId = 1032;
inline constexpr int kAboutSiteLinkId = 1033;
inline constexpr int kAboutFirstAuthorLinkId = 1034;
inline constexpr int kAboutSecondAuthorLinkId = 1035;

inline constexpr char kSupportSiteText[] = "www.velmora.example.org";
inline constexpr char kSupportSiteTarget[] = "http://www.velmora.example.org";
inline constexpr char kFirstAuthorName[] = "Velmora developers";
inline constexpr char kFirstAuthorMail[] = "developers@velmora.example.org";
inline constexpr char kSecondAuthorName[] = "Velmora translators";
inline constexpr char kSecondAuthorMail[] = "translators@velmora.example.org";

class AboutDialog : public wxDialog {
  public:
    AboutDialog(wxWindow* parent, Shell& shell, Prompts& prompts);

  private:
    void OnCharHook(wxKeyEvent& event);
    void OnReleaseOnBox(wxMouseEvent& event);
    void OnPaint(wxPaintEvent& event);
};

// Shows the box modally; returns when the user closes it.
void ShowAboutDialog(wxWindow* parent, Shell& shell, Prompts& prompts);

}  // namespace velmora
