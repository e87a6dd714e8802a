#include "gui/about_dialog.h"

#include <wx/dcclient.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "base/lang_string.h"
#include "gui/hyperlink_ctrl.h"
#include "gui/icons.h"
#include "ui/command_line.h"

namespace velmora {
namespace {

constexpr int kStrAboutTitle = 630;
constexpr int kStrAboutLine = 631;
constexpr int kStrSupportSite = 187;
constexpr int kStrAuthors = 188;

const wxColour kBoxColour(245, 245, 245);
const wxColour kBorderColour(128, 128, 128);

wxString Lang(int id) {
    return wxString::FromUTF8(LoadLangString(id));
}

}  // namespace

AboutDialog::AboutDialog(wxWindow* parent, Shell& shell, Prompts& prompts)
    : wxDialog(parent, wxID_ANY, Lang(kStrAboutTitle), wxDefaultPosition, wxDefaultSize,
               wxBORDER_SIMPLE, "AboutDialog") {
    SetBackgroundColour(kBoxColour);
    SetForegroundColour(*wxBLACK);
    SetFont(wxFontInfo(8).Family(wxFONTFAMILY_SWISS).FaceName("Arial"));

    auto colour = [](auto* w) {
        w->SetBackgroundColour(kBoxColour);
        w->SetForegroundColour(*wxBLACK);
        return w;
    };
    // Statics pass a release on to the box, as if it had been made on the box itself.
    auto passClicks = [this, colour](auto* w) {
        colour(w);
        w->Bind(wxEVT_LEFT_UP, &AboutDialog::OnReleaseOnBox, this);
        return w;
    };
    auto link = [&](int id, const char* text, const std::string& target) {
        auto* ctrl = new HyperLinkCtrl(this, id, wxString::FromUTF8(text), shell, prompts);
        colour(ctrl);
        ctrl->SetTarget(wxString::FromUTF8(target));
        ctrl->SetUnderlineMode(HyperLink::kUnderlineAlways);
        return ctrl;
    };

    auto* icon = passClicks(new wxStaticBitmap(this, kAboutIconId, MainArtwork()));
    auto* version =
        passClicks(new wxStaticText(this, kAboutVersionId, Lang(kStrVersion), wxDefaultPosition,
                                    wxDefaultSize, wxST_NO_AUTORESIZE));
    version->SetFont(GetFont().Bold());
    auto* line = passClicks(new wxStaticText(this, wxID_ANY, Lang(kStrAboutLine)));
    auto* support = passClicks(new wxStaticText(this, kAboutSupportLabelId, Lang(kStrSupportSite)));
    auto* authors = passClicks(new wxStaticText(this, kAboutAuthorsLabelId, Lang(kStrAuthors)));
    auto* site = link(kAboutSiteLinkId, kSupportSiteText, kSupportSiteTarget);
    auto* first =
        link(kAboutFirstAuthorLinkId, kFirstAuthorName, std::string("mailto:") + kFirstAuthorMail);
    auto* second = link(kAboutSecondAuthorLinkId, kSecondAuthorName,
                        std::string("mailto:") + kSecondAuthorMail);
    auto* picture = passClicks(new wxStaticBitmap(this, kAboutPictureId, AboutPicture()));

    const int gap = ConvertDialogToPixels(wxSize(4, 0)).x;
    auto* links = new wxFlexGridSizer(2, wxSize(gap, gap / 2));
    links->Add(support, 0, wxALIGN_CENTRE_VERTICAL);
    links->Add(site, 0, wxALIGN_CENTRE_VERTICAL);
    links->Add(authors, 0, wxALIGN_CENTRE_VERTICAL);
    auto* authorLinks = new wxBoxSizer(wxHORIZONTAL);
    authorLinks->Add(first, 0, wxALIGN_CENTRE_VERTICAL | wxRIGHT, 2 * gap);
    authorLinks->Add(second, 0, wxALIGN_CENTRE_VERTICAL);
    links->Add(authorLinks, 0, wxALIGN_CENTRE_VERTICAL);

    auto* texts = new wxBoxSizer(wxVERTICAL);
    texts->Add(version, 0, wxBOTTOM, gap / 2);
    texts->Add(line, 0, wxBOTTOM, gap);
    texts->Add(links);

    auto* box = new wxBoxSizer(wxHORIZONTAL);
    box->Add(icon, 0, wxALL, 2 * gap);
    box->Add(texts, 1, wxTOP | wxBOTTOM | wxALIGN_CENTRE_VERTICAL, 2 * gap);
    box->Add(picture, 0, wxALL | wxALIGN_CENTRE_VERTICAL, 2 * gap);

    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(box, 1, wxEXPAND);
    outer->SetMinSize(ConvertDialogToPixels(wxSize(328, 59)));
    SetSizerAndFit(outer);
    CentreOnParent();

    Bind(wxEVT_CHAR_HOOK, &AboutDialog::OnCharHook, this);
    Bind(wxEVT_LEFT_UP, &AboutDialog::OnReleaseOnBox, this);
    Bind(wxEVT_PAINT, &AboutDialog::OnPaint, this);
}

void AboutDialog::OnCharHook(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE:
            EndModal(wxID_CANCEL);
            break;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            EndModal(wxID_OK);
            break;
        default:
            event.Skip();
    }
}

void AboutDialog::OnReleaseOnBox(wxMouseEvent&) {
    if (IsModal()) EndModal(wxID_OK);
}

void AboutDialog::OnPaint(wxPaintEvent&) {
    // Without a caption the window manager draws no frame; the box draws its own border.
    wxPaintDC dc(this);
    dc.SetPen(wxPen(kBorderColour));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(GetClientRect());
}

void ShowAboutDialog(wxWindow* parent, Shell& shell, Prompts& prompts) {
    AboutDialog dialog(parent, shell, prompts);
    dialog.ShowModal();
}

}  // namespace velmora
