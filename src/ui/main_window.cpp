#include "ui/main_window.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <utility>

#include "base/lang_string.h"
#include "fsac/file_list.h"
#include "phone/device_poll.h"
#include "transfer/job.h"
#include "transfer/stop_flag.h"
#include "ui/help.h"
#include "ui/language.h"
#include "ui/main_window_ids.h"

namespace velmora {
namespace {

constexpr std::array<std::int32_t, kStatusParts> kStatusRightEdges{22, 50, 250, 330, 2000};
constexpr int kStrStopAndQuit = 500;
constexpr int kStrConnectedTip = 142;
constexpr int kStrDisconnectedTip = 143;

// The controls the job lock turns on while idle; Interrupt is the one it turns the other way.
constexpr std::array<int, 10> kLockedControls{
    kIdDeviceList, kIdDownload,  kIdGetFileList, kIdSearch,  kIdUpload,
    kIdDelete,     kIdFillSpace, kIdRestart,     kIdSuspend, kIdLeaveBytesLabel};

struct ViewCommand {
    int command;
    std::int32_t view;
};
constexpr std::array<ViewCommand, 8> kViewCommands{{
    {kCmdViewIcons, kViewLargeIcons},
    {kCmdViewTable, kViewReport},
    {kCmdViewSmallIcons, kViewSmallIcons},
    {kCmdViewList, kViewList},
    {kCmdContextIcons, kViewLargeIcons},
    {kCmdContextTable, kViewReport},
    {kCmdContextSmallIcons, kViewSmallIcons},
    {kCmdContextList, kViewList},
}};

ControlState Make(int id, ControlKind kind, std::string text, Size size = {}) {
    ControlState c;
    c.id = id;
    c.kind = kind;
    c.text = std::move(text);
    c.rect = Rect{0, 0, size.width, size.height};
    return c;
}

MenuItem* FindItem(std::vector<MenuItem>& items, int id) {
    for (auto& item : items) {
        if (item.kind == MenuItem::Kind::Command && item.id == id) return &item;
        if (auto* found = FindItem(item.children, id)) return found;
    }
    return nullptr;
}

const MenuItem* FindItem(const std::vector<MenuItem>& items, int id) {
    return FindItem(const_cast<std::vector<MenuItem>&>(items), id);
}

}  // namespace

// What the phone library holds on to as its notification window. The library lives on after
// the window (it is never uninitialised), so the notice outlives it; it posts through the
// window's job channel, which drops the notice once the window is gone.
class MainWindow::DeviceNotice final : public PstNotificationSink {
  public:
    DeviceNotice(std::shared_ptr<JobWindowProxy> channel, MainWindow& window)
        : m_channel(std::move(channel)), m_window(&window) {}
    void OnDeviceListChanged() override {
        // Posted even on the window's thread: the library may notify from inside its
        // initialisation, which runs in the middle of a handler.
        m_channel->PostNotice(
            [window = m_window] { window->OnEvent(WindowEvent::DeviceListChanged); });
    }

