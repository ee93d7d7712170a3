// share_sim: a folder served as a network share would be, for tests and benchmarks.
//   share_sim mount SOURCE MOUNTPOINT [--delay-ms 0.5] [--mbit 0] [--cache-s 1] [--readahead-kb 8192]
//                   [--uncached 1] [--control SOCKET] [--watch-fd N] [--ready-fd N] [--lifetime SECONDS]
//   share_sim ctl SOCKET COMMAND...     (ping, counters, reset, eio, down, up, stall, clear, quit)
//   share_sim sweep                     (unmounts the shares whose serving process is gone)
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "share_client.h"
#include "share_control.h"
#include "share_fs.h"
#include "share_mounts.h"

namespace {

const char* const kUsage =
    "usage: share_sim mount SOURCE MOUNTPOINT [--delay-ms MS] [--mbit MBIT] [--cache-s SECONDS]\n"
    "                 [--readahead-kb KB] [--uncached 1] [--control SOCKET] [--watch-fd N]\n"
    "                 [--ready-fd N] [--lifetime SECONDS]\n"
    "       share_sim ctl SOCKET COMMAND...\n"
    "       share_sim sweep\n";

struct MountArguments {
    std::string source, mountPoint, control;
    share::Settings settings;
    int watchFd = -1, readyFd = -1;
    double lifetime = 0;
};

bool ParseMount(int argc, char** argv, MountArguments& out) {
    if (argc < 4) return false;
    out.source = argv[2];
    out.mountPoint = argv[3];
    for (int i = 4; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const double value = std::atof(argv[i + 1]);
        if (option == "--delay-ms") out.settings.delaySeconds = value / 1000;
        else if (option == "--mbit") out.settings.readBitsPerSecond = value * 1e6;
        else if (option == "--cache-s") out.settings.cacheSeconds = value;
        else if (option == "--readahead-kb") out.settings.readAheadKb = static_cast<unsigned>(value);
        else if (option == "--uncached") out.settings.uncached = value != 0;
        else if (option == "--control") out.control = argv[i + 1];
        else if (option == "--watch-fd") out.watchFd = std::atoi(argv[i + 1]);
        else if (option == "--ready-fd") out.readyFd = std::atoi(argv[i + 1]);
        else if (option == "--lifetime") out.lifetime = value;
        else return false;
    }
    return (argc - 4) % 2 == 0;
}

void Tell(int fd, const std::string& line) {
    if (fd < 0) return;
    const std::string text = line + "\n";
    (void)!::write(fd, text.data(), text.size());
    ::close(fd);
}

int Mount(const MountArguments& arguments) {
    // Only the control thread takes the ending signals (signalfd); the request loop is woken
    // with SIGUSR1 alone.
    sigset_t blocked;
    sigemptyset(&blocked);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) sigaddset(&blocked, signal);
    ::pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    share::SweepStaleMounts();

    share::ShareState state(arguments.settings);
    share::ControlServer control(state, arguments.control);
    if (!control.error().empty()) {
        std::fprintf(stderr, "share_sim: %s\n", control.error().c_str());
        Tell(arguments.readyFd, "error: " + control.error());
        return 2;
    }
    share::MountedShare mounted(state, arguments.source, arguments.mountPoint);
    if (!mounted.error().empty()) {
        std::fprintf(stderr, "share_sim: %s\n", mounted.error().c_str());
        Tell(arguments.readyFd, "error: " + mounted.error());
        return 2;
    }
    Tell(arguments.readyFd, "ready");
    std::thread controller([&] {
        control.Serve(arguments.watchFd, arguments.lifetime);
        mounted.Stop();
    });
    mounted.Run();
    control.Wake();  // the loop may also end by itself (unmounted from outside)
    controller.join();
    return 0;
}

int Control(int argc, char** argv) {
    std::string command;
    for (int i = 3; i < argc; ++i) command += (i > 3 ? " " : "") + std::string(argv[i]);
    const auto answer = share::SendCommand(argv[2], command);
    if (!answer) {
        std::fprintf(stderr, "share_sim: no answer from %s\n", argv[2]);
        return 2;
    }
    std::fputs(answer->c_str(), stdout);
    return answer->rfind("error", 0) == 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string verb = argc > 1 ? argv[1] : "";
    MountArguments arguments;
    if (verb == "mount" && ParseMount(argc, argv, arguments)) return Mount(arguments);
    if (verb == "ctl" && argc >= 4) return Control(argc, argv);
    if (verb == "sweep" && argc == 2) {
        std::printf("%d\n", share::SweepStaleMounts());
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
