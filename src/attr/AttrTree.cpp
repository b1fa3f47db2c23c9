// Attribute values, the process-wide name table, attribute lists and node trees.
#include "attr/AttrTree.h"

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

#include "attr/AttrDecimal.h"

namespace qv {

static_assert(sizeof(AttrView) == 12, "a value is a letter and a 4-aligned 8-byte payload");
static_assert(sizeof(void*) != 8 || sizeof(AttrNode) <= 120, "a node must fit a 128-byte heap block");

namespace {

char* DuplicateText(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    const std::size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy != nullptr) {
        std::memcpy(copy, text, size);
    }
    return copy;
}

// ---------------------------------------------------------------------------------------------
// Name table. Ids index fixed-size chunks that never move once allocated, so AttrNameText reads
// without a lock while another thread adds names. Each text is stored in an arena block behind
// its 32-bit length. A hash index (only touched under the mutex) maps texts to ids; each thread
// keeps a small direct-mapped cache in front of it so the usual few dozen names never lock.

constexpr std::uint32_t kChunkBits = 12;
constexpr std::uint32_t kChunkSize = 1u << kChunkBits;
constexpr std::uint32_t kMaxChunks = 256;  // ids stay below 2^20
constexpr std::size_t kMaxTableBytes = std::size_t{64} << 20;
constexpr std::uint32_t kMaxIds = kChunkSize * kMaxChunks;
// The share that names read from documents may not use (see the header).
constexpr std::uint32_t kReservedIds = kMaxIds / 16;
constexpr std::size_t kReservedBytes = kMaxTableBytes / 16;
constexpr std::size_t kArenaBlockSize = 64 * 1024;

std::uint32_t HashName(const char* name, std::size_t length) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (std::size_t i = 0; i < length; ++i) {
        hash = (hash ^ static_cast<unsigned char>(name[i])) * 16777619u;
    }
    return hash;
}

std::uint32_t StoredLength(const char* text) {
    std::uint32_t length;
    std::memcpy(&length, text - sizeof length, sizeof length);
    return length;
}

bool SameName(const char* stored, const char* name, std::size_t length) {
    return stored != nullptr && StoredLength(stored) == length && std::memcmp(stored, name, length) == 0;
}

class NameTable {
  public:
    const char* Text(std::uint32_t id) const {
        const std::uint32_t chunk = id >> kChunkBits;
        if (id == 0 || chunk >= kMaxChunks) {
            return nullptr;
        }
        const std::atomic<const char*>* slots = m_chunks[chunk].load(std::memory_order_acquire);
        return slots == nullptr ? nullptr : slots[id & (kChunkSize - 1)].load(std::memory_order_acquire);
    }

