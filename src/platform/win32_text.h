// Small helpers shared by the Windows implementations of the seams.
#pragma once

#include <windows.h>

#include <string>

namespace velnor {

// The OS's own description of an error code, in the user's language, trimmed
// as the error texts embed it.
std::wstring SystemErrorMessage(DWORD code);

// The Windows system folder, without a trailing "\".
std::wstring SystemFolder();

}  // namespace velnor
