// The volume and folder tree without a toolkit, on the window's thread only. It turns the flat
// file list into a hierarchy lazily: a node's folders are built from the entries' paths when
// it is expanded. The window's
// toolkit mirrors the nodes through VolumeTreeObserver and forwards expansions, collapses and
// selections back; the window acts on TreeSelectionChange.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/prompts.h"
#include "base/window_thread.h"
#include "fsac/file_list.h"
#include "ui/file_rows.h"

namespace velmora {

// "File list is empty. Read file list or search file before"
inline constexpr int kStrFileListEmpty = 150;

// A node handle; handles are never reused, 0 stands for no node.
using NodeId = std::uint64_t;
inline constexpr NodeId kNoNode = 0;

enum class NodeKind { Root, Volume, Folder, Placeholder };

// Image indexes. Volumes share one pair of images and folders another, so nodes own no slots
// and removing nodes renumbers nothing.
inline constexpr int kTreeImageBlank = 0;
inline constexpr int kTreeImageRoot = 1;
inline constexpr int kTreeImageVolume = 2;
inline constexpr int kTreeImageVolumeOpen = 3;
inline constexpr int kTreeImageFolder = 4;
inline constexpr int kTreeImageFolderOpen = 5;
inline constexpr int kTreeImageCount = 6;

inline constexpr const char* kRootText = "Volumes";

struct TreeNode {
    NodeId id = kNoNode;
    NodeId parent = kNoNode;
    NodeKind kind = NodeKind::Placeholder;
    std::string text;
    int image = kTreeImageBlank;
    int selectedImage = kTreeImageBlank;
    bool expanded = false;
    std::vector<NodeId> children;
};

class VolumeTreeObserver {
  public:
    virtual ~VolumeTreeObserver() = default;
    virtual void TreeCleared() {}
    // Appended as the last child of node.parent (kNoNode for the root).
    virtual void NodeInserted(const TreeNode& /*node*/) {}
    // Sent for each node of a removed subtree, children before their parent.
    virtual void NodeRemoved(NodeId /*id*/) {}
    virtual void NodeChanged(const TreeNode& /*node*/) {}  // text
    virtual void NodeExpanded(NodeId /*id*/) {}
    virtual void NodeCollapsed(NodeId /*id*/) {}
    virtual void ChildrenSorted(NodeId /*parent*/, const std::vector<NodeId>& /*order*/) {}
    virtual void SelectionChanged(NodeId /*id*/) {}
};

// What the window does after the tree's selection changed.
struct TreeSelectionChange {
    NodeId node = kNoNode;
    // The new current volume letter; 0 for none or the root.
    std::uint8_t volumeLetter = 0;
    // Something has been read: the list shows a folder from now on (display mode 0).
    bool folderMode = false;
    // A volume node was selected: refresh that volume's free space.
    std::optional<std::uint8_t> freeSpaceLetter;
    // A node is selected and something has been read: the rows become `rows`, status part 2
    // becomes `statusPath`, and the window lays itself out again.
    bool refillRows = false;
    std::string statusPath;
    // The new upload path (1028); nothing leaves it as it was (the root).
    std::optional<std::string> uploadPath;
    std::vector<FolderMatch> rows;
};

// The list's share of a selection change: the folder display mode and the folder's rows.
// Returns whether the rows were replaced, after which the window lays itself out again.
bool ShowSelectionRows(const TreeSelectionChange& change, FileRows& list);

// The window's side of a selection change: it calls the window's commands (free space, status
// bar, upload path, list rows).
class TreeSelectionHandler {
  public:
    virtual ~TreeSelectionHandler() = default;
    virtual void OnTreeSelection(const TreeSelectionChange& change) = 0;
};

class VolumeTree {
  public:
    VolumeTree(Prompts& prompts, FileList& files);

    void SetObserver(VolumeTreeObserver* observer) { m_observer = observer; }
    void SetSelectionHandler(TreeSelectionHandler* handler) { m_handler = handler; }

