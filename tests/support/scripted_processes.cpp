#include "support/scripted_processes.h"

#include <algorithm>
#include <stdexcept>

namespace testing_support {

std::vector<platform::ProcessEntry> ScriptedProcesses::snapshot(platform::SnapshotKind kind) {
    ++(kind == platform::SnapshotKind::All ? allSnapshots_ : processSnapshots_);
    if (raiseOnSnapshot) throw std::runtime_error("process list broke");
    std::vector<platform::ProcessEntry> list;
    for (const Entry& e : entries_) list.push_back({e.exeName, e.pid, e.owner, e.started});
    if (afterSnapshot) afterSnapshot();
    return list;
}

void ScriptedProcesses::ReuseNumber(uint32_t pid, const std::string& exeName) {
    for (Entry& e : entries_)
        if (e.pid == pid) e = Entry{exeName, pid, true, e.owner, e.started + 1};
}

bool ScriptedProcesses::terminate(const platform::ProcessEntry& process) {
    requests_.push_back(process.pid);
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.pid == process.pid && e.started == process.started; });
    if (it == entries_.end() || !it->killable) return false;
    entries_.erase(it);
    terminated_.push_back(process.pid);
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
