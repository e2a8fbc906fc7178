#include "main/window_settings.h"

#include <algorithm>
#include <exception>

#include "platform/errors.h"

#include "xmlinifiles/xml_ini_file.h"

namespace velnor {

namespace {
constexpr wchar_t kSection[] = L"/Window";
}  // namespace

std::wstring SettingsFile(const std::wstring& dataFolder) { return dataFolder + L"Velnor.xml"; }

void ReadWindowSettings(const std::wstring& file, WindowGeometry& window, std::wstring& name, bool* fileRead) {
    if (fileRead) *fileRead = false;
    TXMLIniFile ini(file);
    ini.OpenNode(kSection, true);
    if (fileRead) *fileRead = true;
    // A bad geometry value ends the geometry, but the stored profile is still
    // read: the next close writes MName, and an unread one would overwrite
    // the user's choice with nothing. The error is reported afterwards.
    std::exception_ptr geometryError;
    try {
        window.SetTop(ini.ReadInteger(L"Top", window.Current().top));
        window.SetLeft(ini.ReadInteger(L"Left", window.Current().left));
        window.SetWidth(std::max(kMainMinWidth, ini.ReadInteger(L"Width", window.Current().width)));
        window.SetHeight(std::max(kMainMinHeight, ini.ReadInteger(L"Height", window.Current().height)));
    } catch (const Error&) {
        geometryError = std::current_exception();
    }
    name = ini.ReadString(L"SSID", name);
    ini.CloseNode();
    if (geometryError) std::rethrow_exception(geometryError);
    // The section the store may have created in memory is not written.
}

void WriteWindowSettings(const std::wstring& file, const Bounds* bounds, const std::wstring* name) {
    TXMLIniFile ini(file);
    ini.OpenNode(kSection, true);
    if (bounds) {
        ini.WriteInteger(L"Left", bounds->left);
        ini.WriteInteger(L"Top", bounds->top);
        ini.WriteInteger(L"Width", bounds->width);
        ini.WriteInteger(L"Height", bounds->height);
    }
    if (name) ini.WriteString(L"SSID", *name);
    ini.CloseNode();
    ini.UpdateFile();
}

}  // namespace velnor
