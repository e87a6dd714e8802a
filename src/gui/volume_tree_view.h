// Draws the VolumeTree model in a wxTreeCtrl and hands the user's expansions and collapses
// back to it. The model decides what the nodes are; this only mirrors them.
#pragma once

#include <wx/treectrl.h>

#include <map>

#include "ui/volume_tree.h"

namespace velmora {

class VolumeTreeView : public VolumeTreeObserver {
  public:
    VolumeTreeView(VolumeTree& model, wxTreeCtrl& tree);
    ~VolumeTreeView() override;
    VolumeTreeView(const VolumeTreeView&) = delete;
    VolumeTreeView& operator=(const VolumeTreeView&) = delete;

    // The model's node behind an item; kNoNode for none.
    NodeId NodeOf(const wxTreeItemId& item) const;
    wxTreeItemId ItemOf(NodeId id) const;

    void TreeCleared() override;
    void NodeInserted(const TreeNode& node) override;
    void NodeRemoved(NodeId id) override;
    void NodeChanged(const TreeNode& node) override;
    void NodeExpanded(NodeId id) override;
    void NodeCollapsed(NodeId id) override;
    void ChildrenSorted(NodeId parent, const std::vector<NodeId>& order) override;
    void SelectionChanged(NodeId id) override;

  private:
    void OnExpanded(wxTreeEvent& event);
    void OnCollapsed(wxTreeEvent& event);
    void Append(const TreeNode& node);
    // Re-creates the items below a node from the model, in its order.
    void RebuildChildren(NodeId id);

    VolumeTree& m_model;
    wxTreeCtrl& m_tree;
    std::map<NodeId, wxTreeItemId> m_items;
    // Set while this mirrors the model: the control's own events then are not the user's.
    bool m_rendering = false;
};

}  // namespace velmora
