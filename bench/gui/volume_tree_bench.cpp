// What the window's tree costs on screen after the largest listing: the first volume expanded
// and selected as a listing's end does it, with every folder node mirrored into the real wx
// control, on a volume of few folders and on one of 6,000.
#include <benchmark/benchmark.h>
#include <wx/frame.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/prompts.h"
#include "gui/volume_tree_ctrl.h"
#include "volume_shape.h"

namespace velmora {
namespace {

class NoPrompts : public Prompts {
  public:
    PromptAnswer MessageBox(const MessageBoxRequest&) override { return PromptAnswer::Ok; }
    std::optional<std::string> SaveFile(const SaveFileRequest&) override { return std::nullopt; }
    std::vector<std::string> OpenFiles(const OpenFilesRequest&) override { return {}; }
    ConflictAnswer AskConflict(const ConflictRequest&) override {
        return {ConflictChoice::Replace, true};
    }
};

// The entries as the phone reports them: sorted by path.
void FillListing(FileList& files, const VolumeShape& shape) {
    std::vector<std::string> paths;
    paths.reserve(kEntries);
    for (int n = 0; n < kEntries; ++n) {
        const std::string folder = FolderOf(shape, n);
        paths.push_back("/a/" + (folder.empty() ? "" : folder + "/") + FileName(n));
    }
    std::sort(paths.begin(), paths.end());
    files.Allocate(kEntries);
    for (int n = 0; n < kEntries; ++n) {
        files.SetEntry(n, MakeFileEntry(paths[static_cast<std::size_t>(n)],
                                        paths[static_cast<std::size_t>(n)], 0, 0, n));
    }
}

void ShowFirstVolumeOnScreen(benchmark::State& state, const VolumeShape& shape) {
    NoPrompts prompts;
    FileList files;
    FillListing(files, shape);
    VolumeTree tree(prompts, files);
    tree.SetVolumeTable({"/a"});
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Velmora", wxDefaultPosition, wxSize(660, 420));
    auto* view = new VolumeTreeCtrl(frame, tree);
    view->SetSize(1, 1, 170, 370);
    frame->Show();
    for (auto _ : state) {
        tree.ResetTree(true);
        tree.SetEntryCount(kEntries);
        tree.ShowFirstVolume();
        benchmark::DoNotOptimize(view->GetCount());
    }
    state.counters["folders"] = static_cast<double>(tree.NodeCount(NodeKind::Folder));
    state.counters["items"] = view->GetCount();
    frame->Destroy();
}

void BM_TreeOfTheLargestListing(benchmark::State& state) {
    ShowFirstVolumeOnScreen(state, kFlatShape);
}
BENCHMARK(BM_TreeOfTheLargestListing)->Unit(benchmark::kMillisecond)->Iterations(3);

// Target: under a second with the listing and the folder view.
void BM_TreeOfTheLargestListingInFolders(benchmark::State& state) {
    ShowFirstVolumeOnScreen(state, kFoldersShape);
}
BENCHMARK(BM_TreeOfTheLargestListingInFolders)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace velmora
