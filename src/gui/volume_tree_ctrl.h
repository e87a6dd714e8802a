// The volume and folder tree on screen: a wxTreeCtrl that mirrors a VolumeTree node for node
// and hands the user's expansions, collapses and selections back to it. The model decides;
// while it changes the control, the control's own events are not forwarded.
#pragma once

#include <wx/bitmap.h>
#include <wx/treectrl.h>

#include <array>
#include <unordered_map>

#include "ui/main_window_ids.h"
#include "ui/volume_tree.h"

namespace velmora {

// The six images at the model's kTreeImage... indexes, 16 pixels each: blank, the root icon,
// the theme's drive and folder icons (normal and open), drawn ones where the theme has none.
std::array<wxBitmap, kTreeImageCount> VolumeTreeImages();

class VolumeTreeCtrl : public wxTreeCtrl, private VolumeTreeObserver {
  public:
    // Observes model from now on and shows the nodes it already has.
    VolumeTreeCtrl(wxWindow* parent, VolumeTree& model, wxWindowID id = kIdTree);
    ~VolumeTreeCtrl() override;

    VolumeTree& Model() { return m_model; }
    // The item of a node, invalid for none; and back, kNoNode for an item of no node.
    wxTreeItemId ItemOf(NodeId id) const;
    NodeId NodeOf(const wxTreeItemId& item) const;

    void OnInternalIdle() override;

  protected:
    // Sorting follows the order the model sent (ChildrenSorted).
    int OnCompareItems(const wxTreeItemId& first, const wxTreeItemId& second) override;

  private:
    class Updating;

    // VolumeTreeObserver.
    void TreeCleared() override;
    void NodeInserted(const TreeNode& node) override;
    void NodeRemoved(NodeId id) override;
    void NodeChanged(const TreeNode& node) override;
    void NodeExpanded(NodeId id) override;
    void NodeCollapsed(NodeId id) override;
    void ChildrenSorted(NodeId parent, const std::vector<NodeId>& order) override;
    void SelectionChanged(NodeId id) override;

    void ShowExisting(NodeId id);
    // True for events the control raises on its own or while the model changes it.
    bool Ignored() const { return m_updating > 0 || m_inIdle; }
    void OnExpanded(wxTreeEvent& event);
    void OnCollapsed(wxTreeEvent& event);
    void OnSelectionChanging(wxTreeEvent& event);
    void OnSelectionChanged(wxTreeEvent& event);

    VolumeTree& m_model;
    std::unordered_map<NodeId, wxTreeItemId> m_items;
    std::unordered_map<NodeId, std::size_t> m_sortOrder;
    int m_updating = 0;
    bool m_inIdle = false;
};

}  // namespace velmora