    std::uint32_t Intern(const char* name, std::size_t length, std::uint32_t hash, AttrNameSource source) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_indexMask == 0 && !GrowIndex()) {
            return 0;
        }
        std::uint32_t pos = Probe(name, length, hash);
        if (m_index[pos].id != 0) {
            return m_index[pos].id;
        }
        if (source == AttrNameSource::Document &&
            (m_lastId + 1 >= kMaxIds - kReservedIds || m_bytes + length + 8 > kMaxTableBytes - kReservedBytes)) {
            return 0;
        }
        // Keep the index at most half full; when it cannot grow, refuse rather than fill it.
        if (2 * (m_lastId + 1) > m_indexMask) {
            if (!GrowIndex()) {
                return 0;
            }
            pos = Probe(name, length, hash);
        }
        const std::uint32_t id = m_lastId + 1;
        const char* text = StoreText(name, length);
        if (text == nullptr || !PublishId(id, text)) {
            return 0;
        }
        m_lastId = id;
        m_index[pos] = {hash, id};
        return id;
    }

  private:
    struct IndexSlot {
        std::uint32_t hash;
        std::uint32_t id;
    };

    // The slot that holds `name`, or the empty slot where it belongs.
    std::uint32_t Probe(const char* name, std::size_t length, std::uint32_t hash) const {
        std::uint32_t pos = hash & m_indexMask;
        while (m_index[pos].id != 0 && !(m_index[pos].hash == hash && SameName(Text(m_index[pos].id), name, length))) {
            pos = (pos + 1) & m_indexMask;
        }
        return pos;
    }

    bool PublishId(std::uint32_t id, const char* text) {
        const std::uint32_t chunk = id >> kChunkBits;
        if (chunk >= kMaxChunks) {
            return false;
        }
        std::atomic<const char*>* slots = m_chunks[chunk].load(std::memory_order_relaxed);
        if (slots == nullptr) {
            slots = new (std::nothrow) std::atomic<const char*>[kChunkSize];
            if (slots == nullptr) {
                return false;
            }
            for (std::uint32_t i = 0; i < kChunkSize; ++i) {
                slots[i].store(nullptr, std::memory_order_relaxed);
            }
            m_chunks[chunk].store(slots, std::memory_order_release);
        }
        slots[id & (kChunkSize - 1)].store(text, std::memory_order_release);
        return true;
    }

    const char* StoreText(const char* name, std::size_t length) {
        // Length prefix, text, terminator; rounded up so the next prefix stays aligned.
        const std::size_t need = (sizeof(std::uint32_t) + length + 1 + 3) & ~std::size_t{3};
        if (m_bytes + need > kMaxTableBytes) {
            return nullptr;
        }
        char* place;
        if (need > kArenaBlockSize / 4) {
            place = static_cast<char*>(std::malloc(need));  // long names get a block of their own
        } else {
            if (need > m_blockLeft) {
                m_block = static_cast<char*>(std::malloc(kArenaBlockSize));
                m_blockLeft = m_block == nullptr ? 0 : kArenaBlockSize;
            }
            place = m_block;
            if (place != nullptr) {
                m_block += need;
                m_blockLeft -= need;
            }
        }
        if (place == nullptr) {
            return nullptr;
        }
        m_bytes += need;
        const std::uint32_t length32 = static_cast<std::uint32_t>(length);
        std::memcpy(place, &length32, sizeof length32);
        char* text = place + sizeof length32;
        std::memcpy(text, name, length);
        text[length] = '\0';
        return text;
    }

    bool GrowIndex() {
        const std::uint32_t newSize = m_indexMask == 0 ? 1024 : 2 * (m_indexMask + 1);
        auto* index = static_cast<IndexSlot*>(std::calloc(newSize, sizeof(IndexSlot)));
        if (index == nullptr) {
            return false;
        }
        for (std::uint32_t i = 0; m_indexMask != 0 && i <= m_indexMask; ++i) {
            if (m_index[i].id != 0) {
                std::uint32_t pos = m_index[i].hash & (newSize - 1);
                while (index[pos].id != 0) {
                    pos = (pos + 1) & (newSize - 1);
                }
                index[pos] = m_index[i];
            }
        }
        std::free(m_index);
        m_index = index;
        m_indexMask = newSize - 1;
        return true;
    }

    std::mutex m_mutex;
    std::atomic<std::atomic<const char*>*> m_chunks[kMaxChunks] = {};
    std::uint32_t m_lastId = 0;
    IndexSlot* m_index = nullptr;
    std::uint32_t m_indexMask = 0;
    char* m_block = nullptr;
    std::size_t m_blockLeft = 0;
    std::size_t m_bytes = 0;
};

// Never destroyed: names must outlive every tree, including trees freed by static destructors.
NameTable& Names() {
    static NameTable* table = new NameTable;
    return *table;
}

struct NameCacheSlot {
    std::uint32_t hash;
    std::uint32_t id;
};
thread_local NameCacheSlot t_nameCache[256];

// ---------------------------------------------------------------------------------------------

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
    // Only A-Z fold, so bytes of UTF-8 sequences (all 0x80 and above) compare exactly.
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(*a);
        unsigned char cb = static_cast<unsigned char>(*b);
        if (ca >= 'A' && ca <= 'Z') {
            ca = static_cast<unsigned char>(ca - 'A' + 'a');
        }
        if (cb >= 'A' && cb <= 'Z') {
            cb = static_cast<unsigned char>(cb - 'A' + 'a');
        }
        if (ca != cb) {
            return false;
        }
        if (ca == 0) {
            return true;
        }
    }
}

std::int32_t TakeSerial(std::atomic<std::uint32_t>& counter) {
    std::uint32_t current = counter.load(std::memory_order_relaxed);
    for (;;) {
        const std::uint32_t taken = current + 1;
        std::uint32_t next = taken + 1;
        if (next == 0x7FFFFFFFu) {
            next = 0x80000000u;
        }
        if (counter.compare_exchange_weak(current, next, std::memory_order_relaxed)) {
            return static_cast<std::int32_t>(taken);
        }
    }
}

