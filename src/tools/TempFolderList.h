// The temporary folders tool's list: its folders in the order they were added, each with its
// last measurement, read from and written back to the settings document's "temporary" section.
#pragma once

#include <string>
#include <vector>

#include "attr/AttrTree.h"
#include "tools/TempFolders.h"

namespace qv::tools {

enum class TempState { NotMeasured, Measured, Gone };

// One folder of the list. A Gone entry (removed by the user or found missing) stays in the
// vector so indexes held by the window remain valid, but is hidden, skipped and not stored.
struct TempEntry {
    std::string path;
    TempState state = TempState::NotMeasured;
    TempMeasure measure;  // the contents and allocated space found by the last measurement
};

class TempFolderList {
  public:
    // The "folder" children of "temporary" under the settings root, by their desc, in order.
    void Load(AttrNode* settings);
    // Replaces the "folder" children of "temporary" (made when missing) by the listed entries.
    void Store(AttrNode* settings) const;

    // Indexes of the listed (not Gone) entries, in list order.
    std::vector<int> Listed() const;
    // The listed entry whose path equals `path` ignoring case, or -1.
    int Find(const std::string& path) const;
    // Appends a not yet measured entry; returns its index.
    int Append(const std::string& path);
    void Remove(int index) { m_entries[static_cast<std::size_t>(index)].state = TempState::Gone; }
    const TempEntry& Entry(int index) const { return m_entries[static_cast<std::size_t>(index)]; }

    // Measures the entry again; one that is not an existing folder becomes Gone. False then.
    bool Measure(int index);
    // Clears the entry (ClearTempFolder) and keeps the measurement taken after it.
    ClearOutcome Clear(int index, const DeleteFilesFn& deleteFiles);

    // The "Size" column: "???" before a measurement, "failed" when missing, else the size.
    std::string SizeText(int index) const;

  private:
    std::vector<TempEntry> m_entries;
};

}  // namespace qv::tools
