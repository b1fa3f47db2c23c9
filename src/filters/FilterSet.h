// Named file filters and the set that holds them, compiles their masks into one shared matcher
// list and counts the files each filter matched; plus the filter file (.mcf).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "filters/FileMask.h"

namespace qv {

// One filter of a set, which owns it.
struct FileFilter {
    std::int32_t id = 0;
    std::string name;
    std::string masks;
    bool enabled = true;
    bool temporary = false;
    std::uint32_t count = 0;
    std::int64_t bytes = 0;
    std::int64_t allocated = 0;
};

// The record in which filters pass in and out of a set: a copy of all of a filter's fields.
struct FilterInfo : FileFilter {
    void Clear() { *this = FilterInfo(); }
};

// Reasons of the last refused addition.
enum class FilterError : std::int32_t { None = 0, CannotCreate = 1, NameExists = 2, Empty = 3 };

// An ordered list of filters. While editing, filters can be added and nothing matches; when
// editing ends the masks are compiled into the matcher list (one entry per distinct item text).
class FilterSet {
  public:
    // The most filters a set holds. Far beyond any real set (copies take 99); it keeps a crafted
    // filter file from making loading quadratic in its size.
    static constexpr int kMaxFilters = 1000;

    FilterSet() = default;
    virtual ~FilterSet();
    FilterSet(const FilterSet&) = delete;
    FilterSet& operator=(const FilterSet&) = delete;

    // n-th (from 1, list order) filter whose bytes total is non-zero. Every `out` may be null.
    virtual bool GetHitFilter(int n, FilterInfo* out) const;
    virtual void SetEnabled(bool enabled);
    // Only while editing. The new filter's position (from 1) on success; zero when refused
    // (LastError() tells why, except when refused for not editing). A full set (kMaxFilters)
    // refuses with CannotCreate.
    virtual int AddFilter(const FilterInfo& info);
    virtual bool RemoveFilter(const std::string& name);
    // Filter at `position` (from 1, list order).
    virtual bool GetFilterAt(int position, FilterInfo* out) const;
    virtual void SetEditing(bool editing);
    virtual void ResetCounters();
    virtual void CopyFrom(const FilterSet& other);
    // Writes the set as a filter file through the platform's safe replace (never a half-written
    // file, never into a device or through a planted link).
    virtual bool SaveToFile(const std::string& path);
    virtual bool LoadFromFile(const std::string& path);
    virtual bool FindByName(const std::string& name, FilterInfo* out) const;
    virtual bool FindById(std::int32_t id, FilterInfo* out) const;
    virtual void SwapIds(std::int32_t id1, std::int32_t id2);
    // Folds `name` in place. Counts the file once for every filter that matches it; sets
    // `*temporary` (when given) if a temporary filter counted it. `name` null: true when the set
    // is disabled.
    virtual bool MatchFile(char* name, std::int64_t size, std::int64_t allocated, bool* temporary);
    virtual void Clear();

    // Fills the set with the six built-in filters, compiled and enabled.
    void SetBuiltIn();

    bool Enabled() const { return m_enabled; }
    bool Editing() const { return m_editing; }
    int Count() const { return static_cast<int>(m_filters.size()); }
    std::uint32_t TotalHits() const { return m_totalHits; }
    FilterError LastError() const { return m_lastError; }
    // Number of compiled masks: one per distinct item text; 0 while editing.
    std::size_t MatcherCount() const { return m_matchers.size(); }
    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& name) { m_fileName = name; }

  private:
    // One distinct mask item text, compiled once, with every filter whose masks hold it.
    struct MatcherEntry {
        FileMask mask;
        std::vector<std::size_t> filters;  // owner first, then further filters, as indexes
        bool anyTemporary = false;         // a match raises the temporary mark
    };
    void BuildMatchers();
    void CountOnce(std::size_t index, std::int64_t size, std::int64_t allocated);
    FileFilter* FindFilter(const std::string& name);
    FileFilter* FindFilterById(std::int32_t id);

    bool m_enabled = true;
    bool m_editing = false;
    std::uint32_t m_totalHits = 0;
    FilterError m_lastError = FilterError::None;
    std::vector<FileFilter> m_filters;
    std::vector<MatcherEntry> m_matchers;  // empty while editing
    // Per filter, the number of the last MatchFile call that counted it: a file counts once per
    // filter without clearing anything between calls.
    std::vector<std::uint32_t> m_countedInCall;
    std::uint32_t m_call = 0;
    std::string m_fileName;
};

// The name a set remembers for the filter file at `path`: no folder, no extension, at most 511
// bytes (cut at a character boundary).
std::string FilterFileBaseName(const std::string& path);

// The accept and except lists of the file tools ("File mask(s)" and "Except"), each a set with
// one enabled, non-temporary filter: "accept" (id 1) and "except" (id 2). An empty accept text
// accepts nothing; an empty except text excludes nothing.
class AcceptExceptLists {
  public:
    // Normalises both texts and rebuilds the two sets.
    void Build(const std::string& acceptText, const std::string& exceptText);
    // Folds `name` in place. True when it matches the accept list and not the except list.
    bool Qualifies(char* name);

  private:
    FilterSet m_accept;
    FilterSet m_except;
    bool m_hasExcept = false;
};

}  // namespace qv
