// The filter file (.mcf): golden bytes, loading partly valid and unusable files, round trips.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "TestUtil.h"
#include "filters/FilterSet.h"
#include "platform/Platform.h"

namespace qv {
namespace {

std::string ReadText(const std::string& path) {
    std::string text;
    EXPECT_TRUE(platform::ReadWholeFile(path, &text)) << path;
    return text;
}

std::string Golden() {
    return ReadText(std::string(QV_TEST_DATA_DIR) + "/small.mcf");
}

FilterInfo Info(const std::string& name, const std::string& masks, bool temporary, bool enabled) {
    FilterInfo info;
    info.name = name;
    info.masks = masks;
    info.temporary = temporary;
    info.enabled = enabled;
    return info;
}

// The set that small.mcf was written from: three filters, the temporary one with 3 hits.
void FillSmallSet(FilterSet* set) {
    set->SetEditing(true);
    set->AddFilter(Info("Documents", "*.doc;*.txt;", false, true));
    set->AddFilter(Info("Temporary", "*.tmp;~*.*", true, true));
    set->AddFilter(Info("Old stuff", "*.old", false, false));
    set->SetEditing(false);
    for (const auto& [name, size] : {std::pair<std::string, int>{"a.tmp", 1000}, {"~b.TMP", 200}, {"~c", 34}}) {
        std::string buffer = name;
        set->MatchFile(buffer.data(), size, size, nullptr);
    }
}

TEST(FilterFile, SavesTheGoldenBytes) {
    test::ScratchDir dir;
    FilterSet set;
    FillSmallSet(&set);
    const std::string path = dir.Sub("small.mcf");
    ASSERT_TRUE(set.SaveToFile(path));
    EXPECT_EQ(ReadText(path), Golden());
    EXPECT_EQ(set.FileName(), "");  // a plain save does not change the remembered name

    EXPECT_FALSE(set.SaveToFile(""));
    EXPECT_FALSE(set.SaveToFile(dir.Sub("missing/folder/x.mcf")));
}

TEST(FilterFile, LoadsTheGoldenFileWithoutItsCounters) {
    test::ScratchDir dir;
    dir.WriteText("My Filters.mcf", Golden());
    FilterSet set;
    set.SetBuiltIn();
    ASSERT_TRUE(set.LoadFromFile(dir.Sub("My Filters.mcf")));
    EXPECT_EQ(set.FileName(), "My Filters");
    EXPECT_FALSE(set.Editing());
    ASSERT_EQ(set.Count(), 3);

    // Counters (group and val) are not loaded; a filter without val2 is disabled.
    FilterInfo info;
    ASSERT_TRUE(set.GetFilterAt(2, &info));
    EXPECT_EQ(std::tie(info.id, info.name, info.masks, info.temporary, info.enabled, info.count, info.bytes),
              std::make_tuple(2, "Temporary", "*.tmp;~*.*", true, true, 0u, 0));
    ASSERT_TRUE(set.GetFilterAt(3, &info));
    EXPECT_EQ(std::tie(info.enabled, info.temporary), std::make_tuple(false, false));

    char name[] = "~Draft.DOC";
    bool temporary = false;
    EXPECT_TRUE(set.MatchFile(name, 5, 5, &temporary));
    EXPECT_TRUE(temporary);
}

TEST(FilterFile, RoundTripKeepsTheBytes) {
    test::ScratchDir dir;
    FilterSet first;
    first.SetBuiltIn();
    first.SwapIds(2, 5);
    const std::string path1 = dir.Sub("one.mcf");
    const std::string path2 = dir.Sub("two.mcf");
    ASSERT_TRUE(first.SaveToFile(path1));

    FilterSet second;
    ASSERT_TRUE(second.LoadFromFile(path1));
    ASSERT_TRUE(second.SaveToFile(path2));
    EXPECT_EQ(ReadText(path1), ReadText(path2));
    FilterInfo info;
    ASSERT_TRUE(second.FindById(5, &info));
    EXPECT_EQ(info.name, "Internet files");
}

TEST(FilterFile, PartlyValidFilesLoadUpToTheFirstRefusedFilter) {
    const struct {
        const char* text;
        int loaded;
    } cases[] = {
        // The third filter has no desc (masks).
        {"<node name=\"Filters\">\r\n\t<node name=\"a\" desc=\"*.a\" id=\"1\"/>\r\n"
         "\t<node name=\"b\" desc=\"*.b\" id=\"2\"/>\r\n\t<node name=\"c\" id=\"3\"/>\r\n"
         "\t<node name=\"d\" desc=\"*.d\" id=\"4\"/>\r\n</node>",
         2},
        // The second repeats the first's name.
        {"<node name=\"X\"><node name=\"a\" desc=\"*.a\"/><node name=\"a\" desc=\"*.b\"/>"
         "<node name=\"c\" desc=\"*.c\"/></node>",
         1},
        // A root without children loads an empty set.
        {"<node name=\"Filters\"/>", 0},
        // The parse ends at a malformed tag with what was built.
        {"<node name=\"Filters\"><node name=\"a\" desc=\"*.a\"/><node name=\"b\" desc=\"*.b></node>", 1},
    };
    for (const auto& c : cases) {
        test::ScratchDir dir;
        dir.WriteText("f.mcf", c.text);
        FilterSet set;
        set.SetBuiltIn();
        ASSERT_TRUE(set.LoadFromFile(dir.Sub("f.mcf"))) << c.text;
        EXPECT_EQ(set.Count(), c.loaded) << c.text;
        EXPECT_FALSE(set.Editing());
        EXPECT_EQ(set.FileName(), "f");
    }
}

TEST(FilterFile, UnusableFilesLeaveTheSetAsItWas) {
    test::ScratchDir dir;
    dir.WriteText("empty.mcf", "");
    dir.WriteText("text.mcf", "no tags at all");
    dir.WriteText("attr.mcf", "<attr name=\"x\">1</attr><node name=\"Filters\"/>");
    dir.MakeDir("folder.mcf");
    dir.WriteText("readonly.mcf", Golden());
    const std::filesystem::path readOnly = test::ScratchDir::FromUtf8(dir.Sub("readonly.mcf"));
    std::filesystem::permissions(readOnly,
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);

    const char* paths[] = {"", "missing.mcf", "empty.mcf", "text.mcf", "attr.mcf", "folder.mcf", "readonly.mcf"};
    for (const char* leaf : paths) {
        FilterSet set;
        set.SetBuiltIn();
        set.SetFileName("before");
        const std::string path = (*leaf == '\0') ? std::string() : dir.Sub(leaf);
        EXPECT_FALSE(set.LoadFromFile(path)) << leaf;
        EXPECT_EQ(set.Count(), 6) << leaf;
        EXPECT_EQ(set.FileName(), "before") << leaf;
        EXPECT_FALSE(set.Editing()) << leaf;
    }
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

}  // namespace
}  // namespace qv
