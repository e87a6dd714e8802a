// The main of every suite and benchmark that runs wx. It gives the run a home of its own (HOME
// and the XDG folders, removed at the end), so nothing touches the user's settings and icons
// come from the machine's MIME database and theme; starts wx on the display, with a running
// event loop the tests drive themselves; turns wx's assertions into failures and its log into
// stderr, since a dialog would wait forever under Xvfb; gives the suites the build tree's
// catalogs (with VELMORA_LOCALE_DIR); then runs the tests or benchmarks.
// Built with VELMORA_SUITE (the home's name), VELMORA_WX_DISPLAY 0 for suites that need only
// wxBase and no display, and VELMORA_WX_BENCHMARK 1 for Google Benchmark instead of the tests.
#include <sys/stat.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/debug.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "base/lang_string.h"
#include "gui/wx_catalogs.h"
#include "support/temp_folder.h"

#ifndef VELMORA_WX_DISPLAY
#define VELMORA_WX_DISPLAY 1
#endif
#ifndef VELMORA_WX_BENCHMARK
#define VELMORA_WX_BENCHMARK 0
#endif

#if VELMORA_WX_BENCHMARK
#include <benchmark/benchmark.h>
#else
#include <gtest/gtest.h>
#endif

namespace {

namespace fs = std::filesystem;

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
#if VELMORA_WX_BENCHMARK
    std::fprintf(stderr, "wx assertion %s in %s (%s:%d): %s\n", cond.utf8_str().data(),
                 func.utf8_str().data(), file.utf8_str().data(), line, msg.utf8_str().data());
    std::abort();
#else
    ADD_FAILURE_AT(file.utf8_str().data(), line) << "wx assertion " << cond.utf8_string() << " in "
                                                 << func.utf8_string() << ": " << msg.utf8_string();
#endif
}

// HOME, the XDG folders and the tests' temporary folders, all under one folder of the run.
fs::path MakeHome() {
    const fs::path home = velmora::test::TestTempRoot() /
                          (std::string(VELMORA_SUITE) + "_" + std::to_string(::getpid()));
    fs::remove_all(home);
    for (const char* sub : {"config", "cache", "data", "runtime", "tmp"}) {
        fs::create_directories(home / sub);
    }
    ::chmod((home / "runtime").c_str(), 0700);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
    ::setenv("VELMORA_TEST_TMP", (home / "tmp").c_str(), 1);
    ::setenv("NO_AT_BRIDGE", "1", 1);
    ::setenv("GSETTINGS_BACKEND", "memory", 1);
    return home;
}

int Run(int argc, char** argv) {
#ifdef VELMORA_LOCALE_DIR
    velmora::InstallCatalogs(
        std::make_shared<velmora::WxCatalogs>(std::vector<std::string>{VELMORA_LOCALE_DIR}));
#endif
#if VELMORA_WX_BENCHMARK
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
#else
    (void)argc;
    (void)argv;
    return RUN_ALL_TESTS();
#endif
}

}  // namespace

int main(int argc, char** argv) {
#if !VELMORA_WX_BENCHMARK
    ::testing::InitGoogleTest(&argc, argv);
#endif
    const fs::path home = MakeHome();
    int result = 1;
#if VELMORA_WX_DISPLAY
    const char* display = std::getenv("DISPLAY");
    if (!display || !display[0]) {
        std::fprintf(stderr, "No X display: run under xvfb-run -a.\n");
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
    {
        // Yield needs an active loop.
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        result = Run(argc, argv);
    }
    wxEntryCleanup();
#else
    {
        wxInitializer wx;
        if (!wx.IsOk()) {
            std::fprintf(stderr, "wxWidgets did not initialise.\n");
            return 1;
        }
        delete wxLog::SetActiveTarget(new wxLogStderr);
        wxSetAssertHandler(FailOnAssert);
        result = Run(argc, argv);
    }
#endif
    std::error_code ignored;
    fs::remove_all(home, ignored);
    return result;
}
