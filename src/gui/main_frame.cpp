#include "gui/main_frame.h"

#include <gtk/gtk.h>
#include <wx/accel.h>
#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/valtext.h>

#include <algorithm>
#include <vector>

#include "base/lang_string.h"
#include "base/system_clock.h"
#include "gui/about_dialog.h"
#include "gui/accessible_names_gtk.h"
#include "gui/icons.h"
#include "gui/list_key_input.h"
#include "gui/properties_dialog.h"
#include "gui/text_scale.h"
#include "gui/wx_menu.h"
#include "gui/wx_text.h"
#include "phone/open_channel.h"
#include "transfer/job.h"
#include "transfer/stop_flag.h"
#include "ui/accessible_names.h"
#include "ui/language.h"
#include "ui/main_window_ids.h"

namespace velmora {
namespace {

// The layout is in exact pixels, tighter than the theme's default padding: let buttons,
// entries and drop-downs be as small as the layout places them.
void UseCompactControls() {
    static bool applied = false;
    if (applied) return;
    applied = true;
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css,
                                    "button, entry, combobox button, combobox entry {"
                                    "  min-height: 0; padding-top: 0; padding-bottom: 0; }"
                                    "button { padding-left: 4px; padding-right: 4px; }",
                                    -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
}

// Where the window opens before any stored rectangle, grown with the text like the layout.
wxSize TemplateSize() {
    const Size size = ScaledSize(Size{660, 420}, DesktopTextScale());
    return wxSize(size.width, size.height);
}

// The window's push buttons.
constexpr int kButtons[] = {kIdSearch,    kIdGetFileList, kIdDownload, kIdUpload,   kIdDelete,
                            kIdFillSpace, kIdRestart,     kIdSuspend,  kIdInterrupt};

// Shows the tip, or no tip at all for an empty one.
void ShowTip(wxWindow* window, const std::string& tip) {
    if (tip.empty()) {
        window->UnsetToolTip();
    } else {
        window->SetToolTip(FromUtf8(tip));
    }
}

// wx paints a field at once whenever its text changes, for programs that block their thread
// right after; ours never does, and a running job changes the texts at every turn of the
// loop: the field is painted with the window's next frame instead.
class StatusBar final : public wxStatusBar {
  public:
    using wxStatusBar::wxStatusBar;

