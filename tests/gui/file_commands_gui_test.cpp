// Properties, the attribute change and Delete in the real window on an emulated phone of the
// test's own: what the dialog shows, and what the phone's image folder holds afterwards.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/treectrl.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "base/lang_string.h"
#include "gui/main_frame.h"
#include "gui/properties_dialog.h"
#include "gui_pump.h"
#include "support/built_library.h"
#include "support/fakes.h"
#include "support/temp_folder.h"
#include "transfer/job.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"
#include "ui/settings.h"

namespace velmora {
namespace {

using test::PumpUntil;
using test::Utf8;

// Runs `act` on the first modal window that `find` recognises, from inside its modal loop.
class WhenShown : public wxTimer {
  public:
    WhenShown(std::function<bool()> act) : m_act(std::move(act)) { Start(20); }
    void Notify() override {
        if (m_act()) Stop();
    }

  private:
    std::function<bool()> m_act;
};

// Answers the open GTK message box (the delete confirmation) with Yes.
bool AnswerYes() {
    bool answered = false;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        if (GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data))) {
            gtk_dialog_response(GTK_DIALOG(w->data), GTK_RESPONSE_YES);
            answered = true;
        }
    }
    g_list_free(windows);
    return answered;
}

class FileCommandsGuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        m_frame = new MainFrame(*m_pst, user, shell, "/opt/velmora/");
        m_frame->Show();
        m_tree = dynamic_cast<wxTreeCtrl*>(m_frame->Control(kIdTree));
        m_list = dynamic_cast<wxListCtrl*>(m_frame->Control(kIdFileList));
        ASSERT_TRUE(m_tree && m_list);
        ASSERT_TRUE(PumpUntil([&] {
            return m_tree->GetRootItem().IsOk() && !m_frame->Model().PollingActive() &&
                   m_tree->GetChildrenCount(m_tree->GetRootItem(), false) == 2;
        }));
    }
    void TearDown() override {
        m_frame->CloseWindow();
        EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
        m_pst->PSTUninitialize();
    }

    wxTreeItemId Child(const wxTreeItemId& parent, const std::string& text) {
        wxTreeItemIdValue cookie;
        for (auto item = m_tree->GetFirstChild(parent, cookie); item.IsOk();
             item = m_tree->GetNextChild(parent, cookie)) {
            if (Utf8(m_tree->GetItemText(item)) == text) return item;
        }
        return {};
    }
    void Settle() {
        ASSERT_TRUE(PumpUntil([] { return JobsIdle(); }));
        PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    }
    void SelectRows(std::initializer_list<long> rows) {
        for (long row = 0; row < m_list->GetItemCount(); ++row) {
            m_list->SetItemState(row, 0, wxLIST_STATE_SELECTED);
        }
        for (long row : rows)
            m_list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        PumpUntil([] { return false; }, std::chrono::milliseconds(50));
    }
    // Runs Properties; inDialog reads and works the real dialog while it is modal.
    void Properties(std::function<void(wxWindow& dialog)> inDialog) {
        WhenShown timer([&] {
            wxWindow* dialog = wxWindow::FindWindowByName(kPropertiesDialogName);
            if (!dialog || !dialog->IsShown()) return false;
            inDialog(*dialog);
            return true;
        });
        m_frame->Model().Command(kCmdProperties);
        Settle();
    }
    static std::string Field(wxWindow& dialog, int id) {
        auto* text = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
        return text ? Utf8(text->GetValue()) : "<missing>";
    }
    static wxCheckBox& Box(wxWindow& dialog, int id) {
        return *dynamic_cast<wxCheckBox*>(dialog.FindWindow(id));
    }
    static void Press(wxWindow& dialog, int id) {
        wxCommandEvent click(wxEVT_BUTTON, id);
        click.SetEventObject(dialog.FindWindow(id));
        dialog.FindWindow(id)->ProcessWindowEvent(click);
    }
    std::string IndexLine(const std::string& relative) {
        std::ifstream in(m_folder.path() / "phone" / ".velmora_index");
        for (std::string line; std::getline(in, line);) {
            if (line.ends_with(" " + relative)) return line.substr(0, 9);
        }
        return "<none>";
    }

    test::TempFolder m_folder;
    std::unique_ptr<PstLibrary> m_pst =
        test::LoadEmulator(m_folder.path(), "[phone 1]\nimage = phone\n");
    test::MemorySettingsStore user;
    test::NullShell shell;
    MainFrame* m_frame = nullptr;
    wxTreeCtrl* m_tree = nullptr;
    wxListCtrl* m_list = nullptr;
};

