// The file mask language: list items, compiling masks, splitting and folding names, matching.
//
// Names and masks are UTF-8. Finding the last '.', '\' and '/' scans backwards byte by byte:
// every byte of a multi-byte UTF-8 sequence is >= 0x80, so it can never be mistaken for one of
// these ASCII bytes and a plain backwards scan never lands inside a character. Everything else
// works on single bytes ('?' consumes one byte, not one character).
#include "filters/FileMask.h"

#include <cstring>

namespace qv {

namespace {

constexpr std::size_t kNoPos = static_cast<std::size_t>(-1);

char FoldByte(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + ('a' - 'A')) : c;
}

// The position of the '.' that splits `text` into name and extension, or kNoPos. The text is
// split when it is at least 3 bytes long, its last '.' is not its first byte, and not both a
// '\' and a '/' stand after that '.'.
std::size_t FindSplitDot(const char* text, std::size_t length) {
    if (length < 3) {
        return kNoPos;
    }
    bool backslashAfter = false;
    bool slashAfter = false;
    for (std::size_t pos = length; pos-- > 0;) {
        const char c = text[pos];
        if (c == '.') {
            if (pos == 0 || (backslashAfter && slashAfter)) {
                return kNoPos;
            }
            return pos;
        }
        backslashAfter |= (c == '\\');
        slashAfter |= (c == '/');
    }
    return kNoPos;
}

bool ClassContains(const MaskPattern& pattern, const MaskElement& element, unsigned char byte) {
    const MaskClassMember* member = pattern.members.data() + element.firstMember;
    const MaskClassMember* end = member + element.memberCount;
    for (; member != end; ++member) {
        if (member->tag == 's') {
            if (member->value == byte) {
                return true;
            }
        } else if (byte >= (member->value & 0xFFFFu) && byte <= (member->value >> 16)) {
            return true;
        }
    }
    return false;
}

// Reads the members of a class that starts after a '<' at `pos`; returns the position after
// its closing '>' (or the end of the text when there is none).
std::size_t ReadClass(const std::string& text, std::size_t pos, MaskPattern* pattern, MaskElement* element) {
    element->firstMember = static_cast<std::uint32_t>(pattern->members.size());
    while (pos < text.size() && text[pos] != '>') {
        const auto low = static_cast<unsigned char>(text[pos]);
        // A range takes x, '-' and y even when y is '>': the bytes are read as a unit.
        if (pos + 2 < text.size() && text[pos + 1] == '-') {
            const auto high = static_cast<unsigned char>(text[pos + 2]);
            pattern->members.push_back({'i', (static_cast<std::uint32_t>(high) << 16) | low});
            pos += 3;
        } else {
            pattern->members.push_back({'s', low});
            pos += 1;
        }
    }
    element->memberCount = static_cast<std::uint32_t>(pattern->members.size()) - element->firstMember;
    return pos < text.size() ? pos + 1 : pos;
}

[[gnu::noinline]] bool MatchSequence(const MaskPattern& pattern, const unsigned char* part, std::size_t length) {
    if (pattern.elements.empty()) {
        return length == 0;
    }
    std::size_t pos = 0;
    bool ok = true;
    bool star = false;
    for (const MaskElement& element : pattern.elements) {
        switch (element.tag) {
            case MaskElement::Star:
                star = true;
                break;
            case MaskElement::AnyOne:
                ok = pos < length;
                ++pos;
                break;
            case MaskElement::Literal:
                // After a '*' the literal is taken at its first occurrence; no backtracking.
                ok = pos < length && part[pos] == element.byte;
                ++pos;
                if (star) {
                    while (!ok && pos < length) {
                        ok = part[pos] == element.byte;
                        ++pos;
                    }
                    star = false;
                }
                break;
            case MaskElement::Class:
                star = false;
                if (element.memberCount > 0) {
                    ok = pos < length && ClassContains(pattern, element, part[pos]);
                    ++pos;
                }
                break;
        }
        if (!ok || pos == length) {
            break;
        }
    }
    return star || (ok && pos == length);
}

}  // namespace

void NormaliseMaskText(std::string* text) {
    std::size_t out = 0;
    for (const char c : *text) {
        if (c != ' ') {
            (*text)[out++] = (c == ',') ? ';' : c;
        }
    }
    text->resize(out);
}

ListItemReader::ListItemReader(const char* text, std::size_t length, char sep)
    : m_text(text), m_length(length), m_sep(sep), m_done(text == nullptr || length == 0) {}

bool ListItemReader::Next(std::string_view* item) {
    if (m_done) {
        return false;
    }
    const char* start = m_text + m_pos;
    const std::size_t remaining = m_length - m_pos;
    const void* sepAt = std::memchr(start, m_sep, remaining);
    const std::size_t itemLength =
        sepAt ? static_cast<std::size_t>(static_cast<const char*>(sepAt) - start) : remaining;
    if (itemLength == 0) {
        // An empty item ends the list; the whole rest, separators included, is its last item.
        m_done = true;
        *item = std::string_view(start, remaining);
        return true;
    }
    *item = std::string_view(start, itemLength);
    m_pos += itemLength + (sepAt ? 1 : 0);
    m_done = (m_pos >= m_length);
    return true;
}

