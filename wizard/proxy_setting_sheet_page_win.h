// What the four pages of the proxy configuration wizard share: the context handed to each of
// them, their base class, and the check list of the connection and profile pages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "browsers/browser_state.h"
#include "browsers/proxy_setting_sheet_rules.h"
#include "browsers/wizard_state.h"
#include "core/app_state.h"
#include "core/language_texts.h"
#include "platform/win/check_list_view.h"
#include "platform/win/property_sheet.h"

namespace browsers {

// One object for the whole wizard, handed to every page: the choices, the browsers' state that
// the pages read and Finish updates, the application state whose start-up prompt a Cancel asks
// for again, and the program's look for the pages.
struct WizardContext {
    WizardContext(BrowserConfigState& browsers, core::AppState& state, platform::Look* pageLook)
        : config(browsers), appState(state), look(pageLook) {}

    WizardState wizard;
    BrowserConfigState& config;
    core::AppState& appState;
    platform::Look* look;    // null: the pages stay plain
    bool cancelled = false;  // the user left the wizard by Cancel
};

// The dialog resource of a page, as Next and Back answer it to jump.
int PageDialogId(WizardPage page);

class CWizardPage : public platform::PropertyPage {
  public:
    explicit CWizardPage(WizardContext& context) : context_(context) { SetLook(context.look); }

  protected:
    bool SetMode() const { return context_.wizard.setMode != 0; }
    // PSWIZB_* buttons of the sheet.
    void SetButtons(DWORD buttons) const { PropSheet_SetWizButtons(Sheet(), buttons); }
    // Text of a control from the wizard's language section.
    void SetText(int controlId, const core::LanguageText& text) const;
    // What every page does when it is shown: the look again, and the page's title in the
    // caption (the text title; its default is the page's resource title).
    void ShowPage(const core::LanguageText& title);
    // Sets the title of ShowPage again once the sheet has shown the page.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnReset() override { context_.cancelled = true; }

    WizardContext& context_;

  private:
    std::string title_;  // of the page's last ShowPage
};

// The check list of a page: a list view with check boxes whose disabled entries are drawn grey
// and can never stay ticked. disabledFlags belong to the list's owner object (the connections
// or the profiles), in the order of the items.
class ProxyCheckListCtrl : public platform::CheckListView {
  public:
    // Prepares the list and adds one item per name.
    void Fill(const std::string& columnTitle, const std::vector<std::string>& names,
              const std::vector<int>& disabledFlags);
    // Answers the list's own notifications (header from this list). Returns true when handled;
    // a change of ticks updates checkedCount and returns true in *ticksChanged.
    bool HandleNotify(const NMHDR& header, LRESULT* result, bool* ticksChanged);
    // Ticks every enabled item / clears every tick; checkedCount follows.
    void CheckAll();
    void UncheckAll();
    // Copies each item's tick into isChecked of the entry with the same index.
    template <typename Entries>
    void StoreTicks(Entries& entries) const {
        for (std::size_t i = 0; i < entries.size() && static_cast<int>(i) < Count(); ++i) {
            entries[i].isChecked = IsChecked(static_cast<int>(i)) ? 1 : 0;
        }
    }

    int checkedCount = 0;

  private:
    bool IsDisabled(int index) const {
        return index >= 0 && static_cast<std::size_t>(index) < disabled_.size() &&
               disabled_[index] != 0;
    }

    std::vector<int> disabled_;
};

}  // namespace browsers
