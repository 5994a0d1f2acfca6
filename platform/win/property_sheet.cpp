#include "platform/win/property_sheet.h"

namespace platform {
namespace {

// The sheet PropertySheetA is creating on this thread: its callback has no parameter of ours.
thread_local PropertySheet* sheetBeingCreated = nullptr;

// Clears WS_VISIBLE in a dialog template, plain or extended (whose style lies after its
// version, signature and help id).
void HideTemplate(void* dialogTemplate) {
    auto* words = static_cast<WORD*>(dialogTemplate);
    DWORD* style = words[1] == 0xFFFF ? reinterpret_cast<DWORD*>(words + 6)
                                      : &static_cast<DLGTEMPLATE*>(dialogTemplate)->style;
    *style &= ~static_cast<DWORD>(WS_VISIBLE);
}

}  // namespace

// ---- PropertyPage ----

void PropertyPage::SetModified(bool modified) const {
    HWND sheet = Sheet();
    if (sheet == nullptr) return;
    if (modified) {
        PropSheet_Changed(sheet, hwnd_);
    } else {
        PropSheet_UnChanged(sheet, hwnd_);
    }
}

PROPSHEETPAGEA PropertyPage::Describe(int resourceId, DWORD flags) {
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof(page);
    page.dwFlags = flags;
    page.hInstance = ResourceModule();
    page.pszTemplate = MAKEINTRESOURCEA(resourceId);
    page.pfnDlgProc = PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

INT_PTR CALLBACK PropertyPage::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* created = nullptr;
    if (message == WM_INITDIALOG) {
        created = reinterpret_cast<PropertyPage*>(
            reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
    }
    return Route(hwnd, message, wParam, lParam, created);
}

bool PropertyPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message != WM_NOTIFY) return Dialog::OnMessage(message, wParam, lParam, result);
    const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.hwndFrom != Sheet()) return OnNotify(header, result);
    switch (header.code) {
        case PSN_SETACTIVE:
            *result = OnSetActive();
            return true;
        case PSN_KILLACTIVE:
            *result = OnKillActive() ? FALSE : TRUE;
            return true;
        case PSN_APPLY:
            *result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
            return true;
        case PSN_RESET:
            OnReset();
            return true;
        case PSN_WIZNEXT:
            *result = OnWizardNext();
            return true;
        case PSN_WIZBACK:
            *result = OnWizardBack();
            return true;
        case PSN_WIZFINISH:
            *result = OnWizardFinish() ? FALSE : TRUE;
            return true;
        default:
            return OnNotify(header, result);
    }
}

// ---- PropertySheet ----

void PropertySheet::AddPage(PropertyPage& page, int resourceId, DWORD flags) {
    pages_.push_back(page.Describe(resourceId, flags));
}

INT_PTR PropertySheet::RunModal(HWND parent, const char* caption, bool wizard, DWORD extraFlags) {
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | extraFlags | (wizard ? PSH_WIZARD : 0);
    header.hwndParent = parent;
    header.hInstance = Dialog::ResourceModule();
    header.pszCaption = caption;
    header.nPages = static_cast<UINT>(pages_.size());
    header.ppsp = pages_.data();
    header.pfnCallback = SheetCallback;
    sheetBeingCreated = this;
    const INT_PTR result = PropertySheetA(&header);
    sheetBeingCreated = nullptr;
    hwnd_ = nullptr;
    return result;
}

int CALLBACK PropertySheet::SheetCallback(HWND hwnd, UINT message, LPARAM lParam) {
    if (sheetBeingCreated == nullptr) return 0;
    if (message == PSCB_PRECREATE) {
        if (sheetBeingCreated->createHidden_) HideTemplate(reinterpret_cast<void*>(lParam));
        return 0;
    }
    if (message != PSCB_INITIALIZED) return 0;
    PropertySheet* sheet = sheetBeingCreated;
    sheetBeingCreated = nullptr;
    sheet->hwnd_ = hwnd;
    SetWindowSubclass(hwnd, SheetSubclassProc, 1, reinterpret_cast<DWORD_PTR>(sheet));
    try {
        if (sheet->look_ != nullptr) sheet->look_->Apply(hwnd);
        sheet->OnInitialized();
    } catch (...) {
        OutputDebugStringA("KorvoPop: a property sheet's initialisation failed\n");
    }
    return 0;
}

LRESULT CALLBACK PropertySheet::SheetSubclassProc(HWND hwnd, UINT message, WPARAM wParam,
                                                  LPARAM lParam, UINT_PTR, DWORD_PTR object) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, SheetSubclassProc, 1);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    try {
        LRESULT result = 0;
        if (reinterpret_cast<PropertySheet*>(object)->OnMessage(message, wParam, lParam, &result)) {
            return result;
        }
    } catch (...) {
        OutputDebugStringA("KorvoPop: a property sheet handler failed\n");
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace platform
