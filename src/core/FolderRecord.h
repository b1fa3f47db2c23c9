// The keys and accessors of a folder record: an AttrNode of a report tree whose statistics are
// typed attributes under short fixed keys. Header only, so the presentation layer can read
// records without linking the report engine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "attr/AttrTree.h"

namespace qv {

// A folder of a report is an AttrNode used this way: name = display title, desc = plain folder
// name (the scan path for the root, "{<name> files}" for a files item), kind = size class 0..9,
// group = 1 for a files item, serial = node serial. The keys below are exact and case-sensitive;
// their types and meanings are fixed because report files store them.
using FolderRecord = AttrNode;

constexpr const char* ALC = "ALC";      // 's' full path of the folder
constexpr const char* LFN = "LFN";      // 'q' files in the sub-tree
constexpr const char* MFS = "MFS";      // 'q' their total size in bytes
constexpr const char* NFA = "NFA";      // 'q' their allocated space in bytes
constexpr const char* OFN = "OFN";      // 'q' folders below (files items not counted)
constexpr const char* ELT = "ELT";      // 'q' latest last-access file time in the sub-tree
constexpr const char* BTM = "BTM";      // 'q' the folder's own creation file time
constexpr const char* FCA = "FCA";      // 'i' 1 when a temporary filter matched below
constexpr const char* DRM = "DRM";      // 's' the report's created text
constexpr const char* CRP = "CRP";      // 'i' serial of the report that built the folder
constexpr const char* notes = "notes";  // 's' the user's notes, absent until written
constexpr const char* ERR = "ERR";      // 'i' read errors (bits below), absent when there were none

// Marks of ERR: the folder could not be read ("error here"), or a folder below it could not
// ("error below"). Such a folder keeps the figures that could be read, which are then too small.
constexpr std::int32_t kErrorHere = 1;
constexpr std::int32_t kErrorBelow = 2;

// Per-filter codes; a key is the code, ":" and the filter's name. 1-3 are sub-tree totals,
// 4-6 the folder's direct values.
constexpr const char* kFilterFiles = "1N@F";
constexpr const char* kFilterSize = "2S@F";
constexpr const char* kFilterAllocated = "3A@F";
constexpr const char* kFilterDirectFiles = "4N@F";
constexpr const char* kFilterDirectSize = "5S@F";
constexpr const char* kFilterDirectAllocated = "6A@F";

inline std::string FilterKey(std::string_view code, std::string_view filterName) {
    std::string key;
    key.reserve(code.size() + 1 + filterName.size());
    key.append(code).append(1, ':').append(filterName);
    return key;
}

// A statistic: the 64-bit value of an 'i' or 'q' attribute; 0 when missing or of another type.
inline std::int64_t ReadStat(FolderRecord* record, const char* key) {
    return record != nullptr ? record->attrs.Get(key).AsInt64() : 0;
}

// A text attribute ('s' or 'f'), or null when missing or not a text.
inline const char* ReadText(FolderRecord* record, const char* key) {
    return record != nullptr ? record->attrs.Get(key).AsText() : nullptr;
}

// Stores a 64-bit statistic. `replace` looks the key up first; a new record appends.
inline bool WriteStat(FolderRecord* record, const char* key, std::int64_t value, bool replace) {
    return record != nullptr && record->attrs.Set(key, AttrValue(value), replace);
}

inline bool WriteText(FolderRecord* record, const char* key, const char* text, bool replace) {
    return record != nullptr && record->attrs.Set(key, AttrValue(text), replace);
}

// The read-error mark as the info panel and quarvex-cli show it: "error here" when the folder
// could not be read, "error below" when only a folder below it could not; null without a mark.
inline const char* ErrorMarkText(FolderRecord* record) {
    const std::int64_t marks = record != nullptr ? record->attrs.Get(ERR).AsLenientInt() : 0;
    if ((marks & kErrorHere) != 0) {
        return "error here";
    }
    return (marks & kErrorBelow) != 0 ? "error below" : nullptr;
}

}  // namespace qv
