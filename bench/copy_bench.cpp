// Copy of a 256 MiB file in 8 KiB blocks through TFxFileManager, with and without forcing the
// temporary file to the disk before it replaces the destination, against `cp` and a plain 8 KiB
// read/write loop measured in the same run. Prints each throughput as a ratio to both references.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

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
    std::string Target(const char* name) const { return (folder / name).string(); }
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
    const std::string command = "cp '" + Space().source + "' '" + Space().Target("cp.bin") + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_ReadWriteLoop(benchmark::State& state) {
    for (auto _ : state) ReadWriteLoop(Space().source, Space().Target("loop.bin"), state.range(0) != 0);
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_FileManager(benchmark::State& state) {
    fileops::TFxFileManager manager(platform::makeNativePlatform().files);
    manager.SetOptions(fileops::kDefaultFileOptions.With(fileops::foOverwrite));
    manager.SetFlushBeforeReplace(state.range(0) != 0);
    manager.SetSource(Space().source);
    manager.SetDestination(Space().Target("manager.bin"));
    int64_t progressEvents = 0;
    manager.OnProgress = [&](fileops::TFxFileManager&) { ++progressEvents; };
    for (auto _ : state)
        if (!manager.Execute() || manager.FilesProc() != 1) state.SkipWithError("copy failed");
    state.SetBytesProcessed(state.iterations() * kFileSize);
    state.counters["events"] = static_cast<double>(progressEvents) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_Cp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ReadWriteLoop)->ArgName("fsync")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_FileManager)->ArgName("flush")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Keeps the seconds per copy of every benchmark and prints the ratios once all have run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration && run.iterations > 0)
                seconds_[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
    }
    void PrintRatios() const {
        const auto reference = [&](const std::string& name) {
            const auto found = seconds_.find(name);
            return found == seconds_.end() ? 0.0 : found->second;
        };
        const double cp = reference("BM_Cp/iterations:3/real_time");
        const double loop = reference("BM_ReadWriteLoop/fsync:0/iterations:3/real_time");
        std::printf("\nThroughput of 256 MiB copies (MiB/s) and as a ratio to cp and to the 8 KiB loop:\n");
        for (const auto& [name, seconds] : seconds_) {
            const double throughput = 256.0 / seconds;
            std::printf("  %-58s %8.1f MiB/s  x%.2f of cp  x%.2f of loop\n", name.c_str(), throughput,
                        cp > 0 ? cp / seconds : 0.0, loop > 0 ? loop / seconds : 0.0);
        }
    }

private:
    std::map<std::string, double> seconds_;
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
