// Writing to the emulated phone: Upload of one 8 MiB file and Fill space of an 8 MiB volume,
// each with every per-chunk update (rate texts, progress message, bars) delivered to a
// window, uncapped and on a link capped at 1 MiB/s. `ratio` is the time taken over the time
// the capped link needs for the data bytes; `updates` counts the per-chunk progress messages.
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/system_clock.h"
#include "fsac/file_list.h"
#include "sim/simulated_pst.h"
#include "support/pumped_ui_thread.h"
#include "transfer/job_window.h"
#include "transfer/stop_flag.h"
#include "ui/upload_commands.h"
#include "ui/volume_tree.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kBytes = 8 << 20;
constexpr std::int64_t kCappedRate = 1 << 20;
constexpr std::int64_t kCappedBytes = 2 << 20;

class NoPrompts : public Prompts {
  public:
    PromptAnswer MessageBox(const MessageBoxRequest&) override { return PromptAnswer::Ok; }
    std::optional<std::string> SaveFile(const SaveFileRequest&) override { return {}; }
    std::vector<std::string> OpenFiles(const OpenFilesRequest&) override { return files; }
    ConflictAnswer AskConflict(const ConflictRequest&) override {
        return {ConflictChoice::Replace, true};
    }
    std::vector<std::string> files;
};

// The window's side, counting what reaches it.
class CountingWindow : public JobWindow, public PhoneWindow, public UploadWindow {
  public:
    void EnableControls(int, int) override {}
    void SetStatusText(int part, const std::string&) override {
        if (part == kStatusMessagePart) ++messages;
    }
    void SetOverallRange(std::int32_t) override {}
    void SetOverallPosition(std::int32_t) override { ++positions; }
    void ShowFileBar(bool) override {}
    void SetFileRange(std::int32_t) override {}
    void SetFilePosition(std::int32_t) override {}
    Prompts& WindowPrompts() override { return prompts; }
    PhoneWindow& WindowPhone() override { return *this; }
    void ShowWaitCursor() override {}
    bool LibraryReady() const override { return true; }
    std::int32_t Rs232Flag() const override { return 0; }
    std::optional<std::uint16_t> SelectedDevice() const override { return 1; }
    std::string UploadPathText() const override { return "/a/"; }
    std::string LeaveBytesText() const override { return "0"; }
    const VolumeState& Volumes() const override { return volumes; }
    void RefreshFreeSpace() override {}

    NoPrompts prompts;
    VolumeState volumes;
    std::int64_t messages = 0;
    std::int64_t positions = 0;
};

class NoSink : public PstNotificationSink {
  public:
    void OnDeviceListChanged() override {}
};

struct Rig {
    explicit Rig(std::int64_t rate, std::int64_t capacity) {
        image = fs::temp_directory_path() / ("velmora_upload_bench_" + std::to_string(getpid()));
        fs::remove_all(image);
        SimPhoneConfig phone;
        phone.image = image;
        phone.volumes = {{'a', capacity}};
        phone.rate = rate;
        SimConfig config;
        config.phones = {phone};
        pst = std::make_unique<SimulatedPst>(config);
        pst->PSTInitializeEx(1, &sink);
        window.volumes.SetVolumeCount(1);
        window.volumes.SetCachedFreeSpace(static_cast<std::int32_t>(capacity));
        proxy = std::make_shared<JobWindowProxy>(ui, window);
        commands = std::make_unique<UploadCommands>(UploadPorts{
            *pst, window, files, tree, list, icons, TheSystemClock(), proxy,
            [](std::function<void()> worker) { return worker(), true; }, [] { return false; }});
    }
    ~Rig() {
        proxy->Detach();
        pst->PSTUninitialize();
        fs::remove_all(image);
    }

    struct Icons : IconSource {
        IconHandle FileTypeIcon(const std::string&, bool) override { return nullptr; }
    } icons;
    NoSink sink;
    fs::path image;
    std::unique_ptr<SimulatedPst> pst;
    CountingWindow window;
    // The bench plays the window's thread and runs each job on it, so its calls to the window
    // run inline, and what it posts runs once the command returns: the counts cover every
    // update.
    std::shared_ptr<test::PumpedUiThread> ui = std::make_shared<test::PumpedUiThread>();
    std::shared_ptr<JobWindowProxy> proxy;
    NoPrompts prompts;
    FileList files;
    VolumeTree tree{prompts, files};
    FileRows list;
    std::unique_ptr<UploadCommands> commands;
};

// updateRuns: how many runs the window's counts cover.
void Report(benchmark::State& state, const CountingWindow& window, std::int64_t updateRuns,
            std::int64_t bytes, std::int64_t rate, double seconds, std::int64_t runs) {
    state.SetBytesProcessed(bytes * runs);
    state.counters["updates"] =
        static_cast<double>(window.messages) / static_cast<double>(updateRuns);
    state.counters["chunks"] = static_cast<double>((bytes + 1023) / 1024);
    if (rate > 0) {
        state.counters["ratio"] = seconds / static_cast<double>(runs) /
                                  (static_cast<double>(bytes) / static_cast<double>(rate));
    }
}

void Upload(benchmark::State& state, std::int64_t rate, std::int64_t bytes) {
    Rig rig(rate, bytes * 2);
    const fs::path local = rig.image.string() + ".local";
    {
        std::ofstream out(local, std::ios::binary);
        out << std::string(static_cast<std::size_t>(bytes), 'u');
    }
    rig.window.prompts.files = {local.string()};
    double seconds = 0;
    std::int64_t runs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        rig.commands->Upload();
        rig.ui->Drain();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++runs;
    }
    fs::remove(local);
    Report(state, rig.window, runs, bytes, rate, seconds, runs);
}

void Fill(benchmark::State& state, std::int64_t rate, std::int64_t bytes) {
    double seconds = 0;
    std::int64_t runs = 0;
    std::optional<Rig> last;
    for (auto _ : state) {
        state.PauseTiming();
        last.reset();
        last.emplace(rate, bytes);  // an empty volume of exactly the bytes to fill
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        last->commands->FillSpace();
        last->ui->Drain();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++runs;
    }
    Report(state, last->window, 1, bytes, rate, seconds, runs);
}

void BM_UploadUncapped(benchmark::State& state) {
    Upload(state, 0, kBytes);
}
void BM_UploadCapped(benchmark::State& state) {
    Upload(state, kCappedRate, kCappedBytes);
}
void BM_FillUncapped(benchmark::State& state) {
    Fill(state, 0, kBytes);
}
void BM_FillCapped(benchmark::State& state) {
    Fill(state, kCappedRate, kCappedBytes);
}

BENCHMARK(BM_UploadUncapped)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UploadCapped)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_FillUncapped)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillCapped)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace velmora
