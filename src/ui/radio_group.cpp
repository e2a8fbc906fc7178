#include "ui/radio_group.h"

#include <algorithm>

#include "ui/container.h"
#include "ui/dpi.h"
#include "ui/window_frame.h"

namespace velnor {
namespace {

constexpr int kFirstButtonId = 1000;

// A button's text with every "&" doubled. A single "&" would make the letter
// after it a keyboard shortcut (typing it would select that button) and would
// be hidden when the system draws the text; doubled, it is drawn and read by
// assistive technology as one "&", and no letter is a shortcut.
std::wstring ButtonText(const std::wstring& name) {
    std::wstring text;
    text.reserve(name.size());
    for (wchar_t c : name) {
        if (c == L'&') text += L'&';
        text += c;
    }
    return text;
}

}  // namespace

void TRadioGroup::Create(HWND parent, int id, std::function<void()> onClick) {
    onClick_ = std::move(onClick);
    group_ = CreateContainer(parent, id, Surface::Window);
}

void TRadioGroup::Clear() { SetItems({}); }

void TRadioGroup::SetItems(const std::vector<std::wstring>& items) {
    for (HWND b : buttons_) DestroyWindow(b);
    buttons_.clear();
    items_ = items;
    index_ = -1;
    for (size_t i = 0; i < items_.size(); ++i) buttons_.push_back(MakeButton(i));
    MoveTabStop();
    Layout();
}

HWND TRadioGroup::TabStop() const {
    if (buttons_.empty()) return nullptr;
    return buttons_[static_cast<size_t>(std::max(index_, 0))];
}

void TRadioGroup::MoveTabStop() {
    const HWND stop = TabStop();
    for (HWND b : buttons_) {
        const LONG_PTR style = GetWindowLongPtrW(b, GWL_STYLE);
        SetWindowLongPtrW(b, GWL_STYLE, b == stop ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    }
}

void TRadioGroup::SetItemIndex(int index) {
    if (index < -1 || index >= Count()) index = -1;
    if (index == index_) return;
    index_ = index;
    Check(index);
    if (index >= 0 && onClick_) onClick_();
}

bool TRadioGroup::HandleCommand(HWND control, WORD code) {
    for (size_t i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i] != control) continue;
        if (code == BN_CLICKED && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
            SetItemIndex(static_cast<int>(i));
        return true;
    }
    return false;
}

void TRadioGroup::Check(int index) {
    for (size_t i = 0; i < buttons_.size(); ++i)
        SendMessageW(buttons_[i], BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
    MoveTabStop();
}

HWND TRadioGroup::MakeButton(size_t index) {
    DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
    // The first button opens the group; the tab stop follows the selection.
    if (index == 0) style |= WS_GROUP;
    HWND b = CreateWindowExW(0, L"BUTTON", ButtonText(items_[index]).c_str(), style, 0, 0, 0, 0, group_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstButtonId + index)),
                             InstanceOf(group_), nullptr);
    if (font_) SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return b;
}

void TRadioGroup::Layout() {
    if (!group_) return;
    RECT r;
    GetClientRect(group_, &r);
    const UINT dpi = DpiOf(group_);
    const int margin = Scale(8, dpi);
    const int n = static_cast<int>(buttons_.size());
    if (n == 0) return;
    const int height = r.bottom - r.top - 2 * margin;
    HDWP batch = BeginDeferWindowPos(n);
    for (int i = 0; i < n; ++i) {
        // Buttons share the height evenly, in item order.
        const int top = margin + MulDiv(height, i, n);
        const int bottom = margin + MulDiv(height, i + 1, n);
        batch = DeferWindowPos(batch, buttons_[static_cast<size_t>(i)], nullptr, margin, top,
                               std::max(0, static_cast<int>(r.right) - 2 * margin), bottom - top,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EndDeferWindowPos(batch);
}

void TRadioGroup::SetFont(HFONT font) {
    font_ = font;
    for (HWND b : buttons_) SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

}  // namespace velnor
