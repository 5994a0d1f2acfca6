#include "shell/tray_hint_dlg.h"

namespace shell {

bool CTrayHintDlg::OnInit() { return true; }
bool CTrayHintDlg::OnCommand(int, int) { return false; }

}  // namespace shell
