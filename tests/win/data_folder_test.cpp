// Special folders and the per-user data folder, in the prefix's real profile.
#include "orvo/data_folder.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/startup.h"
#include "platform/ansi_codec.h"
#include "support/file_bytes.h"

namespace velnor {
namespace {

namespace fs = std::filesystem;

std::wstring AppData() {
    wchar_t p[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, p);
    return p;
}

// Leaves the per-user "Orvo Project" folder as it found it: absent.
class DataFolderTest : public ::testing::Test {
protected:
    fs::path orvo = fs::path(AppData()) / L"Orvo Project";
    void SetUp() override { fs::remove_all(orvo); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(orvo, ec);
        DataFolder.clear();
        CommonDataFolder.clear();
    }
};

TEST_F(DataFolderTest, SpecialFoldersComeFromTheTableAndNothingElse) {
    const int ids[] = {CSIDL_PERSONAL,       CSIDL_APPDATA,    CSIDL_LOCAL_APPDATA,
                       CSIDL_COMMON_APPDATA, CSIDL_MYPICTURES, CSIDL_COMMON_DOCUMENTS};
    for (std::uint8_t i = 0; i < 6; ++i) {
        wchar_t p[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, ids[i], nullptr, 0, p);
        EXPECT_EQ(GetSpecialFolder(i), p);
        EXPECT_NE(GetSpecialFolder(i).back(), L'\\');
    }
    for (std::uint8_t i : {6, 7, 255}) EXPECT_EQ(GetSpecialFolder(i), L"");
}

TEST_F(DataFolderTest, CreatesBothLevelsOnceAndEndsInABackslash) {
    const std::wstring expected = AppData() + L"\\Orvo Project\\Velnor\\";
    EXPECT_TRUE(PrepareDataFolder(L"Velnor", false));
    EXPECT_EQ(DataFolder, expected);
    EXPECT_TRUE(fs::is_directory(expected));
    EXPECT_TRUE(PrepareDataFolder(L"Velnor", false));
    EXPECT_EQ(DataFolder, expected);
    EXPECT_EQ(CommonDataFolder, L"");
}

TEST_F(DataFolderTest, ANameOfSeveralLevelsIsMadeOnlyWhenAllButTheLastExist) {
    EXPECT_FALSE(PrepareDataFolder(L"a\\b", false));
    EXPECT_EQ(DataFolder, AppData() + L"\\Orvo Project\\a\\b\\");  // set even on failure
    fs::create_directories(orvo / L"a");
    EXPECT_TRUE(PrepareDataFolder(L"a\\b", false));
}

TEST_F(DataFolderTest, AFileStandingInTheWayMakesTheFolderUnusable) {
    test::WriteBytes(orvo.wstring(), "not a folder");
    EXPECT_FALSE(PrepareDataFolder(L"Velnor", false));
    EXPECT_EQ(DataFolder.back(), L'\\');
    EXPECT_TRUE(fs::is_regular_file(orvo));
}

TEST(SingleInstanceGuard, TheFirstCallTakesTheNameAndLaterOnesSeeIt) {
    HANDLE before = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kMutexName);
    ASSERT_EQ(before, nullptr) << "another copy holds the name";
    EXPECT_FALSE(AnotherCopyRunning());
    HANDLE seen = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kMutexName);
    EXPECT_NE(seen, nullptr);
    if (seen) CloseHandle(seen);
    EXPECT_TRUE(AnotherCopyRunning());
}

