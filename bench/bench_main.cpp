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
            const double ns =
                run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            std::printf("BENCH %s %.1f ns\n", name.c_str(), ns);
            for (const auto& [key, counter] : run.counters) {
                // A "lines" counter turns the time into a cost per line.
                if (key == "lines" && counter.value > 0)
                    std::printf("BENCH %s/per_line %.2f ns/line\n", name.c_str(), ns / counter.value);
                else
                    std::printf("BENCH %s/%s %.3f count\n", name.c_str(), key.c_str(), counter.value);
            }
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
