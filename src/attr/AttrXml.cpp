// Writer and reader of the XML form of attribute trees (elements "node" and "attr" only).
//
// Reader choices where the format leaves room (all keep the writer's own output readable):
// - "<node/>" and "<attr .../>": a '/' right before '>' ends the tag name, so the writer's empty
//   node reads back; a self-closing attr has an empty value and no body.
// - Tag attribute names of any length from 0 to 511 bytes are accepted (unknown ones ignored).
// - A quoted value may contain '>' (names of files on Linux can); the tag ends at the first '>'
//   after the last value. Content text may contain '>' and keeps it.
// - The first malformed tag ends the whole read; the nodes built so far are the result.
// - Reals are read with strtod from at most their first 511 bytes after leading blanks.
// Both directions use only forward scans, so any input is read in linear time; nesting uses
// the tree's own parent links instead of recursion.
#include "attr/AttrXml.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "attr/AttrDecimal.h"

namespace qv {
namespace {

constexpr std::size_t kMaxTagName = 511;
constexpr std::size_t kMaxTagAttrName = 511;
constexpr std::size_t kMaxRealText = 511;

// ---------------------------------------------------------------------------------------------
// Escaping

// Which bytes a text may not carry as they are in each place it is written.
enum class Place { Field, Text, Href };

constexpr bool NeedsEscape(Place place, unsigned char c) {
    switch (place) {
        case Place::Field:
            return c == '"' || c == '&';
        case Place::Text:
            return c == '<' || c == '>' || c == '&';
        case Place::Href:
            return c == '"' || c == '<' || c == '>' || c == '&';
    }
    return false;
}

struct EscapeTable {
    bool special[3][256] = {};
    constexpr EscapeTable() {
        for (int place = 0; place < 3; ++place) {
            for (int c = 0; c < 256; ++c) {
                special[place][c] = NeedsEscape(static_cast<Place>(place), static_cast<unsigned char>(c));
            }
        }
    }
};
constexpr EscapeTable kEscapes;

const char* CharacterReference(char c) {
    switch (c) {
        case '"':
            return "&#34;";
        case '&':
            return "&#38;";
        case '<':
            return "&#60;";
        default:
            return "&#62;";
    }
}

// Length of a "&#N;" reference (N = 1..255, one to three digits) at `p`, or 0; its byte in `*byte`.
std::size_t ReferenceAt(const char* p, const char* end, char* byte) {
    if (end - p < 4 || p[0] != '&' || p[1] != '#') {
        return 0;
    }
    unsigned value = 0;
    const char* q = p + 2;
    for (; q < end && q - (p + 2) < 3 && *q >= '0' && *q <= '9'; ++q) {
        value = value * 10 + static_cast<unsigned>(*q - '0');
    }
    if (q == p + 2 || q >= end || *q != ';' || value < 1 || value > 255) {
        return 0;
    }
    *byte = static_cast<char>(value);
    return static_cast<std::size_t>(q + 1 - p);
}

// Decodes [p, p + n) into `out` (room for n bytes); returns the decoded length, cut at the first
// zero byte so that the result reads the same as a C text.
std::size_t DecodeInto(char* out, const char* p, std::size_t n) {
    const char* end = p + n;
    std::size_t used = 0;
    while (p < end) {
        const char* amp = static_cast<const char*>(std::memchr(p, '&', static_cast<std::size_t>(end - p)));
        const char* runEnd = amp != nullptr ? amp : end;
        std::memcpy(out + used, p, static_cast<std::size_t>(runEnd - p));
        used += static_cast<std::size_t>(runEnd - p);
        p = runEnd;
        if (p == end) {
            break;
        }
        char byte;
        const std::size_t referenceLength = ReferenceAt(p, end, &byte);
        if (referenceLength != 0) {
            out[used++] = byte;
            p += referenceLength;
        } else {
            out[used++] = *p++;
        }
    }
    const void* zero = std::memchr(out, '\0', used);
    return zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - out) : used;
}

// A decoded copy in malloc'd memory (null when memory runs out).
char* DecodeToMalloc(std::string_view raw) {
    char* text = static_cast<char*>(std::malloc(raw.size() + 1));
    if (text != nullptr) {
        text[DecodeInto(text, raw.data(), raw.size())] = '\0';
    }
    return text;
}

// The decoded text of `raw`: `raw` itself when it holds no reference, else decoded into `scratch`.
std::string_view Decoded(std::string_view raw, std::string* scratch) {
    if (raw.find('&') == std::string_view::npos && raw.find('\0') == std::string_view::npos) {
        return raw;
    }
    scratch->resize(raw.size());
    return std::string_view(scratch->data(), DecodeInto(scratch->data(), raw.data(), raw.size()));
}

// ---------------------------------------------------------------------------------------------
// Writer

// Collects output in a 64 KiB buffer and hands it on to a file or a string. After the first
// write that does not complete everything else is dropped and Finish reports the failure.
class Output {
  public:
    explicit Output(platform::File* file) : m_file(file) {}
    explicit Output(std::string* text) : m_text(text) {}

