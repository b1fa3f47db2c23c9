// quarvex-cli: the console front end of Quarvex.
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kVersion = "0.1.0";

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: quarvex-cli --version\n"
                 "       quarvex-cli --help\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("quarvex-cli %s\n", kVersion);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    PrintUsage(stderr);
    return 1;
}
