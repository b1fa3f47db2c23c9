// The file mask language: cutting mask list texts into items, compiling an item into a name
// and an extension pattern, folding names, and the one-pass matcher without backtracking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Removes every space and turns every ',' into ';'.
void NormaliseMaskText(std::string* text);

// The k-th (from 1) item of a `sep`-separated list, or null. `textLength` -1 means the text is
// zero-terminated. An empty item ends the list with the whole rest of the text as last item.
const char* GetListItem(const char* text, int k, char sep, std::size_t* itemLength, std::ptrdiff_t textLength = -1);

// Walks the items of a list in order, with the same rules as GetListItem, in one pass.
class ListItemReader {
  public:
    ListItemReader(const char* text, std::size_t length, char sep);
    // The next item; false when the list has ended.
    bool Next(std::string_view* item);

  private:
    const char* m_text;
    std::size_t m_length;
    std::size_t m_pos = 0;
    char m_sep;
    bool m_done;
};

// Folds ASCII letters to lower case in place; bytes of multi-byte UTF-8 sequences are left alone.
void FoldLowerInPlace(char* text, std::size_t length);

struct MaskElement {
    enum Tag : char { Star = '*', AnyOne = '?', Literal = 's', Class = '<' };
    Tag tag;
    unsigned char byte = 0;         // Literal
    std::uint32_t firstMember = 0;  // Class: index into MaskPattern::members
    std::uint32_t memberCount = 0;
};

// A class member: a single byte ('s') or an inclusive range lo..hi ('i', hi << 16 | lo).
struct MaskClassMember {
    char tag;
    std::uint32_t value;
};

// MatchAll matches every part, also an absent one; Exact compares the folded text byte for
// byte; Sequence runs the one-pass matcher over `elements`.
struct MaskPattern {
    enum class Kind { MatchAll, Exact, Sequence };
    Kind kind = Kind::MatchAll;
    std::string exact;
    std::vector<MaskElement> elements;
    std::vector<MaskClassMember> members;
};

// One compiled mask item; either pattern may be absent (matches nothing).
struct FileMask {
    std::string item;
    std::unique_ptr<MaskPattern> namePattern;
    std::unique_ptr<MaskPattern> extPattern;
};

// A folded file name split into name part and (optional) extension part. Views into the name.
struct SplitName {
    const char* name;
    std::size_t nameLength;
    const char* ext;  // null when the name has no extension
    std::size_t extLength;
};

// Splits at the last '.' when the name is longer than 2 bytes, that '.' is not its first byte,
// and not both a '\' and a '/' follow it.
SplitName SplitFileName(const char* folded, std::size_t length);
// The item text is kept as written; the patterns are compiled from its folded parts.
FileMask CompileMask(const char* item, std::size_t length);
std::unique_ptr<MaskPattern> CompilePattern(const char* part, std::size_t length);
// A null pattern matches nothing; an absent part (partPresent false) only matches MatchAll.
bool MatchPattern(const MaskPattern* pattern, const char* part, std::size_t length, bool partPresent);
bool MatchMask(const FileMask& mask, const SplitName& split);

// An ordered list of compiled masks built from one mask list text.
class MaskList {
  public:
    MaskList() = default;
    explicit MaskList(const char* text);
    void Build(const char* text);
    // Folds `name` in place (also when nothing matches) and tests the masks in order. An empty
    // list matches nothing and leaves the name as it is.
    bool Match(char* name) const;
    std::size_t Count() const { return m_masks.size(); }
    const FileMask& At(std::size_t index) const { return m_masks[index]; }

  private:
    std::vector<FileMask> m_masks;
};

}  // namespace qv