  private:
    std::shared_ptr<JobWindowProxy> m_channel;
    MainWindow* m_window;  // reached only through the channel, while the window is there
};

namespace {

MainWindow::DeviceNotice& KeepNotice(std::unique_ptr<MainWindow::DeviceNotice> notice) {
    static std::mutex mutex;
    // Reachable to the end of the process, by design: see DeviceNotice.
    static auto* notices = new std::vector<std::unique_ptr<MainWindow::DeviceNotice>>;
    std::lock_guard lock(mutex);
    notices->push_back(std::move(notice));
    return *notices->back();
}

}  // namespace

MainWindow::MainWindow(MainWindowPorts ports, MainWindowView& view)
    : m_ports(std::move(ports)),
      m_view(view),
      // The window's thread outlives the window; the channel does not own it.
      m_jobWindow(std::make_shared<JobWindowProxy>(
          std::shared_ptr<UiThread>(std::shared_ptr<UiThread>(), &m_ports.ui), *this)),
      m_notice(KeepNotice(std::make_unique<DeviceNotice>(m_jobWindow, *this))) {
    m_session =
        std::make_unique<LibrarySession>(m_ports.library, m_ports.user, m_ports.prompts, m_notice);
    m_phone = std::make_unique<PhoneSession>(m_ports.library, *this, m_ports.prompts, this);

    m_textScale = m_view.TextScale();
    // Template texts; the language replaces those that have a string. Sizes are for the
    // controls that keep their own size at every layout, and grow with the text.
    auto control = [this](int id, ControlKind kind, std::string text, Size size = {}) {
        return Make(id, kind, std::move(text), ScaledSize(size, m_textScale));
    };
    constexpr Size kButton{80, 22};
    m_controls = {
        control(kIdDeviceList, ControlKind::DropDownList, ""),
        control(kIdUploadPath, ControlKind::Edit, ""),
        control(kIdTree, ControlKind::Tree, "Tree1"),
        control(kIdSearchMask, ControlKind::ComboBox, ""),
        control(kIdSearch, ControlKind::Button, "search", {60, 22}),
        control(kIdFileList, ControlKind::ListView, "List1"),
        control(kIdProgress, ControlKind::HorizontalBar, "Progress1"),
        control(kIdFileProgress, ControlKind::VerticalBar, ""),
        control(kIdGetFileList, ControlKind::Button, "Get File List", kButton),
        control(kIdDownload, ControlKind::Button, "Download", kButton),
        control(kIdUpload, ControlKind::Button, "Upload", kButton),
        control(kIdDelete, ControlKind::Button, "Delete", kButton),
        control(kIdFillSpace, ControlKind::Button, "Fill space", kButton),
        control(kIdLeaveBytes, ControlKind::NumberEdit, "", {80, 20}),
        control(kIdLeaveBytesLabel, ControlKind::Label, "leave bytes free", {80, 16}),
        control(kIdRestart, ControlKind::Button, "Restart tel.", kButton),
        control(kIdSuspend, ControlKind::Button, "Suspend tel.", kButton),
        control(kIdInterrupt, ControlKind::Button, "Interrupt", kButton),
        control(kIdStatusBar, ControlKind::StatusBar, ""),
    };
    for (int i = 0; i < kStatusParts; ++i) {
        m_status[i].rightEdge = ScaledPixels(kStatusRightEdges[i], m_textScale);
    }
    for (int i = 0; i < kFileListColumnCount; ++i) {
        m_columns[i] = ColumnState{"", ScaledPixels(kFileListColumns[i].initialWidth, m_textScale),
                                   kFileListColumns[i].align};
    }
    m_mainMenu = MainMenu();
    BuildCommandMap();
}

MainWindow::~MainWindow() {
    m_jobWindow->Detach();
}

void MainWindow::Run(PhoneQuery query) {
    m_thread.Check();
    ++m_handlerDepth;
    const bool started = RunPhoneQuery(
        m_jobWindow, m_ports.startQuery,
        [this, query = std::move(query)](PhoneWindow& window, Prompts& prompts) -> QueryResult {
            QueryResult result;
            try {
                result = query(window, prompts);
            } catch (...) {
                // Reported by the query as far as it could; its end still comes back.
            }
            return [this, result = std::move(result)] {
                struct Ended {
                    MainWindow* window;
                    ~Ended() { window->EndQuery(); }
                } ended{this};
                if (result) result();
            };
        });
    if (!started) EndQuery();
}

void MainWindow::EndQuery() {
    if (--m_handlerDepth == 0) ShowArrowCursor();
}

void MainWindow::Start() {
    ApplyLanguage();
    CheckLanguageItem();
    SetControlText(kIdLeaveBytes, "0");
    PrepareFileList();
    SetStatusIcon(kInterfaceStatusPart, kIconUsb, "");
    LoadSearchMasks();
    if (auto view = ReadView(m_ports.user)) SetView(*view);
    ShowControl(kIdFileProgress, false);

    // Reads InterfaceMode and initialises the library in that mode.
    m_session->Start();
    ApplyInterfaceMarks();
    EnableControls(LibraryReady() ? 1 : 0, 1);

    // The synthetic first size message: it restores the stored rectangle unless an earlier
    // layout (restoring the Table view) already did.
    HandleSize(Size{0, 0});
}

void MainWindow::PrepareFileList() {
    m_viewMode = kViewReport;
    m_listCreated = true;
    m_view.ViewModeChanged();
    m_view.ColumnsChanged();
}

void MainWindow::LoadSearchMasks() {
    m_history.Load(m_ports.user);
    SetMaskItems(m_history.Masks());
}

void MainWindow::SetMaskItems(std::vector<std::string> masks) {
    m_maskItems = std::move(masks);
    MutableControl(kIdSearchMask).text = m_maskItems.empty() ? "" : m_maskItems.front();
    m_view.MaskListChanged();
    m_view.ControlChanged(kIdSearchMask);
}

// ---- command map ----

void MainWindow::BuildCommandMap() {
    auto on = [this](WindowEvent event, int id, std::function<void(const EventArgs&)> f) {
        m_commands.Set(EventKey{event, id}, std::move(f));
    };
    auto clicked = [&](int id, std::function<void()> f) {
        on(WindowEvent::Clicked, id, [f = std::move(f)](const EventArgs&) { f(); });
    };
    auto command = [&](int id, std::function<void()> f) {
        on(WindowEvent::Command, id, [f = std::move(f)](const EventArgs&) { f(); });
    };
    on(WindowEvent::Timer, kPollTimer, [this](const EventArgs&) { m_phone->OnPollTimer(); });
    on(WindowEvent::DeviceListChanged, 0, [this](const EventArgs&) { SchedulePoll(); });
    on(WindowEvent::HelpRequest, 0, [this](const EventArgs&) { OpenHelp(); });

    // The job commands' rows, forwarded while the jobs are attached.
    using Jobs = WindowJobCommands;
    using Args = const EventArgs&;
    auto job = [&](WindowEvent event, int id, std::function<void(Jobs&, Args)> f) {
        on(event, id, [this, f = std::move(f)](Args args) {
            if (m_jobs) f(*m_jobs, args);
        });
    };
    job(WindowEvent::Clicked, kIdGetFileList, [](Jobs& j, Args) { j.GetFileList(); });
    job(WindowEvent::Clicked, kIdSearch, [](Jobs& j, Args) { j.Search(); });
    job(WindowEvent::Clicked, kIdDownload, [](Jobs& j, Args) { j.Download(); });
    job(WindowEvent::Command, kCmdContextDownload, [](Jobs& j, Args) { j.Download(); });
    job(WindowEvent::ListDoubleClick, kIdFileList, [](Jobs& j, Args a) { j.Open(a.param); });
    job(WindowEvent::Clicked, kIdUpload, [](Jobs& j, Args) { j.Upload(); });
    job(WindowEvent::FilesDropped, kIdFileList, [](Jobs& j, Args a) { j.Drop(a.paths); });
    job(WindowEvent::Clicked, kIdFillSpace, [](Jobs& j, Args) { j.FillSpace(); });
    job(WindowEvent::Clicked, kIdDelete, [](Jobs& j, Args) { j.Delete(); });
    job(WindowEvent::Command, kCmdContextDelete, [](Jobs& j, Args) { j.Delete(); });
    job(WindowEvent::Command, kCmdProperties, [](Jobs& j, Args) { j.Properties(); });
    job(WindowEvent::ListColumnClick, kIdFileList,
        [](Jobs& j, Args a) { j.HeadingClick(a.param); });
    for (int id : {kCmdSortName, kCmdSortSize, kCmdSortType}) {
        job(WindowEvent::Command, id, [id](Jobs& j, Args) { j.SortBy(id); });
    }
    on(WindowEvent::ListRightClick, kIdFileList,
       [this](const EventArgs& args) { m_view.ShowContextMenu(args.x, args.y); });
    clicked(kIdInterrupt, [] { StopFlag.store(kStopRequested); });
    clicked(kIdRestart, [this] { m_phone->Restart(); });
    clicked(kIdSuspend, [this] { m_phone->Suspend(); });

    for (const auto& vc : kViewCommands) {
        command(vc.command, [this, view = vc.view] { SetView(view); });
    }
    command(kCmdUsb, [this] { SwitchInterface(kInterfaceUsb); });
    command(kCmdRs232, [this] { SwitchInterface(kInterfaceRs232); });
    command(kCommandEnglish, [this] { SwitchLanguageTo(kEnglishCode); });
    command(kCommandRussian, [this] { SwitchLanguageTo(kRussianCode); });
    for (int item = kCommandFirstOtherLanguage;
         item < kCommandFirstOtherLanguage + kOtherLanguageCommands; ++item) {
        command(item, [this, item] {
            if (auto code = LanguageOfCommand(item)) SwitchLanguageTo(*code);
        });
    }
    command(kCmdAbout, [this] { m_view.ShowAbout(); });
    command(kCmdHelp, [this] { OpenHelp(); });
    command(kCmdExit, [this] { Exit(); });

    on(WindowEvent::Cancel, 0, [this](const EventArgs&) {
        if (!ConfirmLeaving()) return;
        StopFlag.store(kStopRequested);  // every way out asks a running job to stop
        m_view.CloseWindow();
    });
}

void MainWindow::OpenHelp() {
    // Found from the executable's folder, never the current directory.
    const auto book = FindHelpBook(m_ports.programFolder);
    if (!book) {
        m_ports.prompts.Message(MissingHelpBookText(m_ports.programFolder), kTitleVelmora,
                                PromptIcon::Stop);
    } else if (!m_view.ShowHelpBook(*book, HelpProject(LanguageIndex()))) {
        m_ports.prompts.Message(UnreadableHelpBookText(*book), kTitleVelmora, PromptIcon::Stop);
    }
}

MainWindow::HandlerScope::HandlerScope(MainWindow& window) : m_window(window) {
    ++m_window.m_handlerDepth;
}

MainWindow::HandlerScope::~HandlerScope() {
    if (--m_window.m_handlerDepth == 0) m_window.ShowArrowCursor();
}

bool MainWindow::OnEvent(WindowEvent event, int id, const EventArgs& args) {
    m_thread.Check();
    HandlerScope scope(*this);
    return m_commands.Dispatch(EventKey{event, id}, args);
}

bool MainWindow::ConfirmLeaving() {
    if (m_sessionEnding) return true;
    // A second Escape or close while the question is open: that box decides.
    if (m_askingToLeave) return false;
    // A listing or a search loses nothing: it just stops.
    if (!WritingJobRunning()) return true;
    m_askingToLeave = true;
    const PromptAnswer answer =
        m_ports.prompts.MessageBox({LoadLangString(kStrStopAndQuit), kTitleVelmora,
                                    PromptIcon::Question, PromptButtons::YesNo});
    m_askingToLeave = false;
    return answer == PromptAnswer::Yes || m_sessionEnding;
}

void MainWindow::Exit() {
    if (ConfirmLeaving()) ExitNow();
}

void MainWindow::EndSession() {
    m_sessionEnding = true;
    StopFlag.store(kStopRequested);
    // The open question's handler leaves once its box returns.
    if (!m_askingToLeave) ExitNow();
}

void MainWindow::ExitNow() {
    StopFlag.store(kStopRequested);
    // A job still writing the list keeps it until it has returned; the window releases it
    // then (its closing waits for the job).
    if (!JobBusy()) TheFileList().Release();
    m_view.CloseWindow();
}

// ---- job lock, bars, texts ----

void MainWindow::EnableControls(int enable, int enableMenus) {
    m_thread.Check();
    m_unlocked = enable != 0;
    for (int id : kLockedControls) SetEnabled(id, enable != 0);
    // A phone without searchable folders keeps its Search button off with its mask box.
    SetEnabled(kIdSearch, m_unlocked && m_searchAllowed);
    SetEnabled(kIdInterrupt, enable == 0);
    SetMenuEnabled(kCmdUsb, enableMenus == 1);
    SetMenuEnabled(kCmdRs232, enableMenus == 1);
}

void MainWindow::SetEnabled(int id, bool enabled) {
    auto& c = MutableControl(id);
    if (c.enabled == enabled) return;
    c.enabled = enabled;
    m_view.ControlChanged(id);
}

void MainWindow::SetProgressRange(int barId, std::int32_t range) {
    m_thread.Check();
    (barId == kIdFileProgress ? m_fileProgress : m_progress).range = range;
    m_view.ProgressChanged(barId);
}

void MainWindow::SetProgressPosition(int barId, std::int32_t position) {
    m_thread.Check();
    (barId == kIdFileProgress ? m_fileProgress : m_progress).position = position;
    m_view.ProgressChanged(barId);
}

const ProgressState& MainWindow::Progress(int barId) const {
    return barId == kIdFileProgress ? m_fileProgress : m_progress;
}

void MainWindow::ShowControl(int id, bool visible) {
    auto& c = MutableControl(id);
    if (c.visible == visible) return;
    c.visible = visible;
    m_view.ControlChanged(id);
}

void MainWindow::SetControlText(int id, std::string text) {
    MutableControl(id).text = std::move(text);
    m_view.ControlChanged(id);
}

void MainWindow::ControlEdited(int id, std::string text) {
    MutableControl(id).text = std::move(text);
}

void MainWindow::SetStatusText(int part, const std::string& text) {
    SetStatusPartText(part, text);
}

void MainWindow::SetStatusPartText(int part, std::string text) {
    m_thread.Check();
    if (part < 0 || part >= kStatusParts) return;
    m_status[part].text = std::move(text);
    m_view.StatusPartChanged(part);
}

void MainWindow::SetStatusIcon(int part, int iconId, std::string tip) {
    m_thread.Check();
    if (part < 0 || part >= kStatusParts) return;
    m_status[part].icon = iconId;
    m_status[part].tip = std::move(tip);
    m_view.StatusPartChanged(part);
}

void MainWindow::ShowWaitCursor() {
    if (m_handlerDepth == 0 || m_waitShown) return;
    m_waitShown = true;
    m_view.SetCursor(CursorShape::Wait);
}

// ---- devices ----

int MainWindow::AddDevice(std::string text, std::uint32_t data) {
    m_thread.Check();
    // Sorted like the drop-down list: a new entry goes after those whose text is not greater.
    const auto at =
        std::upper_bound(m_devices.begin(), m_devices.end(), text,
                         [](const std::string& t, const DeviceEntry& e) { return t < e.text; });
    const int index = static_cast<int>(at - m_devices.begin());
    m_devices.insert(at, DeviceEntry{std::move(text), data});
    if (m_selectedDevice && *m_selectedDevice >= index) ++*m_selectedDevice;
    m_view.DevicesChanged();
    return index;
}

void MainWindow::ClearDevices() {
    m_thread.Check();
    m_devices.clear();
    m_selectedDevice.reset();
    m_view.DevicesChanged();
}

void MainWindow::SelectDevice(std::optional<int> index) {
    m_thread.Check();
    if (index && (*index < 0 || *index >= static_cast<int>(m_devices.size()))) index.reset();
    m_selectedDevice = index;
    m_view.DevicesChanged();
}

void MainWindow::DeviceChosen(std::optional<int> index) {
    m_thread.Check();
    if (index && (*index < 0 || *index >= static_cast<int>(m_devices.size()))) index.reset();
    const bool changed = index != m_selectedDevice;
    m_selectedDevice = index;
    // A job keeps the phone it works on (the list is locked then anyway).
    if (!changed || JobRunning()) return;
    m_phone->ChooseDevice(
        index ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(m_devices[*index].data))
              : std::nullopt);
    // The tree and the free space belong to the phone just picked.
    PhoneChanged();
    if (!index) return;
    HandlerScope scope(*this);
    m_phone->ReadPhone();
    SetStatusPartText(kPathStatusPart, LoadLangString(kStrPathNotSelected));
}

