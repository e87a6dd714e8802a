#include "gui/volume_tree_view.h"

namespace velmora {

namespace {

wxString FromUtf8(const std::string& text) {
    return wxString::FromUTF8(text.data(), text.size());
}

// Sets a flag for the duration of a scope, restoring what it was.
class Rendering {
  public:
    explicit Rendering(bool& flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~Rendering() { m_flag = m_was; }
    Rendering(const Rendering&) = delete;
    Rendering& operator=(const Rendering&) = delete;

  private:
    bool& m_flag;
    bool m_was;
};

}  // namespace

VolumeTreeView::VolumeTreeView(VolumeTree& model, wxTreeCtrl& tree) : m_model(model), m_tree(tree) {
    m_model.SetObserver(this);
    m_tree.Bind(wxEVT_TREE_ITEM_EXPANDED, &VolumeTreeView::OnExpanded, this);
    m_tree.Bind(wxEVT_TREE_ITEM_COLLAPSED, &VolumeTreeView::OnCollapsed, this);
}

VolumeTreeView::~VolumeTreeView() {
    // Before the control goes: its last events must not reach this view.
    m_tree.Unbind(wxEVT_TREE_ITEM_EXPANDED, &VolumeTreeView::OnExpanded, this);
    m_tree.Unbind(wxEVT_TREE_ITEM_COLLAPSED, &VolumeTreeView::OnCollapsed, this);
    m_model.SetObserver(nullptr);
}

void VolumeTreeView::OnExpanded(wxTreeEvent& event) {
    if (!m_rendering) m_model.Expand(NodeOf(event.GetItem()));
}

void VolumeTreeView::OnCollapsed(wxTreeEvent& event) {
    if (!m_rendering) m_model.Collapse(NodeOf(event.GetItem()));
}

NodeId VolumeTreeView::NodeOf(const wxTreeItemId& item) const {
    for (const auto& [id, it] : m_items) {
        if (it == item) return id;
    }
    return kNoNode;
}

wxTreeItemId VolumeTreeView::ItemOf(NodeId id) const {
    auto it = m_items.find(id);
    return it == m_items.end() ? wxTreeItemId() : it->second;
}

void VolumeTreeView::TreeCleared() {
    Rendering r(m_rendering);
    m_tree.DeleteAllItems();
    m_items.clear();
}

void VolumeTreeView::Append(const TreeNode& node) {
    wxTreeItemId item;
    if (node.parent == kNoNode) {
        item = m_tree.AddRoot(FromUtf8(node.text));
    } else {
        const wxTreeItemId parent = ItemOf(node.parent);
        if (!parent.IsOk()) return;
        item = m_tree.AppendItem(parent, FromUtf8(node.text));
    }
    m_items[node.id] = item;
}

void VolumeTreeView::NodeInserted(const TreeNode& node) {
    Rendering r(m_rendering);
    Append(node);
}

void VolumeTreeView::NodeRemoved(NodeId id) {
    Rendering r(m_rendering);
    const wxTreeItemId item = ItemOf(id);
    if (item.IsOk()) m_tree.Delete(item);
    m_items.erase(id);
}

void VolumeTreeView::NodeChanged(const TreeNode& node) {
    const wxTreeItemId item = ItemOf(node.id);
    if (item.IsOk()) m_tree.SetItemText(item, FromUtf8(node.text));
}

void VolumeTreeView::NodeExpanded(NodeId id) {
    Rendering r(m_rendering);
    const wxTreeItemId item = ItemOf(id);
    if (item.IsOk()) m_tree.Expand(item);
}

void VolumeTreeView::NodeCollapsed(NodeId id) {
    Rendering r(m_rendering);
    const wxTreeItemId item = ItemOf(id);
    if (item.IsOk()) m_tree.Collapse(item);
}

void VolumeTreeView::RebuildChildren(NodeId id) {
    const wxTreeItemId item = ItemOf(id);
    if (!item.IsOk()) return;
    for (NodeId child : m_model.Children(id)) {
        // The items below go with their parent item; so do their map entries.
        std::vector<NodeId> stack{child};
        while (!stack.empty()) {
            NodeId n = stack.back();
            stack.pop_back();
            m_items.erase(n);
            for (NodeId c : m_model.Children(n)) stack.push_back(c);
        }
    }
    m_tree.DeleteChildren(item);
    for (NodeId child : m_model.Children(id)) {
        if (const TreeNode* node = m_model.Node(child)) {
            Append(*node);
            RebuildChildren(child);
            if (node->expanded) m_tree.Expand(ItemOf(child));
        }
    }
}

void VolumeTreeView::ChildrenSorted(NodeId parent, const std::vector<NodeId>&) {
    Rendering r(m_rendering);
    RebuildChildren(parent);
    const TreeNode* node = m_model.Node(parent);
    if (node && node->expanded) m_tree.Expand(ItemOf(parent));
}

void VolumeTreeView::SelectionChanged(NodeId id) {
    Rendering r(m_rendering);
    const wxTreeItemId item = ItemOf(id);
    if (item.IsOk()) {
        m_tree.SelectItem(item);
    } else {
        m_tree.UnselectAll();
    }
}

}  // namespace velmora
