// A folder served through FUSE (low-level interface) as a share: every request passes the
// share's state (delay, faults, counters) before it reaches the folder.
#pragma once

#include <pthread.h>

#include <atomic>
#include <memory>
#include <string>

#include "share_state.h"

struct fuse_session;

namespace share {

struct Tree;

class MountedShare {
public:
    MountedShare(ShareState& state, const std::string& source, const std::string& mountPoint);
    ~MountedShare();  // unmounts (lazily: nothing on the machine waits for a busy share)
    MountedShare(const MountedShare&) = delete;
    MountedShare& operator=(const MountedShare&) = delete;

    // Empty when mounted, else why not.
    const std::string& error() const { return error_; }
    // Serves requests until Stop (or SIGTERM, SIGINT, SIGHUP); on the thread that mounted.
    void Run();
    // From any thread: ends every stall and makes Run return.
    void Stop();

private:
    ShareState& state_;
    std::unique_ptr<Tree> tree_;
    std::string error_;
    struct fuse_session* session_ = nullptr;
    bool mounted_ = false;
    pthread_t runner_{};
    std::atomic<bool> stopRequested_{false}, running_{false};
};

}  // namespace share
