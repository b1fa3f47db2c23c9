// The rules of the filter editor without its window: the working copy of a filter set, the
// selected line, the pending edit, what each control may do, and the commands (accept, discard,
// create, delete, move) that change the working copy.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "filters/FilterSet.h"

namespace qv {

// Which of the editor's controls are enabled. The fields are Name, Mask and the Temporary box.
struct EditorEnables {
    bool list = false;
    bool create = false;
    bool remove = false;
    bool moveUp = false;
    bool moveDown = false;
    bool accept = false;
    bool discard = false;
    bool load = false;
    bool save = false;
    bool createNewSet = false;
    bool ok = false;
    bool fields = false;
    bool enabledBox = false;
};

// Where Accept sends the focus after refusing an edit.
enum class EditorFocus { None, Name, Mask };

// What Accept did: on refusal a message (text and caption) for the user and the field to focus.
struct AcceptOutcome {
    bool accepted = false;
    std::string message;
    std::string caption;
    EditorFocus focus = EditorFocus::None;
};

// The editor's state. The working set is private: the caller copies it back on OK. Lines are
// the filters by id (1, 2, ... up to the first missing id); a line's position is its filter's id.
// `Position()` is 0 while nothing is selected. While an edit is pending (Modified) the fields
// keep the user's text and the commands that would lose it are refused.
class FilterEditorModel {
  public:
    static constexpr int kMaxFilters = 99;
    static constexpr std::size_t kMaxFieldBytes = 511;

    explicit FilterEditorModel(bool editable) : m_editable(editable) {}

    // A copy of `source` (ids 1..99 in id order), with the line of `idToSelect` selected, or the
    // first line when that id is below 1 or not listed.
    void OpenSet(const FilterSet& source, std::int32_t idToSelect);
    // The filter file at `path`; false when it cannot be loaded (the working copy stays empty).
    // The first line is selected.
    bool OpenFile(const std::string& path);

    FilterSet& Working() { return m_working; }
    const FilterSet& Working() const { return m_working; }
    bool Editable() const { return m_editable; }
    bool Modified() const { return m_modified; }
    int Position() const { return m_position; }
    // The selected filter as last read from the working set (cleared when nothing is selected).
    const FilterInfo& Current() const { return m_current; }
    // "%02ld. %s" for ids 1, 2, ... up to the first missing one.
    std::vector<std::string> Lines() const;
    int LineCount() const;

    // Selects line `position` (1-based; 0 or out of range selects nothing) and reads its filter.
    // Refused (false) while an edit is pending.
    bool Select(int position);
    // A box or text change from the user; sets Modified when the values now differ from the
    // current filter (texts ignoring letter case). Nothing is selected or read-only: ignored.
    void NoteBoxes(bool temporary, bool enabled);
    void NoteTexts(const std::string& name, const std::string& masks);

    EditorEnables Enables() const;

    // Replaces the selected filter by the edited values at the same id. Spaces are removed from
    // the masks and ',' becomes ';'. When the new name belongs to another filter, or the set
    // refuses the filter, the selected filter stays as it was and the edit stays pending.
    AcceptOutcome Accept(std::string name, std::string masks, bool enabled, bool temporary);
    // Drops the pending edit; the fields then show Current() again.
    void Discard();
    // Inserts "New Filter <n>" at the selected line (or last with nothing selected, after which
    // line 1 is selected). False when refused (99 filters, an edit pending, read-only).
    bool CreateFilter();
    // Removes the selected filter; the selection stays on the same line, or the last line.
    bool DeleteSelected();
    // Swaps the ids of the selected filter and its neighbour and follows it with the selection.
    bool MoveUp();
    bool MoveDown();
    // "Create new": empties the working set, then creates the first new filter.
    bool CreateNewSet();
    // After Load: the list starts again at line 1.
    void Reloaded();

  private:
    void ReadCurrent();
    bool CanChange() const { return m_editable && !m_modified; }

    FilterSet m_working;
    bool m_editable;
    bool m_modified = false;
    int m_position = 0;
    FilterInfo m_current;
};

// The name of the next new filter: "New Filter %ld" with the smallest number from 1 that no
// filter of `set` has.
std::string NewFilterName(const FilterSet& set);

// The question Delete Selected asks about the line `line`.
std::string DeleteQuestion(const std::string& line);

// True when the two texts differ other than in letter case.
bool DiffersIgnoringCase(const std::string& a, const std::string& b);

// `text` cut to at most `bytes` bytes without splitting a UTF-8 character.
std::string CutToBytes(std::string text, std::size_t bytes);

}  // namespace qv
