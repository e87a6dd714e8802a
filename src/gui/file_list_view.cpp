#include "gui/file_list_view.h"

#include <wx/dnd.h>
#include <wx/image.h>
#include <wx/imaglist.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include <algorithm>
#include <utility>

#include "base/lang_string.h"
#include "gui/type_icons.h"
#include "gui/wx_menu.h"
#include "gui/wx_text.h"
#include "ui/menu_spec.h"

namespace velmora {
namespace {

// wx takes menu ids below 0x8000 only; the commands are above.
constexpr int kFirstMenuItemId = 11000;

// Exactly size square: the image lists take nothing else, and a slot without an icon must
// still take its place.
wxBitmap FitIcon(const IconHandle& icon, int size) {
    wxBitmap bitmap = ToBitmap(icon);
    if (bitmap.IsOk() && bitmap.GetWidth() == size && bitmap.GetHeight() == size) return bitmap;
    wxImage image = bitmap.IsOk() ? bitmap.ConvertToImage() : wxImage(size, size);
    if (!image.HasAlpha()) {
        image.InitAlpha();
        if (!bitmap.IsOk()) std::fill_n(image.GetAlpha(), size * size, 0);
    }
    image.Rescale(size, size, wxIMAGE_QUALITY_HIGH);
    return wxBitmap(image, 32);
}

}  // namespace

long ListStyleForView(int view) {
    switch (view) {
        case kViewLargeIcons:
            return wxLC_ICON;
        case kViewSmallIcons:
            return wxLC_SMALL_ICON;
        case kViewList:
            return wxLC_LIST;
        default:
            return wxLC_REPORT | wxLC_VIRTUAL;
    }
}

class FileListView::Updating {
  public:
    explicit Updating(FileListView& view) : m_view(view) { ++m_view.m_updating; }
    ~Updating() { --m_view.m_updating; }
    Updating(const Updating&) = delete;
    Updating& operator=(const Updating&) = delete;

  private:
    FileListView& m_view;
};

class FileListView::FileDrop : public wxFileDropTarget {
  public:
    explicit FileDrop(FileListView& view) : m_view(view) {}
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) override {
        std::vector<std::string> paths;
        paths.reserve(names.size());
        for (const auto& name : names) paths.push_back(name.utf8_string());
        return m_view.Drop(paths);
    }

  private:
    FileListView& m_view;
};

FileListView::FileListView(wxWindow* parent, FileRows& model, wxWindowID id)
    : wxListCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_VIRTUAL | wxBORDER_SUNKEN),
      m_model(model) {
    // Several rows selectable (no wxLC_SINGLE_SEL); the generic control selects full rows and
    // keeps the selection drawn without the focus.
    AssignImageList(new wxImageList(kLargeIconSize, kLargeIconSize, true, 4), wxIMAGE_LIST_NORMAL);
    AssignImageList(new wxImageList(kSmallIconSize, kSmallIconSize, true, 4), wxIMAGE_LIST_SMALL);
    const auto columns = m_model.Columns();
    for (std::size_t i = 0; i < columns.size() && i < m_widths.size(); ++i) {
        m_widths[i] = columns[i].initialWidth;
    }
    InsertColumns();
    SetDropTarget(new FileDrop(*this));

    Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& e) {
        if (Ignored()) return;
        if (IsVirtual()) return SelectionFromControl();
        m_model.SetRowSelected(static_cast<int>(e.GetIndex()), true);
    });
    Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent& e) {
        if (Ignored()) return;
        if (IsVirtual()) return SelectionFromControl();
        m_model.SetRowSelected(static_cast<int>(e.GetIndex()), false);
    });
    // A virtual control changes a range or clears its selection without an event per row:
    // once a click or key has done its work (the loop is idle again), the model reads the
    // selection back.
    for (wxWindow* child : GetChildren()) {
        auto later = [this](wxEvent& e) {
            e.Skip();
            m_selectionToRead = true;
        };
        child->Bind(wxEVT_LEFT_UP, later);
        child->Bind(wxEVT_KEY_UP, later);
    }
    Bind(wxEVT_IDLE, [this](wxIdleEvent& e) {
        e.Skip();
        if (!std::exchange(m_selectionToRead, false)) return;
        if (IsVirtual() && !Ignored()) SelectionFromControl();
    });
    Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& e) {
        if (Ignored() || e.GetColumn() < 0) return;
        if (m_onHeadingClick) {
            m_onHeadingClick(e.GetColumn());
        } else {
            m_model.OnHeadingClick(e.GetColumn());
        }
    });
    Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& e) {
        if (Ignored()) return;
        if (IsVirtual()) SelectionFromControl();
        if (m_onActivate) m_onActivate(static_cast<int>(e.GetIndex()));
    });
    Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent& e) {
        // The menu's commands act on the selection: it must be the one on screen.
        if (!Ignored() && IsVirtual()) SelectionFromControl();
        // From the keyboard the event has no position: the pointer's stands in.
        const wxPoint at =
            e.GetPosition() == wxDefaultPosition ? wxGetMousePosition() : e.GetPosition();
        if (m_onContextMenu) {
            m_onContextMenu(at);
        } else {
            ShowContextMenu(at);
        }
    });

    m_model.SetObserver(this);
    ViewChanged(m_model.View());
}

