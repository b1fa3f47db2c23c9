// Filter sets: adding, numbering and removing filters, compiling the shared matcher list,
// counting matched files, copying, the built-in set and the filter file (.mcf).
#include "filters/FilterSet.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <unordered_map>

#include "attr/AttrTree.h"
#include "attr/AttrXml.h"
#include "platform/Platform.h"
#include "platform/Saturating.h"

namespace qv {

namespace {

constexpr int kMaxCopiedFilters = 99;
constexpr std::size_t kMaxFileNameBytes = 511;
constexpr const char* kFilterStylesheet = "mcfilter.xsl";

struct TreeDeleter {
    void operator()(AttrNode* node) const { DeleteNode(node); }
};
using TreePtr = std::unique_ptr<AttrNode, TreeDeleter>;

// Ids are plain 32-bit numbers; a file may hold the largest one, so stepping wraps instead of
// overflowing.
std::int32_t StepId(std::int32_t id, int delta) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(id) + static_cast<std::uint32_t>(delta));
}

void CopyOut(const FileFilter& filter, FilterInfo* out) {
    if (out == nullptr) {
        return;
    }
    static_cast<FileFilter&>(*out) = filter;
}

}  // namespace

std::string FilterFileBaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string base = (slash == std::string::npos) ? path : path.substr(slash + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        base.resize(dot);
    }
    if (base.size() > kMaxFileNameBytes) {
        std::size_t cut = kMaxFileNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) {
            --cut;  // do not leave half a UTF-8 character behind
        }
        base.resize(cut);
    }
    return base;
}

namespace {

bool IsReadOnlyFile(const std::string& path) {
    platform::DirEntry entry;
    return platform::StatPath(path, &entry) && (entry.attributes & platform::kAttrReadOnly) != 0;
}

}  // namespace

FilterSet::~FilterSet() = default;

bool FilterSet::GetHitFilter(int n, FilterInfo* out) const {
    if (m_totalHits == 0 || n < 1) {
        return false;
    }
    for (const FileFilter& filter : m_filters) {
        if (filter.bytes != 0 && --n == 0) {
            CopyOut(filter, out);
            return true;
        }
    }
    return false;
}

void FilterSet::SetEnabled(bool enabled) {
    m_enabled = enabled;
}

int FilterSet::AddFilter(const FilterInfo& info) {
    if (!m_editing) {
        return 0;
    }
    if (info.name.empty() || info.masks.empty()) {
        m_lastError = FilterError::Empty;
        return 0;
    }
    if (FindFilter(info.name) != nullptr) {
        m_lastError = FilterError::NameExists;
        return 0;
    }
    if (Count() >= kMaxFilters) {
        m_lastError = FilterError::CannotCreate;
        return 0;
    }
    std::int32_t id = info.id;
    if (id == 0) {
        id = m_filters.empty() ? 1 : StepId(m_filters.back().id, 1);
    }
    const bool idTaken = FindFilterById(id) != nullptr;
    try {
        m_filters.push_back(FileFilter{id, info.name, info.masks, info.enabled, info.temporary});
    } catch (const std::bad_alloc&) {
        m_lastError = FilterError::CannotCreate;
        return 0;
    }
    if (idTaken) {
        // The new filter is inserted at its number: everything from there on moves up by one.
        for (std::size_t i = 0; i + 1 < m_filters.size(); ++i) {
            if (m_filters[i].id >= id) {
                m_filters[i].id = StepId(m_filters[i].id, 1);
            }
        }
    }
    return Count();
}

bool FilterSet::RemoveFilter(const std::string& name) {
    FileFilter* filter = FindFilter(name);
    if (filter == nullptr) {
        return false;
    }
    const std::int32_t id = filter->id;
    m_filters.erase(m_filters.begin() + (filter - m_filters.data()));
    if (id <= Count()) {
        for (FileFilter& other : m_filters) {
            if (other.id > id) {
                other.id = StepId(other.id, -1);
            }
        }
    }
    if (!m_editing) {
        BuildMatchers();  // the entries refer to filters by position
    }
    return true;
}

bool FilterSet::GetFilterAt(int position, FilterInfo* out) const {
    if (position < 1 || position > Count()) {
        return false;
    }
    CopyOut(m_filters[static_cast<std::size_t>(position - 1)], out);
    return true;
}

