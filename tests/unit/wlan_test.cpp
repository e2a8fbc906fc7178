#include "main/wlan.h"

#include <gtest/gtest.h>

#include "platform/ansi_codec.h"
#include "platform/errors.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace velnor {
namespace {

using test::Exists;
using test::TempDir;
using test::WriteBytes;

const std::wstring kLabel(kProfileLabel);

TEST(ParseProfileLine, TakesTheTextAfterTheLabelAsTheName) {
    const struct {
        std::wstring line;
        bool hasName;
        std::wstring name;
    } cases[] = {
        {L"    " + kLabel + L"Home", true, L" Home"},
        {kLabel + L"Home", true, L"Home"},           // the 22 removed characters are the label
        {kLabel + L"A: B", true, L" B"},             // ": " is searched inside the name
        {L"    " + kLabel, true, L" "},              // a name of one space
        {L"    " + kLabel + L"a: b: c", true, L" a: b: c"},  // only the first ": " goes
        {L"    " + kLabel + L"自宅 5G", true, L" 自宅 5G"},
        {L"    すべてのユーザー プロファイル    : Home", false, L""},  // four spaces before the colon
        {L"    All User Profile     : Home", false, L""},
        {L"", false, L""},
        {L"x" + kLabel.substr(0, 21), false, L""},
    };
    for (const auto& c : cases) {
        std::wstring name = L"unchanged";
        EXPECT_EQ(ParseProfileLine(c.line, &name), c.hasName);
        if (c.hasName) {
            EXPECT_EQ(name, c.name);
        }
    }
    EXPECT_EQ(kProfileLabel.size(), 22u);
    EXPECT_EQ(kConnectedMarker.size(), 7u);
}

TEST(Commands, HaveTheirExactCommandLines) {
    const std::wstring capture = L"C:\\Users\\a b\\AppData\\Roaming\\Orvo Project\\Velnor\\WiFi.log";
    EXPECT_EQ(ListingCommand(kProfileListingPrefix, capture),
              (Command{L"cmd.exe", L" /c netsh wlan show profile > \"" + capture + L"\""}));
    EXPECT_EQ(ListingCommand(kInterfaceListingPrefix, capture),
              (Command{L"cmd.exe", L" /c netsh wlan show interface > \"" + capture + L"\""}));
    EXPECT_EQ(kProfileListingPrefix.size(), 30u);
    EXPECT_EQ(kInterfaceListingPrefix.size(), 32u);
    EXPECT_EQ(DisconnectCommand(), (Command{L"cmd.exe", L" /c netsh wlan disconnect"}));
}

TEST(Commands, ConnectSendsTheProfilesOwnNameAsOneQuotedArgument) {
    // The name as parsed, and the parameter text: the label's one space goes,
    // the rest is quoted by the command-line rules.
    const struct {
        std::wstring parsed;
        std::wstring parameters;
    } cases[] = {
        {L" Home", LR"(wlan connect name="Home")"},
        {L" Home Wi-Fi", LR"(wlan connect name="Home Wi-Fi")"},
        {L"Home", LR"(wlan connect name="Home")"},                // no label space: taken as it is
        {L"   two", LR"(wlan connect name="  two")"},             // its own leading spaces stay
        {L" trail ", LR"(wlan connect name="trail ")"},
        {L" ", LR"(wlan connect name="")"},
        {LR"( say "hi")", LR"(wlan connect name="say \"hi\"")"},
        {LR"( ")", LR"(wlan connect name="\"")"},
        {LR"( C:\dir\)", LR"(wlan connect name="C:\dir\\")"},  // the closing quote stays a quote
        {LR"( a\\)", LR"(wlan connect name="a\\\\")"},
        {LR"( a\"b)", LR"(wlan connect name="a\\\"b")"},       // a backslash, then a quote
        {LR"( a\\"b)", LR"(wlan connect name="a\\\\\"b")"},
        {LR"( a\b\\c)", LR"(wlan connect name="a\b\\c")"},     // backslashes before no quote: as they are
        {L" a&b|c<d>e^f%PATH%g!h!(i)", LR"-(wlan connect name="a&b|c<d>e^f%PATH%g!h!(i)")-"},
        {L" 自宅 5G", LR"(wlan connect name="自宅 5G")"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConnectCommand(c.parsed), (Command{L"netsh.exe", c.parameters})) << c.parsed;
}

// Stands in for the command interpreter: records each command and, for a
// listing, writes the scripted output into the capture file.
class FakeService {
public:
    std::vector<std::string> journal;
    std::vector<Command> commands;  // the same runs, exactly as given
    std::string profileOutput;
    std::string interfaceOutput;
    bool writeCapture = true;

    CommandRunner Runner() {
        return [this](const Command& c) {
            journal.push_back(Describe(c));
            commands.push_back(c);
            // Only a listing writes a file: a connect's quoted name is no path.
            const size_t quote = c.parameters.find(L"> \"");
            if (quote == std::wstring::npos || !writeCapture) return;
            const std::wstring path = c.parameters.substr(quote + 3, c.parameters.size() - quote - 4);
            const bool profiles = c.parameters.find(L"show profile") != std::wstring::npos;
            WriteBytes(path, profiles ? profileOutput : interfaceOutput);
        };
    }
    Pause Sleeper() {
        return [this](int ms) { journal.push_back("pause " + std::to_string(ms)); };
    }

private:
    static std::string Describe(const Command& c) {
        if (c.parameters.find(L"show profile") != std::wstring::npos) return "show profile";
        if (c.parameters.find(L"show interface") != std::wstring::npos) return "show interface";
        if (c.parameters.find(L"disconnect") != std::wstring::npos) return "disconnect";
        return c.file == L"netsh.exe" ? "connect" : "other";
    }
};

const char kTwoProfiles[] =
    "\r\n\x83\x86\x81\x5B\x83\x55\x81\x5B \x83\x76\x83\x8D\x83\x74\x83\x40\x83\x43\x83\x8B\r\n"
    "    \x82\xB7\x82\xD7\x82\xC4\x82\xCC\x83\x86\x81\x5B\x83\x55\x81\x5B \x83\x76\x83\x8D\x83\x74\x83\x40"
    "\x83\x43\x83\x8B     : Home\r\n"
    "    \x82\xB7\x82\xD7\x82\xC4\x82\xCC\x83\x86\x81\x5B\x83\x55\x81\x5B \x83\x76\x83\x8D\x83\x74\x83\x40"
    "\x83\x43\x83\x8B     : \x8E\xA9\x91\xEE\r\n"
    "    \x82\xB7\x82\xD7\x82\xC4\x82\xCC\x83\x86\x81\x5B\x83\x55\x81\x5B \x83\x76\x83\x8D\x83\x74\x83\x40"
    "\x83\x43\x83\x8B     : Home\r\n";
// Where the profile lines of kTwoProfiles begin.
const size_t kTwoProfilesHeader = std::string(kTwoProfiles).find("    ");
// "    状態                   : 接続されました"
const char kConnected[] = "    \x8F\xF3\x91\xD4                   : \x90\xDA\x91\xB1\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82\xBD\r\n";
// "    状態                   : 切断されました"
const char kDisconnected[] = "    \x8F\xF3\x91\xD4                   : \x90\xD8\x92\x66\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82\xBD\r\n";

class WlanTest : public ::testing::Test {
protected:
    TempDir dir;
    std::wstring capture = dir.File(L"WiFi.log");
    FakeService service;
    Wlan wlan{service.Runner(), service.Sleeper()};
    LineBuffer buffer;
};

TEST_F(WlanTest, ListProfilesGivesNamesInOrderWithDuplicatesAndDeletesTheCapture) {
    service.profileOutput = kTwoProfiles;
    EXPECT_EQ(wlan.ListProfiles(capture, buffer), (std::vector<std::wstring>{L" Home", L" 自宅", L" Home"}));
    EXPECT_EQ(service.journal, std::vector<std::string>{"show profile"});
    EXPECT_FALSE(Exists(capture));
    EXPECT_EQ(buffer.Count(), 5u);  // the buffer keeps the listing's lines
    EXPECT_EQ(buffer.Encoding(), TextEncoding::Ansi);
}

TEST_F(WlanTest, AHugeListingIsReadWhole) {
    // 50 MB of listing: every profile line and the surrounding noise.
    std::string big;
    const std::string line = std::string(kTwoProfiles).substr(kTwoProfilesHeader);
    big.reserve(50u << 20);
    size_t profiles = 0;
    while (big.size() < (50u << 20)) {
        big += line;
        profiles += 3;
        big += std::string(200, 'x') + "\n";
    }
    service.profileOutput = big;
    const auto names = wlan.ListProfiles(capture, buffer);
    ASSERT_EQ(names.size(), profiles);
    EXPECT_EQ(names.front(), L" Home");
    EXPECT_EQ(names.back(), L" Home");
    EXPECT_FALSE(Exists(capture));
}

TEST_F(WlanTest, ListingsThatFindNothingGiveNoNames) {
    for (const char* output : {"", "\r\n    All User Profile     : Home\r\n", "garbage\xFF\xFE"}) {
        service.profileOutput = output;
        EXPECT_TRUE(wlan.ListProfiles(capture, buffer).empty()) << output;
    }
}

TEST_F(WlanTest, ListingWithoutCaptureFileRaisesTheOpenErrorWithAnEmptyBuffer) {
    service.writeCapture = false;
    buffer.Add(L"old");
    EXPECT_THROW(wlan.ListProfiles(capture, buffer), EFOpenError);
    EXPECT_EQ(buffer.Count(), 0u);
    EXPECT_THROW(wlan.Connect(capture, L" Home", buffer), EFOpenError);
    // Neither a connect command nor anything after the failed read ran.
    EXPECT_EQ(service.journal, (std::vector<std::string>{"show profile", "show interface"}));
}

TEST_F(WlanTest, ConnectRunsOnlyWhenNoInterfaceIsConnected) {
    const struct {
        std::string interfaces;
        std::vector<std::string> expected;
    } cases[] = {
        {kDisconnected, {"show interface", "connect"}},
        {"", {"show interface", "connect"}},
        {std::string(kDisconnected) + kConnected, {"show interface"}},  // any interface suffices
        {kConnected, {"show interface"}},
    };
    for (const auto& c : cases) {
        service.journal.clear();
        service.commands.clear();
        service.interfaceOutput = c.interfaces;
        wlan.Connect(capture, L" Home", buffer);
        EXPECT_EQ(service.journal, c.expected);
        EXPECT_FALSE(Exists(capture));
        // The name goes out exactly as parsed, its leading space included.
        if (c.expected.back() == "connect") {
            EXPECT_EQ(service.commands.back(), (Command{L"netsh.exe", L"wlan connect name=\"Home\""}));
        }
    }
}

TEST_F(WlanTest, ConnectWithAnEmptyNameRunsNothingAndLeavesTheCapture) {
    WriteBytes(capture, "leftover");
    wlan.Connect(capture, L"", buffer);
    EXPECT_TRUE(service.journal.empty());
    EXPECT_TRUE(Exists(capture));
}

TEST_F(WlanTest, DisconnectAndReconnect) {
    service.interfaceOutput = kDisconnected;
    wlan.DisConnect();
    EXPECT_EQ(service.journal, std::vector<std::string>{"disconnect"});
    service.journal.clear();
    wlan.ReConnect(capture, L" Home", buffer);
    EXPECT_EQ(service.journal,
              (std::vector<std::string>{"disconnect", "pause 1000", "show interface", "connect"}));
    EXPECT_EQ(service.commands.back(), (Command{L"netsh.exe", L"wlan connect name=\"Home\""}));
}

// The Japanese notice netsh prints instead of the interface listing when it
// may not use location, in the ANSI code page as netsh writes it.
std::string LocationNotice() {
    const auto bytes = WideToAnsi(
        L"ネットワーク シェル コマンドは、WLAN 情報にアクセスするには位置情報のアクセス許可が必要です。"
        L"[プライバシーとセキュリティ] 設定の [位置情報] ページで位置情報サービスをオンにしてください。\r\n\r\n"
        L"設定アプリの [位置情報] ページの URI は次のとおりです:\r\nms-settings:privacy-location\r\n");
    return bytes.value_or("");
}

TEST_F(WlanTest, ANoticeOfMissingLocationPermissionLeavesTheDecisionToTheAdapterState) {
    const std::string notice = LocationNotice();
    ASSERT_FALSE(notice.empty());
    const struct {
        std::string interfaces;
        bool adapterUp;
        bool connects;
    } cases[] = {
        {notice, true, false},   // the notice: the adapter state decides
        {notice, false, true},
        {"\r\nms-settings:privacy-location\r\n", true, false},  // in any language, by the page's name
        {kDisconnected, true, true},  // a listing netsh gave: its marker decides, whatever the adapter says
        {kConnected, false, false},
        {"", true, true},
    };
    for (const auto& c : cases) {
        bool asked = false;
        const Wlan located{service.Runner(), service.Sleeper(), [&] {
                               asked = true;
                               return c.adapterUp;
                           }};
        service.journal.clear();
        service.interfaceOutput = c.interfaces;
        located.Connect(capture, L" Home", buffer);
        const auto expected = c.connects ? std::vector<std::string>{"show interface", "connect"}
                                         : std::vector<std::string>{"show interface"};
        EXPECT_EQ(service.journal, expected) << c.interfaces << " up " << c.adapterUp;
        EXPECT_EQ(asked, ListingNeedsLocationPermission(buffer.Lines())) << c.interfaces;
        EXPECT_FALSE(Exists(capture));
    }
    // A layer that was given no adapter state reads the notice as not connected.
    service.journal.clear();
    service.interfaceOutput = notice;
    wlan.Connect(capture, L" Home", buffer);
    EXPECT_EQ(service.journal, (std::vector<std::string>{"show interface", "connect"}));
}

}  // namespace
}  // namespace velnor
