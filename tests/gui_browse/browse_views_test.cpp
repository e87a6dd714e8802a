// The tree and list views against their models: what the model holds is what the controls
// show, and what the user does reaches the model, nothing else.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/dnd.h>
#include <wx/frame.h>
#include <wx/imaglist.h>
#include <wx/menu.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/lang_string.h"
#include "gui/file_list_view.h"
#include "gui/type_icons.h"
#include "gui/volume_tree_ctrl.h"
#include "sim/sample_content.h"
#include "support/fakes.h"
#include "ui/menu_spec.h"

namespace velmora {
namespace {

std::string Text(const wxString& text) {
    return text.utf8_string();
}

class ShowRows : public TreeSelectionHandler {
  public:
    explicit ShowRows(FileRows& list) : m_list(list) {}
    void OnTreeSelection(const TreeSelectionChange& change) override {
        changes.push_back(change);
        ShowSelectionRows(change, m_list);
    }
    std::vector<TreeSelectionChange> changes;

  private:
    FileRows& m_list;
};

class BrowseViews : public ::testing::Test {
  protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "Velmora", wxDefaultPosition, wxSize(640, 400));
        m_treeView = new VolumeTreeCtrl(m_frame, m_tree);
        m_treeView->SetSize(0, 0, 170, 380);
        m_listView = new FileListView(m_frame, m_list);
        m_listView->SetSize(175, 0, 460, 380);
        m_frame->Show();
        m_tree.SetSelectionHandler(&m_handler);
        m_tree.SetVolumeTable({"/a", "/b"});
    }
    void TearDown() override {
        m_frame->Destroy();
        wxTheApp->ProcessIdle();  // frames go at idle time
    }

    // The emulated phone's sample files, with their icons, as a listing leaves them.
    void ReadSampleFiles() {
        std::vector<FileEntry> entries;
        for (const auto& file : SampleFiles(false)) {
            auto entry = MakeFileEntry(file.path, file.path, file.attributes, 0,
                                       static_cast<std::int32_t>(file.contents.size()));
            entry.smallIcon = m_icons.FileTypeIcon(entry.type, false);
            entry.largeIcon = m_icons.FileTypeIcon(entry.type, true);
            entries.push_back(std::move(entry));
        }
        Fill(entries);
    }
    void Fill(const std::vector<FileEntry>& entries) {
        m_files.Allocate(static_cast<std::int32_t>(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            m_files.SetEntry(static_cast<std::int32_t>(i), entries[i]);
        }
        m_tree.SetEntryCount(m_files.Count());
    }

    wxTreeItemId Child(const wxTreeItemId& parent, const std::string& text) const {
        wxTreeItemIdValue cookie;
        for (auto c = m_treeView->GetFirstChild(parent, cookie); c.IsOk();
             c = m_treeView->GetNextChild(parent, cookie)) {
            if (Text(m_treeView->GetItemText(c)) == text) return c;
        }
        return {};
    }
    std::vector<std::string> ChildTexts(const wxTreeItemId& parent) const {
        std::vector<std::string> texts;
        wxTreeItemIdValue cookie;
        for (auto c = m_treeView->GetFirstChild(parent, cookie); c.IsOk();
             c = m_treeView->GetNextChild(parent, cookie)) {
            texts.push_back(Text(m_treeView->GetItemText(c)));
        }
        return texts;
    }
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> cells;
        for (int i = 0; i < m_listView->GetItemCount(); ++i) {
            cells.push_back(Text(m_listView->GetItemText(i, column)));
        }
        return cells;
    }
    void ClickHeading(int column) {
        wxListEvent event(wxEVT_LIST_COL_CLICK, m_listView->GetId());
        event.SetEventObject(m_listView);
        event.m_col = column;
        m_listView->GetEventHandler()->ProcessEvent(event);
    }
    void Idle() {
        for (int i = 0; i < 3; ++i) wxTheApp->ProcessIdle();
    }

