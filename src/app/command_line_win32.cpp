#include <windows.h>
#include <shellapi.h>

#include "app/command_line.h"

namespace velnor {

std::vector<std::wstring> CommandLineArguments() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    if (!argv) return args;
    args.assign(argv, argv + count);
    LocalFree(argv);
    return args;
}

}  // namespace velnor
