// Get File List on the program's own window, from the click to the folder view: the largest
// volume read on the reader's worker from the emulated phone at full speed, every window call
// carried over by wx's event queue, the tree and the file list drawn by the real controls.
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/treectrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "fsac/file_list.h"
#include "gui/main_frame.h"
#include "listing_ports.h"
#include "sim/simulated_pst.h"
#include "transfer/job.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"
#include "volume_shape.h"

namespace velmora {
namespace {

// The window's event loop as the program runs it, until done holds; false after limit.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(120)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        if (!wxTheApp->HasPendingEvents())
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

void GetFileListInWindow(benchmark::State& state, const VolumeShape& shape) {
    SimulatedPst pst(PhoneOfShape(shape));
    NoSettings user;
    test::NullShell shell;
    FailingPrompts prompts;

    auto* frame = new MainFrame(pst, user, shell, "/opt/velmora/", &prompts);
    frame->Show();
    auto* tree = dynamic_cast<wxTreeCtrl*>(frame->Control(kIdTree));
    auto* list = dynamic_cast<wxListCtrl*>(frame->Control(kIdFileList));
    // The device poll has found the phone and named the tree's root.
    const bool ready = PumpUntil([&] {
        return tree->GetRootItem().IsOk() && tree->GetChildrenCount(tree->GetRootItem()) > 0 &&
               !frame->Model().PollingActive();
    });
    if (!ready) state.SkipWithError("the phone never appeared");
    const auto folderItems = static_cast<std::size_t>(FolderCount(shape));
    for (auto _ : state) {
        if (!ready) break;
        wxCommandEvent click(wxEVT_BUTTON, kIdGetFileList);
        click.SetEventObject(frame->Control(kIdGetFileList));
        frame->Control(kIdGetFileList)->ProcessWindowEvent(click);
        // The end: the job has returned and the volume's files fill the list.
        const bool ended = PumpUntil([&] {
            return !JobBusy() && list->GetItemCount() == shape.rootFiles &&
                   frame->Control(kIdGetFileList)->IsEnabled();
        });
        // Root, volume and every folder, the placeholders gone.
        if (!ended || TheFileList().Count() != kEntries || tree->GetCount() != folderItems + 2) {
            state.SkipWithError("the listing did not arrive whole");
            break;
        }
    }
    state.counters["entries"] = TheFileList().Count();
    state.counters["tree items"] = static_cast<double>(tree->GetCount());
    state.counters["folder rows"] = list->GetItemCount();
    frame->CloseWindow();
    PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }, std::chrono::seconds(20));
    pst.PSTUninitialize();
}

// Target: under a second from the click to the folder view.
void BM_GetFileListInWindowInFolders(benchmark::State& state) {
    GetFileListInWindow(state, kFoldersShape);
}
BENCHMARK(BM_GetFileListInWindowInFolders)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

void BM_GetFileListInWindow(benchmark::State& state) {
    GetFileListInWindow(state, kFlatShape);
}
BENCHMARK(BM_GetFileListInWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace velmora
