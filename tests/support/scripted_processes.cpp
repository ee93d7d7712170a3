#include "support/scripted_processes.h"

#include <algorithm>
#include <stdexcept>

namespace testing_support {

std::vector<platform::ProcessEntry> ScriptedProcesses::snapshot(platform::SnapshotKind kind) {
    ++(kind == platform::SnapshotKind::All ? allSnapshots_ : processSnapshots_);
    if (raiseOnSnapshot) throw std::runtime_error("process list broke");
    std::vector<platform::ProcessEntry> list;
    for (const Entry& e : entries_) list.push_back({e.exeName, e.pid, e.owner});
    return list;
}

bool ScriptedProcesses::terminate(uint32_t pid) {
    requests_.push_back(pid);
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [pid](const Entry& e) { return e.pid == pid; });
    if (it == entries_.end() || !it->killable) return false;
    entries_.erase(it);
    terminated_.push_back(pid);
    return true;
}

bool ScriptedProcesses::running(uint32_t pid) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [pid](const Entry& e) { return e.pid == pid; });
}

int ScriptedProcesses::snapshots(platform::SnapshotKind kind) const {
    return kind == platform::SnapshotKind::All ? allSnapshots_ : processSnapshots_;
}

}  // namespace testing_support
