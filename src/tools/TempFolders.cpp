// Temporary folders: the Scan & Add search, measuring and clearing, all on the tools' one walk,
// so a link or junction inside a temporary folder is never entered, measured or removed.
#include "tools/TempFolders.h"

#include <cstdlib>
#include <filesystem>

#include "core/ClusterPolicy.h"
#include "platform/Platform.h"
#include "tools/FolderWalk.h"

namespace qv::tools {

namespace {

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

enum class FileState { Gone, Stays, Link, Deletable };

// What becomes of a file the measurement found. A folder in its place now stays: a link to a
// folder (POSIX listings, and the Linux listing under Wine, show every link as a file) is left
// like a junction, and so is a folder swapped in meanwhile. A link to a file is removed as the
// link itself, never handed to the shell: under Wine the shell's delete of a link removes the
// file it leads to.
FileState StateOf(const std::string& path) {
    const std::filesystem::path p(std::u8string(path.begin(), path.end()));
    std::error_code error;
    platform::DirEntry entry;
    if ((platform::StatPath(path, &entry) && (entry.attributes & platform::kAttrDirectory) != 0) ||
        std::filesystem::is_directory(std::filesystem::status(p, error))) {
        return FileState::Stays;
    }
    if (platform::IsLink(path)) {
        return FileState::Link;
    }
    return std::filesystem::exists(std::filesystem::symlink_status(p, error)) ? FileState::Deletable
                                                                              : FileState::Gone;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Lower-cased, without trailing separators except the one of a root ("C:\" or "/").
std::string Comparable(const std::string& path) {
    std::string text = LowerAscii(path);
    while (text.size() > 1 && IsSeparator(text.back()) && !(text.size() == 3 && text[1] == ':')) {
        text.pop_back();
    }
    return text;
}

class SearchVisitor : public WalkVisitor {
  public:
    SearchVisitor(const std::function<bool(const std::string&)>& isListed,
                  const std::function<ProposeAnswer(const std::string&)>& ask)
        : m_isListed(isListed), m_ask(ask) {}
    void Folder(const std::string&, int, std::vector<platform::DirEntry>&) override {}
    bool Descend(const std::string& path, const platform::DirEntry& folder) override {
        if ((folder.attributes & kAttrOffline) != 0) {
            return false;
        }
        switch (ClassifyTempName(folder.name)) {
            case TempNameKind::Search:
                return true;
            case TempNameKind::PassOver:
                return false;
            case TempNameKind::Propose:
                break;
        }
        if (m_isListed(path)) {
            return false;
        }
        const ProposeAnswer answer = m_ask(path);
        m_cancelled = answer == ProposeAnswer::Cancel;
        return answer == ProposeAnswer::No;
    }
    bool Stopped() override { return m_cancelled; }

  private:
    const std::function<bool(const std::string&)>& m_isListed;
    const std::function<ProposeAnswer(const std::string&)>& m_ask;
    bool m_cancelled = false;
};

class MeasureVisitor : public WalkVisitor {
  public:
    MeasureVisitor(const ClusterPolicy& policy, TempMeasure* out) : m_policy(policy), m_out(out) {}
    void Folder(const std::string& path, int depth, std::vector<platform::DirEntry>& files) override {
        if (depth > 0) {
            m_out->items.push_back(TempItem{path, true});
        }
        for (const platform::DirEntry& file : files) {
            TempItem item{platform::JoinPath(path, file.name), false};
            m_out->allocated += Allocated(file, item.path);
            m_out->files += 1;
            m_out->items.push_back(std::move(item));
        }
    }
    bool Descend(const std::string&, const platform::DirEntry&) override { return true; }

  private:
    // As the scanner charges a file: whole clusters, or what the system allocated where the
    // policy asks for the compressed size; an empty file nothing.
    std::int64_t Allocated(const platform::DirEntry& file, const std::string& path) const {
        if (file.size <= 0) {
            return 0;
        }
        const bool compressedAttr = (file.attributes & platform::kAttrCompressed) != 0;
        const bool askCompressed =
            m_policy.compressedForAll != 0 || (m_policy.ignoreCompression == 0 && compressedAttr);
        if (askCompressed && file.allocated >= 0) {
            return file.allocated;
        }
        return askCompressed ? AllocatedSize(&m_policy, file.size, compressedAttr, path)
                             : ClusterRoundedSize(file.size, m_policy.clusterShift);
    }

    const ClusterPolicy& m_policy;
    TempMeasure* m_out;
};

}  // namespace

TempNameKind ClassifyTempName(const std::string& name) {
    const std::string lower = LowerAscii(name);
    if (lower.find("tempo") != std::string::npos || lower == "temp") {
        return TempNameKind::Propose;
    }
    if (lower.find("cache") == std::string::npos) {
        return TempNameKind::Search;
    }
    return lower == "dllcache" || lower == "driver cache" ? TempNameKind::PassOver : TempNameKind::Propose;
}

bool ScanForTemporary(const std::string& folder,
                      const std::function<bool(const std::string& path)>& isListed,
                      const std::function<ProposeAnswer(const std::string& path)>& ask) {
    SearchVisitor visitor(isListed, ask);
    return WalkFolder(folder, visitor);
}

bool MeasureTempFolder(const std::string& folder, TempMeasure* out) {
    *out = TempMeasure();
    if (!platform::DirectoryExists(folder)) {
        return false;
    }
    ClusterPolicy policy;
    policy.Compute(folder, 0);
    MeasureVisitor visitor(policy, out);
    return WalkFolder(folder, visitor);
}

ClearOutcome ClearTempFolder(const std::string& folder, const DeleteFilesFn& deleteFiles, TempMeasure* after) {
    TempMeasure before;
    if (!MeasureTempFolder(folder, &before)) {
        *after = TempMeasure();
        return ClearOutcome::Missing;
    }
    std::vector<std::string> existing;
    std::vector<std::string> links;
    std::int64_t vanished = 0;
    for (const TempItem& item : before.items) {
        if (item.folder) {
            continue;
        }
        switch (StateOf(item.path)) {
            case FileState::Deletable:
                existing.push_back(item.path);
                break;
            case FileState::Link:
                links.push_back(item.path);
                break;
            case FileState::Gone:
                ++vanished;
                break;
            case FileState::Stays:
                break;
        }
    }
    if (existing.empty() && links.empty() && vanished == 0) {  // no files, or only links to folders
        *after = std::move(before);
        return ClearOutcome::NothingToDo;
    }
    if (existing.empty() && links.empty()) {
        MeasureTempFolder(folder, after);
        return ClearOutcome::NoneExisted;
    }
    // A link holds no data of its own, so it goes for good even when the files go to the
    // recycle bin.
    bool deleted = existing.empty() || deleteFiles(existing);
    for (const std::string& link : links) {
        deleted = platform::RemoveLink(link) && deleted;
    }
    if (deleted) {
        // Inner folders come after their parents: from the last, so only emptied ones go.
        for (auto it = before.items.rbegin(); it != before.items.rend(); ++it) {
            if (it->folder) {
                platform::DeleteDirectory(it->path);
            }
        }
    }
    MeasureTempFolder(folder, after);
    if (!deleted) {
        return ClearOutcome::DeleteFailed;
    }
    return vanished > 0 ? ClearOutcome::SomeVanished : ClearOutcome::Cleared;
}

bool IsProtectedFolder(const std::string& path, const ProtectedFolders& folders) {
    if (path.empty() || !platform::DirectoryExists(path)) {
        return false;
    }
    if (path.size() < 4) {
        return true;
    }
    const SystemFolders& system = folders.system;
    if (system.isNetworkDrive != nullptr && system.isNetworkDrive(path)) {
        return true;
    }
    const std::string key = Comparable(path);
    std::vector<std::string> equalOnes = {system.system, "C:\\Program Files", system.windows};
    equalOnes.insert(equalOnes.end(), folders.more.begin(), folders.more.end());
    for (const std::string& folder : equalOnes) {
        if (!folder.empty() && key == Comparable(folder)) {
            return true;
        }
    }
    const std::string windows = Comparable(system.windows);
    if (!windows.empty() && key.compare(0, windows.size(), windows) == 0) {
        const bool temporary = (!system.temp.empty() && key == Comparable(system.temp)) ||
                               key.find("temp") != std::string::npos || key.find("desktop\\") != std::string::npos;
        return !temporary;
    }
    platform::DirEntry entry;
    return platform::StatPath(path, &entry) && (entry.attributes & platform::kAttrSystem) != 0;
}

ProtectedFolders QueryProtectedFolders() {
    ProtectedFolders folders;
    folders.system = QuerySystemFolders();
    // The names Windows gives its Program Files folders (64-bit and 32-bit) and the profile.
    for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "USERPROFILE"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            folders.more.emplace_back(value);
        }
    }
    return folders;
}

}  // namespace qv::tools
