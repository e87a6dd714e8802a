// The main window without a toolkit: every control's state, the status bar, the bars, the
// menus and the device list, the start-up sequence and the command map. It is the single
// source of truth, touched on the window's thread only; the toolkit's frame renders what it
// reports through MainWindowView and forwards the user's input back as events, and workers
// reach it through its one job channel.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/prompts.h"
#include "base/settings_store.h"
#include "base/shell.h"
#include "base/status_sink.h"
#include "base/ui_thread.h"
#include "base/window_thread.h"
#include "fsac/phone_session.h"
#include "phone/library_session.h"
#include "phone/phone_queries.h"
#include "phone/pst_library.h"
#include "phone/session_window.h"
#include "transfer/job.h"
#include "transfer/job_window.h"
#include "ui/command_map.h"
#include "ui/file_rows.h"
#include "ui/main_window_ids.h"
#include "ui/menu_spec.h"
#include "ui/session_tree.h"
#include "ui/settings.h"
#include "ui/window_layout.h"

namespace velmora {

enum class ControlKind {
    DropDownList,  // 1005, sorted
    Edit,          // 1028
    Tree,          // 1001
    ComboBox,      // 1006, editable
    Button,
    ListView,       // 1000
    HorizontalBar,  // 1002
    VerticalBar,    // 1008
    NumberEdit,     // 1026, digits only, right-aligned
    Label,          // 1027
    StatusBar,      // 123
};

struct ControlState {
    int id = 0;
    ControlKind kind = ControlKind::Button;
    std::string text;
    bool enabled = true;
    bool visible = true;
    Rect rect;  // client pixels
};

struct StatusPartState {
    std::int32_t rightEdge = 0;
    std::string text;
    int icon = 0;  // icon resource id; 0 for none
    std::string tip;
};

struct ProgressState {
    std::int32_t range = 100;
    std::int32_t position = 0;
};

// ColumnAlign is the file list's.
struct ColumnState {
    std::string heading;
    std::int32_t width = 0;
    ColumnAlign align = ColumnAlign::Left;
};

struct DeviceEntry {
    std::string text;
    std::uint32_t data = 0;  // the device id
};

enum class CursorShape { Arrow, Wait };

// The toolkit's side. The model tells it what changed (it then reads the new state from the
// model) and asks it for what only the toolkit can do. Called on the window's thread only.
class MainWindowView {
  public:
    virtual ~MainWindowView() = default;

    virtual void ControlChanged(int id) = 0;  // text, enabled or visible
    virtual void StatusPartChanged(int part) = 0;
    virtual void ProgressChanged(int id) = 0;
    virtual void MenusRebuilt() = 0;
    virtual void MenuItemChanged(int id) = 0;  // checked or enabled
    virtual void DevicesChanged() = 0;         // entries or selection
    virtual void MaskListChanged() = 0;
    virtual void ColumnsChanged() = 0;  // headings or widths
    virtual void ViewModeChanged() = 0;
    virtual void LayoutChanged() = 0;  // control positions and sizes

    virtual Rect WindowRect() const = 0;
    virtual Size ClientSize() const = 0;
    // The maximized window's size.
    virtual Size DisplaySize() const = 0;
    virtual std::int32_t ListRowHeight() const = 0;
    virtual std::int32_t ScrollBarWidth() const = 0;
    // The desktop's text scale: the fonts' resolution over 96 dpi. Read once, at construction.
    virtual double TextScale() const { return 1.0; }

