// A process table for tests: the entries are listed in the order given; ending a killable entry
// removes it, ending any other is refused. Every entry belongs to the test's own user unless it
// names another owner. Records every request and counts snapshots per kind.
#pragma once

#include <cstdint>
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
    };

    ScriptedProcesses() = default;
    explicit ScriptedProcesses(std::vector<Entry> entries) : entries_(std::move(entries)) {}

    void add(const std::string& exeName, uint32_t pid, bool killable = true) {
        entries_.push_back({exeName, pid, killable});
    }

    std::vector<platform::ProcessEntry> snapshot(platform::SnapshotKind kind) override;
    bool terminate(uint32_t pid) override;
    std::optional<uint32_t> currentOwner() override { return ownOwner; }

    bool running(uint32_t pid) const;
    const std::vector<uint32_t>& terminated() const { return terminated_; }  // accepted requests
    const std::vector<uint32_t>& requests() const { return requests_; }      // every request
    int snapshots(platform::SnapshotKind kind) const;

    std::optional<uint32_t> ownOwner = kOwnUser;  // what currentOwner answers
    bool raiseOnSnapshot = false;  // a table that breaks its promise and raises (std::runtime_error)

private:
    std::vector<Entry> entries_;
    std::vector<uint32_t> terminated_;
    std::vector<uint32_t> requests_;
    int allSnapshots_ = 0;
    int processSnapshots_ = 0;
};

}  // namespace testing_support
