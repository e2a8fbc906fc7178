// A crash in a test must end as a failed test, never as a hang: the test
// prefix has no debugger that could wait for a click on its crash dialog.
// The check runs under Wine only; on Windows the error reporting service
// decides what a crash shows, and the test kit bounds each layer instead.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/under_wine.h"

namespace velnor {
namespace {

using test::UnderWine;

// Run by the test below as a process of its own; does nothing otherwise.
TEST(CrashTest, CrashesWhenAsked) {
    wchar_t asked[8] = {};
    if (!GetEnvironmentVariableW(L"VELNOR_CRASH_NOW", asked, 8)) GTEST_SKIP() << "only in its own process";
    // What a read through a null pointer raises, unhandled.
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

TEST(CrashTest, ACrashedProcessEndsAtOnceWithoutADebugger) {
    if (!UnderWine()) GTEST_SKIP() << "Wine's prefix setting";
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" --gtest_filter=CrashTest.CrashesWhenAsked --gtest_catch_exceptions=0 --gtest_output=";
    SetEnvironmentVariableW(L"VELNOR_CRASH_NOW", L"1");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started =
        CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(L"VELNOR_CRASH_NOW", nullptr);
    ASSERT_TRUE(started);
    // The bound only decides how long a failing run takes: the crashed
    // process ends within a second when no debugger starts.
    const DWORD waited = WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0)) << "the crashed process still waited after 30 s";
    EXPECT_NE(code, 0u);
}

}  // namespace
}  // namespace velnor
