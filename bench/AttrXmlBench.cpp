// Throughput of the attribute-tree XML writer and reader on a report-sized tree: one million
// folders with eleven statistics each, as a scan of a large disk produces them.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "attr/AttrXml.h"

namespace {

constexpr int kFolders = 1000000;

// A small deterministic generator, so every run measures the same tree.
class Random {
  public:
    std::uint32_t Next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(m_state >> 33);
    }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }

  private:
    std::uint64_t m_state = 12345;
};

void AddStatistics(qv::AttrNode* folder, const std::string& path, Random& random) {
    const std::int64_t bytes = static_cast<std::int64_t>(random.Next()) * (1 + random.Below(64));
    folder->attrs.Reserve(11);
    folder->attrs.Set("ALC", qv::AttrValue(path.c_str()), false);
    folder->attrs.Set("LFN", qv::AttrValue(std::int64_t{random.Below(5000)}), false);
    folder->attrs.Set("MFS", qv::AttrValue(bytes), false);
    folder->attrs.Set("NFA", qv::AttrValue(bytes + random.Below(1 << 20)), false);
    folder->attrs.Set("OFN", qv::AttrValue(std::int64_t{random.Below(40)}), false);
    folder->attrs.Set("ELT", qv::AttrValue(std::int64_t{13300000000LL + random.Below(100000000)}), false);
    folder->attrs.Set("BTM", qv::AttrValue(std::int64_t{13200000000LL + random.Below(100000000)}), false);
    folder->attrs.Set("FCA", qv::AttrValue(std::int32_t(random.Below(2))), false);
    folder->attrs.Set("DRM", qv::AttrValue::Borrowed("06.12.2025 at 07:41:00"), false);
    folder->attrs.Set("CRP", qv::AttrValue(std::int32_t{17}), false);
    folder->attrs.Set("1N@F:Temporary files", qv::AttrValue(std::int32_t(random.Below(100))), false);
}

// Breadth first, each folder with 0 to 10 sub-folders (about five on average), which gives
// a tree some ten levels deep, like a real disk.
qv::AttrNode* BuildReport() {
    Random random;
    qv::AttrNode* root = qv::CreateNode(nullptr, "C:\\ 931 GB");
    root->SetDesc("0.0.4");
    root->attrs.Set("?drive?", qv::AttrValue("C:\\"), false);
    struct Pending {
        qv::AttrNode* node;
        std::string path;
    };
    std::deque<Pending> queue{{root, "C:"}};
    int made = 1;
    while (made < kFolders && !queue.empty()) {
        Pending folder = std::move(queue.front());
        queue.pop_front();
        const int children = static_cast<int>(random.Below(11));
        for (int i = 0; i < children && made < kFolders; ++i, ++made) {
            const std::string name = "Folder " + std::to_string(made);
            const std::string title = name + " (" + std::to_string(random.Below(999)) + " MB)";
            qv::AttrNode* child = qv::CreateNode(folder.node, title.c_str());
            child->SetDesc(name.c_str());
            child->kind = static_cast<std::int32_t>(random.Below(10));
            child->val = random.Next();
            std::string path = folder.path + "\\" + name;
            AddStatistics(child, path, random);
            queue.push_back({child, std::move(path)});
        }
        if (queue.empty() && made < kFolders) {
            queue.push_back({root, "C:"});  // a run of leaves: keep growing from the root
        }
    }
    return root;
}

qv::AttrNode* Report() {
    static qv::AttrNode* report = BuildReport();
    return report;
}

const std::string& ReportText() {
    static const std::string text = [] {
        std::string out;
        qv::WriteTreeToString(Report(), true, "report.xsl", &out);
        return out;
    }();
    return text;
}

