#include "gui/desktop_shell.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <gtk/gtk.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/thread.h>
#include <wx/toplevel.h>

#include <memory>

namespace velmora {
namespace {

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<char, GFreeDeleter>;

struct GObjectDeleter {
    void operator()(void* p) const {
        if (p) g_object_unref(p);
    }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter>;

struct GErrorDeleter {
    void operator()(GError* e) const { g_error_free(e); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorDeleter>;

// GLib's reasons translated into the result codes the window reports.
int ResultFor(const GError* error) {
    if (error == nullptr) return 27;
    if (error->domain == G_IO_ERROR) {
        switch (error->code) {
            case G_IO_ERROR_NOT_SUPPORTED:
                return kShellNoAssociation;
            case G_IO_ERROR_NOT_FOUND:
                return kShellFileNotFound;
            case G_IO_ERROR_NOT_DIRECTORY:
                return kShellPathNotFound;
            case G_IO_ERROR_PERMISSION_DENIED:
                return kShellAccessDenied;
            case G_IO_ERROR_BUSY:
                return 26;
            case G_IO_ERROR_TIMED_OUT:
                return 28;
            default:
                return 27;
        }
    }
    if (error->domain == G_SPAWN_ERROR) {
        switch (error->code) {
            case G_SPAWN_ERROR_NOENT:
                return kShellFileNotFound;
            case G_SPAWN_ERROR_NOTDIR:
                return kShellPathNotFound;
            case G_SPAWN_ERROR_ACCES:
            case G_SPAWN_ERROR_PERM:
                return kShellAccessDenied;
            case G_SPAWN_ERROR_NOMEM:
                return 8;
            case G_SPAWN_ERROR_NOEXEC:
            case G_SPAWN_ERROR_LIBBAD:
                return 11;
            default:
                return 27;
        }
    }
    // A command line that does not parse names no program.
    if (error->domain == G_SHELL_ERROR) return kShellFileNotFound;
    return 27;
}

// The GDK context tells the launched program which display and startup notification to
// use; GDK may only be touched from the window's thread.
GObjectPtr<GAppLaunchContext> LaunchContext() {
    if (!wxIsMainThread()) return nullptr;
    GdkDisplay* display = gdk_display_get_default();
    if (display == nullptr) return nullptr;
    return GObjectPtr<GAppLaunchContext>(
        G_APP_LAUNCH_CONTEXT(gdk_display_get_app_launch_context(display)));
}

bool IsAddress(const std::string& target) {
    return !target.starts_with('/') && g_uri_peek_scheme(target.c_str()) != nullptr;
}

std::string AbsolutePath(const std::string& path) {
    GCharPtr absolute(g_canonicalize_filename(path.c_str(), nullptr));
    return absolute.get();
}

// 0 when the file exists, else the result for a missing file or a missing folder.
int MissingFileResult(const std::string& absolute) {
    if (g_file_test(absolute.c_str(), G_FILE_TEST_EXISTS)) return 0;
    GCharPtr folder(g_path_get_dirname(absolute.c_str()));
    return g_file_test(folder.get(), G_FILE_TEST_IS_DIR) ? kShellFileNotFound : kShellPathNotFound;
}

// Runs in the started program's process, between fork and exec.
void EnterFolder(gpointer folder) {
    if (chdir(static_cast<const char*>(folder)) != 0) {
        // The program still starts, in the inherited folder.
    }
}

// Starts app on file in workingFolder (empty: the inherited one). Programs that GLib starts
// over D-Bus choose their own folder.
int LaunchIn(GAppInfo* app, GFile* file, const std::string& workingFolder) {
    GList files{file, nullptr, nullptr};
    auto context = LaunchContext();
    GError* error = nullptr;
    bool launched = false;
    if (G_IS_DESKTOP_APP_INFO(app) && !workingFolder.empty()) {
        GCharPtr uri(g_file_get_uri(file));
        GList uris{uri.get(), nullptr, nullptr};
        launched = g_desktop_app_info_launch_uris_as_manager(
            G_DESKTOP_APP_INFO(app), &uris, context.get(), G_SPAWN_SEARCH_PATH, EnterFolder,
            const_cast<char*>(workingFolder.c_str()), nullptr, nullptr, &error);
    } else {
        launched = g_app_info_launch(app, &files, context.get(), &error);
    }
    GErrorPtr owned(error);
    return launched ? kShellOk : ResultFor(error);
}

}  // namespace

std::string DesktopCommandWithPlaceholder(const std::string& exec) {
    std::string command;
    bool placed = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] != '%' || i + 1 == exec.size()) {
            command += exec[i];
            continue;
        }
        const char code = exec[++i];
        switch (code) {
            case '%':
                command += '%';
                break;
            case 'f':
            case 'F':
            case 'u':
            case 'U':
                if (!placed) command += "%1";
                placed = true;
                break;
            default:  // %i, %c, %k and the deprecated codes expand to nothing here
                break;
        }
    }
    return command;
}

int DesktopShell::Open(const std::string& target) {
    std::string uri;
    if (IsAddress(target)) {
        uri = target;
    } else {
        const std::string absolute = AbsolutePath(target);
        if (int missing = MissingFileResult(absolute)) return missing;
        GError* error = nullptr;
        GCharPtr fileUri(g_filename_to_uri(absolute.c_str(), nullptr, &error));
        GErrorPtr owned(error);
        if (!fileUri) return kShellFileNotFound;
        uri = fileUri.get();
    }
    auto context = LaunchContext();
    GError* error = nullptr;
    const bool launched = g_app_info_launch_default_for_uri(uri.c_str(), context.get(), &error);
    GErrorPtr owned(error);
    return launched ? kShellOk : ResultFor(error);
}

int DesktopShell::OpenWith(const std::string& path) {
    return OpenFileWith(path, std::string());
}

int DesktopShell::OpenFile(const std::string& path, const std::string& workingFolder) {
    const std::string absolute = AbsolutePath(path);
    if (int missing = MissingFileResult(absolute)) return missing;
    GObjectPtr<GFile> file(g_file_new_for_path(absolute.c_str()));
    GError* error = nullptr;
    GObjectPtr<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                                 G_FILE_QUERY_INFO_NONE, nullptr, &error));
    GErrorPtr owned(error);
    if (!info) return ResultFor(error);
    const char* type = g_file_info_get_content_type(info.get());
    GObjectPtr<GAppInfo> app(type ? g_app_info_get_default_for_type(type, FALSE) : nullptr);
    if (!app) return kShellNoAssociation;
    return LaunchIn(app.get(), file.get(), workingFolder);
}

