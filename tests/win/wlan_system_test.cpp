// The command layer with the program's real runner, against the simulated
// wireless service installed as the system's netsh.exe.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "main/wlan.h"
#include "platform/errors.h"
#include "platform/network_adapters.h"
#include "orvo/exec_and_wait.h"
#include "platform/win32_text.h"
#include "support/netsh_sim.h"
#include "support/temp_dir.h"

namespace velnor {
namespace {

using test::NetshSim;
using test::TempDir;

class WlanSystemTest : public ::testing::Test {
protected:
    TempDir dir;
    NetshSim sim{dir.File(L"sim")};
    std::wstring capture = dir.File(L"WiFi.log");
    Wlan wlan{RunSystemCommand};
    LineBuffer buffer;
};

TEST_F(WlanSystemTest, ListsTheProfilesInEveryOutputEncodingAndLineEnd) {
    const std::vector<std::wstring> expected{L" Home", L" 自宅", L" Café 5G", L" a: b"};
    const struct {
        const wchar_t* encoding;
        TextEncoding remembered;
    } encodings[] = {{L"ansi", TextEncoding::Ansi},
                     {L"utf8bom", TextEncoding::Utf8},
                     {L"utf16le", TextEncoding::Utf16Le},
                     {L"utf16be", TextEncoding::Utf16Be}};
    for (const auto& e : encodings)
        for (const wchar_t* newline : {L"crlf", L"lf", L"cr"}) {
            sim.SetState({L"profile=Home", L"profile=自宅", L"profile=Café 5G", L"profile=a: b",
                          std::wstring(L"encoding=") + e.encoding, std::wstring(L"newline=") + newline});
            std::vector<std::wstring> names = wlan.ListProfiles(capture, buffer);
            if (e.remembered == TextEncoding::Ansi) {
                // é has no form in code page 932, so the ANSI listing itself
                // cannot carry it; the other names come through exactly.
                ASSERT_EQ(names.size(), 4u);
                names[2] = L" Café 5G";
            }
            EXPECT_EQ(names, expected) << e.encoding << " " << newline;
            EXPECT_EQ(buffer.Encoding(), e.remembered);
            EXPECT_FALSE(std::filesystem::exists(capture));
        }
}

TEST_F(WlanSystemTest, EnglishOutputAndTwoAdaptersAreHandledAsListed) {
    sim.SetState({L"profile=Home", L"language=en"});
    EXPECT_TRUE(wlan.ListProfiles(capture, buffer).empty());
    // Nothing reads as connected in English, so connect always runs.
    sim.SetState({L"profile=Home", L"language=en", L"connected=Home"});
    wlan.Connect(capture, L" Home", buffer);
    EXPECT_NE(sim.Commands().back().find(L"wlan connect name=\"Home\""), std::wstring::npos);

    sim.SetState({L"profile=Home", L"profile=Work", L"adapters=2"});
    EXPECT_EQ(wlan.ListProfiles(capture, buffer),
              (std::vector<std::wstring>{L" Home", L" Work", L" Home", L" Work"}));
}

TEST_F(WlanSystemTest, ConnectsOnlyWhileDisconnectedAndDisconnects) {
    sim.SetState({L"profile=Home", L"profile=自宅"});
    wlan.Connect(capture, L" 自宅", buffer);
    EXPECT_EQ(sim.Connected(), L"自宅");
    const size_t before = sim.Commands().size();
    wlan.Connect(capture, L" Home", buffer);  // already connected: listing only
    EXPECT_EQ(sim.Commands().size(), before + 1);
    EXPECT_EQ(sim.Connected(), L"自宅");
    wlan.ReConnect(capture, L" Home", buffer);
    EXPECT_EQ(sim.Connected(), L"Home");
    wlan.DisConnect();
    EXPECT_EQ(sim.Connected(), L"");
    EXPECT_FALSE(std::filesystem::exists(capture));
}

// The command line as netsh receives it, split by the system's rules.
std::vector<std::wstring> Split(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> out(argv, argv + (argv ? count : 0));
    LocalFree(argv);
    return out;
}

TEST_F(WlanSystemTest, NetshReadsEveryProfilesWholeNameAndNoShellSeesIt) {
    const std::wstring netsh = SystemFolder() + L"\\netsh.exe";
    // Each profile's own name; the listing gives it with one space in front.
    const std::wstring names[] = {
        L"Home", L"Home Wi-Fi", LR"(say "hi")", LR"(C:\dir\)", LR"(a\"b)", LR"(a\\"b)", LR"(back\slash)",
        L" leading", L"trail ", L"自宅 5G", L"a&calc", L"x|y", L"50%PATH%", L"a!b!", L"^", L"(a)", L"<in",
        L"a>b", L"%", L"a&echo INJECTED>inj.txt", L"b & echo INJECTED> \"" + dir.File(L"inj2.txt") + L"\"",
    };
    std::vector<std::wstring> state;
    for (const auto& n : names) state.push_back(L"profile=" + n);
    sim.SetState(state);
    const std::vector<std::wstring> listed = wlan.ListProfiles(capture, buffer);
    ASSERT_EQ(listed.size(), std::size(names));
    for (size_t i = 0; i < listed.size(); ++i) {
        const std::wstring& name = names[i];
        ASSERT_EQ(listed[i], L" " + name);
        wlan.Connect(capture, listed[i], buffer);
        ASSERT_FALSE(sim.Commands().empty());
        const std::wstring received = sim.Commands().back();
        EXPECT_EQ(received, L"\"" + netsh + L"\" " + ConnectCommand(listed[i]).parameters) << name;
        EXPECT_EQ(Split(received), (std::vector<std::wstring>{netsh, L"wlan", L"connect", L"name=" + name})) << name;
        EXPECT_EQ(sim.Connected(), name);
        wlan.DisConnect();
    }
    // No injected command ran, wherever it would have written.
    for (const std::wstring& folder : {SystemFolder(), dir.File(L""), std::filesystem::current_path().wstring()}) {
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(folder) / L"inj.txt")) << folder;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File(L"inj2.txt")));
    // Every command started in the system folder.
    for (const auto& cwd : sim.Directories()) EXPECT_EQ(_wcsicmp(cwd.c_str(), SystemFolder().c_str()), 0) << cwd;
}

