// What the window's list costs on screen for the largest search: 65,535 rows, each with its
// five cells and its type's icons, filled into the real wx control.
#include <benchmark/benchmark.h>
#include <wx/frame.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/file_list_view.h"
#include "gui/type_icons.h"

namespace velmora {
namespace {

std::vector<FileEntry> LargestListing(IconSource& icons) {
    static const char* const kTypes[] = {"jpg", "gif", "mp3", "mid", "amr", "jar", "txt", ""};
    std::vector<FileEntry> entries;
    entries.reserve(65535);
    for (int i = 0; i < 65535; ++i) {
        const std::string type = kTypes[i % 8];
        const std::string path = "/a/mobile/folder" + std::to_string(i % 97) + "/file" +
                                 std::to_string(i) + (type.empty() ? "" : "." + type);
        auto entry = MakeFileEntry(path, path, 0, 0, i * 13);
        entry.smallIcon = icons.FileTypeIcon(entry.type, false);
        entry.largeIcon = icons.FileTypeIcon(entry.type, true);
        entries.push_back(std::move(entry));
    }
    return entries;
}

void BM_FlatFillOfTheLargestSearch(benchmark::State& state) {
    DesktopIconSource icons;
    const auto entries = LargestListing(icons);
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Velmora", wxDefaultPosition, wxSize(660, 420));
    FileRows model;
    auto* view = new FileListView(frame, model);
    view->SetSize(175, 1, 380, 370);
    frame->Show();
    for (auto _ : state) {
        model.FillFlat(entries);
        benchmark::DoNotOptimize(view->GetItemCount());
    }
    state.counters["rows"] = view->GetItemCount();
    frame->Destroy();
}
BENCHMARK(BM_FlatFillOfTheLargestSearch)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace velmora
