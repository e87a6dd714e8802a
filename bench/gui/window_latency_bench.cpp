// Whether the main window stays live while a transfer runs: the real window on the emulated
// phone (link uncapped, so the worker sends updates as fast as it can), a 16 MiB Download and
// then a 16 MiB Upload started with the window's own buttons, and the window's event loop run
// as the program runs it. A one-shot wx timer re-armed on every tick measures how late the
// loop serves it; p50, p99 and the worst lateness over both transfers are the figures, beside
// each transfer's bytes per second.
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <wx/evtloop.h>
#include <wx/listctrl.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "gui/gui_pump.h"
#include "gui/main_frame.h"
#include "sim/simulated_pst.h"
#include "support/fakes.h"
#include "transfer/job.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::ChildNamed;

constexpr std::size_t kFileBytes = std::size_t{16} << 20;
constexpr int kProbeMs = 4;
// After the job's end, what it posted last is shown within this.
constexpr std::chrono::milliseconds kSettle{100};

// The window's event loop, run until `done` holds, with every tick's lateness noted.
class LatencyProbe final : public wxTimer {
  public:
    // Runs `start` (a click), then the loop until `done` holds.
    void Run(const std::function<void()>& start, const std::function<bool()>& done) {
        m_done = done;
        wxGUIEventLoop loop;
        m_loop = &loop;
        m_armed = Clock::now();
        StartOnce(kProbeMs);
        start();
        loop.Run();
        m_loop = nullptr;
    }
    void Notify() override {
        const auto now = Clock::now();
        const std::chrono::duration<double, std::milli> late =
            now - m_armed - std::chrono::milliseconds(kProbeMs);
        m_lateness.push_back(std::max(late.count(), 0.0));
        if (m_done()) {
            m_loop->Exit();
            return;
        }
        m_armed = Clock::now();
        StartOnce(kProbeMs);
    }
    std::vector<double>& Lateness() { return m_lateness; }

  private:
    std::function<bool()> m_done;
    wxGUIEventLoop* m_loop = nullptr;
    Clock::time_point m_armed;
    std::vector<double> m_lateness;
};

double Quantile(std::vector<double> sorted, double q) {
    if (sorted.empty()) return 0;
    std::sort(sorted.begin(), sorted.end());
    const auto rank = static_cast<std::size_t>(q * static_cast<double>(sorted.size()));
    return sorted[std::min(rank, sorted.size() - 1)];
}

void WritePattern(const fs::path& path, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 31 + 7);
    std::ofstream(path, std::ios::binary) << bytes;
}

class WindowRig {
  public:
    WindowRig() {
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "local");
        SimPhoneConfig phone;
        phone.image = m_folder / "phone";
        phone.volumes = {{'a', std::int64_t{64} << 20}};
        SimConfig config;
        config.phones = {phone};
        pst = std::make_unique<SimulatedPst>(config);
        std::vector<std::uint8_t> bytes(kFileBytes);
        for (std::size_t i = 0; i < kFileBytes; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13);
        pst->WithPhone(1, [&](SimPhone& p) { p.PutFile("/a/bench/big.bin", bytes); });
        WritePattern(m_folder / "local" / "up.bin", kFileBytes);
    }
    ~WindowRig() {
        if (frame) {
            frame->CloseWindow();
            test::PumpUntil([] { return wxTopLevelWindows.IsEmpty(); });
        }
        Jobs().WaitUntilIdle(std::chrono::seconds(10));
        pst->PSTUninitialize();
        fs::remove_all(m_folder);
    }
    WindowRig(const WindowRig&) = delete;
    WindowRig& operator=(const WindowRig&) = delete;

    // The window open on the phone, the folder of big.bin listed; false when it never was.
    bool Open() {
        frame = new MainFrame(*pst, user, shell, "/opt/velmora/");
        frame->Show();
        frame->AnswerPromptsFrom(&prompts);
        m_tree = dynamic_cast<wxTreeCtrl*>(frame->Control(kIdTree));
        m_list = dynamic_cast<wxListCtrl*>(frame->Control(kIdFileList));
        if (!m_tree || !m_list) return false;
        if (!test::PumpUntil([&] {
                return m_tree->GetRootItem().IsOk() && !frame->Model().PollingActive() &&
                       ChildNamed(*m_tree, m_tree->GetRootItem(), "/a").IsOk();
            })) {
            return false;
        }
        m_tree->SelectItem(ChildNamed(*m_tree, m_tree->GetRootItem(), "/a"));
        Click(kIdGetFileList);
        if (!test::PumpUntil([] { return !JobBusy(); })) return false;
        const wxTreeItemId bench =
            ChildNamed(*m_tree, ChildNamed(*m_tree, m_tree->GetRootItem(), "/a"), "bench");
        if (!bench.IsOk()) return false;
        m_tree->SelectItem(bench);
        return test::PumpUntil([&] { return m_list->GetItemCount() == 1; });
    }

    // Runs the window's loop from the click of buttonId until the job has ended and settled;
    // the job's seconds from the click to its end.
    double Transfer(LatencyProbe& probe, int buttonId) {
        // What the last selection started (the folder's free space) must not refuse the click.
        if (!test::PumpUntil([] { return !JobBusy(); })) return -1;
        Clock::time_point started;
        Clock::time_point ended;
        bool ran = false;
        probe.Run(
            [&] {
                started = Clock::now();
                Click(buttonId);
            },
            [&] {
                if (JobBusy()) {
                    ran = true;
                    return false;
                }
                if (!ran) return Clock::now() - started > std::chrono::seconds(5);
                if (ended == Clock::time_point{}) ended = Clock::now();
                return Clock::now() - ended > kSettle;
            });
        return ran ? std::chrono::duration<double>(ended - started).count() : -1;
    }

    void SelectOnlyRow(long row) {
        for (long r = 0; r < m_list->GetItemCount(); ++r) {
            m_list->SetItemState(r, r == row ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
        }
    }
    long Rows() const { return m_list->GetItemCount(); }
    fs::path Local(const std::string& name) const { return m_folder / "local" / name; }
    std::uintmax_t PhoneSize(const std::string& phonePath) {
        std::uintmax_t size = 0;
        pst->WithPhone(1, [&](SimPhone& p) {
            if (auto host = p.HostPath(phonePath); host && fs::exists(*host))
                size = fs::file_size(*host);
        });
        return size;
    }

    std::unique_ptr<SimulatedPst> pst;
    test::MemorySettingsStore user;
    test::NullShell shell;
    test::FakePrompts prompts;
    MainFrame* frame = nullptr;

  private:
    void Click(int buttonId) {
        wxCommandEvent click(wxEVT_BUTTON, buttonId);
        click.SetEventObject(frame->Control(buttonId));
        frame->Control(buttonId)->ProcessWindowEvent(click);
    }

    fs::path m_folder =
        fs::temp_directory_path() / ("velmora_latency_bench_" + std::to_string(::getpid()));
    wxTreeCtrl* m_tree = nullptr;
    wxListCtrl* m_list = nullptr;
};

