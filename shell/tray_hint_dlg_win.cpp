#include "shell/tray_hint_dlg_win.h"

#include "core/app_state.h"
#include "core/language_dialog_win.h"
#include "platform/win/reg_key.h"
#include "res/resource.h"
#include "shell/app_context_win.h"

namespace shell {

INT_PTR CTrayHintDlg::Run() {
    SetLook(app_.MainLook());
    return RunModal(IDD_TRAY_HINT, nullptr);
}

bool CTrayHintDlg::OnInit() {
    core::ControlTexts texts(core::texts::kTrayHintTexts,
                             {IDC_HINT_TEXT, IDC_HINT_DONT_SHOW, IDOK});
    texts.Capture(hwnd_);
    texts.Apply(app_.state, hwnd_);
    Send(WM_SETICON, ICON_BIG,
         reinterpret_cast<LPARAM>(LoadIconA(ResourceModule(), MAKEINTRESOURCEA(IDI_PROGRAM))));
    return true;
}

// OK stores the "Don't show" choice at once; closing the dialog any other way keeps the stored
// value.
bool CTrayHintDlg::OnCommand(int code, int id) {
    (void)code;
    if (id != IDOK) return false;
    app_.state.showAtStart = IsItemChecked(IDC_HINT_DONT_SHOW) ? 0 : 1;
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, core::kAppKeyPath) == ERROR_SUCCESS) {
        key.SetDword("ShowAtStart", app_.state.showAtStart);
    }
    End(IDOK);
    return true;
}

}  // namespace shell
