// The program's window on the default emulated phone, loaded as the program loads it: the
// device poll fills the device list, the tree and the status bar once the library has
// announced the phone; then the user browses it as read by Get File List and Search.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/gauge.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/statbmp.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/tooltip.h>
#include <wx/treectrl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <thread>

#include "base/lang_string.h"
#include "fsac/fsac_records.h"
#include "fsac/volume_queries.h"
#include "gui/file_list_view.h"
#include "gui/main_frame.h"
#include "gui_pump.h"
#include "sim/sim_phone.h"
#include "support/built_library.h"
#include "support/fakes.h"
#include "support/recording_shell.h"
#include "support/temp_folder.h"
#include "support/watched_pst.h"
#include "transfer/job.h"
#include "transfer/stop_flag.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"
#include "ui/settings.h"

namespace velmora {
namespace {

constexpr auto kSearchNext = static_cast<std::uint32_t>(FsacOp::SearchNext);

using test::ChildNamed;
using test::PumpUntil;
using test::Utf8;

class PhoneSessionGuiTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageIndex(kLanguageEnglish); }
    void TearDown() override {
        if (m_frame) {
            m_frame->CloseWindow();
            EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
        }
        // The library outlives the window, as in the program.
        if (m_pst) m_pst->PSTUninitialize();
    }

    // The window on the default phone once the poll has named the tree's root.
    wxTreeCtrl& OpenOnDefaultPhone() {
        m_frame =
            new MainFrame(m_library ? *m_library : *m_pst, user, shell, "/opt/velmora/", &prompts);
        m_frame->Show();
        auto* tree = dynamic_cast<wxTreeCtrl*>(m_frame->Control(kIdTree));
        EXPECT_NE(tree, nullptr);
        EXPECT_TRUE(PumpUntil([&] {
            return tree->GetRootItem().IsOk() &&
                   Utf8(tree->GetItemText(tree->GetRootItem())) == "E398  (FSAC v.2.1)" &&
                   !m_frame->Model().PollingActive();
        })) << "the device poll never decorated the tree's root";
        return *tree;
    }

    // A click as the toolkit delivers it, then the job it starts run to its end.
    void ClickAndWait(int buttonId) {
        wxCommandEvent click(wxEVT_BUTTON, buttonId);
        click.SetEventObject(m_frame->Control(buttonId));
        m_frame->Control(buttonId)->ProcessWindowEvent(click);
        EXPECT_TRUE(PumpUntil([] { return JobsIdle(); })) << "the job never ended";
        // Its last window calls are posted behind it.
        PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    }

    std::unique_ptr<PstLibrary> m_pst = test::LoadBuiltLibrary();
    PstLibrary* m_library = nullptr;  // the window's library when not m_pst itself
    test::MemorySettingsStore user;
    test::RecordingShell shell;
    test::FakePrompts prompts;
    MainFrame* m_frame = nullptr;
};

TEST_F(PhoneSessionGuiTest, DefaultPhoneAppearsWithItsVolumesAndFreeSpace) {
    wxTreeCtrl* tree = &OpenOnDefaultPhone();
    ASSERT_FALSE(HasFatalFailure());
    auto* devices = dynamic_cast<wxChoice*>(m_frame->Control(kIdDeviceList));
    ASSERT_NE(devices, nullptr);

    ASSERT_EQ(devices->GetCount(), 1u);
    EXPECT_EQ(Utf8(devices->GetString(0)), "Motorola phone ID #1");
    EXPECT_EQ(devices->GetSelection(), 0);

    std::vector<std::string> volumes;
    wxTreeItemIdValue cookie;
    for (auto item = tree->GetFirstChild(tree->GetRootItem(), cookie); item.IsOk();
         item = tree->GetNextChild(tree->GetRootItem(), cookie)) {
        volumes.push_back(Utf8(tree->GetItemText(item)));
    }
    EXPECT_EQ(volumes, (std::vector<std::string>{"/a", "/b"}));

    EXPECT_EQ(m_frame->Model().StatusPart(0).icon, kIconConnected);
    wxStaticBitmap* icon = m_frame->StatusIcon(0);
    EXPECT_TRUE(icon->IsShown());
    ASSERT_NE(icon->GetToolTip(), nullptr);
    EXPECT_EQ(Utf8(icon->GetToolTip()->GetTip()), "Connected");

    const std::int32_t freeBytes = m_frame->Model().Phone().State().CachedFreeSpace();
    EXPECT_GT(freeBytes, 0);
    EXPECT_EQ(Utf8(m_frame->Status()->GetStatusText(3)), FormatFreeSpace(freeBytes));
    EXPECT_EQ(Utf8(m_frame->Status()->GetStatusText(2)), "path not selected");
}

