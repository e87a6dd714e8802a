#include "ui/volume_tree.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/lang_string.h"
#include "phone/open_channel.h"
#include "ui/text_compare.h"

namespace velmora {
namespace {

std::pair<int, int> ImagesFor(NodeKind kind) {
    switch (kind) {
        case NodeKind::Root:
            return {kTreeImageRoot, kTreeImageRoot};
        case NodeKind::Volume:
            return {kTreeImageVolume, kTreeImageVolumeOpen};
        case NodeKind::Folder:
            return {kTreeImageFolder, kTreeImageFolderOpen};
        case NodeKind::Placeholder:
            break;
    }
    return {kTreeImageBlank, kTreeImageBlank};
}

}  // namespace

bool ShowSelectionRows(const TreeSelectionChange& change, FileRows& list) {
    if (change.folderMode) list.SetDisplayMode(kDisplayFolder);
    if (!change.refillRows) return false;
    list.FillFolder(change.rows);
    return true;
}

VolumeTree::VolumeTree(Prompts& prompts, FileList& files) : m_prompts(prompts), m_files(files) {}

const TreeNode* VolumeTree::Node(NodeId id) const {
    const auto it = m_nodes.find(id);
    return it == m_nodes.end() ? nullptr : &it->second;
}

TreeNode* VolumeTree::Mutable(NodeId id) {
    const auto it = m_nodes.find(id);
    return it == m_nodes.end() ? nullptr : &it->second;
}

std::vector<NodeId> VolumeTree::Children(NodeId id) const {
    const auto* node = Node(id);
    return node ? node->children : std::vector<NodeId>{};
}

std::size_t VolumeTree::NodeCount(NodeKind kind) const {
    return static_cast<std::size_t>(
        std::count_if(m_nodes.begin(), m_nodes.end(),
                      [&](const auto& node) { return node.second.kind == kind; }));
}

NodeId VolumeTree::FindChild(NodeId parent, std::string_view text) const {
    for (const NodeId child : Children(parent)) {
        const auto* node = Node(child);
        if (node->kind != NodeKind::Placeholder && node->text == text) return child;
    }
    return kNoNode;
}

std::string VolumeTree::RootText() const {
    const auto* root = Node(m_root);
    return root ? root->text : std::string();
}

void VolumeTree::SetRootText(std::string text) {
    m_thread.Check();
    auto* root = Mutable(m_root);
    if (!root) return;
    root->text = std::move(text);
    if (m_observer) m_observer->NodeChanged(*root);
}

NodeId VolumeTree::Insert(NodeId parent, NodeKind kind, std::string text) {
    const NodeId id = m_nextId++;
    TreeNode node;
    node.id = id;
    node.parent = parent;
    node.kind = kind;
    node.text = std::move(text);
    std::tie(node.image, node.selectedImage) = ImagesFor(kind);
    const auto& inserted = m_nodes.emplace(id, std::move(node)).first->second;
    if (auto* p = Mutable(parent)) p->children.push_back(id);
    if (m_observer) m_observer->NodeInserted(inserted);
    return id;
}

void VolumeTree::InsertPlaceholder(NodeId parent) {
    Insert(parent, NodeKind::Placeholder, {});
}

bool VolumeTree::IsInside(NodeId id, NodeId ancestor) const {
    for (const auto* node = Node(id); node; node = Node(node->parent)) {
        if (node->id == ancestor) return true;
    }
    return false;
}

void VolumeTree::RemoveChildren(NodeId id) {
    // Like the tree control, a selection that would vanish moves up to the node first.
    if (m_selected != kNoNode && m_selected != id && IsInside(m_selected, id)) Select(id);
    auto* node = Mutable(id);
    if (!node) return;
    const auto children = std::exchange(node->children, {});
    for (const NodeId child : children) RemoveSubtree(child);
}

void VolumeTree::RemoveSubtree(NodeId id) {
    auto* node = Mutable(id);
    if (!node) return;
    const auto children = std::exchange(node->children, {});
    for (const NodeId child : children) RemoveSubtree(child);
    if (m_selected == id) m_selected = kNoNode;
    m_nodes.erase(id);
    if (m_observer) m_observer->NodeRemoved(id);
}

void VolumeTree::DeleteAllNodes() {
    m_thread.Check();
    const bool hadSelection = m_selected != kNoNode;
    m_nodes.clear();
    m_root = kNoNode;
    m_selected = kNoNode;
    if (m_observer) {
        m_observer->TreeCleared();
        if (hadSelection) m_observer->SelectionChanged(kNoNode);
    }
}

void VolumeTree::ResetTree(bool clear) {
    m_thread.Check();
    if (clear || m_root == kNoNode) {
        DeleteAllNodes();
        m_root = Insert(kNoNode, NodeKind::Root, kRootText);
        InsertPlaceholder(m_root);
    }
    Expand(m_root);
}

void VolumeTree::Expand(NodeId id) {
    m_thread.Check();
    const auto* node = Node(id);
    if (!node || node->kind == NodeKind::Placeholder || node->expanded || node->children.empty()) {
        return;
    }
    ExpandWith(id);
}

void VolumeTree::ExpandWith(NodeId id) {
    auto* node = Mutable(id);
    node->expanded = true;
    if (m_observer) m_observer->NodeExpanded(id);

    if (node->kind == NodeKind::Root) {
        RemoveChildren(id);
        // The table ends at its first empty name.
        for (const auto& name : m_volumes) {
            if (name.empty()) break;
            const NodeId volume = Insert(id, NodeKind::Volume, name);
            InsertPlaceholder(volume);
        }
        return;
    }
    if (!m_files.HasStorage()) {
        node->expanded = false;
        if (m_observer) m_observer->NodeCollapsed(id);
        m_prompts.Message(LoadLangString(kStrFileListEmpty), kTitleVelmora,
                          PromptIcon::Information);
        return;
    }
    // One copy serves the whole recursive build.
    const auto entries = m_files.Snapshot(EntryCount());
    std::vector<std::int32_t> all(entries.size());
    std::iota(all.begin(), all.end(), 0);
    BuildChildren(id, entries, all);
}

namespace {

// The text up to the first "/" of text that has one, or nothing.
std::optional<std::string_view> LeadingFolder(std::string_view text) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    return text.substr(0, slash);
}

}  // namespace

