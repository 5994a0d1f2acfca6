#pragma once
#include "platform/win/dialog.h"
namespace shell {
class CSplashDlg : public platform::Dialog {};
}  // namespace shell