std::vector<std::string> ChildTexts(wxTreeCtrl& tree, const wxTreeItemId& parent) {
    std::vector<std::string> texts;
    wxTreeItemIdValue cookie;
    for (auto item = tree.GetFirstChild(parent, cookie); item.IsOk();
         item = tree.GetNextChild(parent, cookie)) {
        texts.push_back(Utf8(tree.GetItemText(item)));
    }
    return texts;
}

// The colour GTK draws at a fraction of a widget's width: the middle one of the opaque pixels
// of that column (a theme may draw a thin bar anywhere in its height).
std::uint32_t PixelAt(wxWindow& window, double fraction) {
    GtkWidget* widget = window.GetHandle();
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(widget, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const int x = std::clamp(static_cast<int>(width * fraction), 0, width - 1);
    std::vector<std::uint32_t> opaque;
    for (int y = 0; y < height; ++y) {
        std::uint32_t pixel = 0;
        std::memcpy(&pixel,
                    cairo_image_surface_get_data(surface) +
                        static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface) +
                        4 * x,
                    sizeof pixel);
        if ((pixel >> 24) == 0xFF) opaque.push_back(pixel);
    }
    cairo_surface_destroy(surface);
    return opaque.empty() ? 0 : opaque[opaque.size() / 2];
}

std::vector<std::string> Column(wxListCtrl& list, int column) {
    std::vector<std::string> cells;
    for (long row = 0; row < list.GetItemCount(); ++row) {
        cells.push_back(Utf8(list.GetItemText(row, column)));
    }
    return cells;
}

