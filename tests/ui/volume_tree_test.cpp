#include "ui/volume_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "support/fakes.h"
#include "ui/text_compare.h"

namespace velmora {
namespace {

using Texts = std::vector<std::string>;

// Rebuilds the tree from the notifications alone, the way the toolkit's tree will.
class MirrorTree : public VolumeTreeObserver {
  public:
    void TreeCleared() override { nodes.clear(); }
    void NodeInserted(const TreeNode& node) override {
        nodes[node.id] = {node.parent, {}};
        if (node.parent != kNoNode) nodes.at(node.parent).children.push_back(node.id);
    }
    void NodeRemoved(NodeId id) override {
        EXPECT_TRUE(nodes.at(id).children.empty()) << "children go first";
        if (nodes.count(nodes.at(id).parent))
            std::erase(nodes.at(nodes.at(id).parent).children, id);
        nodes.erase(id);
    }
    void ChildrenSorted(NodeId parent, const std::vector<NodeId>& order) override {
        nodes.at(parent).children = order;
    }
    void SelectionChanged(NodeId id) override { selected = id; }

    struct Mirrored {
        NodeId parent;
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
    void TearDown() override {
        // Whatever a test did, the toolkit's copy would show the same tree.
        for (const auto& [id, node] : mirror.nodes) {
            ASSERT_NE(tree.Node(id), nullptr);
            EXPECT_EQ(node.children, tree.Node(id)->children);
        }
        EXPECT_EQ(mirror.nodes.size(), CountNodes(tree.Root()));
        EXPECT_EQ(mirror.selected, tree.Selection());
    }