  protected:
    void DoUpdateStatusText(int part) override {
        wxRect field;
        if (GetFieldRect(part, field)) RefreshRect(field);
    }
};

wxBitmapBundle StatusIconBitmap(int iconId) {
    switch (iconId) {
        case kIconConnected:
            return ConnectedIcon();
        case kIconDisconnected:
            return DisconnectedIcon();
        case kIconUsb:
            return UsbIcon();
        case kIconRs232:
            return Rs232Icon();
        default:
            return wxBitmap(16, 16);
    }
}

}  // namespace

MainFrame::MainFrame(PstLibrary& library, SettingsStore& user, Shell& shell,
                     std::string programFolder, Prompts* prompts)
    : wxFrame(nullptr, wxID_ANY, kTitleVelmora, wxDefaultPosition, TemplateSize()),
      m_shell(shell),
      m_ui(*this),
      m_treeModel(m_prompts, TheFileList()) {
    UseCompactControls();
    m_prompts.SetParent(this);
    m_prompts.SetStandIn(prompts);
    m_timer.SetOwner(this, kPollTimer);
    m_closeTimer.SetOwner(this, kCloseTimer);
    SetIcons(MainIcons());
    CreateControls();
    m_model = std::make_unique<MainWindow>(
        MainWindowPorts{library, user, m_prompts, m_ui, shell, std::move(programFolder)}, *this);
    m_model->AttachSessionTree(&m_sessionTree);
    m_icons = std::make_unique<DesktopIconSource>();
    m_jobs = std::make_unique<MainWindowJobs>(MainWindowJobsParts{
        *m_model, library, user, TheFileList(), m_treeModel, m_fileRows, *m_icons, shell,
        [this](PropertiesModel& model) { return ShowPropertiesDialog(this, model); },
        &TheSystemClock()});
    for (const auto& control : m_model->Controls()) ControlChanged(control.id);
    RebuildMenuBar();
    BindInput();
    m_model->Start();
    RenderTooltips();
    RenderAccessibleNames();
}

MainFrame::~MainFrame() {
    // Children go first: their last events must not reach a model that is gone.
    m_closing = true;
    m_timer.Stop();
    m_closeTimer.Stop();
    m_ui.Shutdown();
    DestroyChildren();
    m_jobs.reset();
    m_model.reset();
}

void MainFrame::CreateControls() {
    m_panel = new wxPanel(this, wxID_ANY);
    // The window's own small font; the controls created below inherit it.
    m_panel->SetFont(wxFont(wxFontInfo(8).Family(wxFONTFAMILY_SWISS).FaceName("Arial")));
    auto button = [this](int id, const char* text) {
        auto* b = new wxButton(m_panel, id, text, wxDefaultPosition, wxSize(80, 22));
        m_controls[id] = b;
    };
    m_devices = new wxChoice(m_panel, kIdDeviceList);
    m_uploadPath = new wxTextCtrl(m_panel, kIdUploadPath);
    m_tree = new VolumeTreeCtrl(m_panel, m_treeModel, kIdTree);
    m_mask = new wxComboBox(m_panel, kIdSearchMask, "", wxDefaultPosition, wxDefaultSize, 0,
                            nullptr, wxCB_DROPDOWN | wxTE_PROCESS_ENTER);
    m_list = new FileListView(m_panel, m_fileRows, kIdFileList);
    m_progress = new wxGauge(m_panel, kIdProgress, 100, wxDefaultPosition, wxDefaultSize,
                             wxGA_HORIZONTAL | wxGA_SMOOTH);
    m_fileProgress = new wxGauge(m_panel, kIdFileProgress, 100, wxDefaultPosition, wxDefaultSize,
                                 wxGA_VERTICAL | wxGA_SMOOTH);
    m_leaveBytes = new wxTextCtrl(m_panel, kIdLeaveBytes, "", wxDefaultPosition, wxDefaultSize,
                                  wxTE_RIGHT, wxTextValidator(wxFILTER_DIGITS));
    m_controls[kIdDeviceList] = m_devices;
    m_controls[kIdUploadPath] = m_uploadPath;
    m_controls[kIdTree] = m_tree;
    m_controls[kIdSearchMask] = m_mask;
    m_controls[kIdFileList] = m_list;
    m_controls[kIdProgress] = m_progress;
    m_controls[kIdFileProgress] = m_fileProgress;
    m_controls[kIdLeaveBytes] = m_leaveBytes;
    for (int id : kButtons) button(id, "");
    m_controls[kIdLeaveBytesLabel] = new wxStaticText(m_panel, kIdLeaveBytesLabel, "");

    m_status = new StatusBar(m_panel, kIdStatusBar,
                             wxSTB_SHOW_TIPS | wxSTB_ELLIPSIZE_END | wxFULL_REPAINT_ON_RESIZE);
    m_controls[kIdStatusBar] = m_status;
    for (int i = 0; i < 2; ++i) {
        m_statusIcons[i] = new wxStaticBitmap(m_status, wxID_ANY, StatusIconBitmap(0));
        m_statusIcons[i]->Hide();
    }
}

void MainFrame::BindInput() {
    // The status bar's parts, from their right edges; the last runs to the window's edge.
    int widths[kStatusParts];
    std::int32_t left = 0;
    for (int i = 0; i < kStatusParts; ++i) {
        const std::int32_t right = m_model->StatusPart(i).rightEdge;
        widths[i] = i + 1 == kStatusParts ? -1 : right - left;
        left = right;
    }
    m_status->SetFieldsCount(kStatusParts, widths);
    m_status->Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
        e.Skip();
        PlaceStatusIcons();
    });

    for (int id : kButtons) {
        Bind(
            wxEVT_BUTTON,
            [this](wxCommandEvent& e) {
                if (!m_closing) m_model->Click(e.GetId());
            },
            id);
    }
    Bind(wxEVT_MENU, &MainFrame::OnMenu, this);
    // GTK gives Escape to the frame's accelerator even while a menu has the keyboard, and the
    // menu then stays open: Escape closes the menu (OnMenu), never the window. The list's
    // context menu reports to the list.
    for (wxWindow* owner : {static_cast<wxWindow*>(this), static_cast<wxWindow*>(m_list)}) {
        owner->Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& e) {
            e.Skip();
            ++m_openMenus;
            m_openMenu = e.GetMenu();
        });
        owner->Bind(wxEVT_MENU_CLOSE, [this](wxMenuEvent& e) {
            e.Skip();
            if (m_openMenus == 0) return;
            m_openMenu = nullptr;  // a pop-up is deleted once it has closed
            // Counted closed once the key that closed it has been handled.
            m_ui.Post([this] {
                if (m_openMenus > 0) --m_openMenus;
            });
        });
    }
    Bind(wxEVT_TIMER, [this](wxTimerEvent& e) {
        if (e.GetId() == kCloseTimer) {
            FinishClosing();
        } else if (!m_closing) {
            m_model->OnEvent(WindowEvent::Timer, e.GetId());
        }
    });
    Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
        e.Skip();
        if (!m_closing && m_model) m_model->HandleSize(ClientSize());
    });
    Bind(wxEVT_MOVE, [this](wxMoveEvent& e) {
        e.Skip();
        if (!m_closing && m_model) m_model->HandleMove();
    });
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& e) {
        if (m_closing) return;
        if (!e.CanVeto()) {
            EndSession();  // a close that cannot be refused is no time for a question
        } else if (!m_model->OnEvent(WindowEvent::Cancel)) {
            CloseWindow();
        } else if (!m_closing) {
            e.Veto();  // the user chose to let the job go on
        }
    });

    m_devices->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        const int sel = m_devices->GetSelection();
        m_model->DeviceChosen(sel == wxNOT_FOUND ? std::nullopt : std::optional<int>(sel));
    });
    for (wxTextCtrl* edit : {m_uploadPath, m_leaveBytes}) {
        edit->Bind(wxEVT_TEXT, [this, edit](wxCommandEvent&) {
            if (!m_closing) m_model->ControlEdited(edit->GetId(), ToUtf8(edit->GetValue()));
        });
    }
    auto maskEdited = [this](wxCommandEvent&) {
        if (!m_closing && !m_applyingMasks)
            m_model->ControlEdited(kIdSearchMask, ToUtf8(m_mask->GetValue()));
    };
    m_mask->Bind(wxEVT_TEXT, maskEdited);
    m_mask->Bind(wxEVT_COMBOBOX, maskEdited);
    // Enter in the mask is the Search button, and like it does nothing while it is greyed.
    m_mask->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) {
        if (!m_closing && m_model->Control(kIdSearch).enabled) m_model->Click(kIdSearch);
    });

    // The tree changes its own model, and the window hears of a selection through the tree's
    // selection handler; the list's clicks and commands go through the command map.
    m_list->SetCommandHandler([this](int commandId) { RunMenuCommand(commandId); });
    m_list->SetContextMenuHandler([this](const wxPoint& screen) {
        if (!m_closing)
            m_model->OnEvent(WindowEvent::ListRightClick, kIdFileList, {0, screen.x, screen.y});
    });
    m_list->SetHeadingClickHandler([this](int column) {
        if (!m_closing) m_model->OnEvent(WindowEvent::ListColumnClick, kIdFileList, {column});
    });
    // A file manager's drop arrives as local paths; the window decides what happens.
    m_list->SetDropHandler([this](const std::vector<std::string>& paths) {
        if (!m_closing)
            m_model->OnEvent(WindowEvent::FilesDropped, kIdFileList, EventArgs{.paths = paths});
    });
    m_list->SetActivateHandler([this](int row) {
        if (!m_closing) m_model->OnEvent(WindowEvent::ListDoubleClick, kIdFileList, {row});
    });
    BindListKeys(*m_list, [this](ListKey key, int focusedRow) {
        if (!m_closing) HandleListKey(*m_model, m_fileRows, key, focusedRow);
    });

    // Tooltip texts are looked up when the pointer arrives, so they follow the language.
    for (const auto& [id, window] : m_controls) {
        if (id == kIdStatusBar) continue;  // its parts show their own tips
        window->Bind(wxEVT_ENTER_WINDOW, [this, id = id, window = window](wxMouseEvent& e) {
            e.Skip();
            ShowTip(window, MainWindow::TooltipText(id));
        });
    }

    wxAcceleratorEntry keys[2];
    keys[0].Set(wxACCEL_NORMAL, WXK_ESCAPE, wxID_CANCEL);
    keys[1].Set(wxACCEL_NORMAL, WXK_F1, wxID_HELP);
    SetAcceleratorTable(wxAcceleratorTable(2, keys));
}

