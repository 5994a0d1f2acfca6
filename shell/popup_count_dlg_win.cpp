#include "shell/popup_count_dlg.h"

namespace shell {

bool CPopupCountDlg::Create() { return false; }
void CPopupCountDlg::ShowCounter() {}
void CPopupCountDlg::SetCount(const std::string&) {}
void CPopupCountDlg::Destroy() {}
bool CPopupCountDlg::OnInit() { return true; }
void CPopupCountDlg::OnShow(bool) {}
bool CPopupCountDlg::OnTimer(UINT_PTR) { return false; }
void CPopupCountDlg::OnDestroy() {}

}  // namespace shell
