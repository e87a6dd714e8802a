#include "gui/desktop_shell.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <gtk/gtk.h>
#include <libintl.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/thread.h>
#include <wx/toplevel.h>

#include <memory>
#include <optional>

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

// A text GLib has in its catalogue but gives no error for here (no program, a cancelled
// chooser), in the user's language.
std::string GLibText(const char* text) {
    [[maybe_unused]] static const bool bound =
        bind_textdomain_codeset("glib20", "UTF-8") != nullptr;
    return g_dgettext("glib20", text);
}

struct GErrorDeleter {
    void operator()(GError* e) const { g_error_free(e); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorDeleter>;

ShellResult NoApplication() {
    return ShellResult::Failed(GLibText("No application is registered as handling this file"));
}

// GLib hands its reasons over already translated from its own catalogue.
ShellResult Failure(const GError* error) {
    if (error == nullptr || error->message == nullptr) return NoApplication();
    return ShellResult::Failed(error->message);
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

// GIO's own reason when the file cannot be looked at (it or its folder is missing).
std::optional<ShellResult> Unreadable(GFile* file) {
    GError* error = nullptr;
    GObjectPtr<GFileInfo> info(g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_TYPE,
                                                 G_FILE_QUERY_INFO_NONE, nullptr, &error));
    GErrorPtr owned(error);
    if (info) return std::nullopt;
    return Failure(error);
}

// Runs in the started program's process, between fork and exec.
void EnterFolder(gpointer folder) {
    if (chdir(static_cast<const char*>(folder)) != 0) {
        // The program still starts, in the inherited folder.
    }
}

// Starts app on file in workingFolder (empty: the inherited one). Programs that GLib starts
// over D-Bus choose their own folder.
ShellResult LaunchIn(GAppInfo* app, GFile* file, const std::string& workingFolder) {
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
    return launched ? ShellResult{} : Failure(error);
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

ShellResult DesktopShell::Open(const std::string& target) {
    std::string uri;
    if (IsAddress(target)) {
        uri = target;
    } else {
        GObjectPtr<GFile> file(g_file_new_for_path(AbsolutePath(target).c_str()));
        if (auto failed = Unreadable(file.get())) return *failed;
        GCharPtr fileUri(g_file_get_uri(file.get()));
        uri = fileUri.get();
    }
    auto context = LaunchContext();
    GError* error = nullptr;
    const bool launched = g_app_info_launch_default_for_uri(uri.c_str(), context.get(), &error);
    GErrorPtr owned(error);
    return launched ? ShellResult{} : Failure(error);
}

ShellResult DesktopShell::OpenWith(const std::string& path) {
    return OpenFileWith(path, std::string());
}

ShellResult DesktopShell::OpenFile(const std::string& path, const std::string& workingFolder) {
    GObjectPtr<GFile> file(g_file_new_for_path(AbsolutePath(path).c_str()));
    GError* error = nullptr;
    GObjectPtr<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                                 G_FILE_QUERY_INFO_NONE, nullptr, &error));
    GErrorPtr owned(error);
    if (!info) return Failure(error);
    const char* type = g_file_info_get_content_type(info.get());
    GObjectPtr<GAppInfo> app(type ? g_app_info_get_default_for_type(type, FALSE) : nullptr);
    if (!app) return NoApplication();
    return LaunchIn(app.get(), file.get(), workingFolder);
}

ShellResult DesktopShell::OpenFileWith(const std::string& path, const std::string& workingFolder) {
    if (!wxIsMainThread()) return NoApplication();
    return OpenWithOnUiThread(path, workingFolder);
}

ShellResult DesktopShell::OpenWithOnUiThread(const std::string& path,
                                             const std::string& workingFolder) {
    GObjectPtr<GFile> file(g_file_new_for_path(AbsolutePath(path).c_str()));
    if (auto failed = Unreadable(file.get())) return *failed;

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
    if (!app) return ShellResult::Failed(GLibText("Operation was cancelled"));
    return LaunchIn(app.get(), file.get(), workingFolder);
}

std::optional<std::string> DesktopShell::HtmlHandlerCommand() {
    GObjectPtr<GAppInfo> app(g_app_info_get_default_for_type("text/html", FALSE));
    if (!app) return std::nullopt;
    const char* exec = g_app_info_get_commandline(app.get());
    if (exec == nullptr || *exec == '\0') return std::nullopt;
    return DesktopCommandWithPlaceholder(exec);
}

ShellResult DesktopShell::Run(const std::string& commandLine) {
    GError* error = nullptr;
    // Without G_SPAWN_DO_NOT_REAP_CHILD GLib reaps the child itself.
    const bool started = g_spawn_command_line_async(commandLine.c_str(), &error);
    GErrorPtr owned(error);
    return started ? ShellResult{} : Failure(error);
}

std::string DesktopShell::TempFolder() {
    std::string folder = g_get_tmp_dir();
    if (!folder.ends_with('/')) folder += '/';
    return folder;
}

}  // namespace velmora
