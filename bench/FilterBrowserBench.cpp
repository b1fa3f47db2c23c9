// bench_filter_browser: how long the filtered files browser takes to build its folder tree and
// folder list from a report of about 100,000 folders in which every folder has files of the
// filter (the worst case: every folder is visited and listed).
//
// The report is made in memory with the attributes a scan writes, in the scanner's order, for
// six filters: ALC, the 1-3 codes of each filter, LFN, MFS, NFA, OFN, ELT, BTM, FCA, the 4-6
// codes, DRM, CRP; folders with files and sub-folders get their files item.
#include <benchmark/benchmark.h>

#include <string>

#include "core/Report.h"
#include "view/FilterBrowserModel.h"

namespace {

using namespace qv;

constexpr int kFilters = 6;

class NoHost : public BrowserHost {
  public:
    int Ask(const std::string&, const std::string&, int) override { return kAnsweredCancel; }
    std::string DisplayName(const std::string&, const std::string& fileName) override { return fileName; }
    DeleteOutcome Delete(const std::vector<std::string>&, bool, bool, bool) override { return {}; }
};

std::string FilterName(int index) {
    return index == kFilters - 1 ? "Temporary" : "Filter " + std::to_string(index);
}

// Writes a folder's attributes; `own` files of every filter directly in it, `total` below it.
void WriteFolder(FolderRecord* node, const std::string& path, std::int64_t own, std::int64_t total) {
    WriteText(node, ALC, path.c_str(), false);
    for (int f = 0; f < kFilters; ++f) {
        node->attrs.Set(FilterKey(kFilterFiles, FilterName(f)).c_str(), AttrValue(static_cast<std::int32_t>(total)),
                        false);
        WriteStat(node, FilterKey(kFilterSize, FilterName(f)).c_str(), total * 1000, false);
        WriteStat(node, FilterKey(kFilterAllocated, FilterName(f)).c_str(), total * 4096, false);
    }
    for (const char* key : {LFN, MFS, NFA, OFN, ELT, BTM}) {
        WriteStat(node, key, total * 3, false);
    }
    node->attrs.Set(FCA, AttrValue(std::int32_t{1}), false);
    for (int f = 0; f < kFilters; ++f) {
        WriteStat(node, FilterKey(kFilterDirectFiles, FilterName(f)).c_str(), own, false);
        WriteStat(node, FilterKey(kFilterDirectSize, FilterName(f)).c_str(), own * 1000, false);
        WriteStat(node, FilterKey(kFilterDirectAllocated, FilterName(f)).c_str(), own * 4096, false);
    }
    WriteText(node, DRM, "1/1/2027 at 12:00", false);
    node->attrs.Set(CRP, AttrValue(std::int32_t{1}), false);
}

// A folder with `children` sub-folders of `grandChildren` each, ... (depth given by the list);
// every folder holds 2 files of each filter. Returns its total.
std::int64_t AddTree(FolderRecord* node, const std::string& path, const int* fanOut, std::int64_t* folders) {
    ++*folders;
    constexpr std::int64_t kOwn = 2;
    std::int64_t total = kOwn;
    if (*fanOut != 0) {
        FolderRecord* filesItem = CreateNode(node, "{files}");
        filesItem->group = 1;
        WriteFolder(filesItem, path, kOwn, kOwn);
        for (int i = 0; i < *fanOut; ++i) {
            const std::string name = "folder" + std::to_string(i);
            FolderRecord* child = CreateNode(node, name.c_str());
            total += AddTree(child, path + "\\" + name, fanOut + 1, folders);
        }
    }
    WriteFolder(node, path, kOwn, total);
    return total;
}

void BM_BuildFolderLists(benchmark::State& state) {
    Report report;
    FilterSet filters;
    filters.SetEditing(true);
    for (int f = 0; f < kFilters; ++f) {
        FilterInfo info;
        info.name = FilterName(f);
        info.masks = "*.f" + std::to_string(f);
        info.temporary = f == kFilters - 1;
        filters.AddFilter(info);
    }
    filters.SetEditing(false);
    static const int kFanOut[] = {100, 100, 9, 0};
    std::int64_t folders = 0;
    FolderRecord* root = CreateNode(nullptr, "C:\\bench");
    AddTree(root, "C:\\bench", kFanOut, &folders);
    report.SetRoot(root);
    const ClusterPolicy policy;
    NoHost host;
    std::size_t listed = 0;
    for (auto _ : state) {
        FilterBrowserModel model(&host);
        model.Open(&filters, kFilters, root, &policy, "C:\\bench");
        listed = model.Entries().size();
        benchmark::DoNotOptimize(listed);
    }
    state.counters["folders"] = static_cast<double>(folders);
    state.counters["listed"] = static_cast<double>(listed);
}
BENCHMARK(BM_BuildFolderLists)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