    void Put(const char* data, std::size_t size) {
        if (size > kBufferSize - m_used) {
            Flush();
            if (size >= kBufferSize) {
                Deliver(data, size);
                return;
            }
        }
        std::memcpy(m_buffer + m_used, data, size);
        m_used += size;
    }
    void Put(std::string_view text) { Put(text.data(), text.size()); }
    void Put(char c) {
        if (m_used == kBufferSize) {
            Flush();
        }
        m_buffer[m_used++] = c;
    }

    void PutTabs(std::int32_t count) {
        static const char kTabs[] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
        constexpr std::int32_t kRun = sizeof kTabs - 1;
        for (; count > 0; count -= kRun) {
            Put(kTabs, static_cast<std::size_t>(count < kRun ? count : kRun));
        }
    }

    void PutNumber(std::int64_t value) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        Put(digits, static_cast<std::size_t>(result.ptr - digits));
    }

    void PutEscaped(const char* text, Place place) {
        if (text == nullptr) {
            return;
        }
        const bool* special = kEscapes.special[static_cast<int>(place)];
        const char* run = text;
        const char* p = text;
        for (; *p != '\0'; ++p) {
            if (!special[static_cast<unsigned char>(*p)] || (*p == '&' && p[1] != '#')) {
                continue;
            }
            Put(run, static_cast<std::size_t>(p - run));
            Put(std::string_view(CharacterReference(*p), 5));
            run = p + 1;
        }
        Put(run, static_cast<std::size_t>(p - run));
    }

    bool Finish() {
        Flush();
        return !m_failed;
    }

  private:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    void Flush() {
        Deliver(m_buffer, m_used);
        m_used = 0;
    }
    void Deliver(const char* data, std::size_t size) {
        if (m_failed || size == 0) {
            return;
        }
        if (m_text != nullptr) {
            m_text->append(data, size);
        } else if (!m_file->Write(data, size)) {
            m_failed = true;
        }
    }

    platform::File* m_file = nullptr;
    std::string* m_text = nullptr;
    bool m_failed = false;
    std::size_t m_used = 0;
    char m_buffer[kBufferSize];
};

bool IsEmptyValue(const AttrView& value) {
    switch (value.Type()) {
        case 's':
        case 'f':
            return value.AsText() == nullptr || *value.AsText() == '\0';
        case 'i':
        case 'q':
            return value.AsInt64() == 0;
        case 'r':
            return value.AsDouble() == 0.0;
        default:
            return true;
    }
}

void WriteAttribute(Output& out, const AttrEntry& entry, std::int32_t depth) {
    const AttrView& value = entry.value;
    out.Put("\r\n");
    out.PutTabs(depth);
    out.Put("<attr name=\"");
    out.PutEscaped(entry.Name(), Place::Field);
    const char type = value.Type();
    if (type != 's' && type != 'f') {
        out.Put("\" type=\"");
        out.Put(type);
    }
    out.Put("\">");
    switch (type) {
        case 's':
        case 'f':
            out.PutEscaped(value.AsText(), Place::Text);
            break;
        case 'i':
        case 'q':
            out.PutNumber(value.AsInt64());  // the same digits as "%ld" / PRId64
            break;
        case 'r': {
            char text[kValueTextSize];
            out.Put(std::string_view(value.ToText(text, sizeof text)));
            break;
        }
        default:
            break;
    }
    out.Put("</attr>");
}

void WriteNumberField(Output& out, std::string_view field, std::int64_t value) {
    if (value != 0) {
        out.Put(field);
        out.PutNumber(value);
        out.Put('"');
    }
}