TEST_F(PhoneSessionGuiTest, ListingShowsTheFoldersThenAFoldersFilesWithIconsThenASearch) {
    wxTreeCtrl& tree = OpenOnDefaultPhone();
    ASSERT_FALSE(HasFatalFailure());
    auto* list = dynamic_cast<wxListCtrl*>(m_frame->Control(kIdFileList));
    auto* mask = dynamic_cast<wxComboBox*>(m_frame->Control(kIdSearchMask));
    ASSERT_NE(list, nullptr);
    ASSERT_NE(mask, nullptr);

    // With two volumes Get File List reads the selected one.
    const wxTreeItemId volumeA = ChildNamed(tree, tree.GetRootItem(), "/a");
    ASSERT_TRUE(volumeA.IsOk());
    tree.SelectItem(volumeA);
    ClickAndWait(kIdGetFileList);

    // The first volume is expanded and selected; its folders are built at once.
    const wxTreeItemId a = ChildNamed(tree, tree.GetRootItem(), "/a");
    ASSERT_TRUE(a.IsOk());
    EXPECT_TRUE(tree.IsExpanded(a));
    EXPECT_EQ(tree.GetSelection(), a);
    EXPECT_EQ(ChildTexts(tree, a), std::vector<std::string>{"mobile"});
    const wxTreeItemId mobile = ChildNamed(tree, a, "mobile");
    tree.Expand(mobile);
    EXPECT_EQ(ChildTexts(tree, mobile), (std::vector<std::string>{"audio", "kjava", "picture",
                                                                  "ringtones", "skins", "system"}));
    EXPECT_EQ(Utf8(m_frame->Status()->GetStatusText(2)), "/a/");

    tree.SelectItem(ChildNamed(tree, mobile, "audio"));
    ASSERT_TRUE(PumpUntil([&] { return list->GetItemCount() == 4; }));
    EXPECT_EQ(Column(*list, 0),
              (std::vector<std::string>{"alarm.mid", "ring1.mid", "ring2.mid", "scale.mid"}));
    EXPECT_EQ(Column(*list, 3), (std::vector<std::string>(4, "mid")));
    EXPECT_EQ(Utf8(m_frame->Status()->GetStatusText(2)), "/a/mobile/audio/");
    EXPECT_EQ(m_frame->Model().Control(kIdUploadPath).text, "/a/mobile/audio/");
    EXPECT_EQ(m_frame->Model().Phone().State().CurrentVolumeLetter(), 'a');
    // Every row shows its type's icon, small and large.
    const wxImageList* small = list->GetImageList(wxIMAGE_LIST_SMALL);
    const wxImageList* large = list->GetImageList(wxIMAGE_LIST_NORMAL);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    for (long row = 0; row < list->GetItemCount(); ++row) {
        wxListItem item;
        item.SetId(row);
        item.SetMask(wxLIST_MASK_IMAGE);
        ASSERT_TRUE(list->GetItem(item));
        ASSERT_GE(item.GetImage(), 0) << "row " << row;
        ASSERT_LT(item.GetImage(), small->GetImageCount());
        EXPECT_TRUE(small->GetBitmap(item.GetImage()).IsOk());
        EXPECT_TRUE(large->GetBitmap(item.GetImage()).IsOk());
    }

    // A search over the whole phone ends in the flat list of full paths.
    mask->SetValue("*.mid");
    ClickAndWait(kIdSearch);
    ASSERT_TRUE(PumpUntil([&] { return list->GetItemCount() == 7; }))
        << "rows: " << list->GetItemCount();
    for (const auto& path : Column(*list, 0)) {
        EXPECT_EQ(path.rfind(".mid"), path.size() - 4) << path;
        EXPECT_EQ(path.front(), '/') << path;
    }
    EXPECT_EQ(Column(*list, 0).back(), "/b/music/theme.mid");
    EXPECT_EQ(Column(*list, 4), std::vector<std::string>(7, ""));
    EXPECT_EQ(m_frame->Model().MaskItems().front(), "*.mid");
    EXPECT_EQ(Utf8(mask->GetValue()), "*.mid");
    EXPECT_EQ(mask->GetCount(), 1u);
    // The tree opens along its last branch: the last volume and its last folder.
    const wxTreeItemId b = ChildNamed(tree, tree.GetRootItem(), "/b");
    ASSERT_TRUE(b.IsOk());
    EXPECT_TRUE(tree.IsExpanded(b));
    EXPECT_EQ(ChildTexts(tree, b), std::vector<std::string>{"music"});

    // A click on the Size heading sorts by number; each row keeps its item data, which the
    // virtual table leaves in the model.
    const FileRows& rows = dynamic_cast<FileListView&>(*list).Model();
    std::map<std::string, std::int32_t> indexOf;
    for (long row = 0; row < list->GetItemCount(); ++row) {
        indexOf[Utf8(list->GetItemText(row, 0))] =
            rows.Rows()[static_cast<std::size_t>(row)].itemData;
    }
    wxListEvent heading(wxEVT_LIST_COL_CLICK, list->GetId());
    heading.SetEventObject(list);
    heading.m_col = 2;
    list->ProcessWindowEvent(heading);
    std::vector<int> sizes;
    for (const auto& size : Column(*list, 2)) sizes.push_back(std::stoi(size));
    EXPECT_TRUE(std::is_sorted(sizes.begin(), sizes.end()));
    EXPECT_EQ(Column(*list, 0).front(), "/a/mobile/ringtones/beep.mid");  // two notes
    for (long row = 0; row < list->GetItemCount(); ++row) {
        EXPECT_EQ(rows.Rows()[static_cast<std::size_t>(row)].itemData,
                  indexOf[Utf8(list->GetItemText(row, 0))]);
    }
}

