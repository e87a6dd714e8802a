// The largest listing the protocol can announce, 65,535 entries, read from the emulated phone
// with Get File List, then the tree and the folder view of the first volume built from it:
// once on a volume of few folders, once on one of 6,000.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "fsac/file_list.h"
#include "listing_ports.h"
#include "sim/simulated_pst.h"
#include "support/pumped_ui_thread.h"
#include "transfer/job.h"
#include "transfer/job_window.h"
#include "transfer/stop_flag.h"
#include "ui/file_rows.h"
#include "ui/listing_commands.h"
#include "ui/settings.h"
#include "ui/volume_tree.h"
#include "volume_shape.h"

namespace velmora {
namespace {

class NoSink : public PstNotificationSink {
  public:
    void OnDeviceListChanged() override {}
};

// One shared pair of icons, as a per-type cache would hand out.
class SharedIcons : public IconSource {
  public:
    IconHandle FileTypeIcon(const std::string&, bool large) override {
        return large ? m_large : m_small;
    }

  private:
    IconHandle m_large = std::make_shared<IconImage>(IconImage{32, 32, {}, "large"});
    IconHandle m_small = std::make_shared<IconImage>(IconImage{16, 16, {}, "small"});
};

// The window's state as far as the listing and the job reach it; the tree's selection fills
// the list the way the window's handler does.
class BenchWindow : public ListingWindow, public JobWindow, public TreeSelectionHandler {
  public:
    explicit BenchWindow(FileRows& list) : m_list(list) {}

    bool LibraryReady() const override { return true; }
    std::int32_t Rs232Flag() const override { return 0; }
    std::optional<std::uint16_t> SelectedDevice() const override { return 1; }
    void SetStatusText(int, const std::string& text) override { m_status = text; }
    void ShowWaitCursor() override {}
    int VolumeCount() const override { return 1; }
    std::uint8_t CurrentVolumeLetter() const override { return 'a'; }
    void SetCurrentVolumeLetter(std::uint8_t) override {}
    bool FileSystemFlag() const override { return false; }
    PhoneQuery ModelAndVersionQuery() override { return {}; }
    std::string MaskText() const override { return "*"; }
    void SetMaskChoices(const std::vector<std::string>&) override {}
    void SetOverallRange(std::int32_t) override {}
    void SetOverallPosition(std::int32_t) override {}
    void EnableControls(int, int) override {}
    void ShowFileBar(bool) override {}
    void SetFileRange(std::int32_t) override {}
    void SetFilePosition(std::int32_t) override {}
    Prompts& WindowPrompts() override { return m_prompts; }
    PhoneWindow& WindowPhone() override { return *this; }
    void OnTreeSelection(const TreeSelectionChange& change) override {
        if (change.refillRows) m_list.FillFolder(change.rows);
    }

    FailingPrompts m_prompts;

  private:
    FileRows& m_list;
    std::string m_status;
};

// onWorker: the reader on a job thread of its own, every window call carried over to the
// bench thread as in the program; otherwise the reader runs on the bench thread too.
void ListLargestVolume(benchmark::State& state, const VolumeShape& shape, bool onWorker) {
    SimulatedPst pst(PhoneOfShape(shape));
    NoSink sink;
    pst.PSTInitializeEx(kInterfaceUsb, &sink);

    FileList files;
    FileRows list;
    BenchWindow window(list);
    VolumeTree tree(window.m_prompts, files);
    tree.SetVolumeTable({"/a"});
    tree.SetSelectionHandler(&window);
    SharedIcons icons;
    SearchHistory history;
    NoSettings user;
    auto ui = std::make_shared<test::PumpedUiThread>();
    auto proxy = std::make_shared<JobWindowProxy>(ui, window);
    JobStarter inlineJob = [](std::function<void()> worker) {
        worker();
        return true;
    };
    ListingCommands commands(ListingPorts{pst, window, window.m_prompts, files, tree, list, icons,
                                          history, user, proxy,
                                          onWorker ? JobStarter(StartJob) : inlineJob, JobBusy});

    std::size_t folders = 0;
    for (auto _ : state) {
        StopFlag.store(kStopRequested);
        commands.GetFileList();
        ui->PumpUntilIdle();
        folders = tree.NodeCount(NodeKind::Folder);
        if (files.Count() != kEntries || list.RowCount() != shape.rootFiles ||
            folders != static_cast<std::size_t>(FolderCount(shape))) {
            state.SkipWithError("the listing did not arrive whole");
            break;
        }
    }
    state.counters["entries"] = files.Count();
    state.counters["folders"] = static_cast<double>(folders);
    state.counters["folder rows"] = list.RowCount();
    proxy->Detach();
}

void BM_ListLargestVolume(benchmark::State& state) {
    ListLargestVolume(state, kFlatShape, false);
}
BENCHMARK(BM_ListLargestVolume)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ListLargestVolumeOnWorker(benchmark::State& state) {
    ListLargestVolume(state, kFlatShape, true);
}
BENCHMARK(BM_ListLargestVolumeOnWorker)->Unit(benchmark::kMillisecond)->Iterations(3);

// Target: under a second, as for the volume of few folders.
void BM_ListLargestVolumeInFolders(benchmark::State& state) {
    ListLargestVolume(state, kFoldersShape, false);
}
BENCHMARK(BM_ListLargestVolumeInFolders)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ListLargestVolumeInFoldersOnWorker(benchmark::State& state) {
    ListLargestVolume(state, kFoldersShape, true);
}
BENCHMARK(BM_ListLargestVolumeInFoldersOnWorker)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace velmora
