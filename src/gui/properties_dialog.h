// The Properties dialog on screen (template 139): renders a PropertiesModel at the template's
// dialog-unit positions in the dialog's own font, and hands the user's box clicks back to it.
#pragma once

#include <wx/dialog.h>

#include "ui/properties_model.h"

class wxCheckBox;

namespace velmora {

inline constexpr int kPropertiesOkId = 1;
inline constexpr int kPropertiesCancelId = 2;
inline constexpr char kPropertiesDialogName[] = "PropertiesDialog";

class PropertiesDialog : public wxDialog {
  public:
    PropertiesDialog(wxWindow* parent, PropertiesModel& model);

  private:
    void OnBox(wxCommandEvent& event);

    PropertiesModel& m_model;
};

// Shows the dialog modally; true when it closed with OK.
bool ShowPropertiesDialog(wxWindow* parent, PropertiesModel& model);

}  // namespace velmora