const char* kErrorTexts[] = {"No error", "Generic error", "Not found"};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Names

std::uint32_t InternAttrName(const char* name, std::size_t length, AttrNameSource source) {
    if (name == nullptr || length == 0 || length > kMaxAttrNameLength) {
        return 0;
    }
    const std::uint32_t hash = HashName(name, length);
    NameCacheSlot& cached = t_nameCache[hash & 255];
    if (cached.id != 0 && cached.hash == hash && SameName(Names().Text(cached.id), name, length)) {
        return cached.id;
    }
    const std::uint32_t id = Names().Intern(name, length, hash, source);
    if (id != 0) {
        cached = {hash, id};
    }
    return id;
}

std::uint32_t InternAttrName(const char* name) {
    return name == nullptr ? 0 : InternAttrName(name, std::strlen(name));
}

const char* AttrNameText(std::uint32_t id) {
    return Names().Text(id);
}

// ---------------------------------------------------------------------------------------------
// AttrView and AttrValue

template <typename T>
void AttrView::Store(T value) {
    static_assert(sizeof(T) <= sizeof m_payload);
    std::memcpy(m_payload, &value, sizeof value);
}

std::int32_t AttrView::Int32() const {
    std::int32_t value;
    std::memcpy(&value, m_payload, sizeof value);
    return value;
}

std::int64_t AttrView::Int64() const {
    std::int64_t value;
    std::memcpy(&value, m_payload, sizeof value);
    return value;
}

double AttrView::Double() const {
    double value;
    std::memcpy(&value, m_payload, sizeof value);
    return value;
}

char* AttrView::Text() const {
    char* value;
    std::memcpy(&value, m_payload, sizeof value);
    return value;
}

std::int64_t AttrView::AsInt64() const {
    switch (m_type) {
        case 'q':
            return Int64();
        case 'i':
            return Int32();
        default:
            return 0;
    }
}

double AttrView::AsDouble() const {
    switch (m_type) {
        case 'r':
            return Double();
        case 'i':
            return Int32();
        default:
            return 0.0;
    }
}

const char* AttrView::AsText() const {
    return (m_type == 's' || m_type == 'f') ? Text() : nullptr;
}

std::int32_t AttrView::AsLenientInt() const {
    switch (m_type) {
        case 'i':
            return Int32();
        case 'q':
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(Int64()));
        case 's':
        case 'f': {
            const char* text = Text();
            if (text == nullptr) {
                return 0;
            }
            return static_cast<std::int32_t>(
                attr_detail::ParseDecimal(text, text + std::strlen(text), INT32_MIN, INT32_MAX));
        }
        default:
            return 0;
    }
}

const char* AttrView::ToText(char* buffer, std::size_t size) const {
    if (m_type == 's' || m_type == 'f') {
        return Text();
    }
    if (m_type == 'u') {
        return nullptr;
    }
    if (buffer == nullptr || size == 0) {
        return "";
    }
    switch (m_type) {
        case 'i':
            std::snprintf(buffer, size, "%" PRId32, Int32());
            break;
        case 'q':
            std::snprintf(buffer, size, "%" PRId64, Int64());
            break;
        case 'r':
            std::snprintf(buffer, size, "%f", Double());
            break;
        default:
            buffer[0] = '\0';
            break;
    }
    return buffer;
}

AttrValue::AttrValue(const char* text) {
    m_type = 's';
    Store(DuplicateText(text));
}

AttrValue::AttrValue(std::int32_t value) {
    m_type = 'i';
    Store(value);
}

AttrValue::AttrValue(std::int64_t value) {
    m_type = 'q';
    Store(value);
}

AttrValue::AttrValue(double value) {
    m_type = 'r';
    Store(value);
}

AttrValue::AttrValue(const AttrView& view) : AttrView(view) {
    if (m_type == 's') {
        Store(DuplicateText(Text()));
    }
}

AttrValue AttrValue::Borrowed(const char* text) {
    AttrValue value;
    value.m_type = 'f';
    value.Store(text);
    return value;
}

AttrValue AttrValue::Adopt(char* text) {
    AttrValue value;
    value.m_type = 's';
    value.Store(text);
    return value;
}

