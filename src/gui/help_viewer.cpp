// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "gui/help_viewer.h"

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/log.h>
#include <wx/treectrl.h>

#include "gui/wx_text.h"

namespace velmora {
namespace {

void AddArchiveHandler() {
    static bool added = false;
    if (added) return;
    added = true;
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
}

// The contents open: the book has few enough topics to show them all.
void ExpandContents(wxWindow* window) {
    for (wxWindow* child : window->GetChildren()) {
        if (auto* tree = dynamic_cast<wxTreeCtrl*>(child)) {
            tree->ExpandAll();
        } else {
            ExpandContents(child);
        }
    }
}

}  // namespace

HelpViewer::HelpViewer() = default;

HelpViewer::~HelpViewer() {
    Close();
}

void HelpViewer::Close() {
    if (!m_controller) return;
    // The controller forgets its frame's window and would leave the frame open: close it here.
    if (wxHtmlHelpFrame* frame = m_controller->GetFrame()) {
        frame->SetController(nullptr);
        frame->Destroy();
    }
    m_controller.reset();
    m_loaded.clear();
}

bool HelpViewer::Show(const std::string& book, const std::string& project,
                      const std::string& language) {
    const std::string key = book + '\n' + project + '\n' + language;
    if (!m_controller || m_loaded != key) {
        AddArchiveHandler();
        // A controller holds its books for good: a new language takes a new one.
        Close();
        // Bookmarks are left out: without a settings file they would not outlive the window.
        auto controller =
            std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE & ~wxHF_BOOKMARKS);
        // The book's own title ("Velmora Help") is the window's.
        controller->SetTitleFormat("%s");
        // The main window decides when the program ends.
        controller->SetShouldPreventAppExit(false);
        const wxString url =
            wxFileSystem::FileNameToURL(wxFileName(FromUtf8(book))) + "#zip:" + FromUtf8(project);
        {
            // wx would log its own error box; the window reports the failure itself.
            wxLogNull quiet;
            if (!controller->AddBook(url)) return false;
        }
        m_controller = std::move(controller);
        m_loaded = key;
    }
    const bool opening = m_controller->GetFrame() == nullptr;
    const bool shown = m_controller->DisplayContents();
    wxFrame* frame = m_controller->GetFrame();
    if (opening && frame) {
        frame->SetSize(frame->FromDIP(wxSize(820, 580)));
        ExpandContents(frame);
    }
    return shown;
}

}  // namespace velmora