    test::FakePrompts m_prompts;
    DesktopIconSource m_icons;
    FileList m_files;
    VolumeTree m_tree{m_prompts, m_files};
    FileRows m_list;
    ShowRows m_handler{m_list};
    wxFrame* m_frame = nullptr;
    VolumeTreeCtrl* m_treeView = nullptr;
    FileListView* m_listView = nullptr;
};

TEST_F(BrowseViews, TreeShowsTheModelsNodesAndForwardsExpandAndCollapse) {
    ReadSampleFiles();
    m_tree.ResetTree(true);
    const wxTreeItemId root = m_treeView->GetRootItem();
    ASSERT_TRUE(root.IsOk());
    EXPECT_EQ(Text(m_treeView->GetItemText(root)), "Volumes");
    EXPECT_EQ(m_treeView->GetItemImage(root), kTreeImageRoot);
    EXPECT_TRUE(m_treeView->IsExpanded(root));
    EXPECT_EQ(ChildTexts(root), (std::vector<std::string>{"/a", "/b"}));

    // The user opens /a: the model builds the whole hierarchy below it.
    const wxTreeItemId a = Child(root, "/a");
    EXPECT_EQ(m_treeView->GetItemImage(a, wxTreeItemIcon_Selected), kTreeImageVolumeOpen);
    m_treeView->Expand(a);
    const NodeId aNode = m_treeView->NodeOf(a);
    EXPECT_TRUE(m_tree.Node(aNode)->expanded);
    EXPECT_EQ(ChildTexts(a), (std::vector<std::string>{"mobile"}));
    const wxTreeItemId mobile = Child(a, "mobile");
    EXPECT_EQ(m_treeView->GetItemImage(mobile), kTreeImageFolder);
    EXPECT_FALSE(m_treeView->IsExpanded(mobile));
    m_treeView->Expand(mobile);
    EXPECT_EQ(ChildTexts(mobile), (std::vector<std::string>{"audio", "kjava", "picture",
                                                            "ringtones", "skins", "system"}));
    EXPECT_EQ(ChildTexts(Child(mobile, "picture")), (std::vector<std::string>{"wallpapers"}));

    // Collapsing gives way to one placeholder; opening again builds the same.
    m_treeView->Collapse(a);
    EXPECT_FALSE(m_tree.Node(aNode)->expanded);
    EXPECT_EQ(ChildTexts(a), (std::vector<std::string>{""}));
    m_treeView->Expand(a);
    EXPECT_EQ(ChildTexts(a), (std::vector<std::string>{"mobile"}));
}

TEST_F(BrowseViews, TreeImagesAreSixNonEmptySmallPictures) {
    const wxImageList* images = m_treeView->GetImageList();
    ASSERT_NE(images, nullptr);
    ASSERT_EQ(images->GetImageCount(), kTreeImageCount);
    for (int i = 0; i < kTreeImageCount; ++i) {
        const wxBitmap bitmap = images->GetBitmap(i);
        ASSERT_TRUE(bitmap.IsOk()) << i;
        EXPECT_EQ(bitmap.GetSize(), wxSize(16, 16)) << i;
    }
    // The folder and the volume show something: not the blank first image.
    for (int i : {kTreeImageRoot, kTreeImageVolume, kTreeImageFolder, kTreeImageFolderOpen}) {
        const wxImage image = images->GetBitmap(i).ConvertToImage();
        int opaque = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) opaque += !image.HasAlpha() || image.GetAlpha(x, y) > 0;
        }
        EXPECT_GT(opaque, 20) << i;
    }
}

TEST_F(BrowseViews, ExpandingBeforeAnyListingTellsWhyAndClosesAgain) {
    m_tree.ResetTree(true);
    const wxTreeItemId a = Child(m_treeView->GetRootItem(), "/a");
    m_treeView->Expand(a);
    ASSERT_EQ(m_prompts.Texts(), std::vector<std::string>{LoadLangString(150)});
    EXPECT_FALSE(m_treeView->IsExpanded(a));
    EXPECT_FALSE(m_tree.Node(m_treeView->NodeOf(a))->expanded);
}

