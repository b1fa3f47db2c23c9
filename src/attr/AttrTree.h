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

// The reading side of a typed value. Type letters: 's' owned text, 'f' text not owned, 'i'
// 32-bit integer, 'q' 64-bit integer, 'r' double, 'u' unset. A view is a copy of the letter and
// the 8-byte payload and owns nothing: a view of an 's' value read from a list stays valid
// until that entry changes. The payload is aligned to 4 so a view packs into 12 bytes.
class AttrView {
  public:
    AttrView() = default;  // 'u', zero payload

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

  protected:
    std::int32_t Int32() const;
    std::int64_t Int64() const;
    double Double() const;
    char* Text() const;
    template <typename T>
    void Store(T value);

    char m_type = 'u';
    alignas(4) unsigned char m_payload[8] = {};

    friend class AttrList;
    friend class AttrValue;
};

// One typed value that owns its text: an 's' value owns a malloc'd copy.
class AttrValue : public AttrView {
  public:
    AttrValue() = default;                   // 'u', zero payload
    explicit AttrValue(const char* text);    // 's', duplicated (null allowed)
    explicit AttrValue(std::int32_t value);  // 'i'
    explicit AttrValue(std::int64_t value);  // 'q'
    explicit AttrValue(double value);        // 'r'
    // A copy of a viewed value: 's' text is duplicated, 'f' stays borrowed.
    explicit AttrValue(const AttrView& view);
    // 'f': refers to `text` without owning it; the caller keeps it alive.
    static AttrValue Borrowed(const char* text);
    // Takes ownership of a malloc'd text as an 's' value.
    static AttrValue Adopt(char* text);

    AttrValue(const AttrValue& other);
    AttrValue& operator=(const AttrValue& other);
    AttrValue(AttrValue&& other) noexcept;
    AttrValue& operator=(AttrValue&& other) noexcept;
    ~AttrValue();

    // Frees 's' text, zeroes the payload, keeps the letter.
    void ClearPayload();

  private:
    void Release();
    // Hands the payload (and any owned text) to the caller; the value is left unset.
    void MoveInto(AttrView& target);

    friend class AttrList;
};

// Process-wide table of attribute names. Ids start at 1; 0 means "no name". A name once
// interned stays for the life of the process, so an id's text can be read without locking
// from any thread. Interning is thread-safe. The table refuses (returns 0) names longer than
// kMaxAttrNameLength and new names once it holds about a million names or 64 MiB of text.
// Names met in a document being read may fill it only up to a sixteenth short of that: the
// rest is kept for the program's own names (report keys, per-filter keys), so a file that
// floods the table cannot leave later reports without room for their keys.
constexpr std::size_t kMaxAttrNameLength = 65535;
enum class AttrNameSource { Program, Document };
std::uint32_t InternAttrName(const char* name,
                             std::size_t length,
                             AttrNameSource source = AttrNameSource::Program);
std::uint32_t InternAttrName(const char* name);
// Text of an interned name; null for 0 or an unknown id.
const char* AttrNameText(std::uint32_t id);

// One entry as a lookup or a walk of a list returns it: the name id, the position and a view of
// the value, valid until the list changes. Converts to false when the lookup found nothing.
struct AttrEntry {
    const char* Name() const { return AttrNameText(nameId); }
    explicit operator bool() const { return nameId != 0; }
    std::uint32_t nameId = 0;
    std::uint32_t index = 0;
    AttrView value;
};

enum class AttrError : std::int32_t { None = 0, Generic = 1, NotFound = 2 };

// The ordered attribute list of a node, with its error state and search cursor. Entries keep
// insertion order; names need not be unique. The cursor remembers where the last successful
// search matched, so reading keys in the order they were written costs one comparison each.
//
// Storage: the values are 8-byte payloads in one block; the names and letters sit in a separate
// table that lists filled alike can share (ShareNamesWith). A report's folders all carry the
// same few dozen statistics in the same order, so they keep one table between them and each
// folder pays 8 bytes per statistic. A list copies a shared table before it changes it.
class AttrList {
  public:
    AttrList() = default;
    ~AttrList();
    AttrList(const AttrList&) = delete;
    AttrList& operator=(const AttrList&) = delete;

    std::size_t Count() const { return m_count; }
    // The entry at `index` (below Count()) for walks; touches neither cursor nor error state.
    AttrEntry Entry(std::size_t index) const;
    // The name id of the entry at `index` (below Count()), for lookups by id.
    std::uint32_t NameIdAt(std::size_t index) const;
    // Entry at index, or none (and error NotFound) past the end.
    AttrEntry At(std::size_t index);
    // Cursor search (exact, case-sensitive); none and error NotFound when missing.
    AttrEntry Find(const char* name);
    // Value of `name` when its letter is s/i/r/q/f, else an unset value and error NotFound.
    AttrView Get(const char* name);
    // Set with or without replacement; a null/empty name fails with Generic. Resets the cursor.
    bool Set(const char* name, const AttrValue& value, bool replace);
    bool Set(const char* name, AttrValue&& value, bool replace);
    // Replaces the value of the entry at `index` (below Count()). False when memory runs out.
    bool SetAt(std::size_t index, AttrValue&& value);
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
    // For an empty list that will be filled like `model`: uses the model's table of names and
    // letters, and room for as many values. Entries appended in the model's order with the
    // model's letters then cost no name storage; any other entry makes the list its own copy.
    // False when memory runs out (the list stays usable).
    bool ShareNamesWith(const AttrList& model);

    AttrError ErrorCode() const { return static_cast<AttrError>(m_error); }
    // "" before any error state was recorded, else "No error", "Generic error", "Not found".
    const char* ErrorText() const;

  private:
    struct Block;
    std::uint32_t Key(std::size_t index) const;
    char* TextAt(std::size_t index) const;
    void TakePayload(std::size_t index, AttrValue& value);
    bool EnsureRoom(std::size_t count);
    bool WriteKey(std::size_t index, std::uint32_t key);
    bool OwnNames(std::size_t capacity);
    void DestroyValues();
    void SetError(AttrError code);

    Block* m_block = nullptr;
    std::uint32_t m_count = 0;
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

}  // namespace qv
