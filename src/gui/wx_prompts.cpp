#include "gui/wx_prompts.h"

#include <wx/arrstr.h>
#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/stockitem.h>
#include <wx/thread.h>
#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#include "base/lang_string.h"
#include "gui/wx_text.h"
#include "transfer/job_window.h"

namespace velmora {
namespace {

long IconStyle(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Stop:
            return wxICON_ERROR;
        case PromptIcon::Information:
            return wxICON_INFORMATION;
        case PromptIcon::Question:
            return wxICON_QUESTION;
        case PromptIcon::Warning:
            return wxICON_WARNING;
        case PromptIcon::None:
            break;
    }
    return wxICON_NONE;
}

long ButtonStyle(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::YesNo:
            return wxYES_NO;
        case PromptButtons::OkCancel:
            return wxOK | wxCANCEL;
        case PromptButtons::Ok:
            break;
    }
    return wxOK;
}

PromptAnswer Answer(int result) {
    switch (result) {
        case wxID_YES:
            return PromptAnswer::Yes;
        case wxID_NO:
            return PromptAnswer::No;
        case wxID_CANCEL:
            return PromptAnswer::Cancel;
        default:
            return PromptAnswer::Ok;
    }
}

constexpr int kStrReplace = 490;
constexpr int kStrKeepBoth = 491;
constexpr int kStrSkip = 492;
constexpr int kStrCancel = 493;
constexpr int kStrSameForRest = 494;

// The replace question: the text, "do the same for the rest" when more files follow, and one
// button per choice; Escape and the close box cancel.
ConflictAnswer ShowConflictDialog(wxWindow* parent, const ConflictRequest& request) {
    wxDialog dialog(parent, wxID_ANY, FromUtf8(request.title));
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* message = new wxBoxSizer(wxHORIZONTAL);
    message->Add(new wxStaticBitmap(&dialog, wxID_ANY,
                                    wxArtProvider::GetBitmap(wxART_QUESTION, wxART_MESSAGE_BOX)),
                 0, wxRIGHT, 12);
    auto* text = new wxStaticText(&dialog, wxID_ANY, FromUtf8(request.text));
    text->Wrap(420);
    message->Add(text, 1, wxEXPAND | wxRIGHT, 12);
    top->Add(message, 0, wxEXPAND | wxALL, 12);
    wxCheckBox* forRest = nullptr;
    if (request.moreToCome) {
        forRest = new wxCheckBox(&dialog, wxID_ANY, FromUtf8(LoadLangString(kStrSameForRest)));
        top->Add(forRest, 0, wxLEFT | wxRIGHT | wxBOTTOM, 12);
    }
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    struct Choice {
        ConflictChoice choice;
        int textId;
    };
    const Choice choices[] = {{ConflictChoice::Replace, kStrReplace},
                              {ConflictChoice::KeepBoth, kStrKeepBoth},
                              {ConflictChoice::Skip, kStrSkip},
                              {ConflictChoice::Cancel, kStrCancel}};
    buttons->AddStretchSpacer();
    for (const Choice& c : choices) {
        if (c.choice == ConflictChoice::Replace && !request.replaceOffered) continue;
        const int id = c.choice == ConflictChoice::Cancel
                           ? wxID_CANCEL
                           : wxID_HIGHEST + 1 + static_cast<int>(c.choice);
        auto* button = new wxButton(&dialog, id, FromUtf8(LoadLangString(c.textId)));
        button->Bind(wxEVT_BUTTON, [&dialog, id](wxCommandEvent&) { dialog.EndModal(id); });
        buttons->Add(button, 0, wxLEFT, 6);
    }
    top->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    dialog.SetSizerAndFit(top);
    dialog.SetEscapeId(wxID_CANCEL);
    dialog.CentreOnParent();
    const int result = dialog.ShowModal();
    ConflictAnswer answer;
    answer.forTheRest = forRest && forRest->GetValue();
    if (result != wxID_CANCEL)
        answer.choice = static_cast<ConflictChoice>(result - wxID_HIGHEST - 1);
    return answer;
}

}  // namespace

bool WxPrompts::OnWindowThread(const std::function<void()>& task) {
    if (m_closed.load() || !wxIsMainThread()) return false;
    task();
    return true;
}

PromptAnswer WxPrompts::MessageBox(const MessageBoxRequest& request) {
    PromptAnswer answer = UnshownAnswer(request.buttons);
    OnWindowThread([&] {
        if (m_standIn) {
            answer = m_standIn->MessageBox(request);
            return;
        }
        wxMessageDialog box(m_parent, FromUtf8(request.text), FromUtf8(request.title),
                            ButtonStyle(request.buttons) | IconStyle(request.icon));
        // GTK would label its own buttons in the process's locale: wx's catalog has them in
        // the window's language.
        box.SetYesNoLabels(wxGetStockLabel(wxID_YES), wxGetStockLabel(wxID_NO));
        box.SetOKCancelLabels(wxGetStockLabel(wxID_OK), wxGetStockLabel(wxID_CANCEL));
        answer = Answer(box.ShowModal());
    });
    return answer;
}

std::optional<std::string> WxPrompts::SaveFile(const SaveFileRequest& request) {
    std::optional<std::string> chosen;
    OnWindowThread([&] {
        if (m_standIn) {
            chosen = m_standIn->SaveFile(request);
            return;
        }
        wxFileDialog dialog(m_parent, FromUtf8(request.title), FromUtf8(request.initialFolder),
                            FromUtf8(request.fileName), wxFileSelectorDefaultWildcardStr,
                            wxFD_SAVE | (request.overwritePrompt ? wxFD_OVERWRITE_PROMPT : 0));
        if (dialog.ShowModal() == wxID_OK) chosen = ToUtf8(dialog.GetPath());
    });
    return chosen;
}

std::vector<std::string> WxPrompts::OpenFiles(const OpenFilesRequest& request) {
    std::vector<std::string> chosen;
    OnWindowThread([&] {
        if (m_standIn) {
            chosen = m_standIn->OpenFiles(request);
            return;
        }
        wxFileDialog dialog(m_parent, FromUtf8(request.title), FromUtf8(request.initialFolder),
                            wxEmptyString, wxFileSelectorDefaultWildcardStr,
                            wxFD_OPEN | wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST);
#ifdef __WXGTK__
        // GTK sizes the chooser from its font, whatever the display: on a small one its Open
        // button lies off the screen, and a double click, which picks one file, is all that is
        // left. Kept within the display, it is centred on the window with its buttons in view.
        const int shown = m_parent ? wxDisplay::GetFromWindow(m_parent) : wxNOT_FOUND;
        const wxRect area = wxDisplay(shown == wxNOT_FOUND ? 0u : unsigned(shown)).GetClientArea();
        GdkGeometry limit{};
        limit.max_width = area.width * 9 / 10;
        limit.max_height = area.height * 9 / 10;
        gtk_window_set_geometry_hints(GTK_WINDOW(dialog.GetHandle()), nullptr, &limit,
                                      GDK_HINT_MAX_SIZE);
#endif
        if (dialog.ShowModal() != wxID_OK) return;
        wxArrayString paths;
        dialog.GetPaths(paths);
        for (const auto& path : paths) chosen.push_back(ToUtf8(path));
    });
    return chosen;
}

ConflictAnswer WxPrompts::AskConflict(const ConflictRequest& request) {
    ConflictAnswer answer;
    OnWindowThread([&] {
        answer =
            m_standIn ? m_standIn->AskConflict(request) : ShowConflictDialog(m_parent, request);
    });
    return answer;
}

}  // namespace velmora
