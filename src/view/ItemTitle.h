// The presentation options of the report tree and the composition of a folder's tree title
// from its name and the statistics the options select.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/FolderRecord.h"
#include "core/TitleComposer.h"
#include "platform/Platform.h"

namespace qv {

// Title flags: which pieces a tree title carries.
constexpr std::uint32_t TitleSize = 0x01;            // allocated space
constexpr std::uint32_t TitlePercent = 0x02;         // share of the parent's allocated space
constexpr std::uint32_t TitleCreated = 0x04;         // creation date, "cr:"
constexpr std::uint32_t TitleAccess = 0x08;          // latest access date, "la:"
constexpr std::uint32_t TitleNotes = 0x10;           // the user's notes in "<...>"
constexpr std::uint32_t TitlePrecisePercent = 0x20;  // the share with two decimals
constexpr std::uint32_t TitleIcon = 0x40;            // size icons in the tree

// Titles are capped at this many bytes, the terminating zero included.
constexpr std::size_t kMaxTitleBytes = 1024;

constexpr std::int32_t kDefaultAgeDays = 180;

// The access cutoff for an age: midnight `today` (UTC) minus `ageDays` days. Ages below 0 count
// as 0; ages reaching back before 1601 give 0.
platform::FileTime AccessCutoffFor(std::int32_t ageDays, platform::FileTime todayMidnight);

// The presentation options, one per application, filled from the settings. Only read during a
// scan, so the worker thread may use them while the user-interface thread waits.
struct TreeViewOptions {
    std::uint32_t titleFlags = TitleIcon;
    std::int32_t showMode = 0;
    std::int64_t sizeThreshold = 1048576;
    std::int32_t age = kDefaultAgeDays;
    platform::FileTime accessCutoff = AccessCutoffFor(kDefaultAgeDays, platform::TodayMidnightUtc());

    // Recomputes the access cutoff from the age and today's date; call after changing the age.
    void UpdateAccessCutoff();
};

// Composes the tree title of `record` (whose name holds its plain name) into `out`, writing at
// most `length` bytes (capped at kMaxTitleBytes) with the terminating zero. The parent link
// gives the percent base. False, with nothing written, when record or buffer is missing or the
// length is 0.
bool FormatItemTitle(const TreeViewOptions& options, FolderRecord* record, char* out, std::size_t length);

// Callers keep titles in buffers of this size.
constexpr std::size_t kTitleBufferBytes = 512;

// The composer that the report engine's finishing pass calls for each record: it stores the
// title FormatItemTitle gives with a copy of `options` as the record's name.
TitleComposer ComposeTitlesWith(const TreeViewOptions& options);

// Resets the record's name to its plain name (desc) and stores its composed title as the name.
void RefreshTitle(const TreeViewOptions& options, FolderRecord* record);

// Refreshes every title of the sub-tree at `top`, children before their parent. Iterative, so
// trees of any depth are fine.
void RefreshTitles(const TreeViewOptions& options, FolderRecord* top);

}  // namespace qv
