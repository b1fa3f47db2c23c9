// The filter editor's rules: selection, pending edits, enable states and the commands on the
// working copy.
#include "filters/FilterEditorModel.h"

#include <algorithm>
#include <cstdio>

namespace qv {

namespace {

constexpr const char* kNewFilterMasks = "name.ext;name.ext";

std::string Folded(std::string text) {
    FoldLowerInPlace(text.data(), text.size());
    return text;
}

}  // namespace

std::string NewFilterName(const FilterSet& set) {
    for (long number = 1;; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "New Filter %ld", number);
        if (!set.FindByName(name, nullptr)) {
            return name;
        }
    }
}

std::string DeleteQuestion(const std::string& line) {
    return "    Delete filter '" + line + "' ?     ";
}

bool DiffersIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() != b.size() || Folded(a) != Folded(b);
}

std::string CutToBytes(std::string text, std::size_t bytes) {
    if (text.size() <= bytes) {
        return text;
    }
    std::size_t cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;  // the byte at `cut` continues a character: cut before that character
    }
    text.resize(cut);
    return text;
}

void FilterEditorModel::OpenSet(const FilterSet& source, std::int32_t idToSelect) {
    m_working.CopyFrom(source);
    m_modified = false;
    m_position = idToSelect >= 1 && idToSelect <= LineCount() ? idToSelect : 1;
    ReadCurrent();
}

bool FilterEditorModel::OpenFile(const std::string& path) {
    const bool loaded = m_working.LoadFromFile(path);
    m_modified = false;
    m_position = 1;
    ReadCurrent();
    return loaded;
}

std::vector<std::string> FilterEditorModel::Lines() const {
    std::vector<std::string> lines;
    FilterInfo info;
    for (std::int32_t id = 1; m_working.FindById(id, &info); ++id) {
        char number[16];
        std::snprintf(number, sizeof number, "%02ld. ", static_cast<long>(id));
        lines.push_back(number + info.name);
    }
    return lines;
}

int FilterEditorModel::LineCount() const {
    int count = 0;
    while (m_working.FindById(count + 1, nullptr)) {
        ++count;
    }
    return count;
}

bool FilterEditorModel::Select(int position) {
    if (m_modified) {
        return false;
    }
    m_position = position;
    ReadCurrent();
    return true;
}

void FilterEditorModel::ReadCurrent() {
    m_current.Clear();
    if (m_position < 1 || m_position > LineCount() || !m_working.FindById(m_position, &m_current)) {
        m_position = 0;
        m_current.Clear();
    }
}

void FilterEditorModel::NoteBoxes(bool temporary, bool enabled) {
    if (m_editable && m_position != 0 && (temporary != m_current.temporary || enabled != m_current.enabled)) {
        m_modified = true;
    }
}

void FilterEditorModel::NoteTexts(const std::string& name, const std::string& masks) {
    if (m_editable && m_position != 0 &&
        (DiffersIgnoringCase(name, m_current.name) || DiffersIgnoringCase(masks, m_current.masks))) {
        m_modified = true;
    }
}

EditorEnables FilterEditorModel::Enables() const {
    EditorEnables enables;
    const int count = m_working.Count();
    if (m_modified) {
        enables.accept = enables.discard = true;
        enables.fields = enables.enabledBox = true;
        return enables;
    }
    enables.list = true;
    enables.ok = count >= 1;
    if (!m_editable) {
        return enables;
    }
    enables.create = count < kMaxFilters;
    enables.load = enables.save = enables.createNewSet = true;
    if (m_position != 0) {
        enables.remove = enables.fields = enables.enabledBox = true;
        enables.moveUp = m_position >= 2;
        enables.moveDown = m_position < LineCount();
    }
    return enables;
}

AcceptOutcome FilterEditorModel::Accept(std::string name, std::string masks, bool enabled, bool temporary) {
    AcceptOutcome outcome;
    if (!m_editable || m_position == 0) {
        return outcome;
    }
    name = CutToBytes(std::move(name), kMaxFieldBytes);
    masks = CutToBytes(std::move(masks), kMaxFieldBytes);
    masks.erase(std::remove(masks.begin(), masks.end(), ' '), masks.end());
    if (name.empty() || masks.empty()) {
        outcome.message = "Fields 'Name' and 'Mask' cannot be empty !";
        outcome.caption = "Error processing filter";
        outcome.focus = name.empty() ? EditorFocus::Name : EditorFocus::Mask;
        return outcome;
    }
    std::replace(masks.begin(), masks.end(), ',', ';');

    FilterInfo old;
    FilterInfo other;
    const bool found = m_working.FindById(m_position, &old);
    const bool nameTaken = m_working.FindByName(name, &other) && other.id != m_position;
    FilterError error = nameTaken ? FilterError::NameExists : FilterError::CannotCreate;
    if (found && !nameTaken) {
        // The old entry goes before the new one is added at its id; when the set refuses the new
        // one, the old one is put back at the same id so the edit loses nothing.
        FilterInfo edited;
        edited.id = m_position;
        edited.name = name;
        edited.masks = masks;
        edited.enabled = enabled;
        edited.temporary = temporary;
        m_working.SetEditing(true);
        m_working.RemoveFilter(old.name);
        outcome.accepted = m_working.AddFilter(edited) != 0;
        if (!outcome.accepted) {
            error = m_working.LastError();
            m_working.AddFilter(old);
        }
        m_working.SetEditing(false);
    }
    if (!outcome.accepted) {
        outcome.message =
            error == FilterError::NameExists ? "Filter with this name already exist" : "Cannot add filter";
        outcome.caption = "Error adding filter";
        return outcome;
    }
    m_modified = false;
    ReadCurrent();
    return outcome;
}

void FilterEditorModel::Discard() {
    m_modified = false;
    ReadCurrent();
}

bool FilterEditorModel::CreateFilter() {
    if (!CanChange() || m_working.Count() >= kMaxFilters) {
        return false;
    }
    FilterInfo info;
    info.id = m_position;
    info.name = NewFilterName(m_working);
    info.masks = kNewFilterMasks;
    m_working.SetEditing(true);
    const bool added = m_working.AddFilter(info) != 0;
    m_working.SetEditing(false);
    if (!added) {
        return false;
    }
    if (m_position == 0) {
        m_position = 1;
    }
    ReadCurrent();
    return true;
}

bool FilterEditorModel::DeleteSelected() {
    FilterInfo info;
    if (!CanChange() || m_position == 0 || !m_working.FindById(m_position, &info)) {
        return false;
    }
    m_working.SetEditing(true);
    m_working.RemoveFilter(info.name);
    m_working.SetEditing(false);
    m_position = std::min(m_position, LineCount());
    ReadCurrent();
    return true;
}

bool FilterEditorModel::MoveUp() {
    if (!CanChange() || m_position < 2) {
        return false;
    }
    m_working.SwapIds(m_position - 1, m_position);
    --m_position;
    ReadCurrent();
    return true;
}

bool FilterEditorModel::MoveDown() {
    if (!CanChange() || m_position < 1 || m_position >= LineCount()) {
        return false;
    }
    m_working.SwapIds(m_position + 1, m_position);
    ++m_position;
    ReadCurrent();
    return true;
}

bool FilterEditorModel::CreateNewSet() {
    if (!CanChange()) {
        return false;
    }
    m_working.Clear();
    m_position = 0;
    ReadCurrent();
    return CreateFilter();
}

void FilterEditorModel::Reloaded() {
    m_modified = false;
    m_position = 1;
    ReadCurrent();
}

}  // namespace qv