void MainWindow::RestoreStatusParts() {
    const std::string path = m_sessionTree ? m_sessionTree->SelectedPath() : std::string();
    SetStatusPartText(kPathStatusPart, path.empty() ? LoadLangString(kStrPathNotSelected) : path);
    const VolumeState& volumes = m_phone->State();
    SetStatusPartText(kFreeSpaceStatusPart, volumes.FreeSpaceLetter() == 0
                                                ? std::string()
                                                : FormatFreeSpace(volumes.CachedFreeSpace()));
}

void MainWindow::PhoneChanged() {
    m_phone->State().SetFreeSpaceLetter(0);
    ClearFileRowsAndTree();
    SetControlText(kIdUploadPath, "");
    SetStatusPartText(kPathStatusPart, LoadLangString(kStrPathNotSelected));
    SetStatusPartText(kFreeSpaceStatusPart, "");
    // Whatever it said was about the phone before.
    if (!JobRunning()) SetStatusPartText(kStatusMessagePart, "");
    // A running job still reads its entries; it ends on the phone that went.
    if (!JobRunning()) {
        TheFileList().Clear();
        TheFileList().SetCount(0);
    }
}

std::optional<std::uint16_t> MainWindow::SelectedDevice() const {
    m_thread.Check();
    if (!m_selectedDevice) return std::nullopt;
    return static_cast<std::uint16_t>(m_devices[*m_selectedDevice].data);
}

