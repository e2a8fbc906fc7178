// Start-up of the real program under Wine: the data folder, the switch "/p",
// the single-instance guard, the theme, the manifest and the first show.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/fixture.h"
#include "version.h"

namespace velnor::e2e {
namespace {

using StartupTest = AppTest;

// A leftover capture file shows which folder the program took as its data
// folder: the main window deletes it there as it is created.
TEST_F(StartupTest, PortableModeOnlyForAnExactSlashPInArgumentOneOrTwo) {
    const struct {
        const wchar_t* args;
        bool portable;
    } cases[] = {
        {L"/p", true}, {L"x /p", true}, {L"\"/p\" y", true}, {L"/P", false}, {L"a b /p", false}, {L"-p", false},
        {L"/p/", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        RemoveTree(OrvoFolder());
        WriteFile(app + L"\\WiFi.log", "leftover");
        Program p(exe, L"\"" + exe + L"\" " + c.args, work);
        ASSERT_NE(p.MainWindow(), nullptr);
        EXPECT_EQ(FileExists(app + L"\\WiFi.log"), !c.portable);
        EXPECT_EQ(DirectoryExists(UserDataFolder()), !c.portable);
        EXPECT_EQ(p.Close(), 0);
    }
}

TEST_F(StartupTest, PortableDataFolderIsTheExecutablesFolderWhateverTheWorkingDirectory) {
    WriteFile(app + L"\\WiFi.log", "leftover");
    WriteFile(work + L"\\WiFi.log", "not ours");
    // Started through a relative path from the folder above, as a shell in
    // that folder would start it.
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(work.c_str());
    Program p(L"", L"app\\velnor.exe /p", work);
    SetCurrentDirectoryW(previous);
    ASSERT_TRUE(p.Started());
    ASSERT_NE(p.MainWindow(), nullptr);
    EXPECT_FALSE(FileExists(app + L"\\WiFi.log"));
    EXPECT_TRUE(FileExists(work + L"\\WiFi.log"));
    EXPECT_EQ(p.Close(), 0);
}

TEST_F(StartupTest, ASecondCopyEndsSilentlyAndTheFirstGoesOn) {
    Program first(exe, L"\"" + exe + L"\" /p", work);
    HWND main = first.MainWindow();
    ASSERT_NE(main, nullptr);
    for (const wchar_t* args : {L" /p", L""}) {
        SCOPED_TRACE(args);
        RemoveTree(OrvoFolder());
        Program second(exe, L"\"" + exe + L"\"" + args, work);
        EXPECT_FALSE(second.ShowedAWindowBeforeExit());
        EXPECT_EQ(second.WaitExit(), 0);
        // The folder step comes before the check.
        EXPECT_EQ(DirectoryExists(UserDataFolder()), std::wstring(args).empty());
    }
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(WindowText(main), L"Velnor");
    EXPECT_EQ(first.Close(), 0);
}

TEST_F(StartupTest, AnUnusableDataFolderEndsSilently) {
    // A file where the maker's folder should be: the folder cannot be made.
    WriteFile(OrvoFolder(), "in the way");
    Program p(exe, L"\"" + exe + L"\"", work);
    EXPECT_FALSE(p.ShowedAWindowBeforeExit());
    EXPECT_EQ(p.WaitExit(), 0);
    // The guard was never taken: the next portable start runs.
    Program next(exe, L"\"" + exe + L"\" /p", work);
    EXPECT_NE(next.MainWindow(), nullptr);
    EXPECT_EQ(next.Close(), 0);
}

TEST_F(StartupTest, TheTwoWindowsExistWithTheirClassesAndTheEditorStaysHidden) {
    Program p(exe, L"\"" + exe + L"\" /p", work);
    HWND main = p.MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(main), L"Velnor");
    HWND editor = FindTopWindow(p.Pid(), L"TListForm", false);
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_EQ(GetWindow(editor, GW_OWNER), main);  // so only the main window has a taskbar button
    EXPECT_EQ(WindowText(editor), L"Velnor");
    // Nothing but these two (and no message box) is shown.
    for (HWND h : TopWindows(p.Pid()))
        if (IsWindowVisible(h)) {
            EXPECT_EQ(h, main) << "unexpected window";
        }
    EXPECT_EQ(p.Close(), 0);
}

TEST_F(StartupTest, TheManifestIsInEffect) {
    Program p(exe, L"\"" + exe + L"\" /p", work);
    ASSERT_NE(p.MainWindow(), nullptr);
    // Wine runs without a manifest as happily as with one; only the common
    // controls 6 assembly from winsxs shows that ours was applied.
    bool fromWinSxs = false;
    for (const auto& path : ModulePaths(p.Process())) {
        std::wstring lower = path;
        for (auto& ch : lower) ch = towlower(ch);
        if (lower.find(L"comctl32.dll") != std::wstring::npos)
            fromWinSxs = fromWinSxs || lower.find(L"\\winsxs\\") != std::wstring::npos;
    }
    EXPECT_TRUE(fromWinSxs);
    EXPECT_EQ(p.Close(), 0);
}

// Every show state a launcher can pass, with and without the flag that makes
// Windows use it: maximised and "minimised without activation" are honoured,
// everything else ends visible and normal. Windows applies the launcher's
// state to the first ShowWindow of the process, so a program that trusts its
// first call ends hidden (SW_HIDE) or minimised there; the final state is what
// counts, whatever the first call did.
TEST_F(StartupTest, TheFirstShowEndsInTheStateTheLauncherAskedForOrNormal) {
    struct Case {
        int show;
        bool flag;
        bool zoomed;
        bool iconic;
    };
    std::vector<Case> cases;
    for (int show = SW_HIDE; show <= SW_FORCEMINIMIZE; ++show) {
        cases.push_back({show, true, show == SW_SHOWMAXIMIZED, show == SW_SHOWMINNOACTIVE});
        cases.push_back({show, false, false, false});  // without the flag wShowWindow means nothing
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "wShowWindow " << c.show << (c.flag ? " with" : " without")
                                        << " STARTF_USESHOWWINDOW");
        Program p(exe, L"\"" + exe + L"\" /p", work, c.show, c.flag);
        HWND main = p.MainWindow();
        ASSERT_NE(main, nullptr) << "never visible";
        ASSERT_TRUE(Answers(main));  // the first show is over
        EXPECT_TRUE(IsWindowVisible(main));
        EXPECT_EQ(IsZoomed(main) != FALSE, c.zoomed);
        EXPECT_EQ(IsIconic(main) != FALSE, c.iconic);
        EXPECT_EQ(p.Close(), 0);
    }
}

TEST_F(StartupTest, AMissingThemeIsReportedWithACloseButtonAndStartUpGoesOn) {
    const std::wstring plain = app + L"\\velnor_notheme.exe";
    ASSERT_TRUE(CopyFileW(BuiltProgram(L"velnor_notheme.exe").c_str(), plain.c_str(), FALSE));
    Program p(plain, L"\"" + plain + L"\" /p", work);
    HWND box = WaitForErrorBox(p.Pid());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), L"Velnor");
    bool textShown = false;
    HWND close = nullptr;
    for (HWND child : Children(box)) {
        if (WindowText(child).find(L"スタイル 'Sky' が見つかりません") != std::wstring::npos) textShown = true;
        if (GetDlgCtrlID(child) == IDCLOSE) close = child;
    }
    EXPECT_TRUE(textShown);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(FindTopWindow(p.Pid(), L"TmainForm"), nullptr);  // start-up waits for the box
    PostMessageW(close, BM_CLICK, 0, 0);
    ASSERT_NE(p.MainWindow(), nullptr);
    EXPECT_EQ(p.Close(), 0);

    // The product carries its theme: no box at all.
    Program themed(exe, L"\"" + exe + L"\" /p", work);
    ASSERT_NE(themed.MainWindow(), nullptr);
    EXPECT_EQ(FindTopWindow(themed.Pid(), L"#32770"), nullptr);
    EXPECT_EQ(themed.Close(), 0);
}

}  // namespace
}  // namespace velnor::e2e