// Whether GTK shows the wait pointer over the window or any of its controls.
bool ShowsWaitPointer(wxWindow& window) {
    auto watch = [](GtkWidget* widget) {
        GdkWindow* gdk = widget ? gtk_widget_get_window(widget) : nullptr;
        GdkCursor* cursor = gdk ? gdk_window_get_cursor(gdk) : nullptr;
        return cursor && gdk_cursor_get_cursor_type(cursor) == GDK_WATCH;
    };
    if (watch(window.GetHandle())) return true;
    for (wxWindow* child : window.GetChildren()) {
        if (ShowsWaitPointer(*child)) return true;
    }
    return false;
}

TEST_F(PhoneSessionGuiTest, ThePointerWaitsOnlyWhileAHandlerWorks) {
    wxTreeCtrl& tree = OpenOnDefaultPhone();
    ASSERT_FALSE(HasFatalFailure());
    auto settle = [] { PumpUntil([] { return false; }, std::chrono::milliseconds(100)); };
    settle();
    EXPECT_FALSE(ShowsWaitPointer(*m_frame)) << "after the device poll";

    tree.SelectItem(ChildNamed(tree, tree.GetRootItem(), "/a"));
    ClickAndWait(kIdGetFileList);
    settle();
    EXPECT_FALSE(wxIsBusy());
    EXPECT_FALSE(ShowsWaitPointer(*m_frame)) << "after Get File List";

    tree.SelectItem(ChildNamed(tree, tree.GetRootItem(), "/b"));  // reads its free space
    settle();
    EXPECT_FALSE(ShowsWaitPointer(*m_frame)) << "after a volume click";

    ClickAndWait(kIdSearch);
    settle();
    EXPECT_FALSE(ShowsWaitPointer(*m_frame)) << "after Search";
}

// Leaving in the middle of a listing, every way: the job is asked to stop at once, the window
// goes from the screen at once, serves the job's last calls and goes once the job returned.
TEST_F(PhoneSessionGuiTest, EveryWayOutStopsARunningListingAndWaitsForNothingFrozen) {
    struct Way {
        const char* name;
        std::function<void(MainFrame&)> leave;
    };
    const Way ways[] = {
        {"the close box", [](MainFrame& f) { f.Close(); }},
        {"File > Exit",
         [](MainFrame& f) {
             wxCommandEvent exit(wxEVT_MENU, f.GetMenuBar()->FindMenuItem("File", "Exit"));
             exit.SetEventObject(&f);
             f.ProcessWindowEvent(exit);
         }},
        {"Escape",
         [](MainFrame& f) {
             wxCommandEvent escape(wxEVT_MENU, wxID_CANCEL);
             f.ProcessWindowEvent(escape);
         }},
    };
    for (const Way& way : ways) {
        test::WatchedPst gated(*m_pst, test::HoldsFsac(kSearchNext));
        m_library = &gated;
        wxTreeCtrl& tree = OpenOnDefaultPhone();
        ASSERT_FALSE(HasFatalFailure()) << way.name;
        tree.SelectItem(ChildNamed(tree, tree.GetRootItem(), "/a"));
        wxCommandEvent click(wxEVT_BUTTON, kIdGetFileList);
        click.SetEventObject(m_frame->Control(kIdGetFileList));
        m_frame->Control(kIdGetFileList)->ProcessWindowEvent(click);
        ASSERT_TRUE(PumpUntil([&] { return gated.Waiting(); })) << way.name;
        ASSERT_EQ(StopFlag.load(), kJobRunning) << way.name;

        way.leave(*m_frame);
        EXPECT_EQ(StopFlag.load(), kStopRequested) << way.name << " did not ask the job to stop";
        EXPECT_TRUE(wxTopLevelWindows.IsEmpty() || !m_frame->IsShown()) << way.name;
        m_frame = nullptr;

        // The reader, let go, gets its last calls answered, stops and returns; then the window
        // goes. It read the reply it was waiting for and no other.
        gated.Open();
        EXPECT_TRUE(PumpUntil([] { return !JobBusy() && wxTopLevelWindows.IsEmpty(); }))
            << way.name;
        EXPECT_EQ(gated.HeldCalls(), 1) << way.name;
        m_pst->PSTUninitialize();
        m_library = nullptr;
    }
}

