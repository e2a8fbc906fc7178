// Run-and-wait: starts a program through the shell and waits for it to end
// while the user interface keeps working.
#pragma once

#include <windows.h>

#include <string>

#include "orvo/command.h"

namespace velnor {

// Starts `file` with ShellExecuteExW and waits for it in 100 ms slices,
// dispatching every pending window message between slices, so handlers may run
// (and call this again) meanwhile. Returns the shell's result code; a code of
// 32 or less means nothing was started and the call returns at once. An empty
// `directory` lets the program inherit this process's current directory. A
// quit request met during the wait is posted again afterwards, so the message
// loop still ends once control returns to it.
int ExecAndWait(HWND window, const std::wstring& file, const std::wstring& parameters,
                const std::wstring& verb, int show, const std::wstring& directory = {});

// Ends every running wait at once, and from then on starts nothing and
// returns 0 at once: for a program that is ending and will not wait any longer
// for a command that does not end. The started programs run on.
void AbandonWaits();

// Bounds every wait that starts while it lives: a command still running
// `limitMs` after it started is ended through its own job (CommandJob),
// together with every program it started, and the wait returns. For the first listing, which runs before the
// main window is shown: a netsh that never ends (a stuck wireless service)
// must not leave a program with no window holding the single-instance guard.
class WaitLimit {
public:
    explicit WaitLimit(unsigned long limitMs);
    ~WaitLimit();
    WaitLimit(const WaitLimit&) = delete;
    WaitLimit& operator=(const WaitLimit&) = delete;

private:
    unsigned long previous_;
};

// Removes, translates and dispatches every pending message (with dialog
// keyboard navigation). Returns false, with the exit code, when a quit request
// was among them.
bool PumpPendingMessages(int* quitCode);

// One dispatched message, with dialog keyboard navigation for its top-level
// window; the message loop uses it too.
void DispatchWithNavigation(MSG& msg);

// The command runner of the program: the named program from the system folder,
// hidden, with the system folder as its working directory, so that no program
// planted beside the executable or in the current directory is ever started.
void RunSystemCommand(const Command& command);

}  // namespace velnor
