#include "support/xvfb_display.h"

#ifdef _WIN32

namespace testing_support {
XvfbDisplay::XvfbDisplay() = default;  // the Windows build has no X display to start
XvfbDisplay::~XvfbDisplay() = default;
bool XvfbDisplay::ServeThisProcess(const std::function<bool()>&) const { return false; }
}  // namespace testing_support

#else

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

extern char** environ;

namespace testing_support {

namespace {

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = folders.find(':', start);
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return "";
}

bool DisplayNumberInUse(int number) {
    const std::string n = std::to_string(number);
    return std::filesystem::exists("/tmp/.X" + n + "-lock") || std::filesystem::exists("/tmp/.X11-unix/X" + n);
}

}  // namespace

XvfbDisplay::XvfbDisplay() {
    const std::string program = FindProgram("Xvfb");
    if (program.empty()) return;
    int number = 90 + static_cast<int>(getpid() % 100);
    while (DisplayNumberInUse(number)) ++number;
    name_ = ":" + std::to_string(number);
    // No reset when the last client leaves: a test's probe connection would otherwise leave the
    // server resetting, and refusing connections, just when the toolkit connects.
    std::vector<std::string> args{program, name_, "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    // A display that outlived its test must hold nothing of the test's (a lock taken for the whole run).
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) return;
    pid_ = pid;
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(socket) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the socket appears before it listens
}

bool XvfbDisplay::ServeThisProcess(const std::function<bool()>& connects) const {
    setenv("DISPLAY", name_.c_str(), 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!connects() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return connects();
}

XvfbDisplay::~XvfbDisplay() {
    if (pid_ <= 0) return;
    kill(static_cast<pid_t>(pid_), SIGTERM);
    waitpid(static_cast<pid_t>(pid_), nullptr, 0);
}

}  // namespace testing_support

#endif
