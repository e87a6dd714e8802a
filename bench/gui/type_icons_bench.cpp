// The cost of giving a full listing (65,535 entries, the most a search can announce) its
// icons, with the per-type cache warm and cold, against what one theme lookup costs.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/type_icons.h"

namespace velmora {
namespace {

constexpr int kEntries = 65535;

// About what a P2K phone holds: mostly pictures, ringtones and Java, some system files, a few
// names without a type; weights are entries per 100.
std::vector<std::string> PhoneTypes() {
    const struct {
        const char* type;
        int weight;
    } mix[] = {{"jpg", 20}, {"JPG", 5}, {"gif", 8}, {"png", 4}, {"bmp", 3}, {"mp3", 12}, {"mid", 8},
               {"amr", 5},  {"wav", 3}, {"3gp", 4}, {"mp4", 2}, {"jar", 6}, {"jad", 4},  {"txt", 3},
               {"vcf", 2},  {"xml", 2}, {"lng", 2}, {"db", 2},  {"cfg", 2}, {"", 3}};
    std::vector<std::string> pattern;
    for (const auto& m : mix) pattern.insert(pattern.end(), m.weight, m.type);
    std::vector<std::string> types;
    types.reserve(kEntries);
    // A stride coprime to the pattern's length scatters the types like a real listing.
    for (std::size_t i = 0; i < kEntries; ++i) types.push_back(pattern[(i * 37) % pattern.size()]);
    return types;
}

void CallEveryEntry(DesktopIconSource& icons, const std::vector<std::string>& types) {
    for (std::size_t i = 0; i < types.size(); ++i) {
        benchmark::DoNotOptimize(icons.FileTypeIcon(types[i], (i & 1) != 0));
    }
}

void BM_FileTypeIconWarmCache(benchmark::State& state) {
    DesktopIconSource icons;
    const auto types = PhoneTypes();
    CallEveryEntry(icons, types);
    const int lookups = icons.LookupCount();
    for (auto _ : state) CallEveryEntry(icons, types);
    state.SetItemsProcessed(state.iterations() * kEntries);
    state.counters["theme_lookups"] = icons.LookupCount() - lookups;
}
BENCHMARK(BM_FileTypeIconWarmCache)->Unit(benchmark::kMillisecond);

// A new source each time: its two fallback lookups, one lookup per type and size, then hits.
void BM_FileTypeIconColdCache(benchmark::State& state) {
    const auto types = PhoneTypes();
    int lookups = 0;
    for (auto _ : state) {
        DesktopIconSource icons;
        CallEveryEntry(icons, types);
        lookups = icons.LookupCount();
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
    state.counters["theme_lookups"] = lookups;
}
BENCHMARK(BM_FileTypeIconColdCache)->Unit(benchmark::kMillisecond);

// One miss: what every call would cost without the cache.
void BM_OneThemeLookup(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto icons = std::make_unique<DesktopIconSource>();
        state.ResumeTiming();
        benchmark::DoNotOptimize(icons->FileTypeIcon("jpg", true));
        state.PauseTiming();
        icons.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OneThemeLookup)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmora
