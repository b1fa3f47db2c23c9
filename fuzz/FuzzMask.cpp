// Fuzzes the mask language: list items, normalising, compiling and matching, with cheap
// oracles. Input: a mask list text, a line feed, then a file name (no line feed: both are the
// whole input).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "filters/FileMask.h"
#include "filters/FilterSet.h"

namespace {

constexpr int kMaxItems = 64;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// GetListItem must agree with the one-pass reader and stay inside the text.
void CheckListItems(const std::string& text, char sep) {
    qv::ListItemReader reader(text.data(), text.size(), sep);
    std::string_view item;
    int k = 1;
    for (; k <= kMaxItems && reader.Next(&item); ++k) {
        std::size_t length = 0;
        const char* got = qv::GetListItem(text.data(), k, sep, &length, static_cast<std::ptrdiff_t>(text.size()));
        Check(got == item.data() && length == item.size());
        Check(got >= text.data() && got + length <= text.data() + text.size());
        Check(length > 0);
    }
    if (k <= kMaxItems) {
        std::size_t length = 0;
        Check(qv::GetListItem(text.data(), k, sep, &length, static_cast<std::ptrdiff_t>(text.size())) == nullptr);
    }
}

void CheckNormalise(const std::string& text) {
    std::string once = text;
    qv::NormaliseMaskText(&once);
    Check(once.size() <= text.size());
    Check(once.find(' ') == std::string::npos && once.find(',') == std::string::npos);
    std::string twice = once;
    qv::NormaliseMaskText(&twice);
    Check(twice == once);
}

std::string Folded(std::string text) {
    qv::FoldLowerInPlace(text.data(), text.size());
    return text;
}

bool MatchCopy(const qv::MaskList& list, const std::string& name) {
    std::string buffer = name;
    return list.Match(buffer.data());
}

// A name used as its own mask matches itself when it holds no wildcard, class or separator and
// does not end with '.' (such masks never match).
bool UsableAsExactMask(const std::string& name) {
    return !name.empty() && name.back() != '.' && name.find_first_of("*?<;") == std::string::npos;
}

void CheckMatching(const std::string& masks, const std::string& name) {
    const qv::MaskList list(masks.c_str());
    std::string buffer = name;
    const bool matched = list.Match(buffer.data());
    const std::string folded = Folded(name);
    Check(Folded(folded) == folded);  // folding is idempotent
    if (list.Count() > 0) {
        Check(buffer == folded);  // folded in place, whether or not it matched
    }

    static const qv::MaskList matchAll("*");
    static const qv::MaskList starDotStar("*.*");
    Check(MatchCopy(matchAll, name));
    Check(MatchCopy(starDotStar, name));
    if (UsableAsExactMask(name)) {
        Check(MatchCopy(qv::MaskList(name.c_str()), name));
    }

    // A one-filter set matches exactly when its mask list does.
    qv::FilterSet set;
    set.SetEditing(true);
    qv::FilterInfo info;
    info.name = "f";
    info.masks = masks.c_str();
    const bool added = set.AddFilter(info) != 0;
    set.SetEditing(false);
    std::string setBuffer = name;
    Check(set.MatchFile(setBuffer.data(), 1, 1, nullptr) == (added && matched));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string masks = (newline == std::string::npos) ? input : input.substr(0, newline);
    // Names are C strings: an embedded zero ends them.
    std::string name = (newline == std::string::npos) ? input : input.substr(newline + 1);
    name.resize(std::strlen(name.c_str()));

    CheckListItems(input, ';');
    CheckListItems(input, '|');
    CheckNormalise(input);
    CheckMatching(masks, name);

    // Patterns compiled straight from the bytes, zeros included.
    const auto pattern = qv::CompilePattern(masks.data(), masks.size());
    qv::MatchPattern(pattern.get(), name.data(), name.size(), true);
    return 0;
}
