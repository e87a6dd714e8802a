// The program: one copy per user, the phone library's installation entries checked and the
// library they name loaded, the stored language applied, then the main window until it closes.
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/lang_string.h"
#include "gui/desktop_shell.h"
#include "gui/desktop_folders.h"
#include "gui/file_config_store.h"
#include "gui/main_frame.h"
#include "gui/wx_catalogs.h"
#include "gui/wx_prompts.h"
#include "gui/wx_text.h"
#include "phone/installation_check.h"
#include "phone/loaded_pst.h"
#include "phone/open_channel.h"
#include "phone/single_instance.h"
#include "transfer/job.h"
#include "transfer/temp_open_file.h"
#include "ui/command_line.h"
#include "ui/language.h"

namespace velmora {
namespace {

std::string ThisProgramFolder() {
    return ProgramFolder(ToUtf8(wxStandardPaths::Get().GetExecutablePath()));
}

// The catalogs beside the program, and the language the user chose last (the desktop's on a
// first start).
void UseStartLanguage(const SettingsStore& user) {
    InstallCatalogs(
        std::make_shared<WxCatalogs>(std::vector<std::string>{LocaleFolder(ThisProgramFolder())}));
    SetLanguage(StartLanguage(user, ProcessEnvironment));
}

// What the arguments ask for, in the language the user chose last.
StartRequest ReadCommandLine(const std::vector<std::string>& args) {
    UseStartLanguage(FileConfigStore(UserSettingsPath(TheUserFolders())));
    return ParseCommandLine(args);
}

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

        // The language first, so that a lock that cannot be made is reported in it.
        const UserFolders& folders = TheUserFolders();
        m_user = std::make_unique<FileConfigStore>(UserSettingsPath(folders));
        UseStartLanguage(*m_user);

        const std::filesystem::path lockPath =
            InstanceLockPath(folders).value_or(std::filesystem::path());
        PrepareInstanceLockFolder(lockPath, folders);
        m_single = std::make_unique<SingleInstanceLock>(lockPath);
        if (m_single->State() == InstanceLockState::AnotherRunning) {
            // Only a copy that really runs ends a start silently.
            m_secondCopy = true;
            return true;
        }
        if (m_single->State() == InstanceLockState::Unavailable) {
            std::fprintf(stderr, "%s\n", InstanceLockMessage(*m_single).c_str());
        }
        // The session clears the runtime folder, not the cache: copies opened a day ago go.
        if (OpenFilesFolderIsCache(folders)) {
            RemoveOldOpenCopies(OpenFilesFolder(folders), std::chrono::hours(24));
        }

        const std::string folder = ThisProgramFolder();
        m_installation = std::make_unique<FileConfigStore>(InstallationSettingsPath(folders));
        const InstallationCheck installation =
            CheckInstallation(*m_installation, BundledLibrary(folder), PstLibraryNeeds);
        LoadedPstLibrary loaded = LoadPstLibrary(
            installation.libraryFile,
            [this](const std::string& name) { return m_installation->ReadText(name); });
        // Its initialisation fails with a box; this line says which file and why.
        if (!loaded.error.empty()) {
            std::fprintf(stderr, "Velmora: cannot load the phone library %s\n",
                         loaded.error.c_str());
        }
        // What the library says of its configuration (the emulator's phones file) comes before
        // the window, in the program's language; the status bar keeps the last of it.
        std::string libraryMessage;
        for (const PstLibraryMessage& message : loaded.messages) {
            libraryMessage = FormatWithArgs(LoadLangText(message.format), message.args);
            std::fprintf(stderr, "Velmora: %s\n", libraryMessage.c_str());
            WxPrompts startPrompts;
            startPrompts.Message(libraryMessage, kTitleVelmora, PromptIcon::Stop);
        }
        m_library = std::move(loaded.library);
        m_shell = std::make_unique<DesktopShell>();

        auto* frame = new MainFrame(*m_library, *m_user, *m_shell, folder);
        if (!libraryMessage.empty()) {
            frame->Model().SetStatusText(kStatusMessagePart, libraryMessage);
        }
        SetTopWindow(frame);
        // The window waits for a job to return before it goes, pumping its events; a job that
        // does not return in time still uses the window's objects: leave at once rather than
        // run destructors under it.
        frame->SetAbandonHandler([] { std::quick_exit(0); });
        frame->Show();
        m_frame = frame;
        // The desktop session's end reaches a GTK program only as a signal; wx runs these
        // handlers from its loop, so they may close the window like any event handler.
        for (int signal : {SIGTERM, SIGHUP}) SetSignalHandler(signal, SessionEnds);
        return true;
    }

    int OnRun() override { return m_secondCopy ? 0 : wxApp::OnRun(); }

    int OnExit() override {
        // Nothing may start from here on; the window has waited for what ran.
        if (!ShutdownJobs(std::chrono::milliseconds(0))) std::quick_exit(0);
        return wxApp::OnExit();
    }

  private:
    static void SessionEnds(int) {
        auto* app = static_cast<VelmoraApp*>(wxTheApp);
        if (!app) return;
        if (app->m_frame) {
            app->m_frame->EndSession();
        } else {
            app->ExitMainLoop();
        }
    }

    bool m_secondCopy = false;
    wxWeakRef<MainFrame> m_frame;
    std::unique_ptr<SingleInstanceLock> m_single;
    std::unique_ptr<FileConfigStore> m_installation;
    std::unique_ptr<FileConfigStore> m_user;
    // The library outlives the window: it is never uninitialised and may still notify.
    std::unique_ptr<PstLibrary> m_library;
    std::unique_ptr<Shell> m_shell;
};

}  // namespace
}  // namespace velmora

wxIMPLEMENT_APP_NO_MAIN(velmora::VelmoraApp);

int main(int argc, char** argv) {
    // Help, version and a wrong argument need no display: answer them before the toolkit
    // starts, in the stored language (reading it needs wx's base library only).
    velmora::SetUserFolders(velmora::DesktopUserFolders());
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (velmora::ParseCommandLine(args).action == velmora::StartAction::OpenWindow) {
        return wxEntry(argc, argv);
    }
    // A console application only: starting the window's toolkit would want a display.
    wxApp::SetInitializerFunction(nullptr);
    wxInitializer base;
    const auto request = velmora::ReadCommandLine(args);
    std::fputs(request.text.c_str(),
               request.action == velmora::StartAction::Refuse ? stderr : stdout);
    return request.exitCode;
}