AttrValue::AttrValue(const AttrValue& other) : AttrValue(static_cast<const AttrView&>(other)) {}

AttrValue& AttrValue::operator=(const AttrValue& other) {
    if (this != &other) {
        AttrValue copy(other);
        *this = std::move(copy);
    }
    return *this;
}

AttrValue::AttrValue(AttrValue&& other) noexcept {
    other.MoveInto(*this);
}

AttrValue& AttrValue::operator=(AttrValue&& other) noexcept {
    if (this != &other) {
        Release();
        other.MoveInto(*this);
    }
    return *this;
}

AttrValue::~AttrValue() {
    Release();
}

void AttrValue::Release() {
    if (m_type == 's') {
        std::free(Text());
    }
}

void AttrValue::MoveInto(AttrView& target) {
    target.m_type = m_type;
    std::memcpy(target.m_payload, m_payload, sizeof m_payload);
    m_type = 'u';
    std::memset(m_payload, 0, sizeof m_payload);
}

void AttrValue::ClearPayload() {
    Release();
    std::memset(m_payload, 0, sizeof m_payload);
}

// ---------------------------------------------------------------------------------------------
// AttrList
//
// A list's block holds its values; the block points at the table of names and letters. A table
// may be shared by several lists, each using a prefix of it: a list's entry i is described by
// key i of its table. Only a table with a single user is ever written; a list that must change
// a shared table copies its own prefix first.

namespace {

// Key of an entry: the name id above the letter. Name ids stay below 2^20, see the name table.
constexpr std::uint32_t MakeKey(std::uint32_t nameId, char letter) {
    return (nameId << 8) | static_cast<unsigned char>(letter);
}
constexpr std::uint32_t NameIdOfKey(std::uint32_t key) {
    return key >> 8;
}
constexpr char LetterOfKey(std::uint32_t key) {
    return static_cast<char>(key & 0xFFu);
}
static_assert(std::uint64_t{kChunkSize} * kMaxChunks <= (1u << 24), "name ids must fit 24 bits of a key");

struct NameTableOfList {
    std::atomic<std::uint32_t> users;
    std::uint32_t count;     // keys written; every user's entry count is at most this
    std::uint32_t capacity;  // keys allocated
    std::uint32_t keys[1];   // `capacity` keys in fact
};

NameTableOfList* NewKeyTable(std::uint32_t capacity) {
    const std::size_t bytes = offsetof(NameTableOfList, keys) + std::size_t{capacity} * sizeof(std::uint32_t);
    auto* table = static_cast<NameTableOfList*>(std::malloc(bytes));
    if (table != nullptr) {
        new (&table->users) std::atomic<std::uint32_t>(1);
        table->count = 0;
        table->capacity = capacity;
    }
    return table;
}

void ReleaseKeyTable(NameTableOfList* table) {
    if (table != nullptr && table->users.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        std::free(table);
    }
}

// 4, 6, 8, 12, 16, 24, 32, 48, 64, ...: powers of two and the halves between them, so at most a
// third of a list is spare; a folder's 46 statistics end in 48 slots.
std::size_t NextCapacity(std::size_t capacity) {
    if (capacity < 4) {
        return 4;
    }
    const bool powerOfTwo = (capacity & (capacity - 1)) == 0;
    return powerOfTwo ? capacity + capacity / 2 : capacity + capacity / 3;
}

constexpr std::size_t kMaxEntries = 0x0FFFFFFFu;

}  // namespace

// Aligned to 8 so the values behind the header are too, with 4- and 8-byte pointers alike.
struct alignas(8) AttrList::Block {
    NameTableOfList* names;
    std::uint32_t capacity;  // values allocated behind the header

    unsigned char* Slot(std::size_t index) { return reinterpret_cast<unsigned char*>(this + 1) + index * 8; }
};

AttrList::~AttrList() {
    Clear();
}

void AttrList::SetError(AttrError code) {
    m_error = static_cast<std::uint8_t>(code);
    m_errorTextSet = true;
}

const char* AttrList::ErrorText() const {
    return m_errorTextSet ? kErrorTexts[m_error] : "";
}

std::uint32_t AttrList::Key(std::size_t index) const {
    return m_block->names->keys[index];
}