TEST_F(BrowseViews, SelectingAFolderShowsItsFilesWithIcons) {
    ReadSampleFiles();
    m_tree.ResetTree(true);
    m_tree.ShowFirstVolume();
    const wxTreeItemId a = Child(m_treeView->GetRootItem(), "/a");
    EXPECT_EQ(m_treeView->GetSelection(), a);
    // The user opens mobile (which rebuilds its folders) and clicks picture.
    m_treeView->Expand(Child(a, "mobile"));
    const wxTreeItemId picture = Child(Child(a, "mobile"), "picture");
    ASSERT_TRUE(picture.IsOk());

    m_handler.changes.clear();
    m_treeView->SelectItem(picture);  // as a click does
    ASSERT_EQ(m_handler.changes.size(), 1u);
    EXPECT_EQ(m_handler.changes[0].statusPath, "/a/mobile/picture/");
    EXPECT_EQ(m_tree.Selection(), m_treeView->NodeOf(picture));

    EXPECT_EQ(Column(0), (std::vector<std::string>{"sunset.bmp", "forest.bmp", "logo.gif",
                                                   "smile.gif", "wave.png", "stars.png"}));
    EXPECT_EQ(Column(3), (std::vector<std::string>{"bmp", "bmp", "gif", "gif", "png", "png"}));
    // The hidden column keeps each row's entry index and shows it once widened.
    std::vector<std::string> indexes;
    for (const auto& row : m_list.Rows()) indexes.push_back(row.cells[kColumnEntryIndex]);
    EXPECT_EQ(indexes, (std::vector<std::string>{"0", "1", "2", "3", "4", "5"}));
    EXPECT_EQ(Column(4), std::vector<std::string>(6, ""));
    m_listView->SetColumnWidths({200, 70, 70, 70, 30});
    EXPECT_EQ(Column(4), indexes);
    const wxImageList* small = m_listView->GetImageList(wxIMAGE_LIST_SMALL);
    const wxImageList* large = m_listView->GetImageList(wxIMAGE_LIST_NORMAL);
    for (int row = 0; row < m_listView->GetItemCount(); ++row) {
        wxListItem item;
        item.SetId(row);
        item.SetMask(wxLIST_MASK_IMAGE);
        ASSERT_TRUE(m_listView->GetItem(item));
        ASSERT_GE(item.GetImage(), 0) << row;
        EXPECT_EQ(small->GetBitmap(item.GetImage()).GetSize(), wxSize(16, 16));
        EXPECT_EQ(large->GetBitmap(item.GetImage()).GetSize(), wxSize(32, 32));
    }
    // One image per distinct icon, not per row.
    EXPECT_EQ(small->GetImageCount(), 3);

    // Collapsing the folder's parent moves the selection up, in the model and on screen.
    m_treeView->Collapse(Child(a, "mobile"));
    EXPECT_EQ(m_treeView->GetSelection(), Child(a, "mobile"));
    EXPECT_EQ(m_tree.Selection(), m_treeView->NodeOf(Child(a, "mobile")));
}

// The colours drawn in a band of the list's rows, x from `left` to `right` exclusive.
std::set<std::uint32_t> RowColours(wxWindow& rows, int left, int right, int bottom) {
    GtkWidget* widget = rows.GetHandle();
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(widget, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    std::set<std::uint32_t> colours;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < std::min(bottom, height); ++y) {
        for (int x = std::max(left, 0); x < std::min(right, width); ++x) {
            std::uint32_t pixel = 0;
            std::memcpy(
                &pixel,
                data + static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface) +
                    4 * x,
                sizeof pixel);
            colours.insert(pixel);
        }
    }
    cairo_surface_destroy(surface);
    return colours;
}

