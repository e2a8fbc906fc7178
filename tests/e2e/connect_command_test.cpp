// The connect as the whole program runs it: which profile netsh is asked for,
// and whether the connect runs when netsh refuses the interface listing for
// want of location permission.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/fixture.h"
#include "platform/network_adapters.h"
#include "platform/utf.h"

namespace velnor::e2e {
namespace {

using Names = std::vector<std::wstring>;

class ConnectCommandTest : public AppTest {
protected:
    // The chosen profile as the program stores it, with a usual window.
    void WriteChosenProfile(const std::wstring& name) {
        const std::wstring xml = L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<root>\n\t<Window>\n"
                                 L"\t\t<Left Type=\"9\">100</Left>\n\t\t<Top Type=\"9\">100</Top>\n"
                                 L"\t\t<Width Type=\"9\">350</Width>\n\t\t<Height Type=\"9\">300</Height>\n"
                                 L"\t\t<SSID Type=\"10\">" + name + L"</SSID>\n\t</Window>\n</root>\r\n";
        WriteFile(File(L"Velnor.xml"), WideToUtf8(xml));
    }
};

TEST_F(ConnectCommandTest, NetshIsAskedForTheWholeNameOfTheChosenProfile) {
    const std::wstring name = LR"(Cafe "5G" & Bar\)";
    sim->SetState({L"profile=Home", L"profile=" + name});
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(RadioTexts(main).size(), 2u);
    SendMessageW(Radio(main, 1), BM_CLICK, 0, 0);
    PostMessageW(ButtonByText(main, L"接続"), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitForJournal(3));
    EXPECT_EQ(Journal(), (Names{L"show profile", L"show interface", L"connect  " + name}));
    EXPECT_TRUE(WaitFor([&] { return sim->Connected() == name; }));
    EXPECT_EQ(p->Close(), 0);
}

// Windows 11 24H2 and later answer the interface listing with a notice when
// location access is off for desktop apps. The system's adapter state then
// decides: Wine reports no wireless adapter, so there the connect runs; on a
// machine whose wireless adapter is up it must not.
TEST_F(ConnectCommandTest, WhenNetshNeedsLocationPermissionTheAdapterStateDecides) {
    const bool up = WirelessAdapterUp();
    const Names expected = up ? Names{L"show profile", L"show interface"}
                              : Names{L"show profile", L"show interface", L"connect  Home Wi-Fi"};
    for (const wchar_t* args : {L"/p", L"/p /s"}) {
        SCOPED_TRACE(args);
        sim->SetState({L"profile=Home Wi-Fi", L"location=off"});
        DeleteFileW(sim->Journal().c_str());
        WriteChosenProfile(L" Home Wi-Fi");
        auto p = Start(args);
        if (std::wstring(args) == L"/p") {
            HWND main = p->MainWindow();
            ASSERT_NE(main, nullptr);
            PostMessageW(ButtonByText(main, L"接続"), BM_CLICK, 0, 0);
            ASSERT_TRUE(WaitForJournal(expected.size()));
            // The program ends only after its handlers have: the journal is final.
            EXPECT_EQ(p->Close(), 0);
        } else {
            EXPECT_EQ(p->WaitExit(), 0);
        }
        EXPECT_EQ(Journal(), expected);
        EXPECT_EQ(sim->Connected(), up ? L"" : L"Home Wi-Fi");
        EXPECT_FALSE(FileExists(File(L"WiFi.log")));
    }
}

}  // namespace
}  // namespace velnor::e2e
