// The list of files: one walk, one stable sort per folder, output buffered in large pieces.
#include "tools/FileList.h"

#include <algorithm>
#include <vector>

#include "filters/FilterSet.h"
#include "platform/Platform.h"
#include "tools/FolderWalk.h"

namespace qv::tools {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kFlushAt = 1 << 16;

unsigned char LowerAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

class ListVisitor : public WalkVisitor {
  public:
    ListVisitor(const std::string& root, const FileListOptions& options, const ListSink& sink)
        : m_root(root), m_options(options), m_sink(sink) {
        m_lists.Build(options.masks, options.except);
    }
    ~ListVisitor() override = default;

    void Folder(const std::string& path, int /*depth*/, std::vector<platform::DirEntry>& files) override {
        m_names.clear();
        for (platform::DirEntry& file : files) {
            if ((file.attributes & (platform::kAttrSystem | kAttrOffline)) != 0) {
                continue;
            }
            m_folded.assign(file.name);
            if (m_lists.Qualifies(m_folded.data())) {
                m_names.push_back(&file.name);
            }
        }
        std::stable_sort(m_names.begin(), m_names.end(),
                         [](const std::string* a, const std::string* b) { return NameLessIgnoringCase(*a, *b); });
        m_files += static_cast<std::int64_t>(m_names.size());
        if (m_options.style == ListStyle::FilesOnly) {
            WriteFilesOnly(path);
        } else if (!m_names.empty() || m_options.emptyFolders) {
            WriteFolderBlock(path);
        }
        if (m_buffer.size() >= kFlushAt) {
            Flush();
        }
    }

    bool Descend(const std::string&, const platform::DirEntry&) override { return m_options.recursive; }
    bool Stopped() override { return m_failed; }

    bool Flush() {
        if (!m_failed && !m_buffer.empty() && !m_sink(m_buffer)) {
            m_failed = true;
        }
        m_buffer.clear();
        return !m_failed;
    }
    std::int64_t Files() const { return m_files; }
    bool Failed() const { return m_failed; }

  private:
    void WriteFilesOnly(const std::string& path) {
        std::string directory = path;
        if (m_options.relative) {
            directory = path.size() > m_root.size() ? path.substr(m_root.size() + (EndsWithSeparator(m_root) ? 0 : 1))
                                                    : std::string();
        }
        if (!directory.empty() && !EndsWithSeparator(directory)) {
            directory += platform::kPathSeparator;
        }
        for (const std::string* name : m_names) {
            m_buffer.append(directory).append(*name).append(kLineEnd);
        }
    }

    void WriteFolderBlock(const std::string& path) {
        m_buffer.append(path).append(kLineEnd);
        for (const std::string* name : m_names) {
            m_buffer.append("\t").append(*name).append(kLineEnd);
        }
        m_buffer.append(kLineEnd);
    }

    const std::string& m_root;
    const FileListOptions& m_options;
    const ListSink& m_sink;
    AcceptExceptLists m_lists;
    std::vector<const std::string*> m_names;
    std::string m_folded;
    std::string m_buffer;
    std::int64_t m_files = 0;
    bool m_failed = false;
};

}  // namespace

bool NameLessIgnoringCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = LowerAscii(static_cast<unsigned char>(a[i]));
        const unsigned char y = LowerAscii(static_cast<unsigned char>(b[i]));
        if (x != y) {
            return x < y;
        }
    }
    return a.size() < b.size();
}

FileListResult WriteFileList(const std::string& folder, const FileListOptions& options, const ListSink& sink) {
    FileListResult result;
    // Sub-folder paths are built on the root's full path, so the relative part is a plain suffix.
    const std::string root = platform::FullFolderPath(folder);
    ListVisitor visitor(root, options, sink);
    result.listed = !root.empty() && WalkFolder(root, visitor);
    visitor.Flush();
    result.files = visitor.Files();
    result.writeFailed = visitor.Failed();
    return result;
}

ListOutcome CreateFileList(const std::string& folder,
                           const std::string& resultsFile,
                           const FileListOptions& options,
                           std::int64_t* files) {
    *files = 0;
    // The results file is there, empty, before the walk, so the list names it when it lies in
    // the listed folder; the list is then put in its place in one safe replace (never through a
    // planted link, never over anything but a regular file).
    if (!platform::ReplaceFileSafely(resultsFile, [](platform::File&) { return true; })) {
        return ListOutcome::CannotCreate;
    }
    std::string text;
    const FileListResult result = WriteFileList(folder, options, [&text](std::string_view piece) {
        text.append(piece);
        return true;
    });
    *files = result.files;
    const bool written = platform::ReplaceFileSafely(
        resultsFile, [&text](platform::File& out) { return out.Write(text.data(), text.size()); });
    return written ? ListOutcome::Written : ListOutcome::WriteFailed;
}

std::string ListResultText(ListOutcome outcome, std::int64_t files, const std::string& resultsFile) {
    switch (outcome) {
        case ListOutcome::CannotCreate:
            return "Cannot create file: " + resultsFile;
        case ListOutcome::WriteFailed:
            return "Cannot write file: " + resultsFile;
        case ListOutcome::Written:
            break;
    }
    return files == 0 ? std::string("No files found") : std::to_string(files) + " files found";
}

}  // namespace qv::tools