// Writes the start of `node` with its attributes; false when it was closed at once ("/>").
bool WriteNodeStart(Output& out, const AttrNode& node, bool skipEmpty) {
    out.Put("\r\n");
    out.PutTabs(node.depth);
    out.Put("<node");
    if (node.name != nullptr) {
        out.Put(" name=\"");
        out.PutEscaped(node.name, Place::Field);
        out.Put('"');
    }
    if (node.desc != nullptr) {
        out.Put(" desc=\"");
        out.PutEscaped(node.desc, Place::Field);
        out.Put('"');
    }
    WriteNumberField(out, " id=\"", node.id);
    WriteNumberField(out, " kind=\"", node.kind);
    WriteNumberField(out, " group=\"", node.group);
    WriteNumberField(out, " val=\"", node.val);
    WriteNumberField(out, " val2=\"", node.val2);
    if (node.attrs.Count() == 0 && node.firstChild == nullptr) {
        out.Put("/>");
        return false;
    }
    out.Put('>');
    for (std::size_t i = 0; i < node.attrs.Count(); ++i) {
        const AttrEntry entry = node.attrs.Entry(i);
        if (entry.value.Type() != 'u' && !(skipEmpty && IsEmptyValue(entry.value))) {
            WriteAttribute(out, entry, node.depth + 1);
        }
    }
    return true;
}

void WriteNodeEnd(Output& out, const AttrNode& node) {
    out.Put("\r\n");
    out.PutTabs(node.depth);
    out.Put("</node>");
}

bool WriteDocument(Output& out, const AttrNode* top, bool skipEmpty, const char* stylesheet) {
    if (stylesheet != nullptr && *stylesheet != '\0') {
        out.Put("<?xml version=\"1.0\"?><?xml-stylesheet type=\"text/xsl\" href=\"");
        out.PutEscaped(stylesheet, Place::Href);
        out.Put("\" ?>\r\n");
    }
    // Pre-order walk over the links; end tags are written on the way back up.
    const AttrNode* node = top;
    for (;;) {
        const bool open = WriteNodeStart(out, *node, skipEmpty);
        if (node->firstChild != nullptr) {
            node = node->firstChild;
            continue;
        }
        if (open) {
            WriteNodeEnd(out, *node);
        }
        while (node != top && node->nextSibling == nullptr) {
            node = node->parent;
            WriteNodeEnd(out, *node);
        }
        if (node == top) {
            break;
        }
        node = node->nextSibling;
    }
    return out.Finish();
}

// ---------------------------------------------------------------------------------------------
// Reader

bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lower[i]) {
            return false;
        }
    }
    return true;
}

enum class TagKind { Node, NodeEnd, Attr, AttrEnd, Other };

TagKind Classify(std::string_view name) {
    if (EqualsIgnoringCase(name, "node")) {
        return TagKind::Node;
    }
    if (EqualsIgnoringCase(name, "/node")) {
        return TagKind::NodeEnd;
    }
    if (EqualsIgnoringCase(name, "attr")) {
        return TagKind::Attr;
    }
    if (EqualsIgnoringCase(name, "/attr")) {
        return TagKind::AttrEnd;
    }
    return TagKind::Other;
}

// The fields of a node tag or an attr tag that the reader uses, raw (still encoded). Only the
// first occurrence of a field counts.
struct TagFields {
    enum Field { Name, Desc, Id, Kind, Group, Val, Val2, Type, kCount };
    std::string_view raw[kCount];
    bool present[kCount] = {};

    void Take(std::string_view field, std::string_view value) {
        static constexpr std::string_view kNames[kCount] = {"name",  "desc", "id",   "kind",
                                                            "group", "val",  "val2", "type"};
        for (int i = 0; i < kCount; ++i) {
            if (!present[i] && field == kNames[i]) {
                present[i] = true;
                raw[i] = value;
                return;
            }
        }
    }
};

// One pass over a document. Tags are found left to right and nothing is scanned twice, so
// hostile input costs linear time. Nesting lives in the tree itself: `current` is the innermost
// open node and closing it moves to its parent.
class Reader {
  public:
    Reader(const char* text, std::size_t length) : m_begin(text), m_pos(text), m_end(text + length) {}

    AttrNode* Parse(AttrNode* parent, std::size_t* consumed, ReadEnd* end);
    // After an out-of-memory exception: frees whatever was built.
    void Abandon() {
        DeleteNode(m_root);
        m_root = nullptr;
    }

  private:
    struct Tag {
        std::string_view name;
        const char* afterName;
    };
    enum class Step { Continue, Done, Fail };