// A slow link: the free-space query of a volume click waits for the phone on a worker, while
// the window paints and takes the user's input; its answer then reaches the status bar.
TEST_F(PhoneSessionGuiTest, TheWindowPaintsAndTakesInputWhileAShortQueryWaitsForASlowPhone) {
    test::WatchedPst gated(*m_pst, test::HoldsFsac(static_cast<std::uint32_t>(FsacOp::FreeSpace)),
                           std::chrono::seconds(5));
    gated.Open();  // the first poll answers at once
    m_library = &gated;
    wxTreeCtrl& tree = OpenOnDefaultPhone();
    ASSERT_FALSE(HasFatalFailure());
    gated.Close();

    wxWindow* status = m_frame->Status();
    int paintsWhileWaiting = 0;
    status->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
        e.Skip();
        if (gated.Waiting()) ++paintsWhileWaiting;
    });
    // The click returns at once; the query waits for the phone.
    tree.SelectItem(ChildNamed(tree, tree.GetRootItem(), "/b"));
    ASSERT_TRUE(PumpUntil([&] { return gated.Waiting(); }));
    status->Refresh();
    EXPECT_TRUE(PumpUntil([&] { return paintsWhileWaiting > 0; }))
        << "the window did not paint while the phone answered";
    // A command as the loop delivers it.
    m_frame->CallAfter([this] { m_frame->Model().Command(kCmdViewList); });
    EXPECT_TRUE(PumpUntil([&] { return m_frame->Model().ViewMode() == kViewList; }))
        << "a command waited for the phone";
    EXPECT_TRUE(gated.Waiting());

    gated.Open();
    EXPECT_TRUE(PumpUntil([&] {
        return m_frame->Model().Phone().State().FreeSpaceLetter() == 'b' &&
               Utf8(m_frame->Status()->GetStatusText(3)) ==
                   FormatFreeSpace(m_frame->Model().Phone().State().CachedFreeSpace());
    }));
    EXPECT_FALSE(gated.TimedOut());
    m_library = nullptr;
}

TEST_F(PhoneSessionGuiTest, TheOverallBarIsDrawnAtItsValueNotWhereItStoodAtTheLastLayout) {
    OpenOnDefaultPhone();
    ASSERT_FALSE(HasFatalFailure());
    wxWindow* bar = m_frame->Control(kIdProgress);
    auto settle = [] { PumpUntil([] { return false; }, std::chrono::milliseconds(200)); };
    m_frame->Model().SetOverallRange(24);
    m_frame->Model().SetOverallPosition(6);
    settle();
    const std::uint32_t empty = PixelAt(*bar, 0.95);
    const std::uint32_t filled = PixelAt(*bar, 0.05);
    ASSERT_NE(empty, filled);
    m_frame->Model().SetOverallPosition(24);
    settle();
    EXPECT_EQ(PixelAt(*bar, 0.95), filled);
    m_frame->Model().SetOverallPosition(0);
    settle();
    EXPECT_EQ(PixelAt(*bar, 0.05), empty);
}

// Whether the list's context menu, as it would pop up now, shows the command's item checked.
bool ContextMenuChecks(wxListCtrl* list, int commandId) {
    auto* view = dynamic_cast<FileListView*>(list);
    if (!view) return false;
    const auto menu = view->BuildContextMenu();
    std::function<bool(const wxMenu&)> checked = [&](const wxMenu& m) {
        for (const wxMenuItem* item : m.GetMenuItems()) {
            if (item->IsSubMenu() && checked(*item->GetSubMenu())) return true;
            if (view->CommandOfMenuItem(item->GetId()) == commandId) return item->IsChecked();
        }
        return false;
    };
    return checked(*menu);
}

