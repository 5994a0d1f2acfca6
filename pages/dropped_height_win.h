// The height of an extended combo box's drop-down list, fitted to its entries.
#pragma once

#include <windows.h>
// The header below needs windows.h first.

#include <commctrl.h>

namespace pages {

// Sizes combo (an extended combo box, or a plain one) so that its open list shows its entries,
// at most maxShown of them, without empty space below: a dialog template can only give one
// fixed height, which leaves a short list with a large empty area.
inline void FitDroppedHeight(HWND combo, int maxShown) {
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    if (count <= 0) return;
    const int shown = count < maxShown ? static_cast<int>(count) : maxShown;
    // An extended combo box keeps a plain one inside, whose own height is the list's.
    HWND inner = reinterpret_cast<HWND>(SendMessageA(combo, CBEM_GETCOMBOCONTROL, 0, 0));
    HWND measured = inner != nullptr ? inner : combo;
    const int field = static_cast<int>(SendMessageA(measured, CB_GETITEMHEIGHT, -1, 0));
    const int item = static_cast<int>(SendMessageA(measured, CB_GETITEMHEIGHT, 0, 0));
    // The field's and the list's borders.
    const int height = field + shown * item + 4 * GetSystemMetrics(SM_CYEDGE) + 2;
    for (HWND box : {combo, inner}) {
        if (box == nullptr) continue;
        RECT area;
        GetWindowRect(box, &area);
        SetWindowPos(box, nullptr, 0, 0, area.right - area.left, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace pages
