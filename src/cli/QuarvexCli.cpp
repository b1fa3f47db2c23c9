// quarvex-cli: the console front end of Quarvex. Runs one command (see Cli.h) with standard
// output and error; the scan's progress goes to the error stream only when that is a terminal.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define QV_ISATTY _isatty
#else
#include <unistd.h>
#define QV_ISATTY isatty
#endif

#include "cli/Cli.h"

namespace {

bool Write(std::FILE* stream, std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

// Rewrites one terminal line with the current folder, cut to fit 79 columns.
void ShowProgress(std::string_view text) {
    constexpr std::size_t kWidth = 79;
    std::string line(text.substr(0, kWidth));
    line.resize(kWidth, ' ');
    std::fprintf(stderr, "\r%s\r", line.c_str());
    std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    qv::cli::CliIo io;
    io.out = [](std::string_view text) { return Write(stdout, text); };
    io.err = [](std::string_view text) { (void)Write(stderr, text); };
    if (QV_ISATTY(2)) {
        io.progress = ShowProgress;
    }
#ifdef _WIN32
    // A list of files is written byte for byte, its CR LF line ends included: a text-mode
    // stdout would turn each into CR CR LF.
    if (!args.empty() && args[0] == "list") {
        _setmode(_fileno(stdout), _O_BINARY);
    }
#endif
    const int status = qv::cli::RunCli(args, io);
    // The last of the text leaves the stream's buffer only here; an error on the way (also one
    // that an earlier buffered write met) fails the run like any other write.
    const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    if (!flushed && status == qv::cli::kExitOk) {
        std::fprintf(stderr, "quarvex-cli: %s\n", qv::cli::kOutputFailedText);
        return qv::cli::kExitFile;
    }
    return status;
}
