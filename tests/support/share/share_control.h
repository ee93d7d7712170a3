// The control socket of a running share: one command a connection, one answer (see
// ShareState::Command; "quit" ends the share). Also what else ends it: a signal, the end of a
// watched descriptor (the program that started it is gone), or a lifetime.
#pragma once

#include <string>

#include "share_state.h"

namespace share {

class ControlServer {
public:
    // Listens on a Unix socket at socketPath (none when empty).
    ControlServer(ShareState& state, std::string socketPath);
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    const std::string& error() const { return error_; }
    // Answers commands until "quit", SIGTERM, SIGINT or SIGHUP (blocked in every thread by the
    // caller), the end of watchFd (-1: none), lifetimeSeconds (0: none), or Wake.
    void Serve(int watchFd, double lifetimeSeconds);
    void Wake();  // from any thread

private:
    void Answer(int client);

    ShareState& state_;
    std::string socketPath_;
    std::string error_;
    int listener_ = -1;
    int wakeRead_ = -1, wakeWrite_ = -1;
    bool quit_ = false;
};

}  // namespace share