TEST_F(BrowseViews, TheHiddenIndexColumnDrawsNothing) {
    ReadSampleFiles();
    m_tree.ResetTree(true);
    m_tree.ShowFirstVolume();
    const wxTreeItemId a = Child(m_treeView->GetRootItem(), "/a");
    m_treeView->Expand(Child(a, "mobile"));
    m_treeView->SelectItem(Child(Child(a, "mobile"), "picture"));
    ASSERT_EQ(m_listView->GetItemCount(), 6);
    m_listView->SetColumnWidths({200, 70, 70, 70, 0});
    for (int i = 0; i < 5; ++i) wxTheApp->Yield(true);

    // Right of the type column there is nothing but the rows' background, in every row.
    wxRect last;
    ASSERT_TRUE(m_listView->GetItemRect(5, last));
    // The generic table draws its rows in the tallest of its children, below the headings.
    wxWindow* rows = nullptr;
    for (wxWindow* child : m_listView->GetChildren()) {
        if (!rows || child->GetSize().y > rows->GetSize().y) rows = child;
    }
    ASSERT_NE(rows, nullptr);
    const int edge = 200 + 70 + 70 + 70;
    const auto colours = RowColours(*rows, edge, edge + 12, last.GetBottom());
    EXPECT_EQ(colours.size(), 1u) << "the hidden column shows through in " << colours.size()
                                  << " colours";
}

TEST_F(BrowseViews, NamesThePhoneWroteInItsOwnCodePageStillShow) {
    // "Музыка/песня.mid" in windows-1251, then a name with the one byte that page leaves out.
    const std::string folder = "\xCC\xF3\xE7\xFB\xEA\xE0";
    Fill({MakeFileEntry("/a/" + folder + "/\xEF\xE5\xF1\xED\xFF.mid",
                        "/a/" + folder + "/\xEF\xE5\xF1\xED\xFF.mid", 0, 0, 10),
          MakeFileEntry("/a/" + folder + "/x\x98.txt", "/a/" + folder + "/x\x98.txt", 0, 0, 1),
          MakeFileEntry("/a/" + folder + "/ok.txt", "/a/" + folder + "/ok.txt", 0, 0, 1)});
    m_tree.ResetTree(true);
    m_tree.ShowFirstVolume();
    const wxTreeItemId a = Child(m_treeView->GetRootItem(), "/a");
    EXPECT_EQ(ChildTexts(a), std::vector<std::string>{"Музыка"});
    m_treeView->SelectItem(Child(a, "Музыка"));
    const auto names = Column(0);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], "песня.mid");
    EXPECT_EQ(names[1].substr(0, 1), "x");  // shown, not blank
    EXPECT_GT(names[1].size(), 1u);
    EXPECT_EQ(names[2], "ok.txt");
}

TEST_F(BrowseViews, IdleTimeChoosesNoSelectionOfItsOwn) {
    // After a search the flat list shows and no node is selected: an idle-time choice of the
    // root would replace the list with the root's empty folder.
    ReadSampleFiles();
    m_tree.ResetTree(true);
    m_tree.ExpandLastBranch();
    m_list.FillFlat(m_files);
    Idle();
    EXPECT_FALSE(m_treeView->GetSelection().IsOk());
    EXPECT_TRUE(m_handler.changes.empty());
    EXPECT_EQ(m_listView->GetItemCount(), m_list.RowCount());
    EXPECT_EQ(m_list.DisplayMode(), kDisplayFlat);

    // Removing the selected node leaves nothing selected rather than its parent.
    m_tree.ShowFirstVolume();
    m_tree.ResetTree(true);
    Idle();
    EXPECT_FALSE(m_treeView->GetSelection().IsOk());
    EXPECT_EQ(m_tree.Selection(), kNoNode);
}

