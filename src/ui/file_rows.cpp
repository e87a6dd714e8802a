#include "ui/file_rows.h"

#include <algorithm>
#include <utility>

#include "base/lang_string.h"
#include "ui/text_compare.h"

namespace velmora {
namespace {

std::string Decimal(std::int64_t value) {
    return std::to_string(value);
}

void SetNumberCells(ListRow& row, const FileEntry& entry) {
    row.cells[kColumnAttributes] = Decimal(entry.attributes);
    row.cells[kColumnSize] = Decimal(entry.size);
}

}  // namespace

std::vector<ListColumn> FileListColumns() {
    std::vector<ListColumn> columns;
    for (const auto& spec : kFileListColumns) {
        columns.push_back({spec.headingString ? LoadLangString(spec.headingString) : std::string(),
                           spec.align, spec.initialWidth});
    }
    return columns;
}

std::optional<int> ViewForCommand(int commandId) {
    switch (commandId) {
        case kCmdViewIcons:
        case kCmdContextIcons:
            return kViewLargeIcons;
        case kCmdViewTable:
        case kCmdContextTable:
            return kViewReport;
        case kCmdViewSmallIcons:
        case kCmdContextSmallIcons:
            return kViewSmallIcons;
        case kCmdViewList:
        case kCmdContextList:
            return kViewList;
        default:
            return std::nullopt;
    }
}

std::optional<ViewMenuChecks> CheckedViewItems(int view) {
    switch (view) {
        case kViewLargeIcons:
            return ViewMenuChecks{kCmdViewIcons, kCmdContextIcons};
        case kViewReport:
            return ViewMenuChecks{kCmdViewTable, kCmdContextTable};
        case kViewSmallIcons:
            return ViewMenuChecks{kCmdViewSmallIcons, kCmdContextSmallIcons};
        case kViewList:
            return ViewMenuChecks{kCmdViewList, kCmdContextList};
        default:
            return std::nullopt;
    }
}

std::vector<FolderMatch> MatchFolder(std::span<const FileEntry> entries,
                                     std::string_view folderPath) {
    std::vector<FolderMatch> matches;
    if (folderPath.empty()) return matches;
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const std::string_view path = entries[e].path;
        const auto at = path.find(folderPath);
        if (at == std::string_view::npos) continue;
        const auto rest = path.substr(at + folderPath.size());
        if (rest.find('/') != std::string_view::npos) continue;
        matches.push_back({static_cast<std::int32_t>(e), std::string(rest), entries[e]});
    }
    return matches;
}

std::string TrimFolderPath(std::string folderPath) {
    if (folderPath.size() >= 2 && folderPath[folderPath.size() - 2] == '/') folderPath.pop_back();
    return folderPath;
}

int FileRows::FindItemData(std::int32_t itemData) const {
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].itemData == itemData) return static_cast<int>(i);
    }
    return -1;
}

void FileRows::Reset() {
    if (m_observer) m_observer->RowsReset();
}

void FileRows::DeleteAllRows() {
    m_thread.Check();
    m_rows.clear();
    m_images.clear();
    m_sorted = false;
    Reset();
}

void FileRows::FillFlat(std::span<const FileEntry> entries) {
    m_thread.Check();
    m_rows.clear();
    m_images.clear();
    m_rows.reserve(entries.size());
    m_images.reserve(entries.size());
    for (std::size_t j = 0; j < entries.size(); ++j) {
        const auto& entry = entries[j];
        ListRow row;
        row.cells[kColumnName] = entry.path;
        SetNumberCells(row, entry);
        row.cells[kColumnType] = entry.type;
        row.itemData = static_cast<std::int32_t>(j);
        row.image = static_cast<int>(j);
        m_rows.push_back(std::move(row));
        m_images.push_back({entry.smallIcon, entry.largeIcon});
    }
    SetDisplayMode(kDisplayFlat);
    m_sorted = false;
    Reset();
}

void FileRows::FillFlat(const FileList& list) {
    const auto entries = list.Snapshot(list.Count());
    FillFlat(entries);
}