FileListView::~FileListView() {
    m_model.SetObserver(nullptr);
    ++m_updating;
}

void FileListView::SetColumnWidths(const std::array<int, kFileListColumnCount>& widths) {
    m_widths = widths;
    ApplyColumnWidths();
}

void FileListView::InsertColumns() {
    Updating updating(*this);
    const auto columns = m_model.Columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const auto& column = columns[i];
        InsertColumn(
            static_cast<long>(i), FromUtf8(column.heading),
            column.align == ColumnAlign::Centre ? wxLIST_FORMAT_CENTRE : wxLIST_FORMAT_LEFT,
            i < m_widths.size() ? m_widths[i] : 0);
    }
}

void FileListView::ShowSortOrder() {
    if (!m_model.Sorted()) return RemoveSortIndicator();
    if (GetSortIndicator() != m_model.SortColumn() ||
        IsAscendingSortIndicator() != m_model.SortAscending()) {
        ShowSortIndicator(m_model.SortColumn(), m_model.SortAscending());
    }
}

void FileListView::ApplyColumnWidths() {
    // Widths exist in the report view only; the switch back applies the stored ones.
    if (!InReportView()) return;
    for (int i = 0; i < GetColumnCount() && i < kFileListColumnCount; ++i) {
        if (GetColumnWidth(i) != m_widths[static_cast<std::size_t>(i)]) {
            SetColumnWidth(i, m_widths[static_cast<std::size_t>(i)]);
        }
    }
}

int FileListView::ImageFor(int slot) {
    const auto& images = m_model.Images();
    if (slot < 0 || slot >= static_cast<int>(images.size())) return -1;
    const RowIcons& icons = images[static_cast<std::size_t>(slot)];
    const auto key = std::make_pair(icons.smallIcon.get(), icons.largeIcon.get());
    if (const auto it = m_imageIndex.find(key); it != m_imageIndex.end()) return it->second;
    const int index =
        GetImageList(wxIMAGE_LIST_SMALL)->Add(FitIcon(icons.smallIcon, kSmallIconSize));
    GetImageList(wxIMAGE_LIST_NORMAL)->Add(FitIcon(icons.largeIcon, kLargeIconSize));
    m_imageIndex.emplace(key, index);
    m_heldIcons.push_back(icons);
    return index;
}

void FileListView::MapNewImages() {
    const auto slots = m_model.Images().size();
    for (auto slot = m_slotImages.size(); slot < slots; ++slot) {
        m_slotImages.push_back(ImageFor(static_cast<int>(slot)));
    }
}

wxString FileListView::OnGetItemText(long item, long column) const {
    if (item < 0 || item >= m_model.RowCount() || column < 0 || column >= kFileListColumnCount) {
        return {};
    }
    // A column the layout hides (width 0) still gets drawn a pixel wide at the list's edge:
    // it has nothing to draw, whatever the model keeps in it.
    if (GetColumnWidth(static_cast<int>(column)) <= 0) return {};
    return FromUtf8(
        m_model.Rows()[static_cast<std::size_t>(item)].cells[static_cast<std::size_t>(column)]);
}

int FileListView::OnGetItemImage(long item) const {
    if (item < 0 || item >= m_model.RowCount()) return -1;
    const int slot = m_model.Rows()[static_cast<std::size_t>(item)].image;
    if (slot < 0 || slot >= static_cast<int>(m_slotImages.size())) return -1;
    return m_slotImages[static_cast<std::size_t>(slot)];
}

