// The main of the suites that need GTK: starts it through wx on a real display, in a home of
// its own, so icons come from the machine's MIME database and theme and nothing touches the
// user's folders. VELMORA_SUITE names the suite's home folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/debug.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

// The default handler would open a dialog and wait forever under Xvfb.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string() << " ("
                  << file.utf8_string() << ":" << line << "): " << msg.utf8_string();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    namespace fs = std::filesystem;

    const fs::path home =
        velmora::test::TestTempRoot() / (std::string(VELMORA_SUITE) + "_" + std::to_string(::getpid()));
    fs::remove_all(home);
    for (const char* sub : {"config", "cache", "data", "runtime"}) {
        fs::create_directories(home / sub);
    }
    ::chmod((home / "runtime").c_str(), 0700);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
    ::setenv("NO_AT_BRIDGE", "1", 1);
    ::setenv("GSETTINGS_BACKEND", "memory", 1);

    const char* display = std::getenv("DISPLAY");
    if (!display || !display[0]) {
        std::fprintf(stderr, "No X display: run these tests under xvfb-run -a.\n");
        return 1;
    }
    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    if (!wxEntryStart(wxArgc, wxArgv)) {
        std::fprintf(stderr, "GTK could not open the display %s.\n", display);
        return 1;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxSetAssertHandler(FailOnAssert);

    const int result = RUN_ALL_TESTS();
    wxEntryCleanup();
    fs::remove_all(home);
    return result;
}