// ---- phone library, interface, poll ----

bool MainWindow::LibraryReady() const {
    return m_session->LibraryReady();
}

std::int32_t MainWindow::Rs232Flag() const {
    return m_session->Rs232Flag();
}

std::int32_t MainWindow::InterfaceMode() const {
    return m_session->InterfaceMode();
}

void MainWindow::OnDeviceListChanged() {
    m_notice.OnDeviceListChanged();
}

void MainWindow::SchedulePoll() {
    m_phone->SchedulePoll();
}

bool MainWindow::JobRunning() const {
    return StopFlag.load() == kJobRunning;
}

void MainWindow::StartTimer(int id, int periodMs) {
    m_view.StartTimer(id, periodMs);
}

void MainWindow::StopTimer(int id) {
    m_view.StopTimer(id);
}

void MainWindow::ShowArrowCursor() {
    if (!m_waitShown) return;
    m_waitShown = false;
    m_view.SetCursor(CursorShape::Arrow);
}

void MainWindow::EnableSearchControls(bool enable) {
    m_searchAllowed = enable;
    SetEnabled(kIdSearchMask, enable);
    SetEnabled(kIdSearch, enable && m_unlocked);
}

void MainWindow::ResetTree(const std::vector<std::string>& volumes) {
    if (m_sessionTree) m_sessionTree->ResetTree(volumes);
}

