// Feeds arbitrary bytes to the attribute-tree reader; whatever tree comes back must survive a
// write -> read -> write round trip with identical bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "attr/AttrXml.h"

namespace {

std::string WriteOrDie(const qv::AttrNode* tree, bool skipEmpty, const char* stylesheet) {
    std::string text;
    if (!qv::WriteTreeToString(tree, skipEmpty, stylesheet, &text)) {
        std::abort();
    }
    return text;
}

qv::AttrNode* ReadOrDie(const std::string& text) {
    qv::AttrNode* tree = qv::ReadTreeFromMemory(text.data(), text.size());
    if (tree == nullptr) {
        std::abort();  // the reader refused the writer's own output
    }
    return tree;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qv::AttrNode* tree = qv::ReadTreeFromMemory(reinterpret_cast<const char*>(data), size);
    if (tree == nullptr) {
        return 0;
    }
    // Writing every value keeps all the reader made, so the second write must match exactly.
    const std::string first = WriteOrDie(tree, false, "report.xsl");
    qv::AttrNode* again = ReadOrDie(first);
    if (WriteOrDie(again, false, "report.xsl") != first) {
        std::abort();
    }
    // Leaving out empty values may drop attributes once (a node can lose all of them); after
    // that pass the text must be stable.
    const std::string skipped = WriteOrDie(again, true, nullptr);
    qv::AttrNode* once = ReadOrDie(skipped);
    const std::string settled = WriteOrDie(once, true, nullptr);
    qv::AttrNode* twice = ReadOrDie(settled);
    if (WriteOrDie(twice, true, nullptr) != settled) {
        std::abort();
    }
    qv::DeleteNode(tree);
    qv::DeleteNode(again);
    qv::DeleteNode(once);
    qv::DeleteNode(twice);
    return 0;
}
