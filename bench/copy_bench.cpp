// Copy of a 256 MiB file through TFxFileManager (8 KiB events), with and without forcing the
// temporary file to the disk before it replaces the destination, against references measured in
// the same run: `cp`, `cp` followed by `sync FILE`, and a plain 8 KiB read/write loop with and
// without fsync. Prints the median time of each and the ratios the engine is held to.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "fileops/fx_file_manager.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

constexpr int64_t kFileSize = int64_t{256} << 20;
constexpr int kBlock = 8192;

// One folder for the whole run, on the disk the temporary folder lives on.
struct Workspace {
    fs::path folder;
    std::string source;
    Workspace() {
        std::string pattern = (fs::temp_directory_path() / "copy-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        source = (folder / "source.bin").string();
        std::vector<char> block(1 << 20);
        for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
        std::FILE* out = std::fopen(source.c_str(), "wb");
        for (int64_t written = 0; written < kFileSize; written += static_cast<int64_t>(block.size()))
            std::fwrite(block.data(), 1, block.size(), out);
        std::fclose(out);
    }
    ~Workspace() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    // The target of one copy, gone, with every earlier write on the disk: no copy pays for another's.
    std::string FreshTarget(const char* name) const {
        const std::string target = (folder / name).string();
        ::unlink(target.c_str());
        ::sync();
        return target;
    }
};

Workspace& Space() {
    static Workspace space;
    return space;
}

void ReadWriteLoop(const std::string& from, const std::string& to, bool sync) {
    const int in = ::open(from.c_str(), O_RDONLY);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char> buffer(kBlock);
    ssize_t n;
    while ((n = ::read(in, buffer.data(), buffer.size())) > 0)
        if (::write(out, buffer.data(), static_cast<size_t>(n)) != n) break;
    if (sync) ::fsync(out);
    ::close(out);
    ::close(in);
}

void BM_Cp(benchmark::State& state) {
    const std::string target = Space().FreshTarget("cp.bin");
    std::string command = "cp '" + Space().source + "' '" + target + "'";
    if (state.range(0) != 0) command += " && sync '" + target + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_ReadWriteLoop(benchmark::State& state) {
    const std::string target = Space().FreshTarget("loop.bin");
    for (auto _ : state) ReadWriteLoop(Space().source, target, state.range(0) != 0);
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_FileManager(benchmark::State& state) {
    fileops::TFxFileManager manager(platform::makeNativePlatform().files);
    manager.SetOptions(fileops::kDefaultFileOptions.With(fileops::foOverwrite));
    manager.SetFlushBeforeReplace(state.range(0) != 0);
    manager.SetSource(Space().source);
    manager.SetDestination(Space().FreshTarget("manager.bin"));
    int64_t progressEvents = 0;
    manager.OnProgress = [&](fileops::TFxFileManager&) { ++progressEvents; };
    for (auto _ : state)
        if (!manager.Execute() || manager.FilesProc() != 1) state.SkipWithError("copy failed");
    state.SetBytesProcessed(state.iterations() * kFileSize);
    state.counters["events"] = static_cast<double>(progressEvents) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_Cp)->ArgName("sync")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ReadWriteLoop)->ArgName("fsync")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_FileManager)->ArgName("flush")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// Keeps the seconds of every repetition and prints medians and ratios once all have run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration && run.iterations > 0)
                seconds_[run.run_name.function_name + "/" + run.run_name.args].push_back(
                    run.real_accumulated_time / static_cast<double>(run.iterations));
    }
    void PrintRatios() const {
        const double cp = Median("BM_Cp/sync:0"), cpSync = Median("BM_Cp/sync:1");
        const double loop = Median("BM_ReadWriteLoop/fsync:0"), loopSync = Median("BM_ReadWriteLoop/fsync:1");
        const double engine = Median("BM_FileManager/flush:0"), engineFlush = Median("BM_FileManager/flush:1");
        std::printf("\nEngine and references, 256 MiB, medians (MiB/s):\n");
        for (const auto& [name, times] : seconds_)
            std::printf("  %-28s %8.1f MiB/s  (%zu runs)\n", name.c_str(), 256.0 / Median(name), times.size());
        std::printf("Engine ratios:\n");
        std::printf("  flushed engine time / 8 KiB loop with fsync: %.3f  (goal <= 1.05)\n", Ratio(engineFlush, loopSync));
        std::printf("  cp + sync FILE time / flushed engine time:   %.3f  (goal >= 0.90)\n", Ratio(cpSync, engineFlush));
        std::printf("  unflushed: engine / 8 KiB loop %.3f; cp / engine %.3f\n", Ratio(engine, loop), Ratio(cp, engine));
    }

private:
    double Median(const std::string& name) const {
        const auto found = seconds_.find(name);
        if (found == seconds_.end() || found->second.empty()) return 0;
        std::vector<double> times = found->second;
        std::sort(times.begin(), times.end());
        const size_t n = times.size();
        return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    }
    static double Ratio(double a, double b) { return a > 0 && b > 0 ? a / b : 0.0; }

    std::map<std::string, std::vector<double>> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Space();  // the source exists before the first measurement
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
