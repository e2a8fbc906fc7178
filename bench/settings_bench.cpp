// The settings store on the main window's two sequences, and OpenNode as the
// number of sections grows (every lookup scans a child list from the start).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/utf.h"
#include "xmlinifiles/xml_ini_file.h"

namespace {

std::wstring BenchFile(const std::string& name) {
    return velnor::Utf8ToWide("/tmp/velnor-bench-" + std::to_string(getpid()) + "-" + name + ".xml");
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
    FILE* f = std::fopen(velnor::WideToUtf8(path).c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// What a settings file looks like after a few closes, plus a few sections
// that other versions might keep.
std::string RealisticFile() {
    std::string s = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<root>";
    for (const char* section : {"Recent", "Options"}) {
        s += std::string("<") + section + ">";
        for (int i = 0; i < 8; ++i) s += "<Item" + std::to_string(i) + " Type=\"10\">value " + std::to_string(i) + "</Item" + std::to_string(i) + ">";
        s += std::string("</") + section + ">";
    }
    s += "<Window><Left Type=\"9\">120</Left><Top Type=\"9\">80</Top><Width Type=\"9\">420</Width>"
         "<Height Type=\"9\">360</Height><SSID Type=\"10\"> HomeNetwork-5G</SSID></Window></root>\r\n";
    return s;
}

void BM_StartSequence(benchmark::State& state) {
    const std::wstring path = BenchFile("start");
    WriteFile(path, RealisticFile());
    for (auto _ : state) {
        velnor::TXMLIniFile ini(path);
        ini.OpenNode(L"/Window", true);
        benchmark::DoNotOptimize(ini.ReadInteger(L"Left", 0));
        benchmark::DoNotOptimize(ini.ReadInteger(L"Top", 0));
        benchmark::DoNotOptimize(ini.ReadInteger(L"Width", 0));
        benchmark::DoNotOptimize(ini.ReadInteger(L"Height", 0));
        benchmark::DoNotOptimize(ini.ReadString(L"SSID", L""));
        ini.CloseNode();
    }
    std::remove(velnor::WideToUtf8(path).c_str());
}
BENCHMARK(BM_StartSequence)->Unit(benchmark::kMicrosecond);

// The same read sequence on the file declared Shift_JIS, read through the
// code page and its byte-for-byte check.
void BM_StartSequenceShiftJis(benchmark::State& state) {
    const std::wstring path = BenchFile("start-sjis");
    std::string file = RealisticFile();
    file.replace(file.find("utf-8"), 5, "Shift_JIS");
    file.replace(file.find(" HomeNetwork-5G"), 15, " \x8E\xA9\x91\xEE-5G");
    WriteFile(path, file);
    for (auto _ : state) {
        velnor::TXMLIniFile ini(path);
        ini.OpenNode(L"/Window", true);
        benchmark::DoNotOptimize(ini.ReadInteger(L"Left", 0));
        benchmark::DoNotOptimize(ini.ReadString(L"SSID", L""));
        ini.CloseNode();
    }
    std::remove(velnor::WideToUtf8(path).c_str());
}
BENCHMARK(BM_StartSequenceShiftJis)->Unit(benchmark::kMicrosecond);

// Includes the flush to disk that makes the replacement of the file safe.
void BM_CloseSequence(benchmark::State& state) {
    const std::wstring path = BenchFile("close");
    WriteFile(path, RealisticFile());
    int n = 0;
    for (auto _ : state) {
        velnor::TXMLIniFile ini(path);
        ini.OpenNode(L"/Window", true);
        ini.WriteInteger(L"Left", 120 + (n++ & 7));
        ini.WriteInteger(L"Top", 80);
        ini.WriteInteger(L"Width", 420);
        ini.WriteInteger(L"Height", 360);
        ini.WriteString(L"SSID", L" HomeNetwork-5G");
        ini.CloseNode();
        ini.UpdateFile();
    }
    std::remove(velnor::WideToUtf8(path).c_str());
}
BENCHMARK(BM_CloseSequence)->Unit(benchmark::kMicrosecond);

// OpenNode of the last of N sections, the worst case of the linear scan.
void BM_OpenNodeLastOfSections(benchmark::State& state) {
    const int sections = static_cast<int>(state.range(0));
    std::string s = "<root>";
    for (int i = 0; i < sections; ++i) s += "<S" + std::to_string(i) + "><V Type=\"9\">1</V></S" + std::to_string(i) + ">";
    s += "</root>";
    const std::wstring path = BenchFile("sections");
    WriteFile(path, s);
    velnor::TXMLIniFile ini(path);
    const std::wstring last = L"/S" + std::to_wstring(sections - 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ini.OpenNode(last, false));
    }
    state.SetComplexityN(sections);
    std::remove(velnor::WideToUtf8(path).c_str());
}
BENCHMARK(BM_OpenNodeLastOfSections)->Arg(100)->Arg(1000)->Arg(10000)->Complexity(benchmark::oN);

// The same file loaded each time: what a start costs with 10,000 sections.
void BM_CreateWithSections(benchmark::State& state) {
    const int sections = static_cast<int>(state.range(0));
    std::string s = "<root>";
    for (int i = 0; i < sections; ++i) s += "<S" + std::to_string(i) + "><V Type=\"9\">1</V></S" + std::to_string(i) + ">";
    s += "<Window><Left Type=\"9\">1</Left></Window></root>";
    const std::wstring path = BenchFile("create");
    WriteFile(path, s);
    for (auto _ : state) {
        velnor::TXMLIniFile ini(path);
        ini.OpenNode(L"/Window", true);
        benchmark::DoNotOptimize(ini.ReadInteger(L"Left", 0));
    }
    std::remove(velnor::WideToUtf8(path).c_str());
}
BENCHMARK(BM_CreateWithSections)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