class ListViewBehaviour : public BrowseViews {
  protected:
    void SetUp() override {
        BrowseViews::SetUp();
        std::vector<FileEntry> entries;
        for (const auto& [path, size, attributes] :
             std::vector<std::tuple<std::string, std::int32_t, std::uint16_t>>{
                 {"/a/b.txt", 10, 10},
                 {"/a/A.txt", 9, 9},
                 {"/a/x/a.mid", 100, 0},
                 {"/b/big.bin", static_cast<std::int32_t>(0x80000000u), 0}}) {
            auto entry = MakeFileEntry(path, path, attributes, 0, size);
            entry.smallIcon = m_icons.FileTypeIcon(entry.type, false);
            entry.largeIcon = m_icons.FileTypeIcon(entry.type, true);
            entries.push_back(entry);
        }
        Fill(entries);
        m_list.FillFlat(m_files);
    }
};

TEST_F(ListViewBehaviour, ViewSwitchesKeepEveryRowAndTheReportCells) {
    const auto paths = Column(0);
    ASSERT_EQ(paths,
              (std::vector<std::string>{"/a/b.txt", "/a/A.txt", "/a/x/a.mid", "/b/big.bin"}));
    m_listView->SetColumnWidths({300, 70, 70, 70, 0});
    for (int view : {kViewLargeIcons, kViewList, kViewSmallIcons, kViewReport}) {
        ASSERT_TRUE(m_list.SetView(view));
        EXPECT_TRUE(m_listView->HasFlag(ListStyleForView(view))) << view;
        EXPECT_EQ(Column(0), paths) << view;
        for (int row = 0; row < m_listView->GetItemCount(); ++row) {
            wxRect rect;
            ASSERT_TRUE(m_listView->GetItemRect(row, rect));
            EXPECT_GT(rect.width, 0) << view << " row " << row;
        }
        if (view != kViewReport) m_listView->SetColumnWidths({250, 70, 70, 70, 0});
    }
    EXPECT_EQ(Column(2), (std::vector<std::string>{"10", "9", "100", "-2147483648"}));
    EXPECT_EQ(Column(3), (std::vector<std::string>{"txt", "txt", "mid", "bin"}));
    EXPECT_EQ(m_listView->GetColumnWidth(0), 250);
    EXPECT_EQ(m_listView->GetColumnWidth(4), 0);
    wxListItem heading;
    heading.SetMask(wxLIST_MASK_TEXT);
    ASSERT_TRUE(m_listView->GetColumn(2, heading));
    EXPECT_EQ(Text(heading.GetText()), LoadLangString(138));
}

TEST_F(ListViewBehaviour, HeadingClicksSortByNumberForSizeAndTextElsewhere) {
    ClickHeading(kColumnSize);
    EXPECT_EQ(m_list.SortColumn(), kColumnSize);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"-2147483648", "9", "10", "100"}));
    // Rows keep their item data through a sort (the table is virtual: the model holds it).
    EXPECT_EQ(m_list.Rows()[0].itemData, 3);
    ClickHeading(kColumnAttributes);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"0", "0", "10", "9"}));
    ClickHeading(kColumnAttributes);  // again: reversed, and the heading's arrow says so
    EXPECT_EQ(m_listView->GetSortIndicator(), kColumnAttributes);
    EXPECT_FALSE(m_listView->IsAscendingSortIndicator());
}

