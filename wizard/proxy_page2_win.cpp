#include "wizard/proxy_page2_win.h"

#include "core/language.h"
#include "res/resource.h"

namespace browsers {
namespace {

// Controls of the Internet Explorer group, shown and hidden together.
constexpr int kConnectionControls[] = {IDC_CONNECTIONS_GROUP,     IDC_CONNECTIONS_LIST,
                                       IDC_CONNECTIONS_CHECK_ALL, IDC_CONNECTIONS_UNCHECK_ALL,
                                       IDC_CONNECTIONS_LAN,       IDC_CONNECTIONS_DIALUP};
constexpr int kOperaControls[] = {IDC_CONNECTIONS_OPERA_GROUP, IDC_CONNECTIONS_OPERA6,
                                  IDC_CONNECTIONS_OPERA7};

}  // namespace

bool CMyPropertyPage2::OnInit() {
    InternetExplorerConnections& connections = context_.wizard.ieConnections;
    connections.LoadDialUpConnections(SetMode());
    std::vector<std::string> names;
    for (const DialUpConnectionInfo& connection : connections.connections) {
        names.push_back(connection.name);
    }
    list_.Attach(Item(IDC_CONNECTIONS_LIST));
    list_.Fill(core::GetWizardString(context_.appState, core::texts::kConnectionNameColumn), names,
               connections.disabledFlags);

    SetText(IDC_CONNECTIONS_OPERA_GROUP, core::texts::kOperaVersionGroup);
    SetText(IDC_CONNECTIONS_OPERA6, core::texts::kOpera6Choice);
    SetText(IDC_CONNECTIONS_OPERA7, core::texts::kOpera7Choice);
    SetText(IDC_CONNECTIONS_GROUP, core::texts::kConnectionTypeGroup);
    SetText(IDC_CONNECTIONS_LAN, core::texts::kLanChoice);
    SetText(IDC_CONNECTIONS_DIALUP, core::texts::kDialUpChoice);
    SetText(IDC_CONNECTIONS_CHECK_ALL, core::texts::kConnectionsCheckAll);
    SetText(IDC_CONNECTIONS_UNCHECK_ALL, core::texts::kConnectionsUncheckAll);
    if (SetMode()) {
        SetText(IDC_CONNECTIONS_GREY_NOTE, core::texts::kConnectionsSetGreyNote);
        SetText(IDC_CONNECTIONS_NOTE, core::texts::kConnectionsSetNote);
    } else {
        SetText(IDC_CONNECTIONS_GREY_NOTE, core::texts::kConnectionsResetGreyNote);
        SetText(IDC_CONNECTIONS_NOTE, core::texts::kConnectionsResetNote);
    }
    return true;
}

LRESULT CMyPropertyPage2::OnSetActive() {
    ShowPage(core::texts::kConnectionsPageTitle);
    const ConnectionChoices choices = ChooseConnections(context_.wizard, context_.config);
    for (int id : kOperaControls) ShowItem(id, choices.showOpera);
    if (choices.showOpera) {
        EnableItem(IDC_CONNECTIONS_OPERA6, choices.opera6Enabled);
        EnableItem(IDC_CONNECTIONS_OPERA7, choices.opera7Enabled);
    }
    for (int id : kConnectionControls) ShowItem(id, choices.showConnections);
    ShowItem(IDC_CONNECTIONS_GREY_NOTE, choices.showGreyNote);
    if (choices.showConnections) EnableItem(IDC_CONNECTIONS_DIALUP, choices.dialUpEnabled);
    ShowItem(IDC_CONNECTIONS_NOTE, choices.showNote);
    UpdateButtons();
    return 0;
}

bool CMyPropertyPage2::OnCommand(int code, int id) {
    if (code != BN_CLICKED) return false;
    WizardState& wizard = context_.wizard;
    const int checked = IsItemChecked(id) ? 1 : 0;
    switch (id) {
        case IDC_CONNECTIONS_LAN:
            wizard.lanChosen = checked;
            break;
        case IDC_CONNECTIONS_OPERA6:
            wizard.opera6Chosen = checked;
            break;
        case IDC_CONNECTIONS_OPERA7:
            wizard.opera7Chosen = checked;
            break;
        case IDC_CONNECTIONS_DIALUP:
            wizard.dialUpChosen = checked;
            EnableList(checked != 0);
            break;
        case IDC_CONNECTIONS_CHECK_ALL:
            list_.CheckAll();
            break;
        case IDC_CONNECTIONS_UNCHECK_ALL:
            list_.UncheckAll();
            break;
        default:
            return false;
    }
    UpdateButtons();
    return true;
}

bool CMyPropertyPage2::OnNotify(const NMHDR& header, LRESULT* result) {
    if (header.hwndFrom != list_.Handle()) return false;
    bool ticksChanged = false;
    const bool handled = list_.HandleNotify(header, result, &ticksChanged);
    if (ticksChanged) UpdateButtons();
    return handled;
}

LRESULT CMyPropertyPage2::OnWizardNext() {
    list_.StoreTicks(context_.wizard.ieConnections.connections);
    return PageDialogId(PageAfterConnections(context_.wizard));
}

void CMyPropertyPage2::EnableList(bool enabled) const {
    for (int id : {IDC_CONNECTIONS_LIST, IDC_CONNECTIONS_CHECK_ALL, IDC_CONNECTIONS_UNCHECK_ALL,
                   IDC_CONNECTIONS_GREY_NOTE}) {
        EnableItem(id, enabled);
    }
}

void CMyPropertyPage2::UpdateButtons() const {
    const bool next = ConnectionsNextEnabled(context_.wizard, list_.checkedCount);
    SetButtons(PSWIZB_BACK | (next ? PSWIZB_NEXT : 0));
}

}  // namespace browsers
