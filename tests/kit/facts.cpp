// The machine facts of the report, read through Win32 only. Functions that
// older systems lack are loaded at run time.
#include <windows.h>
#include <uxtheme.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "kit/build_info.h"
#include "kit/kit.h"
#include "platform/utf.h"

namespace velnor::kit {
namespace {

template <class Fn>
Fn Function(const wchar_t* module, const char* name) {
    HMODULE h = GetModuleHandleW(module);
    if (!h) h = LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return h ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(h, name))) : nullptr;
}

std::wstring Format(const wchar_t* format, ...) {
    wchar_t text[512];
    va_list args;
    va_start(args, format);
    if (std::vswprintf(text, 512, format, args) < 0) text[511] = L'\0';
    va_end(args);
    return text;
}

std::wstring RegistryText(HKEY root, const wchar_t* key, const wchar_t* value) {
    wchar_t text[256] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    if (RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return L"?";
    return text;
}

bool RegistryNumber(HKEY root, const wchar_t* key, const wchar_t* value, DWORD* number) {
    DWORD size = sizeof(*number);
    return RegGetValueW(root, key, value, RRF_RT_REG_DWORD, nullptr, number, &size) == ERROR_SUCCESS;
}

std::wstring LocaleName(LCID id) {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (!LCIDToLocaleName(id, name, LOCALE_NAME_MAX_LENGTH, 0)) return L"?";
    return name;
}

std::wstring WindowsVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
    // GetVersionEx lies to programs without a compatibility manifest; the
    // kernel's own answer does not.
    if (auto rtl = Function<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion")) rtl(&v);
    const wchar_t* key = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    DWORD ubr = 0;
    RegistryNumber(HKEY_LOCAL_MACHINE, key, L"UBR", &ubr);
    // Windows 11 still calls itself "Windows 10" in ProductName; the build tells.
    std::wstring text = Format(L"Windows: %lu.%lu build %lu.%lu (%ls; registry: %ls, %ls, %ls)", v.dwMajorVersion,
                               v.dwMinorVersion, v.dwBuildNumber, ubr,
                               v.dwMajorVersion == 10 && v.dwBuildNumber >= 22000 ? L"Windows 11"
                               : v.dwMajorVersion == 10                            ? L"Windows 10"
                                                                                   : L"older than Windows 10",
                               RegistryText(HKEY_LOCAL_MACHINE, key, L"ProductName").c_str(),
                               RegistryText(HKEY_LOCAL_MACHINE, key, L"DisplayVersion").c_str(),
                               RegistryText(HKEY_LOCAL_MACHINE, key, L"EditionID").c_str());
    using WineVersionFn = const char*(CDECL*)();
    if (auto wine = Function<WineVersionFn>(L"ntdll.dll", "wine_get_version"))
        text += L"; running under Wine " + Utf8ToWide(wine());
    return text;
}

struct MonitorList {
    std::vector<std::wstring> lines;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, RECT*, LPARAM data) {
    auto* list = reinterpret_cast<MonitorList*>(data);
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    using DpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    UINT dpiX = 0, dpiY = 0;
    if (auto dpi = Function<DpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor")) dpi(monitor, 0, &dpiX, &dpiY);
    const RECT& r = info.rcMonitor;
    const RECT& w = info.rcWork;
    list->lines.push_back(Format(L"Monitor %u: %ls%ls, (%ld,%ld)-(%ld,%ld), work area (%ld,%ld)-(%ld,%ld), DPI %u (%u %%)",
                                 static_cast<unsigned>(list->lines.size() + 1), info.szDevice,
                                 (info.dwFlags & MONITORINFOF_PRIMARY) ? L" primary" : L"", r.left, r.top, r.right,
                                 r.bottom, w.left, w.top, w.right, w.bottom, dpiX, dpiX ? dpiX * 100 / 96 : 0));
    return TRUE;
}

}  // namespace

std::vector<std::wstring> MachineFacts() {
    std::vector<std::wstring> facts;
    facts.push_back(WindowsVersion());
    facts.push_back(Format(L"Display language: %ls (0x%04X); user locale %ls; system locale %ls; ANSI code page %u, OEM "
                           L"code page %u",
                           LocaleName(GetUserDefaultUILanguage()).c_str(), GetUserDefaultUILanguage(),
                           LocaleName(GetUserDefaultLCID()).c_str(), LocaleName(GetSystemDefaultLCID()).c_str(),
                           GetACP(), GetOEMCP()));
    using DpiForSystemFn = UINT(WINAPI*)();
    UINT systemDpi = 0;
    if (auto dpi = Function<DpiForSystemFn>(L"user32.dll", "GetDpiForSystem")) systemDpi = dpi();
    DWORD textScale = 100;
    RegistryNumber(HKEY_CURRENT_USER, L"Software\\Microsoft\\Accessibility", L"TextScaleFactor", &textScale);
    facts.push_back(Format(L"DPI: system %u (%u %%); text size %lu %%; %d monitor(s)", systemDpi,
                           systemDpi * 100 / 96, textScale, GetSystemMetrics(SM_CMONITORS)));
    MonitorList monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    facts.insert(facts.end(), monitors.lines.begin(), monitors.lines.end());
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0);
    const bool high = (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    facts.push_back(Format(L"High contrast: %ls%ls%ls", high ? L"on" : L"off",
                           high && contrast.lpszDefaultScheme ? L", scheme " : L"",
                           high && contrast.lpszDefaultScheme ? contrast.lpszDefaultScheme : L""));
    wchar_t themeFile[MAX_PATH] = {};
    GetCurrentThemeName(themeFile, MAX_PATH, nullptr, 0, nullptr, 0);
    DWORD light = 1;
    const bool lightKnown = RegistryNumber(
        HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", L"AppsUseLightTheme",
        &light);
    facts.push_back(Format(L"Visual styles: %ls (%ls); app mode %ls", IsThemeActive() ? L"on" : L"off",
                           themeFile[0] ? themeFile : L"no theme file", !lightKnown ? L"not set" : light ? L"light" : L"dark"));
    return facts;
}

std::vector<std::wstring> BuildFacts() {
    // The compiler's own words, beside what CMake made of it.
#if defined(_MSC_FULL_VER)
    const std::string own = "MSVC " + std::to_string(_MSC_FULL_VER);
#elif defined(__VERSION__)
    const std::string own = __VERSION__;
#else
    const std::string own = "?";
#endif
    return {Utf8ToWide(std::string("Built by: ") + kCompiler + " " + kCompilerVersion + " (" + own + "), " + kBuildType),
            Utf8ToWide(std::string("Compiler flags: ") + kCompilerFlags)};
}

}  // namespace velnor::kit