std::optional<std::string> MainWindow::RootText() const {
    return m_sessionTree ? m_sessionTree->RootText() : std::nullopt;
}

void MainWindow::SetRootText(const std::string& text) {
    if (m_sessionTree) m_sessionTree->SetRootText(text);
}

void MainWindow::ClearFileRowsAndTree() {
    if (m_sessionTree) m_sessionTree->ClearFileRowsAndTree();
}

void MainWindow::SwitchInterface(std::int32_t mode) {
    mode = mode == kInterfaceRs232 ? kInterfaceRs232 : kInterfaceUsb;
    SetMenuCheck(kCmdUsb, mode == kInterfaceUsb);
    SetMenuCheck(kCmdRs232, mode == kInterfaceRs232);
    SetStatusIcon(kInterfaceStatusPart, mode == kInterfaceUsb ? kIconUsb : kIconRs232, "");
    // Re-initialises the library and stores InterfaceMode; library ready and the controls
    // stay as they are whatever it returns.
    m_session->SwitchInterface(mode);
    SchedulePoll();
}

void MainWindow::ApplyInterfaceMarks() {
    const bool usb = InterfaceMode() != kInterfaceRs232;
    SetMenuCheck(kCmdUsb, usb);
    SetMenuCheck(kCmdRs232, !usb);
    SetStatusIcon(kInterfaceStatusPart, usb ? kIconUsb : kIconRs232,
                  m_status[kInterfaceStatusPart].tip);
}

