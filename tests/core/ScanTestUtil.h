// Helpers shared by the scanner, report file, view and app tests: reports with known filters
// and cluster policy, folder records to build and look up, and a runner with a small stack.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "RunWithStack.h"
#include "core/Report.h"
#include "core/Scanner.h"
#include "view/ItemTitle.h"

namespace qv::test {

// A report with the six built-in filters (or a disabled, empty set) and a user-fixed cluster
// size (0: no usable cluster size, files are charged their plain size).
inline std::unique_ptr<Report> MakeReport(bool builtInFilters, std::int64_t clusterSize) {
    auto report = std::make_unique<Report>();
    if (builtInFilters) {
        FilterSet builtIn;
        builtIn.SetBuiltIn();
        report->SetFilters(&builtIn);
    } else {
        report->Filters().SetEnabled(false);
    }
    auto policy = std::make_unique<ClusterPolicy>();
    if (clusterSize > 0) {
        policy->ComputeFromUserSize(clusterSize);
    }
    report->SetPolicy(std::move(policy));
    report->SetCreated("5/6/2024 at 10:11:12");
    return report;
}

// Scans `path` into `report` with all three passes, titles by default options unless the control
// names its own; the new root or null.
inline FolderRecord* Scan(Report* report, const std::string& path, ScanControl control = {}) {
    if (!control.titles) {
        control.titles = ComposeTitlesWith(TreeViewOptions());
    }
    return ScanReport(report, path, control);
}

// A new folder record below `parent` (or a new tree) whose title and plain name are `name`.
inline FolderRecord* AddFolder(FolderRecord* parent, const char* name) {
    FolderRecord* node = CreateNode(parent, name);
    node->SetDesc(name);
    return node;
}

// The child of `node` whose plain name (desc) is `name`, or null.
inline FolderRecord* Child(FolderRecord* node, const std::string& name) {
    for (FolderRecord* child = node != nullptr ? node->firstChild : nullptr; child; child = child->nextSibling) {
        if (child->desc != nullptr && name == child->desc) {
            return child;
        }
    }
    return nullptr;
}

inline std::int64_t Stat(FolderRecord* node, const std::string& key) {
    return ReadStat(node, key.c_str());
}

// "files bytes allocated folders" of a record (LFN, MFS, NFA, OFN).
inline std::string Figures(FolderRecord* node) {
    return std::to_string(Stat(node, LFN)) + " " + std::to_string(Stat(node, MFS)) + " " +
           std::to_string(Stat(node, NFA)) + " " + std::to_string(Stat(node, OFN));
}

// A text of a record, "-" when it has none.
inline std::string TextOf(FolderRecord* node, const char* key) {
    const char* text = ReadText(node, key);
    return text != nullptr ? text : "-";
}

inline bool HasKey(FolderRecord* node, const std::string& key) {
    return static_cast<bool>(node->attrs.Find(key.c_str()));
}

// Runs `body` on a thread with a 1 MB stack and waits for it.
inline void RunOnSmallStack(const std::function<void()>& body) {
    ASSERT_TRUE(RunWithStack(1 << 20, body));
}

}  // namespace qv::test