void MainFrame::OnMenu(wxCommandEvent& event) {
    if (m_closing) return;
    const int id = event.GetId();
    if (id == wxID_CANCEL) {
        if (MenuOpen()) {
            CloseOpenMenu();
            return;
        }
        m_model->OnEvent(WindowEvent::Cancel);
        return;
    }
    if (id == wxID_HELP) {
        m_model->OnEvent(WindowEvent::HelpRequest);
        return;
    }
    RunMenuCommand(CommandOf(id));
}

void MainFrame::CloseOpenMenu() {
    // A menu of the bar closes with the bar's selection; a pop-up by itself.
    GtkWidget* shell = nullptr;
    if (m_openMenu && !m_openMenu->GetMenuBar()) shell = m_openMenu->m_menu;
    if (!shell && GetMenuBar()) shell = GetMenuBar()->GetHandle();
    if (shell && GTK_IS_MENU_SHELL(shell)) gtk_menu_shell_cancel(GTK_MENU_SHELL(shell));
}

void MainFrame::RunMenuCommand(int commandId) {
    if (m_closing) return;
    m_inMenuCommand = true;
    m_model->Command(commandId);
    m_inMenuCommand = false;
    // The toolkit toggles a check item by itself; the model decides what it shows.
    if (!m_closing) RenderMenuMarks();
}

