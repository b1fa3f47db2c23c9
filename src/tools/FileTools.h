// The per-file decisions of the attributes and date/time tools, and their result texts, as
// plain functions the dialogs call for each file the walk hands them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace qv::tools {

enum class AttrAction { Set = 0, Clear = 1, Change = 2 };
enum class AttrCondition { Any = 0, On = 1, Off = 2 };  // "File has..."
enum class AttrNewState { Same = 0, On = 1, Off = 2 };  // "Change to..."

// The rows Read-Only, Archive, Hidden, in that order, with the file system's bits.
constexpr std::uint32_t kToolAttrBits[3] = {0x01, 0x20, 0x02};

struct AttrChoices {
    AttrAction action = AttrAction::Set;
    bool checked[3] = {false, false, false};  // Set and Clear
    AttrCondition conditions[3] = {AttrCondition::Any, AttrCondition::Any, AttrCondition::Any};
    AttrNewState states[3] = {AttrNewState::Same, AttrNewState::Same, AttrNewState::Same};
};

// False when the file is not counted (Change and a condition fails); else `*newAttributes`
// receives what to write (written even when it equals `current`).
bool DecideAttributes(const AttrChoices& choices, std::uint32_t current, std::uint32_t* newAttributes);

// A local date and time split into fields (month and day from 1).
using LocalStamp = platform::LocalTime;

struct DateChoices {
    bool changeDate = false;
    bool changeTime = true;
    int month = 1, day = 1, hour = 1, minute = 0;
};

// True when `day` exists in `month` of `year` (Gregorian).
bool IsValidDate(int year, int month, int day);

// The file's new local last-write time: the chosen date in `currentYear` and/or the chosen
// time with seconds and milliseconds 0; the other fields as they were.
LocalStamp ApplyDateChoices(LocalStamp stamp, const DateChoices& choices, int currentYear);

// The results of a run: "No files found", the "No files processed" text (date tool: with
// "or READ-ONLY"), " %ld files have been found and processed" or the partial text.
std::string AttributesResultText(std::int64_t found, std::int64_t processed);
std::string DateResultText(std::int64_t found, std::int64_t processed);

}  // namespace qv::tools