void VolumeTree::BuildChildren(NodeId id, const Entries& entries,
                               const std::vector<std::int32_t>& candidates) {
    const std::string folderPath = NodePath(id, "/");
    RemoveChildren(id);
    if (folderPath.empty()) return;

    // A child's path is this path, its name and "/", so every entry that holds the child's path
    // holds this one at some occurrence followed by the name's first part and a "/". Filing the
    // entries here by that part, at every occurrence, hands each child all entries it could
    // match and no others; each child still applies the rule in full to them.
    std::unordered_map<std::string_view, std::vector<std::int32_t>> byFolder;
    for (const std::int32_t e : candidates) {
        const std::string_view path = entries[static_cast<std::size_t>(e)].path;
        for (auto at = path.find(folderPath); at != std::string_view::npos;
             at = path.find(folderPath, at + 1)) {
            const auto folder = LeadingFolder(path.substr(at + folderPath.size()));
            if (!folder) continue;
            auto& filed = byFolder[*folder];
            if (filed.empty() || filed.back() != e) filed.push_back(e);
        }
    }

    std::string_view previous;
    std::unordered_set<std::string_view> inserted;
    for (const std::int32_t e : candidates) {
        const auto& entry = entries[static_cast<std::size_t>(e)];
        const std::string_view path = entry.path;
        const auto at = path.find(folderPath);
        if (at == std::string_view::npos) continue;
        const auto rest = path.substr(at + folderPath.size());
        std::string_view folder = rest;
        if ((entry.attributes & kFolderEntryBits) != kFolderEntryBits) {
            const auto leading = LeadingFolder(rest);
            if (!leading) continue;  // a file directly in the node
            folder = *leading;
        }
        // A nameless folder (a doubled "/" or a folder entry for this very node) would have the
        // node's own path and rebuild it below itself without end.
        if (folder.empty()) continue;
        if (folder == previous) continue;
        previous = folder;
        // Entries of one folder need not be adjacent: a later duplicate gives no node.
        if (!inserted.insert(folder).second) continue;

        const NodeId child = Insert(id, NodeKind::Folder, std::string(folder));
        InsertPlaceholder(child);
        // Expanding and collapsing at once builds the subfolders and keeps them, so a folder
        // shows an expand button exactly when it has subfolders.
        Mutable(child)->expanded = true;
        if (m_observer) m_observer->NodeExpanded(child);
        const auto filed = byFolder.find(LeadingFolder(folder).value_or(folder));
        if (filed != byFolder.end()) {
            BuildChildren(child, entries, filed->second);
        } else {
            RemoveChildren(child);
        }
        Mutable(child)->expanded = false;
        if (m_observer) m_observer->NodeCollapsed(child);
    }
    SortChildren(id);
}

void VolumeTree::SortChildren(NodeId id) {
    auto* node = Mutable(id);
    if (!node || node->children.size() < 2) return;
    std::stable_sort(node->children.begin(), node->children.end(), [&](NodeId a, NodeId b) {
        return CompareText(Node(a)->text, Node(b)->text) < 0;
    });
    if (m_observer) m_observer->ChildrenSorted(id, node->children);
}