void FilterSet::SetEditing(bool editing) {
    if (editing == m_editing) {
        return;
    }
    m_editing = editing;
    if (editing) {
        m_matchers.clear();
        m_countedInCall.clear();
    } else {
        BuildMatchers();
    }
}

void FilterSet::BuildMatchers() {
    m_matchers.clear();
    // Views into the filters' mask texts, which stay put while the list is built.
    std::unordered_map<std::string_view, std::size_t> entryOfItem;
    for (std::size_t index = 0; index < m_filters.size(); ++index) {
        const FileFilter& filter = m_filters[index];
        if (filter.id == 0) {
            continue;
        }
        ListItemReader reader(filter.masks.data(), filter.masks.size(), ';');
        std::string_view item;
        while (reader.Next(&item)) {
            const auto [found, isNew] = entryOfItem.try_emplace(item, m_matchers.size());
            if (isNew) {
                m_matchers.push_back(MatcherEntry{CompileMask(item.data(), item.size()), {index}, filter.temporary});
                continue;
            }
            MatcherEntry& entry = m_matchers[found->second];
            if (entry.filters.back() != index) {
                entry.filters.push_back(index);
                entry.anyTemporary |= filter.temporary;
            }
        }
    }
    m_countedInCall.assign(m_filters.size(), 0);
    m_call = 0;
}

void FilterSet::ResetCounters() {
    m_totalHits = 0;
    for (FileFilter& filter : m_filters) {
        filter.count = 0;
        filter.bytes = 0;
        filter.allocated = 0;
    }
}

void FilterSet::CopyFrom(const FilterSet& other) {
    if (&other == this) {
        return;
    }
    Clear();
    SetEditing(true);
    FilterInfo info;
    for (int id = 1; id <= kMaxCopiedFilters && other.FindById(id, &info); ++id) {
        AddFilter(info);
    }
    SetEditing(false);
    m_enabled = other.m_enabled;
}

bool FilterSet::SaveToFile(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    TreePtr root(CreateNode(nullptr, "Filters"));
    if (!root) {
        return false;
    }
    for (const FileFilter& filter : m_filters) {
        AttrNode* node = CreateNode(root.get(), filter.name.c_str());
        if (node == nullptr) {
            return false;
        }
        node->SetDesc(filter.masks.c_str());
        node->id = filter.id;
        node->kind = filter.temporary ? 1 : 0;
        node->group = static_cast<std::int32_t>(filter.count);
        node->val = filter.bytes;
        node->val2 = filter.enabled ? 1 : 0;
    }
    return platform::ReplaceFileSafely(
        path, [&root](platform::File& file) { return WriteTree(root.get(), &file, true, kFilterStylesheet); });
}

bool FilterSet::LoadFromFile(const std::string& path) {
    // A filter file must be writable to be loaded. Windows refuses to open a read-only file for
    // writing; on POSIX the super-user could, so the attribute is checked as well.
    if (path.empty() || IsReadOnlyFile(path)) {
        return false;
    }
    platform::File file = platform::File::Open(path, platform::FileAccess::ReadWrite,
                                               platform::FileDisposition::OpenExisting, platform::FileShare::Read);
    if (!file.IsOpen()) {
        return false;
    }
    TreePtr root(ReadTree(&file));
    file.Close();
    if (!root) {
        return false;
    }
    Clear();
    SetEditing(true);
    for (const AttrNode* child = root->firstChild; child != nullptr; child = child->nextSibling) {
        FilterInfo info;
        info.id = child->id;
        info.name = child->name ? child->name : "";
        info.masks = child->desc ? child->desc : "";
        info.temporary = child->kind != 0;
        info.enabled = child->val2 != 0;
        if (AddFilter(info) == 0) {
            break;  // a partly valid file keeps the filters before the first refused one
        }
    }
    SetEditing(false);
    m_fileName = FilterFileBaseName(path);
    return true;
}

bool FilterSet::FindByName(const std::string& name, FilterInfo* out) const {
    for (const FileFilter& filter : m_filters) {
        if (filter.name == name) {
            CopyOut(filter, out);
            return true;
        }
    }
    return false;
}

bool FilterSet::FindById(std::int32_t id, FilterInfo* out) const {
    for (const FileFilter& filter : m_filters) {
        if (filter.id == id) {
            CopyOut(filter, out);
            return true;
        }
    }
    return false;
}

