#include <windows.h>
// The headers below need windows.h first.

#include <shellapi.h>

#include <vector>

#include "core/app_state.h"
#include "core/language.h"
#include "core/language_dialog_win.h"
#include "platform/win/reg_key.h"
#include "res/resource.h"
#include "shell/about_dlg_win.h"
#include "shell/app_context_win.h"

namespace shell {
namespace {

constexpr char kVersionStrings[] = "\\StringFileInfo\\040904b0\\";
constexpr char kWebAddress[] = "http://www.korvo-popupkiller.com/";
constexpr char kExplorerAppPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";

}  // namespace

INT_PTR CAboutDlg::Run(HWND owner) {
    SetLook(app_.MainLook());
    return RunModal(IDD_ABOUT, owner);
}

bool CAboutDlg::OnInit() {
    texts_.Capture(hwnd_);
    texts_.Apply(app_.state, hwnd_);
    ShowVersionTexts();
    return true;
}

void CAboutDlg::OnShow(bool shown) {
    if (!shown || !app_.state.languageChanged) return;
    texts_.Apply(app_.state, hwnd_);
    RefreshLook();
}

bool CAboutDlg::OnCommand(int code, int id) {
    if (id != IDC_ABOUT_WEBSITE || code != BN_CLICKED) return false;
    OpenWebSite(hwnd_);
    return true;
}

// The statics hold the names of version values as their resource text; each is replaced by its
// value when the program's version resource has a non-empty one.
void CAboutDlg::ShowVersionTexts() {
    char program[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(program, &ignored);
    if (size == 0) return;
    std::vector<char> info(size);
    if (!GetFileVersionInfoA(program, 0, size, info.data())) return;
    for (int id : {IDC_ABOUT_COPYRIGHT, IDC_ABOUT_VERSION}) {
        const std::string query = kVersionStrings + ItemText(id);
        void* value = nullptr;
        UINT valueLength = 0;
        if (VerQueryValueA(info.data(), query.c_str(), &value, &valueLength) && value != nullptr &&
            valueLength > 0 && *static_cast<const char*>(value) != '\0') {
            SetItemText(id, static_cast<const char*>(value));
        }
    }
}

void OpenWebSite(HWND owner) {
    // Read access is all this needs, and all a user without administrator rights gets on
    // HKEY_LOCAL_MACHINE.
    platform::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kExplorerAppPath, KEY_READ) != ERROR_SUCCESS) return;
    std::string browser;
    if (key.QueryString("", &browser, MAX_PATH) != ERROR_SUCCESS || browser.empty()) return;
    key.Close();
    const size_t slash = browser.rfind('\\');
    const std::string folder =
        slash == std::string::npos ? std::string() : browser.substr(0, slash);
    const std::string file = slash == std::string::npos ? browser : browser.substr(slash + 1);
    ShellExecuteA(owner, "Open", file.c_str(), kWebAddress,
                  folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
}

}  // namespace shell