void BM_WriteToString(benchmark::State& state) {
    std::string out;
    for (auto _ : state) {
        qv::WriteTreeToString(Report(), true, "report.xsl", &out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
    state.counters["MB"] = static_cast<double>(out.size()) / 1e6;
}

void BM_ReadFromMemory(benchmark::State& state) {
    const std::string& text = ReportText();
    for (auto _ : state) {
        qv::AttrNode* tree = qv::ReadTreeFromMemory(text.data(), text.size());
        state.PauseTiming();
        if (tree == nullptr) {
            state.SkipWithError("the reader refused the report");
        }
        qv::DeleteNode(tree);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

std::string ScratchFile() {
    return qv::platform::JoinPath(qv::platform::GetCurrentDir(), "attr-xml-bench.mcr");
}

void BM_WriteToFile(benchmark::State& state) {
    const std::string path = ScratchFile();
    for (auto _ : state) {
        state.PauseTiming();
        qv::platform::RemoveFile(path);  // files are only ever created new
        state.ResumeTiming();
        qv::platform::File file =
            qv::platform::File::Open(path, qv::platform::FileAccess::ReadWrite,
                                     qv::platform::FileDisposition::CreateNew, qv::platform::FileShare::None);
        if (!qv::WriteTree(Report(), &file, true, "report.xsl")) {
            state.SkipWithError("write failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ReportText().size()));
}

void BM_ReadFromFile(benchmark::State& state) {
    const std::string path = ScratchFile();
    for (auto _ : state) {
        qv::platform::File file =
            qv::platform::File::Open(path, qv::platform::FileAccess::Read, qv::platform::FileDisposition::OpenExisting,
                                     qv::platform::FileShare::Read);
        qv::AttrNode* tree = qv::ReadTree(&file);
        state.PauseTiming();
        if (tree == nullptr) {
            state.SkipWithError("the reader refused the report file");
        }
        qv::DeleteNode(tree);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ReportText().size()));
    qv::platform::RemoveFile(path);
}

#ifdef __GLIBC__
// Heap bytes per scanned folder as the scanner stores it: a title and a folder name, nine
// statistics, the report's created text (shared) and six keys for each of six filters, 46
// attributes in all. The allocator's own overhead is included. Argument 1: the list is
// reserved up front, 0: it grows as values are appended.
void BM_MemoryPerFolder(benchmark::State& state) {
    constexpr int kCount = 100000;
    std::vector<std::string> filterKeys;
    for (const char* filter : {"Temporary files", "Backups", "Images", "Video", "Archives", "Logs"}) {
        for (const char* key : {"1N@F:", "2S@F:", "3A@F:", "4N@F:", "5S@F:", "6A@F:"}) {
            filterKeys.push_back(std::string(key) + filter);
        }
    }
    double perFolder = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        qv::AttrNode* root = qv::CreateNode(nullptr, "root");
        for (int i = 0; i < kCount; ++i) {
            const std::string name = "Folder " + std::to_string(i);
            qv::AttrNode* folder = qv::CreateNode(root, (name + " (12 MB)").c_str());
            folder->SetDesc(name.c_str());
            if (state.range(0) != 0) {
                folder->attrs.Reserve(46);
            }
            folder->attrs.Set("ALC", qv::AttrValue(("D:\\Data\\Projects\\" + name).c_str()), false);
            for (const char* key : {"LFN", "MFS", "NFA", "OFN", "ELT", "BTM"}) {
                folder->attrs.Set(key, qv::AttrValue(std::int64_t{i}), false);
            }
            folder->attrs.Set("FCA", qv::AttrValue(std::int32_t{0}), false);
            folder->attrs.Set("CRP", qv::AttrValue(std::int32_t{17}), false);
            folder->attrs.Set("DRM", qv::AttrValue::Borrowed("06.12.2025 at 07:41:00"), false);
            for (const std::string& key : filterKeys) {
                folder->attrs.Set(key.c_str(), qv::AttrValue(std::int32_t{i & 7}), false);
            }
        }
        perFolder = static_cast<double>(mallinfo2().uordblks - before) / kCount;
        state.PauseTiming();
        qv::DeleteNode(root);
        state.ResumeTiming();
    }
    state.counters["bytes_per_folder"] = perFolder;
}
BENCHMARK(BM_MemoryPerFolder)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);
#endif

BENCHMARK(BM_WriteToString)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadFromMemory)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteToFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadFromFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
