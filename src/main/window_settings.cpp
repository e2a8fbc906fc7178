#include "main/window_settings.h"

#include <algorithm>

#include "xmlinifiles/xml_ini_file.h"

namespace velnor {

namespace {
constexpr wchar_t kSection[] = L"/Window";
}  // namespace

std::wstring SettingsFile(const std::wstring& dataFolder) { return dataFolder + L"Velnor.xml"; }

void ReadWindowSettings(const std::wstring& file, WindowGeometry& window, std::wstring& name) {
    TXMLIniFile ini(file);
    ini.OpenNode(kSection, true);
    window.SetTop(ini.ReadInteger(L"Top", window.Current().top));
    window.SetLeft(ini.ReadInteger(L"Left", window.Current().left));
    window.SetWidth(std::max(kMainMinWidth, ini.ReadInteger(L"Width", window.Current().width)));
    window.SetHeight(std::max(kMainMinHeight, ini.ReadInteger(L"Height", window.Current().height)));
    name = ini.ReadString(L"SSID", name);
    ini.CloseNode();
    // The section the store may have created in memory is not written.
}

void WriteWindowSettings(const std::wstring& file, const Bounds& bounds, const std::wstring& name) {
    TXMLIniFile ini(file);
    ini.OpenNode(kSection, true);
    ini.WriteInteger(L"Left", bounds.left);
    ini.WriteInteger(L"Top", bounds.top);
    ini.WriteInteger(L"Width", bounds.width);
    ini.WriteInteger(L"Height", bounds.height);
    ini.WriteString(L"SSID", name);
    ini.CloseNode();
    ini.UpdateFile();
}

}  // namespace velnor
