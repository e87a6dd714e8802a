// The program: one copy per user, the phone library's installation entries checked, the
// stored language applied, then the main window until it closes.
#include <wx/app.h>
#include <wx/log.h>
#include <wx/snglinst.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/lang_string.h"
#include "gui/desktop_shell.h"
#include "gui/file_config_store.h"
#include "gui/main_frame.h"
#include "gui/wx_prompts.h"
#include "gui/wx_text.h"
#include "gui/wx_ui_thread.h"
#include "phone/installation_check.h"
#include "phone/open_channel.h"
#include "sim/simulated_pst.h"
#include "transfer/job.h"
#include "ui/settings.h"

namespace velmora {
namespace {

// A failed check must never stop the program on a modal box: say it on stderr.
void AssertToStderr(const wxString& file, int line, const wxString& func, const wxString& cond,
                    const wxString& msg) {
    std::fprintf(stderr, "wx assertion %s failed in %s (%s:%d): %s\n", cond.utf8_str().data(),
                 func.utf8_str().data(), file.utf8_str().data(), line, msg.utf8_str().data());
}

class VelmoraApp : public wxApp {
  public:
    bool OnInit() override {
        // Every wx log message goes to stderr; none may stand in for a box the user must see.
        delete wxLog::SetActiveTarget(new wxLogStderr);
        wxSetAssertHandler(AssertToStderr);

        m_single = std::make_unique<wxSingleInstanceChecker>();
        if (!m_single->Create("Velmora-" + wxGetUserId()) || m_single->IsAnotherRunning()) {
            // Another copy runs (or the lock is unusable): end at once, showing nothing.
            m_secondCopy = true;
            return true;
        }

        const std::string folder =
            ProgramFolder(ToUtf8(wxStandardPaths::Get().GetExecutablePath()));
        m_installation = std::make_unique<FileConfigStore>(InstallationSettingsPath());
        CheckInstallation(*m_installation, folder);

        m_user = std::make_unique<FileConfigStore>(UserSettingsPath());
        SetLanguageIndex(ReadLanguage(*m_user));

        auto library = CreateEmulatedPhoneLibrary();
        if (!library->ConfigError().empty()) {
            // A malformed phones file: the emulator runs on without it, but the user must know.
            WxPrompts startPrompts;
            startPrompts.Message(library->ConfigError(), kTitleVelmora, PromptIcon::Stop);
        }
        m_library = std::move(library);
        // The shell's application chooser reaches the window's thread through the app itself,
        // which exists before the window and outlives it.
        m_shellUi = std::make_unique<WxUiThread>(*this);
        m_shell = std::make_unique<DesktopShell>(m_shellUi.get());

        auto* frame = new MainFrame(*m_library, *m_user, *m_shell, folder);
        SetTopWindow(frame);
        // A job may still use the window's icon source and models: ask it to stop before the
        // frame goes, and leave at once rather than run destructors under a worker that stays.
        frame->Bind(wxEVT_CLOSE_WINDOW, [](wxCloseEvent& event) {
            if (!ShutdownJobs()) std::quick_exit(0);
            event.Skip();
        });
        frame->Show();
        return true;
    }

    int OnRun() override { return m_secondCopy ? 0 : wxApp::OnRun(); }

    int OnExit() override {
        if (m_shellUi) m_shellUi->Shutdown();
        return wxApp::OnExit();
    }

  private:
    bool m_secondCopy = false;
    std::unique_ptr<wxSingleInstanceChecker> m_single;
    std::unique_ptr<FileConfigStore> m_installation;
    std::unique_ptr<FileConfigStore> m_user;
    // The library outlives the window: it is never uninitialised and may still notify.
    std::unique_ptr<PstLibrary> m_library;
    std::unique_ptr<WxUiThread> m_shellUi;
    std::unique_ptr<Shell> m_shell;
};

}  // namespace
}  // namespace velmora

wxIMPLEMENT_APP(velmora::VelmoraApp);