    struct Spec {
        std::string path;
        std::uint16_t attributes = 0x20;
    };
    void Load(const std::vector<Spec>& specs) {
        files.Allocate(static_cast<std::int32_t>(specs.size()));
        for (std::size_t i = 0; i < specs.size(); ++i) {
            files.SetEntry(static_cast<std::int32_t>(i),
                           MakeFileEntry(specs[i].path, specs[i].path, specs[i].attributes, 0, 1));
        }
        tree.SetEntryCount(files.Count());
    }
    NodeId Volume(const char* name) { return tree.FindChild(tree.Root(), name); }
    Texts ChildTexts(NodeId id) {
        Texts texts;
        for (const NodeId child : tree.Children(id)) texts.push_back(tree.Node(child)->text);
        return texts;
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
    EXPECT_EQ(ChildTexts(tree.Root()), (Texts{"/a", "/b"}));
    const auto* volume = tree.Node(Volume("/b"));
    EXPECT_FALSE(volume->expanded);
    ASSERT_EQ(volume->children.size(), 1u);  // the placeholder that gives an expand button
    EXPECT_EQ(tree.Node(volume->children[0])->kind, NodeKind::Placeholder);
}

TEST_F(VolumeTreeTest, BeforeAnythingWasReadExpandingTellsTheUserAndSelectingSetsTheLetter) {
    const NodeId a = Volume("/a");
    tree.Expand(a);
    ASSERT_EQ(prompts.Boxes().size(), 1u);
    const auto box = prompts.Boxes()[0];
    EXPECT_EQ(box.text, "File list is empty. Read file list or search file before");
    EXPECT_EQ(box.title, "Velmora");
    EXPECT_EQ(box.icon, PromptIcon::Information);
    EXPECT_FALSE(tree.Node(a)->expanded);
    EXPECT_EQ(tree.Children(a).size(), 1u);  // still expandable

    const auto change = tree.Select(a);
    EXPECT_EQ(change.volumeLetter, 'a');
    EXPECT_FALSE(change.folderMode);
    EXPECT_FALSE(change.refillRows);
    EXPECT_FALSE(change.freeSpaceLetter);
    FileRows list;
    list.SetDisplayMode(kDisplayFlat);
    EXPECT_FALSE(ShowSelectionRows(change, list));
    EXPECT_EQ(list.DisplayMode(), kDisplayFlat);
}

TEST_F(VolumeTreeTest, DuplicateFoldersGiveOneNode) {
    Load({{"/a/x/1.txt"}, {"/a/x/2.txt"}, {"/a/y/3.txt"}, {"/a/x/4.txt"}, {"/a/X/5.txt"}});
    tree.Expand(Volume("/a"));
    // Consecutive and scattered duplicates alike; a case-different name is its own folder.
    EXPECT_EQ(ChildTexts(Volume("/a")), (Texts{"x", "X", "y"}));
}

TEST_F(VolumeTreeTest, ExpandingAVolumeBuildsTheWholeHierarchySorted) {
    Load({{"/a/zeta/f"}, {"/a/Alpha/sub/deeper/f"}, {"/a/beta/f"}, {"/a/top.txt"}});
    const NodeId a = Volume("/a");
    tree.Expand(a);
    EXPECT_EQ(ChildTexts(a), (Texts{"Alpha", "beta", "zeta"}));
    const NodeId alpha = tree.FindChild(a, "Alpha");
    // Built and folded: subfolders are there, and only folders with some can expand.
    EXPECT_FALSE(tree.Node(alpha)->expanded);
    EXPECT_EQ(ChildTexts(tree.FindChild(alpha, "sub")), (Texts{"deeper"}));
    EXPECT_TRUE(tree.Children(tree.FindChild(a, "beta")).empty());
}

TEST_F(VolumeTreeTest, FolderEntriesNamelessFoldersAndUnreadEntries) {
    Load({{"/a/pics", 0x0A},
          {"/a/hidden", 0x02},
          {"/a/sys.dat", 0x08},
          // A doubled slash and a folder entry for the volume itself would name a folder with
          // the volume's own path, rebuilt below itself without end.
          {"/a//x.txt"},
          {"/a/", 0x0A},
          {"/a/late/f"}});
    tree.SetEntryCount(5);  // the last one was never read
    tree.Expand(Volume("/a"));
    EXPECT_EQ(ChildTexts(Volume("/a")), (Texts{"pics"}));
}

// The expansion rule as written, every entry read again for every folder: the tree must show
// exactly this however it finds the entries of a node. "name(children)" per folder, sorted.
std::string FoldersByTheRule(const std::vector<std::pair<std::string, std::uint16_t>>& entries,
                             const std::string& path) {
    Texts names;
    std::string previous;
    for (const auto& [entry, attributes] : entries) {
        const auto at = entry.find(path);
        if (at == std::string::npos) continue;
        std::string folder = entry.substr(at + path.size());
        if ((attributes & 0x0A) != 0x0A) {
            if (folder.find('/') == std::string::npos) continue;
            folder.resize(folder.find('/'));
        }
        if (folder.empty() || folder == previous) continue;
        previous = folder;
        if (std::find(names.begin(), names.end(), folder) == names.end()) names.push_back(folder);
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const auto& a, const auto& b) { return CompareText(a, b) < 0; });
    std::string shown;
    for (const auto& name : names) {
        shown += name + "(" + FoldersByTheRule(entries, path + name + "/") + ")";
    }
    return shown;
}

TEST_F(VolumeTreeTest, PathsHeldFurtherInsideBuildTheFoldersTheRuleGives) {
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::uint16_t>> entries;
    } cases[] = {
        {"a volume's path inside another volume's entry",
         {{"/b/a/x/y/f", 0x20}, {"/a/z/f", 0x20}, {"/b/q/a/x/w/g", 0x20}}},
        {"the path again further down", {{"/a/x/a/y/f", 0x20}, {"/a/y/a/x/z/g", 0x20}}},
        {"overlapping occurrences", {{"/a/a/a/f", 0x20}, {"/a/a/b/a/a/c/g", 0x20}}},
        {"folder entries with a slash in the name",
         {{"/a/x/y", 0x0A}, {"/a/x/y/z/f", 0x20}, {"/b/x/y", 0x0A}}},
        {"a folder entry ending in a slash, and a doubled slash",
         {{"/a/m/", 0x0A}, {"/a/m//n/f", 0x20}, {"/a/m/n//o/g", 0x20}}},
        {"scattered duplicates and case",
         {{"/a/x/1", 0x20}, {"/a/y/2", 0x20}, {"/a/X/3/4", 0x20}, {"/a/x/3/5", 0x20}}},
    };
    for (const auto& c : cases) {
        std::vector<Spec> specs;
        for (const auto& [path, attributes] : c.entries) specs.push_back({path, attributes});
        Load(specs);
        tree.ResetTree(true);
        for (const char* volume : {"/a", "/b"}) {
            tree.Expand(Volume(volume));
            std::function<std::string(NodeId)> shown = [&](NodeId id) {
                std::string text;
                for (const NodeId child : tree.Children(id)) {
                    if (tree.Node(child)->kind == NodeKind::Placeholder) continue;
                    text += tree.Node(child)->text + "(" + shown(child) + ")";
                }
                return text;
            };
            EXPECT_EQ(shown(Volume(volume)), FoldersByTheRule(c.entries, std::string(volume) + "/"))
                << c.what << ", volume " << volume;
        }
    }
}

TEST_F(VolumeTreeTest, CollapseThenExpandGivesTheSameChildren) {
    Load({{"/a/m/p/1"}, {"/a/m/q/2"}, {"/a/n/3"}});
    const NodeId a = Volume("/a");
    tree.Expand(a);
    const NodeId m = tree.FindChild(a, "m");
    tree.Expand(m);
    tree.Collapse(m);
    ASSERT_EQ(tree.Children(m).size(), 1u);
    EXPECT_EQ(tree.Node(tree.Children(m)[0])->kind, NodeKind::Placeholder);
    tree.Expand(m);
    EXPECT_EQ(ChildTexts(m), (Texts{"p", "q"}));

    tree.Collapse(a);
    tree.Expand(a);
    EXPECT_EQ(ChildTexts(a), (Texts{"m", "n"}));
    EXPECT_EQ(ChildTexts(tree.FindChild(a, "m")), (Texts{"p", "q"}));
}

TEST_F(VolumeTreeTest, NodePathAndVolumeLetter) {
    Load({{"/a/mobile/picture/x.jpg"}});
    const NodeId a = Volume("/a");
    tree.Expand(a);
    const NodeId mobile = tree.FindChild(a, "mobile");
    EXPECT_EQ(tree.NodePath(tree.Root(), "/"), "");
    EXPECT_EQ(tree.NodePath(a, "/"), "/a/");
    EXPECT_EQ(tree.NodePath(mobile, "/"), "/a/mobile/");
    EXPECT_EQ(tree.NodePath(tree.FindChild(mobile, "picture"), "/x.jpg"),
              "/a/mobile/picture/x.jpg");

    EXPECT_EQ(tree.VolumeLetter(), 0);
    tree.Select(tree.FindChild(mobile, "picture"));
    EXPECT_EQ(tree.VolumeLetter(), 'a');
}

TEST_F(VolumeTreeTest, SelectingAFolderListsWhatIsDirectlyInside) {
    Load({{"/a/mobile/f.txt"}, {"/a/mobile/sub/g.txt"}, {"/b/a/mobile/h.mp3"}, {"/b/other"}});
    tree.Expand(Volume("/a"));
    const auto change = tree.Select(tree.FindChild(Volume("/a"), "mobile"));
    EXPECT_EQ(change.volumeLetter, 'a');
    EXPECT_TRUE(change.folderMode);
    EXPECT_FALSE(change.freeSpaceLetter);
    EXPECT_EQ(change.statusPath, "/a/mobile/");
    EXPECT_EQ(change.uploadPath, "/a/mobile/");
    ASSERT_EQ(change.rows.size(), 2u);
    EXPECT_EQ(change.rows[0].name, "f.txt");
    EXPECT_EQ(change.rows[1].name, "h.mp3");  // further inside another path: first occurrence
    EXPECT_EQ(change.rows[1].entryIndex, 2);
    ASSERT_EQ(handler.changes.size(), 1u);
}

TEST_F(VolumeTreeTest, SelectingAVolumeOrTheRoot) {
    Load({{"/b/x.txt"}});
    auto change = tree.Select(Volume("/b"));
    EXPECT_EQ(change.freeSpaceLetter, 'b');
    EXPECT_EQ(change.uploadPath, "/b/");
    EXPECT_EQ(change.rows.size(), 1u);

    FileRows list;
    list.SetDisplayMode(kDisplayFlat);
    EXPECT_TRUE(ShowSelectionRows(change, list));
    EXPECT_EQ(list.DisplayMode(), kDisplayFolder);
    EXPECT_EQ(list.RowCount(), 1);

    change = tree.Select(tree.Root());
    EXPECT_TRUE(ShowSelectionRows(change, list));
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(change.volumeLetter, 0);
    EXPECT_TRUE(change.refillRows);  // emptied
    EXPECT_TRUE(change.rows.empty());
    EXPECT_EQ(change.statusPath, "");
    EXPECT_FALSE(change.uploadPath);  // left as it was
    EXPECT_FALSE(change.freeSpaceLetter);
}

TEST_F(VolumeTreeTest, AFolderEntryEndingInSlashListsItsFolder) {
    Load({{"/a/mobile/", 0x0A}, {"/a/mobile/f.txt"}});
    tree.Expand(Volume("/a"));
    EXPECT_EQ(ChildTexts(Volume("/a")), (Texts{"mobile", "mobile/"}));
    const auto change = tree.Select(tree.FindChild(Volume("/a"), "mobile/"));
    EXPECT_EQ(change.statusPath, "/a/mobile/");
    ASSERT_EQ(change.rows.size(), 2u);
    EXPECT_EQ(change.rows[1].name, "f.txt");
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

TEST_F(VolumeTreeTest, CollapsingAboveTheSelectionMovesItUpAndResetDropsIt) {
    Load({{"/a/x/f"}});
    const NodeId a = Volume("/a");
    tree.Expand(a);
    tree.Select(tree.FindChild(a, "x"));
    handler.changes.clear();
    tree.Collapse(a);
    EXPECT_EQ(tree.Selection(), a);
    ASSERT_EQ(handler.changes.size(), 1u);
    EXPECT_EQ(handler.changes[0].statusPath, "/a/");

    tree.ResetTree(true);
    EXPECT_EQ(tree.Selection(), kNoNode);
    EXPECT_EQ(handler.changes.size(), 1u);  // the window keeps its volume letter
}

TEST_F(VolumeTreeTest, ShowFirstVolumeExpandsAndSelectsIt) {
    Load({{"/a/x/f"}, {"/b/y/g"}});
    tree.ShowFirstVolume();
    EXPECT_TRUE(tree.Node(Volume("/a"))->expanded);
    EXPECT_EQ(tree.Selection(), Volume("/a"));
    ASSERT_EQ(handler.changes.size(), 1u);
    EXPECT_EQ(handler.changes[0].volumeLetter, 'a');
}

TEST_F(VolumeTreeTest, ExpandLastBranchSelectsTheOnlyFind) {
    Load({{"/a/p/f"}, {"/b/m/n/found.mp3"}});
    tree.ExpandLastBranch();
    EXPECT_TRUE(tree.Node(Volume("/a"))->expanded);
    EXPECT_TRUE(tree.Node(tree.FindChild(Volume("/b"), "m"))->expanded);
    EXPECT_EQ(tree.Selection(), kNoNode);  // two entries: nothing selected

    Load({{"/b/m/n/found.mp3"}});
    tree.ResetTree(true);
    tree.ExpandLastBranch();
    ASSERT_FALSE(handler.changes.empty());
    EXPECT_EQ(handler.changes.back().uploadPath, "/b/m/n/");
    ASSERT_EQ(handler.changes.back().rows.size(), 1u);
    EXPECT_EQ(handler.changes.back().rows[0].name, "found.mp3");
}

}  // namespace
}  // namespace velmora