// ---- language ----

void MainWindow::ApplyLanguage() {
    for (const auto& ct : LanguageControlTexts()) {
        MutableControl(ct.controlId).text = LoadLangString(ct.stringId);
        m_view.ControlChanged(ct.controlId);
    }
    const auto columns = FileListColumns();
    for (std::size_t i = 0; i < columns.size() && i < m_columns.size(); ++i) {
        m_columns[i].heading = columns[i].heading;
    }
    m_view.ColumnsChanged();
    // The phones keep their places in the list; the next poll sorts them again.
    for (auto& device : m_devices) {
        device.text = DeviceEntryText(static_cast<std::uint16_t>(device.data));
    }
    if (!m_devices.empty()) m_view.DevicesChanged();

    m_mainMenu = MainMenu();
    // The fresh menus carry the marks of the old ones over, and keep the Interface items
    // greyed while a job runs: a switch mid-job must not re-open the interface switch, which
    // would restart the library under the job.
    const bool interfaceGreyed = m_greyedItems.contains(kCmdUsb);
    m_greyedItems.clear();
    if (interfaceGreyed) m_greyedItems = {kCmdUsb, kCmdRs232};
    if (m_session) ApplyInterfaceMarks();
    ApplyViewMarks();
    m_view.MenusRebuilt();
    ReTextStatusParts();
}

