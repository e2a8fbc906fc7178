#include "orvo/exec_and_wait.h"
#include "platform/win32_text.h"

namespace velnor {

void RunSystemCommand(const Command& command) {
    const std::wstring folder = SystemFolder();
    std::wstring file = folder;
    file += L'\\';
    file += command.file;
    ExecAndWait(nullptr, file, command.parameters, std::wstring(), SW_HIDE, folder);
}

}  // namespace velnor
