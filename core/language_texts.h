// Every language text the programs look up by id, with its English default: the one place an id
// and its default are written. Names say what the text is; kAllTexts lists every entry and
// kAllTextRanges every run of texts looked up by a computed id, so a test can check them against
// the shipped language files.
#pragma once

namespace core {

// Section of almost every text, and the one-letter-shorter section of the wizard's texts.
constexpr char kLanguageSection[] = "KorvoPopupKiller";
constexpr char kWizardLanguageSection[] = "KorvoPopuKiller";

// A text of the language file: its decimal id, its English default (a line break written as
// "\n" or "\r\n", where the file writes "#") and the section it is read from.
struct LanguageText {
    const char* id;
    const char* defaultText;
    const char* section = kLanguageSection;
};

// Texts whose ids are firstId, firstId + 1, ... firstId + count - 1, looked up by a computed id:
// the controls of a dialog, one text per control (their defaults are the controls' resource
// texts), and the main window's tab labels.
struct LanguageTextRange {
    int firstId;
    int count;
};

namespace texts {

// ---- The programs ----
constexpr LanguageText kAppTitle = {"99990", "Korvo Popup Killer"};
// The tray program's instance window and single-instance mutex; the other programs find the
// window by it, so it is the same in every language.
constexpr LanguageText kInstanceWindowTitle = {"9999", "Korvo Popup Killer.kv"};
constexpr LanguageText kFilesCorrupted = {
    "6001", "Sorry, but some files have been corrupted, you have to re-install the program"};
constexpr LanguageText kExitQuestion = {
    "6003",
    "You will not be able to browse the internet unless you change the proxy settings or "
    "starting the program again, click Yes to exit"};
constexpr LanguageText kExitCaption = {"6004", "Korvo Popup Killer"};

// ---- The hosts file entry that could not be written: one message, each part after the first on
// a line of its own ----
constexpr LanguageText kHostsNotWritable = {
    "6005", "Error, Can't write to the hosts file, the program may not run correctly"};
constexpr LanguageText kHostsManualFolder = {
    "6006",
    "\nTo perform it manually, go to your windows directory open the "
    "..\\[system folder]\\drivers\\etc\\"};
constexpr LanguageText kHostsManualOpen = {"6007",
                                           "\nopen the file with name HOSTS in any text editor"};
constexpr LanguageText kHostsManualAddLine = {
    "6008", "\nfinally add the following line at the end of the file"};
constexpr LanguageText kHostsManualEntry = {"6009", "\n127.0.0.1\tKorvoPopupKiller"};
// Banner blocking left as it was because the hosts file needs an administrator's rights.
constexpr LanguageText kBannerNeedsAdministrator = {
    "6020",
    "Banner blocking was not switched: the hosts file can only be changed by an "
    "administrator.\nStart Korvo Popup Killer as an administrator to switch banner blocking."};

// ---- The start-up prompt: which browsers still need the proxy, then its fixed parts ----
constexpr LanguageText kPromptIe = {
    "19000",
    "You have Internet Explorer browser installed,but you haven't configured the proxy "
    "settings\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptOpera6 = {
    "19001",
    "You have Opera 6 browser  installed, but you haven't configured the proxy "
    "settings\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptOpera7 = {
    "19002", "You have Opera 7 browser installed, but you haven't configured the proxy settings"};
constexpr LanguageText kPromptNetscape = {
    "19003",
    "You have netscape browser installed, but you haven't configured the proxy "
    "settings\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptIeOpera6 = {
    "19004",
    "You have Internet Explorer and Opera 6 browsers installed, but you haven't configured "
    "the proxy settings for any of them"};
constexpr LanguageText kPromptIeOpera7 = {
    "19005",
    "You have Internet Explorer and Opera 7 browsers installed, but you haven't configured "
    "the proxy settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptIeNetscape = {
    "19006",
    "You have Internet Explorer and netscape browsers installed, but you haven't configured "
    "the proxy settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptOpera6Opera7 = {
    "19007",
    "You have Opera 6 and Opera 7 browsers installed, but you haven't configured the proxy "
    "settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptOpera6Netscape = {
    "19008",
    "You have Opera 6 and netscape browsers installed, but you haven't configured the proxy "
    "settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptOpera7Netscape = {
    "19009",
    "You have Opera 7 and netscape browsers installed, but you haven't configured the proxy "
    "settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptOpera6Opera7Netscape = {
    "19010",
    "You have Opera 6, Opera 7 and netscape installed, but you haven't configured the proxy "
    "settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptAllBrowsers = {
    "19011",
    "You have Internet Explorer, Opera 6, Opera 7 and netscape installed, but you haven't "
    "configured the proxy settings for any of them\r\nDo you want to configure proxy "
    "settings now?"};
constexpr LanguageText kPromptIeOpera6Netscape = {
    "19015",
    "You have Internet Explorer, Opera 6, and netscape installed, but you haven't configured "
    "the proxy settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptIeOpera7Netscape = {
    "19016",
    "You have Internet Explorer, Opera 7, and netscape installed, but you haven't configured "
    "the proxy settings for any of them\r\nDo you want to configure proxy settings now?"};
// Not in the first prompt texts; composed in the same form as the others.
constexpr LanguageText kPromptIeOpera6Opera7 = {
    "19017",
    "You have Internet Explorer, Opera 6 and Opera 7 browsers installed, but you haven't "
    "configured the proxy settings for any of them\r\nDo you want to configure proxy "
    "settings now?"};
// The same questions for a Firefox user: Firefox named where the others say netscape.
constexpr LanguageText kPromptFirefox = {
    "19018",
    "You have Firefox browser installed, but you haven't configured the proxy "
    "settings\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptIeFirefox = {
    "19019",
    "You have Internet Explorer and Firefox browsers installed, but you haven't configured "
    "the proxy settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptOpera6Firefox = {
    "19020",
    "You have Opera 6 and Firefox browsers installed, but you haven't configured the proxy "
    "settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptIeOpera6Firefox = {
    "19021",
    "You have Internet Explorer, Opera 6, and Firefox installed, but you haven't configured "
    "the proxy settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptOpera7Firefox = {
    "19022",
    "You have Opera 7 and Firefox browsers installed, but you haven't configured the proxy "
    "settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptIeOpera7Firefox = {
    "19023",
    "You have Internet Explorer, Opera 7, and Firefox installed, but you haven't configured "
    "the proxy settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptOpera6Opera7Firefox = {
    "19024",
    "You have Opera 6, Opera 7 and Firefox installed, but you haven't configured the proxy "
    "settings for any of them\r\nDo you want to configure proxy settings now?"};
constexpr LanguageText kPromptAllBrowsersFirefox = {
    "19025",
    "You have Internet Explorer, Opera 6, Opera 7 and Firefox installed, but you haven't "
    "configured the proxy settings for any of them\r\nDo you want to configure proxy "
    "settings now?"};
constexpr LanguageText kPromptNote = {
    "19012",
    "\r\nNOTE: The program will not work properly unless you configure the proxy settings"};
constexpr LanguageText kPromptButtons = {
    "19013", "\r\nClick Yes to start the wizard\r\nNo to hide this message box forever."};
constexpr LanguageText kPromptWarning = {
    "19014",
    "WARNING\r\nProxy is not configured for some or all of your installed browsers and the "
    "program will not work properly with unconfigured browsers"};

// ---- The main window and the tray ----
constexpr LanguageText kTrayTipEnabled = {"5001", "Korvo Popup Killer Enabled"};
constexpr LanguageText kTrayTipDisabled = {"5002", "Korvo Popup Killer Disabled"};
constexpr LanguageText kMenuShowWindow = {"7001", "Show Korvo Popup Killer"};
constexpr LanguageText kMenuHideWindow = {"7002", "Hide Korvo Popup Killer"};
constexpr LanguageText kMenuEnableCatching = {"7003", "Enable Korvo Popup Killer"};
constexpr LanguageText kMenuDisableCatching = {"7004", "Disable Korvo Popup Killer"};
constexpr LanguageText kMenuShowCounter = {"7007", "Show Popup Count Window"};
constexpr LanguageText kMenuExit = {"7008", "Exit"};
constexpr LanguageText kMenuClearCounter = {"7009", "Clear Popup Counter"};
constexpr LanguageText kMenuBlockAds = {"7010", "Block Ads"};
constexpr LanguageText kMenuAbout = {"7011", "About"};
constexpr LanguageText kOkButton = {"10001", "OK"};
constexpr LanguageText kCancelButton = {"10002", "Cancel"};
constexpr LanguageText kApplyButton = {"10003", "Apply"};
// The main window's Help button and the tray menu's Help item.
constexpr LanguageText kHelp = {"10004", "Help"};

// ---- Catching pop-ups without a configured browser ----
constexpr LanguageText kConfigureBrowsersFirst = {
    "2252",
    "You can't enable Catching Pop-Ups as you didn't configure your browser(s).\nPlease go to "
    "Popups page to configure your browser(s)."};
constexpr LanguageText kCatchingOffNoBrowser = {
    "2253", "Catching Pop-Ups is disabled as there's not any configured browser."};
constexpr LanguageText kEnableCatchingQuestion = {
    "2254", "Catching Pop-Ups is currently disabled, Do you want to enable it?"};

// ---- The page a secure site that cannot be trusted is answered with, one text per kind of
// proxy::SecureText and in its order; the page carries them in UTF-8 ----
constexpr LanguageText kSecureTitle = {"13001", "Secure connection failed"};
constexpr LanguageText kSecureCannotOpen = {"13002", "Korvo Popup Killer did not open"};
constexpr LanguageText kSecureBecause = {"13003",
                                         "because its secure connection cannot be trusted:"};
constexpr LanguageText kSecureExpired = {"13004",
                                         "The site's certificate has expired or is not valid yet."};
constexpr LanguageText kSecureWrongHost = {"13005",
                                           "The site's certificate was made for another site."};
constexpr LanguageText kSecureSelfSigned = {
    "13006",
    "The site's certificate is signed only by itself, not by an authority this computer trusts."};
constexpr LanguageText kSecureUnknownIssuer = {
    "13007", "The site's certificate comes from an authority this computer does not trust."};
constexpr LanguageText kSecureRevoked = {"13008", "The site's certificate has been revoked."};
constexpr LanguageText kSecureBadCertificate = {"13009", "The site's certificate cannot be used."};
constexpr LanguageText kSecureOldProtocol = {
    "13010", "The site offers only old, unsafe kinds of secure connection."};
constexpr LanguageText kSecureHandshakeFailed = {
    "13011", "The secure connection to the site could not be made."};
constexpr LanguageText kSecureNothingShown = {
    "13012", "Nothing of the site was shown. Check the address, or try again later."};
// Shown once when the root for secure pages cannot be made; "%s" is the system's reason.
constexpr LanguageText kSecureRootFailed = {
    "13013",
    "Secure (https) pages cannot be filtered: their root of trust could not be made (%s).\n"
    "They reach the browser unfiltered."};
constexpr LanguageText kSecurePageTexts[] = {
    kSecureTitle,          kSecureCannotOpen,  kSecureBecause,         kSecureExpired,
    kSecureWrongHost,      kSecureSelfSigned,  kSecureUnknownIssuer,   kSecureRevoked,
    kSecureBadCertificate, kSecureOldProtocol, kSecureHandshakeFailed, kSecureNothingShown,
};

// ---- Browser configuration: results and errors ("%s", "%s1", "%s2" are filled in) ----
constexpr LanguageText kNetscapeSetCaption = {"2239", "Netscape Proxy Setting"};
constexpr LanguageText kNetscapeSetDone = {
    "2240",
    "Netscape proxy has been set successfully. Settings Will take effect from the second "
    "launch for Netscape."};
constexpr LanguageText kNetscapeResetDone = {
    "2257", "Netscape settings will take effect from the second launch"};
constexpr LanguageText kNetscapeResetCaption = {"2258", "Reset Netscape Proxy Settings"};
// The same messages for a Firefox profile (a Mozilla browser the older texts call Netscape).
constexpr LanguageText kFirefoxSetCaption = {"19026", "Firefox Proxy Setting"};
constexpr LanguageText kFirefoxSetDone = {
    "19027",
    "Firefox proxy has been set successfully. Settings will take effect the next time Firefox "
    "starts."};
constexpr LanguageText kFirefoxResetDone = {
    "19028", "Firefox settings will take effect the next time Firefox starts"};
constexpr LanguageText kFirefoxResetCaption = {"19029", "Reset Firefox Proxy Settings"};
constexpr LanguageText kFirefoxSetFailed = {
    "19030", "Error, Failed to set Firefox's profile %s1 proxy setting because %s2 doesn't exist."};
constexpr LanguageText kFirefoxResetFailed = {
    "19031",
    "Error, Failed to reset Firefox's profile %s1 proxy setting because %s2 doesn't exist."};
constexpr LanguageText kIeSetFailed = {"2241",
                                       "Error, Failed to set Internet Explorer proxy setting."};
constexpr LanguageText kNetscapeSetFailed = {
    "2242", "Error, Failed to set Netscape's profile %s1 proxy setting because %s2 doesn't exist."};
constexpr LanguageText kNetscapeResetFailed = {
    "2243",
    "Error, Failed to reset Netscape's profile %s1 proxy setting because %s2 doesn't exist."};
constexpr LanguageText kIeResetFailed = {"2244",
                                         "Error, Failed to reset Internet Explorer proxy setting."};
constexpr LanguageText kOpera6SetFailed = {
    "2245", "Error, Failed to set Opera 6 proxy setting because %s doesn't exist."};
constexpr LanguageText kOpera7SetFailed = {
    "2246", "Error, Failed to set Opera 7 proxy setting because %s doesn't exist."};
constexpr LanguageText kOperaBothSetFailed = {
    "2247",
    "Error, Failed to set Opera 6 and Opera 7 proxy setting because %s1 and %s2 don't exist."};
constexpr LanguageText kOpera6ResetFailed = {
    "2248", "Error, Failed to reset Opera 6 proxy setting because %s doesn't exist."};
constexpr LanguageText kOpera7ResetFailed = {
    "2249", "Error, Failed to reset Opera 7 proxy setting because %s doesn't exist."};
constexpr LanguageText kOperaBothResetFailed = {
    "2250",
    "Error, Failed to reset Opera 6 and Opera 7 proxy setting because %s1 and %s2 don't exist."};
constexpr LanguageText kOperaKeyMissing = {
    "2251",
    "Error, Failed to set Opera proxy setting because Opera key doesn't exist in the Registry."};

// ---- The proxy configuration wizard (its own section) ----
constexpr LanguageText kWizardBack = {"2603", "< Back", kWizardLanguageSection};
constexpr LanguageText kWizardNext = {"2604", "Next >", kWizardLanguageSection};
constexpr LanguageText kWizardCancel = {"2103", "Cancel", kWizardLanguageSection};

constexpr LanguageText kBrowsersPageTitle = {"2900", "Browsers Selection", kWizardLanguageSection};
constexpr LanguageText kBrowsersSetInstruction = {
    "2901", "Choose the browsers you want to set their proxy server.", kWizardLanguageSection};
constexpr LanguageText kBrowsersNetscape = {"2902", "&Netscape 7.0 or higher.",
                                            kWizardLanguageSection};
constexpr LanguageText kBrowsersOpera = {"2903", "&Opera.", kWizardLanguageSection};
constexpr LanguageText kBrowsersIe = {"2904", "&Internet Explorer or AOL or Both.",
                                      kWizardLanguageSection};
constexpr LanguageText kBrowsersSetNote = {
    "2905",
    "The disabled browsers are either not installed in your system or their proxy settings "
    "were set before.",
    kWizardLanguageSection};
constexpr LanguageText kBrowsersResetInstruction = {
    "2906", "Choose the browsers you want to reset their proxy server.", kWizardLanguageSection};
constexpr LanguageText kBrowsersNoneToReset = {
    "2907", "You haven't any configured browser to reset it.", kWizardLanguageSection};
constexpr LanguageText kBrowsersResetNote = {
    "2908",
    "The disabled browsers are either not installed in your system or their proxy settings "
    "aren't set.",
    kWizardLanguageSection};

// The Mozilla choice's label when Firefox is installed, and the note on the browsers that take
// their proxy from the system settings (the ones the Internet Explorer choice writes).
constexpr LanguageText kBrowsersFirefox = {"2909", "&Firefox, Netscape 7 or Mozilla.",
                                           kWizardLanguageSection};
constexpr LanguageText kBrowsersChromeEdgeFollow = {
    "2910",
    "Google Chrome and Microsoft Edge use the system's proxy settings: the Internet Explorer "
    "choice changes them for these browsers too.",
    kWizardLanguageSection};
constexpr LanguageText kBrowsersChromeFollows = {
    "2911",
    "Google Chrome uses the system's proxy settings: the Internet Explorer choice changes them "
    "for Chrome too.",
    kWizardLanguageSection};
constexpr LanguageText kBrowsersEdgeFollows = {
    "2912",
    "Microsoft Edge uses the system's proxy settings: the Internet Explorer choice changes "
    "them for Edge too.",
    kWizardLanguageSection};

constexpr LanguageText kConnectionsPageTitle = {"3000", "Proxy Settings", kWizardLanguageSection};
constexpr LanguageText kOperaVersionGroup = {"3001", "Choose your Opera version",
                                             kWizardLanguageSection};
constexpr LanguageText kOpera6Choice = {"3002", "Opera 6.05", kWizardLanguageSection};
constexpr LanguageText kOpera7Choice = {"3003", "Opera 7.11", kWizardLanguageSection};
constexpr LanguageText kConnectionTypeGroup = {"3004", "Choose your connection type",
                                               kWizardLanguageSection};
constexpr LanguageText kLanChoice = {"3005", "LAN", kWizardLanguageSection};
constexpr LanguageText kDialUpChoice = {"3006", "Dial-up Connection", kWizardLanguageSection};
constexpr LanguageText kConnectionsSetGreyNote = {
    "3007", "The gray dial up connections were set before, so you can't select them.",
    kWizardLanguageSection};
constexpr LanguageText kConnectionsCheckAll = {"3008", "&Check All", kWizardLanguageSection};
constexpr LanguageText kConnectionsUncheckAll = {"3009", "&Uncheck All", kWizardLanguageSection};
constexpr LanguageText kConnectionsSetNote = {
    "3010", "The disabled items are either not installed in your system or were configured before.",
    kWizardLanguageSection};
constexpr LanguageText kConnectionsResetGreyNote = {
    "3011", "The gray dial up connections aren't set, so you can't select them.",
    kWizardLanguageSection};
constexpr LanguageText kConnectionsResetNote = {
    "3012",
    "The disabled browsers are either not installed in your system or their proxy settings "
    "aren't set.",
    kWizardLanguageSection};
constexpr LanguageText kConnectionNameColumn = {"3013", "Connection Name", kWizardLanguageSection};

constexpr LanguageText kProfilesPageTitle = {"3100", "Netscape Proxy Setting",
                                             kWizardLanguageSection};
// The same title when Firefox's profiles are among those listed.
constexpr LanguageText kProfilesPageTitleFirefox = {"3107", "Firefox and Netscape Proxy Setting",
                                                    kWizardLanguageSection};
constexpr LanguageText kProfilesGroup = {"3101", "Choose your profile(s)", kWizardLanguageSection};
constexpr LanguageText kProfilesSetGreyNote = {
    "3102", "The gray Profiles were set before, so you can't select them.", kWizardLanguageSection};
constexpr LanguageText kProfilesResetGreyNote = {
    "3103", "The gray Profiles aren't set, so you can't select them.", kWizardLanguageSection};
constexpr LanguageText kProfileNameColumn = {"3104", "Profile Name", kWizardLanguageSection};
constexpr LanguageText kProfilesCheckAll = {"3105", "&Check All", kWizardLanguageSection};
constexpr LanguageText kProfilesUncheckAll = {"3106", "&Uncheck All", kWizardLanguageSection};

constexpr LanguageText kFinishPageTitle = {"3200", "Finish", kWizardLanguageSection};
constexpr LanguageText kFinishText = {
    "3201", "Press Finish to complete your browser(s) configuration.", kWizardLanguageSection};

// ---- Texts by computed id ----
// The main window's tabs, by tab index; they have no English default of their own.
constexpr LanguageTextRange kTabLabels = {11000, 3};
// The controls of the dialogs and pages, in key order.
constexpr LanguageTextRange kPopupCountTexts = {2001, 1};
constexpr LanguageTextRange kTrayHintTexts = {18001, 3};
constexpr LanguageTextRange kAboutTexts = {12000, 3};
constexpr LanguageTextRange kCatchPopupsTexts = {1001, 1};  // 1002 and 1003 name no control
constexpr LanguageTextRange kPopupsPageTexts = {1004, 7};
constexpr LanguageTextRange kActiveXPageTexts = {8001, 23};
constexpr LanguageTextRange kOptionsPageTexts = {9001, 12};

constexpr LanguageText kAllTexts[] = {
    kAppTitle,
    kInstanceWindowTitle,
    kFilesCorrupted,
    kExitQuestion,
    kExitCaption,
    kHostsNotWritable,
    kHostsManualFolder,
    kHostsManualOpen,
    kHostsManualAddLine,
    kHostsManualEntry,
    kBannerNeedsAdministrator,
    kPromptIe,
    kPromptOpera6,
    kPromptOpera7,
    kPromptNetscape,
    kPromptIeOpera6,
    kPromptIeOpera7,
    kPromptIeNetscape,
    kPromptOpera6Opera7,
    kPromptOpera6Netscape,
    kPromptOpera7Netscape,
    kPromptOpera6Opera7Netscape,
    kPromptAllBrowsers,
    kPromptIeOpera6Netscape,
    kPromptIeOpera7Netscape,
    kPromptIeOpera6Opera7,
    kPromptFirefox,
    kPromptIeFirefox,
    kPromptOpera6Firefox,
    kPromptIeOpera6Firefox,
    kPromptOpera7Firefox,
    kPromptIeOpera7Firefox,
    kPromptOpera6Opera7Firefox,
    kPromptAllBrowsersFirefox,
    kPromptNote,
    kPromptButtons,
    kPromptWarning,
    kTrayTipEnabled,
    kTrayTipDisabled,
    kMenuShowWindow,
    kMenuHideWindow,
    kMenuEnableCatching,
    kMenuDisableCatching,
    kMenuShowCounter,
    kMenuExit,
    kMenuClearCounter,
    kMenuBlockAds,
    kMenuAbout,
    kOkButton,
    kCancelButton,
    kApplyButton,
    kHelp,
    kConfigureBrowsersFirst,
    kCatchingOffNoBrowser,
    kEnableCatchingQuestion,
    kSecureTitle,
    kSecureCannotOpen,
    kSecureBecause,
    kSecureExpired,
    kSecureWrongHost,
    kSecureSelfSigned,
    kSecureUnknownIssuer,
    kSecureRevoked,
    kSecureBadCertificate,
    kSecureOldProtocol,
    kSecureHandshakeFailed,
    kSecureNothingShown,
    kSecureRootFailed,
    kFirefoxSetCaption,
    kFirefoxSetDone,
    kFirefoxResetDone,
    kFirefoxResetCaption,
    kFirefoxSetFailed,
    kFirefoxResetFailed,
    kNetscapeSetCaption,
    kNetscapeSetDone,
    kNetscapeResetDone,
    kNetscapeResetCaption,
    kIeSetFailed,
    kNetscapeSetFailed,
    kNetscapeResetFailed,
    kIeResetFailed,
    kOpera6SetFailed,
    kOpera7SetFailed,
    kOperaBothSetFailed,
    kOpera6ResetFailed,
    kOpera7ResetFailed,
    kOperaBothResetFailed,
    kOperaKeyMissing,
    kWizardBack,
    kWizardNext,
    kWizardCancel,
    kBrowsersPageTitle,
    kBrowsersSetInstruction,
    kBrowsersNetscape,
    kBrowsersOpera,
    kBrowsersIe,
    kBrowsersSetNote,
    kBrowsersResetInstruction,
    kBrowsersNoneToReset,
    kBrowsersResetNote,
    kBrowsersFirefox,
    kBrowsersChromeEdgeFollow,
    kBrowsersChromeFollows,
    kBrowsersEdgeFollows,
    kConnectionsPageTitle,
    kOperaVersionGroup,
    kOpera6Choice,
    kOpera7Choice,
    kConnectionTypeGroup,
    kLanChoice,
    kDialUpChoice,
    kConnectionsSetGreyNote,
    kConnectionsCheckAll,
    kConnectionsUncheckAll,
    kConnectionsSetNote,
    kConnectionsResetGreyNote,
    kConnectionsResetNote,
    kConnectionNameColumn,
    kProfilesPageTitle,
    kProfilesPageTitleFirefox,
    kProfilesGroup,
    kProfilesSetGreyNote,
    kProfilesResetGreyNote,
    kProfileNameColumn,
    kProfilesCheckAll,
    kProfilesUncheckAll,
    kFinishPageTitle,
    kFinishText,
};

constexpr LanguageTextRange kAllTextRanges[] = {
    kTabLabels,        kPopupCountTexts, kTrayHintTexts,    kAboutTexts,
    kCatchPopupsTexts, kPopupsPageTexts, kActiveXPageTexts, kOptionsPageTexts,
};

}  // namespace texts
}  // namespace core
