// Whether the tests run under Wine rather than on Windows: for the parts of a
// check that Wine cannot show, which a real Windows (the test kit) then does.
#pragma once

#include <windows.h>

namespace velnor::test {

inline bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace velnor::test
