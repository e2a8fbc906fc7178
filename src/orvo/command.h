// One run of a system program, and the runner that carries it out. Portable,
// so that the wireless command layer can be tested with a fake runner; the
// Win32 runner is RunSystemCommand in exec_and_wait.h.
#pragma once

#include <functional>
#include <string>

namespace velnor {

// `file` is a bare name ("cmd.exe", "netsh.exe") that the runner resolves in
// the system folder, never by a search.
struct Command {
    std::wstring file;
    std::wstring parameters;
    bool operator==(const Command&) const = default;
};

// Runs a command and returns when it has ended, or at once when it could not
// be started. Its outcome is not reported.
using CommandRunner = std::function<void(const Command&)>;

}  // namespace velnor
