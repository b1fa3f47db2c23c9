// Tree title composition: "Name        = 1.27 Gb, 45%, cr:3/15/2001 <notes>".
#include "view/ItemTitle.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "view/Formatters.h"

namespace qv {

namespace {

constexpr std::size_t kNameColumn = 12;
constexpr std::size_t kNotesShown = 64;
constexpr platform::FileTime kDay = 864000000000ULL;

struct TitlePieces {
    std::string size;
    std::string percent;
    std::string created;
    std::string access;
    const char* notes = nullptr;
};

// Largest length <= `limit` that does not split a UTF-8 sequence of `text`.
std::size_t Utf8Cut(const std::string& text, std::size_t limit) {
    if (limit >= text.size()) {
        return text.size();
    }
    while (limit > 0 && (static_cast<unsigned char>(text[limit]) & 0xC0) == 0x80) {
        --limit;
    }
    return limit;
}

std::string SizePiece(std::int64_t allocated) {
    if (allocated <= 0) {
        return "empty";
    }
    std::string number;
    std::string unit;
    FormatSize(allocated, &number, &unit);
    return number + " " + unit;
}

std::string PercentPiece(std::int64_t allocated, std::int64_t parentAllocated, bool precise, bool sizeSaidEmpty) {
    if (allocated == 0 || parentAllocated == 0) {
        return sizeSaidEmpty ? std::string() : std::string("empty");
    }
    const double share = static_cast<double>(allocated) * 100.0 / static_cast<double>(parentAllocated);
    char buffer[512];
    if (precise) {
        if (share < 0.01) {
            return "..0.01%";
        }
        std::snprintf(buffer, sizeof buffer, "%.2f%%", share);
    } else {
        if (share < 1.0) {
            return "..1%";
        }
        std::snprintf(buffer, sizeof buffer, "%.0f%%", std::floor(share + 0.5));  // halves upward
    }
    return buffer;
}

TitlePieces CollectPieces(std::uint32_t flags, FolderRecord* record) {
    TitlePieces pieces;
    const std::int64_t allocated = ReadStat(record, NFA);
    if (flags & TitleSize) {
        pieces.size = SizePiece(allocated);
    }
    if ((flags & TitlePercent) && record->parent != nullptr) {
        const bool sizeSaidEmpty = (flags & TitleSize) && allocated <= 0;
        pieces.percent =
            PercentPiece(allocated, ReadStat(record->parent, NFA), (flags & TitlePrecisePercent) != 0, sizeSaidEmpty);
    }
    if (flags & TitleCreated) {
        FormatDate(static_cast<platform::FileTime>(ReadStat(record, BTM)), &pieces.created);
    }
    if (flags & TitleAccess) {
        FormatDate(static_cast<platform::FileTime>(ReadStat(record, ELT)), &pieces.access);
    }
    if (flags & TitleNotes) {
        const char* text = ReadText(record, notes);
        if (text != nullptr && *text != '\0') {  // an empty note is never stored; treat it as none
            pieces.notes = text;
        }
    }
    return pieces;
}

// Pads the name to the name column, then makes sure a blank separates it from what follows.
void PadName(std::string* title) {
    if (title->size() < kNameColumn) {
        title->resize(kNameColumn, ' ');
    }
    if ((*title)[kNameColumn - 1] != ' ') {
        *title += ' ';
    }
}

// Writes the pieces after "= "; returns whether any was written.
bool AppendPieces(const TitlePieces& pieces, std::string* title) {
    const std::pair<const char*, const std::string*> parts[] = {
        {"", &pieces.size}, {"", &pieces.percent}, {"cr:", &pieces.created}, {"la:", &pieces.access}};
    bool written = false;
    for (const auto& [label, text] : parts) {
        if (text->empty()) {
            continue;
        }
        if (written) {
            *title += ", ";
        }
        *title += label;
        *title += *text;
        written = true;
    }
    return written;
}

void AppendNotes(const char* text, bool afterPiece, std::string* title) {
    std::string converted;
    for (const char* p = text; *p != '\0'; ++p) {
        if (p[0] == '\r' && p[1] == '\n') {
            converted += " _ ";
            ++p;
        } else {
            converted += *p;
        }
    }
    if (afterPiece) {
        *title += ' ';
    }
    *title += '<';
    title->append(converted, 0, Utf8Cut(converted, kNotesShown));
    *title += converted.size() > kNotesShown ? "...>" : ">";
}

std::string ComposeTitle(const TreeViewOptions& options, FolderRecord* record) {
    std::string title = record->name != nullptr ? record->name : "";
    if (options.titleFlags == 0) {
        return title;
    }
    const TitlePieces pieces = CollectPieces(options.titleFlags, record);
    PadName(&title);
    if (pieces.size.empty() && pieces.percent.empty() && pieces.created.empty() && pieces.access.empty() &&
        pieces.notes == nullptr) {
        return title;
    }
    title += "= ";
    const bool written = AppendPieces(pieces, &title);
    if (pieces.notes != nullptr) {
        AppendNotes(pieces.notes, written, &title);
    }
    return title;
}

FolderRecord* DeepestFirstChild(FolderRecord* node) {
    while (node->firstChild != nullptr) {
        node = node->firstChild;
    }
    return node;
}

}  // namespace

platform::FileTime AccessCutoffFor(std::int32_t ageDays, platform::FileTime todayMidnight) {
    const platform::FileTime days = ageDays > 0 ? static_cast<platform::FileTime>(ageDays) : 0;
    if (days > todayMidnight / kDay) {
        return 0;
    }
    return todayMidnight - days * kDay;
}

void TreeViewOptions::UpdateAccessCutoff() {
    accessCutoff = AccessCutoffFor(age, platform::TodayMidnightUtc());
}

bool FormatItemTitle(const TreeViewOptions& options, FolderRecord* record, char* out, std::size_t length) {
    if (record == nullptr || out == nullptr || length == 0) {
        return false;
    }
    const std::string title = ComposeTitle(options, record);
    const std::size_t capacity = length < kMaxTitleBytes ? length : kMaxTitleBytes;
    const std::size_t n = Utf8Cut(title, capacity - 1);
    std::memcpy(out, title.data(), n);
    out[n] = '\0';
    return true;
}

void RefreshTitle(const TreeViewOptions& options, FolderRecord* record) {
    if (record == nullptr) {
        return;
    }
    record->SetName(record->desc);
    char title[kTitleBufferBytes];
    if (FormatItemTitle(options, record, title, sizeof title)) {
        record->SetName(title);
    }
}

void RefreshTitles(const TreeViewOptions& options, FolderRecord* top) {
    if (top == nullptr) {
        return;
    }
    FolderRecord* node = DeepestFirstChild(top);
    for (;;) {
        RefreshTitle(options, node);
        if (node == top) {
            return;
        }
        node = node->nextSibling != nullptr ? DeepestFirstChild(node->nextSibling) : node->parent;
    }
}

TitleComposer ComposeTitlesWith(const TreeViewOptions& options) {
    return [options](FolderRecord* record) {
        char title[kTitleBufferBytes];
        if (FormatItemTitle(options, record, title, sizeof title)) {
            record->SetName(title);
        }
    };
}

}  // namespace qv
