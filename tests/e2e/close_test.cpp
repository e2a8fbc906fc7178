// Closing at awkward moments: while the first listing still runs, when the
// session ends or the Restart Manager asks, and after a start that could not
// read its settings.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/fixture.h"

namespace velnor::e2e {
namespace {

using CloseTest = AppTest;

bool Holds(const std::string& settings, const std::string& element) {
    return settings.find(element) != std::string::npos;
}

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The ways a close request reaches the main window from outside.
const struct CloseWay {
    const char* name;
    std::vector<Message> messages;
} kCloseWays[] = {
    {"a close", {{WM_CLOSE, 0, 0}}},
    {"the Restart Manager", {{WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP}, {WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP}}},
    {"the Restart Manager's end alone", {{WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP}}},
};

// Sends the messages as the closing program would; false when the window
// did not answer one of them in time.
bool SendAll(HWND window, const std::vector<Message>& messages) {
    for (const auto& m : messages) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, m.message, m.wParam, m.lParam, SMTO_ABORTIFHUNG, 5000, &result)) return false;
    }
    return true;
}

// The window is created hidden and shown only after its first listing. A
// close request that comes before (from a program that closes every window
// of the user, or the Restart Manager) ends the program with the settings
// written, and the window never shows, not even for a moment.
TEST_F(CloseTest, ACloseDuringTheFirstListingEndsTheProgramWithoutShowingIt) {
    for (const auto& c : kCloseWays) {
        SCOPED_TRACE(c.name);
        DeleteFileW(sim->Journal().c_str());
        DeleteFileW(File(L"Velnor.xml").c_str());
        sim->SetState({L"profile=Home", L"delay.show=3000"});
        auto p = Start();
        ASSERT_TRUE(WaitForJournal(1)) << p->Report();
        HWND main = FindTopWindow(p->Pid(), L"TmainForm", false);
        ASSERT_NE(main, nullptr) << ProcessReport(p->Pid());
        ASSERT_FALSE(IsWindowVisible(main));
        ASSERT_TRUE(SendAll(main, c.messages)) << ProcessReport(p->Pid());
        EXPECT_FALSE(p->ShowedAWindowBeforeExit()) << ProcessReport(p->Pid());
        EXPECT_EQ(p->WaitExit(0), 0) << p->Report();
        EXPECT_TRUE(Holds(ReadFile(File(L"Velnor.xml")), "<Left ")) << ReadFile(File(L"Velnor.xml"));
    }
}

// The box about unreadable settings is shown while the window is still being
// created. A close that comes while it is up (the user's, or the Restart
// Manager's end) waits until creation has finished: the box stays for the
// user, and once it is dismissed the program ends without showing its
// window. Destroying the window inside its own creation would take the box
// with it at once.
TEST_F(CloseTest, ACloseWhileTheSettingsBoxIsUpWaitsForTheWindowToBeCreated) {
    for (const auto& c : kCloseWays) {
        SCOPED_TRACE(c.name);
        sim->SetState({L"profile=Home"});
        const std::wstring settings = File(L"Velnor.xml");
        WriteFile(settings, "<?xml version=\"1.0\" encoding=\"utf-8\"?><Root/>");
        HANDLE lock = CreateFileW(settings.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        auto p = Start();
        HWND box = nullptr;
        const bool boxShown = WaitFor([&] { return (box = FindTopWindow(p->Pid(), L"#32770")) != nullptr; });
        CloseHandle(lock);
        ASSERT_TRUE(boxShown) << ProcessReport(p->Pid());
        HWND main = FindTopWindow(p->Pid(), L"TmainForm", false);
        ASSERT_NE(main, nullptr) << ProcessReport(p->Pid());
        HWND ok = GetDlgItem(box, IDOK);
        ASSERT_NE(ok, nullptr);
        ASSERT_TRUE(SendAll(main, c.messages)) << ProcessReport(p->Pid());
        // What the close posted to the window is handled before a mark posted
        // after it: once the box's button shows the mark, all of it has run.
        PostMessageW(ok, BM_SETSTATE, TRUE, 0);
        ASSERT_TRUE(WaitFor([&] {
            DWORD_PTR state = 0;
            return !IsWindow(ok) ||
                   (SendMessageTimeoutW(ok, BM_GETSTATE, 0, 0, SMTO_ABORTIFHUNG, 5000, &state) && (state & BST_PUSHED));
        }));
        EXPECT_TRUE(IsWindow(box)) << "the box went with the close";
        EXPECT_TRUE(IsWindow(main)) << "destroyed during its creation";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); })) << ProcessReport(p->Pid());
        // The main window, the only one left, never shows.
        EXPECT_FALSE(p->ShowedAWindowBeforeExit()) << ProcessReport(p->Pid());
        EXPECT_EQ(p->WaitExit(), 0) << p->Report();
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

// Another program (a virus scanner, a sync tool) holds the settings file open
// while the program starts: the start cannot read the stored place, so the
// window opens at the system's default place. The close leaves the stored
// place as it was, unless the user moved or sized the window in this run.
TEST_F(CloseTest, ASettingsFileHeldOpenAtStartKeepsItsPlaceUnlessTheWindowIsMoved) {
    for (const bool moved : {false, true}) {
        SCOPED_TRACE(moved ? "moved" : "not moved");
        DeleteFileW(File(L"Velnor.xml").c_str());
        sim->SetState({L"profile=Home", L"profile=Work"});
        {
            auto first = Start();
            HWND main = first->MainWindow();
            ASSERT_NE(main, nullptr);
            SetWindowPos(main, nullptr, 100, 110, 360, 310, SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(Radio(main, 1), BM_CLICK, 0, 0);
            ASSERT_EQ(first->Close(), 0);
        }
        const std::string before = ReadFile(File(L"Velnor.xml"));
        ASSERT_TRUE(Holds(before, "<Left Type=\"9\">100</Left>")) << before;

        HANDLE lock = CreateFileW(File(L"Velnor.xml").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        auto p = Start();
        HWND box = WaitForErrorBox(p->Pid());
        CloseHandle(lock);
        ASSERT_NE(box, nullptr) << ProcessReport(p->Pid());
        DismissErrorBox(box);
        HWND main = p->MainWindow();
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(Answers(main));  // the first show is over
        RECT r{};
        GetWindowRect(main, &r);
        EXPECT_NE(r.left, 100) << "the stored place was read after all";
        if (moved) SetWindowPos(main, nullptr, 150, 160, 400, 320, SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_EQ(p->Close(), 0);
        const std::string after = ReadFile(File(L"Velnor.xml"));
        if (moved) {
            for (const char* value : {"<Left Type=\"9\">150</Left>", "<Top Type=\"9\">160</Top>",
                                      "<Width Type=\"9\">400</Width>", "<Height Type=\"9\">320</Height>",
                                      "> Work<"})
                EXPECT_TRUE(Holds(after, value)) << value << " in " << after;
        } else {
            EXPECT_EQ(after, before);
        }
    }
}

}  // namespace
}  // namespace velnor::e2e
