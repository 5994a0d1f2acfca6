#pragma once
#include "platform/win/dialog.h"
namespace shell {
class CAboutDlg : public platform::Dialog {
  public:
    INT_PTR Run(HWND owner) { return RunModal(100, owner); }
};
}  // namespace shell
