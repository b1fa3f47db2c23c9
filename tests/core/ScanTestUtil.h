// Helpers shared by the scanner and report file tests: reports with known filters and cluster
// policy, record lookups, a generated deep tree and a runner with a small thread stack.
#pragma once

#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <memory>
#include <string>

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

// The child of `node` whose plain name (desc) is `name`, or null.
inline FolderRecord* Child(FolderRecord* node, const std::string& name) {
    for (FolderRecord* child = node != nullptr ? node->firstChild : nullptr; child; child = child->nextSibling) {
        if (child->desc != nullptr && name == child->desc) {
            return child;
        }
    }
    return nullptr;
}

inline int ChildCount(FolderRecord* node) {
    int count = 0;
    for (FolderRecord* child = node->firstChild; child; child = child->nextSibling) {
        ++count;
    }
    return count;
}

inline bool HasKey(FolderRecord* node, const char* key) {
    return static_cast<bool>(node->attrs.Find(key));
}

// Runs `body` on a thread with a 1 MB stack and waits for it.
inline void RunOnSmallStack(const std::function<void()>& body) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 1 << 20);
    pthread_t thread;
    auto entry = [](void* arg) -> void* {
        (*static_cast<const std::function<void()>*>(arg))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, entry, const_cast<std::function<void()>*>(&body)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

}  // namespace qv::test
