// The XML form of attribute trees: the writer's exact bytes and a small tolerant reader.
//
// Texts are written as they are, with the least escaping that keeps every text readable back
// unchanged: in name/desc/attribute-name fields a '"' is written as "&#34;", in attribute
// texts '<' and '>' as "&#60;" and "&#62;", and in both an '&' that is followed by '#' as
// "&#38;". The reader turns every "&#N;" (N = 1..255, one to three digits) back into that
// byte. Texts without these characters are written byte for byte as they are.
//
// Reader limits: files are read whole (at most kMaxDocumentBytes); the first malformed tag
// ends the read with the nodes built so far; nesting depth is unlimited (no recursion).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "attr/AttrTree.h"
#include "platform/Platform.h"

namespace qv {

// Largest file ReadTree accepts; larger files give null rather than exhausting memory.
constexpr std::uint64_t kMaxDocumentBytes = sizeof(void*) >= 8 ? (std::uint64_t{2} << 30) : (std::uint64_t{512} << 20);

// Writes `node` and its sub-tree. With a non-empty `stylesheet` the file starts with the XML
// declaration and the stylesheet reference; without one it has no header. `skipEmpty` leaves
// out empty texts and zero numbers. False when node or file is missing or a write fails.
bool WriteTree(const AttrNode* node, platform::File* file, bool skipEmpty, const char* stylesheet);
// The same bytes into a string (replacing its contents). False when node or out is missing or
// memory runs out.
bool WriteTreeToString(const AttrNode* node, bool skipEmpty, const char* stylesheet, std::string* out);

// How a read ended. A document is whole when the end of its top node was read; a file cut
// short (or followed by garbage in place of its end) still gives the nodes read so far, and
// the caller learns that they are not all.
enum class ReadEnd {
    Complete,      // the top node was closed
    Incomplete,    // the text ended or broke off first (also: nothing was read)
    TooManyNames,  // the document carries more distinct attribute names than the shared table
                   // takes for documents (AttrTree.h); nothing is returned
};

// Reads from the file's current position to its end and parses one tree. Null when nothing
// usable was found. `end` (may be null) receives how the read ended.
AttrNode* ReadTree(platform::File* file, ReadEnd* end = nullptr);
// Parses one tree from memory (the same rules as ReadTree).
AttrNode* ReadTreeFromMemory(const char* text, std::size_t length, ReadEnd* end = nullptr);
// Parses one node element and everything inside it as the last child of `parent` (or alone);
// `consumed` (may be null) receives the number of bytes used.
AttrNode* ParseNode(AttrNode* parent,
                    const char* text,
                    std::size_t length,
                    std::size_t* consumed,
                    ReadEnd* end = nullptr);

}  // namespace qv
