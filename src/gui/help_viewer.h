// The program's own help viewer: wx's HTML help window on one project of the help book,
// opened again on the other project when the language has changed. On the Russian project
// wx's own labels of that window come from wx's Russian catalog, when it is installed.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <memory>
#include <string>

class wxHtmlHelpController;
class wxTranslations;

namespace velmora {

class HelpViewer {
  public:
    // The viewer's window is a top-level window of its own; it closes with the viewer.
    HelpViewer();
    ~HelpViewer();
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    // Shows the contents and the default topic of project inside the book (a zip archive);
    // false, showing nothing, when the book or the project cannot be read. russian gives the
    // window's own labels in Russian.
    bool Show(const std::string& book, const std::string& project, bool russian);

    // Closes the viewer's window, if it is open.
    void Close();

    // The open viewer, or null.
    wxHtmlHelpController* Controller() const { return m_controller.get(); }

  private:
    // wx's catalog serves the whole program, but only wx's own windows ask it: the main
    // window's texts are all the program's. It is in place while the Russian viewer is open.
    void UseWxRussian(bool use);

    std::unique_ptr<wxHtmlHelpController> m_controller;
    wxTranslations* m_wxRussian = nullptr;  // owned by wx while in place
    std::string m_loaded;                   // book and project the controller holds
};

}  // namespace velmora
