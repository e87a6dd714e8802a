#include "gui/main_frame.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/tooltip.h>
#include <wx/treectrl.h>
#include <wx/uiaction.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "base/lang_string.h"
#include "gui/file_config_store.h"
#include "gui/wx_catalogs.h"
#include "gui/wx_ui_thread.h"
#include "gui_pump.h"
#include "support/fakes.h"
#include "support/temp_folder.h"
#include "ui/language.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"
#include "ui/settings.h"

namespace velmora {
namespace {

using test::PumpUntil;
using test::Utf8;

void Pump() {
    for (int i = 0; i < 20; ++i) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
    }
}

std::string SettingsPath(const char* name) {
    return std::string(std::getenv("XDG_CONFIG_HOME")) + "/Velmora/" + name + ".conf";
}

class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageIndex(kLanguageEnglish); }
    void TearDown() override {
        Close();
        SetLanguageIndex(kLanguageEnglish);
    }

    MainFrame& Open(SettingsStore& store) {
        m_frame = new MainFrame(pst, store, shell, "/opt/velmora/");
        m_frame->Show();
        EXPECT_TRUE(PumpUntil([&] { return m_frame->IsShownOnScreen(); }));
        return *m_frame;
    }

    void Close() {
        if (!m_frame) return;
        m_frame->CloseWindow();
        m_frame = nullptr;
        EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
    }

    // Sends a menu command the way a click on the item does.
    void ChooseMenuItem(const char* menu, const char* item) {
        wxMenuBar* bar = m_frame->GetMenuBar();
        ASSERT_NE(bar, nullptr);
        const int id = bar->FindMenuItem(wxString::FromUTF8(menu), wxString::FromUTF8(item));
        ASSERT_NE(id, wxNOT_FOUND) << menu << " / " << item;
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(m_frame);
        m_frame->ProcessWindowEvent(event);
        Pump();
    }

    wxString Label(int id) { return m_frame->Control(id)->GetLabel(); }

    test::StartOnlyPst pst;
    test::NullShell shell;
    MainFrame* m_frame = nullptr;
};

TEST_F(MainFrameTest, OpensTitledVelmoraWithEveryControlAtItsIdAndKind) {
    test::MemorySettingsStore user;
    auto& frame = Open(user);
    EXPECT_EQ(frame.GetTitle(), "Velmora");

    auto kindOf = [&](int id) { return frame.FindWindow(id); };
    EXPECT_NE(dynamic_cast<wxChoice*>(kindOf(kIdDeviceList)), nullptr);
    EXPECT_NE(dynamic_cast<wxTextCtrl*>(kindOf(kIdUploadPath)), nullptr);
    EXPECT_NE(dynamic_cast<wxTreeCtrl*>(kindOf(kIdTree)), nullptr);
    EXPECT_NE(dynamic_cast<wxComboBox*>(kindOf(kIdSearchMask)), nullptr);
    EXPECT_NE(dynamic_cast<wxStaticText*>(kindOf(kIdLeaveBytesLabel)), nullptr);
    EXPECT_NE(dynamic_cast<wxStatusBar*>(kindOf(kIdStatusBar)), nullptr);
    for (int id : {kIdSearch, kIdGetFileList, kIdDownload, kIdUpload, kIdDelete, kIdFillSpace,
                   kIdRestart, kIdSuspend, kIdInterrupt}) {
        EXPECT_NE(dynamic_cast<wxButton*>(kindOf(id)), nullptr) << id;
    }
    auto* list = dynamic_cast<wxListCtrl*>(kindOf(kIdFileList));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->InReportView());
    ASSERT_EQ(list->GetColumnCount(), 5);
    EXPECT_EQ(list->GetColumnWidth(1), 70);
    EXPECT_EQ(list->GetColumnWidth(4), 0);

    auto* bar = dynamic_cast<wxGauge*>(kindOf(kIdProgress));
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->IsVertical());
    auto* fileBar = dynamic_cast<wxGauge*>(kindOf(kIdFileProgress));
    ASSERT_NE(fileBar, nullptr);
    EXPECT_TRUE(fileBar->IsVertical());
    EXPECT_FALSE(fileBar->IsShown());

    auto* bytes = dynamic_cast<wxTextCtrl*>(kindOf(kIdLeaveBytes));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes->GetValue(), "0");
    EXPECT_TRUE(bytes->HasFlag(wxTE_RIGHT));

    // Placed by the layout rules, in client pixels.
    const wxSize client = frame.GetClientSize();
    EXPECT_EQ(frame.Control(kIdGetFileList)->GetPosition(), wxPoint(client.x - 85, 5));
    EXPECT_EQ(frame.Control(kIdFileList)->GetSize(), wxSize(client.x - 280, client.y - 50));
    EXPECT_EQ(frame.Status()->GetPosition(), wxPoint(0, client.y - 25));

    EXPECT_EQ(frame.Status()->GetFieldsCount(), 5);
    wxRect field;
    ASSERT_TRUE(frame.Status()->GetFieldRect(2, field));
    EXPECT_TRUE(frame.StatusIcon(1)->IsShown());
    EXPECT_FALSE(frame.StatusIcon(0)->IsShown());
}

