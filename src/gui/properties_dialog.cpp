#include "gui/properties_dialog.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "base/lang_string.h"
#include "gui/type_icons.h"
#include "gui/wx_text.h"

namespace velmora {
namespace {

const wxColour kDialogColour(245, 245, 245);

// The template's size and positions, in dialog units.
const wxSize kTemplateSize(212, 210);

struct Place {
    int x, y, width, height;
};

wxBitmap SelectionIcon(const PropertiesModel& model) {
    if (model.SeveralIcon()) {
        wxBitmap several = wxArtProvider::GetBitmap(wxART_COPY, wxART_OTHER, wxSize(32, 32));
        if (several.IsOk()) return several;
    } else if (model.Icon()) {
        return ToBitmap(model.Icon());
    }
    return ToBitmap(DrawnFileIcon(32));
}

wxCheckBoxState ToWx(CheckState state) {
    switch (state) {
        case CheckState::Set:
            return wxCHK_CHECKED;
        case CheckState::Mixed:
            return wxCHK_UNDETERMINED;
        case CheckState::Clear:
            break;
    }
    return wxCHK_UNCHECKED;
}

CheckState FromWx(wxCheckBoxState state) {
    switch (state) {
        case wxCHK_CHECKED:
            return CheckState::Set;
        case wxCHK_UNDETERMINED:
            return CheckState::Mixed;
        case wxCHK_UNCHECKED:
            break;
    }
    return CheckState::Clear;
}

}  // namespace

PropertiesDialog::PropertiesDialog(wxWindow* parent, PropertiesModel& model)
    : wxDialog(parent, wxID_ANY, FromUtf8(LoadLangString(kStrPropertiesTitle)), wxDefaultPosition,
               wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, kPropertiesDialogName),
      m_model(model) {
    // The template's 8-point shell font; dialog units are measured in it.
    SetFont(wxFont(wxFontInfo(8).Family(wxFONTFAMILY_SWISS)));
    SetBackgroundColour(kDialogColour);
    SetForegroundColour(*wxBLACK);
    auto at = [this](const Place& p) {
        return std::pair{ConvertDialogToPixels(wxPoint(p.x, p.y)),
                         ConvertDialogToPixels(wxSize(p.width, p.height))};
    };
    // Statics, read-only fields, buttons and boxes in the dialog's colours; the name field keeps
    // the system's.
    auto coloured = [](wxWindow* w) {
        w->SetBackgroundColour(kDialogColour);
        w->SetForegroundColour(*wxBLACK);
        return w;
    };
    auto label = [&](int id, const Place& p) {
        auto [pos, size] = at(p);
        coloured(
            new wxStaticText(this, id, FromUtf8(m_model.Text(id)), pos, size, wxST_NO_AUTORESIZE));
    };
    auto field = [&](int id, const Place& p) {
        auto [pos, size] = at(p);
        coloured(new wxTextCtrl(this, id, FromUtf8(m_model.Text(id)), pos, size,
                                wxTE_READONLY | wxBORDER_NONE));
    };
    auto line = [&](int id, const Place& p) {
        auto [pos, size] = at(p);
        new wxStaticLine(this, id, pos, wxSize(size.x, 1), wxLI_HORIZONTAL);
    };

    {
        auto [pos, size] = at({13, 11, 20, 20});
        new wxStaticBitmap(this, kIdPropertiesIcon, SelectionIcon(m_model), pos, size);
    }
    {
        auto [pos, size] = at({44, 15, 154, 14});
        // Read-only: the phone has no rename, so an edit would be thrown away.
        new wxTextCtrl(this, kIdPropertiesName, FromUtf8(m_model.Text(kIdPropertiesName)), pos,
                       size, wxTE_READONLY);
    }
    line(1015, {11, 43, 189, 1});
    label(kIdPropertiesTypeLabel, {11, 51, 40, 8});
    field(kIdPropertiesType, {51, 51, 148, 14});
    line(1017, {11, 65, 189, 1});
    label(kIdPropertiesLocationLabel, {12, 73, 30, 8});
    field(kIdPropertiesLocation, {44, 73, 156, 14});
    label(kIdPropertiesSizeLabel, {12, 91, 28, 8});
    field(kIdPropertiesSize, {44, 91, 158, 14});
    line(1012, {11, 129, 189, 1});
    label(kIdPropertiesAttributesLabel, {11, 138, 44, 8});

    const Place boxPlaces[] = {{97, 137, 39, 10},
                               {143, 137, 46, 10},
                               {97, 153, 33, 10},
                               {143, 153, 39, 10},
                               {97, 169, 80, 10}};
    for (std::size_t b = 0; b < kAttributeBoxes.size(); ++b) {
        const AttributeBox& spec = kAttributeBoxes[b];
        auto [pos, size] = at(boxPlaces[b]);
        const long style = m_model.ThreeState(spec.id)
                               ? wxCHK_3STATE | wxCHK_ALLOW_3RD_STATE_FOR_USER
                               : wxCHK_2STATE;
        auto* box = new wxCheckBox(this, spec.id, FromUtf8(LoadLangString(spec.captionString)), pos,
                                   wxDefaultSize, style);
        // GTK draws indicator and caption no smaller than the theme says, even where the
        // template's units come to fewer pixels.
        const wxSize best = box->GetBestSize();
        box->SetSize(wxSize(std::max(size.x, best.x), std::max(size.y, best.y)));
        coloured(box);
        if (box->Is3State()) {
            box->Set3StateValue(ToWx(m_model.State(spec.id)));
        } else {
            box->SetValue(m_model.State(spec.id) == CheckState::Set);
        }
        box->Bind(wxEVT_CHECKBOX, &PropertiesDialog::OnBox, this);
    }

    {
        auto [pos, size] = at({97, 188, 50, 14});
        auto* ok = new wxButton(this, kPropertiesOkId, FromUtf8(LoadLangString(kStrOk)), pos, size);
        coloured(ok);
        ok->SetDefault();
    }
    {
        auto [pos, size] = at({151, 188, 50, 14});
        coloured(new wxButton(this, kPropertiesCancelId,
                              FromUtf8(m_model.Text(kPropertiesCancelId)), pos, size));
    }
    SetAffirmativeId(kPropertiesOkId);
    SetEscapeId(kPropertiesCancelId);
    SetClientSize(ConvertDialogToPixels(kTemplateSize));
    CentreOnParent();
}

void PropertiesDialog::OnBox(wxCommandEvent& event) {
    auto* box = dynamic_cast<wxCheckBox*>(event.GetEventObject());
    if (!box) return;
    m_model.SetState(box->GetId(), box->Is3State()
                                       ? FromWx(box->Get3StateValue())
                                       : (box->GetValue() ? CheckState::Set : CheckState::Clear));
}

bool ShowPropertiesDialog(wxWindow* parent, PropertiesModel& model) {
    PropertiesDialog dialog(parent, model);
    return dialog.ShowModal() == kPropertiesOkId;
}

}  // namespace velmora
