// Per-file decisions of the attributes and date/time tools.
#include "tools/FileTools.h"

namespace qv::tools {

namespace {

std::string ResultText(std::int64_t found, std::int64_t processed, const char* noneProcessedHint) {
    const std::string f = std::to_string(found);
    const std::string p = std::to_string(processed);
    if (found == 0) {
        return "No files found";
    }
    if (processed == 0) {
        return "No files processed (" + f + " found)\n" + noneProcessedHint;
    }
    if (processed == found) {
        return " " + f + " files have been found and processed";
    }
    return p + " files have been processed (" + f + " found)\n" + std::to_string(found - processed) +
           " files may be locked or have SYSTEM attribute";
}

}  // namespace

bool DecideAttributes(const AttrChoices& choices, std::uint32_t current, std::uint32_t* newAttributes) {
    std::uint32_t result = current;
    for (int row = 0; row < 3; ++row) {
        const std::uint32_t bit = kToolAttrBits[row];
        switch (choices.action) {
            case AttrAction::Set:
                result |= choices.checked[row] ? bit : 0;
                break;
            case AttrAction::Clear:
                result &= choices.checked[row] ? ~bit : ~0u;
                break;
            case AttrAction::Change: {
                const bool on = (current & bit) != 0;
                if ((choices.conditions[row] == AttrCondition::On && !on) ||
                    (choices.conditions[row] == AttrCondition::Off && on)) {
                    return false;
                }
                if (choices.states[row] == AttrNewState::On) {
                    result |= bit;
                } else if (choices.states[row] == AttrNewState::Off) {
                    result &= ~bit;
                }
                break;
            }
        }
    }
    *newAttributes = result;
    return true;
}

bool IsValidDate(int year, int month, int day) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) {
        return false;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

LocalStamp ApplyDateChoices(LocalStamp stamp, const DateChoices& choices, int currentYear) {
    if (choices.changeDate) {
        stamp.year = currentYear;
        stamp.month = choices.month;
        stamp.day = choices.day;
    }
    if (choices.changeTime) {
        stamp.hour = choices.hour;
        stamp.minute = choices.minute;
        stamp.second = 0;
        stamp.millisecond = 0;
    }
    return stamp;
}

std::string AttributesResultText(std::int64_t found, std::int64_t processed) {
    return ResultText(found, processed, "Files may be opened or have SYSTEM attribute");
}

std::string DateResultText(std::int64_t found, std::int64_t processed) {
    return ResultText(found, processed, "Files may be opened or have SYSTEM or READ-ONLY attribute");
}

}  // namespace qv::tools
