// One walk of the process list, as each pass of the closing phase makes two of them, against a
// plain walk timed in the same iterations: readdir of /proc and one read of each process's stat
// file (the least a walk that tells an ended process from a live one has to do). The counter
// "ratio" is the snapshot's time over the plain walk's.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;

size_t PlainWalk() {
    size_t read = 0;
    DIR* proc = ::opendir("/proc");
    if (!proc) return 0;
    char buffer[1024];
    while (dirent* entry = ::readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        const int file = ::open(("/proc/" + std::string(entry->d_name) + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
        if (file < 0) continue;
        if (::read(file, buffer, sizeof buffer) > 0) ++read;
        ::close(file);
    }
    ::closedir(proc);
    return read;
}

void BM_SnapshotAgainstPlainWalk(benchmark::State& state) {
    const auto table = platform::makeNativePlatform().processes;
    Clock::duration plain{}, snapshot{};
    size_t listed = 0, walked = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        walked = PlainWalk();
        const auto middle = Clock::now();
        listed = table->snapshot(platform::SnapshotKind::All).size();
        snapshot += Clock::now() - middle;
        plain += middle - start;
    }
    state.counters["processes"] = static_cast<double>(walked);
    state.counters["listed"] = static_cast<double>(listed);
    state.counters["ratio"] = std::chrono::duration<double>(snapshot) / std::chrono::duration<double>(plain);
}

BENCHMARK(BM_SnapshotAgainstPlainWalk)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
