#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "platform/locale_convert.h"

namespace velnor {
namespace {

ConvertStatus StatusOf(HRESULT hr) {
    if (SUCCEEDED(hr)) return ConvertStatus::Ok;
    if (hr == DISP_E_TYPEMISMATCH) return ConvertStatus::TypeMismatch;
    if (hr == DISP_E_OVERFLOW) return ConvertStatus::Overflow;
    return ConvertStatus::Failed;
}

}  // namespace

PlatformDate PlatformDateFromStr(const std::wstring& text) {
    DATE value = 0;
    std::wstring input = text;  // the SDK's declaration takes a mutable string
    const HRESULT hr = VarDateFromStr(input.data(), LOCALE_USER_DEFAULT, 0, &value);
    return {StatusOf(hr), value};
}

PlatformInt32 PlatformI4FromStr(const std::wstring& text) {
    LONG value = 0;
    std::wstring input = text;
    const HRESULT hr = VarI4FromStr(input.data(), LOCALE_USER_DEFAULT, 0, &value);
    return {StatusOf(hr), static_cast<std::int32_t>(value)};
}

bool PlatformExpandEnvironmentStrings(const std::wstring& text, std::wstring& expanded) {
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return false;
    // Twice the length reported: Windows versions have disagreed on whether
    // the first answer counts every character of the result.
    std::vector<wchar_t> buffer(static_cast<size_t>(needed) * 2, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (written == 0 || written > buffer.size()) return false;
    expanded.assign(buffer.data());
    return true;
}

}  // namespace velnor