TEST_F(WlanSystemTest, ANoticeOfMissingLocationPermissionLeavesTheDecisionToTheAdapterState) {
    const struct {
        const wchar_t* language;
        const wchar_t* location;
        bool adapterUp;
        bool connects;
    } cases[] = {
        {L"ja", L"off", true, false},  // the notice: the adapter state decides
        {L"ja", L"off", false, true},
        {L"en", L"off", true, false},  // whatever language the notice is in
        {L"ja", L"on", true, true},    // a listing netsh gave: its marker decides
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.language) + L" location " + c.location + (c.adapterUp ? L" up" : L" down"));
        sim.SetState({L"profile=Home Wi-Fi", std::wstring(L"language=") + c.language,
                      std::wstring(L"location=") + c.location});
        const Wlan located{RunSystemCommand, {}, [&] { return c.adapterUp; }};
        located.Connect(capture, L" Home Wi-Fi", buffer);
        EXPECT_EQ(ListingNeedsLocationPermission(buffer.Lines()), std::wstring(c.location) == L"off");
        EXPECT_EQ(sim.Connected(), c.connects ? L"Home Wi-Fi" : L"");
        EXPECT_FALSE(std::filesystem::exists(capture));
    }
    // With the system's own adapter state, as the program runs it. Wine
    // reports no wireless adapter, so there the connect runs; a real machine
    // that is on a wireless network keeps it.
    sim.SetState({L"profile=Home", L"location=off"});
    const Wlan real{RunSystemCommand, {}, WirelessAdapterUp};
    real.Connect(capture, L" Home", buffer);
    EXPECT_EQ(sim.Connected(), WirelessAdapterUp() ? L"" : L"Home");
}

TEST_F(WlanSystemTest, ProgramsPlantedInTheCurrentDirectoryNeverRun) {
    sim.SetState({L"profile=Home"});
    const std::wstring plant = dir.File(L"plant");
    CreateDirectoryW(plant.c_str(), nullptr);
    const std::wstring real = SystemFolder() + L"\\netsh.exe";
    // Copies of the simulator posing as the interpreter and as netsh: if either
    // ran, the journal would name it.
    ASSERT_TRUE(CopyFileW(real.c_str(), (plant + L"\\netsh.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(real.c_str(), (plant + L"\\cmd.exe").c_str(), FALSE));
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(plant.c_str()));
    wlan.ListProfiles(capture, buffer);
    wlan.Connect(capture, L" Home", buffer);
    wlan.DisConnect();
    SetCurrentDirectoryW(previous);
    const auto programs = sim.Programs();
    ASSERT_EQ(programs.size(), 4u);
    for (const auto& p : programs) EXPECT_EQ(_wcsicmp(p.c_str(), real.c_str()), 0) << p;
}

TEST_F(WlanSystemTest, AnUnreadableCaptureRaisesTheOpenErrorWithTheSystemsDescription) {
    sim.SetState({L"profile=Home"});
    // The capture folder does not exist, so cmd.exe cannot create the file.
    const std::wstring missing = dir.File(L"no folder\\WiFi.log");
    HANDLE probe = CreateFileW(missing.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_EQ(probe, INVALID_HANDLE_VALUE);
    const std::wstring expected = MakeOpenError(missing, SystemErrorMessage(GetLastError())).Message();
    try {
        wlan.ListProfiles(missing, buffer);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), expected);
    }
    EXPECT_EQ(buffer.Count(), 0u);
}

TEST_F(WlanSystemTest, ACaptureLockedByAnotherWriterRaisesTheOpenError) {
    sim.SetState({L"profile=Home"});
    HANDLE lock = CreateFileW(capture.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const std::wstring expected = MakeOpenError(capture, SystemErrorMessage(ERROR_SHARING_VIOLATION)).Message();
    try {
        wlan.Connect(capture, L" Home", buffer);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), expected);
    }
    CloseHandle(lock);
    // The failed listing ran no connect command and deleted nothing.
    EXPECT_EQ(sim.Connected(), L"");
    EXPECT_TRUE(std::filesystem::exists(capture));
}

TEST_F(WlanSystemTest, AnInterpreterThatCannotStartEndsInTheOpenError) {
    Wlan broken{[&](const Command& c) {
        EXPECT_LE(static_cast<unsigned>(ExecAndWait(nullptr, dir.File(L"missing\\cmd.exe"), c.parameters, L"", SW_HIDE)),
                  32u);
    }};
    EXPECT_THROW(broken.ListProfiles(capture, buffer), EFOpenError);
    broken.DisConnect();  // goes unnoticed
}

}  // namespace
}  // namespace velnor