// ---- menus ----

int MainFrame::MenuId(int commandId) {
    constexpr int kFirstMenuId = 10000;  // clear of the control ids and of wx's own
    if (auto it = m_menuIds.find(commandId); it != m_menuIds.end()) return it->second;
    const int id = kFirstMenuId + static_cast<int>(m_menuIds.size());
    m_menuIds[commandId] = id;
    m_commands[id] = commandId;
    return id;
}

int MainFrame::CommandOf(int menuId) const {
    const auto it = m_commands.find(menuId);
    return it == m_commands.end() ? 0 : it->second;
}

wxMenu* MainFrame::BuildMenu(const std::vector<MenuItem>& items) {
    return BuildWxMenu(items, [this](const MenuItem& item) {
        const bool checkable = MainWindow::MenuCheckable(item.id);
        return WxMenuItemState{MenuId(item.id), checkable,
                               checkable && m_model->MenuChecked(item.id),
                               m_model->MenuEnabled(item.id)};
    });
}

void MainFrame::RebuildMenuBar() {
    m_menuRebuildQueued = false;
    m_openMenu = nullptr;
    auto* bar = new wxMenuBar;
    for (const auto& item : m_model->MainMenuSpec().items) {
        if (item.kind == MenuItem::Kind::Popup) {
            bar->Append(BuildMenu(item.children), FromUtf8(item.text));
        }
    }
    wxMenuBar* old = GetMenuBar();
    SetMenuBar(bar);
    delete old;
}

void MainFrame::RenderMenuMarks() {
    wxMenuBar* bar = GetMenuBar();
    if (!bar) return;
    for (const auto& control :
         {kCmdUsb, kCmdRs232, kCmdViewIcons, kCmdViewList, kCmdViewSmallIcons, kCmdViewTable}) {
        MenuItemChanged(control);
    }
    for (const auto& code : AvailableLanguages()) {
        if (const int item = LanguageCommand(code)) MenuItemChanged(item);
    }
}

void MainFrame::MenusRebuilt() {
    // Replacing the menu bar from inside one of its own commands would pull it from under
    // GTK: do it once the command has returned.
    if (!m_inMenuCommand) {
        RebuildMenuBar();
    } else if (!m_menuRebuildQueued) {
        m_menuRebuildQueued = true;
        m_ui.Post([this] {
            if (!m_closing) RebuildMenuBar();
        });
    }
    RenderTooltips();
    RenderAccessibleNames();
}

void MainFrame::MenuItemChanged(int id) {
    wxMenuBar* bar = GetMenuBar();
    if (!bar) return;
    wxMenuItem* item = bar->FindItem(MenuId(id));
    if (!item) return;
    if (item->IsCheckable()) item->Check(m_model->MenuChecked(id));
    item->Enable(m_model->MenuEnabled(id));
}

void MainFrame::ShowContextMenu(std::int32_t screenX, std::int32_t screenY) {
    m_list->ShowContextMenu(wxPoint(screenX, screenY));
}

// ---- rendering ----