void MainWindow::ReTextStatusParts() {
    StatusPartState& connection = m_status[kConnectionStatusPart];
    if (connection.icon == kIconConnected || connection.icon == kIconDisconnected) {
        SetStatusIcon(kConnectionStatusPart, connection.icon,
                      LoadLangString(connection.icon == kIconConnected ? kStrConnectedTip
                                                                       : kStrDisconnectedTip));
    }
    // A transfer rewrites its own texts with its next chunk.
    if (m_phone && !JobRunning() && !m_status[kPathStatusPart].text.empty()) RestoreStatusParts();
}

void MainWindow::CheckLanguageItem() {
    const int checked = LanguageCommand(LanguageCode());
    for (const auto& code : AvailableLanguages()) {
        const int item = LanguageCommand(code);
        if (item) SetMenuCheck(item, item == checked);
    }
}

void MainWindow::SwitchLanguageTo(const std::string& code) {
    const auto before = CurrentLanguage();
    if (!SwitchLanguage(code, m_ports.user)) return;
    ApplyLanguage();
    CheckLanguageItem();
    // A message that is one of the program's texts is said again in the new language.
    const std::string& message = m_status[kStatusMessagePart].text;
    if (message.empty() || before->Code() == LanguageCode()) return;
    if (const int id = FindLangString(*before, message)) {
        SetStatusPartText(kStatusMessagePart, LoadLangString(id));
    }
}

// ---- view mode ----

void MainWindow::SetView(std::int32_t view) {
    if (view < kViewLargeIcons || view > kViewList) return;
    if (view != m_viewMode) {
        m_viewMode = view;
        m_view.ViewModeChanged();
    }
    StoreView(m_ports.user, view);
    ApplyViewMarks();
    if (view == kViewReport) Relayout();
}

void MainWindow::ApplyViewMarks() {
    // Both View menus show the list's mode from the start, stored or not.
    for (const auto& vc : kViewCommands) SetMenuCheck(vc.command, vc.view == m_viewMode);
}