TEST_F(MainFrameTest, TextsMenusAndTipsFollowTheLanguageBothWays) {
    test::MemorySettingsStore user;
    auto& frame = Open(user);
    EXPECT_EQ(Label(kIdGetFileList), "Get File List");
    EXPECT_EQ(Label(kIdDownload), "Download");
    EXPECT_EQ(Label(kIdLeaveBytesLabel), "leave bytes free");
    EXPECT_EQ(frame.GetMenuBar()->GetMenuLabel(0), "&File");
    EXPECT_EQ(frame.Control(kIdGetFileList)->GetToolTipText(),
              "Read file information on selected volume");
    EXPECT_TRUE(
        frame.GetMenuBar()->IsChecked(frame.GetMenuBar()->FindMenuItem("Language", "English")));

    ChooseMenuItem("Language", "Русский");
    EXPECT_TRUE(PumpUntil(
        [&] { return frame.GetMenuBar()->GetMenuLabel(0) == wxString::FromUTF8("&Файл"); }));
    EXPECT_EQ(Utf8(Label(kIdGetFileList)), LoadLangString(177));
    EXPECT_EQ(Utf8(Label(kIdInterrupt)), LoadLangString(181));
    EXPECT_EQ(Utf8(frame.Control(kIdUploadPath)->GetToolTipText()), "Путь загрузки");
    auto* list = static_cast<wxListCtrl*>(frame.Control(kIdFileList));
    wxListItem heading;
    heading.SetMask(wxLIST_MASK_TEXT);
    list->GetColumn(0, heading);
    EXPECT_EQ(Utf8(heading.GetText()), LoadLangString(136));
    wxMenuBar* bar = frame.GetMenuBar();
    const int russian =
        bar->FindMenuItem(wxString::FromUTF8("Язык"), wxString::FromUTF8("Русский"));
    ASSERT_NE(russian, wxNOT_FOUND);
    EXPECT_TRUE(bar->IsChecked(russian));
    EXPECT_EQ(user.ReadDword("Language"), 1u);

    ChooseMenuItem("Язык", "English");
    EXPECT_TRUE(PumpUntil([&] { return frame.GetMenuBar()->GetMenuLabel(0) == "&File"; }));
    EXPECT_EQ(Label(kIdGetFileList), "Get File List");
    EXPECT_EQ(frame.Control(kIdUploadPath)->GetToolTipText(), "Upload path");
}

