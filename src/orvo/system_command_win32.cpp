#include "orvo/exec_and_wait.h"
#include "platform/win32_text.h"

namespace velnor {

void RunSystemCommand(const Command& command) {
    const std::wstring folder = SystemFolder();
    ExecAndWait(nullptr, folder + L"\\" + command.file, command.parameters, L"", SW_HIDE, folder);
}

}  // namespace velnor