void FilterSet::SwapIds(std::int32_t id1, std::int32_t id2) {
    if (id1 == id2) {
        return;
    }
    FileFilter* first = FindFilterById(id1);
    FileFilter* second = FindFilterById(id2);
    if (first != nullptr && second != nullptr) {
        first->id = id2;
        second->id = id1;
    }
}

bool FilterSet::MatchFile(char* name, std::int64_t size, std::int64_t allocated, bool* temporary) {
    if (temporary != nullptr) {
        *temporary = false;
    }
    if (name == nullptr) {
        return !m_enabled;
    }
    if (m_editing || m_matchers.empty()) {
        return false;
    }
    const std::size_t length = std::strlen(name);
    FoldLowerInPlace(name, length);
    const SplitName split = SplitFileName(name, length);
    if (++m_call == 0) {
        // The call counter wrapped: forget old stamps so none can equal a new call number.
        std::fill(m_countedInCall.begin(), m_countedInCall.end(), 0);
        m_call = 1;
    }
    bool matched = false;
    bool anyTemporary = false;
    for (const MatcherEntry& entry : m_matchers) {
        if (!MatchMask(entry.mask, split)) {
            continue;
        }
        matched = true;
        // Any temporary filter that counts the file marks it, not only the entry's owner.
        anyTemporary |= entry.anyTemporary;
        for (const std::size_t index : entry.filters) {
            CountOnce(index, size, allocated);
        }
    }
    if (temporary != nullptr) {
        *temporary = anyTemporary;
    }
    return matched;
}

void FilterSet::CountOnce(std::size_t index, std::int64_t size, std::int64_t allocated) {
    if (m_countedInCall[index] == m_call) {
        return;
    }
    m_countedInCall[index] = m_call;
    FileFilter& filter = m_filters[index];
    filter.count = SaturatingAdd(filter.count, 1u);
    filter.bytes = SaturatingAdd(filter.bytes, size);
    filter.allocated = SaturatingAdd(filter.allocated, allocated);
    m_totalHits += 1;
}

void FilterSet::Clear() {
    m_filters.clear();
    m_matchers.clear();
    m_countedInCall.clear();
}

void FilterSet::SetBuiltIn() {
    static const struct {
        const char* name;
        const char* masks;
        bool temporary;
    } kBuiltIn[] = {
        {"Executable, Libraries", "*.exe;*.dll;*.ocx;", false},
        {"Internet files", "*.htm;*.html;", false},
        {"Documents", "*.doc;*.txt;*.pdf;", false},
        {"Images", "*.bmp;*.gif;*.jpg;", false},
        {"Archives", "*.zip;*.arj;", false},
        {"Temporary", "*.tmp;~*.*;*.bak;", true},
    };
    Clear();
    SetEditing(true);
    std::int32_t id = 1;
    for (const auto& builtIn : kBuiltIn) {
        FilterInfo info;
        info.id = id++;
        info.name = builtIn.name;
        info.masks = builtIn.masks;
        info.temporary = builtIn.temporary;
        AddFilter(info);
    }
    SetEditing(false);
    SetEnabled(true);
}

FileFilter* FilterSet::FindFilter(const std::string& name) {
    for (FileFilter& filter : m_filters) {
        if (filter.name == name) {
            return &filter;
        }
    }
    return nullptr;
}

FileFilter* FilterSet::FindFilterById(std::int32_t id) {
    for (FileFilter& filter : m_filters) {
        if (filter.id == id) {
            return &filter;
        }
    }
    return nullptr;
}

namespace {

void FillOneFilterSet(FilterSet* set, std::int32_t id, const char* name, const std::string& text) {
    set->Clear();
    set->SetEditing(true);
    FilterInfo info;
    info.id = id;
    info.name = name;
    info.masks = text;
    NormaliseMaskText(&info.masks);
    set->AddFilter(info);  // refused for an empty text: the set then matches nothing
    set->SetEditing(false);
}

}  // namespace

void AcceptExceptLists::Build(const std::string& acceptText, const std::string& exceptText) {
    FillOneFilterSet(&m_accept, 1, "accept", acceptText);
    m_hasExcept = !exceptText.empty();
    if (m_hasExcept) {
        FillOneFilterSet(&m_except, 2, "except", exceptText);
    } else {
        m_except.Clear();
    }
}

bool AcceptExceptLists::Qualifies(char* name) {
    if (!m_accept.MatchFile(name, 0, 0, nullptr)) {
        return false;
    }
    return !(m_hasExcept && m_except.MatchFile(name, 0, 0, nullptr));
}

}  // namespace qv
