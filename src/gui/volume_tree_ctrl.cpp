#include "gui/volume_tree_ctrl.h"

#include <gtk/gtk.h>
#include <wx/artprov.h>
#include <wx/image.h>
#include <wx/imaglist.h>

#include <memory>

#include "gui/icons.h"
#include "gui/type_icons.h"
#include "gui/wx_text.h"

namespace velmora {
namespace {

class NodeData : public wxTreeItemData {
  public:
    explicit NodeData(NodeId id) : m_id(id) {}
    NodeId Id() const { return m_id; }

  private:
    NodeId m_id;
};

// Exactly kSmallIconSize square, or invalid: the image list takes nothing else.
wxBitmap Small(wxBitmap bitmap) {
    if (!bitmap.IsOk()) return bitmap;
    if (bitmap.GetWidth() == kSmallIconSize && bitmap.GetHeight() == kSmallIconSize) return bitmap;
    wxImage image = bitmap.ConvertToImage();
    if (!image.HasAlpha()) image.InitAlpha();
    image.Rescale(kSmallIconSize, kSmallIconSize, wxIMAGE_QUALITY_HIGH);
    return wxBitmap(image, 32);
}

// The first of names the theme has, at exactly 16 pixels; invalid when none (or no GTK).
wxBitmap ThemeIcon(std::initializer_list<const char*> names) {
    if (!gdk_screen_get_default()) return {};
    GtkIconTheme* theme = gtk_icon_theme_get_default();
    if (!theme) return {};
    for (const char* name : names) {
        GtkIconInfo* info =
            gtk_icon_theme_lookup_icon(theme, name, kSmallIconSize, GTK_ICON_LOOKUP_FORCE_SIZE);
        if (!info) continue;
        GError* error = nullptr;
        GdkPixbuf* pixbuf = gtk_icon_info_load_icon(info, &error);
        g_clear_error(&error);
        g_object_unref(info);
        if (!pixbuf) continue;
        const IconImage image = PixbufToIconImage(pixbuf, kSmallIconSize, name);
        g_object_unref(pixbuf);
        wxBitmap bitmap = ToBitmap(image);
        if (bitmap.IsOk()) return bitmap;
    }
    return {};
}

// The theme's icon, else wx's own picture for art, else the drawn page: never empty.
wxBitmap TreeIcon(std::initializer_list<const char*> names, const wxArtID& art) {
    wxBitmap bitmap = ThemeIcon(names);
    if (!bitmap.IsOk()) {
        bitmap = Small(
            wxArtProvider::GetBitmap(art, wxART_OTHER, wxSize(kSmallIconSize, kSmallIconSize)));
    }
    if (!bitmap.IsOk()) bitmap = ToBitmap(DrawnFileIcon(kSmallIconSize));
    return bitmap;
}

wxBitmap BlankIcon() {
    wxImage image(kSmallIconSize, kSmallIconSize);
    image.InitAlpha();
    image.SetRGB(wxRect(0, 0, kSmallIconSize, kSmallIconSize), 255, 255, 255);
    for (int y = 0; y < kSmallIconSize; ++y) {
        for (int x = 0; x < kSmallIconSize; ++x) image.SetAlpha(x, y, 0);
    }
    return wxBitmap(image, 32);
}

}  // namespace

std::array<wxBitmap, kTreeImageCount> VolumeTreeImages() {
    std::array<wxBitmap, kTreeImageCount> images;
    images[kTreeImageBlank] = BlankIcon();
    images[kTreeImageRoot] = Small(RootIcon().GetBitmap(wxSize(kSmallIconSize, kSmallIconSize)));
    images[kTreeImageVolume] =
        TreeIcon({"drive-harddisk", "drive-removable-media"}, wxART_HARDDISK);
    images[kTreeImageVolumeOpen] = images[kTreeImageVolume];
    images[kTreeImageFolder] = TreeIcon({"folder"}, wxART_FOLDER);
    images[kTreeImageFolderOpen] = TreeIcon({"folder-open", "folder"}, wxART_FOLDER_OPEN);
    return images;
}

// Marks a change the model makes: the control's own events about it are not the user's.
class VolumeTreeCtrl::Updating {
  public:
    explicit Updating(VolumeTreeCtrl& view) : m_view(view) { ++m_view.m_updating; }
    ~Updating() { --m_view.m_updating; }
    Updating(const Updating&) = delete;
    Updating& operator=(const Updating&) = delete;

