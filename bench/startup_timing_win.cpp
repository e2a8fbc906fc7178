// Whole-process timing under Wine, side by side in one run:
//  - velnor.exe from its start until its main window is visible with the list
//    filled, against a minimal program that runs the same listing and shows a
//    window;
//  - "velnor.exe /s" until it has ended, against the same three netsh
//    commands as three cmd.exe runs back to back, and as one batch file.
// Prints medians and ratios as BENCH lines.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "timing_win.h"

namespace {

using velnor::bench::Median;
using velnor::bench::Now;

void WriteText(const std::wstring& path, const std::string& text) {
    std::ofstream(path.c_str(), std::ios::binary) << text;
}

PROCESS_INFORMATION Start(const std::wstring& commandLine, const std::wstring& folder) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring line = commandLine;
    CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi);
    return pi;
}

struct Found {
    DWORD pid;
    const wchar_t* cls;
    HWND window;
};

HWND VisibleWindow(DWORD pid, const wchar_t* cls) {
    Found f{pid, cls, nullptr};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* found = reinterpret_cast<Found*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            wchar_t c[64] = {};
            GetClassNameW(h, c, 64);
            if (owner == found->pid && wcscmp(c, found->cls) == 0 && IsWindowVisible(h)) {
                found->window = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.window;
}

// Time until the program's window is visible; then it is closed.
double TimeToWindow(const std::wstring& commandLine, const std::wstring& folder, const wchar_t* cls) {
    const double t0 = Now();
    PROCESS_INFORMATION pi = Start(commandLine, folder);
    HWND window = nullptr;
    // Bounded, so that a window that never shows cannot hang the run.
    while (!(window = VisibleWindow(pi.dwProcessId, cls)) && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT &&
           Now() - t0 < 30000)
        Sleep(1);
    const double elapsed = Now() - t0;
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return elapsed;
}

double TimeToExit(const std::wstring& commandLine, const std::wstring& folder) {
    const double t0 = Now();
    PROCESS_INFORMATION pi = Start(commandLine, folder);
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
    const double elapsed = Now() - t0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return elapsed;
}

}  // namespace

// Arguments: the folder holding velnor.exe and minimal_listing.exe, the
// simulator's state folder, and the number of rounds.
int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_timing <program folder> <simulator folder> [rounds]\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const std::wstring state = std::wstring(argv[2]) + L"\\state.ini";
    const int rounds = argc > 3 ? std::max(3, _wtoi(argv[3])) : 9;
    const std::string scenario = "profile=Home\r\nprofile=Office 5G\r\nprofile=Cafe Guest\r\nprofile=Hotel\r\n";
    WriteText(state, scenario);
    WriteText(folder + L"\\bench.bat",
              "@echo off\r\nnetsh wlan show profile > \"%~dp0WiFi.log\"\r\n"
              "netsh wlan show interface > \"%~dp0WiFi.log\"\r\nnetsh wlan connect name=\"Home\"\r\n");
    const std::wstring velnor = L"\"" + folder + L"\\velnor.exe\" /p";
    const std::wstring minimal = L"\"" + folder + L"\\minimal_listing.exe\"";
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring batch = L"\"" + std::wstring(system) + L"\\cmd.exe\" /c \"" + folder + L"\\bench.bat\"";

    TimeToWindow(velnor, folder, L"TmainForm");  // warm both up
    TimeToWindow(minimal, folder, L"MinimalListing");
    const std::wstring cmd = L"\"" + std::wstring(system) + L"\\cmd.exe\" /c netsh wlan ";
    const std::wstring capture = L" > \"" + folder + L"\\WiFi.log\"";
    // The same three commands as three cmd.exe runs back to back.
    auto threeRuns = [&] {
        return TimeToExit(cmd + L"show profile" + capture, folder) +
               TimeToExit(cmd + L"show interface" + capture, folder) + TimeToExit(cmd + L"connect name=\"Home\"", folder);
    };
    std::vector<double> start, startMinimal, silent, silentBatch, silentRuns;
    for (int i = 0; i < rounds; ++i) {
        // Alternate the order so that neither always runs first.
        if (i % 2) {
            start.push_back(TimeToWindow(velnor, folder, L"TmainForm"));
            startMinimal.push_back(TimeToWindow(minimal, folder, L"MinimalListing"));
        } else {
            startMinimal.push_back(TimeToWindow(minimal, folder, L"MinimalListing"));
            start.push_back(TimeToWindow(velnor, folder, L"TmainForm"));
        }
        // Each silent run starts disconnected, so each runs all three commands.
        WriteText(state, scenario);
        silent.push_back(TimeToExit(velnor + L" /s", folder));
        WriteText(state, scenario);
        silentBatch.push_back(TimeToExit(batch, folder));
        WriteText(state, scenario);
        silentRuns.push_back(threeRuns());
    }
    const double a = Median(start), b = Median(startMinimal), c = Median(silent), d = Median(silentBatch),
                 e = Median(silentRuns);
    std::printf("BENCH startup/velnor_to_filled_window %.1f ms\n", a);
    std::printf("BENCH startup/minimal_program_same_listing %.1f ms\n", b);
    std::printf("BENCH startup/ratio %.3f ratio\n", a / b);
    std::printf("BENCH silent/velnor_s %.1f ms\n", c);
    std::printf("BENCH silent/three_cmd_runs_back_to_back %.1f ms\n", e);
    std::printf("BENCH silent/ratio_to_three_cmd_runs %.3f ratio\n", c / e);
    std::printf("BENCH silent/one_batch_file_same_three_commands %.1f ms\n", d);
    std::printf("BENCH silent/ratio_to_one_batch_file %.3f ratio\n", c / d);
    return 0;
}
