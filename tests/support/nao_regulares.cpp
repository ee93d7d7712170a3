#ifndef _WIN32

#include "support/nao_regulares.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace testing_support {

void MakeSpecialFiles(const std::string& folder, const std::vector<std::string>& names) {
    ASSERT_EQ(names.size(), 3u);
    ASSERT_EQ(::mkfifo((folder + names[0]).c_str(), 0644), 0) << std::strerror(errno);
    const std::string socketPath = folder + names[1];
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    const int bound = ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(listener);  // the socket file stays, with nobody behind it
    ASSERT_EQ(bound, 0) << std::strerror(errno);
    const std::string device = folder + names[2];
    if (::mknod(device.c_str(), S_IFCHR | 0644, makedev(1, 5)) != 0) {
        ASSERT_EQ(::symlink("/dev/zero", device.c_str()), 0) << std::strerror(errno);
    }
}

}  // namespace testing_support

#endif  // _WIN32