TEST_F(PhoneSessionGuiTest, ViewCommandsOfEitherMenuSwitchTheListAndCheckBothMenus) {
    OpenOnDefaultPhone();
    ASSERT_FALSE(HasFatalFailure());
    auto* list = dynamic_cast<wxListCtrl*>(m_frame->Control(kIdFileList));
    ASSERT_NE(list, nullptr);

    m_frame->Model().Command(kCmdContextList);
    EXPECT_TRUE(list->HasFlag(wxLC_LIST));
    EXPECT_TRUE(m_frame->Model().MenuChecked(kCmdViewList));
    EXPECT_TRUE(ContextMenuChecks(list, kCmdContextList));
    EXPECT_FALSE(m_frame->Model().MenuChecked(kCmdViewTable));
    EXPECT_EQ(ReadView(user), std::optional<std::int32_t>(kViewList));

    m_frame->Model().Command(kCmdViewTable);
    EXPECT_TRUE(list->InReportView());
    EXPECT_TRUE(ContextMenuChecks(list, kCmdContextTable));
    EXPECT_FALSE(ContextMenuChecks(list, kCmdContextList));
    EXPECT_EQ(list->GetColumnWidth(1), 70);
}

// The phone file's bytes as the default emulated phone keeps them in its image.
std::string PhoneBytes(const std::string& phonePath) {
    std::string bytes;
    if (auto host = SimPhone(LoadEmulatorConfig(ProcessEnv).phones.at(0)).HostPath(phonePath)) {
        std::ifstream in(*host, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    return bytes;
}

std::string LocalBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Two rows of a folder downloaded through the window, the save dialog answered through the
// prompts port; then a double-click hands the shell a copy of the row's file.
// Two phones: the poll shows no box; the phone the user picks keeps its place across its own
// restart, and no phone's files, upload path or free space show under another.
TEST_F(PhoneSessionGuiTest, ThePickedPhoneStaysChosenAndShowsOnlyItsOwnFiles) {
    const test::TempFolder images("images");
    // The emulator restarts a phone in 1.5 s, past the poll timer.
    m_pst = test::LoadEmulator(images.path(),
                               "[phone 1]\nmodel = \"E398 \"\nvolumes = a:8388608\nimage = 1\n"
                               "[phone 2]\nmodel = V3x\nvolumes = a:16777216\nimage = 2\n");
    m_frame = new MainFrame(*m_pst, user, shell, "/opt/velmora/", &prompts);
    m_frame->Show();
    MainWindow& model = m_frame->Model();
    auto& devices = *dynamic_cast<wxChoice*>(m_frame->Control(kIdDeviceList));
    auto& tree = *dynamic_cast<wxTreeCtrl*>(m_frame->Control(kIdTree));
    auto* list = dynamic_cast<wxListCtrl*>(m_frame->Control(kIdFileList));
    ASSERT_TRUE(PumpUntil([&] { return devices.GetCount() == 2 && !model.PollingActive(); }));
    EXPECT_TRUE(prompts.Boxes().empty()) << "a poll is nobody's click";
    EXPECT_EQ(model.StatusPart(kStatusMessagePart).text, "Device not selected.");

    auto pick = [&](int index) {
        devices.SetSelection(index);
        wxCommandEvent chosen(wxEVT_CHOICE, devices.GetId());
        chosen.SetEventObject(&devices);
        chosen.SetInt(index);
        devices.ProcessWindowEvent(chosen);
    };
    auto root = [&] {
        return tree.GetRootItem().IsOk() ? Utf8(tree.GetItemText(tree.GetRootItem())) : "";
    };
    pick(1);
    ASSERT_TRUE(PumpUntil([&] { return root() == "V3x (FSAC v.2.1)"; })) << root();
    tree.SelectItem(ChildNamed(tree, tree.GetRootItem(), "/a"));
    ClickAndWait(kIdGetFileList);
    tree.SelectItem(ChildNamed(tree, ChildNamed(tree, tree.GetRootItem(), "/a"), "mobile"));
    EXPECT_EQ(Utf8(dynamic_cast<wxTextCtrl*>(m_frame->Control(kIdUploadPath))->GetValue()),
              "/a/mobile/");
    EXPECT_EQ(model.StatusPart(kFreeSpaceStatusPart).text.rfind("15.", 0), 0u);

    pick(0);
    ASSERT_TRUE(PumpUntil([&] { return root() == "E398  (FSAC v.2.1)"; })) << root();
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(TheFileList().Count(), 0);
    EXPECT_EQ(Utf8(dynamic_cast<wxTextCtrl*>(m_frame->Control(kIdUploadPath))->GetValue()), "");
    EXPECT_EQ(model.StatusPart(kFreeSpaceStatusPart).text.rfind("7.", 0), 0u);

    // Its restart takes it away a moment; #2 stands in, and #1 is chosen again on its return.
    wxCommandEvent restart(wxEVT_BUTTON, kIdRestart);
    restart.SetEventObject(m_frame->Control(kIdRestart));
    m_frame->Control(kIdRestart)->ProcessWindowEvent(restart);
    ASSERT_TRUE(PumpUntil([&] { return devices.GetCount() == 1; }));
    ASSERT_TRUE(PumpUntil([&] {
        return devices.GetCount() == 2 && !model.PollingActive() && root() == "E398  (FSAC v.2.1)";
    })) << root();
    EXPECT_EQ(Utf8(devices.GetStringSelection()), "Motorola phone ID #1");
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(PhoneSessionGuiTest, DownloadTwoRowsAndOpenOneByDoubleClick) {
    wxTreeCtrl& tree = OpenOnDefaultPhone();
    ASSERT_FALSE(HasFatalFailure());
    auto* list = dynamic_cast<wxListCtrl*>(m_frame->Control(kIdFileList));
    ASSERT_NE(list, nullptr);
    tree.SelectItem(ChildNamed(tree, tree.GetRootItem(), "/a"));
    ClickAndWait(kIdGetFileList);
    const wxTreeItemId mobile =
        ChildNamed(tree, ChildNamed(tree, tree.GetRootItem(), "/a"), "mobile");
    tree.Expand(mobile);
    tree.SelectItem(ChildNamed(tree, mobile, "audio"));
    ASSERT_TRUE(PumpUntil([&] { return list->GetItemCount() == 4; }));

    const test::TempFolder destination("download");
    list->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    list->SetItemState(2, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    const std::string first = Utf8(list->GetItemText(0, 0));
    const std::string third = Utf8(list->GetItemText(2, 0));
    prompts.saveAnswers = {(destination.path() / "chosen.mid").string()};
    ClickAndWait(kIdDownload);

    ASSERT_EQ(prompts.saveRequests.size(), 1u);
    EXPECT_EQ(prompts.saveRequests[0].fileName, first);
    EXPECT_TRUE(prompts.Boxes().empty());
    // The name typed in the dialog is the first file's; the others keep their own.
    for (const auto& [name, local] :
         {std::pair{first, std::string("chosen.mid")}, {third, third}}) {
        const std::string phone = PhoneBytes("/a/mobile/audio/" + name);
        ASSERT_FALSE(phone.empty()) << name;
        EXPECT_EQ(LocalBytes(destination.path() / local), phone) << name;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(destination.path()), {}), 2);
    EXPECT_TRUE(m_frame->Control(kIdDownload)->IsEnabled());
    EXPECT_FALSE(m_frame->Control(kIdInterrupt)->IsEnabled());

    wxListEvent activate(wxEVT_LIST_ITEM_ACTIVATED, list->GetId());
    activate.SetEventObject(list);
    activate.m_itemIndex = 1;
    list->ProcessWindowEvent(activate);
    ASSERT_TRUE(PumpUntil([&] { return !JobBusy() && !shell.Requests().empty(); }));
    const auto opened = shell.Requests().front();
    EXPECT_EQ(opened.verb, "open");
    const std::filesystem::path copy = opened.path;
    EXPECT_EQ(copy.filename().string(), Utf8(list->GetItemText(1, 0)));
    EXPECT_EQ(copy.parent_path().filename().string().rfind("VELMORA_TMP", 0), 0u) << copy;
    EXPECT_EQ(opened.contents, PhoneBytes("/a/mobile/audio/" + Utf8(list->GetItemText(1, 0))));
}

}  // namespace
}  // namespace velmora
