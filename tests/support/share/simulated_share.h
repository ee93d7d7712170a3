// A folder served through the simulated share (share_sim) for a GoogleTest program: mounted by
// the constructor, unmounted by the destructor on every path, and by the serving program itself
// when this process dies (it watches a pipe from us) or after a lifetime. Where FUSE cannot be
// had (no /dev/fuse, mounting refused), mounted() is false and the test skips with the reason:
//
//     #include "support/share/simulated_share.h"   (every native test program links it)
//     SimulatedShare share(server.path().string());
//     SKIP_WITHOUT_SHARE(share);
//     share.GoDownAfter(0, "read:TABDEF/MODULOS.DAT");
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>

#include <gtest/gtest.h>

namespace testing_support {

struct ShareOptions {
    double delayMs = 0.5;      // added to every request
    double mbit = 0;           // read bandwidth in Mbit/s shared by every reader; 0: not capped
    double cacheSeconds = 1;   // entries and attributes kept by the client, as the SMB client does
    unsigned readAheadKb = 8192;  // the client's read-ahead window (0: the kernel's own)
    bool uncached = false;        // nothing read is kept: every reader fetches its own bytes
    double lifetimeSeconds = 900;  // the serving program ends by itself after this
};

class SimulatedShare {
public:
    explicit SimulatedShare(const std::string& source, ShareOptions options = {});
    ~SimulatedShare();
    SimulatedShare(const SimulatedShare&) = delete;
    SimulatedShare& operator=(const SimulatedShare&) = delete;

    bool mounted() const { return mounted_; }
    // Why not mounted; unexpected() when FUSE was there and the share still failed (a fault).
    const std::string& reason() const { return reason_; }
    bool unexpected() const { return unexpected_; }

    const std::string& path() const { return mountPoint_; }  // the share's root
    pid_t serverPid() const { return server_; }
    std::string folder() const { return mountPoint_ + "/"; }

    // Faults, in effect from the next request. A MATCH is a request kind ("read", "lookup",
    // "getattr", "open", "readdir", ... or "any"), optionally with a path in the share:
    // "read:TABDEF/MODULOS.DAT" (letter case ignored).
    void FailReadsPast(const std::string& relativePath, uint64_t bytes);  // EIO past that byte
    void GoDown();                                                         // ENOTCONN for every request
    void GoDownAfter(int64_t requests, const std::string& match);          // after so many matching ones
    void ComeBack();
    void Stall(double seconds, const std::string& match, int64_t after = 0);  // one request, once
    void ClearFaults();

    // Requests by kind since the mount or the last reset, with "requests" (all answered ones),
    // "read_bytes" and "write_bytes". A close's "release" may come just after the close returned.
    std::map<std::string, int64_t> Counters();
    void ResetCounters();

    // A raw control command (see share_state.cpp); its answer. A test fails when it gets none.
    std::string Command(const std::string& line);

private:
    void Start(const std::string& source, const ShareOptions& options);
    void Refuse(std::string why, bool unexpected);
    void Expect(const std::string& line);
    std::string LogText() const;

    std::string folder_;  // our temporary folder: the mount point, the control socket, the log
    std::string mountPoint_, control_, log_;
    pid_t server_ = -1;
    int watch_ = -1;  // its end closed, the server unmounts and leaves
    bool mounted_ = false, unexpected_ = false;
    std::string reason_;
};

}  // namespace testing_support

#define SKIP_WITHOUT_SHARE(share)                                                         \
    do {                                                                                  \
        if (!(share).mounted()) {                                                         \
            if ((share).unexpected()) FAIL() << "simulated share: " << (share).reason();   \
            GTEST_SKIP() << "simulated share not available: " << (share).reason();        \
        }                                                                                 \
    } while (false)
