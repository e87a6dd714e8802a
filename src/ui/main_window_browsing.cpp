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
    // The free space shown is always that of the selection's volume.
    if (change.freeSpaceLetter ||
        (change.volumeLetter != 0 && change.volumeLetter != phone.State().FreeSpaceLetter())) {
        phone.RefreshFreeSpace(static_cast<char>(change.volumeLetter));
    }
    if (!ShowSelectionRows(change, m_list)) {
        // Nothing read yet: a volume is still a place to upload to.
        const TreeNode* node = m_tree.Node(change.node);
        if (node && node->kind == NodeKind::Volume) {
            m_window.SetControlText(kIdUploadPath, m_tree.NodePath(change.node, "/"));
        }
        return;
    }
    m_window.SetStatusText(kPathStatusPart, change.statusPath);
    if (change.uploadPath) m_window.SetControlText(kIdUploadPath, *change.uploadPath);
    RowsChanged();
}

void MainWindowBrowsing::RowsChanged() {
    m_window.SetListRowCount(m_list.RowCount());
    m_window.Relayout();
}

}  // namespace velmora