char* AttrList::TextAt(std::size_t index) const {
    char* text;
    std::memcpy(&text, m_block->Slot(index), sizeof text);
    return text;
}

// Moves the payload of `value` into slot `index`; the slot's old payload must be dealt with.
void AttrList::TakePayload(std::size_t index, AttrValue& value) {
    AttrView taken;
    value.MoveInto(taken);
    std::memcpy(m_block->Slot(index), taken.m_payload, 8);
}

std::uint32_t AttrList::NameIdAt(std::size_t index) const {
    return NameIdOfKey(Key(index));
}

AttrEntry AttrList::Entry(std::size_t index) const {
    const std::uint32_t key = Key(index);
    AttrEntry entry;
    entry.nameId = NameIdOfKey(key);
    entry.index = static_cast<std::uint32_t>(index);
    entry.value.m_type = LetterOfKey(key);
    std::memcpy(entry.value.m_payload, m_block->Slot(index), 8);
    return entry;
}

bool AttrList::EnsureRoom(std::size_t count) {
    if (m_block != nullptr && count <= m_block->capacity) {
        return true;
    }
    static_assert(sizeof(Block) % 8 == 0, "values behind the block header stay 8-byte aligned");
    if (count > kMaxEntries) {
        return false;
    }
    // Values are plain bytes (an 's' payload is just a pointer), so the block may move.
    auto* block = static_cast<Block*>(std::realloc(m_block, sizeof(Block) + count * 8));
    if (block == nullptr) {
        return false;
    }
    if (m_block == nullptr) {
        block->names = nullptr;
    }
    block->capacity = static_cast<std::uint32_t>(count);
    m_block = block;
    return true;
}

bool AttrList::Reserve(std::size_t count) {
    return EnsureRoom(count);
}

// Makes the list the only user of a table with room for `capacity` keys, keeping its own keys.
bool AttrList::OwnNames(std::size_t capacity) {
    NameTableOfList* names = m_block->names;
    const bool alone = names != nullptr && names->users.load(std::memory_order_acquire) == 1;
    if (alone && capacity <= names->capacity) {
        return true;
    }
    const std::size_t wanted = std::max<std::size_t>(capacity, m_block->capacity);
    NameTableOfList* own = NewKeyTable(static_cast<std::uint32_t>(wanted));
    if (own == nullptr) {
        return false;
    }
    if (names != nullptr) {
        std::memcpy(own->keys, names->keys, m_count * sizeof(std::uint32_t));
    }
    own->count = m_count;
    ReleaseKeyTable(names);
    m_block->names = own;
    return true;
}

// Gives entry `index` (at most Count()) the key `key`. Appending the key a shared table already
// holds at that place writes nothing.
bool AttrList::WriteKey(std::size_t index, std::uint32_t key) {
    NameTableOfList* names = m_block->names;
    if (names != nullptr && index < names->count && names->keys[index] == key) {
        return true;
    }
    if (!OwnNames(std::max<std::size_t>(index + 1, m_count))) {
        return false;
    }
    names = m_block->names;
    names->keys[index] = key;
    if (index == m_count) {
        names->count = m_count + 1;  // a longer tail was this list's alone and is dropped
    }
    return true;
}

bool AttrList::ShareNamesWith(const AttrList& model) {
    if (m_count != 0 || model.m_block == nullptr || model.m_block->names == nullptr ||
        !EnsureRoom(std::max<std::size_t>(model.m_count, 1))) {
        return false;
    }
    NameTableOfList* names = model.m_block->names;
    if (m_block->names != names) {
        names->users.fetch_add(1, std::memory_order_relaxed);
        ReleaseKeyTable(m_block->names);
        m_block->names = names;
    }
    return true;
}

AttrEntry AttrList::At(std::size_t index) {
    if (index >= m_count) {
        SetError(AttrError::NotFound);
        return {};
    }
    return Entry(index);
}

AttrEntry AttrList::Find(const char* name) {
    if (name != nullptr) {
        const std::uint32_t start = m_cursor < m_count ? m_cursor : 0;
        for (std::uint32_t i = start; i < m_count; ++i) {
            if (std::strcmp(AttrNameText(NameIdOfKey(Key(i))), name) == 0) {
                m_cursor = i;
                return Entry(i);
            }
        }
        for (std::uint32_t i = 0; i < start; ++i) {
            if (std::strcmp(AttrNameText(NameIdOfKey(Key(i))), name) == 0) {
                m_cursor = i;
                return Entry(i);
            }
        }
    }
    SetError(AttrError::NotFound);
    m_cursor = m_count;  // at the end: the next search starts from the first entry
    return {};
}

