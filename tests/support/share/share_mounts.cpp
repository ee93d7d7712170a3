#include "share_mounts.h"

#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

extern char** environ;

namespace share {

namespace {

// "\040" and the like in /proc/self/mountinfo stand for the byte of that octal value.
std::string Unescaped(const std::string& field) {
    std::string text;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            text += static_cast<char>(std::strtol(field.substr(i + 1, 3).c_str(), nullptr, 8));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

struct MountLine {
    std::string device, mountPoint, type, source;
};

// Calls back with every simulated share mounted now.
void ForEachShareMount(const std::function<void(const MountLine&)>& visit) {
    std::ifstream mounts("/proc/self/mountinfo");
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream fields(line);
        MountLine mount;
        std::string field;
        fields >> field >> field >> mount.device >> field >> mount.mountPoint;
        while (fields >> field && field != "-") {}
        mount.mountPoint = Unescaped(mount.mountPoint);
        if (fields >> mount.type >> mount.source && mount.type == std::string("fuse.") + kSubtype) visit(mount);
    }
}

bool ServerAlive(long pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    return std::getline(comm, name) && name == "share_sim";
}

}  // namespace

std::string FileSystemName(long pid) { return std::string(kSubtype) + "-" + std::to_string(pid); }

std::string DeviceOf(const std::string& mountPoint) {
    std::string device;
    ForEachShareMount([&](const MountLine& mount) {
        if (mount.mountPoint == mountPoint) device = mount.device;
    });
    return device;
}

bool IsShareMount(const std::string& mountPoint) { return !DeviceOf(mountPoint).empty(); }

bool UnmountLazily(const std::string& mountPoint) {
    if (::umount2(mountPoint.c_str(), MNT_DETACH) == 0) return true;
    // Without the right to unmount: the setuid helper may.
    const char* argv[] = {"fusermount3", "-u", "-z", "-q", mountPoint.c_str(), nullptr};
    pid_t child;
    if (::posix_spawnp(&child, "fusermount3", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return false;
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int SweepStaleMounts() {
    const std::string prefix = FileSystemName(0).substr(0, FileSystemName(0).size() - 1);
    int swept = 0;
    ForEachShareMount([&](const MountLine& mount) {
        if (mount.source.rfind(prefix, 0) != 0) return;
        const long pid = std::strtol(mount.source.c_str() + prefix.size(), nullptr, 10);
        if (!ServerAlive(pid) && UnmountLazily(mount.mountPoint)) ++swept;
    });
    return swept;
}

}  // namespace share