TEST_F(FileCommandsGuiTest, PropertiesChangesAttributesAndDeleteEmptiesTheImage) {
    m_tree->SelectItem(Child(m_tree->GetRootItem(), "/a"));
    wxCommandEvent click(wxEVT_BUTTON, kIdGetFileList);
    click.SetEventObject(m_frame->Control(kIdGetFileList));
    m_frame->Control(kIdGetFileList)->ProcessWindowEvent(click);
    Settle();
    const wxTreeItemId mobile = Child(Child(m_tree->GetRootItem(), "/a"), "mobile");
    m_tree->Expand(mobile);
    m_tree->SelectItem(Child(mobile, "audio"));
    ASSERT_TRUE(PumpUntil([&] { return m_list->GetItemCount() == 4; }));
    ASSERT_EQ(Utf8(m_list->GetItemText(0, 0)), "alarm.mid");

    SelectRows({0});
    bool shown = false;
    Properties([&](wxWindow& dialog) {
        shown = true;
        EXPECT_EQ(Field(dialog, kIdPropertiesName), "alarm.mid");
        EXPECT_FALSE(dynamic_cast<wxTextCtrl*>(dialog.FindWindow(kIdPropertiesName))->IsEditable());
        EXPECT_EQ(Field(dialog, kIdPropertiesType), "mid");
        EXPECT_EQ(Field(dialog, kIdPropertiesLocation), "/a/mobile/audio/");
        EXPECT_EQ(Field(dialog, kIdPropertiesSize), "68 bytes (68 bytes)");
        EXPECT_EQ(dialog.GetBackgroundColour(), wxColour(245, 245, 245));
        // The template's dialog units in the dialog's own font.
        EXPECT_EQ(dialog.FindWindow(kIdBoxReadOnly)->GetPosition(),
                  dialog.ConvertDialogToPixels(wxPoint(143, 137)));
        wxCheckBox& readOnly = Box(dialog, kIdBoxReadOnly);
        EXPECT_FALSE(readOnly.Is3State());
        EXPECT_FALSE(readOnly.GetValue());
        readOnly.SetValue(true);
        wxCommandEvent tick(wxEVT_CHECKBOX, kIdBoxReadOnly);
        tick.SetEventObject(&readOnly);
        tick.SetInt(1);
        readOnly.ProcessWindowEvent(tick);
        Press(dialog, kPropertiesOkId);
    });
    ASSERT_TRUE(shown);
    EXPECT_EQ(IndexLine("a/mobile/audio/alarm.mid"), "0001 0000");
    EXPECT_EQ(Utf8(m_list->GetItemText(0, 1)), "1");

    SelectRows({0, 1, 2});
    Properties([&](wxWindow& dialog) {
        EXPECT_EQ(Utf8(dialog.FindWindow(kIdPropertiesTypeLabel)->GetLabel()), "Selected:");
        EXPECT_EQ(Field(dialog, kIdPropertiesType), "3 files");
        EXPECT_EQ(Field(dialog, kIdPropertiesName), "/a/mobile/audio/");
        wxCheckBox& readOnly = Box(dialog, kIdBoxReadOnly);
        EXPECT_TRUE(readOnly.Is3rdStateAllowedForUser());
        EXPECT_EQ(readOnly.Get3StateValue(), wxCHK_UNDETERMINED);
        EXPECT_FALSE(Box(dialog, kIdBoxArchive).Is3State());
        Press(dialog, kPropertiesCancelId);
    });

    SelectRows({1, 2});
    WhenShown yes(AnswerYes);
    wxCommandEvent del(wxEVT_BUTTON, kIdDelete);
    del.SetEventObject(m_frame->Control(kIdDelete));
    m_frame->Control(kIdDelete)->ProcessWindowEvent(del);
    Settle();
    const auto audio = m_folder.path() / "phone" / "a" / "mobile" / "audio";
    EXPECT_FALSE(std::filesystem::exists(audio / "ring1.mid"));
    EXPECT_FALSE(std::filesystem::exists(audio / "ring2.mid"));
    EXPECT_TRUE(std::filesystem::exists(audio / "alarm.mid"));
    EXPECT_EQ(IndexLine("a/mobile/audio/ring1.mid"), "<none>");
    ASSERT_EQ(m_list->GetItemCount(), 2);
    EXPECT_EQ(Utf8(m_list->GetItemText(1, 0)), "scale.mid");
    EXPECT_EQ(Utf8(m_frame->Status()->GetStatusText(4)), "File(s) deleted");
}

// Enter in the mask box is the Search button, and does nothing while a job greys it.
TEST_F(FileCommandsGuiTest, EnterInTheMaskRunsSearchUnlessTheButtonIsGreyed) {
    int searches = 0;
    m_frame->Model().Commands().Set({WindowEvent::Clicked, kIdSearch},
                                    [&](const EventArgs&) { ++searches; });
    m_frame->Control(kIdSearchMask)->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() != nullptr; }));
    for (const int unlocked : {0, 1}) {
        m_frame->Model().EnableControls(unlocked, unlocked);
        wxUIActionSimulator().Char(WXK_RETURN);
        PumpUntil([] { return false; }, std::chrono::milliseconds(200));
        EXPECT_EQ(searches, unlocked);
    }
}

}  // namespace
}  // namespace velmora
