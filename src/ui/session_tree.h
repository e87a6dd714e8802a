// The tree and file-list share of the phone session: what the device poll and the volume
// query do to the volume tree and the list rows. The window forwards to it, so that the
// window does not depend on the browsing models.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora {

class FileRows;
class VolumeTree;

class SessionTree {
  public:
    virtual ~SessionTree() = default;
    virtual void ResetTree(const std::vector<std::string>& volumes) = 0;
    virtual std::optional<std::string> RootText() const = 0;
    virtual void SetRootText(const std::string& text) = 0;
    virtual void ClearFileRowsAndTree() = 0;
    // The folder the selection shows, as the path part shows it; empty for none.
    virtual std::string SelectedPath() const = 0;
};

// Over the window's VolumeTree and FileRows models.
class BrowsingSessionTree : public SessionTree {
  public:
    BrowsingSessionTree(VolumeTree& tree, FileRows& rows) : m_tree(tree), m_rows(rows) {}

    // The volume table, then the tree rebuilt with the root "Volumes" and one node per name.
    void ResetTree(const std::vector<std::string>& volumes) override;
    // Nothing while the tree has no root.
    std::optional<std::string> RootText() const override;
    void SetRootText(const std::string& text) override;
    // No rows, no nodes, no root.
    void ClearFileRowsAndTree() override;
    std::string SelectedPath() const override;

  private:
    VolumeTree& m_tree;
    FileRows& m_rows;
};

}  // namespace velmora