AttrView AttrList::Get(const char* name) {
    const AttrEntry entry = Find(name);
    if (entry) {
        switch (entry.value.Type()) {
            case 's':
            case 'i':
            case 'r':
            case 'q':
            case 'f':
                return entry.value;
            default:
                break;
        }
    }
    SetError(AttrError::NotFound);
    return {};
}

bool AttrList::Set(const char* name, const AttrValue& value, bool replace) {
    return Set(name, AttrValue(value), replace);
}

bool AttrList::Set(const char* name, AttrValue&& value, bool replace) {
    if (name == nullptr || *name == '\0') {
        SetError(AttrError::Generic);
        return false;
    }
    if (replace) {
        if (const AttrEntry entry = Find(name)) {
            m_cursor = kNoCursor;
            if (!SetAt(entry.index, std::move(value))) {
                SetError(AttrError::Generic);
                return false;
            }
            return true;
        }
    }
    return Append(InternAttrName(name), std::move(value));
}

bool AttrList::SetAt(std::size_t index, AttrValue&& value) {
    if (index >= m_count) {
        return false;
    }
    const std::uint32_t oldKey = Key(index);
    if (!WriteKey(index, MakeKey(NameIdOfKey(oldKey), value.Type()))) {
        return false;
    }
    if (LetterOfKey(oldKey) == 's') {
        std::free(TextAt(index));
    }
    TakePayload(index, value);
    return true;
}

bool AttrList::Append(std::uint32_t nameId, AttrValue&& value) {
    m_cursor = kNoCursor;
    const bool room = m_block != nullptr && m_count < m_block->capacity;
    if (nameId == 0 || (!room && !EnsureRoom(NextCapacity(m_block != nullptr ? m_block->capacity : 0))) ||
        !WriteKey(m_count, MakeKey(nameId, value.Type()))) {
        SetError(AttrError::Generic);
        return false;
    }
    TakePayload(m_count, value);
    ++m_count;
    return true;
}

bool AttrList::Remove(const char* name) {
    m_cursor = kNoCursor;
    for (std::uint32_t i = 0; name != nullptr && i < m_count; ++i) {
        if (EqualsIgnoringAsciiCase(AttrNameText(NameIdOfKey(Key(i))), name)) {
            if (!OwnNames(m_count)) {
                SetError(AttrError::Generic);
                return true;
            }
            if (LetterOfKey(Key(i)) == 's') {
                std::free(TextAt(i));
            }
            NameTableOfList* names = m_block->names;
            std::memmove(&names->keys[i], &names->keys[i + 1], (m_count - i - 1) * sizeof(std::uint32_t));
            std::memmove(m_block->Slot(i), m_block->Slot(i + 1), (m_count - i - 1) * 8);
            --m_count;
            names->count = m_count;
            return true;
        }
    }
    SetError(AttrError::NotFound);
    return true;
}

void AttrList::DestroyValues() {
    for (std::uint32_t i = 0; i < m_count; ++i) {
        if (LetterOfKey(Key(i)) == 's') {
            std::free(TextAt(i));
        }
    }
    m_count = 0;
}