    bool NextTag(Tag* tag);
    bool SkipPastTagEnd(const char* from);
    bool ReadFields(const char* from, TagFields* fields, bool* selfClosing);
    Step OnNodeTag(const Tag& tag, AttrNode* parent);
    Step OnNodeEnd(const Tag& tag);
    Step OnAttrTag(const Tag& tag);
    AttrValue ConvertValue(char type, std::string_view raw);
    bool SkipToAttrEnd();
    std::int64_t FieldNumber(const TagFields& fields, int field, std::int64_t min, std::int64_t max);

    const char* m_begin;
    const char* m_pos;
    const char* m_end;
    AttrNode* m_root = nullptr;
    AttrNode* m_current = nullptr;
    AttrNode* m_previous = nullptr;  // the node read last: the next one likely has its attribute names
    bool m_closed = false;           // the top node's end was read
    bool m_namesFull = false;        // the name table refused a name of this document
    std::string m_scratch;
};

// Finds the next tag from m_pos and reads its name. False at the end of the text or when the
// tag cannot be read (name empty or too long, no '>' anywhere after it): either ends the parse.
bool Reader::NextTag(Tag* tag) {
    const char* open = static_cast<const char*>(std::memchr(m_pos, '<', static_cast<std::size_t>(m_end - m_pos)));
    if (open == nullptr) {
        m_pos = m_end;
        return false;
    }
    const char* name = open + 1;
    const char* limit = m_end - name > static_cast<std::ptrdiff_t>(kMaxTagName + 1) ? name + kMaxTagName + 1 : m_end;
    const char* p = name;
    while (p < limit && *p != ' ' && *p != '>' && !(*p == '/' && p + 1 < m_end && p[1] == '>')) {
        ++p;
    }
    m_pos = open;
    if (p == name || p - name > static_cast<std::ptrdiff_t>(kMaxTagName) || p == m_end) {
        return false;
    }
    tag->name = std::string_view(name, static_cast<std::size_t>(p - name));
    tag->afterName = p;
    return true;
}

bool Reader::SkipPastTagEnd(const char* from) {
    const char* close = static_cast<const char*>(std::memchr(from, '>', static_cast<std::size_t>(m_end - from)));
    if (close == nullptr) {
        return false;
    }
    m_pos = close + 1;
    return true;
}

// Reads name="value" pairs up to the end of the tag and moves past it. False when malformed.
bool Reader::ReadFields(const char* p, TagFields* fields, bool* selfClosing) {
    for (;;) {
        while (p < m_end && *p == ' ') {
            ++p;
        }
        if (p == m_end) {
            return false;
        }
        if (*p == '>' || *p == '/') {
            const char* close = static_cast<const char*>(std::memchr(p, '>', static_cast<std::size_t>(m_end - p)));
            if (close == nullptr) {
                return false;
            }
            *selfClosing = close[-1] == '/';
            m_pos = close + 1;
            return true;
        }
        const char* name = p;
        while (p < m_end && *p != ' ' && *p != '=' && *p != '>') {
            ++p;
        }
        const std::size_t nameLength = static_cast<std::size_t>(p - name);
        while (p < m_end && *p != '=' && *p != '>') {
            ++p;
        }
        if (nameLength > kMaxTagAttrName || p == m_end || *p == '>') {
            return false;
        }
        while (p < m_end && *p != '"' && *p != '>') {
            ++p;
        }
        if (p == m_end || *p == '>') {
            return false;
        }
        const char* value = p + 1;
        const char* quote = static_cast<const char*>(std::memchr(value, '"', static_cast<std::size_t>(m_end - value)));
        if (quote == nullptr) {
            return false;
        }
        fields->Take(std::string_view(name, nameLength),
                     std::string_view(value, static_cast<std::size_t>(quote - value)));
        p = quote + 1;
    }
}

std::int64_t Reader::FieldNumber(const TagFields& fields, int field, std::int64_t min, std::int64_t max) {
    if (!fields.present[field]) {
        return 0;
    }
    const std::string_view text = Decoded(fields.raw[field], &m_scratch);
    return attr_detail::ParseDecimal(text.data(), text.data() + text.size(), min, max);
}

