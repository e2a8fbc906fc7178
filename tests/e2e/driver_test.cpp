// The driver itself: what a test finds is what it may use. A window with
// fewer radio buttons than a test expects gives a failure that names what is
// there, never a read past the end of the list (which crashed a whole layer
// once, when a start showed an empty list).
#include <windows.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "e2e/driver.h"

namespace velnor::e2e {
namespace {

// A window of this process with the given radio buttons, top to bottom.
class RadioWindow {
public:
    explicit RadioWindow(std::initializer_list<const wchar_t*> captions)
        : window_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr)) {
        int y = 0;
        for (const wchar_t* caption : captions) {
            CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | BS_AUTORADIOBUTTON, 0, y, 150, 20, window_, nullptr,
                            nullptr, nullptr);
            y += 25;
        }
    }
    ~RadioWindow() { DestroyWindow(window_); }
    RadioWindow(const RadioWindow&) = delete;
    RadioWindow& operator=(const RadioWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

TEST(DriverTest, ARadioButtonPastTheEndIsAFailureThatNamesWhatIsThere) {
    const RadioWindow empty({});
    ASSERT_NE(empty.get(), nullptr);
    HWND found = reinterpret_cast<HWND>(1);
    EXPECT_NONFATAL_FAILURE(found = Radio(empty.get(), 1), "no radio button 1: the window shows 0");
    EXPECT_EQ(found, nullptr);

    const RadioWindow two({L" Home", L" Work"});
    EXPECT_NONFATAL_FAILURE(found = Radio(two.get(), 2), "shows 2: ' Home' ' Work'");
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(WindowText(Radio(two.get(), 0)), L" Home");
    EXPECT_EQ(WindowText(Radio(two.get(), 1)), L" Work");
}

}  // namespace
}  // namespace velnor::e2e
