// Download of a 16 MiB file from the emulated phone through the Download command, every chunk
// updating the window: with the link uncapped (what the program itself costs) and with the
// link at 1 MiB/s (how close the job stays to the link's own time: "ratio").
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>

#include "base/system_clock.h"
#include "fsac/file_list.h"
#include "transfer/stop_flag.h"
#include "transfer_bench_rig.h"
#include "ui/download_commands.h"

namespace velmora {
namespace {

constexpr std::int32_t kFileBytes = 16 << 20;
constexpr std::int64_t kCappedRate = 1 << 20;
// Each chunk crosses the link as a 10-byte read request and its 1024-byte reply; open and
// close add a few hundred bytes.
constexpr std::int64_t kLinkBytes = std::int64_t{kFileBytes} / 1024 * (10 + 1024) + 270 + 4;

class NoShell final : public Shell {
  public:
    ShellResult Open(const std::string&) override { return {}; }
    ShellResult OpenWith(const std::string&) override { return {}; }
    ShellResult OpenFile(const std::string&, const std::string&) override { return {}; }
    ShellResult OpenFileWith(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> HtmlHandlerCommand() override { return std::nullopt; }
    ShellResult Run(const std::string&) override { return {}; }
    std::string TempFolder() override { return "/tmp/"; }
};

void DownloadSixteenMebibytes(benchmark::State& state) {
    const std::int64_t rate = state.range(0);
    bench::TransferRig rig(rate);
    rig.PutPhoneFile("/a/big.bin", kFileBytes);
    FileList files;
    files.Allocate(1);
    files.SetEntry(0, MakeFileEntry("/a/big.bin", "/a/big.bin", 0, 0, kFileBytes));
    VolumeTree tree(rig.window, files);
    FileRows list;
    NoShell shell;
    list.FillFlat(files);
    list.SetRowSelected(0, true);
    DownloadCommands commands(
        DownloadPorts{*rig.pst, rig.window, rig.window, files, tree, list, shell, TheSystemClock(),
                      [] { return false; }, rig.LocalFolder().string() + "/", rig.proxy,
                      [](std::function<void()> worker) { return StartJob(std::move(worker)); },
                      [] { return JobBusy(); }});
    rig.window.saveAnswer = (rig.LocalFolder() / "big.bin").string();

    double seconds = 0;
    for (auto _ : state) {
        const auto took = rig.RunOnWindow([&] { commands.Download(); });
        seconds += took.count();
        state.SetIterationTime(std::max(took.count(), 0.0));
        if (took.count() < 0 || !rig.window.boxes.empty() ||
            rig.window.lastPosition != kFileBytes ||
            std::filesystem::file_size(rig.LocalFolder() / "big.bin") != kFileBytes) {
            state.SkipWithError("the download did not complete");
            break;
        }
    }
    const double perRun = seconds / static_cast<double>(state.iterations());
    state.counters["bytes_per_second"] = static_cast<double>(kFileBytes) / perRun;
    if (rate > 0) state.counters["ratio"] = perRun / bench::LinkSeconds(kLinkBytes, rate);
    state.counters["window_updates"] = static_cast<double>(rig.window.updates);
    state.counters["most_queued"] = static_cast<double>(rig.ui->MostQueued());
}

BENCHMARK(DownloadSixteenMebibytes)
    ->ArgName("rate")
    ->Arg(0)
    ->Arg(kCappedRate)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
}  // namespace velmora
