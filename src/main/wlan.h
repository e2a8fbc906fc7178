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

extern const std::wstring_view kProfileListingPrefix;    // " /c netsh wlan show profile > "
extern const std::wstring_view kInterfaceListingPrefix;  // " /c netsh wlan show interface > "

using Pause = std::function<void(int milliseconds)>;

// The listing command that writes into the capture file through cmd.exe.
Command ListingCommand(std::wstring_view prefix, const std::wstring& capturePath);
// The connect command. netsh is started directly so that no shell ever sees
// the name: its raw command line is "wlan connect name=" followed by the name
// exactly as parsed.
Command ConnectCommand(const std::wstring& name);
Command DisconnectCommand();

// The profile name a line carries, or false when it carries none.
bool ParseProfileLine(std::wstring_view line, std::wstring* name);

class Wlan {
public:
    explicit Wlan(CommandRunner run, Pause pause = {});

    void RunListing(std::wstring_view prefix, const std::wstring& capturePath, LineBuffer& buffer) const;
    std::vector<std::wstring> ListProfiles(const std::wstring& capturePath, LineBuffer& buffer) const;
    void Connect(const std::wstring& capturePath, const std::wstring& name, LineBuffer& buffer) const;
    void DisConnect() const;
    void ReConnect(const std::wstring& capturePath, const std::wstring& name, LineBuffer& buffer) const;

private:
    CommandRunner run_;
    Pause pause_;
};

}  // namespace velnor