wxWindow* MainFrame::Control(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void MainFrame::ControlChanged(int id) {
    wxWindow* window = Control(id);
    if (!window || !m_model) return;
    const ControlState& c = m_model->Control(id);
    const wxString text = FromUtf8(c.text);
    switch (c.kind) {
        case ControlKind::Button:
        case ControlKind::Label:
            if (window->GetLabel() != text) window->SetLabel(text);
            break;
        case ControlKind::Edit:
        case ControlKind::NumberEdit:
            if (auto* edit = static_cast<wxTextCtrl*>(window); edit->GetValue() != text) {
                edit->ChangeValue(text);
            }
            break;
        case ControlKind::ComboBox:
            if (m_mask->GetValue() != text) m_mask->ChangeValue(text);
            break;
        default:
            break;
    }
    window->Enable(c.enabled);
    window->Show(c.visible);
}

void MainFrame::StatusPartChanged(int part) {
    const auto& state = m_model->StatusPart(part);
    m_status->SetStatusText(FromUtf8(state.text), part);
    if (part < 2) {
        wxStaticBitmap* icon = m_statusIcons[part];
        icon->SetBitmap(StatusIconBitmap(state.icon));
        icon->Show(state.icon != 0);
        SetAccessibleName(icon, StatusIconName(part), state.tip);
        ShowTip(icon, state.tip);
        PlaceStatusIcons();
    }
}

void MainFrame::PlaceStatusIcons() {
    for (int part = 0; part < 2; ++part) {
        wxRect field;
        if (!m_status->GetFieldRect(part, field)) continue;
        m_statusIcons[part]->SetSize(field.x + (field.width - 16) / 2,
                                     field.y + (field.height - 16) / 2, 16, 16);
    }
}

void MainFrame::ProgressChanged(int id) {
    wxGauge* gauge = id == kIdFileProgress ? m_fileProgress : m_progress;
    const auto& state = m_model->Progress(id);
    // wx insists on a positive range holding the position.
    const int range = std::max(state.range, 1);
    gauge->SetRange(range);
    gauge->SetValue(std::clamp(state.position, 0, range));
    // GTK 3 sizes the bar's filled part when the bar is allocated, and wx re-allocates a
    // child only when its rectangle changes: allocate it anew so the fill follows the value.
    if (GtkWidget* bar = gauge->GetHandle(); bar && gtk_widget_get_realized(bar)) {
        GtkAllocation allocation;
        gtk_widget_get_allocation(bar, &allocation);
        gtk_widget_size_allocate(bar, &allocation);
        gtk_widget_queue_draw(bar);
    }
}

void MainFrame::DevicesChanged() {
    m_devices->Clear();
    for (const auto& device : m_model->Devices()) m_devices->Append(FromUtf8(device.text));
    const auto selected = m_model->SelectedDeviceIndex();
    m_devices->SetSelection(selected ? *selected : wxNOT_FOUND);
}

void MainFrame::MaskListChanged() {
    const wxString text = FromUtf8(m_model->Control(kIdSearchMask).text);
    wxArrayString items;
    for (const auto& mask : m_model->MaskItems()) items.Add(FromUtf8(mask));
    // Set() empties the entry and reports that as typed, which would wipe the model's text.
    m_applyingMasks = true;
    m_mask->Set(items);
    m_mask->ChangeValue(text);
    m_applyingMasks = false;
}

void MainFrame::ColumnsChanged() {
    if (!m_model) return;
    std::array<int, kFileListColumnCount> widths{};
    const auto& columns = m_model->Columns();
    for (int i = 0; i < kFileListColumnCount && i < kFileListColumnCount; ++i) {
        widths[static_cast<std::size_t>(i)] = columns[static_cast<std::size_t>(i)].width;
    }
    m_list->SetColumnWidths(widths);
    m_fileRows.LanguageChanged();
}

void MainFrame::ViewModeChanged() {
    if (m_model) m_fileRows.SetView(m_model->ViewMode());
}

void MainFrame::LayoutChanged() {
    for (const auto& control : m_model->Controls()) {
        wxWindow* window = Control(control.id);
        if (!window) continue;
        const Rect& r = control.rect;
        int width = r.Width();
        // The layout's label width is for the designer's font; another font must not make
        // GTK wrap the text into a second line the label has no room for.
        if (control.kind == ControlKind::Label) width = std::max(width, window->GetBestSize().x);
        window->SetSize(r.left, r.top, width, r.Height());
    }
    PlaceStatusIcons();
    m_fileProgress->Refresh();
    m_fileProgress->Update();
}

void MainFrame::RenderTooltips() {
    for (const auto& [id, window] : m_controls) {
        if (id == kIdStatusBar) continue;
        ShowTip(window, MainWindow::TooltipText(id));
    }
}

void MainFrame::RenderAccessibleNames() {
    for (const auto& [id, window] : m_controls) SetAccessibleName(window, AccessibleNameOf(id));
    for (int part = 0; part < 2; ++part) {
        SetAccessibleName(m_statusIcons[part], StatusIconName(part), m_model->StatusPart(part).tip);
    }
}

// ---- what only the toolkit knows or does ----

Rect MainFrame::WindowRect() const {
    const wxRect r = GetRect();
    return Rect{r.x, r.y, r.x + r.width, r.y + r.height};
}

Size MainFrame::ClientSize() const {
    const wxSize s = GetClientSize();
    return Size{s.x, s.y};
}

Size MainFrame::DisplaySize() const {
    const wxRect area = wxGetClientDisplayRect();
    return Size{area.width, area.height};
}

std::int32_t MainFrame::ListRowHeight() const {
    if (m_list->GetItemCount() == 0) return 0;
    wxRect row;
    m_list->GetItemRect(0, row);
    return row.height;
}

std::int32_t MainFrame::ScrollBarWidth() const {
    return wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this);
}