// The outcomes of the open-then-create race, shown through the seam: which
// call found the name decides, and a handle that is not kept is closed.
TEST(SingleInstanceGuard, EveryOutcomeOfTheRace) {
    const HANDLE otherCopy = reinterpret_cast<HANDLE>(0x1111), created = reinterpret_cast<HANDLE>(0x2222);
    struct Case {
        const char* what;
        HANDLE opened;
        HANDLE createdHandle;
        DWORD createError;
        bool another;
        std::vector<HANDLE> closed;
    };
    const Case cases[] = {
        {"the open finds the name", otherCopy, nullptr, 0, true, {otherCopy}},
        {"the create finds it: the other copy won the race", nullptr, created, ERROR_ALREADY_EXISTS, true, {created}},
        {"nobody holds it", nullptr, created, ERROR_SUCCESS, false, {}},
        {"a copy with other rights holds it", nullptr, nullptr, ERROR_ACCESS_DENIED, true, {}},
        {"it cannot be created: run without a guard", nullptr, nullptr, ERROR_INVALID_HANDLE, false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> names;
        std::vector<HANDLE> closed;
        DWORD openAccess = 0;
        MutexApi api{
            [&](DWORD access, BOOL, const wchar_t* name) {
                openAccess = access;
                names.push_back(name);
                return c.opened;
            },
            [&](const wchar_t* name, DWORD* error) {
                names.push_back(name);
                *error = c.createError;
                return c.createdHandle;
            },
            [&](HANDLE h) {
                closed.push_back(h);
                return TRUE;
            },
        };
        EXPECT_EQ(AnotherCopyRunning(api), c.another) << c.what;
        EXPECT_EQ(closed, c.closed) << c.what;
        EXPECT_EQ(openAccess, static_cast<DWORD>(MUTEX_ALL_ACCESS)) << c.what;
        for (const auto& name : names) EXPECT_EQ(name, L"Velnor/Orvo Project") << c.what;
    }
}

TEST(AnsiCodePage, IsCodePage932HereAndRefusesInexactForms) {
    ASSERT_EQ(GetACP(), 932u) << "tests run with LC_ALL=ja_JP.UTF-8";
    EXPECT_EQ(AnsiToWide("\x8E\xA9\x91\xEE"), L"自宅");
    EXPECT_EQ(WideToAnsi(L"自宅 ?"), std::optional<std::string>("\x8E\xA9\x91\xEE ?"));
    for (const wchar_t* inexact : {L"café", L"\xD83D\xDE00", L"Ä"}) EXPECT_FALSE(WideToAnsi(inexact)) << inexact;
}

// Named code pages through the same seam: strict in both directions, exact
// where they convert, no best-fit look-alikes.
TEST(AnsiCodePage, NamedCodePagesConvertExactlyOrNotAtAll) {
    struct Case {
        unsigned codePage;
        std::string bytes;
        const wchar_t* text;
    };
    const Case exact[] = {
        {932, "\x8E\xA9\x91\xEE\x87\x40", L"自宅①"},
        {28591, "caf\xE9\xFF", L"caféÿ"},
        {1252, "\x80\x93", L"€“"},
        {20127, "plain", L"plain"},
    };
    for (const Case& c : exact) {
        EXPECT_TRUE(CodePageAvailable(c.codePage)) << c.codePage;
        EXPECT_EQ(CodePageToWide(c.codePage, c.bytes), std::optional<std::wstring>(c.text)) << c.codePage;
        EXPECT_EQ(WideToCodePage(c.codePage, c.text), std::optional<std::string>(c.bytes)) << c.codePage;
    }
    const Case refused[] = {
        {932, "\x8E", L"é"},        // a lead byte alone; no é in CP932
        {28591, "", L"ā"},           // best fit would give "a"
        {1252, "", L"自"},
        {20127, "", L"é"},
    };
    for (const Case& c : refused) {
        if (!c.bytes.empty()) {
            EXPECT_FALSE(CodePageToWide(c.codePage, c.bytes)) << c.codePage;
        }
        EXPECT_FALSE(WideToCodePage(c.codePage, c.text)) << c.codePage;
    }
    EXPECT_FALSE(CodePageAvailable(0)) << "the ANSI code page is not a named one";
    EXPECT_FALSE(CodePageAvailable(12345));
}

}  // namespace
}  // namespace velnor