const char* GetListItem(const char* text, int k, char sep, std::size_t* itemLength, std::ptrdiff_t textLength) {
    *itemLength = 0;
    if (text == nullptr || k < 1) {
        return nullptr;
    }
    const std::size_t length = textLength < 0 ? std::strlen(text) : static_cast<std::size_t>(textLength);
    ListItemReader reader(text, length, sep);
    std::string_view item;
    for (int index = 1; reader.Next(&item); ++index) {
        if (index == k) {
            *itemLength = item.size();
            return item.data();
        }
    }
    return nullptr;
}

void FoldLowerInPlace(char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        text[i] = FoldByte(text[i]);
    }
}

SplitName SplitFileName(const char* folded, std::size_t length) {
    const std::size_t dot = FindSplitDot(folded, length);
    if (dot == kNoPos) {
        return {folded, length, nullptr, 0};
    }
    return {folded, dot, folded + dot + 1, length - dot - 1};
}

std::unique_ptr<MaskPattern> CompilePattern(const char* part, std::size_t length) {
    auto pattern = std::make_unique<MaskPattern>();
    std::string text(part, length);
    FoldLowerInPlace(text.data(), text.size());
    if (text == "*") {
        pattern->kind = MaskPattern::Kind::MatchAll;
        return pattern;
    }
    bool wild = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos++];
        MaskElement element{MaskElement::Literal};
        if (c == '*') {
            element.tag = MaskElement::Star;
        } else if (c == '?') {
            element.tag = MaskElement::AnyOne;
        } else if (c == '<') {
            element.tag = MaskElement::Class;
            pos = ReadClass(text, pos, pattern.get(), &element);
        } else {
            element.byte = static_cast<unsigned char>(c);
        }
        wild |= (element.tag != MaskElement::Literal);
        pattern->elements.push_back(element);
    }
    if (!wild) {
        pattern->kind = MaskPattern::Kind::Exact;
        pattern->exact = std::move(text);
        pattern->elements.clear();
        return pattern;
    }
    pattern->kind = MaskPattern::Kind::Sequence;
    return pattern;
}

FileMask CompileMask(const char* item, std::size_t length) {
    FileMask mask;
    mask.item.assign(item, length);
    if (length == 0) {
        return mask;
    }
    std::size_t nameLength = length;
    const std::size_t dot = FindSplitDot(item, length);
    if (dot != kNoPos) {
        const std::size_t extLength = length - dot - 1;
        mask.extPattern = CompilePattern(item + dot + 1, extLength);
        // "name." keeps its dot in the name text, so such a mask never matches a name.
        nameLength = (extLength == 0) ? length : dot;
    } else if (item[length - 1] != '.') {
        mask.extPattern = CompilePattern("*", 1);
    }
    mask.namePattern = (nameLength == 0) ? CompilePattern("*", 1) : CompilePattern(item, nameLength);
    return mask;
}

namespace {

// The matcher's hot path, kept small so that it inlines into MatchMask; sequences are the rare,
// longer case.
inline bool MatchPart(const MaskPattern* pattern, const char* part, std::size_t length, bool partPresent) {
    if (pattern == nullptr) {
        return false;
    }
    if (pattern->kind == MaskPattern::Kind::MatchAll) {
        return true;
    }
    if (!partPresent) {
        return false;
    }
    if (pattern->kind == MaskPattern::Kind::Exact) {
        // Comparing the first byte before calling memcmp settles most misses cheaply.
        const std::string& exact = pattern->exact;
        return exact.size() == length &&
               (length == 0 || (exact[0] == part[0] && std::memcmp(exact.data(), part, length) == 0));
    }
    return MatchSequence(*pattern, reinterpret_cast<const unsigned char*>(part), length);
}

}  // namespace

bool MatchPattern(const MaskPattern* pattern, const char* part, std::size_t length, bool partPresent) {
    return MatchPart(pattern, part, length, partPresent);
}

bool MatchMask(const FileMask& mask, const SplitName& split) {
    return MatchPart(mask.namePattern.get(), split.name, split.nameLength, true) &&
           MatchPart(mask.extPattern.get(), split.ext, split.extLength, split.ext != nullptr);
}

MaskList::MaskList(const char* text) {
    Build(text);
}

void MaskList::Build(const char* text) {
    m_masks.clear();
    if (text == nullptr) {
        return;
    }
    ListItemReader reader(text, std::strlen(text), ';');
    std::string_view item;
    while (reader.Next(&item)) {
        m_masks.push_back(CompileMask(item.data(), item.size()));
    }
}

bool MaskList::Match(char* name) const {
    // An empty list matches nothing and leaves the name as it is.
    if (name == nullptr || m_masks.empty()) {
        return false;
    }
    const std::size_t length = std::strlen(name);
    FoldLowerInPlace(name, length);
    const SplitName split = SplitFileName(name, length);
    for (const FileMask& mask : m_masks) {
        if (MatchMask(mask, split)) {
            return true;
        }
    }
    return false;
}

}  // namespace qv
