// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "gui/accessible_names_gtk.h"

#include <gtk/gtk.h>
#include <wx/listctrl.h>
#include <wx/window.h>

namespace velmora {
namespace {

void SetOn(GtkWidget* widget, const std::string& name, const std::string& description) {
    if (!widget) return;
    AtkObject* accessible = gtk_widget_get_accessible(widget);
    if (!accessible) return;
    atk_object_set_name(accessible, name.c_str());
    atk_object_set_description(accessible, description.c_str());
}

}  // namespace

void SetAccessibleName(wxWindow* window, const std::string& name, const std::string& description) {
    if (!window || name.empty()) return;
    SetOn(window->GetHandle(), name, description);
    // The generic list draws its rows, and takes the focus, in a window of its own.
    if (dynamic_cast<wxListCtrl*>(window)) {
        for (wxWindow* child : window->GetChildren()) {
            if (child->GetClassInfo()->GetClassName() == wxString("wxListMainWindow")) {
                SetOn(child->GetHandle(), name, description);
            }
        }
    }
}

std::string AccessibleName(wxWindow* window) {
    if (!window || !window->GetHandle()) return {};
    AtkObject* accessible = gtk_widget_get_accessible(window->GetHandle());
    const char* name = accessible ? atk_object_get_name(accessible) : nullptr;
    return name ? name : "";
}

}  // namespace velmora
