// The test kit's reading of the machine's own netsh: what it masks before a
// person sends the report, and when it calls the state unknown.
#include "kit/netsh_reading.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace velnor::kit {
namespace {

TEST(KitMask, EveryHardwareAddressIsMaskedAndNothingElse) {
    const struct {
        std::wstring in, out;
    } cases[] = {
        {L"    物理アドレス           : 3c:a9:f4:0b:1e:7d", L"    物理アドレス           : **:**:**:**:**:**"},
        {L"    BSSID                  : A4-2B-B0-11-22-FF", L"    BSSID                  : **-**-**-**-**-**"},
        // Two on one line, and one right after a letter that is itself hex.
        {L"a4:2b:b0:11:22:ff 3c:a9:f4:0b:1e:7d", L"**:**:**:**:**:** **:**:**:**:**:**"},
        {L"Fa3c:a9:f4:0b:1e:7d", L"Fa**:**:**:**:**:**"},
        // Mixed separators, five pairs, a GUID and a time are no addresses.
        {L"3c:a9-f4:0b:1e:7d", L"3c:a9-f4:0b:1e:7d"},
        {L"3c:a9:f4:0b:1e", L"3c:a9:f4:0b:1e"},
        {L"GUID : 5d1a2b3c-0000-4e5f-8a9b-0c1d2e3f4a5b", L"GUID : 5d1a2b3c-0000-4e5f-8a9b-0c1d2e3f4a5b"},
        {L"12:34:56", L"12:34:56"},
    };
    for (const auto& c : cases) EXPECT_EQ(MaskHardwareAddresses(c.in), c.out) << "from " << testing::PrintToString(c.in);
}

TEST(KitMask, TheBytesOfACaptureAreMaskedInPlace) {
    // "物理" in CP932 ends in 0x9D, and "ア" in 0x41 ('A'): no hex letter in
    // front of an address may hide it.
    const std::string ja = "\x95\xa8\x97\x9d\x83\x41";
    EXPECT_EQ(MaskHardwareAddresses(ja + "3c:a9:f4:0b:1e:7d\r\nBSSID : 02:11:22:33:44:55\r\n"),
              ja + "**:**:**:**:**:**\r\nBSSID : **:**:**:**:**:**\r\n");
}

TEST(KitInterfaceListing, ConnectedDisconnectedOrUnknown) {
    const struct {
        const char* what;
        std::vector<std::wstring> lines;
        ListingState state;
    } cases[] = {
        {"connected", {L"    名前  : Wi-Fi", L"    状態                   : 接続されました"}, ListingState::Connected},
        {"a second interface connected", {L"    状態 : 切断されました", L"    状態 : 接続されました"}, ListingState::Connected},
        {"disconnected", {L"    名前  : Wi-Fi", L"    状態                   : 切断されました"}, ListingState::Disconnected},
        {"English", {L"There is 1 interface on the system:", L"    State                  : connected"},
         ListingState::Unknown},
        {"service stopped", {L"ワイヤレス自動構成サービス (wlansvc) は実行されていません。"}, ListingState::Unknown},
        {"empty", {}, ListingState::Unknown},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadInterfaceListing(c.lines).state, c.state) << c.what;
    EXPECT_EQ(ReadInterfaceListing(cases[1].lines).line, L"    状態 : 接続されました");
}

TEST(KitInterfaceListing, NamesTheLikelyReasonWhenNothingCanBeRead) {
    const struct {
        std::vector<std::wstring> lines;
        const wchar_t* reasonHolds;
    } cases[] = {
        {{L"", L"The Wireless AutoConfig Service (wlansvc) is not running."}, L"wlansvc"},
        {{L"ワイヤレス自動構成サービス (wlansvc) は実行されていません。"}, L"wlansvc"},
        {{L"システムにワイヤレス インターフェイスがありません。"}, L"no wireless adapter"},
        {{L"There is no wireless interface on the system."}, L"no wireless adapter"},
        {{L"There is 1 interface on the system:", L"    State : connected"}, L"not Japanese"},
        {{L"Es gibt 1 Schnittstelle auf dem System:"}, L"not Japanese"},
        {{L"", L"  "}, L"printed nothing"},
    };
    for (const auto& c : cases) EXPECT_NE(LikelyReason(c.lines).find(c.reasonHolds), std::wstring::npos) << c.reasonHolds;
    EXPECT_EQ(LikelyReason({L"何か別の日本語の答え"}), L"");
    EXPECT_EQ(FirstLines({L"", L"a", L"  ", L"b", L"c"}, 2), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(KitMadeUpNames, AreAskedOnlyWhenNoLineOfTheListingHoldsAnyOfTheirWords) {
    const std::vector<std::wstring> listing{L"    すべてのユーザー プロファイル     : 自宅",
                                            L"    すべてのユーザー プロファイル     : my PLUNKAVRE net"};
    EXPECT_TRUE(WordsFoundInListing(kMadeUpNameQuoted, listing).empty());
    EXPECT_EQ(WordsFoundInListing(kMadeUpNameUnquoted, listing), std::vector<std::wstring>{L"plunkavre"});
    EXPECT_EQ(WordsFoundInListing(kMadeUpNameQuoted, {L"xQORVANTIELx"}), std::vector<std::wstring>{L"qorvantiel"});
    // Both begin with the space that parsing leaves and hold two words.
    for (const auto name : {kMadeUpNameUnquoted, kMadeUpNameQuoted}) {
        EXPECT_EQ(name.front(), L' ');
        EXPECT_EQ(std::count(name.begin(), name.end(), L' '), 2);
    }
}

TEST(KitMadeUpNames, TheAnswerTellsWhichNameNetshLookedFor) {
    const std::wstring_view name = L" Zembrodix Plunkavre";
    const struct {
        std::vector<std::wstring> answer;
        std::wstring said;
    } cases[] = {
        {{L"ネットワーク上に \"Zembrodix Plunkavre\" に割り当てられたプロファイルがありません。"}, L"the whole name"},
        {{L"There is no profile \"Zembrodix\" assigned to the specified interface."}, L"only the first word"},
        {{L"インターフェイス \"Wi-Fi\" にプロファイル \"Plunkavre\" はありません。"}, L"only the second word"},
        {{L"", L"There is no profile \"\" assigned to the specified interface."}, L"an empty name"},
        {{L"Zembrodix Plunkavre: not found"}, L"the whole name"},  // unquoted, the name still counts
        {{L"パラメーターが正しくありません。"}, L"neither"},
        {{}, L"neither"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameRepeatedBack(name, c.answer).rfind(c.said, 0), 0u) << NameRepeatedBack(name, c.answer);
    EXPECT_EQ(NameRepeatedBack(name, cases[0].answer), L"the whole name [Zembrodix Plunkavre]");
}

}  // namespace
}  // namespace velnor::kit
