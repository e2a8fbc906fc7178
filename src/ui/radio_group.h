// One column of radio buttons with an item list and a selection, realised as
// standard auto radio buttons in a container.
//
// The buttons' texts are the items with every "&" doubled: no letter of a
// name is a keyboard shortcut, and a name shows and reads exactly as it is.
//
// Rules the windows rely on: removing all items selects none; replacing the
// items never fires the click handler; selecting an item in code
// fires it exactly when that item was not selected already; a click on the
// selected button, or on the empty area, fires nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace velnor {

class TRadioGroup {
public:
    void Create(HWND parent, int id, std::function<void()> onClick);
    HWND Handle() const { return group_; }

    void Clear();
    // Replaces all items at once; the selection becomes none, nothing fires.
    void SetItems(const std::vector<std::wstring>& items);
    int Count() const { return static_cast<int>(items_.size()); }
    const std::vector<std::wstring>& Items() const { return items_; }

    int ItemIndex() const { return index_; }
    void SetItemIndex(int index);

    // The button the tab key lands on, as in a dialog: the selected one, or
    // the first when none is selected; null without items.
    HWND TabStop() const;

    // A notification from one of the group's buttons; true when it was ours.
    bool HandleCommand(HWND control, WORD code);

    void Layout();
    void SetFont(HFONT font);

private:
    HWND MakeButton(size_t index);
    void Check(int index);
    void MoveTabStop();

    HWND group_ = nullptr;
    std::vector<HWND> buttons_;
    std::vector<std::wstring> items_;
    int index_ = -1;
    HFONT font_ = nullptr;
    std::function<void()> onClick_;
};

}  // namespace velnor
