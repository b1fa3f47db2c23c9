// The shared text formatters of the presentation: sizes, grouped numbers, dates, times, ages,
// and the size class that picks a folder's size icon. They keep no state and are safe to call
// from the scan's worker thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace qv {

// Unit indexes that FormatSize returns.
enum SizeUnit : int { kUnitBytes = 0, kUnitK = 1, kUnitMB = 2, kUnitGb = 3 };

// Writes the number and unit ("bytes", "K", "MB", "Gb") of a byte count; returns the unit
// index. The unit follows decimal thresholds while the value is divided by powers of two, so
// 1,000,000 bytes read 0.95 MB. `padded` selects the fixed-width column forms.
int FormatSize(std::int64_t bytes, std::string* number, std::string* unit, bool padded = false);

// The value in decimal with a blank before every group of three digits: "1 234 567".
std::string FormatGroupedNumber(std::int64_t value);

// The local short date of a file time. False, with `out` untouched, for time 0 or when the
// system cannot format it.
bool FormatDate(platform::FileTime time, std::string* out);

// The local time of day of a file time; "" and true for time 0.
bool FormatTime(platform::FileTime time, std::string* out);

// An age in days as a count and a unit word: 14 -> "2" "weeks", 365 -> "one" "year".
void FormatAge(std::int32_t days, std::string* number, std::string* unit);

}  // namespace qv
