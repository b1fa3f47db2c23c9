// The attributes and date/time tools' question texts and their run over the target's files.
#include "tools/ToolRun.h"

#include <vector>

#include "filters/FilterSet.h"
#include "tools/FolderWalk.h"

namespace qv::tools {

namespace {

using platform::DirEntry;

constexpr const char* kRowNames[3] = {"Read-Only", "Archive", "Hidden"};

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The path the walk opens for a folder held as "C:".
std::string WalkRoot(const std::string& folder) {
    return folder.size() == 2 && folder[1] == ':' ? folder + platform::kPathSeparator : folder;
}

bool Eligible(const DirEntry& entry) {
    return (entry.attributes & (platform::kAttrDirectory | platform::kAttrSystem | kAttrOffline)) == 0;
}

class RunVisitor : public WalkVisitor {
  public:
    RunVisitor(const TargetRun& target, const FileAction& action) : m_target(target), m_action(action) {
        m_lists.Build(target.masks, target.except);
    }
    void Folder(const std::string& path, int /*depth*/, std::vector<DirEntry>& files) override {
        for (const DirEntry& entry : files) {
            std::string folded = entry.name;
            if (Eligible(entry) && m_lists.Qualifies(folded.data())) {
                Count(m_action(platform::JoinPath(path, entry.name), entry));
            }
        }
    }
    bool Descend(const std::string& /*path*/, const DirEntry& /*folder*/) override { return m_target.recursive; }
    void Count(FileOutcome outcome) {
        m_counts.found += outcome != FileOutcome::Skip ? 1 : 0;
        m_counts.processed += outcome == FileOutcome::Done ? 1 : 0;
    }
    RunCounts Counts() const { return m_counts; }

  private:
    const TargetRun& m_target;
    const FileAction& m_action;
    AcceptExceptLists m_lists;
    RunCounts m_counts;
};

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : ", ") + part;
    }
    return text;
}

}  // namespace

const char* const kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string TargetFolderForm(std::string path) {
    while (path.size() > 1 && IsSeparator(path.back()) && !(path.size() == 3 && path[1] == ':')) {
        path.pop_back();
    }
    if (path.size() == 3 && path[1] == ':' && IsSeparator(path[2])) {
        path.pop_back();
    }
    return path;
}

std::string FolderOfFile(const std::string& file) {
    const std::size_t last = file.find_last_of("\\/");
    if (last == std::string::npos) {
        return {};
    }
    return TargetFolderForm(last == 0 ? file.substr(0, 1) : file.substr(0, last + 1));
}

std::string ApplyQuestion(const TargetRun& target, const std::string& lineOne, const std::string& lineTwo) {
    const std::string head = "Folder: \"" + target.folder + "\" " + (target.recursive ? " (including sub-folders)" : "") + "\n";
    if (target.masks == "*.*" && target.except.empty()) {
        return head + lineOne + lineTwo + "Proceed ?";
    }
    const std::string exceptLine = target.except.empty() ? "" : "Except files: " + target.except + "\n";
    return head + "Apply for files:" + target.masks + "\n" + exceptLine + lineOne + lineTwo + "Proceed ?";
}

void AttributeQuestionLines(const AttrChoices& choices, std::string* lineOne, std::string* lineTwo) {
    std::vector<std::string> first;
    std::vector<std::string> second;
    for (int row = 0; row < 3; ++row) {
        if (choices.action != AttrAction::Change) {
            if (choices.checked[row]) {
                first.emplace_back(kRowNames[row]);
            }
            continue;
        }
        if (choices.conditions[row] != AttrCondition::Any) {
            first.push_back(std::string(kRowNames[row]) + " [" + (choices.conditions[row] == AttrCondition::On ? "On" : "Off") + "]");
        }
        if (choices.states[row] != AttrNewState::Same) {
            second.push_back(std::string(kRowNames[row]) + " [" + (choices.states[row] == AttrNewState::On ? "On" : "Off") + "]");
        }
    }
    if (choices.action == AttrAction::Change) {
        *lineOne = "Original File Attributes: " + Joined(first) + "\n";
        *lineTwo = "New File Attributes: " + Joined(second) + "\n";
    } else {
        *lineOne = (choices.action == AttrAction::Set ? "Set Attributes: " : "Clear Attributes: ") + Joined(first) + "\n";
        lineTwo->clear();
    }
}

void DateQuestionLines(const DateChoices& choices, int year, std::string* lineOne, std::string* lineTwo) {
    lineOne->clear();
    lineTwo->clear();
    if (choices.changeDate && choices.month >= 1 && choices.month <= 12) {
        *lineOne = "Set Date: " + std::to_string(choices.day) + " " + kMonthNames[choices.month - 1] + " " +
                   std::to_string(year) + "\n";
    }
    if (choices.changeTime) {
        *lineTwo = "Set Time: " + std::to_string(choices.hour) + " h " + std::to_string(choices.minute) + " m\n";
    }
}

RunCounts RunOnTarget(const TargetRun& target, const FileAction& action) {
    RunVisitor visitor(target, action);
    if (target.singleFile) {
        DirEntry entry;
        if (platform::StatPath(target.file, &entry) && Eligible(entry)) {
            visitor.Count(action(target.file, entry));
        }
    } else if (!target.folder.empty()) {
        WalkFolder(WalkRoot(target.folder), visitor);
    }
    return visitor.Counts();
}

RunCounts RunAttributes(const TargetRun& target, const AttrChoices& choices) {
    return RunOnTarget(target, [&choices](const std::string& path, const DirEntry& entry) {
        std::uint32_t next = 0;
        if (!DecideAttributes(choices, entry.attributes, &next)) {
            return FileOutcome::Skip;
        }
        return platform::WriteFileAttributes(path, next) ? FileOutcome::Done : FileOutcome::Failed;
    });
}

RunCounts RunDateTime(const TargetRun& target, const DateChoices& choices, int currentYear) {
    return RunOnTarget(target, [&](const std::string& path, const DirEntry& entry) {
        LocalStamp stamp;
        platform::FileTime when = 0;
        if (!platform::ToLocalTime(entry.lastWrite, &stamp) ||
            !platform::FromLocalTime(ApplyDateChoices(stamp, choices, currentYear), &when)) {
            return FileOutcome::Failed;
        }
        return platform::WriteLastWriteTime(path, when) ? FileOutcome::Done : FileOutcome::Failed;
    });
}

}  // namespace qv::tools
