#include "ui/session_tree.h"

#include "ui/file_rows.h"
#include "ui/volume_tree.h"

namespace velmora {

void BrowsingSessionTree::ResetTree(const std::vector<std::string>& volumes) {
    m_tree.SetVolumeTable(volumes);
    m_tree.ResetTree(true);
}

std::optional<std::string> BrowsingSessionTree::RootText() const {
    if (m_tree.Root() == kNoNode) return std::nullopt;
    return m_tree.RootText();
}

void BrowsingSessionTree::SetRootText(const std::string& text) {
    if (m_tree.Root() != kNoNode) m_tree.SetRootText(text);
}

std::string BrowsingSessionTree::SelectedPath() const {
    const NodeId selected = m_tree.Selection();
    if (selected == kNoNode || selected == m_tree.Root()) return {};
    return TrimFolderPath(m_tree.NodePath(selected, "/"));
}

void BrowsingSessionTree::ClearFileRowsAndTree() {
    m_rows.DeleteAllRows();
    m_tree.DeleteAllNodes();
}

}  // namespace velmora
