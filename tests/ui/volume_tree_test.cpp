#include "ui/volume_tree.h"

#include <gtest/gtest.h>

#include <map>

#include "support/fakes.h"

namespace velmora {
namespace {

using Texts = std::vector<std::string>;

// Rebuilds the tree from the notifications alone, the way the toolkit's tree will.
class MirrorTree : public VolumeTreeObserver {
  public:
    void TreeCleared() override { nodes.clear(); }
    void NodeInserted(const TreeNode& node) override {
        nodes[node.id] = {node.parent, node.text, {}};
        if (node.parent != kNoNode) nodes.at(node.parent).children.push_back(node.id);
    }
    void NodeRemoved(NodeId id) override {
        EXPECT_TRUE(nodes.at(id).children.empty()) << "children go first";
        const NodeId parent = nodes.at(id).parent;
        if (nodes.count(parent)) std::erase(nodes.at(parent).children, id);
        nodes.erase(id);
    }
    void NodeChanged(const TreeNode& node) override { nodes.at(node.id).text = node.text; }
    void ChildrenSorted(NodeId parent, const std::vector<NodeId>& order) override {
        nodes.at(parent).children = order;
    }
    void SelectionChanged(NodeId id) override { selected = id; }

    struct Mirrored {
        NodeId parent;
        std::string text;
        std::vector<NodeId> children;
    };
    std::map<NodeId, Mirrored> nodes;
    NodeId selected = kNoNode;
};

class RecordingHandler : public TreeSelectionHandler {
  public:
    void OnTreeSelection(const TreeSelectionChange& change) override { changes.push_back(change); }
    std::vector<TreeSelectionChange> changes;
};

class VolumeTreeTest : public ::testing::Test {
  protected:
    VolumeTreeTest() {
        tree.SetObserver(&mirror);
        tree.SetSelectionHandler(&handler);
        tree.SetVolumeTable({"/a", "/b"});
        tree.ResetTree(true);
    }

    struct Spec {
        std::string path;
        std::uint16_t attributes = 0x20;
    };
    void Load(const std::vector<Spec>& specs) {
        files.Allocate(static_cast<std::int32_t>(specs.size()));
        for (std::size_t i = 0; i < specs.size(); ++i) {
            const auto& s = specs[i];
            files.SetEntry(static_cast<std::int32_t>(i),
                           MakeFileEntry(s.path, s.path, s.attributes, 0, 10));
        }
        tree.SetEntryCount(files.Count());
    }

    NodeId Volume(const char* name) { return tree.FindChild(tree.Root(), name); }
    Texts ChildTexts(NodeId id) {
        Texts texts;
        for (const NodeId child : tree.Children(id)) texts.push_back(tree.Node(child)->text);
        return texts;
    }
    // The model as the mirror sees it, for comparison with the model itself.
    void ExpectMirrorMatches() {
        ASSERT_EQ(mirror.nodes.size(), CountNodes(tree.Root()));
        for (const auto& [id, node] : mirror.nodes) {
            ASSERT_NE(tree.Node(id), nullptr);
            EXPECT_EQ(node.text, tree.Node(id)->text);
            EXPECT_EQ(node.children, tree.Node(id)->children);
        }
        EXPECT_EQ(mirror.selected, tree.Selection());
    }
    std::size_t CountNodes(NodeId id) {
        std::size_t n = 1;
        for (const NodeId child : tree.Children(id)) n += CountNodes(child);
        return n;
    }