void VolumeTree::Collapse(NodeId id) {
    m_thread.Check();
    auto* node = Mutable(id);
    if (!node || node->kind == NodeKind::Placeholder || !node->expanded) return;
    node->expanded = false;
    if (m_observer) m_observer->NodeCollapsed(id);
    RemoveChildren(id);
    InsertPlaceholder(id);
}

std::string VolumeTree::NodePath(NodeId id, std::string tail) const {
    for (const auto* node = Node(id); node; node = Node(node->parent)) {
        if (node->kind == NodeKind::Root) return {};
        if (node->kind == NodeKind::Volume) {
            const auto& siblings = Node(m_root)->children;
            const auto index = static_cast<std::size_t>(
                std::find(siblings.begin(), siblings.end(), node->id) - siblings.begin());
            const auto& name = index < m_volumes.size() ? m_volumes[index] : node->text;
            return name + tail;
        }
        if (!node->text.empty()) tail = "/" + node->text + tail;
    }
    return {};
}

std::uint8_t VolumeTree::VolumeLetter() const {
    for (const auto* node = Node(m_selected); node; node = Node(node->parent)) {
        if (node->kind == NodeKind::Root) return 0;
        if (node->kind == NodeKind::Volume) {
            return node->text.size() >= 2 ? static_cast<std::uint8_t>(node->text[1]) : 0;
        }
    }
    return 0;
}

TreeSelectionChange VolumeTree::SelectionChangeFor(NodeId id) const {
    TreeSelectionChange change;
    change.node = id;
    change.volumeLetter = VolumeLetter();
    if (!m_files.HasStorage()) return change;
    change.folderMode = true;
    const auto* node = Node(id);
    if (!node) return change;
    if (node->kind == NodeKind::Volume) change.freeSpaceLetter = change.volumeLetter;

    change.refillRows = true;
    std::string folderPath = NodePath(id, "/");
    if (folderPath.empty()) return change;
    // The trimmed path is the one matched, shown and uploaded to: a folder entry named with a
    // trailing "/" then lists the files of that folder.
    folderPath = TrimFolderPath(std::move(folderPath));
    const auto entries = m_files.Snapshot(EntryCount());
    change.rows = MatchFolder(entries, folderPath);
    change.statusPath = folderPath;
    change.uploadPath = std::move(folderPath);
    return change;
}

TreeSelectionChange VolumeTree::Select(NodeId id) {
    m_thread.Check();
    if (!Node(id)) id = kNoNode;
    const bool changed = id != m_selected;
    m_selected = id;
    if (changed && m_observer) m_observer->SelectionChanged(id);
    auto change = SelectionChangeFor(id);
    if (m_handler) m_handler->OnTreeSelection(change);
    return change;
}

void VolumeTree::ShowFirstVolume() {
    m_thread.Check();
    ShowVolume(0);
}

void VolumeTree::ShowVolume(std::uint8_t letter) {
    m_thread.Check();
    NodeId chosen = kNoNode;
    for (const NodeId child : Children(m_root)) {
        const auto* node = Node(child);
        if (node->kind != NodeKind::Volume) continue;
        if (chosen == kNoNode) chosen = child;
        if (letter != 0 && node->text.size() >= 2 &&
            static_cast<std::uint8_t>(node->text[1]) == letter) {
            chosen = child;
            break;
        }
    }
    if (chosen == kNoNode) return;
    Expand(chosen);
    Select(chosen);
}

NodeId VolumeTree::FolderHolding(const std::string& path) {
    // Down from the volume whose path begins the entry's, one folder at a time; a folder
    // entry (both folder bits) is itself the deepest node.
    NodeId reached = kNoNode;
    for (NodeId parent = m_root;;) {
        NodeId next = kNoNode;
        for (const NodeId child : Children(parent)) {
            if (Node(child)->kind == NodeKind::Placeholder) continue;
            const std::string prefix = NodePath(child, "/");
            if (path.compare(0, prefix.size(), prefix) == 0 || path + "/" == prefix) {
                next = child;
                break;
            }
        }
        if (next == kNoNode) return reached;
        reached = next;
        Expand(reached);
        parent = reached;
    }
}

void VolumeTree::ExpandLastBranch() {
    m_thread.Check();
    if (m_root == kNoNode) return;
    Expand(m_root);
    for (NodeId reached = m_root;;) {
        std::vector<NodeId> children;
        for (const NodeId child : Children(reached)) {
            if (Node(child)->kind != NodeKind::Placeholder) children.push_back(child);
        }
        if (children.empty()) break;
        for (const NodeId child : children) Expand(child);
        reached = children.back();
    }
    // The only find shows in its own folder, whichever branch holds it: the last branch may
    // be another volume that has nothing to show.
    if (EntryCount() != 1) return;
    const auto entry = m_files.Entry(0);
    if (!entry) return;
    if (const NodeId folder = FolderHolding(entry->path); folder != kNoNode) Select(folder);
}

}  // namespace velmora
