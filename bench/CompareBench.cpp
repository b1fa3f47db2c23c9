// "What's new" on a large report: a 100,000-folder tree is made on disk, scanned, saved and opened
// as a report; then a few hundred folders change (new files, folders created and deleted), the
// tree is scanned afresh, and the benchmark times Compare of the two roots and the building and
// sorting of the flat list. A second case compares one folder with 100,000 sub-folders whose
// order on disk changed, to show the matching is not quadratic.
//
// The tree goes to a scratch folder under the system's temporary folder (or $QV_BENCH_DIR) and is
// removed at the end.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/ReportFile.h"
#include "core/Scanner.h"
#include "view/Comparison.h"
#include "view/DifferenceList.h"
#include "view/ItemTitle.h"

namespace {

namespace fs = std::filesystem;

// 10 top folders x 100 x 100 = 100,000 leaves, 101,010 folders in all; every seventh leaf holds
// a file.
constexpr int kTop = 10;
constexpr int kMiddle = 100;
constexpr int kLeaves = 100;

// prefix and number; appended rather than concatenated, which GCC 12 warns about wrongly.
std::string Named(const char* prefix, int number) {
    std::string name = prefix;
    name += std::to_string(number);
    return name;
}

std::string LeafPath(const fs::path& root, int top, int middle, int leaf) {
    return (root / Named("t", top) / Named("m", middle) / Named("leaf", leaf)).string();
}

void WriteFile(const fs::path& path, std::size_t size) {
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

void MakeTree(const fs::path& root) {
    for (int top = 0; top < kTop; ++top) {
        for (int middle = 0; middle < kMiddle; ++middle) {
            for (int leaf = 0; leaf < kLeaves; ++leaf) {
                const fs::path folder = LeafPath(root, top, middle, leaf);
                fs::create_directories(folder);
                if ((top * kMiddle * kLeaves + middle * kLeaves + leaf) % 7 == 0) {
                    WriteFile(folder / "data.bin", 100 + static_cast<std::size_t>(leaf));
                }
            }
        }
    }
}

// 1,000 folders get a new file, 100 lose their sub-tree, 100 new folders appear.
void ChangeTree(const fs::path& root) {
    for (int i = 0; i < 1000; ++i) {
        WriteFile(fs::path(LeafPath(root, i % kTop, (i / kTop) % kMiddle, i % kLeaves)) / "new.bin", 4096);
    }
    for (int i = 0; i < 100; ++i) {
        fs::remove_all(fs::path(LeafPath(root, (i + 3) % kTop, (i * 7) % kMiddle, 0)).parent_path() /
                       Named("leaf", 50 + i % 50));
        fs::create_directories(root / Named("t", i % kTop) / Named("new", i));
    }
}

std::unique_ptr<qv::Report> Scan(const std::string& path) {
    auto report = std::make_unique<qv::Report>();
    qv::FilterSet filters;
    filters.SetBuiltIn();
    report->SetFilters(&filters);
    auto policy = std::make_unique<qv::ClusterPolicy>();
    policy->Compute(path, 0);
    report->SetPolicy(std::move(policy));
    report->SetCreated(qv::CreatedText(qv::platform::Now()));
    qv::ScanControl control;
    control.titles = qv::ComposeTitlesWith(qv::TreeViewOptions());
    return qv::ScanReport(report.get(), path, control) != nullptr ? std::move(report) : nullptr;
}

struct Reports {
    std::unique_ptr<qv::Report> saved;  // the report as opened from its file
    std::unique_ptr<qv::Report> fresh;
    std::int64_t folders = 0;
};

Reports& LargeReports() {
    static Reports reports = [] {
        Reports made;
        const char* base = std::getenv("QV_BENCH_DIR");
        const fs::path scratch = fs::path(base != nullptr ? base : fs::temp_directory_path().string()) /
                                 Named("qv-compare-bench-", static_cast<int>(qv::platform::Now() % 1000000007ULL));
        const fs::path tree = scratch / "tree";
        MakeTree(tree);
        const std::string file = (scratch / "tree.mcr").string();
        std::unique_ptr<qv::Report> first = Scan(tree.string());
        made.saved = std::make_unique<qv::Report>();
        if (first == nullptr || !qv::SaveReport(first.get(), file) ||
            !qv::OpenReport(made.saved.get(), file, qv::ComposeTitlesWith(qv::TreeViewOptions()))) {
            std::fprintf(stderr, "could not scan, save and reopen %s\n", tree.string().c_str());
            std::exit(1);
        }
        ChangeTree(tree);
        made.fresh = Scan(tree.string());
        made.folders = qv::ReadStat(made.saved->Root(), qv::OFN) + 1;
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
        return made;
    }();
    return reports;
}

void BM_CompareLargeReport(benchmark::State& state) {
    Reports& reports = LargeReports();
    std::size_t nodes = 0;
    for (auto _ : state) {
        qv::DifferenceNode* root = qv::Compare(reports.saved->Root(), reports.fresh->Root());
        state.PauseTiming();
        nodes = 0;
        for (qv::DifferenceNode* node = root; node != nullptr;) {
            ++nodes;
            if (node->firstChild != nullptr) {
                node = node->firstChild;
                continue;
            }
            while (node != nullptr && node->nextSibling == nullptr) {
                node = node->parent;
            }
            node = node != nullptr ? node->nextSibling : nullptr;
        }
        qv::DeleteNode(root);
        state.ResumeTiming();
    }
    state.counters["folders"] = static_cast<double>(reports.folders);
    state.counters["diff_nodes"] = static_cast<double>(nodes);
}

void BM_ListLargeReport(benchmark::State& state) {
    Reports& reports = LargeReports();
    qv::DifferenceNode* root = qv::Compare(reports.saved->Root(), reports.fresh->Root());
    std::size_t rows = 0;
    for (auto _ : state) {
        std::vector<qv::DifferenceRow> list = qv::BuildDifferenceRows(root);
        qv::SortDifferenceRows(&list, qv::kDiffSortPath);
        rows = list.size();
    }
    qv::DeleteNode(root);
    state.counters["rows"] = static_cast<double>(rows);
}

// One folder with 100,000 sub-folders; the fresh side lists them in reverse order with every
// hundredth renamed, so a first-match search by walking the list would take some 5e9 steps.
void BM_CompareWideFolder(benchmark::State& state) {
    constexpr int kChildren = 100000;
    qv::FolderRecord* old = qv::CreateNode(nullptr, "wide");
    qv::FolderRecord* fresh = qv::CreateNode(nullptr, "wide");
    for (qv::FolderRecord* root : {old, fresh}) {
        root->SetDesc("wide");
        qv::WriteText(root, qv::ALC, "/wide", false);
    }
    for (int i = 0; i < kChildren; ++i) {
        const std::string oldName = Named("folder", i);
        const int mirrored = kChildren - 1 - i;
        const std::string freshName = Named("folder", mirrored) + (mirrored % 100 == 0 ? "x" : "");
        qv::FolderRecord* a = qv::CreateNode(old, oldName.c_str());
        a->SetDesc(oldName.c_str());
        qv::WriteText(a, qv::ALC, ("/wide/" + oldName).c_str(), false);
        qv::WriteStat(a, qv::MFS, 1000, false);
        qv::FolderRecord* b = qv::CreateNode(fresh, freshName.c_str());
        b->SetDesc(freshName.c_str());
        qv::WriteText(b, qv::ALC, ("/wide/" + freshName).c_str(), false);
        qv::WriteStat(b, qv::MFS, 1000, false);
    }
    for (auto _ : state) {
        qv::DifferenceNode* root = qv::Compare(old, fresh);
        benchmark::DoNotOptimize(root);
        state.PauseTiming();
        qv::DeleteNode(root);
        state.ResumeTiming();
    }
    qv::DeleteNode(old);
    qv::DeleteNode(fresh);
    state.counters["children"] = kChildren;
}

BENCHMARK(BM_CompareLargeReport)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ListLargeReport)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CompareWideFolder)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
