// Drives velnor.exe from another process, as a user or a screen reader would:
// starts it, finds its windows, reads and clicks its controls.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/screen_pixels.h"
#include "support/window_reading.h"

namespace velnor::e2e {

// Reading windows and the screen, as every reader of the program's windows
// does.
using test::Answers;
using test::ButtonByText;
using test::Children;
using test::ClassOf;
using test::FindTopWindow;
using test::kPatienceMs;
using test::Radios;
using test::ScreenPixels;
using test::ShownText;
using test::TopWindows;
using test::WaitFor;
using test::WindowText;

// The folder of the test executable, and the program built beside it.
std::wstring TestExeFolder();
std::wstring BuiltProgram(const wchar_t* name = L"velnor.exe");

// Whether some copy of the program holds its single-instance guard.
bool GuardHeld();

// The name assistive technology reads for a window (its accessible object's
// name), or "<none>".
std::wstring AccessibleName(HWND h);

// What a screen reader reads through MSAA of one accessible object: a
// window's client object (CHILDID_SELF), or one of its simple children by id
// (a tool button, a list item). `found` is false when there is no such
// object; a property the object does not give stays empty or 0.
struct AccessibleFacts {
    bool found = false;
    std::wstring name;
    long role = 0;
    long state = 0;
};
AccessibleFacts ReadAccessible(HWND h, long childId = CHILDID_SELF);
// The simple children of a window's client object, ids 1 to the count.
std::vector<AccessibleFacts> AccessibleChildren(HWND h);
// For a failure's message: role, state and name as numbers and text.
std::string Describe(const AccessibleFacts& facts);

// The focus events (EVENT_OBJECT_FOCUS) a process raises, as a screen reader
// hears them: a hook from this process, out of the other one's context.
class FocusEvents {
public:
    struct Event {
        HWND window;
        long object;
        long child;
    };
    explicit FocusEvents(DWORD pid);
    ~FocusEvents();
    FocusEvents(const FocusEvents&) = delete;
    FocusEvents& operator=(const FocusEvents&) = delete;

    bool Hooked() const { return hook_ != nullptr; }
    // Waits, taking the hook's calls meanwhile, until the last event heard
    // matches; false when none did in time.
    bool WaitForLast(const std::function<bool(const Event&)>& match, DWORD timeoutMs = kPatienceMs);
    const std::vector<Event>& Heard() const { return heard_; }

private:
    static void CALLBACK Heard(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                               DWORD time);
    HWINEVENTHOOK hook_ = nullptr;
    std::vector<Event> heard_;
};

// Whether `change`, which sends the program a message, leaves `window`
// waiting to be repainted. The program's queue is first filled with posted
// no-op messages: they all come before a paint, so the window's update region
// can still be read when `change` returns. Any paint pending before is done
// first. The change is made up to three times: a repaint shows in at least
// one try, since the program may still reach its paint before the read.
bool LeavesRepaintPending(HWND window, const std::function<void()>& change);

// The radio button at `index`, or null with a test failure that names the
// buttons there are: a test never reaches past the end of what it found.
HWND Radio(HWND window, size_t index);
std::vector<std::wstring> RadioTexts(HWND window);
// The index of the checked radio button, or -1.
int CheckedRadio(HWND window);
// The window that has the keyboard focus, and the active window, in the
// thread of `window`.
HWND FocusIn(HWND window);
HWND ActiveIn(HWND window);
// The message box the program shows for an error, or null when none
// appeared in time; its text; its OK pressed.
HWND WaitForErrorBox(DWORD pid, DWORD timeoutMs = kPatienceMs);
std::wstring ErrorBoxText(HWND box);
void DismissErrorBox(HWND box);
// The system's message for an error code, as the program quotes it, without
// the line end and full stop that FormatMessage gives it.
std::wstring SystemMessage(DWORD code);

// A window of the test's own that comes to the front, as with Alt+Tab, and
// gives the foreground back; destroyed with this object, once the test is
// done with the keyboard in the program.
class OtherWindow {
public:
    OtherWindow();
    ~OtherWindow();
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;

