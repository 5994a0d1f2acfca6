// An application object for one test: its context is bound to the process's application state
// and settings record as the program's is, and whatever the test changes in them is put back
// when the test ends.
#pragma once

#include "app/popup_killer_app_win.h"
#include "core/app_state.h"
#include "proxy/settings.h"
#include "shell/app_context_win.h"

namespace test_app {

inline void CopySettings(const proxy::AppSettings& from, proxy::AppSettings& to) {
    using proxy::AppSettings;
    static constexpr proxy::Setting AppSettings::*kNumbers[] = {&AppSettings::PopupPort,
                                                                &AppSettings::GatewayPort,
                                                                &AppSettings::GatewayEnable,
                                                                &AppSettings::BannerBlock,
                                                                &AppSettings::Startup,
                                                                &AppSettings::EventMask,
                                                                &AppSettings::DisplayOnTop,
                                                                &AppSettings::Disabled,
                                                                &AppSettings::UseDefaultBufferSizes,
                                                                &AppSettings::BufferSize,
                                                                &AppSettings::DNSCacheSize,
                                                                &AppSettings::DNSCacheDisable,
                                                                &AppSettings::DisableProxy,
                                                                &AppSettings::PopupCheckEnabled,
                                                                &AppSettings::PlayWave,
                                                                &AppSettings::ConnectionTimeOut,
                                                                &AppSettings::UseDefaultTimeOut,
                                                                &AppSettings::FilterSecurePages};
    for (auto field : kNumbers) (to.*field).store((from.*field).load());
    to.PopupIP.Set(from.PopupIP.Get());
    to.GatewayIP.Set(from.GatewayIP.Get());
}

class TestApp {
  public:
    // The skins exist, as the program's do, but hold nothing: a test that wants one writes its
    // file into the installation folder and loads the skins again.
    TestApp() : savedState_(app_.Context().state) {
        CopySettings(app_.Context().settings, savedSettings_);
        app_.Context().LoadSkins();
    }
    ~TestApp() {
        shell::AppContext& app = app_.Context();
        app.counterDialog.reset();
        app.state = savedState_;
        CopySettings(savedSettings_, app.settings);
    }
    TestApp(const TestApp&) = delete;
    TestApp& operator=(const TestApp&) = delete;

    core::CPopupKillerApp& App() { return app_; }
    shell::AppContext& Context() { return app_.Context(); }
    core::AppState& State() { return app_.Context().state; }
    proxy::AppSettings& Settings() { return app_.Context().settings; }

  private:
    core::CPopupKillerApp app_;
    core::AppState savedState_;
    proxy::AppSettings savedSettings_;
};

}  // namespace test_app
