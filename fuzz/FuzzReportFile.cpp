// Fuzz target for report files: any bytes open partly or not at all, never crash or hang, and
// what did open saves to a whole file (never marked incomplete) that opens back to the same
// saved bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "core/ReportFile.h"
#include "view/ItemTitle.h"
#include "platform/Platform.h"

namespace {

// Files on a memory file system when there is one: saving flushes each file to its device.
std::string ScratchPath(const char* name) {
    static const std::string folder = qv::platform::DirectoryExists("/dev/shm") ? "/dev/shm" : "/tmp";
    return folder + "/fuzz_report_" + std::to_string(::getpid()) + "_" + name;
}

std::string SaveAndRead(qv::Report* report, const std::string& path) {
    std::string text;
    if (!qv::SaveReport(report, path) || !qv::platform::ReadWholeFile(path, &text)) {
        std::abort();  // a report that opened must save
    }
    return text;
}

}  // namespace

// Opens saved bytes again, from memory: the file path of opening is covered by the unit tests.
// What the program saved is always whole.
bool Reopen(qv::Report* report, const std::string& text) {
    qv::ReportFileError error = qv::ReportFileError::None;
    return qv::OpenReportFromMemory(report, text.data(), text.size(), qv::ComposeTitlesWith(qv::TreeViewOptions()),
                                    &error) &&
           error == qv::ReportFileError::None;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qv::Report report;
    if (!qv::OpenReportFromMemory(&report, reinterpret_cast<const char*>(data), size, qv::ComposeTitlesWith(qv::TreeViewOptions()))) {
        return 0;
    }
    // The first save settles what the input left loose (trailing separators, refused filters,
    // figures that read back as nothing); from then on save and open are each other's inverse.
    const std::string first = SaveAndRead(&report, ScratchPath("a.mcr"));
    qv::Report again;
    if (!Reopen(&again, first)) {
        std::abort();
    }
    const std::string second = SaveAndRead(&again, ScratchPath("b.mcr"));
    qv::Report third;
    if (!Reopen(&third, second) || SaveAndRead(&third, ScratchPath("c.mcr")) != second) {
        std::abort();
    }
    return 0;
}
