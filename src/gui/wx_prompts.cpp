#include "gui/wx_prompts.h"

#include <wx/arrstr.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>

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

}  // namespace

bool WxPrompts::OnWindowThread(const std::function<void()>& task) {
    if (m_closed.load()) return false;
    if (wxIsMainThread()) {
        task();
        return true;
    }
    // A worker without a way to the window's thread must not touch wx at all.
    if (!m_ui) return false;
    return m_ui->Invoke(task);
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
        if (dialog.ShowModal() != wxID_OK) return;
        wxArrayString paths;
        dialog.GetPaths(paths);
        for (const auto& path : paths) chosen.push_back(ToUtf8(path));
    });
    return chosen;
}

}  // namespace velmora
