// The wireless command layer: the netsh wlan commands, the capture file they
// write, and the two Japanese texts by which the interesting lines are found.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "main/line_buffer.h"
#include "orvo/command.h"

namespace velnor {

// "すべてのユーザー プロファイル     : ", 22 characters.
extern const std::wstring_view kProfileLabel;
// "接続されました", 7 characters.
extern const std::wstring_view kConnectedMarker;

// The settings page that netsh names when it refuses the interface listing
// for want of location permission (Windows 11 24H2 and later, with location
// access off for desktop apps). The notice is worded in the display language;
// the page's name is the same in all of them.
extern const std::wstring_view kLocationSettingsPage;  // "ms-settings:privacy-location"

extern const std::wstring_view kProfileListingPrefix;    // " /c netsh wlan show profile > "
extern const std::wstring_view kInterfaceListingPrefix;  // " /c netsh wlan show interface > "

using Pause = std::function<void(int milliseconds)>;
// Whether the system reports a wireless adapter whose link is up
// (WirelessAdapterUp in platform/network_adapters.h).
using WirelessUp = std::function<bool()>;

// The listing command that writes into the capture file through cmd.exe.
Command ListingCommand(std::wstring_view prefix, const std::wstring& capturePath);
// The connect command for a name as parsed. netsh is started directly, so no
// shell ever sees the name, and it receives "name=" and the profile's own name
// as one argument: name="<profile name>", quoted by the command-line rules,
// the profile's own name being the parsed one less the one space the profile
// label leaves in front of it.
Command ConnectCommand(const std::wstring& name);
Command DisconnectCommand();

// The profile name a line carries, or false when it carries none.
bool ParseProfileLine(std::wstring_view line, std::wstring* name);

// Whether an interface listing is netsh's notice that it needs location
// permission, judged by the settings page it names.
bool ListingNeedsLocationPermission(const std::vector<std::wstring>& lines);

class Wlan {
public:
    // Without `wirelessUp` no adapter counts as up, so a listing refused for
    // want of location permission reads as not connected.
    explicit Wlan(CommandRunner run, Pause pause = {}, WirelessUp wirelessUp = {});

    void RunListing(std::wstring_view prefix, const std::wstring& capturePath, LineBuffer& buffer) const;
    std::vector<std::wstring> ListProfiles(const std::wstring& capturePath, LineBuffer& buffer) const;
    // Runs the connect command unless an interface is connected: by the
    // listing's marker, or, when netsh refuses the listing for want of
    // location permission, by the system's own adapter state.
    void Connect(const std::wstring& capturePath, const std::wstring& name, LineBuffer& buffer) const;
    void DisConnect() const;
    void ReConnect(const std::wstring& capturePath, const std::wstring& name, LineBuffer& buffer) const;

private:
    CommandRunner run_;
    Pause pause_;
    WirelessUp wirelessUp_;
};

}  // namespace velnor
