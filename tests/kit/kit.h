// The Windows test kit's runner: runs every test layer on a real machine,
// reads the machine's own netsh, looks at the program's windows, and writes
// report\summary.txt.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace velnor::kit {

namespace fs = std::filesystem;

enum class Outcome { Passed, Failed, NotRun };

struct TestOutcome {
    std::wstring name;  // "Suite.Test"
    Outcome outcome;
};

// The test cases of one GoogleTest XML (JUnit) file. A case counts as failed
// when it holds a failure element, as not run when it was skipped or
// disabled, and as passed otherwise.
std::vector<TestOutcome> ReadJUnit(const std::string& xml);

// What is known about this machine, one fact per line: Windows version and
// build, display language and code pages, DPI, monitors, high contrast, theme.
std::vector<std::wstring> MachineFacts();

// The compiler and flags that built the kit.
std::vector<std::wstring> BuildFacts();

// Runs the machine's own "netsh wlan show profile" and "show interface" the
// way the program does (cmd.exe from the system folder, into a capture file,
// in the ANSI code page) and says what the program would make of them, then
// asks netsh how it reads the connect command, with made-up names only after
// the profile listing shows that no profile bears any of their words. Writes
// the raw captures into `folder`, with hardware addresses masked when `mask`.
// Never connects or disconnects anything.
std::vector<std::wstring> ProbeRealNetsh(const std::wstring& folder, bool mask);

// One GoogleTest executable of the kit.
struct Layer {
    std::wstring name;       // "unit", "win", "e2e"
    std::wstring exe;        // in bin\.
    std::wstring arguments;  // GoogleTest arguments beyond the XML output
    std::wstring leftOut;    // what the default arguments leave out, and why
    DWORD boundMs;           // after this the layer counts as hung
};

struct Progress {
    int done = 0, total = 0, failed = 0;
};

struct LayerRun {
    std::wstring name;
    std::vector<TestOutcome> tests;
    std::wstring problem;  // a failure outside any test case
};

// Runs a layer with its output in report\<name>.log and its results in
// report\<name>.xml; `progress` hears of every test that finishes.
LayerRun RunLayer(const Layer& layer, const fs::path& bin, const fs::path& report,
                  const std::function<void(const Progress&)>& progress);

// What the kit sees of the program itself, started from bin\velnor.exe
// against the kit's simulated netsh with the sample profiles: every window of
// another process that became visible while its hidden commands ran, the
// font and text fit of each window, and pictures of the main window and the
// editor at this machine's scaling. Each check is one test of the report.
struct LookResult {
    std::vector<std::wstring> facts;
    std::vector<TestOutcome> checks;
    std::vector<std::wstring> problems;  // why a failed check failed
};
LookResult LookAtTheProgram(const fs::path& bin, const fs::path& report);

}  // namespace velnor::kit