    // Comes to the front; true once `window` is no longer active.
    bool TakeForegroundFrom(HWND window);
    // Brings that window to the front again; true once it is active.
    bool GiveBack();

private:
    HWND self_ = nullptr;
    HWND from_ = nullptr;
};

// A list view with tick boxes in another process.
std::vector<std::wstring> ListItems(HANDLE process, HWND list);
std::vector<bool> ListTicks(HWND list);
bool SetListTick(HANDLE process, HWND list, int index, bool ticked);
bool SetListItemFocus(HANDLE process, HWND list, int index);

// Clicks the tool bar button with that caption as the mouse would.
bool ClickToolButton(HANDLE process, HWND toolbar, const std::wstring& caption);
bool ToolButtonEnabled(HANDLE process, HWND toolbar, const std::wstring& caption);
std::vector<std::wstring> ToolButtonTexts(HANDLE process, HWND toolbar);
// The rectangle of the tool bar button with that caption, in the tool bar's
// client coordinates; empty when there is none.
RECT ToolButtonRect(HANDLE process, HWND toolbar, const std::wstring& caption);

// Keys as the keyboard gives them, to whichever window has the focus: each
// key goes down in order and comes up in reverse ({VK_SHIFT, VK_TAB} is
// Shift+Tab).
void PressKeys(std::initializer_list<WORD> keys);

// The size of a text in the program's window font (the menu font's face,
// 8 points) at a DPI; its height is the font's line height.
SIZE WindowFontTextSize(const std::wstring& text, int dpi = 96);

// Asks the screenshot watcher of the test run for a picture of the window,
// saved as NAME.png in the run's screenshot folder. The test kit sets
// VELNOR_PICTURE_DIR instead: the window is then printed into NAME.bmp there.
// With neither set nothing happens.
void Shot(HWND window, const std::wstring& name);

// For a failure's message: the top-level windows of the process `pid` (class,
// shown or hidden), and every command process running now (cmd, netsh,
// conhost, the program and its twins) with its parent's id.
std::string ProcessReport(DWORD pid);

// CreateProcessW for the tests' own starts. Under load Wine now and then
// fails to set up a new process before any of its code runs ("failed to map
// the shared user data: c0000018" on Wine's error channel) and CreateProcessW
// answers ERROR_INTERNAL_ERROR. That start is tried again, up to three times
// in all, and said in the log; every other failure is returned at once.
BOOL StartProcess(const std::wstring& exe, std::wstring commandLine, DWORD flags, const std::wstring& directory,
                  STARTUPINFOW& si, PROCESS_INFORMATION& pi);

// Loaded module paths of a process.
std::vector<std::wstring> ModulePaths(HANDLE process);

// A started copy of the program. Closing it, if still running, is left to
// the test; the destructor only makes sure nothing outlives the test.
class Program {
public:
    // `commandLine` is the whole command line, program token included. A
    // `showCommand` of 0 or more goes to STARTUPINFO.wShowWindow, with
    // STARTF_USESHOWWINDOW unless `useShowWindow` is false.
    Program(const std::wstring& exe, const std::wstring& commandLine, const std::wstring& directory,
            int showCommand = -1, bool useShowWindow = true);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return pi_.hProcess != nullptr; }
    DWORD Pid() const { return pi_.dwProcessId; }
    HANDLE Process() const { return pi_.hProcess; }

    // The visible main window, or null when none appeared in time (or the
    // process ended first).
    HWND MainWindow(DWORD timeoutMs = kPatienceMs);
    // Waits for the process to end; returns its exit code, or -1 on time-out.
    long WaitExit(DWORD timeoutMs = kPatienceMs);
    // Asks the main window to close and waits for the exit code.
    long Close(DWORD timeoutMs = kPatienceMs);
    // Whether a visible top-level window of the process was ever seen while
    // waiting for the exit; even one shown for a moment only.
    bool ShowedAWindowBeforeExit(DWORD timeoutMs = kPatienceMs);
    // For a failure message: how long the process ran and how it ended.
    std::string Report() const;

private:
    PROCESS_INFORMATION pi_{};
    DWORD startError_ = 0;
    bool shotTaken_ = false;
};

// Files as the tests see them.
bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
void WriteFile(const std::wstring& path, const std::string& bytes);
std::string ReadFile(const std::wstring& path);
void RemoveTree(const std::wstring& path);
std::wstring AppDataFolder();

}  // namespace velnor::e2e
