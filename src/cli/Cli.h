// The commands of quarvex-cli (scan, show, info), separate from main so tests can run them
// in-process and read what they print.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::cli {

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;  // bad usage; the usage text went to the error stream
constexpr int kExitFile = 2;   // a file or folder could not be read or written

// Where a command writes. `out` returns false when the text could not be written (a full
// disk, a closed pipe): the command then stops printing and exits with kExitFile. `progress`
// may be empty (no progress display); it receives the current folder or phase of a scan.
struct CliIo {
    std::function<bool(std::string_view)> out;
    std::function<void(std::string_view)> err;
    std::function<void(std::string_view)> progress;
};

// The message (without the program's prefix) for output that could not be written.
constexpr const char* kOutputFailedText = "cannot write the output";

// Runs the command line `args` (without the program name) and returns the exit status.
int RunCli(const std::vector<std::string>& args, const CliIo& io);

}  // namespace qv::cli
