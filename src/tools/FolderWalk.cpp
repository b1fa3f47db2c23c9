// The file tools' folder walk: an explicit stack of the folders from the root to the current
// one; each holds the sub-folders still to be walked. When too many handles of folders waiting
// for more sub-folders are open, some are closed, and opened again from their parent (checked
// to be the same folder) when the walk comes back to them.
#include "tools/FolderWalk.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <utility>

namespace qv::tools {

namespace {

using platform::DirEntry;
using platform::FolderHandle;

struct Frame {
    FolderHandle handle;
    std::string path;
    std::string name;
    std::vector<DirEntry> folders;  // sub-folders in listing order
    std::size_t next = 0;           // the next one to walk
};

class Walk {
  public:
    Walk(WalkVisitor& visitor, std::size_t maxOpen)
        : m_visitor(visitor), m_maxOpen(std::max<std::size_t>(maxOpen, 2)) {}

    bool Run(const std::string& root) {
        Frame top;
        top.path = platform::FullFolderPath(root);
        if (top.path.empty() || !top.handle.OpenRoot(top.path) || !List(top, 0)) {
            return false;
        }
        m_stack.push_back(std::move(top));
        m_open.insert(0);
        while (!m_stack.empty() && !m_visitor.Stopped()) {
            Step();
        }
        return true;
    }

  private:
    // Walks the next sub-folder of the top frame, or leaves the top frame when it has none left.
    void Step() {
        Frame& parent = m_stack.back();
        if (parent.next == parent.folders.size()) {
            Close(m_stack.size() - 1);
            m_stack.pop_back();
            return;
        }
        DirEntry entry = std::move(parent.folders[parent.next++]);
        Frame child;
        child.path = platform::JoinPath(parent.path, entry.name);
        if (!m_visitor.Descend(child.path, entry) || !Reach(m_stack.size() - 1)) {
            return;
        }
        Frame& opener = m_stack.back();
        const bool opened = child.handle.OpenChild(opener.handle, entry, child.path);
        if (opener.next == opener.folders.size()) {
            Close(m_stack.size() - 1);  // its last sub-folder is open: its handle is no longer needed
        }
        child.name = std::move(entry.name);
        if (!opened || !List(child, static_cast<int>(m_stack.size())) || child.folders.empty()) {
            return;  // the child's handle closes with it
        }
        m_stack.push_back(std::move(child));
        m_open.insert(m_stack.size() - 1);
        Evict();
    }

    // Lists an open folder: its files go to the visitor, its sub-folders (links left out) into
    // the frame.
    bool List(Frame& frame, int depth) {
        if (!m_reader.Open(frame.handle)) {
            return false;
        }
        std::vector<DirEntry> files;
        DirEntry entry;
        while (m_reader.Next(&entry)) {
            if ((entry.attributes & platform::kAttrDirectory) == 0) {
                files.push_back(std::move(entry));
            } else if (!IsLinkFolder(entry)) {
                frame.folders.push_back(std::move(entry));
            }
            entry = DirEntry();
        }
        m_reader.Close();
        m_visitor.Folder(frame.path, depth, files);
        return true;
    }

    void Close(std::size_t index) {
        m_stack[index].handle.Close();
        m_open.erase(index);
    }

    // Makes the handle of frame `index` open, opening closed ancestors from the nearest open one.
    bool Reach(std::size_t index) {
        std::size_t open = index;
        while (!m_stack[open].handle.IsOpen()) {
            if (open == 0) {
                return false;
            }
            --open;
        }
        for (std::size_t i = open + 1; i <= index; ++i) {
            if (!m_stack[i].handle.Reopen(m_stack[i - 1].handle, m_stack[i].name)) {
                return false;  // moved or replaced meanwhile: left out
            }
            m_open.insert(i);
            Evict();  // keeps the one just opened: it is the deepest open one
        }
        return true;
    }

    // While too many handles are open, closes the one (neither the root's nor the deepest)
    // whose neighbours among the open ones lie closest together: open handles stay spread over
    // the depth, so coming back up a deep tree reopens few folders at a time (about log n each)
    // instead of a whole chain from the root.
    void Evict() {
        while (m_open.size() > m_maxOpen) {
            auto best = m_open.end();
            std::size_t bestGap = 0;
            for (auto it = std::next(m_open.begin()); std::next(it) != m_open.end(); ++it) {
                const std::size_t gap = *std::next(it) - *std::prev(it);
                if (best == m_open.end() || gap < bestGap) {
                    best = it;
                    bestGap = gap;
                }
            }
            if (best == m_open.end()) {
                return;
            }
            m_stack[*best].handle.Close();
            m_open.erase(best);
        }
    }

    WalkVisitor& m_visitor;
    std::size_t m_maxOpen;
    std::set<std::size_t> m_open;  // indexes of the frames whose handles are open
    std::vector<Frame> m_stack;
    platform::DirReader m_reader;
};

}  // namespace

bool IsLinkFolder(const platform::DirEntry& entry) {
    return (entry.attributes & platform::kAttrReparsePoint) != 0;
}

bool WalkFolder(const std::string& root, WalkVisitor& visitor, std::size_t maxOpenFolders) {
    Walk walk(visitor, maxOpenFolders);
    return walk.Run(root);
}

}  // namespace qv::tools