    // The volume names as the volume query leaves them ("/a", "/b" or the single "FLASH").
    void SetVolumeTable(std::vector<std::string> names) { m_volumes = std::move(names); }
    const std::vector<std::string>& VolumeTable() const { return m_volumes; }

    // How many leading entries of the file list the tree may use. Raised from the reader.
    std::int32_t EntryCount() const { return m_entryCount.load(); }
    void SetEntryCount(std::int32_t count) {
        m_thread.Check();
        m_entryCount.store(count);
    }

    // Drops every node when clear, then inserts the root "Volumes" and expands it, which lists
    // the volumes. The selection goes with the nodes; the current volume letter is the
    // caller's. Without clear a tree that has its root keeps it and never gets a second one.
    void ResetTree(bool clear);
    // Every node goes, the root included: the tree stays empty until the next ResetTree.
    void DeleteAllNodes();

    NodeId Root() const { return m_root; }
    const TreeNode* Node(NodeId id) const;
    std::vector<NodeId> Children(NodeId id) const;
    // How many nodes of this kind the tree holds.
    std::size_t NodeCount(NodeKind kind) const;
    // The child of parent with this text, or kNoNode.
    NodeId FindChild(NodeId parent, std::string_view text) const;
    std::string RootText() const;
    // The phone model and the file-system version decorate the root.
    void SetRootText(std::string text);

    // The item-expanded notification, node now expanded: builds the node's children. A node
    // already expanded or without children stays as it is.
    void Expand(NodeId id);
    // A collapse by the user: the children give way to one placeholder. A selection inside
    // moves to the node.
    void Collapse(NodeId id);

    // The path of a node with tail appended: "" for the root, the volume name + tail for a
    // volume, and "/" + text for each folder on the way.
    std::string NodePath(NodeId id, std::string tail) const;
    // The letter of the volume holding the selected node: its name's second character
    // ("FLASH" gives 'L'); 0 for none or the root.
    std::uint8_t VolumeLetter() const;

    NodeId Selection() const { return m_selected; }
    // The tree's selection-changed notification. Also passed to the selection handler.
    TreeSelectionChange Select(NodeId id);

    // After a listing: expands the listed volume (the one whose name's second character is
    // letter) and selects it; the first volume when none has that letter.
    void ShowVolume(std::uint8_t letter);
    void ShowFirstVolume();
    // After a search: expands the root and all its children, then all children of the last
    // child and so on down; when the entry count is 1, selects the folder holding the find.
    void ExpandLastBranch();

  private:
    using Entries = std::vector<FileEntry>;

    NodeId Insert(NodeId parent, NodeKind kind, std::string text);
    void InsertPlaceholder(NodeId parent);
    // Removes the node's children and their subtrees.
    void RemoveChildren(NodeId id);
    void RemoveSubtree(NodeId id);
    // The expansion rule for a volume or folder, recursing into every new folder. Only the
    // entries at candidates (ascending indexes into entries) can hold the node's path.
    void BuildChildren(NodeId id, const Entries& entries,
                       const std::vector<std::int32_t>& candidates);
    void ExpandWith(NodeId id);
    void SortChildren(NodeId id);
    bool IsInside(NodeId id, NodeId ancestor) const;
    TreeSelectionChange SelectionChangeFor(NodeId id) const;
    // The deepest volume or folder node whose path begins path, expanded on the way there.
    NodeId FolderHolding(const std::string& path);

    TreeNode* Mutable(NodeId id);

    [[no_unique_address]] WindowThreadCheck m_thread;
    Prompts& m_prompts;
    FileList& m_files;
    VolumeTreeObserver* m_observer = nullptr;
    TreeSelectionHandler* m_handler = nullptr;
    std::vector<std::string> m_volumes;
    std::atomic<std::int32_t> m_entryCount{0};
    std::map<NodeId, TreeNode> m_nodes;
    NodeId m_root = kNoNode;
    NodeId m_selected = kNoNode;
    NodeId m_nextId = 1;
};

}  // namespace velmora