int DesktopShell::OpenFileWith(const std::string& path, const std::string& workingFolder) {
    if (wxIsMainThread()) return OpenWithOnUiThread(path, workingFolder);
    if (m_uiThread == nullptr) return kShellNoAssociation;
    int result = kShellNoAssociation;
    m_uiThread->Invoke([&] { result = OpenWithOnUiThread(path, workingFolder); });
    return result;
}

int DesktopShell::OpenWithOnUiThread(const std::string& path, const std::string& workingFolder) {
    const std::string absolute = AbsolutePath(path);
    if (int missing = MissingFileResult(absolute)) return missing;

    GObjectPtr<GFile> file(g_file_new_for_path(absolute.c_str()));
    GtkWindow* parent = nullptr;
    if (wxTheApp != nullptr) {
        if (wxWindow* top = wxTheApp->GetTopWindow()) parent = GTK_WINDOW(top->GetHandle());
    }
    GtkWidget* dialog = gtk_app_chooser_dialog_new(
        parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        file.get());
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    GObjectPtr<GAppInfo> app(response == GTK_RESPONSE_OK
                                 ? gtk_app_chooser_get_app_info(GTK_APP_CHOOSER(dialog))
                                 : nullptr);
    gtk_widget_destroy(dialog);
    if (!app) return kShellNoAssociation;
    return LaunchIn(app.get(), file.get(), workingFolder);
}

std::optional<std::string> DesktopShell::HtmlHandlerCommand() {
    GObjectPtr<GAppInfo> app(g_app_info_get_default_for_type("text/html", FALSE));
    if (!app) return std::nullopt;
    const char* exec = g_app_info_get_commandline(app.get());
    if (exec == nullptr || *exec == '\0') return std::nullopt;
    return DesktopCommandWithPlaceholder(exec);
}

int DesktopShell::Run(const std::string& commandLine) {
    GError* error = nullptr;
    // Without G_SPAWN_DO_NOT_REAP_CHILD GLib reaps the child itself.
    const bool started = g_spawn_command_line_async(commandLine.c_str(), &error);
    GErrorPtr owned(error);
    return started ? kShellOk : ResultFor(error);
}

std::string DesktopShell::TempFolder() {
    std::string folder = g_get_tmp_dir();
    if (!folder.ends_with('/')) folder += '/';
    return folder;
}

}  // namespace velmora
