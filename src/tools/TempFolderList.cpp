// The temporary folders tool's list and its stored form in the settings document.
#include "tools/TempFolderList.h"

#include <algorithm>
#include <cctype>

#include "view/Formatters.h"

namespace qv::tools {

namespace {

constexpr const char* kSection = "temporary";
constexpr const char* kFolderKey = "folder";

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

AttrNode* Section(AttrNode* settings) {
    return settings != nullptr ? FindByName(settings->firstChild, kSection, kFindSiblings | kFindNext) : nullptr;
}

}  // namespace

void TempFolderList::Load(AttrNode* settings) {
    m_entries.clear();
    AttrNode* section = Section(settings);
    for (AttrNode* node = section != nullptr ? section->firstChild : nullptr; node != nullptr;
         node = node->nextSibling) {
        if (node->name != nullptr && std::string(node->name) == kFolderKey && node->desc != nullptr &&
            node->desc[0] != '\0') {
            Append(node->desc);
        }
    }
}

void TempFolderList::Store(AttrNode* settings) const {
    if (settings == nullptr) {
        return;
    }
    AttrNode* section = Section(settings);
    if (section == nullptr && (section = CreateNode(settings, kSection)) == nullptr) {
        return;
    }
    for (AttrNode* node = section->firstChild; node != nullptr;) {
        AttrNode* next = node->nextSibling;
        if (node->name != nullptr && std::string(node->name) == kFolderKey) {
            DeleteNode(node);
        }
        node = next;
    }
    for (const int index : Listed()) {
        if (AttrNode* node = CreateNode(section, kFolderKey)) {
            node->SetDesc(Entry(index).path.c_str());
        }
    }
}

std::vector<int> TempFolderList::Listed() const {
    std::vector<int> listed;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].state != TempState::Gone) {
            listed.push_back(static_cast<int>(i));
        }
    }
    return listed;
}

int TempFolderList::Find(const std::string& path) const {
    for (const int index : Listed()) {
        if (EqualsIgnoringCase(Entry(index).path, path)) {
            return index;
        }
    }
    return -1;
}

int TempFolderList::Append(const std::string& path) {
    m_entries.push_back(TempEntry{path, TempState::NotMeasured, {}});
    return static_cast<int>(m_entries.size()) - 1;
}

bool TempFolderList::Measure(int index) {
    TempEntry& entry = m_entries[static_cast<std::size_t>(index)];
    const bool measured = MeasureTempFolder(entry.path, &entry.measure);
    entry.state = measured ? TempState::Measured : TempState::Gone;
    return measured;
}

ClearOutcome TempFolderList::Clear(int index, const DeleteFilesFn& deleteFiles) {
    TempEntry& entry = m_entries[static_cast<std::size_t>(index)];
    const ClearOutcome outcome = ClearTempFolder(entry.path, deleteFiles, &entry.measure);
    entry.state = outcome == ClearOutcome::Missing ? TempState::Gone : TempState::Measured;
    return outcome;
}

std::string TempFolderList::SizeText(int index) const {
    const TempEntry& entry = Entry(index);
    if (entry.state == TempState::NotMeasured) {
        return "???";
    }
    if (entry.state == TempState::Gone) {
        return "failed";
    }
    std::string number;
    std::string unit;
    FormatSize(entry.measure.allocated, &number, &unit);
    return number + " " + unit;
}

}  // namespace qv::tools
