// A main window for Upload, dropped files and Fill space: the listing's window fake for the
// job side, the two fields and the volume state, and the real file list, tree and list
// models, wired as the program wires them. Jobs run at once on the calling thread unless a
// test gives its own starter.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fsac/volume_queries.h"
#include "support/fakes.h"
#include "support/pumped_ui_thread.h"
#include "ui/listing_fixture.h"
#include "ui/upload_commands.h"

namespace velmora::test {

class FakeUploadWindow : public UploadWindow {
  public:
    std::string UploadPathText() const override { return uploadPath; }
    std::string LeaveBytesText() const override { return leaveBytes; }
    const VolumeState& Volumes() const override { return volumes; }
    void RefreshFreeSpace() override {
        ++freeSpaceQueries;
        if (onRefresh) onRefresh();
    }
    void RowsChanged() override { ++rowChanges; }

    std::string uploadPath;
    std::string leaveBytes;
    VolumeState volumes;
    int freeSpaceQueries = 0;
    int rowChanges = 0;
    std::function<void()> onRefresh;
};

struct UploadRig {
    explicit UploadRig(PstLibrary& pst,
                       std::shared_ptr<UiThread> uiThread = std::make_shared<test::PumpedUiThread>())
        : ui(std::move(uiThread)),
          proxy(std::make_shared<JobWindowProxy>(ui, window)),
          tree(window.prompts, files),
          commands(UploadPorts{
              pst, upload, files, tree, list, icons, clock, proxy,
              [this](std::function<void()> worker) { return startJob(std::move(worker)); },
              [this] { return jobBusy(); }}) {
        tree.SetVolumeTable({"/a", "/b"});
        upload.volumes.SetVolumeCount(2);
        upload.volumes.SetCurrentVolumeLetter('a');
        upload.volumes.SetCachedFreeSpace(1 << 20);
        window.device = 1;
    }
    ~UploadRig() { proxy->Detach(); }

    // Entries as a listing leaves them, the tree built and `select` (a node path) selected.
    void List(const std::vector<FileEntry>& entries, const std::string& select) {
        files.Allocate(static_cast<std::int32_t>(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i)
            files.SetEntry(static_cast<std::int32_t>(i), entries[i]);
        tree.SetEntryCount(files.Count());
        tree.ResetTree(true);
        SelectPath(select);
    }
    // Selects the node whose NodePath (tail "/") is path, "" for the root; the list shows its
    // folder and the upload path field takes the path, as the window does.
    void SelectPath(const std::string& path) {
        NodeId node = tree.Root();
        while (tree.NodePath(node, "/") != path) {
            NodeId next = kNoNode;
            for (NodeId child : tree.Children(node)) {
                if (path.rfind(tree.NodePath(child, "/"), 0) == 0) next = child;
            }
            if (next == kNoNode) {
                ADD_FAILURE() << "no node " << path;
                break;
            }
            tree.Expand(next);
            node = next;
        }
        const TreeSelectionChange change = tree.Select(node);
        ShowSelectionRows(change, list);
        if (change.uploadPath) upload.uploadPath = *change.uploadPath;
    }

    std::shared_ptr<UiThread> ui;
    FakeListingWindow window;
    FakeUploadWindow upload;
    std::shared_ptr<JobWindowProxy> proxy;
    FileList files;
    VolumeTree tree;
    FileRows list;
    NamingIconSource icons;
    FakeClock clock;
    std::function<bool(std::function<void()>)> startJob = [](std::function<void()> worker) {
        worker();
        return true;
    };
    std::function<bool()> jobBusy = [] { return false; };
    UploadCommands commands;
};

}  // namespace velmora::test