// What a translator adds: a catalog of a language the program does not ship, compiled here.
TEST_F(MainFrameTest, AnAddedCatalogsLanguageIsInTheMenuAndShowsItsTexts) {
    test::TempFolder folder;
    const auto catalogs = folder.path() / "de" / "LC_MESSAGES";
    std::filesystem::create_directories(catalogs);
    std::ofstream(folder.path() / "de.po")
        << "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n"
           "\"Plural-Forms: nplurals=2; plural=(n != 1);\\n\"\n"
           "msgid \"&Language\"\nmsgstr \"&Sprache\"\n"
           "msgid \"Get File List\"\nmsgstr \"Dateiliste holen\"\n";
    const std::string compile = std::string(VELMORA_MSGFMT) + " -o '" +
                                (catalogs / "velmora.mo").string() + "' '" +
                                (folder.path() / "de.po").string() + "'";
    ASSERT_EQ(std::system(compile.c_str()), 0) << compile;
    InstallCatalogs(std::make_shared<WxCatalogs>(
        std::vector<std::string>{VELMORA_LOCALE_DIR, folder.path().string()}));

    test::MemorySettingsStore user;
    auto& frame = Open(user);
    ChooseMenuItem("Language", "Deutsch");
    EXPECT_TRUE(PumpUntil([&] { return Label(kIdGetFileList) == "Dateiliste holen"; }));
    EXPECT_EQ(frame.GetMenuBar()->GetMenuLabel(3), "&Sprache");
    EXPECT_EQ(Label(kIdInterrupt), "Interrupt") << "what it lacks stays English";
    EXPECT_EQ(user.ReadText("LanguageCode"), "de");
    EXPECT_EQ(user.ReadDword("Language"), 0u);
    EXPECT_EQ(StartLanguage(user, [](const char*) { return std::nullopt; }), "de");

    ChooseMenuItem("Sprache", "Русский");
    EXPECT_TRUE(PumpUntil([&] { return Utf8(Label(kIdGetFileList)) == "Список "; }));
    EXPECT_EQ(user.ReadText("LanguageCode"), "");
    SetLanguageIndex(kLanguageEnglish);
    InstallCatalogs(std::make_shared<WxCatalogs>(std::vector<std::string>{VELMORA_LOCALE_DIR}));
}

TEST_F(MainFrameTest, AButtonClickReachesTheCommandMap) {
    test::MemorySettingsStore user;
    auto& frame = Open(user);
    int clicks = 0;
    frame.Model().Commands().Set({WindowEvent::Clicked, kIdGetFileList},
                                 [&](const EventArgs&) { ++clicks; });
    auto* button = frame.Control(kIdGetFileList);
    wxCommandEvent click(wxEVT_BUTTON, kIdGetFileList);
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(clicks, 1);
}

TEST_F(MainFrameTest, InterfaceMenuSwitchesTheCheckAndTheStatusIcon) {
    test::MemorySettingsStore user;
    auto& frame = Open(user);
    ChooseMenuItem("Interface", "RS232");
    wxMenuBar* bar = frame.GetMenuBar();
    EXPECT_TRUE(bar->IsChecked(bar->FindMenuItem("Interface", "RS232")));
    EXPECT_FALSE(bar->IsChecked(bar->FindMenuItem("Interface", "USB")));
    EXPECT_EQ(frame.Model().StatusPart(1).icon, kIconRs232);
    EXPECT_EQ(user.ReadDword("InterfaceMode"), 2u);
    // The scheduled poll's tick ends the schedule.
    EXPECT_TRUE(PumpUntil([&] { return !frame.Model().PollingActive(); }));
}

TEST_F(MainFrameTest, JobLockGreysTheInterfaceMenu) {
    test::MemorySettingsStore user;
    auto& frame = Open(user);
    frame.Model().EnableControls(0, 0);
    wxMenuBar* bar = frame.GetMenuBar();
    EXPECT_FALSE(bar->IsEnabled(bar->FindMenuItem("Interface", "USB")));
    EXPECT_FALSE(frame.Control(kIdDownload)->IsEnabled());
    EXPECT_TRUE(frame.Control(kIdInterrupt)->IsEnabled());
    frame.Model().EnableControls(1, 1);
    EXPECT_TRUE(bar->IsEnabled(bar->FindMenuItem("Interface", "USB")));
    EXPECT_FALSE(frame.Control(kIdInterrupt)->IsEnabled());
}

