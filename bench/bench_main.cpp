// Runs the registered benchmarks and prints each figure as a line
// "BENCH <name> <value> <unit>" besides Google Benchmark's own table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

class BenchLineReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            std::string name = run.benchmark_name();
            for (char& c : name)
                if (c == ' ') c = '_';
            std::printf("BENCH %s %.3f ns\n", name.c_str(), run.GetAdjustedRealTime());
            for (const auto& [key, counter] : run.counters)
                std::printf("BENCH %s/%s %.3f %s\n", name.c_str(), key.c_str(), counter.value,
                            key.find("per_line") != std::string::npos ? "ns/line" : "count");
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    BenchLineReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
