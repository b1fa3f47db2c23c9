// Files that carry more distinct attribute names than the process-wide name table holds. A
// program of its own: a flood fills the table for the rest of the process, so no other test may
// share it.
#include <gtest/gtest.h>

#include <string>

#include "TestUtil.h"
#include "attr/AttrXml.h"
#include "cli/Cli.h"

namespace qv {
namespace {

constexpr int kFloodNames = 1100000;  // more than the whole table holds

// A report file whose root carries `kFloodNames` distinct attribute names besides its figures:
// the reader refuses it and the console tool says "Error reading file". Names the table knows
// still read, the program still gets room for names of its own, and a report scanned afterwards
// with a filter the table has never seen keeps every figure through saving and opening.
TEST(NameTableFlood, TheReaderRefusesTheDocumentAndLaterReportsKeepTheirFigures) {
    std::string text =
        "<node name=\"report\" desc=\"0.0.4\"><node name=\"?drive?\" desc=\"0;1;12;0\"/><node name=\"/flood\" "
        "val=\"4096\"><attr name=\"info\">7;96;0;0;0</attr>";
    text.reserve(text.size() + std::size_t{kFloodNames} * 32);
    for (int i = 0; i < kFloodNames; ++i) {
        text += "<attr name=\"f-" + std::to_string(i) + "\">x</attr>";
    }
    text += "</node></node>";
    test::ScratchDir dir;
    dir.WriteText("flood.mcr", text);
    ReadEnd flooded = ReadEnd::Complete, end = ReadEnd::TooManyNames;
    EXPECT_EQ(ReadTreeFromMemory(text.data(), text.size(), &flooded), nullptr);
    const std::string known = "<node name=\"a\"><attr name=\"info\">1</attr></node>";
    AttrNode* tree = ReadTreeFromMemory(known.data(), known.size(), &end);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(test::Join(flooded == ReadEnd::TooManyNames, end == ReadEnd::Complete, tree->attrs.Count(),
                         InternAttrName("1N@F:a filter named after the flood") != 0),
              "1 1 1 1");
    DeleteNode(tree);

    std::string out, err;
    cli::CliIo io;
    io.out = [&out](std::string_view part) {
        out.append(part);
        return true;
    };
    io.err = [&err](std::string_view part) { err.append(part); };
    const int status = cli::RunCli({"info", dir.Sub("flood.mcr")}, io);
    EXPECT_EQ(test::Join(status, err, out),
              test::Join(cli::kExitFile, "quarvex-cli: Error reading file: " + dir.Sub("flood.mcr") + "\n", ""));
    test::ScratchDir fresh;
    fresh.WriteFile("sub/a.fresh", 100);
    dir.WriteText("fresh.mcf", "<node name=\"Filters\"><node name=\"Fresh after the flood\" desc=\"*.fresh;\" id=\"1\" "
                               "val2=\"1\"/></node>");
    ASSERT_EQ(cli::RunCli({"scan", fresh.Path(), "--quiet", "--filters", dir.Sub("fresh.mcf"), "-o", dir.Sub("r.mcr")},
                          io),
              cli::kExitOk);
    ASSERT_EQ(cli::RunCli({"info", dir.Sub("r.mcr")}, io), cli::kExitOk) << err;
    EXPECT_TRUE(out.find("Files:         1\n") != std::string::npos &&
                out.find("01. Fresh after the flood: 1 files, size 100 bytes") != std::string::npos)
        << out;
}

}  // namespace
}  // namespace qv