TEST_F(MainFrameTest, ViewSwitchesChangeTheListStyleAndTableBringsTheColumnsBack) {
    test::MemorySettingsStore user;
    auto& frame = Open(user);
    auto* list = static_cast<wxListCtrl*>(frame.Control(kIdFileList));
    ChooseMenuItem("View", "Icons");
    EXPECT_TRUE(list->HasFlag(wxLC_ICON));
    EXPECT_EQ(user.ReadDword("View"), 0u);
    ChooseMenuItem("View", "Table");
    EXPECT_TRUE(list->InReportView());
    ASSERT_EQ(list->GetColumnCount(), 5);
    wxListItem heading;
    heading.SetMask(wxLIST_MASK_TEXT);
    list->GetColumn(2, heading);
    EXPECT_EQ(heading.GetText(), "Size");
    EXPECT_EQ(list->GetColumnWidth(2), 70);
    wxMenuBar* bar = frame.GetMenuBar();
    EXPECT_TRUE(bar->IsChecked(bar->FindMenuItem("View", "Table")));
    EXPECT_FALSE(bar->IsChecked(bar->FindMenuItem("View", "Icons")));
}

TEST_F(MainFrameTest, ResizingBelowTheMinimumSnaps) {
    test::MemorySettingsStore user;
    auto& frame = Open(user);
    frame.SetSize(20, 30, 400, 200);
    EXPECT_TRUE(PumpUntil([&] { return frame.GetSize() == wxSize(630, 383); }))
        << frame.GetSize().x << "x" << frame.GetSize().y;
    EXPECT_TRUE(PumpUntil([&] { return user.ReadDword("WndRight") == 20u + 630u; }));
    // The controls sit where the snapped window has room for them, without a move.
    Pump();
    const wxSize client = frame.GetClientSize();
    EXPECT_EQ(frame.Control(kIdInterrupt)->GetPosition(), wxPoint(client.x - 85, client.y - 46));
    EXPECT_EQ(frame.Control(kIdLeaveBytes)->GetPosition().x, client.x - 85);
    EXPECT_EQ(frame.Control(kIdFileList)->GetSize(), wxSize(client.x - 280, client.y - 50));
    EXPECT_EQ(frame.Status()->GetPosition(), wxPoint(0, client.y - 25));
    auto* list = static_cast<wxListCtrl*>(frame.Control(kIdFileList));
    EXPECT_EQ(list->GetColumnWidth(0), client.x - 284 - 210);
}

TEST_F(MainFrameTest, BothViewMenusShowTheSameViewAtAFreshStart) {
    test::MemorySettingsStore user;
    auto& frame = Open(user);
    wxMenuBar* bar = frame.GetMenuBar();
    EXPECT_TRUE(bar->IsChecked(bar->FindMenuItem("View", "Table")));
    auto* list = dynamic_cast<FileListView*>(frame.Control(kIdFileList));
    ASSERT_NE(list, nullptr);
    auto context = list->BuildContextMenu();
    int tables = 0;
    for (wxMenuItem* item : context->GetMenuItems()) {
        if (!item->GetSubMenu()) continue;
        for (wxMenuItem* view : item->GetSubMenu()->GetMenuItems()) {
            if (view->GetItemLabelText() != "Table") continue;
            ++tables;
            EXPECT_TRUE(view->IsChecked());
        }
    }
    EXPECT_EQ(tables, 1);
}

