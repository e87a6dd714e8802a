#include "ui/main_window_browsing.h"

#include "ui/main_window_ids.h"

namespace velmora {

MainWindowBrowsing::MainWindowBrowsing(MainWindow& window, VolumeTree& tree, FileListCtrl& list)
    : m_window(window), m_tree(tree), m_list(list) {
    m_tree.SetSelectionHandler(this);
    auto& map = m_window.Commands();
    map.Set({WindowEvent::ListColumnClick, kIdFileList},
            [this](const EventArgs& args) { m_list.OnHeadingClick(args.param); });
    for (int id : {kCmdSortName, kCmdSortSize, kCmdSortType}) {
        map.Set({WindowEvent::Command, id},
                [this, id](const EventArgs&) { m_list.OnSortCommand(id); });
    }
}

MainWindowBrowsing::~MainWindowBrowsing() {
    m_tree.SetSelectionHandler(nullptr);
}

void MainWindowBrowsing::OnTreeSelection(const TreeSelectionChange& change) {
    MainWindow::HandlerScope scope(m_window);
    auto& phone = m_window.Phone();
    phone.State().SetCurrentVolumeLetter(change.volumeLetter);
    if (change.freeSpaceLetter) phone.RefreshFreeSpace(static_cast<char>(*change.freeSpaceLetter));
    if (!ShowSelectionRows(change, m_list)) return;
    m_window.SetStatusText(kPathStatusPart, change.statusPath);
    if (change.uploadPath) m_window.SetControlText(kIdUploadPath, *change.uploadPath);
    RowsChanged();
}

void MainWindowBrowsing::RowsChanged() {
    m_window.SetListRowCount(m_list.RowCount());
    m_window.Relayout();
}

}  // namespace velmora
