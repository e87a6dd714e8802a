// The program's own help viewer: wx's HTML help window on one project of the help book,
// opened again on the other project when the language has changed.
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
    // false, showing nothing, when the book or the project cannot be read.
    bool Show(const std::string& book, const std::string& project);

    // Closes the viewer's window, if it is open.
    void Close();

    // The open viewer, or null.
    wxHtmlHelpController* Controller() const { return m_controller.get(); }

  private:
    std::unique_ptr<wxHtmlHelpController> m_controller;
    std::string m_loaded;  // book and project the controller holds
};

}  // namespace velmora
