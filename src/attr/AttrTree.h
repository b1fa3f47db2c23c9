// The typed node/attribute tree that carries every document of the program: reports, filter
// files and the settings. A node has fixed plain fields and an ordered list of named, typed
// values; nodes link into trees by parent/child/sibling pointers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

// One typed value. Type letters: 's' owned text, 'f' text not owned, 'i' 32-bit integer,
// 'q' 64-bit integer, 'r' double, 'u' unset. An 's' value owns a malloc'd copy of its text.
class AttrValue {
public:
    AttrValue() = default;  // 'u', zero payload
    explicit AttrValue(const char* text);  // 's', duplicated (null allowed)
    explicit AttrValue(std::int32_t value);  // 'i'
    explicit AttrValue(std::int64_t value);  // 'q'
    explicit AttrValue(double value);  // 'r'
    // 'f': refers to `text` without owning it; the caller keeps it alive.
    static AttrValue Borrowed(const char* text);
    // Takes ownership of a malloc'd text as an 's' value.
    static AttrValue Adopt(char* text);

    AttrValue(const AttrValue& other);
    AttrValue& operator=(const AttrValue& other);
    AttrValue(AttrValue&& other) noexcept;
    AttrValue& operator=(AttrValue&& other) noexcept;
    ~AttrValue();

    char Type() const { return m_type; }
    std::int64_t AsInt64() const;  // 'q'; 'i' sign-extended; else 0
    double AsDouble() const;       // 'r'; 'i' converted; else 0.0 (also for 'q')
    const char* AsText() const;    // 's'/'f' text (may be null); else null
    // Lenient integer: 'i'/'q' low 32 bits; 's'/'f' leading decimal digits; else 0.
    std::int32_t AsLenientInt() const;
    // 's'/'f' own text (buffer unused); 'i' "%ld"; 'q' "%I64d"; 'r' "%f"; 'u' null;
    // other letters: empty text in the buffer. The buffer must hold at least 32 bytes.
    const char* ToText(char* buffer, std::size_t size) const;
    // Frees 's' text, zeroes the payload, keeps the letter.
    void ClearPayload();

    // The one shared unset value that failed lookups return.
    static const AttrValue& Unset();

private:
    void Release();
    char m_type = 'u';
    union {
        std::int32_t i;
        std::int64_t q;
        double r;
        char* s;
        const char* f;
    } m_payload{};
};

// One entry of an attribute list. Names are interned process-wide: a million nodes that
// share a few dozen attribute names keep one copy of each name.
struct AttrEntry {
    const char* Name() const;
    std::uint32_t nameId = 0;
    AttrValue value;
};

enum class AttrError : std::int32_t { None = 0, Generic = 1, NotFound = 2 };

// The ordered attribute list of a node, with its error state and search cursor.
class AttrList {
public:
    AttrList() = default;
    ~AttrList();
    AttrList(const AttrList&) = delete;
    AttrList& operator=(const AttrList&) = delete;

    std::size_t Count() const { return m_count; }
    // Entry at index, or null (and error NotFound) past the end.
    AttrEntry* At(std::size_t index);
    // Cursor search (exact, case-sensitive); null and error NotFound when missing.
    AttrEntry* Find(const char* name);
    // Value of `name` when its letter is s/i/r/q/f, else the shared unset value and NotFound.
    const AttrValue& Get(const char* name);
    // Set with or without replacement; a null/empty name fails with Generic. Resets the cursor.
    bool Set(const char* name, const AttrValue& value, bool replace);
    bool Set(const char* name, AttrValue&& value, bool replace);
    // Removes the first entry whose name equals `name` ignoring case. Always succeeds.
    bool Remove(const char* name);
    // Destroys every entry; error becomes None ("No error") when it was not already 0.
    bool Clear();
    // Pre-sizes the list for `count` entries (a scanner knows how many it will append).
    void Reserve(std::size_t count);

    AttrError ErrorCode() const { return m_error; }
    // "" before any error state was recorded, else "No error", "Generic error", "Not found".
    const char* ErrorText() const;

private:
    void SetError(AttrError code);
    AttrEntry* m_entries = nullptr;
    std::uint32_t m_count = 0;
    std::uint32_t m_capacity = 0;
    std::uint32_t m_cursor = kNoCursor;
    AttrError m_error = AttrError::None;
    bool m_errorTextSet = false;
    static constexpr std::uint32_t kNoCursor = 0xFFFFFFFFu;
};

// FindByName / FindByDesc mode bits.
constexpr int kFindSiblings = 0x20;
constexpr int kFindNext = 0x10;
constexpr int kFindDescend = 0x40;
constexpr int kFindDeep = 0x80;

// One node. Created by CreateNode, destroyed (with its children) by DeleteNode.
// A node owns its children, its name and desc texts and its attributes.
struct AttrNode {
    std::int32_t kind = 0;
    std::int32_t id = 0;
    std::int32_t serial = 0;
    char* name = nullptr;  // owned, may be null
    char* desc = nullptr;  // owned, may be null
    std::int32_t group = 0;
    std::int64_t val = 0;
    std::int64_t val2 = 0;
    std::uint32_t userFlag = 0;
    std::int32_t depth = 0;
    AttrNode* parent = nullptr;
    AttrNode* firstChild = nullptr;
    AttrNode* lastChild = nullptr;
    AttrNode* prevSibling = nullptr;
    AttrNode* nextSibling = nullptr;
    AttrList attrs;

    void SetName(const char* text);
    void SetDesc(const char* text);
};

// Takes the next number of a process-wide serial counter: increment, use, increment again;
// 0x7FFFFFFF continues at 0x80000000. Thread-safe.
std::int32_t NextNodeSerial();
std::int32_t NextReportSerial();

// Creates a node named `name` (may be null) as the last child of `parent`, or alone (depth 0)
// when `parent` is null. Null on allocation failure.
AttrNode* CreateNode(AttrNode* parent, const char* name);
// Unlinks `node` from its parent and siblings and deletes it with its whole sub-tree.
// Uses no recursion: trees of any depth are freed.
void DeleteNode(AttrNode* node);
// The first top-level node of the tree that holds `node`.
AttrNode* Top(AttrNode* node);
AttrNode* FindByName(AttrNode* node, const char* name, int mode);
AttrNode* FindByDesc(AttrNode* node, const char* text, int mode);
// "a:b:c" from the top of `node`'s tree, each step FindByName(current, part, 0x50).
AttrNode* FindPath(AttrNode* node, const char* path, char separator = ':');

// Reads a statistic: the 64-bit value of an 'i' or 'q' attribute, 0 otherwise.
std::int64_t GetInt64(AttrNode* node, const char* key);

}  // namespace qv
