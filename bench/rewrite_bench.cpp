// The rewrite pass in memory, against a plain line copy through the same reader and writer:
// what the rules cost on top of reading and writing lines.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench/tree_generator.h"
#include "patcher/cfg_rewrite.h"
#include "patcher/line_io.h"

namespace {

using cirrowisp::ByteSink;
using cirrowisp::ByteSource;

// Reads a file's bytes in place, so neither side pays for copying its input first.
class ViewSource : public ByteSource {
public:
    explicit ViewSource(std::string_view data) : data_(data) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min(size, data_.size());
        std::memcpy(buffer, data_.data(), count);
        data_.remove_prefix(count);
        return count;
    }

private:
    std::string_view data_;
};

// Collects the output in a buffer that keeps its capacity from file to file, as a file's page
// cache would.
class ReusedSink : public ByteSink {
public:
    void write(const char* data, std::size_t size) override { data_.append(data, size); }
    void clear() { data_.clear(); }
    std::size_t size() const { return data_.size(); }

private:
    std::string data_;
};

struct Mix {
    std::vector<std::string> files;
    std::size_t bytes = 0;
};

// Sixty-four files from the tree generator: every size from 5 to 60 KB, both line ends, a
// quarter of them patched already.
const Mix& mix() {
    static const Mix instance = [] {
        Mix m;
        cirrowisp::bench::CfgGenerator generator(2026);
        for (int i = 0; i < 64; ++i) {
            m.files.push_back(generator.next());
            m.bytes += m.files.back().size();
        }
        return m;
    }();
    return instance;
}

void lineCopy(benchmark::State& state) {
    const Mix& files = mix();
    ReusedSink sink;
    std::string_view line;  // read the way the pass reads
    for (auto _ : state) {
        for (const std::string& file : files.files) {
            sink.clear();
            ViewSource source(file);
            cirrowisp::LineReader reader(source);
            cirrowisp::LineWriter writer(sink);
            while (reader.next(line)) {
                writer.writeLine(line.data(), line.size());
            }
            writer.flush();
            benchmark::DoNotOptimize(sink.size());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(files.bytes));
}

// The pass over a stream, or (`inMemory`) over the file whole in memory, the form a run
// takes, where runs of unchanged lines are handed on in place; on the given line scan.
void rewrite(benchmark::State& state, bool inMemory, cirrowisp::LineScan scan) {
    const Mix& files = mix();
    const cirrowisp::PatchOptions options;
    ReusedSink sink;
    for (auto _ : state) {
        for (const std::string& file : files.files) {
            sink.clear();
            ViewSource source(file);
            const cirrowisp::RewriteResult result =
                inMemory ? cirrowisp::CfgRewritePass(options, std::string_view(file), sink, scan)
                         : cirrowisp::CfgRewritePass(options, source, sink, scan);
            benchmark::DoNotOptimize(result);
            benchmark::DoNotOptimize(sink.size());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(files.bytes));
}

BENCHMARK(lineCopy)->Name("line_copy")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(rewrite, stream, false, cirrowisp::bestLineScan())
    ->Name("rewrite_pass")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(rewrite, memory, true, cirrowisp::bestLineScan())
    ->Name("rewrite_pass_in_memory")
    ->Unit(benchmark::kMillisecond);
// What a processor without AVX2 runs.
BENCHMARK_CAPTURE(rewrite, portable, true, cirrowisp::LineScan::portable)
    ->Name("rewrite_pass_in_memory_portable_scan")
    ->Unit(benchmark::kMillisecond);

// Keeps the median CPU time of each benchmark (or its last run without repetitions) so the
// ratio can be printed after the usual table. CPU time rather than wall time: the pass is
// single-threaded and in memory, and other processes on the machine must not tilt the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}  // no colours: the output goes to a log

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            const std::string name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") {
                    seconds_[name] = run.GetAdjustedCPUTime() / 1e3;  // reported in ms
                    fromMedian_[name] = true;
                }
            } else if (!fromMedian_[name]) {
                seconds_[name] = run.GetAdjustedCPUTime() / 1e3;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    double seconds(const std::string& name) const {
        const auto found = seconds_.find(name);
        return found == seconds_.end() ? 0.0 : found->second;
    }

private:
    std::map<std::string, double> seconds_;
    std::map<std::string, bool> fromMedian_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    std::printf(
        "mix: %zu files, %.1f KB on average\n", mix().files.size(),
        static_cast<double>(mix().bytes) / static_cast<double>(mix().files.size()) / 1024.0);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double copy = reporter.seconds("line_copy");
    const double pass = reporter.seconds("rewrite_pass");
    if (copy > 0.0 && pass > 0.0) {
        // One line that scripts/bench.sh picks up for its table: median CPU time per pass over
        // the whole mix, as MB/s.
        const auto bytes = static_cast<double>(mix().bytes);
        std::printf("RESULT rewrite copy_MBps=%.1f rewrite_MBps=%.1f ratio=%.2f\n",
                    bytes / copy / 1e6, bytes / pass / 1e6, pass / copy);
    }
    return 0;
}
