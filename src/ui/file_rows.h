// The file list without a toolkit: rows of five cells with their item data, image slot and
// selection, the view mode and the sorting. Window's thread only. The window's toolkit mirrors the
// rows through FileRowsObserver and forwards clicks back.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/icon_image.h"
#include "base/window_thread.h"
#include "fsac/file_list.h"
// The view modes and the main menu's view commands are the window's own.
#include "ui/main_window_ids.h"
#include "ui/settings.h"
#include "ui/window_layout.h"

namespace velmora {

inline constexpr int kColumnName = 0;
inline constexpr int kColumnAttributes = 1;
inline constexpr int kColumnSize = 2;
inline constexpr int kColumnType = 3;
inline constexpr int kColumnEntryIndex = 4;  // hidden: the entry index in folder mode

struct ListColumn {
    std::string heading;
    ColumnAlign align = ColumnAlign::Left;
    int initialWidth = 0;
};

// The five columns with headings in the current language.
std::vector<ListColumn> FileListColumns();

// Display mode flag values.
inline constexpr int kDisplayFolder = 0;
inline constexpr int kDisplayFlat = 1;

// The view a View command selects, or nothing for another id.
std::optional<int> ViewForCommand(int commandId);

struct ViewMenuChecks {
    int mainMenuId = 0;
    int contextMenuId = 0;
};
// The item of view in each menu; the other three of each menu are unchecked. Nothing for a
// value outside 0 to 3.
std::optional<ViewMenuChecks> CheckedViewItems(int view);

enum class SortKind { Text, Number };

struct ListRow {
    std::array<std::string, kFileListColumnCount> cells;
    std::int32_t itemData = 0;
    int image = -1;  // slot in Images()
    bool selected = false;
};

// Slot i holds the icons of the entry that row i showed when the rows were filled.
struct RowIcons {
    IconHandle smallIcon;
    IconHandle largeIcon;
};

// An entry directly inside a folder, as a folder fill shows it.
struct FolderMatch {
    std::int32_t entryIndex = 0;
    std::string name;  // the path after the folder's own path
    FileEntry entry;
};

// The entries whose path contains folderPath (its first occurrence) with no "/" after it, in
// entry order. Nothing for an empty folder path.
std::vector<FolderMatch> MatchFolder(std::span<const FileEntry> entries,
                                     std::string_view folderPath);
// A folder path ending in two slashes keeps one (a folder entry whose own name ends in "/").
std::string TrimFolderPath(std::string folderPath);

class FileRowsObserver {
  public:
    virtual ~FileRowsObserver() = default;
    // Everything changed (fill, clear, sort): read rows and image slots again.
    virtual void RowsReset() {}
    virtual void RowInserted(int /*row*/) {}
    virtual void RowDeleted(int /*row*/) {}
    virtual void RowChanged(int /*row*/) {}  // cells or selection
    virtual void ViewChanged(int /*view*/) {}
    virtual void HeadingsChanged() {}
};

class FileRows {
  public:
    void SetObserver(FileRowsObserver* observer) { m_observer = observer; }

    const std::vector<ListRow>& Rows() const { return m_rows; }
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    const std::vector<RowIcons>& Images() const { return m_images; }
    // The row that carries itemData, from the first row on; -1 when none does.
    int FindItemData(std::int32_t itemData) const;

    void DeleteAllRows();
    // Row j from entry j: path, attributes, size, type, an empty last cell, item data j and
    // image j. Sets the display mode flag to flat.
    void FillFlat(std::span<const FileEntry> entries);
    // The first count entries of the list (never beyond its storage).
    void FillFlat(const FileList& list);
    // Row i from match i: name, attributes, size, type, entry index; item data i, image i.
    // The display mode flag is the caller's (a tree selection sets it).
    void FillFolder(std::span<const FolderMatch> matches);
    // What reading entry index brings: row index, if there is one, gets the path, attributes
    // and size. Returns whether such a row exists.
    bool UpdateRow(std::int32_t index, const FileEntry& entry);
    // A row appended at the end with its own image slot (uploads add rows this way).
    int AppendRow(ListRow row, RowIcons icons);
    void DeleteRow(int row);
    // One cell of an existing row (a job's result: new attributes, a moved entry index).
    void SetCell(int row, int column, std::string text);

    // 1 while the rows are the flat list, 0 while they are a folder. The entry reader reads it
    // on its own thread.
    int DisplayMode() const { return m_displayMode.load(); }
    void SetDisplayMode(int mode) { m_displayMode.store(mode); }

    int View() const { return m_view; }
    // Switches to view 0 to 3; other values are ignored. Returns whether the view changed; the
    // window stores the value and sets both menus' checks either way.
    bool SetView(int view);

    int SortColumn() const { return m_sortColumn; }
    // Whether the rows stand in the last sort's order (a fill or an appended row ends that),
    // and its direction: what the heading shows.
    bool Sorted() const { return m_sorted; }
    bool SortAscending() const { return m_sortAscending; }
    // Stable: rows that compare equal keep their order. Rows keep their cells, item data,
    // image and selection.
    void Sort(int column, SortKind kind, bool ascending = true);
    // A click on a heading: numbers for the size column, text for every other one; ascending,
    // or the other way round when the rows stand in this column's order already.
    void OnHeadingClick(int column);
    // The three Sort by commands; false for another id.
    bool OnSortCommand(int commandId);

    void SetRowSelected(int row, bool selected);
    void SelectOnly(int row);
    std::vector<int> SelectedRows() const;

    // The headings follow the language switch.
    std::vector<ListColumn> Columns() const { return FileListColumns(); }
    void LanguageChanged();

  private:
    void Reset();
    [[no_unique_address]] WindowThreadCheck m_thread;
    FileRowsObserver* m_observer = nullptr;
    std::vector<ListRow> m_rows;
    std::vector<RowIcons> m_images;
    std::atomic<int> m_displayMode{kDisplayFolder};
    int m_view = kViewReport;
    int m_sortColumn = 0;
    bool m_sorted = false;
    bool m_sortAscending = true;
};

}  // namespace velmora
