// The program's own help viewer: wx's HTML help window on one project of the help book,
// opened again when the language has changed. wx's own labels of that window come from wx's
// catalog of the window's language, which the catalogs put in place with the language.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <memory>
#include <string>

class wxHtmlHelpController;

namespace velmora {

class HelpViewer {
  public:
    // The viewer's window is a top-level window of its own; it closes with the viewer.
    HelpViewer();
    ~HelpViewer();
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    // Shows the contents and the default topic of project inside the book (a zip archive);
    // false, showing nothing, when the book or the project cannot be read. A window open in
    // another language than language is opened anew, so that its labels follow.
    bool Show(const std::string& book, const std::string& project, const std::string& language);

    // Closes the viewer's window, if it is open.
    void Close();

    // The open viewer, or null.
    wxHtmlHelpController* Controller() const { return m_controller.get(); }

  private:
    std::unique_ptr<wxHtmlHelpController> m_controller;
    std::string m_loaded;  // book, project and language the controller holds
};

}  // namespace velmora
