// Matches 10,000,000 realistic file names against the built-in filter set and reports names
// per second (items per second), the rate a scan's walk needs from the matcher.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "filters/FilterSet.h"

namespace {

constexpr std::size_t kNamesPerRun = 10'000'000;
constexpr std::size_t kDistinctNames = 1 << 16;

// Extensions roughly as a developer's or office disk holds them; the built-in filters catch
// about a third of the names.
const char* const kExtensions[] = {
    "jpg",  "JPG", "png", "txt", "TXT", "dll", "DLL", "exe", "h",   "cpp", "o",   "obj", "py",  "js",
    "html", "htm", "bak", "tmp", "doc", "pdf", "PDF", "zip", "gif", "bmp", "ocx", "arj", "xml", "json",
    "log",  "dat", "mp3", "wav", "ini", "lnk", "gz",  "",    "",    "md",  "css", "svg", "ttf", "mcr",
};
const char* const kStems[] = {"report",  "IMG_", "setup", "readme", "Makefile", "index", "photo",  "backup",
                              "library", "data", "Thumb", "notes",  "invoice",  "draft", "module", "test"};

std::vector<std::string> MakeNames() {
    std::mt19937 random(20240611);
    std::vector<std::string> names;
    names.reserve(kDistinctNames);
    for (std::size_t i = 0; i < kDistinctNames; ++i) {
        std::string name;
        if (random() % 50 == 0) {
            name += '~';  // lock and temporary files of editors
        }
        name += kStems[random() % std::size(kStems)];
        name += std::to_string(random() % 100000);
        if (random() % 20 == 0) {
            name += ".tar";  // a second dot
        }
        const char* extension = kExtensions[random() % std::size(kExtensions)];
        if (*extension != '\0') {
            name += '.';
            name += extension;
        }
        names.push_back(std::move(name));
    }
    return names;
}

void BM_MatchBuiltInFilters(benchmark::State& state) {
    const std::vector<std::string> names = MakeNames();
    qv::FilterSet set;
    set.SetBuiltIn();
    char buffer[512];
    std::size_t matched = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < kNamesPerRun; ++i) {
            // Matching folds the name in place: work on a fresh copy as a scan does.
            const std::string& name = names[i % kDistinctNames];
            std::memcpy(buffer, name.c_str(), name.size() + 1);
            bool temporary = false;
            matched += set.MatchFile(buffer, 1000, 4096, &temporary) ? 1 : 0;
        }
    }
    benchmark::DoNotOptimize(matched);
    const double runs = static_cast<double>(state.iterations());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kNamesPerRun));
    state.counters["matched_share"] = static_cast<double>(matched) / (runs * kNamesPerRun);
    state.counters["total_hits"] = set.TotalHits();
}
BENCHMARK(BM_MatchBuiltInFilters)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
