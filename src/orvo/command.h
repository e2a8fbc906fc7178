// One run of a system program, and the runner that carries it out. Portable,
// so that the wireless command layer can be tested with a fake runner; the
// Win32 runner is RunSystemCommand in exec_and_wait.h.
#pragma once

#include <functional>
#include <string>
#include <string_view>

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

// `text` as one argument of a command line, between double quotes, so that
// every Windows program reads it back exactly (CommandLineToArgvW and the C
// runtime split alike): a quote inside becomes \", and backslashes are
// doubled where they stand before a quote, the closing one included. Blanks
// and the characters a shell would act on stay as they are, so a command line
// built with it must never pass through a shell.
std::wstring QuoteArgument(std::wstring_view text);

}  // namespace velnor
