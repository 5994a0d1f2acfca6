#include "pages/activex_page_win.h"

#include "core/language_dialog_win.h"
#include "pages/dropped_height_win.h"
#include "pages/zone_policy.h"
#include "platform/win/reg_key.h"
#include "res/resource.h"

namespace pages {
namespace {

constexpr char kZonesKeyPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\";

// The note's blink timer and its period.
constexpr UINT_PTR kNoteTimer = 1034;
constexpr UINT kNotePeriodMs = 1000;

// The zones in list order; list index i is zone number i + 1.
struct Zone {
    const char* name;
    int icon;
};
const Zone kZones[] = {{"Local intranet", IDI_ZONE_INTRANET},
                       {"Trusted sites", IDI_ZONE_TRUSTED},
                       {"Internet", IDI_ZONE_INTERNET},
                       {"Restricted sites", IDI_ZONE_RESTRICTED}};

// One URL action and its radio buttons; admin is 0 for the groups without that button.
struct PolicyGroup {
    const char* value;
    int enable;
    int disable;
    int prompt;
    int admin;
};
const PolicyGroup kSigned = {"1001", IDC_SIGNED_ENABLE, IDC_SIGNED_DISABLE, IDC_SIGNED_PROMPT, 0};
const PolicyGroup kUnsigned = {"1004", IDC_UNSIGNED_ENABLE, IDC_UNSIGNED_DISABLE,
                               IDC_UNSIGNED_PROMPT, 0};
const PolicyGroup kUnsafe = {"1201", IDC_UNSAFE_ENABLE, IDC_UNSAFE_DISABLE, IDC_UNSAFE_PROMPT, 0};
const PolicyGroup kRun = {"1200", IDC_RUN_ENABLE, IDC_RUN_DISABLE, IDC_RUN_PROMPT,
                          IDC_RUN_ADMIN_APPROVED};
const PolicyGroup kSafe = {"1405", IDC_SAFE_ENABLE, IDC_SAFE_DISABLE, IDC_SAFE_PROMPT, 0};

// The orders in which the values are read and written.
const PolicyGroup* const kReadOrder[] = {&kSigned, &kUnsigned, &kUnsafe, &kRun, &kSafe};
const PolicyGroup* const kWriteOrder[] = {&kSigned, &kUnsigned, &kUnsafe, &kSafe, &kRun};

// The radio buttons; a click on any of them only marks the page changed.
bool IsPolicyButton(int id) {
    for (const PolicyGroup* group : kReadOrder) {
        if (id == group->enable || id == group->disable || id == group->prompt ||
            (group->admin != 0 && id == group->admin)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool CActiveXPage::OnInit() {
    texts_.Capture(hwnd_);
    isInitialised = true;
    FillZoneList();
    SendMessageA(Item(IDC_ZONE_LIST), CB_SETCURSEL, 0, 0);
    RefreshPageControls();
    ApplyPageTexts();
    SetTimer(hwnd_, kNoteTimer, kNotePeriodMs, nullptr);
    noteBlinkPhase_ = 1;
    return true;
}

LRESULT CActiveXPage::OnSetActive() {
    ApplyPageTexts();
    return 0;
}

void CActiveXPage::OnDestroy() {
    KillTimer(hwnd_, kNoteTimer);
    if (zoneImages_ != nullptr) ImageList_Destroy(zoneImages_);
    zoneImages_ = nullptr;
}

bool CActiveXPage::OnCommand(int code, int id) {
    if (id == IDC_ZONE_LIST) {
        if (code == CBN_SELCHANGE) LoadZoneSettings();
        return true;
    }
    if (id == IDC_RUN_GROUP) return true;
    if (!IsPolicyButton(id)) return false;
    if (code == BN_CLICKED) SetModified(true);
    return true;
}

bool CActiveXPage::OnTimer(UINT_PTR timerId) {
    if (timerId != kNoteTimer) return false;
    ShowItem(IDC_ZONE_NOTE, noteBlinkPhase_ == 1);
    noteBlinkPhase_ = noteBlinkPhase_ == 1 ? 0 : 1;
    return true;
}

void CActiveXPage::ApplyPageTexts() {
    if (hwnd_ != nullptr) texts_.Apply(state_, hwnd_);
}

void CActiveXPage::FillZoneList() {
    // The system's small icon size, which grows with the DPI.
    const int width = GetSystemMetrics(SM_CXSMICON), height = GetSystemMetrics(SM_CYSMICON);
    zoneImages_ = ImageList_Create(width, height, ILC_MASK | ILC_COLOR32, 0, 2);
    for (const Zone& zone : kZones) {
        HICON icon =
            static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(zone.icon),
                                          IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
        ImageList_AddIcon(zoneImages_, icon);
        if (icon != nullptr) DestroyIcon(icon);
    }
    HWND list = Item(IDC_ZONE_LIST);
    SendMessageA(list, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(zoneImages_));
    for (int i = 0; i < 4; ++i) {
        COMBOBOXEXITEMA item = {};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = i;
        item.pszText = const_cast<char*>(kZones[i].name);
        item.iImage = i;
        item.iSelectedImage = i;
        SendMessageA(list, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    FitDroppedHeight(list, 4);
}

std::string CActiveXPage::SelectedZoneKey() const {
    const LRESULT selected = SendMessageA(Item(IDC_ZONE_LIST), CB_GETCURSEL, 0, 0);
    return kZonesKeyPath + std::to_string(selected + 1);
}

void CActiveXPage::RefreshPageControls() {
    if (hwnd_ == nullptr) return;
    SendMessageA(Item(IDC_ZONE_LIST), CB_SETCURSEL, 0, 0);
    LoadZoneSettings();
}

void CActiveXPage::LoadZoneSettings() {
    platform::RegKey key;
    key.Open(HKEY_CURRENT_USER, SelectedZoneKey());
    // One variable for all reads: a value that cannot be read takes the one read before it, and
    // a key that cannot be opened shows Enable everywhere.
    DWORD policy = kPolicyEnable;
    for (const PolicyGroup* group : kReadOrder) {
        key.QueryDword(group->value, &policy);
        const ZoneChoice choice = ChoiceForPolicy(policy, group->admin != 0);
        if (choice == ZoneChoice::None) continue;  // an unknown policy leaves the buttons
        CheckItem(group->enable, choice == ZoneChoice::Enable);
        CheckItem(group->disable, choice == ZoneChoice::Disable);
        CheckItem(group->prompt, choice == ZoneChoice::Prompt);
        if (group->admin != 0) CheckItem(group->admin, choice == ZoneChoice::AdminApproved);
    }
}

void CActiveXPage::ApplyZoneSettings() {
    if (hwnd_ == nullptr) return;
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, SelectedZoneKey()) != ERROR_SUCCESS) return;
    for (const PolicyGroup* group : kWriteOrder) {
        ZoneChoice choice = ZoneChoice::None;
        if (IsItemChecked(group->enable)) {
            choice = ZoneChoice::Enable;
        } else if (IsItemChecked(group->disable)) {
            choice = ZoneChoice::Disable;
        } else if (IsItemChecked(group->prompt)) {
            choice = ZoneChoice::Prompt;
        } else if (group->admin != 0 && IsItemChecked(group->admin)) {
            choice = ZoneChoice::AdminApproved;
        }
        if (const auto policy = PolicyForChoice(choice)) key.SetDword(group->value, *policy);
    }
}

}  // namespace pages
