#include "share_control.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace share {

ControlServer::ControlServer(ShareState& state, std::string socketPath)
    : state_(state), socketPath_(std::move(socketPath)) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead_ = pipeEnds[0];
        wakeWrite_ = pipeEnds[1];
    }
    if (socketPath_.empty()) return;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof address.sun_path) {
        error_ = "control socket path too long: " + socketPath_;
        return;
    }
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
    ::unlink(socketPath_.c_str());
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ == -1 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0)
        error_ = "control socket " + socketPath_ + ": " + std::strerror(errno);
}

ControlServer::~ControlServer() {
    if (listener_ != -1) {
        ::close(listener_);
        ::unlink(socketPath_.c_str());
    }
    if (wakeRead_ != -1) ::close(wakeRead_);
    if (wakeWrite_ != -1) ::close(wakeWrite_);
}

void ControlServer::Wake() {
    if (wakeWrite_ != -1) (void)!::write(wakeWrite_, "x", 1);
}

void ControlServer::Serve(int watchFd, double lifetimeSeconds) {
    sigset_t endings;
    sigemptyset(&endings);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&endings, signal);
    const int signals = ::signalfd(-1, &endings, SFD_CLOEXEC);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(lifetimeSeconds);
    while (!quit_) {
        pollfd watched[] = {{listener_, POLLIN, 0}, {watchFd, POLLIN, 0}, {signals, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        int wait = -1;
        if (lifetimeSeconds > 0) {
            const auto left = deadline - std::chrono::steady_clock::now();
            if (left <= std::chrono::steady_clock::duration::zero()) break;
            wait = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()) + 1;
        }
        if (::poll(watched, 4, wait) < 0 && errno != EINTR) break;
        if (watched[1].revents || watched[2].revents || watched[3].revents) break;  // data or end alike
        if (watched[0].revents & POLLIN) {
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client != -1) Answer(client);
        }
    }
    if (signals != -1) ::close(signals);
}

void ControlServer::Answer(int client) {
    timeval timeout{2, 0};  // a client that says nothing does not hold the share's control
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    std::string line;
    char c;
    while (line.size() < 4096 && ::recv(client, &c, 1, 0) == 1 && c != '\n') line += c;
    std::string answer;
    if (line == "quit") {
        quit_ = true;
        answer = "ok";
    } else {
        answer = state_.Command(line);
    }
    if (answer.empty() || answer.back() != '\n') answer += '\n';
    (void)!::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
    ::close(client);
}

}  // namespace share
