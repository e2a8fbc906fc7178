// Reading a capture file and picking out the profile names, at two sizes: the
// cost per line should stay the same from 1,000 to 100,000 lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "main/line_buffer.h"
#include "main/wlan.h"

namespace {

// A Japanese profile listing in code page 932 with `lines` profile lines.
std::filesystem::path CaptureFile(int lines) {
    const auto path = std::filesystem::temp_directory_path() / ("velnor-bench-" + std::to_string(lines) + ".log");
    if (std::filesystem::exists(path)) return path;
    std::ofstream out(path, std::ios::binary);
    // "    すべてのユーザー プロファイル     : "
    const std::string label =
        "    \x82\xB7\x82\xD7\x82\xC4\x82\xCC\x83\x86\x81\x5B\x83\x55\x81\x5B \x83\x76\x83\x8D\x83\x74\x83\x40"
        "\x83\x43\x83\x8B     : ";
    out << "\r\n\x83\x86\x81\x5B\x83\x55\x81\x5B \x83\x76\x83\x8D\x83\x74\x83\x40\x83\x43\x83\x8B\r\n";
    for (int i = 0; i < lines; ++i) out << label << "Network-" << i << (i % 3 ? "" : " \x8E\xA9\x91\xEE") << "\r\n";
    return path;
}

void BM_LoadAndListProfiles(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    const auto file = CaptureFile(lines);
    const std::u16string u = file.u16string();
    const std::wstring path(u.begin(), u.end());
    velnor::LineBuffer buffer;
    std::wstring name;
    for (auto _ : state) {
        buffer.LoadFromFile(path);
        size_t names = 0;
        for (const auto& line : buffer.Lines())
            if (velnor::ParseProfileLine(line, &name)) ++names;
        benchmark::DoNotOptimize(names);
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_LoadAndListProfiles)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
