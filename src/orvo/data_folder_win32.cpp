#include "orvo/data_folder.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/files.h"

namespace velnor {

std::wstring DataFolder;
std::wstring CommonDataFolder;

namespace {

constexpr int kSpecialFolders[] = {
    CSIDL_PERSONAL,       CSIDL_APPDATA,    CSIDL_LOCAL_APPDATA,
    CSIDL_COMMON_APPDATA, CSIDL_MYPICTURES, CSIDL_COMMON_DOCUMENTS,
};

void CreateIfMissing(const std::wstring& folder) {
    if (!DirectoryExists(folder)) CreateDirectoryW(folder.c_str(), nullptr);
}

}  // namespace

std::wstring GetSpecialFolder(std::uint8_t index) {
    if (index >= std::size(kSpecialFolders)) return {};
    wchar_t buffer[MAX_PATH + 1] = {};
    SHGetFolderPathW(nullptr, kSpecialFolders[index], nullptr, SHGFP_TYPE_CURRENT, buffer);
    buffer[MAX_PATH] = L'\0';
    return buffer;
}

bool PrepareDataFolder(const std::wstring& name, bool common) {
    std::wstring folder = GetSpecialFolder(common ? 3 : 1) + L"\\Orvo Project";
    CreateIfMissing(folder);
    folder += L"\\" + name;
    CreateIfMissing(folder);
    std::wstring& target = common ? CommonDataFolder : DataFolder;
    target = folder + L"\\";
    return DirectoryExists(target);
}

}  // namespace velnor