Reader::Step Reader::OnNodeTag(const Tag& tag, AttrNode* parent) {
    AttrNode* node = CreateNode(m_current != nullptr ? m_current : parent, nullptr);
    if (node == nullptr) {
        return Step::Done;
    }
    if (m_root == nullptr) {
        m_root = node;
    }
    if (m_previous != nullptr) {
        node->attrs.ShareNamesWith(m_previous->attrs);
    }
    m_previous = node;
    TagFields fields;
    bool selfClosing = false;
    if (!ReadFields(tag.afterName, &fields, &selfClosing)) {
        return Step::Done;
    }
    if (fields.present[TagFields::Name]) {
        node->name = DecodeToMalloc(fields.raw[TagFields::Name]);
    }
    if (fields.present[TagFields::Desc]) {
        node->desc = DecodeToMalloc(fields.raw[TagFields::Desc]);
    }
    node->kind = static_cast<std::int32_t>(FieldNumber(fields, TagFields::Kind, INT32_MIN, INT32_MAX));
    node->id = static_cast<std::int32_t>(FieldNumber(fields, TagFields::Id, INT32_MIN, INT32_MAX));
    node->group = static_cast<std::int32_t>(FieldNumber(fields, TagFields::Group, INT32_MIN, INT32_MAX));
    node->val = FieldNumber(fields, TagFields::Val, INT64_MIN, INT64_MAX);
    node->val2 = FieldNumber(fields, TagFields::Val2, INT64_MIN, INT64_MAX);
    if (selfClosing) {
        m_closed = node == m_root;
        return m_closed ? Step::Done : Step::Continue;
    }
    m_current = node;
    return Step::Continue;
}

Reader::Step Reader::OnNodeEnd(const Tag& tag) {
    if (m_current == nullptr) {
        return Step::Fail;  // a closing tag before the document: nothing to give back
    }
    if (!SkipPastTagEnd(tag.afterName)) {
        return Step::Done;
    }
    if (m_current == m_root) {
        m_closed = true;
        return Step::Done;
    }
    m_current = m_current->parent;
    return Step::Continue;
}

AttrValue Reader::ConvertValue(char type, std::string_view raw) {
    switch (type) {
        case 'i':
        case 'q': {
            const std::string_view text = Decoded(raw, &m_scratch);
            const std::int64_t value =
                type == 'i' ? attr_detail::ParseDecimal(text.data(), text.data() + text.size(), INT32_MIN, INT32_MAX)
                            : attr_detail::ParseDecimal(text.data(), text.data() + text.size(), INT64_MIN, INT64_MAX);
            return type == 'i' ? AttrValue(static_cast<std::int32_t>(value)) : AttrValue(value);
        }
        case 'r': {
            std::string_view text = Decoded(raw, &m_scratch);
            while (!text.empty() && attr_detail::IsCSpace(text.front())) {
                text.remove_prefix(1);
            }
            char number[kMaxRealText + 1];
            const std::size_t length = text.size() < kMaxRealText ? text.size() : kMaxRealText;
            std::memcpy(number, text.data(), length);
            number[length] = '\0';
            return AttrValue(std::strtod(number, nullptr));
        }
        default: {
            char* text = DecodeToMalloc(raw);
            if (text != nullptr && *text == '\0') {
                std::free(text);
                text = nullptr;  // an empty text reads as a null text
            }
            return AttrValue::Adopt(text);
        }
    }
}

// Skips every tag up to and including the next "/attr". False when the parse has to stop.
bool Reader::SkipToAttrEnd() {
    Tag tag;
    while (NextTag(&tag)) {
        if (!SkipPastTagEnd(tag.afterName)) {
            return false;
        }
        if (Classify(tag.name) == TagKind::AttrEnd) {
            return true;
        }
    }
    return false;
}

Reader::Step Reader::OnAttrTag(const Tag& tag) {
    if (m_current == nullptr) {
        return Step::Fail;  // an attribute before the first node
    }
    TagFields fields;
    bool selfClosing = false;
    if (!ReadFields(tag.afterName, &fields, &selfClosing)) {
        return Step::Done;
    }
    char type = 's';
    if (fields.present[TagFields::Type]) {
        const std::string_view text = Decoded(fields.raw[TagFields::Type], &m_scratch);
        type = text.empty() ? '\0' : text.front();
    }
    std::string_view body;
    if (!selfClosing) {
        const char* open = static_cast<const char*>(std::memchr(m_pos, '<', static_cast<std::size_t>(m_end - m_pos)));
        const char* bodyEnd = open != nullptr ? open : m_end;
        body = std::string_view(m_pos, static_cast<std::size_t>(bodyEnd - m_pos));
        m_pos = bodyEnd;
    }
    std::uint32_t nameId = 0;
    if (fields.present[TagFields::Name]) {
        const std::string_view name = Decoded(fields.raw[TagFields::Name], &m_scratch);
        nameId = InternAttrName(name.data(), name.size(), AttrNameSource::Document);
        if (nameId == 0 && !name.empty() && name.size() <= kMaxAttrNameLength) {
            m_namesFull = true;  // a name the table cannot take: the document cannot be read whole
            return Step::Fail;
        }
    }
    m_current->attrs.Append(nameId, ConvertValue(type, body));  // a missing name is refused
    if (selfClosing) {
        return Step::Continue;
    }
    return SkipToAttrEnd() ? Step::Continue : Step::Done;
}

