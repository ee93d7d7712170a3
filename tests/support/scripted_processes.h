// A process table for tests: the entries are listed in the order given; ending a killable entry
// removes it, ending any other is refused, and so is ending a listed entry whose number another
// process has taken since (see ReuseNumber). Every entry belongs to the test's own user unless it
// names another owner. Records every request and counts snapshots per kind.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace testing_support {

class ScriptedProcesses : public platform::Processes {
public:
    static constexpr uint32_t kOwnUser = 1000;

    struct Entry {
        std::string exeName;
        uint32_t pid = 0;
        bool killable = true;
        std::optional<uint32_t> owner = kOwnUser;
        uint64_t started = 0;
    };

    ScriptedProcesses() = default;
    explicit ScriptedProcesses(std::vector<Entry> entries) : entries_(std::move(entries)) {}

    void add(const std::string& exeName, uint32_t pid, bool killable = true) {
        entries_.push_back({exeName, pid, killable});
    }

    // The process numbered pid ends, and a new process of that name takes its number.
    void ReuseNumber(uint32_t pid, const std::string& exeName);

    std::vector<platform::ProcessEntry> snapshot(platform::SnapshotKind kind) override;
    bool terminate(const platform::ProcessEntry& process) override;
    std::optional<uint32_t> currentOwner() override { return ownOwner; }

    bool running(uint32_t pid) const;
    const std::vector<uint32_t>& terminated() const { return terminated_; }  // accepted requests
    const std::vector<uint32_t>& requests() const { return requests_; }      // every request
    int snapshots(platform::SnapshotKind kind) const;

    std::optional<uint32_t> ownOwner = kOwnUser;  // what currentOwner answers
    bool raiseOnSnapshot = false;  // a table that breaks its promise and raises (std::runtime_error)
    std::function<void()> afterSnapshot;  // runs once each list is made (the table may change then)

private:
    std::vector<Entry> entries_;
    std::vector<uint32_t> terminated_;
    std::vector<uint32_t> requests_;
    int allSnapshots_ = 0;
    int processSnapshots_ = 0;
};

}  // namespace testing_support
