// Whole-command timing under Wine: ExecAndWait against a direct CreateProcessW
// plus WaitForSingleObject of the same simulator command, interleaved in one
// run. Prints the medians and their ratio as BENCH lines.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "orvo/exec_and_wait.h"
#include "platform/win32_text.h"
#include "timing_win.h"

namespace {

using velnor::bench::Median;
using velnor::bench::Now;

const wchar_t kParameters[] = L" /c netsh wlan disconnect > NUL";

double TimeExecAndWait(const std::wstring& cmd, const std::wstring& folder) {
    const double t0 = Now();
    velnor::ExecAndWait(nullptr, cmd, kParameters, L"", SW_HIDE, folder);
    return Now() - t0;
}

// The same shell start with a plain infinite wait: the difference to
// ExecAndWait is what the 100 ms polling costs.
double TimeShellExecuteWait(const std::wstring& cmd, const std::wstring& folder) {
    const double t0 = Now();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"";
    info.lpFile = cmd.c_str();
    info.lpParameters = kParameters;
    info.lpDirectory = folder.c_str();
    info.nShow = SW_HIDE;
    if (ShellExecuteExW(&info) && info.hProcess) {
        WaitForSingleObject(info.hProcess, INFINITE);
        CloseHandle(info.hProcess);
    }
    return Now() - t0;
}

double TimeCreateProcess(const std::wstring& cmd, const std::wstring& folder) {
    const double t0 = Now();
    std::wstring line = L"\"" + cmd + L"\"" + kParameters;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(cmd.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return Now() - t0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(3, _wtoi(argv[1])) : 15;
    const std::wstring folder = velnor::SystemFolder();
    const std::wstring cmd = folder + L"\\cmd.exe";
    TimeExecAndWait(cmd, folder);  // warm both paths up
    TimeCreateProcess(cmd, folder);
    TimeShellExecuteWait(cmd, folder);
    std::vector<double> exec, shell, direct;
    for (int i = 0; i < rounds; ++i) {
        // Rotate the order so that no path always runs first.
        for (int k = 0; k < 3; ++k) {
            switch ((i + k) % 3) {
                case 0: exec.push_back(TimeExecAndWait(cmd, folder)); break;
                case 1: shell.push_back(TimeShellExecuteWait(cmd, folder)); break;
                default: direct.push_back(TimeCreateProcess(cmd, folder)); break;
            }
        }
    }
    const double e = Median(exec), s = Median(shell), d = Median(direct);
    std::printf("BENCH exec_and_wait/median %.1f ms\n", e);
    std::printf("BENCH shell_execute_infinite_wait/median %.1f ms\n", s);
    std::printf("BENCH create_process_wait/median %.1f ms\n", d);
    std::printf("BENCH exec_and_wait/ratio_to_create_process %.3f ratio\n", e / d);
    std::printf("BENCH exec_and_wait/ratio_to_shell_execute_infinite_wait %.3f ratio\n", e / s);
    return 0;
}
