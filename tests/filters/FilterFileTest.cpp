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

using test::Filter;
using test::ReadAll;

std::string Golden() {
    return ReadAll(std::string(QV_TEST_DATA_DIR) + "/small.mcf");
}

TEST(FilterFile, SavesTheGoldenBytes) {
    test::ScratchDir dir;
    // Three filters, the temporary one with 3 hits (saved, never loaded) and a disabled one.
    FilterSet set;
    test::FillFilters(&set, {Filter("Documents", "*.doc;*.txt;"), Filter("Temporary", "*.tmp;~*.*", true),
                             Filter("Old stuff", "*.old", false, 0, false)});
    for (const auto& [name, size] : {std::pair{"a.tmp", 1000}, {"~b.TMP", 200}, {"~c", 34}}) {
        std::string buffer = name;
        set.MatchFile(buffer.data(), size, size, nullptr);
    }
    ASSERT_TRUE(set.SaveToFile(dir.Sub("small.mcf")));
    EXPECT_EQ(ReadAll(dir.Sub("small.mcf")), Golden());
    EXPECT_EQ(set.FileName(), "");  // a plain save does not change the remembered name
    EXPECT_FALSE(set.SaveToFile("") || set.SaveToFile(dir.Sub("missing/folder/x.mcf")));
}

TEST(FilterFile, LoadsTheGoldenFileWithoutItsCounters) {
    test::ScratchDir dir;
    dir.WriteText("My Filters.mcf", Golden());
    FilterSet set;
    set.SetBuiltIn();
    ASSERT_TRUE(set.LoadFromFile(dir.Sub("My Filters.mcf")));
    ASSERT_EQ(std::tuple(set.FileName(), set.Editing(), set.Count()), std::tuple("My Filters", false, 3));
    // Counters (group and val) are not loaded; a filter without val2 is disabled.
    FilterInfo info;
    ASSERT_TRUE(set.GetFilterAt(2, &info));
    EXPECT_EQ(std::tie(info.id, info.name, info.masks, info.temporary, info.enabled, info.count, info.bytes),
              std::make_tuple(2, "Temporary", "*.tmp;~*.*", true, true, 0u, 0));
    ASSERT_TRUE(set.GetFilterAt(3, &info));
    EXPECT_EQ(std::tie(info.enabled, info.temporary), std::make_tuple(false, false));
    bool temporary = false;
    EXPECT_TRUE(test::MatchName(&set, "~Draft.DOC", 5, &temporary) && temporary);
}

TEST(FilterFile, RoundTripKeepsTheBytes) {
    test::ScratchDir dir;
    FilterSet first;
    first.SetBuiltIn();
    first.SwapIds(2, 5);
    ASSERT_TRUE(first.SaveToFile(dir.Sub("one.mcf")));
    FilterSet second;
    ASSERT_TRUE(second.LoadFromFile(dir.Sub("one.mcf")));
    ASSERT_TRUE(second.SaveToFile(dir.Sub("two.mcf")));
    EXPECT_EQ(ReadAll(dir.Sub("one.mcf")), ReadAll(dir.Sub("two.mcf")));  // the swapped ids among them
}

TEST(FilterFile, PartlyValidFilesLoadUpToTheFirstRefusedFilter) {
    const std::pair<const char*, int> cases[] = {
        // The third filter has no desc (masks).
        {"<node name=\"Filters\">\r\n\t<node name=\"a\" desc=\"*.a\" id=\"1\"/>\r\n"
         "\t<node name=\"b\" desc=\"*.b\" id=\"2\"/>\r\n\t<node name=\"c\" id=\"3\"/>\r\n"
         "\t<node name=\"d\" desc=\"*.d\" id=\"4\"/>\r\n</node>",
         2},
        // The second repeats the first's name.
        {"<node name=\"X\"><node name=\"a\" desc=\"*.a\"/><node name=\"a\" desc=\"*.b\"/>"
         "<node name=\"c\" desc=\"*.c\"/></node>",
         1},
        {"<node name=\"Filters\"/>", 0},  // a root without children loads an empty set
        // The parse ends at a malformed tag with what was built.
        {"<node name=\"Filters\"><node name=\"a\" desc=\"*.a\"/><node name=\"b\" desc=\"*.b></node>", 1},
    };
    for (const auto& [text, loaded] : cases) {
        test::ScratchDir dir;
        dir.WriteText("f.mcf", text);
        FilterSet set;
        set.SetBuiltIn();
        ASSERT_TRUE(set.LoadFromFile(dir.Sub("f.mcf"))) << text;
        EXPECT_EQ(std::tuple(set.Count(), set.Editing(), set.FileName()), std::tuple(loaded, false, "f")) << text;
    }
}

TEST(FilterFile, UnusableFilesLeaveTheSetAsItWas) {
    test::ScratchDir dir;
    dir.WriteText("empty.mcf", "");
    dir.WriteText("text.mcf", "no tags at all");
    dir.WriteText("attr.mcf", "<attr name=\"x\">1</attr><node name=\"Filters\"/>");
    dir.MakeDir("folder.mcf");
    dir.WriteText("readonly.mcf", Golden());  // a filter file must be writable to be loaded
    const auto readOnly = test::ScratchDir::FromUtf8(dir.Sub("readonly.mcf"));
    const auto write = std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                       std::filesystem::perms::others_write;
    std::filesystem::permissions(readOnly, write, std::filesystem::perm_options::remove);
    for (const char* leaf : {"", "missing.mcf", "empty.mcf", "text.mcf", "attr.mcf", "folder.mcf", "readonly.mcf"}) {
        FilterSet set;
        set.SetBuiltIn();
        set.SetFileName("before");
        EXPECT_FALSE(set.LoadFromFile(*leaf ? dir.Sub(leaf) : std::string())) << leaf;
        EXPECT_EQ(std::tuple(set.Count(), set.FileName(), set.Editing()), std::tuple(6, "before", false)) << leaf;
    }
    std::filesystem::permissions(readOnly, write, std::filesystem::perm_options::add);
}

}  // namespace
}  // namespace qv