namespace velnor::e2e {
namespace {

#pragma pack(push, 2)
struct IconDirEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconDir {
    WORD reserved, type, count;
    IconDirEntry entries[1];
};
#pragma pack(pop)

TEST(ProgramFile, TheMainIconHasTheNineImages) {
    HMODULE exe = LoadLibraryExW(BuiltProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr);
    HRSRC res = FindResourceW(exe, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_NE(res, nullptr);
    const auto* dir = static_cast<const IconDir*>(LockResource(LoadResource(exe, res)));
    ASSERT_NE(dir, nullptr);
    std::vector<std::pair<int, int>> images;  // size, bits per pixel
    for (WORD i = 0; i < dir->count; ++i) {
        const IconDirEntry& e = dir->entries[i];
        images.emplace_back(e.width ? e.width : 256, e.bitCount);
    }
    std::sort(images.begin(), images.end());
    EXPECT_EQ(images, (std::vector<std::pair<int, int>>{
                          {16, 4}, {16, 8}, {16, 32}, {32, 4}, {32, 8}, {32, 32}, {48, 8}, {48, 32}, {256, 32}}));
    FreeLibrary(exe);
}

TEST(ProgramFile, ItsPropertiesNameTheProductAndTheVersion) {
    const std::wstring path = BuiltProgram();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
    auto value = [&](const wchar_t* name) {
        wchar_t* text = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
        if (!VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&text), &length) || !text) return std::wstring();
        return std::wstring(text);
    };
    EXPECT_EQ(value(L"ProductName"), L"Velnor");
    EXPECT_EQ(value(L"FileVersion"), VELNOR_VERSION_WSTRING);
    EXPECT_FALSE(value(L"FileDescription").empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), VELNOR_VERSION_MAJOR);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), VELNOR_VERSION_MINOR);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), VELNOR_VERSION_PATCH);
}

}  // namespace
}  // namespace velnor::e2e
