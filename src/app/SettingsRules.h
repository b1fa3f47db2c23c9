// The rules of the "Program Settings" dialog that need no window: which list entry shows a
// stored value, which value an entry stores, the size threshold text and the filter file path
// as shown (relative to the program folder when inside it) and as stored.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

// The cluster sizes of the "Cluster size" list in entry order; entry 0 is "Auto (Recommended)".
constexpr std::int32_t kClusterChoices[] = {0, 512, 1024, 2048, 4096, 8192, 16384, 32768, 65536};
constexpr int kClusterChoiceCount = static_cast<int>(sizeof kClusterChoices / sizeof kClusterChoices[0]);

// Entry of a list of `count` entries that shows `stored`; values outside the list show entry 0.
int ChoiceIndex(std::int64_t stored, int count);
// Entry of the "Cluster size" list: a size that is not in the list shows as Auto.
int ClusterChoiceIndex(std::int64_t stored);
// Cluster size stored for an entry; an unknown entry stores 0 (Auto).
std::int32_t ClusterChoiceValue(int index);
// Entry of the "Last Accessed" number list ("1" to "6" stored as 1 to 6).
int AgeNumberIndex(std::int64_t stored);

// The size threshold typed by the user: its leading decimal number, or 1 when that reads as 0,
// is negative or is no number. Numbers beyond 32 bits are capped.
std::int32_t ThresholdFromText(const std::string& text);

// True for a drive-qualified, rooted or UNC path ("C:\x", "\x", "\\srv\s", "/x").
bool IsFullPath(const std::string& path);
// The filter file as the dialog shows it: relative to the program folder when it lies inside
// it, otherwise the full path.
std::string FilterPathForDisplay(const std::string& path, const std::string& programFolder);
// The filter file as stored from the field's text: a relative text is joined to the program
// folder, a full path kept, an empty text stays empty.
std::string FilterPathFromDisplay(const std::string& text, const std::string& programFolder);

}  // namespace qv
