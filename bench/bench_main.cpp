// Runs the registered benchmarks and prints each figure as a line
// "BENCH <name> <value> <unit>" besides Google Benchmark's own table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

class BenchLineReporter : public benchmark::ConsoleReporter {
public:
    // No colour codes: the BENCH lines must start their line.
    BenchLineReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            // Of repeated runs only the median is a figure we compare.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median" && !run.report_big_o &&
                !run.report_rms)
                continue;
            std::string name = run.benchmark_name();
            for (char& c : name)
                if (c == ' ') c = '_';
            if (run.report_rms) {
                std::printf("BENCH %s %.1f %%\n", name.c_str(), run.GetAdjustedRealTime() * 100.0);
                continue;
            }
            const double ns =
                run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            // A complexity fit is a cost per element, not a time.
            std::printf("BENCH %s %.1f %s\n", name.c_str(), ns, run.report_big_o ? "ns/element" : "ns");
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
