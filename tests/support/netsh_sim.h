// Test access to the simulated wireless service: a state folder of its own per
// test (NETSH_SIM_DIR, inherited by cmd.exe and netsh.exe), its scenario in
// state.ini and the journal of the raw command lines it received.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/utf.h"
#include "support/file_bytes.h"
#include "support/shared_read.h"

namespace velnor::test {

class NetshSim {
public:
    explicit NetshSim(const std::wstring& folder) : folder_(folder) {
        CreateDirectoryW(folder_.c_str(), nullptr);
        DeleteFileW(Journal().c_str());
        DeleteFileW(State().c_str());
        SetEnvironmentVariableW(L"NETSH_SIM_DIR", folder_.c_str());
    }
    ~NetshSim() { SetEnvironmentVariableW(L"NETSH_SIM_DIR", nullptr); }
    NetshSim(const NetshSim&) = delete;
    NetshSim& operator=(const NetshSim&) = delete;

    std::wstring State() const { return folder_ + L"\\state.ini"; }
    std::wstring Journal() const { return folder_ + L"\\journal.log"; }

    // Writes the scenario, one "key=value" per line.
    void SetState(const std::vector<std::wstring>& lines) const {
        std::wstring text;
        for (const auto& l : lines) text += l + L"\r\n";
        WriteBytes(State(), WideToUtf8(text));
    }
    // Read with every share mode: the simulator replaces the file while a
    // test may be reading it.
    std::wstring StateText() const { return Utf8ToWide(ReadShared(State().c_str())); }

    // The raw command lines received, oldest first.
    std::vector<std::wstring> Commands() const { return Values(L"cmd="); }
    std::vector<std::wstring> Directories() const { return Values(L"cwd="); }
    // The full path of the simulator that ran, for each command.
    std::vector<std::wstring> Programs() const { return Values(L"exe="); }

    // The value of "connected=" in the state, empty when disconnected.
    std::wstring Connected() const {
        for (const auto& line : Lines(StateText()))
            if (line.rfind(L"connected=", 0) == 0) return line.substr(10);
        return L"";
    }

    static std::vector<std::wstring> Lines(const std::wstring& text) {
        std::vector<std::wstring> out;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find(L"\r\n", start);
            if (end == std::wstring::npos) end = text.size();
            out.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return out;
    }

private:
    std::vector<std::wstring> Values(const std::wstring& key) const {
        std::vector<std::wstring> out;
        for (const auto& line : Lines(Utf8ToWide(ReadShared(Journal().c_str()))))
            if (line.rfind(key, 0) == 0) out.push_back(line.substr(key.size()));
        return out;
    }

    std::wstring folder_;
};

}  // namespace velnor::test
