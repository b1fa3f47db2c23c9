// Tests of the shell's path list and the shortcut name test.
#include <gtest/gtest.h>

#include <cstring>

#include "shell/ShellPaths.h"

namespace qv {
namespace {

TEST(PathList, DoubleZeroTerminatedInOrder) {
    PathList list;
    EXPECT_EQ(std::tuple(list.Empty(), list.Size(), list.Data()[0]), std::tuple(true, 1u, '\0'));

    EXPECT_TRUE(list.Add("C:\\a.txt") && !list.Add("") && !list.Add(std::string_view("x\0y", 3)) && list.Add("b"));
    EXPECT_EQ(list.Count(), 2);
    const char expected[] = "C:\\a.txt\0b\0";  // the literal adds the final zero
    ASSERT_EQ(list.Size(), sizeof expected);
    EXPECT_EQ(std::memcmp(list.Data(), expected, sizeof expected), 0);
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"C:\\a.txt", "b"}));
}

TEST(IsShortcut, Names) {
    for (const char* path : {"readme.LNK", "x.Lnk",
                             "C:\\dir.x/y\\z.lnk"}) {  // the last dot decides
        EXPECT_TRUE(IsShortcut(path)) << path;
    }
    // No dot, the dot as first byte, the text after the last dot, a separator in the "extension".
    for (const char* path : {"lnk", ".lnk", "a.lnk.txt", "a.lnkx", "a.ln", "", "C:\\dir.lnk\\file"}) {
        EXPECT_FALSE(IsShortcut(path)) << path;
    }
}

}  // namespace
}  // namespace qv