AttrNode* Reader::Parse(AttrNode* parent, std::size_t* consumed, ReadEnd* end) {
    Step step = Step::Continue;
    Tag tag;
    while (step == Step::Continue && NextTag(&tag)) {
        switch (Classify(tag.name)) {
            case TagKind::Node:
                step = OnNodeTag(tag, parent);
                break;
            case TagKind::NodeEnd:
                step = OnNodeEnd(tag);
                break;
            case TagKind::Attr:
                step = OnAttrTag(tag);
                break;
            default:
                step = SkipPastTagEnd(tag.afterName) ? Step::Continue : Step::Done;
                break;
        }
    }
    if (consumed != nullptr) {
        *consumed = static_cast<std::size_t>(m_pos - m_begin);
    }
    if (step == Step::Fail) {
        Abandon();
    }
    if (end != nullptr) {
        *end = m_namesFull ? ReadEnd::TooManyNames : (m_closed ? ReadEnd::Complete : ReadEnd::Incomplete);
    }
    AttrNode* root = m_root;
    m_root = nullptr;
    return root;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

bool WriteTree(const AttrNode* node, platform::File* file, bool skipEmpty, const char* stylesheet) {
    if (node == nullptr || file == nullptr || !file->IsOpen()) {
        return false;
    }
    std::unique_ptr<Output> output(new (std::nothrow) Output(file));
    return output != nullptr && WriteDocument(*output, node, skipEmpty, stylesheet);
}

bool WriteTreeToString(const AttrNode* node, bool skipEmpty, const char* stylesheet, std::string* out) {
    if (node == nullptr || out == nullptr) {
        return false;
    }
    try {
        out->clear();
        std::unique_ptr<Output> output(new (std::nothrow) Output(out));
        return output != nullptr && WriteDocument(*output, node, skipEmpty, stylesheet);
    } catch (const std::bad_alloc&) {
        out->clear();
        return false;
    }
}

AttrNode* ParseNode(AttrNode* parent, const char* text, std::size_t length, std::size_t* consumed, ReadEnd* end) {
    if (consumed != nullptr) {
        *consumed = 0;
    }
    if (end != nullptr) {
        *end = ReadEnd::Incomplete;
    }
    if (text == nullptr || length == 0) {
        return nullptr;
    }
    Reader reader(text, length);
    try {
        return reader.Parse(parent, consumed, end);
    } catch (const std::bad_alloc&) {
        reader.Abandon();
        if (end != nullptr) {
            *end = ReadEnd::Incomplete;
        }
        return nullptr;
    }
}

AttrNode* ReadTreeFromMemory(const char* text, std::size_t length, ReadEnd* end) {
    return ParseNode(nullptr, text, length, nullptr, end);
}

AttrNode* ReadTree(platform::File* file, ReadEnd* end) {
    if (end != nullptr) {
        *end = ReadEnd::Incomplete;
    }
    if (file == nullptr || !file->IsOpen()) {
        return nullptr;
    }
    std::string text;
    try {
        const std::int64_t size = file->Size();
        const std::int64_t position = file->Position();
        if (size > position && position >= 0) {
            if (static_cast<std::uint64_t>(size - position) > kMaxDocumentBytes) {
                return nullptr;
            }
            // One byte more than expected, so the read that finds the end needs no new buffer.
            text.reserve(static_cast<std::size_t>(size - position) + 1);
        }
        for (;;) {
            const std::size_t used = text.size();
            if (used > kMaxDocumentBytes) {
                return nullptr;  // the file grew past the limit while we read it
            }
            const std::size_t room = text.capacity() > used ? text.capacity() - used : std::size_t{1} << 20;
            text.resize(used + room);
            std::size_t got = 0;
            if (!file->Read(text.data() + used, room, &got)) {
                return nullptr;
            }
            text.resize(used + got);
            if (got == 0) {
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return ReadTreeFromMemory(text.data(), text.size(), end);
}

}  // namespace qv
