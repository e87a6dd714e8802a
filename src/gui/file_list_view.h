// The file list on screen: a wxListCtrl that mirrors a FileRows's rows, columns and view
// mode, and hands selections, heading clicks, the context menu's commands, double clicks and
// dropped files back. The model decides; while it changes the control, the control's own
// events are not forwarded. The table view is virtual (cells are read from the model when
// drawn), so the largest listing costs neither seconds nor a copy of every cell; the icon and
// list views, which wx cannot show virtually, hold items.
#pragma once

#include <wx/listctrl.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/file_rows.h"
#include "ui/main_window_ids.h"

class wxMenu;

namespace velmora {

// The control's style for a view value; report for any other value.
long ListStyleForView(int view);

class FileListView : public wxListCtrl, private FileRowsObserver {
  public:
    using CommandHandler = std::function<void(int commandId)>;
    using RowHandler = std::function<void(int row)>;
    using DropHandler = std::function<void(const std::vector<std::string>& paths)>;
    using PointHandler = std::function<void(const wxPoint& screen)>;

    // Observes model from now on and shows its columns, view and rows.
    FileListView(wxWindow* parent, FileRows& model, wxWindowID id = kIdFileList);
    ~FileListView() override;

    FileRows& Model() { return m_model; }

    // The context menu's commands (the window's command map).
    void SetCommandHandler(CommandHandler handler) { m_onCommand = std::move(handler); }
    // A click on a heading (the column); without a handler the model sorts at once.
    void SetHeadingClickHandler(RowHandler handler) { m_onHeadingClick = std::move(handler); }
    // A right click at a screen position; without a handler the menu pops up at once.
    void SetContextMenuHandler(PointHandler handler) { m_onContextMenu = std::move(handler); }
    // A double click (or Enter) on a row.
    void SetActivateHandler(RowHandler handler) { m_onActivate = std::move(handler); }
    // Files dropped from the desktop, as local paths in UTF-8.
    void SetDropHandler(DropHandler handler) { m_onDrop = std::move(handler); }

    // Widths from the window's layout; kept for the report view when another view shows.
    void SetColumnWidths(const std::array<int, kFileListColumnCount>& widths);
    const std::array<int, kFileListColumnCount>& ColumnWidths() const { return m_widths; }

    // The context menu of the current language with the current view checked, and the command
    // behind one of its items (0 for none).
    std::unique_ptr<wxMenu> BuildContextMenu();
    int CommandOfMenuItem(int menuId) const;
    // Pops the context menu up at a screen position and runs the chosen command.
    void ShowContextMenu(const wxPoint& screen);

  protected:
    // The virtual table's cells and icons, read from the model.
    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemImage(long item) const override;

  private:
    class Updating;
    class FileDrop;

    // FileRowsObserver.
    void RowsReset() override;
    void RowInserted(int row) override;
    void RowDeleted(int row) override;
    void RowChanged(int row) override;
    void ViewChanged(int view) override;
    void HeadingsChanged() override;

    void InsertColumns();
    void ApplyColumnWidths();
    // The heading's arrow: the column and direction of the model's order, none while unsorted.
    void ShowSortOrder();
    void ShowRow(int row, bool insert);
    // The wx image index for a model slot: one per distinct pair of icons.
    int ImageFor(int slot);
    // The wx image of each model slot not mapped yet, looked up once.
    void MapNewImages();
    // The control's selection into the model: a virtual control reports a range or a clear
    // by one event, not one per row.
    void SelectionFromControl();
    void ShowSelection(int row);
    bool Ignored() const { return m_updating > 0; }
    // Whether someone took the files.
    bool Drop(const std::vector<std::string>& paths);

    FileRows& m_model;
    CommandHandler m_onCommand;
    PointHandler m_onContextMenu;
    RowHandler m_onHeadingClick;
    RowHandler m_onActivate;
    DropHandler m_onDrop;
    std::array<int, kFileListColumnCount> m_widths{};
    std::map<std::pair<const IconImage*, const IconImage*>, int> m_imageIndex;
    std::vector<RowIcons> m_heldIcons;  // keeps the keys of m_imageIndex alive
    std::vector<int> m_slotImages;      // model slot -> wx image
    std::map<int, int> m_menuCommands;  // context menu item id -> command
    int m_updating = 0;
    bool m_selectionToRead = false;  // a click or key ended: read the selection when idle
};

}  // namespace velmora
