// KorvoUIn, the uninstaller: run once, without windows, when the product is removed. It removes
// the root of trust made for secure pages, takes the program's lines out of the hosts file,
// tells a running tray program, and takes every browser that still points at the local proxy
// off it again.
#pragma once

#include <string>

#include "browsers/browser_state.h"
#include "browsers/internet_explorer.h"

namespace uninstall {

class Uninstaller {
  public:
    // userFolder is the user's folder of the program's files (core::UserFilesFolder).
    Uninstaller();
    virtual ~Uninstaller() = default;
    Uninstaller(const Uninstaller&) = delete;
    Uninstaller& operator=(const Uninstaller&) = delete;

    // The whole run, in this order: the application key and its "Proxy Setting" key (the steps
    // up to ResetAllBrowsers are left out when the key has no "Proxy Setting"), "Path" and
    // "Language", RestoreHostsFile, NotifyTrayProgram, ResetAllBrowsers, and last
    // RemoveSecureRoot (always: a root of trust must not outlive the product). A user without
    // the key, uninstalling an installation for everyone that user never started, has "Path" and
    // "Language" from the machine's defaults (HKEY_LOCAL_MACHINE, same path): the hosts file,
    // shared by all users, is still put right; with neither key those steps are left out.
    // Returns the process exit code, always 0.
    int Run();

    // Removes the secure pages' root kept in rootFolder from the user's (and, where allowed,
    // the machine's) Root store and deletes its keys and files (platform::RemoveTlsRoot). False
    // when some of it is left; the reason goes to the debugger output.
    bool RemoveSecureRoot();

    // Takes the program's lines out of the hosts file and deletes the backup "mHosts" of `path`
    // and of userFolder (see browsers::RemoveProgramHostsEntries). False when the hosts file
    // could not be rewritten.
    bool RestoreHostsFile();

    // Fills `state`: the five flags of "Proxy Setting", the installed browsers, then the live
    // test of each browser whose flag is 0. Writes nothing.
    void LoadUninstallBrowserState();

    // LoadUninstallBrowserState, then resets Internet Explorer, the Netscape/Mozilla profiles and
    // Opera, each only when it counts as configured. A failure shows one error box (caption: the
    // program title of the language file) and the next browser is handled.
    void ResetAllBrowsers();

    // "Path" of the application key: the installation folder, without a trailing backslash.
    std::string path;
    // Where the tray program kept its run-time files when it could not write `path`, without a
    // trailing backslash; "" when there is no such folder.
    std::string userFolder;
    // "Language", or "English" when it cannot be read.
    std::string language = "English";
    // The tray program's window title from the uninstaller's language file
    // (core::InstanceWindowTitle).
    std::string trayTitle;
    // The folder of the secure pages' root (core::SecureRootFolder).
    std::string rootFolder;
    browsers::BrowserConfigState state;
    browsers::InternetExplorerConnections connections;

  protected:
    // Posts message 9000 to the top-level window titled trayTitle, when there is one, and waits
    // up to kTrayEndWaitMs for its program to end, so that the root's keys are no longer in use
    // when they are deleted.
    virtual void NotifyTrayProgram();
    static constexpr int kTrayEndWaitMs = 10000;

  private:
    // Run's steps but the last.
    void UninstallProduct();
    std::string LanguageFile() const;
};

}  // namespace uninstall
