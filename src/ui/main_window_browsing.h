// The tree's selection and the list's sorting on the main window: what a selected node does
// to the volume letter, the free space, the status bar, the upload path and the rows, and the
// command-map rows of the heading click and the three Sort by commands.
#pragma once

#include "ui/file_list_ctrl.h"
#include "ui/main_window.h"
#include "ui/volume_tree.h"

namespace velmora {

class MainWindowBrowsing final : public TreeSelectionHandler {
  public:
    // Handles the tree's selections and replaces the rows of the heading click and the Sort by
    // commands. Lives no longer than the window, the tree and the list.
    MainWindowBrowsing(MainWindow& window, VolumeTree& tree, FileListCtrl& list);
    ~MainWindowBrowsing() override;
    MainWindowBrowsing(const MainWindowBrowsing&) = delete;
    MainWindowBrowsing& operator=(const MainWindowBrowsing&) = delete;

    void OnTreeSelection(const TreeSelectionChange& change) override;
    // The rows were replaced: the name column's width follows their count.
    void RowsChanged();

  private:
    MainWindow& m_window;
    VolumeTree& m_tree;
    FileListCtrl& m_list;
};

}  // namespace velmora
