// The filtered files browser's engine: which report folders it lists, what one folder's scan
// finds on disk, both sorts, and the deletes with their safety checks and messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "TestUtil.h"
#include "view/FilterBrowserModel.h"

namespace qv {
namespace {

// Records what the browser asks; answers questions from a queue (default: Yes) and deletes for
// real with the platform's RemoveFile, so the tests see the files go.
class FakeHost : public BrowserHost {
  public:
    int Ask(const std::string& text, const std::string& caption, int type) override {
        asked.push_back(caption + "|" + text + "|" + std::to_string(type));
        return answer;
    }
    std::string DisplayName(const std::string&, const std::string& fileName) override { return "~" + fileName; }
    DeleteOutcome Delete(const std::vector<std::string>& paths, bool quiet, bool confirm, bool permanent) override {
        std::string call = std::string(quiet ? "quiet " : "") + (confirm ? "confirm " : "") +
                           (permanent ? "permanent" : "recycle");
        for (const std::string& path : paths) {
            call += " " + path;
            platform::RemoveFile(path);
        }
        deletes.push_back(call);
        return {true, false};
    }
    int answer = kAnsweredYes;
    std::vector<std::string> asked;
    std::vector<std::string> deletes;  // "flags paths"
};

// A report folder with the figures of filter "Temp": total and own files, total and own space.
FolderRecord* Folder(FolderRecord* parent, const std::string& path, int total, int own, int group = 0) {
    FolderRecord* node = CreateNode(parent, path.c_str());
    node->group = group;
    WriteText(node, ALC, path.c_str(), false);
    const FilterStatKeys keys = StatKeysOf("Temp");
    WriteStat(node, keys.total.c_str(), total, false);
    WriteStat(node, keys.own.c_str(), own, false);
    WriteStat(node, keys.totalAllocated.c_str(), total * 4096, false);
    WriteStat(node, keys.ownAllocated.c_str(), own * 4096, false);
    return node;
}

// Filters 1 "Other" (*.x) and 2 "Temp" (*.tmp;~*).
void TempFilters(FilterSet* set, bool temporary = true) {
    test::FillFilters(set, {test::Filter("Other", "*.x"), test::Filter("Temp", "*.tmp;~*", temporary)});
}

std::vector<std::string> ListedPaths(const FilterBrowserModel& model) {
    std::vector<std::string> paths;
    for (const BrowserEntry& entry : model.Entries()) {
        paths.push_back(entry.path + "=" + std::to_string(entry.count));
    }
    return paths;
}

TEST(FilterBrowserModel, BuildsTheListsFromTheReport) {
    // root(10, own 1): a(0), b(5, own 5: its child c is never visited), d(4, own 0) with e(3, own 3)
    // and its files item; g comes after the limit is reached and is never visited.
    FolderRecord* root = Folder(nullptr, "R", 10, 1);
    Folder(root, "R/a", 0, 0);
    FolderRecord* b = Folder(root, "R/b", 5, 5);
    Folder(b, "R/b/c", 2, 2);
    FolderRecord* d = Folder(root, "R/d", 4, 1);
    Folder(d, "R/d", 1, 1, 1);  // d's files item
    Folder(d, "R/d/e", 3, 3);
    Folder(root, "R/g", 1, 1);
    FilterSet filters;
    TempFilters(&filters);
    FakeHost host;
    FilterBrowserModel model(&host);
    ASSERT_TRUE(model.Open(&filters, 2, root, nullptr, ""));
    EXPECT_EQ(ListedPaths(model), (std::vector<std::string>{"R=1", "R/b=5", "R/d=1", "R/d/e=3"}));
    const auto& tree = model.Folders();
    EXPECT_EQ(std::make_tuple(tree.size(), tree.at(0).firstChild, tree.at(1).nextSibling, tree.at(3).parent,
                              model.Entry(3).treeItem),
              std::make_tuple(4u, 1, 2, 2, 3));

    // Opened on a files item, only that item is listed; on a filter without files, nothing.
    ASSERT_TRUE(model.Open(&filters, 2, d->firstChild, nullptr, ""));
    EXPECT_EQ(ListedPaths(model), (std::vector<std::string>{"R/d=1"}));
    EXPECT_FALSE(model.Open(&filters, 1, root, nullptr, "") || model.Open(&filters, 7, root, nullptr, ""));
    filters.SetEnabled(false);
    EXPECT_FALSE(model.Open(&filters, 2, root, nullptr, ""));
    DeleteNode(root);
}

// A folder on disk with matching and other files, listed as one report folder.
struct DiskFixture {
    DiskFixture() {
        dir.WriteFile("b.tmp", 5000);
        dir.WriteFile("A.TMP", 10);
        dir.WriteFile("c.tmp", 10);
        dir.WriteFile("keep.txt", 10);
        dir.MakeDir("sub.tmp");
        root = Folder(nullptr, dir.Path(), 3, 3);
        TempFilters(&filters);
        policy.clusterShift = 12;
        policy.ignoreCompression = 1;
    }
    ~DiskFixture() { DeleteNode(root); }
    test::ScratchDir dir;
    FolderRecord* root;
    FilterSet filters;
    ClusterPolicy policy;
    FakeHost host;
};

TEST(FilterBrowserModel, ScansAFolderAndSortsBothWays) {
    DiskFixture disk;
    FilterBrowserModel model(&disk.host);
    ASSERT_TRUE(model.Open(&disk.filters, 2, disk.root, &disk.policy, ""));
    EXPECT_EQ(model.Figures(0, -1).space, "12 K");  // from the report until scanned
    EXPECT_EQ(model.ScanEntry(0), 3);
    const BrowserEntry& entry = model.Entry(0);
    const BrowserFigures figures = model.Figures(0, -1);
    EXPECT_EQ(figures.space + "|" + figures.count + "|" + figures.bytes, "16 K|3|5 020");

    // Names ascending or descending; sizes largest first or smallest first, equal ones by name.
    const std::pair<int, const char*> sorts[] = {
        {kBrowserSortName, "~A.TMP ~b.tmp ~c.tmp "},
        {kBrowserSortName | kBrowserSortReversed, "~c.tmp ~b.tmp ~A.TMP "},
        {kBrowserSortSize, "~b.tmp ~A.TMP ~c.tmp "},
        {kBrowserSortSize | kBrowserSortReversed, "~A.TMP ~c.tmp ~b.tmp "},
    };
    for (const auto& [key, order] : sorts) {
        std::string names;
        for (int i : model.FileOrder(0, key)) {
            names += entry.files[static_cast<std::size_t>(i)].name + " ";
        }
        EXPECT_EQ(names, order) << key;
    }
    EXPECT_EQ(BrowserSortAfterClick(kBrowserSortSize, 1), kBrowserSortSize | kBrowserSortReversed);
    EXPECT_EQ(BrowserSortAfterClick(kBrowserSortSize | kBrowserSortReversed, 2), kBrowserSortTime);

    std::filesystem::remove_all(test::ScratchDir::FromUtf8(disk.dir.Path()));
    EXPECT_EQ(model.ScanEntry(0), 0) << "a folder that vanished has no files";
}

TEST(FilterBrowserModel, DeletesOnlyWhatMayGo) {
    DiskFixture disk;
    FilterBrowserModel model(&disk.host);
    ASSERT_TRUE(model.Open(&disk.filters, 2, disk.root, &disk.policy, ""));
    model.SetDestroy(true);
    model.ScanEntry(0);
    const std::vector<int> byName = model.FileOrder(0, kBrowserSortName);  // A.TMP b.tmp c.tmp

    // One file became a folder, one is gone: only the third is passed, then the browser says so.
    const std::string aPath = model.Entry(0).files[static_cast<std::size_t>(byName[0])].path;
    platform::RemoveFile(aPath);
    platform::MakeDirectory(aPath);
    platform::RemoveFile(model.Entry(0).files[static_cast<std::size_t>(byName[1])].path);
    model.DeleteFiles(0, byName);
    EXPECT_EQ(disk.host.deletes, std::vector<std::string>{"confirm permanent " + disk.dir.Sub("c.tmp")});
    ASSERT_EQ(disk.host.asked.size(), 1u);
    EXPECT_EQ(disk.host.asked[0].substr(0, 38), "Not all files deleted|Not all files ha");
    EXPECT_EQ(model.Entry(0).count, 0) << "scanned again";

    // Nothing selected, nothing left that exists, and the folder question.
    disk.host.asked.clear();
    disk.dir.WriteFile("d.tmp", 1);
    disk.dir.WriteFile("e.tmp", 1);
    model.DeleteFiles(0, {});
    model.ScanEntry(0);
    platform::RemoveFile(disk.dir.Sub("d.tmp"));
    model.DeleteFiles(0, {model.FileOrder(0, kBrowserSortName)[0]});
    disk.host.answer = kAnsweredNo;
    model.DeleteFolderFiles({0, 0});
    disk.host.answer = kAnsweredYes;
    model.DeleteFolderFiles({0});
    const std::vector<std::string> expected = {
        "No items selected|Select one or more items in list|0",
        "Files cannot be deleted|Files cannot be deleted\nMake sure the disk is not full or write-protected\nand that "
        "the files are not currently in use|0",
        "Deletion of folder files|This operation will delete all files by mask in 2 selected folders.\nProceed?|4",
        "Deletion of folder files|This operation will delete all files by mask in selected folder.\nProceed?|4",
    };
    EXPECT_EQ(disk.host.asked, expected);
    ASSERT_EQ(disk.host.deletes.size(), 2u);
    EXPECT_EQ(disk.host.deletes[1], "quiet permanent " + disk.dir.Sub("e.tmp"));
    EXPECT_FALSE(platform::FileExists(disk.dir.Sub("e.tmp")));
    EXPECT_TRUE(platform::FileExists(disk.dir.Sub("keep.txt")));
}

TEST(FilterBrowserModel, NothingIsDeletedForAFilterThatIsNotTemporary) {
    DiskFixture disk;
    FilterSet filters;
    TempFilters(&filters, false);
    FilterBrowserModel model(&disk.host);
    ASSERT_TRUE(model.Open(&filters, 2, disk.root, &disk.policy, ""));
    model.ScanEntry(0);
    model.DeleteFiles(0, {0, 1, 2});
    model.DeleteAllFiles(0);
    model.DeleteFolderFiles({0});
    EXPECT_EQ(disk.host.deletes.size() + disk.host.asked.size(), 0u);
    EXPECT_EQ(model.ScanEntry(0), 3);
}

}  // namespace
}  // namespace qv