void BM_WindowLatencyDuringTransfers(benchmark::State& state) {
    for (auto _ : state) {
        WindowRig rig;
        if (!rig.Open()) {
            state.SkipWithError("the window never listed the phone");
            return;
        }
        LatencyProbe probe;

        rig.SelectOnlyRow(0);
        rig.prompts.saveAnswers = {rig.Local("big.bin").string()};
        const double down = rig.Transfer(probe, kIdDownload);
        const std::size_t downSamples = probe.Lateness().size();
        const double downWorst = Quantile(probe.Lateness(), 1.0);

        rig.prompts.openAnswers = {{rig.Local("up.bin").string()}};
        const double up = rig.Transfer(probe, kIdUpload);
        const std::vector<double> upOnly(
            probe.Lateness().begin() + static_cast<std::ptrdiff_t>(downSamples),
            probe.Lateness().end());

        const char* failure = nullptr;
        if (!rig.prompts.Boxes().empty()) {
            std::fprintf(stderr, "box: %s\n", rig.prompts.Texts().front().c_str());
            failure = "a transfer showed a box";
        } else if (down <= 0 || !fs::exists(rig.Local("big.bin")) ||
                   fs::file_size(rig.Local("big.bin")) != kFileBytes) {
            failure = "the download did not complete";
        } else if (up <= 0 || rig.PhoneSize("/a/bench/up.bin") != kFileBytes) {
            failure = "the upload did not complete";
        } else if (rig.Rows() != 2) {
            failure = "the list does not show the uploaded file";
        }
        if (failure) {
            state.SkipWithError(failure);
            return;
        }
        const auto& all = probe.Lateness();
        const double p50 = Quantile(all, 0.5);
        const double p99 = Quantile(all, 0.99);
        const double worst = Quantile(all, 1.0);
        const double bytes = static_cast<double>(kFileBytes);
        state.counters["p50_ms"] = p50;
        state.counters["p99_ms"] = p99;
        state.counters["max_ms"] = worst;
        state.counters["download_max_ms"] = downWorst;
        state.counters["upload_max_ms"] = Quantile(upOnly, 1.0);
        state.counters["samples"] = static_cast<double>(all.size());
        state.counters["download_bytes_per_second"] = bytes / down;
        state.counters["upload_bytes_per_second"] = bytes / up;
        // On stderr: stdout carries the report, JSON included.
        std::fprintf(
            stderr,
            "window loop lateness over %zu ticks: p50 %.2f ms, p99 %.2f ms, max %.2f ms "
            "(download max %.2f, upload max %.2f); download %.1f MiB/s, upload %.1f MiB/s\n",
            all.size(), p50, p99, worst, downWorst, Quantile(upOnly, 1.0), bytes / down / (1 << 20),
            bytes / up / (1 << 20));
    }
}
BENCHMARK(BM_WindowLatencyDuringTransfers)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace velmora
