// CheckListView: a report-style list view with a check box on every item and one column, as
// the wizard's connection and profile lists use it. It owns nothing.
#pragma once

#include <windows.h>
// The header below needs windows.h first.

#include <commctrl.h>

#include <string>

#include "platform/win/window.h"

namespace platform {

class CheckListView : public Window {
  public:
    // Adds the check boxes and the one column; FitColumn widens it to the list.
    void Prepare(const std::string& columnTitle) const {
        ListView_SetExtendedListViewStyleEx(hwnd_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                                            LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(columnTitle.c_str());
        Send(LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    }
    // The column as wide as the list's client area, once the items (and any scroll bar) are
    // in: names are cut only where the list itself ends, at any DPI.
    void FitColumn() const { ListView_SetColumnWidth(hwnd_, 0, LVSCW_AUTOSIZE_USEHEADER); }
    // Appends an unticked item.
    void Add(const std::string& text) const {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = Count();
        item.pszText = const_cast<char*>(text.c_str());
        Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    int Count() const { return ListView_GetItemCount(hwnd_); }
    bool IsChecked(int index) const { return ListView_GetCheckState(hwnd_, index) != 0; }
    void SetChecked(int index, bool checked) const {
        ListView_SetItemState(hwnd_, index, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1),
                              LVIS_STATEIMAGEMASK);
    }
    int CheckedCount() const {
        int checked = 0;
        for (int i = 0; i < Count(); ++i) checked += IsChecked(i);
        return checked;
    }
    // Whether an LVN_ITEMCHANGED notification reports a change of an item's tick.
    static bool IsTickChange(const NMHDR& header) {
        if (header.code != LVN_ITEMCHANGED) return false;
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        return change.iItem >= 0 && (change.uChanged & LVIF_STATE) &&
               ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK);
    }
};

}  // namespace platform