double MainFrame::TextScale() const {
    return DesktopTextScale();
}

void MainFrame::MoveWindow(const Rect& window) {
    SetSize(window.left, window.top, window.Width(), window.Height());
}

void MainFrame::Repaint() {
    Refresh();
}

void MainFrame::StartTimer(int, int periodMs) {
    m_timer.Start(periodMs);
}

void MainFrame::StopTimer(int) {
    m_timer.Stop();
}

void MainFrame::SetCursor(CursorShape shape) {
    // The model pairs them: one wait per handler, ended when the handler returns.
    if (shape == CursorShape::Wait) {
        wxBeginBusyCursor();
    } else if (wxIsBusy()) {
        wxEndBusyCursor();
    }
}

void MainFrame::ShowAbout() {
    ShowAboutDialog(this, m_shell, m_prompts);
}

bool MainFrame::ShowHelpBook(const std::string& book, const std::string& project) {
    return m_help.Show(book, project, LanguageCode());
}

void MainFrame::CloseWindow() {
    if (m_closing) return;
    m_closing = true;
    m_timer.Stop();
    StopFlag.store(kStopRequested);
    m_prompts.Close();
    Hide();
    m_closeDeadline = std::chrono::steady_clock::now() + kCloseWaitLimit;
    FinishClosing();
}

namespace {

// Ends every modal box and dialog as its way out would: message boxes and GTK's file dialogs
// with No, Cancel or OK, whichever they offer first; wx's own dialogs with Cancel. Each
// returns once the handler that runs this has returned to its loop.
void DismissOpenDialogs() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog && dialog->IsModal() && !GTK_IS_DIALOG(dialog->GetHandle())) {
            dialog->EndModal(wxID_CANCEL);
        }
    }
    std::vector<GtkDialog*> open;
    GList* windows = gtk_window_list_toplevels();
    for (GList* it = windows; it; it = it->next) {
        if (GTK_IS_DIALOG(it->data) && gtk_widget_get_visible(GTK_WIDGET(it->data))) {
            open.push_back(GTK_DIALOG(g_object_ref(it->data)));
        }
    }
    g_list_free(windows);
    for (GtkDialog* dialog : open) {
        gint response = GTK_RESPONSE_DELETE_EVENT;
        for (gint offered : {GTK_RESPONSE_NO, GTK_RESPONSE_CANCEL, GTK_RESPONSE_OK}) {
            if (gtk_dialog_get_widget_for_response(dialog, offered)) {
                response = offered;
                break;
            }
        }
        gtk_dialog_response(dialog, response);
        g_object_unref(dialog);
    }
}

}  // namespace

void MainFrame::EndSession() {
    if (m_closing) return;
    m_prompts.Close();
    DismissOpenDialogs();
    m_model->EndSession();
}

void MainFrame::FinishClosing() {
    if (!JobsIdle()) {
        // A worker that had not yet begun may have cleared the flag: ask again.
        StopFlag.store(kStopRequested);
        if (std::chrono::steady_clock::now() < m_closeDeadline) {
            m_closeTimer.StartOnce(20);
            return;
        }
        if (m_abandon) m_abandon();
    }
    // From here no worker's call runs on the window any more; waiting ones give up.
    TheFileList().Release();
    m_ui.Shutdown();
    Destroy();
}

}  // namespace velmora
