// Tests of the shell's path list and the shortcut name test.
#include <gtest/gtest.h>

#include <cstring>

#include "app/ShellPaths.h"

namespace qv {
namespace {

TEST(PathList, DoubleZeroTerminatedInOrder) {
    PathList list;
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(list.Size(), 1u);
    EXPECT_EQ(list.Data()[0], '\0');

    EXPECT_TRUE(list.Add("C:\\a.txt"));
    EXPECT_FALSE(list.Add(""));
    EXPECT_FALSE(list.Add(std::string_view("x\0y", 3)));
    EXPECT_TRUE(list.Add("b"));
    EXPECT_EQ(list.Count(), 2);
    const char expected[] = "C:\\a.txt\0b\0";  // the literal adds the final zero
    ASSERT_EQ(list.Size(), sizeof expected);
    EXPECT_EQ(std::memcmp(list.Data(), expected, sizeof expected), 0);
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"C:\\a.txt", "b"}));
}

TEST(IsShortcut, Names) {
    const struct {
        const char* path;
        bool shortcut;
    } cases[] = {
        {"readme.LNK", true},
        {"C:\\Users\\me\\Desktop\\Notes.lnk", true},
        {"a.lnk", true},
        {"x.Lnk", true},
        {"lnk", false},        // no dot
        {".lnk", false},       // the dot is the first byte
        {"a.lnk.txt", false},  // the extension is the text after the last dot
        {"a.lnkx", false},
        {"a.ln", false},
        {"ab", false},
        {"", false},
        {"C:\\dir.lnk\\file", false},  // the "extension" holds a separator
        {"C:\\dir.x/y\\z.lnk", true},  // the last dot decides
        {"a.knl", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsShortcut(c.path), c.shortcut) << c.path;
    }
}

}  // namespace
}  // namespace qv
