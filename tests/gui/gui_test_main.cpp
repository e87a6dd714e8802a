// Runs the window suite inside a real wx application on a display, in a home folder of its
// own so that the user's settings are never touched.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE() << "wx assertion " << cond.utf8_str().data() << " in " << func.utf8_str().data()
                  << " (" << file.utf8_str().data() << ":" << line
                  << "): " << msg.utf8_str().data();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);

    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::fprintf(stderr, "velmora_gui_tests: no display; run under xvfb-run -a\n");
        return 2;
    }

    char folder[] = "/tmp/velmora-gui-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("velmora_gui_tests: mkdtemp");
        return 2;
    }
    const std::string home = folder;
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("VELMORA_TEST_TMP", home.c_str(), 1);

    wxSetAssertHandler(FailOnAssert);
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(wxArgc, wxArgv)) {
        std::fprintf(stderr, "velmora_gui_tests: wx could not start on display %s\n", display);
        return 2;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    // Yield needs an active loop; the tests drive it themselves.
    int result = 0;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        result = RUN_ALL_TESTS();
    }
    wxEntryCleanup();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return result;
}
