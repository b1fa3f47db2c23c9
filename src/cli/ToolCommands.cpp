// quarvex-cli list and temp: thin front ends of the tools' engines, writing what the tools
// write and reporting with the tools' texts.
#include "cli/ToolCommands.h"

#include "platform/Platform.h"
#include "tools/FileList.h"
#include "tools/TempFolders.h"

namespace qv::cli {

namespace {

constexpr const char* kBadFolder = "Incorrect folder name!\nPlease be sure that you have specified an existing folder";
constexpr const char* kBadMask = "Incorrect mask!\nNote: If you want to apply action to all files - type *.*";

int Fail(const CliIo& io, const std::string& text) {
    if (io.err) {
        io.err(text + "\n");
    }
    return kExitFile;
}

}  // namespace

int RunList(const std::vector<std::string>& words, const CliIo& io, const UsageErrorFn& usageError) {
    tools::FileListOptions options;
    std::string folder;
    std::string output;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "-o" || word == "--mask" || word == "--except" || word == "--style") {
            if (i + 1 >= words.size()) {
                return usageError(word + " needs a value");
            }
            const std::string& value = words[++i];
            if (word == "-o") {
                output = value;
            } else if (word == "--mask") {
                options.masks = value;
            } else if (word == "--except") {
                options.except = value;
            } else if (value == "files" || value == "folders") {
                options.style = value == "files" ? tools::ListStyle::FilesOnly : tools::ListStyle::FolderBased;
            } else {
                return usageError("unknown style '" + value + "'");
            }
        } else if (word == "--relative") {
            options.relative = true;
        } else if (word == "--empty") {
            options.emptyFolders = true;
        } else if (word == "--no-recursive") {
            options.recursive = false;
        } else if (!word.empty() && word[0] == '-') {
            return usageError("unknown option " + word);
        } else if (folder.empty()) {
            folder = word;
        } else {
            return usageError("more than one folder given");
        }
    }
    if (folder.empty()) {
        return usageError("list needs a folder");
    }
    if (!platform::DirectoryExists(folder)) {
        return Fail(io, kBadFolder);
    }
    if (options.masks.empty()) {
        return usageError(kBadMask);
    }
    std::int64_t files = 0;
    tools::ListOutcome outcome = tools::ListOutcome::Written;
    if (output.empty()) {
        const tools::FileListResult result = tools::WriteFileList(folder, options, [&io](std::string_view piece) {
            if (io.out) {
                io.out(piece);
            }
            return true;
        });
        files = result.files;
    } else {
        outcome = tools::CreateFileList(folder, output, options, &files);
    }
    const std::string text = tools::ListResultText(outcome, files, output);
    if (outcome != tools::ListOutcome::Written) {
        return Fail(io, text);
    }
    if (io.err) {
        io.err(text + "\n");
    }
    return kExitOk;
}

int RunTemp(const std::vector<std::string>& words, const CliIo& io, const UsageErrorFn& usageError) {
    std::string folder;
    bool sizes = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--sizes") {
            sizes = true;
        } else if (!word.empty() && word[0] == '-') {
            return usageError("unknown option " + word);
        } else if (folder.empty()) {
            folder = word;
        } else {
            return usageError("more than one folder given");
        }
    }
    if (folder.empty()) {
        return usageError("temp needs a folder");
    }
    std::vector<std::string> found;
    const bool searched = platform::DirectoryExists(folder) && tools::ScanForTemporary(
                                                                   folder, [](const std::string&) { return false; },
                                                                   [&found](const std::string& path) {
                                                                       found.push_back(path);
                                                                       return tools::ProposeAnswer::Yes;
                                                                   });
    if (!searched) {
        return Fail(io, "quarvex-cli: cannot read folder '" + folder + "'");
    }
    std::string text;
    for (const std::string& path : found) {
        text += path;
        if (sizes) {
            tools::TempMeasure measure;
            tools::MeasureTempFolder(path, &measure);
            text += "\t" + std::to_string(measure.allocated);
        }
        text += "\n";
    }
    if (io.out) {
        io.out(text);
    }
    return kExitOk;
}

}  // namespace qv::cli
