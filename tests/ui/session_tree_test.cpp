#include "ui/session_tree.h"

#include <gtest/gtest.h>

#include "support/fakes.h"
#include "ui/file_rows.h"
#include "ui/volume_tree.h"

namespace velmora {
namespace {

TEST(SessionTreeTest, RebuildsDecoratesAndEmptiesTheTreeAndRows) {
    test::FakePrompts prompts;
    FileList files;
    VolumeTree tree{prompts, files};
    FileRows rows;
    BrowsingSessionTree session{tree, rows};

    EXPECT_FALSE(session.RootText());
    session.SetRootText("E398 ");  // no root yet: nothing to name
    EXPECT_EQ(tree.Root(), kNoNode);

    session.ResetTree({"/a", "/b"});
    EXPECT_EQ(session.RootText(), "Volumes");
    std::vector<std::string> volumes;
    for (NodeId id : tree.Children(tree.Root())) volumes.push_back(tree.Node(id)->text);
    EXPECT_EQ(volumes, (std::vector<std::string>{"/a", "/b"}));
    session.SetRootText("E398  (FSAC v.2.1)");
    EXPECT_EQ(tree.RootText(), "E398  (FSAC v.2.1)");

    rows.AppendRow(ListRow{}, RowIcons{});
    session.ClearFileRowsAndTree();
    EXPECT_EQ(tree.Root(), kNoNode);
    EXPECT_FALSE(session.RootText());
    EXPECT_EQ(rows.RowCount(), 0);
    EXPECT_TRUE(prompts.Boxes().empty());
}

}  // namespace
}  // namespace velmora