  private:
    VolumeTreeCtrl& m_view;
};

VolumeTreeCtrl::VolumeTreeCtrl(wxWindow* parent, VolumeTree& model, wxWindowID id)
    : wxTreeCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                 wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_SINGLE | wxBORDER_SUNKEN),
      m_model(model) {
    // wxTR_LINES_AT_ROOT implies the lines; the generic control draws the selection whether or
    // not it has the focus. It draws its items in a font of its own that only a changing
    // SetFont sets, and the font inherited from the parent came before it: set it anew.
    if (parent && parent->GetFont().IsOk()) {
        SetFont(*wxNORMAL_FONT);
        SetFont(parent->GetFont());
    }
    auto* images = new wxImageList(kSmallIconSize, kSmallIconSize, true, kTreeImageCount);
    for (const auto& bitmap : VolumeTreeImages()) images->Add(bitmap);
    AssignImageList(images);

    Bind(wxEVT_TREE_ITEM_EXPANDED, &VolumeTreeCtrl::OnExpanded, this);
    Bind(wxEVT_TREE_ITEM_COLLAPSED, &VolumeTreeCtrl::OnCollapsed, this);
    Bind(wxEVT_TREE_SEL_CHANGING, &VolumeTreeCtrl::OnSelectionChanging, this);
    Bind(wxEVT_TREE_SEL_CHANGED, &VolumeTreeCtrl::OnSelectionChanged, this);

    {
        Updating updating(*this);
        ShowExisting(m_model.Root());
        SelectionChanged(m_model.Selection());
    }
    m_model.SetObserver(this);
}

VolumeTreeCtrl::~VolumeTreeCtrl() {
    m_model.SetObserver(nullptr);
    // Deleting the items raises events; none may reach the model any more.
    ++m_updating;
}

wxTreeItemId VolumeTreeCtrl::ItemOf(NodeId id) const {
    const auto it = m_items.find(id);
    return it == m_items.end() ? wxTreeItemId() : it->second;
}

NodeId VolumeTreeCtrl::NodeOf(const wxTreeItemId& item) const {
    if (!item.IsOk()) return kNoNode;
    const auto* data = static_cast<const NodeData*>(GetItemData(item));
    return data ? data->Id() : kNoNode;
}

void VolumeTreeCtrl::ShowExisting(NodeId id) {
    const TreeNode* node = m_model.Node(id);
    if (!node) return;
    NodeInserted(*node);
    for (const NodeId child : node->children) ShowExisting(child);
    if (node->expanded) NodeExpanded(id);
}

void VolumeTreeCtrl::OnInternalIdle() {
    // With nothing selected the generic control selects an item of its own at idle time; the
    // model's selection (possibly none, as after a search) is the one that holds.
    m_inIdle = true;
    wxTreeCtrl::OnInternalIdle();
    m_inIdle = false;
}

int VolumeTreeCtrl::OnCompareItems(const wxTreeItemId& first, const wxTreeItemId& second) {
    const auto a = m_sortOrder.find(NodeOf(first));
    const auto b = m_sortOrder.find(NodeOf(second));
    if (a == m_sortOrder.end() || b == m_sortOrder.end()) {
        return wxTreeCtrl::OnCompareItems(first, second);
    }
    return a->second < b->second ? -1 : (a->second > b->second ? 1 : 0);
}

// ---- the model's changes ----

void VolumeTreeCtrl::TreeCleared() {
    Updating updating(*this);
    DeleteAllItems();
    m_items.clear();
}