    test::FakePrompts prompts;
    FileList files;
    VolumeTree tree{prompts, files};
    MirrorTree mirror;
    RecordingHandler handler;
};

TEST_F(VolumeTreeTest, ResetShowsTheVolumesUnderTheRoot) {
    EXPECT_EQ(tree.RootText(), "Volumes");
    EXPECT_TRUE(tree.Node(tree.Root())->expanded);
    EXPECT_EQ(ChildTexts(tree.Root()), (Texts{"/a", "/b"}));
    const auto* volume = tree.Node(Volume("/b"));
    EXPECT_EQ(volume->kind, NodeKind::Volume);
    EXPECT_FALSE(volume->expanded);
    ASSERT_EQ(volume->children.size(), 1u);  // the placeholder that gives an expand button
    EXPECT_EQ(tree.Node(volume->children[0])->kind, NodeKind::Placeholder);
    EXPECT_EQ(tree.Node(tree.Root())->image, kTreeImageRoot);
    EXPECT_EQ(volume->selectedImage, kTreeImageVolumeOpen);

    tree.SetRootText("E398 (FSAC v.3.0)");
    EXPECT_EQ(tree.RootText(), "E398 (FSAC v.3.0)");
    ExpectMirrorMatches();
}

TEST_F(VolumeTreeTest, ExpandingBeforeAnythingWasReadTellsTheUserAndCollapses) {
    const NodeId a = Volume("/a");
    tree.Expand(a);
    ASSERT_EQ(prompts.Boxes().size(), 1u);
    const auto box = prompts.Boxes()[0];
    EXPECT_EQ(box.text, "File list is empty. Read file list or search file before");
    EXPECT_EQ(box.title, "Velmora");
    EXPECT_EQ(box.icon, PromptIcon::Information);
    EXPECT_FALSE(tree.Node(a)->expanded);
    EXPECT_EQ(tree.Children(a).size(), 1u);  // still expandable

    // Selecting then changes only the volume letter.
    const auto change = tree.Select(a);
    EXPECT_EQ(change.volumeLetter, 'a');
    EXPECT_FALSE(change.folderMode);
    EXPECT_FALSE(change.refillRows);
    EXPECT_FALSE(change.freeSpaceLetter);
}

TEST_F(VolumeTreeTest, DuplicateFoldersGiveOneNode) {
    Load({{"/a/x/1.txt"}, {"/a/x/2.txt"}, {"/a/y/3.txt"}, {"/a/x/4.txt"}, {"/a/X/5.txt"}});
    const NodeId a = Volume("/a");
    tree.Expand(a);
    // Consecutive and scattered duplicates alike; a case-different name is its own folder.
    EXPECT_EQ(ChildTexts(a), (Texts{"x", "X", "y"}));
    ExpectMirrorMatches();
}

TEST_F(VolumeTreeTest, ExpandingAVolumeBuildsTheWholeHierarchySorted) {
    Load({{"/a/zeta/f"}, {"/a/Alpha/sub/deeper/f"}, {"/a/beta/f"}, {"/a/top.txt"}});
    const NodeId a = Volume("/a");
    tree.Expand(a);
    EXPECT_EQ(ChildTexts(a), (Texts{"Alpha", "beta", "zeta"}));
    const NodeId alpha = tree.FindChild(a, "Alpha");
    // Built and folded: the subfolders are there, and only folders with some get a button.
    EXPECT_FALSE(tree.Node(alpha)->expanded);
    EXPECT_EQ(ChildTexts(alpha), (Texts{"sub"}));
    EXPECT_EQ(ChildTexts(tree.FindChild(alpha, "sub")), (Texts{"deeper"}));
    EXPECT_TRUE(tree.Children(tree.FindChild(a, "beta")).empty());
    ExpectMirrorMatches();
}

TEST_F(VolumeTreeTest, FolderEntriesNameTheirWholeRest) {
    Load({{"/a/pics", 0x0A}, {"/a/hidden", 0x02}, {"/a/sys.dat", 0x08}, {"/b/music", 0x2A}});
    tree.Expand(Volume("/a"));
    tree.Expand(Volume("/b"));
    EXPECT_EQ(ChildTexts(Volume("/a")), (Texts{"pics"}));
    EXPECT_EQ(ChildTexts(Volume("/b")), (Texts{"music"}));
}

TEST_F(VolumeTreeTest, NamelessFoldersDoNotRecurse) {
    // A doubled slash and a folder entry for the volume itself would give a folder with the
    // node's own path.
    Load({{"/a//x.txt"}, {"/a/", 0x0A}, {"/a/real/f"}});
    tree.Expand(Volume("/a"));
    EXPECT_EQ(ChildTexts(Volume("/a")), (Texts{"real"}));
}

TEST_F(VolumeTreeTest, OnlyTheEntriesTheTreeMayUseCount) {
    Load({{"/a/early/f"}, {"/a/late/f"}});
    tree.SetEntryCount(1);  // the second was never read
    tree.Expand(Volume("/a"));
    EXPECT_EQ(ChildTexts(Volume("/a")), (Texts{"early"}));
}

TEST_F(VolumeTreeTest, CollapseThenExpandGivesTheSameChildren) {
    Load({{"/a/m/p/1"}, {"/a/m/q/2"}, {"/a/n/3"}});
    const NodeId a = Volume("/a");
    tree.Expand(a);
    const NodeId m = tree.FindChild(a, "m");
    tree.Expand(m);
    EXPECT_EQ(ChildTexts(m), (Texts{"p", "q"}));

    tree.Collapse(m);
    EXPECT_FALSE(tree.Node(m)->expanded);
    ASSERT_EQ(tree.Children(m).size(), 1u);
    EXPECT_EQ(tree.Node(tree.Children(m)[0])->kind, NodeKind::Placeholder);
    tree.Expand(m);
    EXPECT_EQ(ChildTexts(m), (Texts{"p", "q"}));

    tree.Collapse(a);
    tree.Expand(a);
    EXPECT_EQ(ChildTexts(a), (Texts{"m", "n"}));
    EXPECT_EQ(ChildTexts(tree.FindChild(a, "m")), (Texts{"p", "q"}));
    ExpectMirrorMatches();
}

TEST_F(VolumeTreeTest, NodePathAndVolumeLetter) {
    Load({{"/a/mobile/picture/x.jpg"}});
    const NodeId a = Volume("/a");
    tree.Expand(a);
    const NodeId mobile = tree.FindChild(a, "mobile");
    const NodeId picture = tree.FindChild(mobile, "picture");
    EXPECT_EQ(tree.NodePath(tree.Root(), "/"), "");
    EXPECT_EQ(tree.NodePath(a, "/"), "/a/");
    EXPECT_EQ(tree.NodePath(mobile, "/"), "/a/mobile/");
    EXPECT_EQ(tree.NodePath(picture, "/x.jpg"), "/a/mobile/picture/x.jpg");
    EXPECT_EQ(tree.NodePath(kNoNode, "/"), "");

    EXPECT_EQ(tree.VolumeLetter(), 0);
    tree.Select(picture);
    EXPECT_EQ(tree.VolumeLetter(), 'a');
    tree.Select(tree.Root());
    EXPECT_EQ(tree.VolumeLetter(), 0);
}

TEST_F(VolumeTreeTest, SelectingAFolderListsWhatIsDirectlyInside) {
    Load({{"/a/mobile/f.txt"}, {"/a/mobile/sub/g.txt"}, {"/b/a/mobile/h.mp3"}, {"/b/other"}});
    const NodeId a = Volume("/a");
    tree.Expand(a);
    const auto change = tree.Select(tree.FindChild(a, "mobile"));
    EXPECT_EQ(change.volumeLetter, 'a');
    EXPECT_TRUE(change.folderMode);
    EXPECT_FALSE(change.freeSpaceLetter);
    EXPECT_TRUE(change.refillRows);
    EXPECT_EQ(change.statusPath, "/a/mobile/");
    EXPECT_EQ(change.uploadPath, "/a/mobile/");
    ASSERT_EQ(change.rows.size(), 2u);
    EXPECT_EQ(change.rows[0].name, "f.txt");
    // Found further inside another path: the first occurrence counts.
    EXPECT_EQ(change.rows[1].name, "h.mp3");
    EXPECT_EQ(change.rows[1].entryIndex, 2);
    ASSERT_EQ(handler.changes.size(), 1u);
    EXPECT_EQ(handler.changes[0].statusPath, "/a/mobile/");
}

TEST_F(VolumeTreeTest, SelectingAVolumeRefreshesItsFreeSpace) {
    Load({{"/b/x.txt"}});
    const auto change = tree.Select(Volume("/b"));
    EXPECT_EQ(change.freeSpaceLetter, 'b');
    EXPECT_EQ(change.uploadPath, "/b/");
    ASSERT_EQ(change.rows.size(), 1u);
    EXPECT_EQ(change.rows[0].name, "x.txt");
}

TEST_F(VolumeTreeTest, SelectingTheRootClearsRowsAndKeepsTheUploadPath) {
    Load({{"/a/x.txt"}});
    const auto change = tree.Select(tree.Root());
    EXPECT_EQ(change.volumeLetter, 0);
    EXPECT_TRUE(change.refillRows);
    EXPECT_TRUE(change.rows.empty());
    EXPECT_EQ(change.statusPath, "");
    EXPECT_FALSE(change.uploadPath);
    EXPECT_FALSE(change.freeSpaceLetter);
}

TEST_F(VolumeTreeTest, AFolderEntryEndingInSlashListsItsFolder) {
    Load({{"/a/mobile/", 0x0A}, {"/a/mobile/f.txt"}});
    const NodeId a = Volume("/a");
    tree.Expand(a);
    EXPECT_EQ(ChildTexts(a), (Texts{"mobile", "mobile/"}));
    const auto change = tree.Select(tree.FindChild(a, "mobile/"));
    EXPECT_EQ(change.statusPath, "/a/mobile/");
    Texts names;
    for (const auto& row : change.rows) names.push_back(row.name);
    EXPECT_EQ(names, (Texts{"", "f.txt"}));  // the folder entry itself has no name inside
}

TEST_F(VolumeTreeTest, TheSingleFlashVolume) {
    tree.SetVolumeTable({"FLASH"});
    tree.ResetTree(true);
    Load({{"FLASH/ring.mid"}, {"FLASH/logo.gif"}});
    const NodeId flash = Volume("FLASH");
    EXPECT_EQ(tree.NodePath(flash, "/"), "FLASH/");
    tree.Expand(flash);
    EXPECT_TRUE(tree.Children(flash).empty());
    const auto change = tree.Select(flash);
    EXPECT_EQ(change.volumeLetter, 'L');
    EXPECT_EQ(change.uploadPath, "FLASH/");
    EXPECT_EQ(change.rows.size(), 2u);
}

TEST_F(VolumeTreeTest, CollapsingAboveTheSelectionMovesItUp) {
    Load({{"/a/x/f"}});
    const NodeId a = Volume("/a");
    tree.Expand(a);
    tree.Select(tree.FindChild(a, "x"));
    handler.changes.clear();
    tree.Collapse(a);
    EXPECT_EQ(tree.Selection(), a);
    ASSERT_EQ(handler.changes.size(), 1u);
    EXPECT_EQ(handler.changes[0].statusPath, "/a/");
    ExpectMirrorMatches();
}

TEST_F(VolumeTreeTest, ShowFirstVolumeExpandsAndSelectsIt) {
    Load({{"/a/x/f"}, {"/b/y/g"}});
    tree.ShowFirstVolume();
    const NodeId a = Volume("/a");
    EXPECT_TRUE(tree.Node(a)->expanded);
    EXPECT_EQ(tree.Selection(), a);
    ASSERT_EQ(handler.changes.size(), 1u);
    EXPECT_EQ(handler.changes[0].volumeLetter, 'a');
    ExpectMirrorMatches();
}

TEST_F(VolumeTreeTest, ExpandLastBranchFollowsTheLastChildren) {
    Load({{"/a/p/f"}, {"/b/m/n/found.mp3"}});
    tree.SetEntryCount(2);
    tree.ExpandLastBranch();
    const NodeId b = Volume("/b");
    const NodeId m = tree.FindChild(b, "m");
    EXPECT_TRUE(tree.Node(Volume("/a"))->expanded);
    EXPECT_TRUE(tree.Node(m)->expanded);
    EXPECT_EQ(tree.Selection(), kNoNode);  // several entries: nothing selected

    Load({{"/b/m/n/found.mp3"}});
    tree.ResetTree(true);
    tree.ExpandLastBranch();
    const auto& last = handler.changes.back();
    EXPECT_EQ(last.uploadPath, "/b/m/n/");
    ASSERT_EQ(last.rows.size(), 1u);
    EXPECT_EQ(last.rows[0].name, "found.mp3");
    ExpectMirrorMatches();
}

TEST_F(VolumeTreeTest, ResetDropsTheSelection) {
    Load({{"/a/x"}});
    tree.Select(Volume("/a"));
    handler.changes.clear();
    tree.ResetTree(true);
    EXPECT_EQ(tree.Selection(), kNoNode);
    EXPECT_TRUE(handler.changes.empty());  // the window keeps its volume letter
    ExpectMirrorMatches();
}

}  // namespace
}  // namespace velmora