void FileRows::FillFolder(std::span<const FolderMatch> matches) {
    m_thread.Check();
    m_rows.clear();
    m_images.clear();
    m_rows.reserve(matches.size());
    m_images.reserve(matches.size());
    for (std::size_t i = 0; i < matches.size(); ++i) {
        const auto& match = matches[i];
        ListRow row;
        row.cells[kColumnName] = match.name;
        SetNumberCells(row, match.entry);
        row.cells[kColumnType] = match.entry.type;
        row.cells[kColumnEntryIndex] = Decimal(match.entryIndex);
        row.itemData = static_cast<std::int32_t>(i);
        row.image = static_cast<int>(i);
        m_rows.push_back(std::move(row));
        m_images.push_back({match.entry.smallIcon, match.entry.largeIcon});
    }
    m_sorted = false;
    Reset();
}

bool FileRows::UpdateRow(std::int32_t index, const FileEntry& entry) {
    m_thread.Check();
    if (index < 0 || index >= RowCount()) return false;
    auto& row = m_rows[static_cast<std::size_t>(index)];
    row.cells[kColumnName] = entry.path;
    SetNumberCells(row, entry);
    if (m_observer) m_observer->RowChanged(index);
    return true;
}

int FileRows::AppendRow(ListRow row, RowIcons icons) {
    m_thread.Check();
    row.image = static_cast<int>(m_images.size());
    m_images.push_back(std::move(icons));
    m_rows.push_back(std::move(row));
    m_sorted = false;  // the new row stands last, whatever the order
    const int index = RowCount() - 1;
    if (m_observer) m_observer->RowInserted(index);
    return index;
}

void FileRows::DeleteRow(int row) {
    m_thread.Check();
    if (row < 0 || row >= RowCount()) return;
    // The image slot stays: other rows keep their slot numbers.
    m_rows.erase(m_rows.begin() + row);
    if (m_observer) m_observer->RowDeleted(row);
}

void FileRows::SetCell(int row, int column, std::string text) {
    m_thread.Check();
    if (row < 0 || row >= RowCount() || column < 0 || column >= kFileListColumnCount) return;
    auto& cell = m_rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
    if (cell == text) return;
    cell = std::move(text);
    if (m_observer) m_observer->RowChanged(row);
}

bool FileRows::SetView(int view) {
    m_thread.Check();
    if (!CheckedViewItems(view) || view == m_view) return false;
    m_view = view;
    if (m_observer) m_observer->ViewChanged(view);
    return true;
}

void FileRows::Sort(int column, SortKind kind, bool ascending) {
    m_thread.Check();
    if (column < 0 || column >= kFileListColumnCount) return;
    m_sortColumn = column;
    m_sorted = true;
    m_sortAscending = ascending;
    const auto cell = static_cast<std::size_t>(column);
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const ListRow& a, const ListRow& b) {
        const int order = kind == SortKind::Number ? CompareNumber(a.cells[cell], b.cells[cell])
                                                   : CompareText(a.cells[cell], b.cells[cell]);
        return ascending ? order < 0 : order > 0;
    });
    Reset();
}

void FileRows::OnHeadingClick(int column) {
    const bool reverse = m_sorted && m_sortAscending && column == m_sortColumn;
    Sort(column, column == kColumnSize ? SortKind::Number : SortKind::Text, !reverse);
}

bool FileRows::OnSortCommand(int commandId) {
    switch (commandId) {
        case kCmdSortName:
            Sort(kColumnName, SortKind::Text);
            return true;
        case kCmdSortSize:
            Sort(kColumnSize, SortKind::Number);
            return true;
        case kCmdSortType:
            Sort(kColumnType, SortKind::Text);
            return true;
        default:
            return false;
    }
}

void FileRows::SetRowSelected(int row, bool selected) {
    m_thread.Check();
    if (row < 0 || row >= RowCount()) return;
    auto& r = m_rows[static_cast<std::size_t>(row)];
    if (r.selected == selected) return;
    r.selected = selected;
    if (m_observer) m_observer->RowChanged(row);
}

void FileRows::SelectOnly(int row) {
    for (int i = 0; i < RowCount(); ++i) SetRowSelected(i, i == row);
}

std::vector<int> FileRows::SelectedRows() const {
    m_thread.Check();
    std::vector<int> rows;
    for (int i = 0; i < RowCount(); ++i) {
        if (m_rows[static_cast<std::size_t>(i)].selected) rows.push_back(i);
    }
    return rows;
}

void FileRows::LanguageChanged() {
    if (m_observer) m_observer->HeadingsChanged();
}

}  // namespace velmora
