// The main window on screen: a wxFrame that renders the MainWindow model (every control at
// its id and pixel place, the menus, the status bar) and forwards the user's input to the
// model's command map. It holds no state of its own beyond the wx objects.
#pragma once

#include <wx/frame.h>
#include <wx/timer.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "base/settings_store.h"
#include "base/shell.h"
#include "gui/file_list_view.h"
#include "gui/help_viewer.h"
#include "gui/type_icons.h"
#include "gui/volume_tree_ctrl.h"
#include "gui/wx_prompts.h"
#include "gui/wx_ui_thread.h"
#include "phone/pst_library.h"
#include "ui/file_rows.h"
#include "ui/main_window.h"
#include "ui/main_window_jobs.h"
#include "ui/session_tree.h"
#include "ui/volume_tree.h"

class wxChoice;
class wxComboBox;
class wxGauge;
class wxMenu;
class wxMenuBar;
class wxPanel;
class wxStaticBitmap;
class wxStatusBar;
class wxTextCtrl;

namespace velmora {

inline constexpr std::chrono::seconds kCloseWaitLimit{10};
inline constexpr int kCloseTimer = 2;  // beside the poll's timer 1

class MainFrame : public wxFrame, public MainWindowView {
  public:
    // prompts: answers the window's boxes and dialogs from the start, start-up ones included,
    // as AnswerPromptsFrom does; null shows the toolkit's own.
    MainFrame(PstLibrary& library, SettingsStore& user, Shell& shell, std::string programFolder,
              Prompts* prompts = nullptr);
    ~MainFrame() override;

    MainWindow& Model() { return *m_model; }
    // Boxes and dialogs answered by standIn instead of the user (null: shown again).
    void AnswerPromptsFrom(Prompts* standIn) { m_prompts.SetStandIn(standIn); }
    // The control with that dialog id (the status bar is 123), or null.
    wxWindow* Control(int id) const;
    wxStatusBar* Status() const { return m_status; }
    wxStaticBitmap* StatusIcon(int part) const { return m_statusIcons.at(part); }
    HelpViewer& Help() { return m_help; }
    // Whether a menu of the menu bar or a pop-up is open: Escape then belongs to it.
    bool MenuOpen() const { return m_openMenus > 0; }

    // MainWindowView.
    void ControlChanged(int id) override;
    void StatusPartChanged(int part) override;
    void ProgressChanged(int id) override;
    void MenusRebuilt() override;
    void MenuItemChanged(int id) override;
    void DevicesChanged() override;
    void MaskListChanged() override;
    void ColumnsChanged() override;
    void ViewModeChanged() override;
    void LayoutChanged() override;
    Rect WindowRect() const override;
    Size ClientSize() const override;
    Size DisplaySize() const override;
    std::int32_t ListRowHeight() const override;
    std::int32_t ScrollBarWidth() const override;
    double TextScale() const override;
    void MoveWindow(const Rect& window) override;
    void Repaint() override;
    void StartTimer(int id, int periodMs) override;
    void StopTimer(int id) override;
    void SetCursor(CursorShape shape) override;
    void ShowAbout() override;
    bool ShowHelpBook(const std::string& book, const std::string& project) override;
    void ShowContextMenu(std::int32_t screenX, std::int32_t screenY) override;
    // Every way out: asks a running job to stop and hides the window at once, then keeps the
    // window's thread pumping for the last calls of the job and the queries until they have
    // returned (or kCloseWaitLimit has passed), and only then goes.
    void CloseWindow() override;
    // The desktop session ends: the same clean way out without asking. Boxes and dialogs
    // open now close as if cancelled, and none opens from here on.
    void EndSession();
    // What to do when the job has not returned within the limit: the program ends at once
    // (the job still uses the window's objects). Without one the window goes anyway.
    void SetAbandonHandler(std::function<void()> handler) { m_abandon = std::move(handler); }

  private:
    void CreateControls();
    void BindInput();
    void RebuildMenuBar();
    void RenderMenuMarks();
    void RenderTooltips();
    void RenderAccessibleNames();
    void PlaceStatusIcons();
    wxMenu* BuildMenu(const std::vector<MenuItem>& items);
    void OnMenu(wxCommandEvent& event);
    void CloseOpenMenu();
    void FinishClosing();
    // A command from a menu: the menu bar may only be replaced once it has returned.
    void RunMenuCommand(int commandId);
    // wx wants menu ids below 0x7fff; the window's commands are above. Each command gets a
    // stand-in id of its own.
    int MenuId(int commandId);
    int CommandOf(int menuId) const;

    Shell& m_shell;
    WxUiThread m_ui;
    WxPrompts m_prompts;
    // The browsing models the phone session rebuilds; m_tree and m_list draw them.
    VolumeTree m_treeModel;
    FileRows m_fileRows;
    BrowsingSessionTree m_sessionTree{m_treeModel, m_fileRows};
    std::unique_ptr<MainWindow> m_model;
    // File-type icons of the listed entries, and the commands on the phone's files over the
    // models above.
    std::unique_ptr<DesktopIconSource> m_icons;
    std::unique_ptr<MainWindowJobs> m_jobs;
    HelpViewer m_help;

    wxPanel* m_panel = nullptr;
    wxChoice* m_devices = nullptr;
    wxTextCtrl* m_uploadPath = nullptr;
    VolumeTreeCtrl* m_tree = nullptr;
    wxComboBox* m_mask = nullptr;
    FileListView* m_list = nullptr;
    wxGauge* m_progress = nullptr;
    wxGauge* m_fileProgress = nullptr;
    wxTextCtrl* m_leaveBytes = nullptr;
    wxStatusBar* m_status = nullptr;
    std::array<wxStaticBitmap*, 2> m_statusIcons{};
    std::map<int, wxWindow*> m_controls;
    std::map<int, int> m_menuIds;   // command -> wx id
    std::map<int, int> m_commands;  // wx id -> command
    wxTimer m_timer;
    wxTimer m_closeTimer;
    std::chrono::steady_clock::time_point m_closeDeadline;
    std::function<void()> m_abandon;
    int m_openMenus = 0;
    wxMenu* m_openMenu = nullptr;  // the last one opened; only compared, never kept past it
    bool m_inMenuCommand = false;
    bool m_menuRebuildQueued = false;
    bool m_applyingMasks = false;
    bool m_closing = false;
};

}  // namespace velmora