TEST_F(ListViewBehaviour, SelectionGoesBothWays) {
    m_listView->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    m_listView->SetItemState(3, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    EXPECT_EQ(m_list.SelectedRows(), (std::vector<int>{1, 3}));
    m_listView->SetItemState(1, 0, wxLIST_STATE_SELECTED);
    EXPECT_EQ(m_list.SelectedRows(), (std::vector<int>{3}));
    // The table changes every row at once without an event per row (a click on empty space,
    // a shift-click); the click's end brings the model up to date.
    auto clickEnds = [this] {
        for (wxWindow* child : m_listView->GetChildren()) {
            wxMouseEvent up(wxEVT_LEFT_UP);
            up.SetEventObject(child);
            child->ProcessWindowEvent(up);
        }
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
    };
    m_listView->SetItemState(-1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    clickEnds();
    EXPECT_EQ(m_list.SelectedRows(), (std::vector<int>{0, 1, 2, 3}));
    m_listView->SetItemState(-1, 0, wxLIST_STATE_SELECTED);
    clickEnds();
    EXPECT_TRUE(m_list.SelectedRows().empty());
    m_listView->SetItemState(3, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);

    m_list.SelectOnly(0);
    EXPECT_EQ(m_listView->GetSelectedItemCount(), 1);
    EXPECT_NE(m_listView->GetItemState(0, wxLIST_STATE_SELECTED), 0);
    // A sort keeps the selection with its row.
    m_list.OnSortCommand(kCmdSortSize);
    const int row = m_list.FindItemData(0);
    EXPECT_NE(m_listView->GetItemState(row, wxLIST_STATE_SELECTED), 0);
    EXPECT_EQ(m_list.SelectedRows(), std::vector<int>{row});
}

TEST_F(ListViewBehaviour, ContextMenuFollowsLanguageAndViewAndReportsCommands) {
    std::vector<int> commands;
    m_listView->SetCommandHandler([&](int id) { commands.push_back(id); });
    m_list.SetView(kViewSmallIcons);
    for (std::int32_t language : {0, 1}) {
        SetLanguageIndex(language);
        const auto menu = m_listView->BuildContextMenu();
        const MenuSpec spec = ContextMenu();
        std::map<int, int> itemOf;  // command -> menu item id
        std::function<void(const wxMenu&)> walk = [&](const wxMenu& m) {
            for (const wxMenuItem* item : m.GetMenuItems()) {
                if (item->IsSubMenu()) walk(*item->GetSubMenu());
                if (const int command = m_listView->CommandOfMenuItem(item->GetId())) {
                    itemOf[command] = item->GetId();
                }
            }
        };
        walk(*menu);
        const int table = itemOf[kCmdContextTable];
        const int smallIcons = itemOf[kCmdContextSmallIcons];
        const int del = itemOf[kCmdContextDelete];
        EXPECT_EQ(itemOf.size(), 10u);
        ASSERT_NE(menu->FindItem(table), nullptr);
        EXPECT_FALSE(menu->FindItem(table)->IsChecked());
        EXPECT_TRUE(menu->FindItem(smallIcons)->IsChecked());
        EXPECT_EQ(Text(menu->FindItem(del)->GetItemLabel()), spec.items[4].text);
    }
    SetLanguageIndex(0);
    EXPECT_EQ(m_listView->CommandOfMenuItem(0), 0);
}

TEST_F(ListViewBehaviour, DroppedFilesAndDoubleClicksReachTheirHandlers) {
    std::vector<std::string> dropped;
    auto* unhandled = dynamic_cast<wxFileDropTarget*>(m_listView->GetDropTarget());
    ASSERT_NE(unhandled, nullptr);
    wxArrayString one;
    one.Add("/tmp/a.txt");
    EXPECT_FALSE(unhandled->OnDropFiles(5, 5, one));  // nobody took them: not a success
    m_listView->SetDropHandler([&](const std::vector<std::string>& paths) { dropped = paths; });
    auto* target = dynamic_cast<wxFileDropTarget*>(m_listView->GetDropTarget());
    ASSERT_NE(target, nullptr);
    wxArrayString names;
    names.Add(wxString::FromUTF8("/tmp/мелодия.mid"));
    names.Add("/tmp/b.txt");
    EXPECT_TRUE(target->OnDropFiles(5, 5, names));
    EXPECT_EQ(dropped, (std::vector<std::string>{"/tmp/мелодия.mid", "/tmp/b.txt"}));

    int activated = -1;
    m_listView->SetActivateHandler([&](int row) { activated = row; });
    wxListEvent event(wxEVT_LIST_ITEM_ACTIVATED, m_listView->GetId());
    event.SetEventObject(m_listView);
    event.m_itemIndex = 2;
    m_listView->GetEventHandler()->ProcessEvent(event);
    EXPECT_EQ(activated, 2);
}

}  // namespace
}  // namespace velmora
