// The quarvex-cli commands of the file tools: list (the list of files) and temp (the folders
// Scan & Add would propose, with their measured sizes).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace qv::cli {

// Shows a usage problem with the usage text and returns its exit status.
using UsageErrorFn = std::function<int(const std::string& problem)>;

// `words` starts with the command's name.
int RunList(const std::vector<std::string>& words, const CliIo& io, const UsageErrorFn& usageError);
int RunTemp(const std::vector<std::string>& words, const CliIo& io, const UsageErrorFn& usageError);

}  // namespace qv::cli