// ---- menus ----

void MainWindow::SetMenuCheck(int commandId, bool checked) {
    m_thread.Check();
    MenuItem* item = FindItem(m_mainMenu.items, commandId);
    if (!item) return;
    item->checked = checked;
    m_view.MenuItemChanged(commandId);
}

void MainWindow::SetMenuEnabled(int commandId, bool enabled) {
    m_thread.Check();
    const bool was = !m_greyedItems.contains(commandId);
    if (enabled) {
        m_greyedItems.erase(commandId);
    } else {
        m_greyedItems.insert(commandId);
    }
    if (was != enabled) m_view.MenuItemChanged(commandId);
}

bool MainWindow::MenuChecked(int commandId) const {
    const MenuItem* item = FindItem(m_mainMenu.items, commandId);
    return item && item->checked;
}

bool MainWindow::MenuEnabled(int commandId) const {
    return !m_greyedItems.contains(commandId);
}

bool MainWindow::MenuCheckable(int commandId) {
    if (commandId == kCmdUsb || commandId == kCmdRs232 || commandId == kCommandEnglish ||
        commandId == kCommandRussian ||
        (commandId >= kCommandFirstOtherLanguage &&
         commandId < kCommandFirstOtherLanguage + kOtherLanguageCommands)) {
        return true;
    }
    return std::any_of(kViewCommands.begin(), kViewCommands.end(),
                       [commandId](const ViewCommand& vc) { return vc.command == commandId; });
}

// ---- layout ----

void MainWindow::HandleSize(Size client) {
    m_thread.Check();
    if (!m_listCreated) return;
    // The synthetic start-up message carries no size: lay out for the real client area.
    Size area = client.width == 0 && client.height == 0 ? m_view.ClientSize() : client;
    if (m_restorePending) {
        m_restorePending = false;
        if (auto rect = RestoredWindowRect(m_ports.user, m_view.DisplaySize(), m_textScale)) {
            m_view.MoveWindow(*rect);
            m_view.Repaint();
        }
    } else {
        const Rect window = m_view.WindowRect();
        const Rect snapped = SnappedWindowRect(window, client, m_textScale);
        if (snapped != window) {
            m_view.MoveWindow(snapped);
            // The controls go where the snapped window has room for them: the client area
            // grows by what the frame grew, whether or not the toolkit reports it yet.
            area.width += snapped.Width() - window.Width();
            area.height += snapped.Height() - window.Height();
        }
        StoreWindowRect(m_ports.user, snapped);
    }

    for (const auto& placement : PlaceControls(area, m_textScale)) {
        auto& c = MutableControl(placement.id);
        const Size size = placement.size.value_or(Size{c.rect.Width(), c.rect.Height()});
        c.rect =
            Rect{placement.x, placement.y, placement.x + size.width, placement.y + size.height};
    }
    const auto widths =
        ColumnWidths(area, ListMetrics{m_view.ListRowHeight(), m_listRows, m_view.ScrollBarWidth()},
                     m_textScale);
    for (int i = 0; i < kFileListColumnCount; ++i) m_columns[i].width = widths[i];
    m_view.LayoutChanged();
    m_view.ColumnsChanged();
}

void MainWindow::HandleMove() {
    HandleSize(m_view.ClientSize());
}

void MainWindow::Relayout() {
    HandleSize(m_view.ClientSize());
}

void MainWindow::SetListRowCount(std::int32_t rows) {
    m_listRows = rows;
}

// ---- lookups ----

ControlState& MainWindow::MutableControl(int id) {
    m_thread.Check();
    for (auto& c : m_controls) {
        if (c.id == id) return c;
    }
    throw std::out_of_range("no such control");
}

const ControlState& MainWindow::Control(int id) const {
    return const_cast<MainWindow*>(this)->MutableControl(id);
}

std::string MainWindow::TooltipText(int controlId) {
    return LoadTooltipString(controlId);
}

}  // namespace velmora