void FileListView::SelectionFromControl() {
    std::vector<bool> selected(static_cast<std::size_t>(m_model.RowCount()), false);
    for (long item = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
         item >= 0 && item < m_model.RowCount();
         item = GetNextItem(item, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
        selected[static_cast<std::size_t>(item)] = true;
    }
    Updating updating(*this);
    for (int row = 0; row < m_model.RowCount(); ++row) {
        if (m_model.Rows()[static_cast<std::size_t>(row)].selected !=
            selected[static_cast<std::size_t>(row)]) {
            m_model.SetRowSelected(row, selected[static_cast<std::size_t>(row)]);
        }
    }
}

void FileListView::ShowSelection(int row) {
    const bool wanted = m_model.Rows()[static_cast<std::size_t>(row)].selected;
    if ((GetItemState(row, wxLIST_STATE_SELECTED) != 0) != wanted) {
        SetItemState(row, wanted ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
    }
}

void FileListView::ShowRow(int row, bool insert) {
    const ListRow& r = m_model.Rows()[static_cast<std::size_t>(row)];
    if (IsVirtual()) {
        RefreshItem(row);
        ShowSelection(row);
        return;
    }
    // The views that hold items show the name only; the table is virtual.
    if (insert) {
        InsertItem(row, FromUtf8(r.cells[kColumnName]), ImageFor(r.image));
        SetItemData(row, r.itemData);
    } else if (GetItemText(row, 0) != FromUtf8(r.cells[kColumnName])) {
        SetItemText(row, FromUtf8(r.cells[kColumnName]));
    }
    ShowSelection(row);
}

// ---- the model's changes ----

void FileListView::RowsReset() {
    Updating updating(*this);
    Freeze();
    DeleteAllItems();
    GetImageList(wxIMAGE_LIST_SMALL)->RemoveAll();
    GetImageList(wxIMAGE_LIST_NORMAL)->RemoveAll();
    m_imageIndex.clear();
    m_heldIcons.clear();
    m_slotImages.clear();
    MapNewImages();
    if (IsVirtual()) {
        SetItemCount(m_model.RowCount());
        for (int row = 0; row < m_model.RowCount(); ++row) {
            if (m_model.Rows()[static_cast<std::size_t>(row)].selected) ShowSelection(row);
        }
        Refresh();
    } else {
        for (int row = 0; row < m_model.RowCount(); ++row) ShowRow(row, true);
    }
    ShowSortOrder();
    Thaw();
}

void FileListView::RowInserted(int row) {
    if (row < 0 || row >= m_model.RowCount() || row > GetItemCount()) return RowsReset();
    Updating updating(*this);
    MapNewImages();
    ShowSortOrder();
    if (IsVirtual()) {
        // The rows below move down, and the control's selection store would not follow them.
        if (row + 1 != m_model.RowCount()) return RowsReset();
        SetItemCount(m_model.RowCount());
        ShowSelection(row);
        RefreshItem(row);
        return;
    }
    ShowRow(row, true);
}

void FileListView::RowDeleted(int row) {
    if (row < 0 || row >= GetItemCount()) return;
    if (IsVirtual()) return RowsReset();
    Updating updating(*this);
    DeleteItem(row);
}

void FileListView::RowChanged(int row) {
    if (row < 0 || row >= m_model.RowCount() || row >= GetItemCount()) return;
    Updating updating(*this);
    ShowRow(row, false);
}

void FileListView::ViewChanged(int view) {
    {
        Updating updating(*this);
        // The table is virtual and the other views hold items: empty the control before the
        // switch, so that neither kind is read as the other.
        constexpr long kViewFlags = wxLC_MASK_TYPE | wxLC_VIRTUAL;
        const long style = ListStyleForView(view);
        if ((GetWindowStyleFlag() & kViewFlags) != style) {
            DeleteAllItems();
            SetWindowStyleFlag((GetWindowStyleFlag() & ~kViewFlags) | style);
        }
    }
    // A filled control keeps its items with empty rectangles after a switch: fill it again.
    RowsReset();
    if (InReportView()) {
        HeadingsChanged();
        ApplyColumnWidths();
    }
}

void FileListView::HeadingsChanged() {
    Updating updating(*this);
    const auto columns = m_model.Columns();
    for (int i = 0; i < GetColumnCount() && i < static_cast<int>(columns.size()); ++i) {
        wxListItem heading;
        heading.SetMask(wxLIST_MASK_TEXT);
        heading.SetText(FromUtf8(columns[static_cast<std::size_t>(i)].heading));
        SetColumn(i, heading);
    }
}

// ---- the user's input ----

std::unique_ptr<wxMenu> FileListView::BuildContextMenu() {
    m_menuCommands.clear();
    const MenuSpec spec = ContextMenu();
    const auto checks = CheckedViewItems(m_model.View());
    return std::unique_ptr<wxMenu>(BuildWxMenu(spec.items, [&](const MenuItem& item) {
        const int id = kFirstMenuItemId + static_cast<int>(m_menuCommands.size());
        m_menuCommands[id] = item.id;
        const bool view = ViewForCommand(item.id).has_value();
        return WxMenuItemState{id, view, view && checks && checks->contextMenuId == item.id};
    }));
}

int FileListView::CommandOfMenuItem(int menuId) const {
    const auto it = m_menuCommands.find(menuId);
    return it == m_menuCommands.end() ? 0 : it->second;
}

void FileListView::ShowContextMenu(const wxPoint& screen) {
    const auto menu = BuildContextMenu();
    const int chosen = GetPopupMenuSelectionFromUser(*menu, ScreenToClient(screen));
    const int command = CommandOfMenuItem(chosen);
    if (command != 0 && m_onCommand) m_onCommand(command);
}

bool FileListView::Drop(const std::vector<std::string>& paths) {
    if (!m_onDrop || paths.empty()) return false;
    m_onDrop(paths);
    return true;
}

}  // namespace velmora
