#include "simulated_share.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "share_client.h"
#include "share_mounts.h"

extern char** environ;

namespace testing_support {

namespace {

constexpr double kMountSeconds = 20;  // a loaded machine; a mount takes milliseconds

std::string Number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// Reads the server's first line on `fd` (its "ready" or its error), waiting at most `seconds`.
std::string FirstLine(int fd, double seconds) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[256];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        line.append(buffer, static_cast<size_t>(got));
    }
    return line.substr(0, line.find('\n'));
}

// Waits for a child to end, at most `seconds`; true when it did (and is reaped).
bool Reaped(pid_t child, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace

SimulatedShare::SimulatedShare(const std::string& source, ShareOptions options) {
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        Refuse("/dev/fuse is missing or not usable here", false);
        return;
    }
    char folder[] = "/tmp/atu-share.XXXXXX";  // short: a socket's path has a small limit
    if (!::mkdtemp(folder)) {
        Refuse("no temporary folder", true);
        return;
    }
    folder_ = folder;
    mountPoint_ = folder_ + "/share";
    control_ = folder_ + "/control";
    log_ = folder_ + "/server.log";
    ::mkdir(mountPoint_.c_str(), 0755);
    Start(source, options);
}

void SimulatedShare::Start(const std::string& source, const ShareOptions& options) {
    int watch[2], ready[2];
    if (::pipe2(watch, O_CLOEXEC) != 0) return Refuse("no pipe", true);
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        ::close(watch[0]);
        ::close(watch[1]);
        return Refuse("no pipe", true);
    }
    const std::vector<std::string> arguments = {
        ATUALIZA_SHARE_SIM, "mount", source, mountPoint_, "--delay-ms", Number(options.delayMs), "--mbit",
        Number(options.mbit), "--cache-s", Number(options.cacheSeconds),
        "--readahead-kb", Number(options.readAheadKb),
        "--uncached", options.uncached ? "1" : "0", "--control", control_, "--watch-fd", "0",
        "--ready-fd", "3", "--lifetime", Number(options.lifetimeSeconds)};
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, watch[0], 0);
    posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int spawned = ::posix_spawn(&server_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(watch[0]);
    ::close(ready[1]);
    watch_ = watch[1];
    const std::string answer = spawned == 0 ? FirstLine(ready[0], kMountSeconds) : "";
    ::close(ready[0]);
    if (spawned != 0) {
        server_ = -1;
        return Refuse(std::string("cannot start ") + ATUALIZA_SHARE_SIM, true);
    }
    if (answer == "ready") {
        mounted_ = true;
        return;
    }
    // A refused mount (a container without the right) is no fault of ours; anything else is.
    const bool refused = answer.find("was refused") != std::string::npos;
    Refuse(answer.empty() ? "no answer from the share's server" : answer + "\n" + LogText(), !refused);
}

void SimulatedShare::Refuse(std::string why, bool unexpected) {
    reason_ = std::move(why);
    unexpected_ = unexpected;
}

std::string SimulatedShare::LogText() const {
    std::ifstream log(log_);
    std::stringstream text;
    text << log.rdbuf();
    return text.str();
}

SimulatedShare::~SimulatedShare() {
    if (server_ > 0) {
        if (mounted_) share::SendCommand(control_, "quit", 5);
        if (watch_ != -1) ::close(watch_);
        if (!Reaped(server_, 10)) {
            ::kill(server_, SIGKILL);
            Reaped(server_, 10);
        }
    } else if (watch_ != -1) {
        ::close(watch_);
    }
    if (folder_.empty()) return;
    if (share::IsShareMount(mountPoint_)) share::UnmountLazily(mountPoint_);
    // Never a recursive removal: were the share still mounted, it would empty the source.
    ::rmdir(mountPoint_.c_str());
    ::unlink(control_.c_str());
    ::unlink(log_.c_str());
    ::rmdir(folder_.c_str());
}

std::string SimulatedShare::Command(const std::string& line) {
    const auto answer = share::SendCommand(control_, line);
    if (!answer) ADD_FAILURE() << "simulated share: no answer to \"" << line << "\"";
    return answer.value_or("");
}

void SimulatedShare::Expect(const std::string& line) {
    const std::string answer = Command(line);
    if (answer != "ok\n") ADD_FAILURE() << "simulated share: \"" << line << "\" answered " << answer;
}

void SimulatedShare::FailReadsPast(const std::string& relativePath, uint64_t bytes) {
    Expect("eio " + std::to_string(bytes) + " " + relativePath);
}
void SimulatedShare::GoDown() { Expect("down"); }
void SimulatedShare::GoDownAfter(int64_t requests, const std::string& match) {
    Expect("down after " + std::to_string(requests) + " " + match);
}
void SimulatedShare::ComeBack() { Expect("up"); }
void SimulatedShare::Stall(double seconds, const std::string& match, int64_t after) {
    Expect("stall " + Number(seconds) + " after " + std::to_string(after) + " " + match);
}
void SimulatedShare::ClearFaults() { Expect("clear"); }
void SimulatedShare::ResetCounters() { Expect("reset"); }

std::map<std::string, int64_t> SimulatedShare::Counters() {
    std::map<std::string, int64_t> counters;
    std::istringstream lines(Command("counters"));
    std::string name;
    int64_t value;
    while (lines >> name >> value) counters[name] = value;
    return counters;
}

}  // namespace testing_support