    virtual void MoveWindow(const Rect& window) = 0;
    virtual void Repaint() = 0;
    virtual void StartTimer(int id, int periodMs) = 0;
    virtual void StopTimer(int id) = 0;
    virtual void SetCursor(CursorShape shape) = 0;
    virtual void ShowAbout() = 0;
    // Opens the help viewer on a project inside the help book; false when it cannot read it.
    virtual bool ShowHelpBook(const std::string& book, const std::string& project) = 0;
    virtual void ShowContextMenu(std::int32_t screenX, std::int32_t screenY) = 0;
    virtual void CloseWindow() = 0;
};

// The commands that start jobs on the phone's files, and the list's heading click and Sort by:
// the window's command map forwards their rows here (MainWindowJobs).
class WindowJobCommands {
  public:
    virtual ~WindowJobCommands() = default;
    virtual void GetFileList() = 0;                                // 1003
    virtual void Search() = 0;                                     // 1007
    virtual void Download() = 0;                                   // 1004, 32785
    virtual void Open(std::int32_t row) = 0;                       // the list's double click
    virtual void Upload() = 0;                                     // 1010
    virtual void Drop(const std::vector<std::string>& paths) = 0;  // files dropped on the list
    virtual void FillSpace() = 0;                                  // 1014
    virtual void Delete() = 0;                                     // 1013, 32786
    virtual void Properties() = 0;                                 // 32784
    virtual void HeadingClick(int column) = 0;
    virtual void SortBy(int commandId) = 0;  // the three Sort by commands
};

struct MainWindowPorts {
    PstLibrary& library;
    SettingsStore& user;
    Prompts& prompts;
    UiThread& ui;
    Shell& shell;
    std::string programFolder;  // ends in "/"; the help book is found from there
    // Where the short phone queries of clicks and the poll run.
    JobStarter startQuery = [](std::function<void()> query) {
        return StartQuery(std::move(query));
    };
};

class MainWindow : public SessionWindow,
                   public JobWindow,
                   public PstNotificationSink,
                   public PhoneQueries {
  public:
    MainWindow(MainWindowPorts ports, MainWindowView& view);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The window's initialisation: language, status bar, list, stored settings, the phone
    // library, the job lock, and the first layout.
    void Start();

    // While one lives, the window's thread works for a handler: a wait cursor shown in that
    // time goes when the outermost scope ends, whatever the way out. Window's thread only.
    class HandlerScope {
      public:
        explicit HandlerScope(MainWindow& window);
        ~HandlerScope();
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;

      private:
        MainWindow& m_window;
    };

    // Input from the toolkit, each inside a HandlerScope. False when no row of the command
    // map matches.
    bool OnEvent(WindowEvent event, int id = 0, const EventArgs& args = {});
    bool Click(int buttonId) { return OnEvent(WindowEvent::Clicked, buttonId); }
    bool Command(int commandId) { return OnEvent(WindowEvent::Command, commandId); }
    // Size handling for a new client size; a move re-runs it with the current one.
    void HandleSize(Size client);
    void HandleMove();
    // Size handling with the current client size: after a tree selection or the Table view.
    void Relayout();
    // What the user typed into an edit or picked in a list, without echoing it back.
    void ControlEdited(int id, std::string text);
    void DeviceChosen(std::optional<int> index);

    // The map itself, for the parts of the window that take over their rows.
    CommandMap& Commands() { return m_commands; }
    const CommandMap& Commands() const { return m_commands; }

    // The one way from the jobs and queries to this window, shared by all of them.
    const std::shared_ptr<JobWindowProxy>& JobChannel() const { return m_jobWindow; }
    // PhoneQueries: a query of the window's, on the query worker. Until its answer is back a
    // wait cursor its handler showed stays.
    void Run(PhoneQuery query) override;

    // The job lock: with enable non-zero the command controls are on and Interrupt off, and
    // the reverse; the Interface items are enabled only when enableMenus is 1.
    void EnableControls(int enable, int enableMenus) override;
    // JobWindow: the same operations as a job sees them (workers go through JobChannel()).
    void SetOverallRange(std::int32_t total) override { SetProgressRange(kIdProgress, total); }
    void SetOverallPosition(std::int32_t position) override {
        SetProgressPosition(kIdProgress, position);
    }
    void ShowFileBar(bool show) override { ShowControl(kIdFileProgress, show); }
    void SetFileRange(std::int32_t total) override { SetProgressRange(kIdFileProgress, total); }
    void SetFilePosition(std::int32_t position) override {
        SetProgressPosition(kIdFileProgress, position);
    }
    Prompts& WindowPrompts() override { return m_ports.prompts; }
    PhoneWindow& WindowPhone() override { return *this; }
    void RestoreStatusParts() override;

    void SetProgressRange(int barId, std::int32_t range);
    void SetProgressPosition(int barId, std::int32_t position);
    void ShowControl(int id, bool visible);
    void SetControlText(int id, std::string text);

    // The device list, kept sorted by text. Window's thread.
    int AddDevice(std::string text, std::uint32_t data) override;
    void ClearDevices() override;
    void SelectDevice(std::optional<int> index) override;
    const std::vector<DeviceEntry>& Devices() const { return m_devices; }
    std::optional<int> SelectedDeviceIndex() const { return m_selectedDevice; }

    // Status bar part 0 and 1 icons with their tips. Window's thread.
    void SetStatusIcon(int part, int iconId, std::string tip) override;

    // Schedules the device poll on timer 1, unless one is scheduled already.
    void SchedulePoll();
    void SwitchInterface(std::int32_t mode);
    // One of AvailableLanguages(); the window stays as it is when its catalog cannot be read.
    void SwitchLanguageTo(const std::string& code);
    // The list's view mode 0 to 3 as `View` stores it.
    void SetView(std::int32_t view);

    // The mask box's choices, the first one selected (after a search the phone accepted).
    void SetMaskItems(std::vector<std::string> masks);
    // For the column-width rule: how many rows the list holds (the list's model sets it).
    void SetListRowCount(std::int32_t rows);
    // The desktop session ends: the way out of File > Exit, without asking. A question about
    // leaving that is open now counts as answered Yes once its box returns.
    void EndSession();

    // PhoneWindow.
    bool LibraryReady() const override;
    std::int32_t Rs232Flag() const override;
    std::optional<std::uint16_t> SelectedDevice() const override;
    void SetStatusText(int part, const std::string& text) override;
    // Only inside a HandlerScope on the window's thread: the wait belongs to a handler's work,
    // never to a worker's or to the time between two handlers.
    void ShowWaitCursor() override;
    // PstNotificationSink; any thread: posted to the window's thread, even from it.
    void OnDeviceListChanged() override;

    // SessionWindow, beyond the device list, the job lock and the status icons above.
    // Window's thread.
    bool JobRunning() const override;
    void StartTimer(int id, int periodMs) override;
    void StopTimer(int id) override;
    void ShowArrowCursor() override;
    void EnableSearchControls(bool enable) override;
    void ResetTree(const std::vector<std::string>& volumes) override;
    std::optional<std::string> RootText() const override;
    void SetRootText(const std::string& text) override;
    void ClearFileRowsAndTree() override;
    void PhoneChanged() override;

    // The phone: device poll, phone control, the file-system facts jobs read.
    PhoneSession& Phone() { return *m_phone; }
    // The tree and the file rows the session rebuilds and clears; none until attached.
    void AttachSessionTree(SessionTree* tree) { m_sessionTree = tree; }
    // Where the rows of the job commands go; until attached (and once detached) they do
    // nothing.
    void AttachJobs(WindowJobCommands* jobs) { m_jobs = jobs; }

    // State, read on the window's thread.
    const ControlState& Control(int id) const;
    const std::vector<ControlState>& Controls() const { return m_controls; }
    const StatusPartState& StatusPart(int part) const { return m_status.at(part); }
    const ProgressState& Progress(int barId) const;
    const MenuSpec& MainMenuSpec() const { return m_mainMenu; }
    bool MenuChecked(int commandId) const;
    bool MenuEnabled(int commandId) const;
    // Items that carry a check mark: Interface, View and Language.
    static bool MenuCheckable(int commandId);
    const std::array<ColumnState, kFileListColumnCount>& Columns() const { return m_columns; }
    const std::vector<std::string>& MaskItems() const { return m_maskItems; }
    const SearchHistory& History() const { return m_history; }
    SearchHistory& History() { return m_history; }
    std::int32_t ViewMode() const { return m_viewMode; }
    std::int32_t InterfaceMode() const;
    bool PollingActive() const { return m_phone->PollingActive(); }
    // The tooltip of a control, in the current language, looked up when it is shown.
    static std::string TooltipText(int controlId);

    class DeviceNotice;

  private:
    void EndQuery();
    ControlState& MutableControl(int id);
    void BuildCommandMap();
    void ApplyLanguage();
    // The status parts' texts and tips in the language now in force.
    void ReTextStatusParts();
    // Checks the current language's item, and only that one.
    void CheckLanguageItem();
    void ApplyInterfaceMarks();
    void ApplyViewMarks();
    void SetMenuCheck(int commandId, bool checked);
    void SetMenuEnabled(int commandId, bool enabled);
    void SetEnabled(int id, bool enabled);
    void SetStatusPartText(int part, std::string text);
    void PrepareFileList();
    void LoadSearchMasks();
    // File > Exit, Escape and the close box: while a job that writes runs, asks whether to
    // stop it and quit. True when the window may go.
    bool ConfirmLeaving();
    void Exit();
    void ExitNow();
    void OpenHelp();

    [[no_unique_address]] WindowThreadCheck m_thread;
    MainWindowPorts m_ports;
    MainWindowView& m_view;
    std::shared_ptr<JobWindowProxy> m_jobWindow;
    DeviceNotice& m_notice;
    std::unique_ptr<LibrarySession> m_session;
    SessionTree* m_sessionTree = nullptr;
    WindowJobCommands* m_jobs = nullptr;
    std::unique_ptr<PhoneSession> m_phone;
    CommandMap m_commands;

    std::vector<ControlState> m_controls;
    std::array<StatusPartState, kStatusParts> m_status;
    ProgressState m_progress;
    ProgressState m_fileProgress;
    std::array<ColumnState, kFileListColumnCount> m_columns;
    MenuSpec m_mainMenu;
    std::set<int> m_greyedItems;
    std::vector<DeviceEntry> m_devices;
    std::optional<int> m_selectedDevice;
    std::vector<std::string> m_maskItems;
    SearchHistory m_history;

    std::int32_t m_viewMode = kViewReport;
    bool m_restorePending = true;
    double m_textScale = 1.0;
    int m_handlerDepth = 0;
    bool m_waitShown = false;
    bool m_unlocked = true;       // the job lock's last word
    bool m_searchAllowed = true;  // the file-system flag check's last word on searching
    bool m_listCreated = false;
    bool m_askingToLeave = false;
    bool m_sessionEnding = false;
    std::int32_t m_listRows = 0;
};

}  // namespace velmora
