// Platform parts that tell the run log what the run did to the machine, for the steps whose own
// code reports less than support needs: which module processes were ended (name and process id)
// and which files the old-version clean-up deleted or could not delete.
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "app/run_log.h"
#include "platform/forwarding_file_system.h"
#include "platform/platform.h"

namespace app {

class ProcessosRegistrados : public platform::Processes {
public:
    ProcessosRegistrados(std::shared_ptr<platform::Processes> inner, RegistroExecucao& log)
        : inner_(std::move(inner)), log_(log) {}
    std::vector<platform::ProcessEntry> snapshot(platform::SnapshotKind kind) override;
    bool terminate(const platform::ProcessEntry& process) override;
    std::optional<uint32_t> currentOwner() override { return inner_->currentOwner(); }
    std::optional<platform::ProcessEntry> current() override { return inner_->current(); }
    platform::BoundedRun runBounded(const std::string& program, const std::vector<std::string>& arguments,
                                    const std::string& folder, double seconds) override {
        return inner_->runBounded(program, arguments, folder, seconds);
    }

private:
    std::shared_ptr<platform::Processes> inner_;
    RegistroExecucao& log_;
    std::set<uint32_t> told_;  // once each: an ended process may still be listed, a refusal repeats
};

class ArquivosRegistrados : public platform::ForwardingFileSystem {
public:
    ArquivosRegistrados(std::shared_ptr<platform::FileSystem> inner, RegistroExecucao& log)
        : ForwardingFileSystem(std::move(inner)), log_(log) {}
    bool deleteFile(const std::string& path) override;

private:
    RegistroExecucao& log_;
};

}  // namespace app
