// The shared text formatters and the size class.
#include "view/Formatters.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace qv {

namespace {

struct UnitStep {
    std::int64_t threshold;  // decimal: picks the unit
    double divisor;          // binary: scales the value
    const char* text;
    int index;
};

constexpr UnitStep kUnitSteps[] = {
    {1000000000, 1073741824.0, "Gb", kUnitGb},
    {1000000, 1048576.0, "MB", kUnitMB},
    {1024, 1024.0, "K", kUnitK},
};

std::string Printf(const char* format, auto... args) {
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n) < sizeof buffer ? n : sizeof buffer - 1)
                 : std::string();
}

// A scaled value: whole numbers (within 1e-7) print without decimals, others with two.
std::string FormatScaled(double value, bool padded) {
    const double whole = std::round(value);  // halves away from zero
    if (std::fabs(value - whole) < 1e-7) {
        return Printf(padded ? "%6.0f" : "%.0f", whole);
    }
    return Printf(padded ? "%6.2f" : "%.2f", value);
}

}  // namespace

int FormatSize(std::int64_t bytes, std::string* number, std::string* unit, bool padded) {
    for (const UnitStep& step : kUnitSteps) {
        if (bytes / step.threshold != 0) {
            *number = FormatScaled(static_cast<double>(bytes) / step.divisor, padded);
            *unit = step.text;
            return step.index;
        }
    }
    *number = Printf(padded ? "%3d" : "%d", static_cast<int>(bytes));
    *unit = "bytes";
    return kUnitBytes;
}

std::string FormatGroupedNumber(std::int64_t value) {
    const std::string digits = Printf("%" PRId64, value);
    const std::size_t lead = digits.size() % 3;
    std::string grouped;
    grouped.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && i >= lead && (i - lead) % 3 == 0) {
            grouped += ' ';
        }
        grouped += digits[i];
    }
    return grouped;
}

bool FormatDate(platform::FileTime time, std::string* out) {
    if (time == 0) {
        return false;
    }
    std::string text = platform::LocalDateText(time);
    if (text.empty()) {
        return false;
    }
    *out = std::move(text);
    return true;
}

bool FormatTime(platform::FileTime time, std::string* out) {
    if (time == 0) {
        out->clear();
        return true;
    }
    std::string text = platform::LocalTimeText(time);
    if (text.empty()) {
        return false;
    }
    *out = std::move(text);
    return true;
}

void FormatAge(std::int32_t days, std::string* number, std::string* unit) {
    struct Age {
        std::int32_t count;
        const char* singular;
        const char* plural;
    };
    Age age{days / 7, "week", "weeks"};  // multiples of a week below 30, and 31 to 59 days
    if (days < 30 && days % 7 != 0) {
        age = {days, "day", "days"};
    } else if (days == 30) {
        age = {1, "month", "months"};
    } else if (days >= 60 && (days / 30) % 12 != 0) {
        age = {days / 30, "month", "months"};
    } else if (days >= 60) {
        age = {days / 30 / 12, "year", "years"};
    }
    *number = age.count == 1 ? std::string("one") : Printf("%d", static_cast<int>(age.count));
    *unit = age.count == 1 ? age.singular : age.plural;
}

}  // namespace qv
