// The Windows test kit's runner: runs every test layer on a real machine,
// reads the machine's own netsh read-only, and writes report\summary.txt.
#pragma once

#include <string>
#include <vector>

namespace velnor::kit {

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
// in the ANSI code page) and says what the program would make of them. Writes
// the raw captures into `folder`. Never connects or disconnects.
std::vector<std::wstring> ProbeRealNetsh(const std::wstring& folder);

}  // namespace velnor::kit