bool AttrList::Clear() {
    if (m_error != 0) {
        SetError(AttrError::None);
    }
    if (m_block != nullptr) {
        DestroyValues();
        ReleaseKeyTable(m_block->names);
        std::free(m_block);
        m_block = nullptr;
    }
    m_cursor = kNoCursor;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Nodes

AttrNode::~AttrNode() {
    std::free(name);
    std::free(desc);
}

void AttrNode::SetName(const char* text) {
    char* copy = DuplicateText(text);  // before freeing: `text` may be the current name
    std::free(name);
    name = copy;
}

void AttrNode::SetDesc(const char* text) {
    char* copy = DuplicateText(text);
    std::free(desc);
    desc = copy;
}

std::int32_t NextNodeSerial() {
    static std::atomic<std::uint32_t> counter{0};
    return TakeSerial(counter);
}

std::int32_t NextReportSerial() {
    static std::atomic<std::uint32_t> counter{0};
    return TakeSerial(counter);
}

AttrNode* CreateNode(AttrNode* parent, const char* name) {
    auto* node = new (std::nothrow) AttrNode;
    if (node == nullptr) {
        return nullptr;
    }
    if (name != nullptr) {
        node->name = DuplicateText(name);
        if (node->name == nullptr) {
            delete node;
            return nullptr;
        }
    }
    node->serial = NextNodeSerial();
    if (parent != nullptr) {
        node->parent = parent;
        node->depth = parent->depth + 1;
        node->prevSibling = parent->lastChild;
        if (parent->lastChild != nullptr) {
            parent->lastChild->nextSibling = node;
        } else {
            parent->firstChild = node;
        }
        parent->lastChild = node;
    }
    return node;
}

void DeleteNode(AttrNode* node) {
    if (node == nullptr) {
        return;
    }
    if (node->prevSibling != nullptr) {
        node->prevSibling->nextSibling = node->nextSibling;
    } else if (node->parent != nullptr) {
        node->parent->firstChild = node->nextSibling;
    }
    if (node->nextSibling != nullptr) {
        node->nextSibling->prevSibling = node->prevSibling;
    } else if (node->parent != nullptr) {
        node->parent->lastChild = node->prevSibling;
    }
    node->parent = node->prevSibling = node->nextSibling = nullptr;

    // Post-order without a stack: go down first children; a node without children is always
    // the first child of its parent, so deleting it makes its next sibling the first child.
    AttrNode* current = node;
    while (current != nullptr) {
        if (current->firstChild != nullptr) {
            current = current->firstChild;
            continue;
        }
        AttrNode* next = nullptr;
        if (current != node) {
            next = current->nextSibling != nullptr ? current->nextSibling : current->parent;
            current->parent->firstChild = current->nextSibling;
        }
        delete current;
        current = next;
    }
}

AttrNode* Top(AttrNode* node) {
    if (node == nullptr) {
        return nullptr;
    }
    while (node->parent != nullptr) {
        node = node->parent;
    }
    while (node->prevSibling != nullptr) {
        node = node->prevSibling;
    }
    return node;
}

namespace {

// The walk shared by FindByName, FindByDesc and FindPath; `matches` tests one node.
template <typename Match>
AttrNode* SearchNodes(AttrNode* node, int mode, const Match& matches) {
    while (node != nullptr) {
        if (matches(node)) {
            return node;
        }
        if (mode & kFindSiblings) {
            const bool forward = (mode & kFindNext) != 0;
            for (AttrNode* s = forward ? node->nextSibling : node->prevSibling; s != nullptr;
                 s = forward ? s->nextSibling : s->prevSibling) {
                if (matches(s)) {
                    return s;
                }
            }
        }
        if (mode == 0 || mode == kFindSiblings || mode == (kFindSiblings | kFindNext)) {
            return nullptr;
        }
        node = node->firstChild;
        mode = (mode & kFindDeep) + (kFindSiblings | kFindNext);
    }
    return nullptr;
}

}  // namespace

AttrNode* FindByName(AttrNode* node, const char* name, int mode) {
    if (name == nullptr) {
        return nullptr;
    }
    return SearchNodes(node, mode, [name](const AttrNode* n) { return n->name && std::strcmp(n->name, name) == 0; });
}

AttrNode* FindByDesc(AttrNode* node, const char* text, int mode) {
    if (text == nullptr) {
        return nullptr;
    }
    return SearchNodes(node, mode, [text](const AttrNode* n) { return n->desc && std::strcmp(n->desc, text) == 0; });
}

AttrNode* FindPath(AttrNode* node, const char* path, char separator) {
    if (node == nullptr || path == nullptr || *path == '\0') {
        return nullptr;
    }
    AttrNode* current = Top(node);
    for (const char* part = path;;) {
        const char* end = part;
        while (*end != '\0' && *end != separator) {
            ++end;
        }
        const std::size_t length = static_cast<std::size_t>(end - part);
        current = SearchNodes(current, kFindDescend | kFindNext, [part, length](const AttrNode* n) {
            return n->name && std::strncmp(n->name, part, length) == 0 && n->name[length] == '\0';
        });
        if (current == nullptr || *end == '\0') {
            return current;
        }
        part = end + 1;
    }
}

}  // namespace qv
