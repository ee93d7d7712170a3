#include "share_client.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace share {

std::optional<std::string> SendCommand(const std::string& socketPath, const std::string& command,
                                       double timeoutSeconds) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd == -1) return std::nullopt;
    timeval timeout{static_cast<time_t>(timeoutSeconds),
                    static_cast<suseconds_t>((timeoutSeconds - static_cast<time_t>(timeoutSeconds)) * 1e6)};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    std::optional<std::string> answer;
    const std::string line = command + "\n";
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
        std::string text;
        char buffer[4096];
        ssize_t got;
        while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0 || (got == -1 && errno == EINTR))
            if (got > 0) text.append(buffer, static_cast<size_t>(got));
        if (got == 0) answer = std::move(text);
    }
    ::close(fd);
    return answer;
}

}  // namespace share
