// The typed node/attribute tree that carries every document of the program: reports, filter
// files and the settings. A node has fixed plain fields and an ordered list of named, typed
// values; nodes link into trees by parent/child/sibling pointers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

// Buffer size that ToText needs for every value: "%f" of the largest double (about 1.8e308)
// is 309 digits, a sign, a point and six decimals.
constexpr std::size_t kValueTextSize = 320;

// One typed value. Type letters: 's' owned text, 'f' text not owned, 'i' 32-bit integer,
// 'q' 64-bit integer, 'r' double, 'u' unset. An 's' value owns a malloc'd copy of its text.
// The payload is kept as 8 raw bytes aligned to 4 so that an AttrEntry (name id + value)
// packs into 16 bytes; a report holds tens of millions of entries.
class AttrValue {
  public:
    AttrValue() = default;                   // 'u', zero payload
    explicit AttrValue(const char* text);    // 's', duplicated (null allowed)
    explicit AttrValue(std::int32_t value);  // 'i'
    explicit AttrValue(std::int64_t value);  // 'q'
    explicit AttrValue(double value);        // 'r'
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
    // 's'/'f' own text (buffer unused, may be null); 'i' and 'q' decimal; 'r' "%f"; 'u' null;
    // other letters: empty text in the buffer. Never writes past `size` bytes: a number that
    // does not fit is cut short. kValueTextSize bytes hold every value.
    const char* ToText(char* buffer, std::size_t size) const;
    // Frees 's' text, zeroes the payload, keeps the letter.
    void ClearPayload();

    // The one shared unset value that failed lookups return.
    static const AttrValue& Unset();

  private:
    void Release();
    std::int32_t Int32() const;
    std::int64_t Int64() const;
    double Double() const;
    char* Text() const;
    template <typename T>
    void Store(T value);

    char m_type = 'u';
    alignas(4) unsigned char m_payload[8] = {};
};

// Process-wide table of attribute names. Ids start at 1; 0 means "no name". A name once
// interned stays for the life of the process, so an id's text can be read without locking
// from any thread. Interning is thread-safe. The table refuses (returns 0) names longer than
// kMaxAttrNameLength and new names once it holds about a million names or 64 MiB of text;
// no document of the program comes near either.
constexpr std::size_t kMaxAttrNameLength = 65535;
std::uint32_t InternAttrName(const char* name, std::size_t length);
std::uint32_t InternAttrName(const char* name);
// Text of an interned name; null for 0 or an unknown id.
const char* AttrNameText(std::uint32_t id);

// One entry of an attribute list. Names are interned process-wide: a million nodes that
// share a few dozen attribute names keep one copy of each name.
struct AttrEntry {
    const char* Name() const { return AttrNameText(nameId); }
    std::uint32_t nameId = 0;
    AttrValue value;
};

enum class AttrError : std::int32_t { None = 0, Generic = 1, NotFound = 2 };

// The ordered attribute list of a node, with its error state and search cursor. Entries keep
// insertion order; names need not be unique. The cursor remembers where the last successful
// search matched, so reading keys in the order they were written costs one comparison each.
class AttrList {
  public:
    AttrList() = default;
    ~AttrList();
    AttrList(const AttrList&) = delete;
    AttrList& operator=(const AttrList&) = delete;

    std::size_t Count() const { return m_count; }
    // Read-only walk over the entries in list order (no cursor or error state involved).
    const AttrEntry* begin() const { return m_entries; }
    const AttrEntry* end() const { return m_entries + m_count; }
    // Entry at index, or null (and error NotFound) past the end.
    AttrEntry* At(std::size_t index);
    // Cursor search (exact, case-sensitive); null and error NotFound when missing.
    AttrEntry* Find(const char* name);
    // Value of `name` when its letter is s/i/r/q/f, else the shared unset value and NotFound.
    const AttrValue& Get(const char* name);
    // Set with or without replacement; a null/empty name fails with Generic. Resets the cursor.
    bool Set(const char* name, const AttrValue& value, bool replace);
    bool Set(const char* name, AttrValue&& value, bool replace);
    // Appends without looking for an existing entry, by an id from InternAttrName. Fails with
    // Generic for id 0 or when memory runs out. Resets the cursor.
    bool Append(std::uint32_t nameId, AttrValue&& value);
    // Removes the first entry whose name equals `name` ignoring ASCII case. Always succeeds.
    bool Remove(const char* name);
    // Destroys every entry; error becomes None ("No error") when it was not already 0.
    bool Clear();
    // Pre-sizes the list for `count` entries (a scanner knows how many it will append).
    // False when memory runs out.
    bool Reserve(std::size_t count);

    AttrError ErrorCode() const { return static_cast<AttrError>(m_error); }
    // "" before any error state was recorded, else "No error", "Generic error", "Not found".
    const char* ErrorText() const;

  private:
    void SetError(AttrError code);
    bool Grow();
    AttrEntry* m_entries = nullptr;
    std::uint32_t m_count = 0;
    std::uint32_t m_capacity = 0;
    std::uint32_t m_cursor = kNoCursor;
    std::uint8_t m_error = 0;
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
    AttrNode() = default;
    ~AttrNode();  // frees name and desc; the links are DeleteNode's business
    AttrNode(const AttrNode&) = delete;
    AttrNode& operator=(const AttrNode&) = delete;

    // group sits before the pointers so the node packs into 120 bytes; a report has one
    // node per folder.
    std::int32_t kind = 0;
    std::int32_t id = 0;
    std::int32_t serial = 0;
    std::int32_t group = 0;
    char* name = nullptr;  // owned, may be null
    char* desc = nullptr;  // owned, may be null
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
// Exact, case-sensitive search by name (desc); nodes whose name (desc) is null never match.
// Mode bits: kFindSiblings also compares the siblings, in the next direction with kFindNext
// (else previous); kFindDescend moves on to the first child, kFindDeep keeps doing so.
// 0x50 finds the node or one of its direct children; 0xF0 the node, its following siblings
// and, down the chain of first children, each with its following siblings.
AttrNode* FindByName(AttrNode* node, const char* name, int mode);
AttrNode* FindByDesc(AttrNode* node, const char* text, int mode);
// "a:b:c" from the top of `node`'s tree, each step FindByName(current, part, 0x50). Null for
// an empty path or any miss.
AttrNode* FindPath(AttrNode* node, const char* path, char separator = ':');

// Reads a statistic: the 64-bit value of an 'i' or 'q' attribute, 0 otherwise.
std::int64_t GetInt64(AttrNode* node, const char* key);

}  // namespace qv