TEST_F(MainFrameTest, SettingsWrittenByOneStartAreReadByTheNext) {
    const auto path = SettingsPath("restart");
    {
        FileConfigStore store(path);
        auto& frame = Open(store);
        frame.SetSize(50, 60, 700, 420);
        EXPECT_TRUE(PumpUntil([&] { return store.ReadDword("WndBottom") == 480u; }));
        ChooseMenuItem("View", "List");
        ChooseMenuItem("Language", "Русский");
        Close();
    }
    SetLanguageIndex(kLanguageEnglish);
    FileConfigStore store(path);
    SearchHistory history;
    history.Remember("*.mid");
    history.Remember("*.jpg");
    history.Store(store);
    SetLanguage(StartLanguage(store, [](const char*) { return std::nullopt; }));
    auto& frame = Open(store);
    EXPECT_TRUE(PumpUntil([&] { return frame.GetRect() == wxRect(50, 60, 700, 420); }))
        << frame.GetRect().x << "," << frame.GetRect().y << " " << frame.GetRect().width << "x"
        << frame.GetRect().height;
    EXPECT_EQ(Utf8(Label(kIdDownload)), LoadLangString(178));
    EXPECT_EQ(LanguageIndex(), kLanguageRussian);
    EXPECT_EQ(frame.Model().ViewMode(), kViewList);
    // The newest mask stands in the box, the others are its choices.
    auto* mask = static_cast<wxComboBox*>(frame.Control(kIdSearchMask));
    EXPECT_EQ(Utf8(mask->GetValue()), "*.jpg");
    EXPECT_EQ(mask->GetCount(), 2u);
}

TEST_F(MainFrameTest, EscapeClosesTheWindow) {
    test::MemorySettingsStore user;
    auto& frame = Open(user);
    wxCommandEvent escape(wxEVT_MENU, wxID_CANCEL);
    frame.ProcessWindowEvent(escape);
    m_frame = nullptr;
    EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
}

TEST_F(MainFrameTest, EscapeInAnOpenMenuClosesTheMenuOnly) {
    test::MemorySettingsStore user;
    auto& frame = Open(user);
    wxMenuBar* bar = frame.GetMenuBar();
    ASSERT_NE(bar, nullptr);
    // A real click on the menu bar's first title, then a real Escape, as a user does it.
    wxUIActionSimulator input;
    const wxPoint title = bar->GetScreenPosition() + wxPoint(15, bar->GetSize().y / 2);
    input.MouseMove(title);
    PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    input.MouseClick();
    // What GTK itself shows: the bar has a title selected while one of its menus is open.
    auto menuShown = [&] {
        if (wxTopLevelWindows.IsEmpty()) return false;  // the bar went with the window
        return gtk_menu_shell_get_selected_item(GTK_MENU_SHELL(bar->GetHandle())) != nullptr;
    };
    ASSERT_TRUE(PumpUntil(menuShown)) << "the File menu never opened";
    input.Char(WXK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return !menuShown(); })) << "the menu stayed open";
    PumpUntil([] { return false; }, std::chrono::milliseconds(200));
    if (wxTopLevelWindows.IsEmpty()) m_frame = nullptr;
    ASSERT_NE(m_frame, nullptr) << "Escape in the menu closed the window";
    EXPECT_TRUE(frame.IsShown());

    // With no menu open, Escape still closes the window.
    frame.SetFocus();
    input.Char(WXK_ESCAPE);
    m_frame = nullptr;
    EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
}

TEST(WxUiThreadTest, WorkerCallsRunOnTheWindowsThreadAndGiveUpWhenItIsGone) {
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "carrier");
    WxUiThread ui(*frame);
    EXPECT_TRUE(ui.IsUiThread());

    std::atomic<bool> ranOnUi{false};
    std::atomic<bool> done{false};
    bool invoked = false;
    std::thread worker([&] {
        invoked = ui.Invoke([&] { ranOnUi = wxIsMainThread(); });
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_TRUE(invoked);
    EXPECT_TRUE(ranOnUi);

    // Nobody pumps now: the worker waits until the window goes, then gives up.
    std::atomic<bool> ran{false};
    bool secondInvoked = true;
    std::thread late([&] { secondInvoked = ui.Invoke([&] { ran = true; }); });
    ui.Shutdown();
    late.join();
    EXPECT_FALSE(secondInvoked);
    ui.Post([&] { ran = true; });
    Pump();
    EXPECT_FALSE(ran);
    frame->Destroy();
    EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
}

}  // namespace
}  // namespace velmora
