// Closing at awkward moments: while the first listing still runs, and when
// the session ends or the Restart Manager asks.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/fixture.h"

namespace velnor::e2e {
namespace {

using CloseTest = AppTest;

bool Holds(const std::string& settings, const std::string& element) {
    return settings.find(element) != std::string::npos;
}

// The window is created hidden and shown only after its first listing. A
// close request that comes before (from a program that closes every window
// of the user, or the Restart Manager) ends the program with the settings
// written, and the window never shows, not even for a moment.
TEST_F(CloseTest, ACloseDuringTheFirstListingEndsTheProgramWithoutShowingIt) {
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    const struct {
        const char* name;
        std::vector<Message> messages;
    } cases[] = {
        {"a close", {{WM_CLOSE, 0, 0}}},
        {"the Restart Manager",
         {{WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP}, {WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP}}},
        {"the Restart Manager's end alone", {{WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(sim->Journal().c_str());
        DeleteFileW(File(L"Velnor.xml").c_str());
        sim->SetState({L"profile=Home", L"delay.show=3000"});
        auto p = Start();
        ASSERT_TRUE(WaitForJournal(1)) << p->Report();
        HWND main = FindTopWindow(p->Pid(), L"TmainForm", false);
        ASSERT_NE(main, nullptr) << ProcessReport(p->Pid());
        ASSERT_FALSE(IsWindowVisible(main));
        for (const auto& m : c.messages) {
            DWORD_PTR result = 0;
            ASSERT_TRUE(SendMessageTimeoutW(main, m.message, m.wParam, m.lParam, SMTO_ABORTIFHUNG, 5000, &result));
        }
        EXPECT_FALSE(p->ShowedAWindowBeforeExit()) << ProcessReport(p->Pid());
        EXPECT_EQ(p->WaitExit(0), 0) << p->Report();
        EXPECT_TRUE(Holds(ReadFile(File(L"Velnor.xml")), "<Left ")) << ReadFile(File(L"Velnor.xml"));
    }
}

// The settings are written when the session ends, whether or not the
// question came first, and once only: after the question the end writes
// nothing more (the test removes the file the question wrote, and it stays
// away).
TEST_F(CloseTest, TheEndOfASessionWritesTheSettingsOnce) {
    const struct {
        const char* name;
        LPARAM reasons;
        bool asked;
    } cases[] = {
        {"the Restart Manager's question and end", ENDSESSION_CLOSEAPP, true},
        {"the Restart Manager's end alone", ENDSESSION_CLOSEAPP, false},
        {"a logoff's end alone", ENDSESSION_LOGOFF, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(File(L"Velnor.xml").c_str());
        sim->SetState({L"profile=Home", L"profile=Work"});
        auto p = Start();
        HWND main = p->MainWindow();
        ASSERT_NE(main, nullptr);
        SendMessageW(Radio(main, 1), BM_CLICK, 0, 0);
        ASSERT_EQ(CheckedRadio(main), 1);
        DWORD_PTR result = 0;
        if (c.asked) {
            ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, c.reasons, SMTO_ABORTIFHUNG, 5000, &result));
            EXPECT_TRUE(result);
            EXPECT_TRUE(Holds(ReadFile(File(L"Velnor.xml")), "> Work<"));
            ASSERT_TRUE(DeleteFileW(File(L"Velnor.xml").c_str()));
        }
        ASSERT_TRUE(SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, c.reasons, SMTO_ABORTIFHUNG, 5000, &result));
        if (c.asked) {
            EXPECT_FALSE(FileExists(File(L"Velnor.xml"))) << "written a second time";
        } else {
            EXPECT_TRUE(Holds(ReadFile(File(L"Velnor.xml")), "> Work<")) << ReadFile(File(L"Velnor.xml"));
        }
        if (c.reasons & ENDSESSION_CLOSEAPP) {
            EXPECT_EQ(p->WaitExit(), 0);
        } else {
            // A logoff ends the process from outside; here the test does.
            EXPECT_EQ(p->Close(), 0);
        }
    }
}

}  // namespace
}  // namespace velnor::e2e
