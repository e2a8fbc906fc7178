#include "main/wlan.h"

#include <chrono>
#include <thread>

#include "platform/files.h"

namespace velnor {

const std::wstring_view kProfileLabel = L"すべてのユーザー プロファイル     : ";
const std::wstring_view kConnectedMarker = L"接続されました";
const std::wstring_view kLocationSettingsPage = L"ms-settings:privacy-location";
const std::wstring_view kProfileListingPrefix = L" /c netsh wlan show profile > ";
const std::wstring_view kInterfaceListingPrefix = L" /c netsh wlan show interface > ";

Command ListingCommand(std::wstring_view prefix, const std::wstring& capturePath) {
    return {L"cmd.exe", std::wstring(prefix) + L"\"" + capturePath + L"\""};
}

Command ConnectCommand(const std::wstring& name) {
    std::wstring_view own = name;
    if (!own.empty() && own.front() == L' ') own.remove_prefix(1);
    return {L"netsh.exe", L"wlan connect name=" + QuoteArgument(own)};
}

Command DisconnectCommand() { return {L"cmd.exe", L" /c netsh wlan disconnect"}; }

bool ParseProfileLine(std::wstring_view line, std::wstring* name) {
    if (line.find(kProfileLabel) == std::wstring_view::npos) return false;
    std::wstring_view rest = line.substr(kProfileLabel.size());
    const size_t colon = rest.find(L": ");
    if (colon != std::wstring_view::npos) rest.remove_prefix(colon + 1);
    if (name) name->assign(rest);
    return true;
}

bool ListingNeedsLocationPermission(const std::vector<std::wstring>& lines) {
    for (const auto& line : lines)
        if (line.find(kLocationSettingsPage) != std::wstring::npos) return true;
    return false;
}

Wlan::Wlan(CommandRunner run, Pause pause, WirelessUp wirelessUp)
    : run_(std::move(run)), pause_(std::move(pause)), wirelessUp_(std::move(wirelessUp)) {
    if (!pause_)
        pause_ = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
}

void Wlan::RunListing(std::wstring_view prefix, const std::wstring& capturePath, LineBuffer& buffer) const {
    buffer.Clear();
    run_(ListingCommand(prefix, capturePath));
    buffer.LoadFromFile(capturePath);
}

std::vector<std::wstring> Wlan::ListProfiles(const std::wstring& capturePath, LineBuffer& buffer) const {
    RunListing(kProfileListingPrefix, capturePath, buffer);
    std::vector<std::wstring> names;
    std::wstring name;
    for (const auto& line : buffer.Lines())
        if (ParseProfileLine(line, &name)) names.push_back(name);
    DeleteFileIfExists(capturePath);
    return names;
}

void Wlan::Connect(const std::wstring& capturePath, const std::wstring& name, LineBuffer& buffer) const {
    if (name.empty()) return;
    RunListing(kInterfaceListingPrefix, capturePath, buffer);
    bool connected = false;
    if (ListingNeedsLocationPermission(buffer.Lines())) {
        // The notice carries no state line, so the marker's absence says
        // nothing; the adapter state needs no location permission.
        connected = wirelessUp_ && wirelessUp_();
    } else {
        for (const auto& line : buffer.Lines())
            if (line.find(kConnectedMarker) != std::wstring::npos) {
                connected = true;
                break;
            }
    }
    if (!connected) run_(ConnectCommand(name));
    DeleteFileIfExists(capturePath);
}

void Wlan::DisConnect() const { run_(DisconnectCommand()); }

void Wlan::ReConnect(const std::wstring& capturePath, const std::wstring& name, LineBuffer& buffer) const {
    DisConnect();
    pause_(1000);
    Connect(capturePath, name, buffer);
}

}  // namespace velnor