void VolumeTreeCtrl::NodeInserted(const TreeNode& node) {
    Updating updating(*this);
    const wxString text = FromUtf8(node.text);
    wxTreeItemId item;
    if (node.parent == kNoNode) {
        // One root only: a second one would replace the first behind the model's back.
        if (GetRootItem().IsOk()) {
            DeleteAllItems();
            m_items.clear();
        }
        item = AddRoot(text, node.image, node.selectedImage, new NodeData(node.id));
        // The generic control selects a new root by itself; the model has not.
        if (m_model.Selection() != node.id) Unselect();
    } else {
        const wxTreeItemId parent = ItemOf(node.parent);
        if (!parent.IsOk()) return;
        item = AppendItem(parent, text, node.image, node.selectedImage, new NodeData(node.id));
        // A parent that the model holds open shows its new children at once.
        if (const TreeNode* p = m_model.Node(node.parent);
            p && p->expanded && !IsExpanded(parent)) {
            Expand(parent);
        }
    }
    m_items[node.id] = item;
}

void VolumeTreeCtrl::NodeRemoved(NodeId id) {
    Updating updating(*this);
    const wxTreeItemId item = ItemOf(id);
    m_items.erase(id);
    m_sortOrder.erase(id);
    if (item.IsOk()) Delete(item);
}

void VolumeTreeCtrl::NodeChanged(const TreeNode& node) {
    Updating updating(*this);
    const wxTreeItemId item = ItemOf(node.id);
    if (!item.IsOk()) return;
    SetItemText(item, FromUtf8(node.text));
    SetItemImage(item, node.image, wxTreeItemIcon_Normal);
    SetItemImage(item, node.selectedImage, wxTreeItemIcon_Selected);
}

void VolumeTreeCtrl::NodeExpanded(NodeId id) {
    Updating updating(*this);
    const wxTreeItemId item = ItemOf(id);
    // An item without children cannot open yet; its first child opens it (NodeInserted).
    if (item.IsOk() && !IsExpanded(item) && ItemHasChildren(item)) Expand(item);
}

void VolumeTreeCtrl::NodeCollapsed(NodeId id) {
    Updating updating(*this);
    const wxTreeItemId item = ItemOf(id);
    if (item.IsOk() && IsExpanded(item)) Collapse(item);
}

void VolumeTreeCtrl::ChildrenSorted(NodeId parent, const std::vector<NodeId>& order) {
    Updating updating(*this);
    const wxTreeItemId item = ItemOf(parent);
    if (!item.IsOk()) return;
    for (std::size_t i = 0; i < order.size(); ++i) m_sortOrder[order[i]] = i;
    SortChildren(item);
    for (const NodeId child : order) m_sortOrder.erase(child);
}

void VolumeTreeCtrl::SelectionChanged(NodeId id) {
    Updating updating(*this);
    const wxTreeItemId item = ItemOf(id);
    if (item.IsOk()) {
        SelectItem(item);
        EnsureVisible(item);
    } else {
        Unselect();
    }
}

// ---- the user's input ----

void VolumeTreeCtrl::OnExpanded(wxTreeEvent& event) {
    if (Ignored()) return;
    m_model.Expand(NodeOf(event.GetItem()));
}

void VolumeTreeCtrl::OnCollapsed(wxTreeEvent& event) {
    if (Ignored()) return;
    m_model.Collapse(NodeOf(event.GetItem()));
}

void VolumeTreeCtrl::OnSelectionChanging(wxTreeEvent& event) {
    // Only the idle-time choice is refused; the model's own changes must go through.
    if (m_inIdle && m_updating == 0) event.Veto();
}

void VolumeTreeCtrl::OnSelectionChanged(wxTreeEvent& event) {
    event.Skip();
    if (Ignored()) return;
    const NodeId id = NodeOf(event.GetItem());
    if (id != kNoNode) m_model.Select(id);
}

}  // namespace velmora
