// Resource ids of KorvoPop: dialogs, their controls, menus, icons and strings. Shared by the
// resource script (windres) and the C++ code, so only preprocessor definitions live here. A
// control id is named after its dialog, since the same number means different controls in
// different dialogs.
#pragma once

// ---- Dialogs ----
#define IDD_ABOUT 100
#define IDD_POPUP_COUNT 101
#define IDD_POPUPS_PAGE 106
#define IDD_OPTIONS_PAGE 107
#define IDD_ACTIVEX_PAGE 108
#define IDD_SPLASH 109
#define IDD_WIZARD_BROWSERS 113
#define IDD_WIZARD_CONNECTIONS 114
#define IDD_WIZARD_PROFILES 115
#define IDD_WIZARD_FINISH 116
#define IDD_TRAY_HINT 156

// ---- Menus ----
#define IDR_TRAY_MENU 130

// ---- Icons ----
#define IDI_CATCHING_ON 133
#define IDI_CATCHING_OFF 136
#define IDI_ZONE_TRUSTED 139
#define IDI_ZONE_INTERNET 140
#define IDI_ZONE_INTRANET 141
#define IDI_ZONE_RESTRICTED 142
#define IDI_PROGRAM 143

// ---- Strings ----
#define IDS_ABOUT_ITEM 101
#define IDS_SOCKETS_INIT_FAILED 103
#define IDS_MAIN_CAPTION 104

// ---- Tray menu commands ----
#define IDM_TOGGLE_WINDOW 32771
#define IDM_TOGGLE_CATCHING 32772
#define IDM_EXIT 32775
#define IDM_SHOW_COUNTER 32777
#define IDM_CLEAR_COUNTER 32778
#define IDM_BLOCK_ADS 32779
#define IDM_ABOUT 32780
#define IDM_HELP 9

// The system menu's About item.
#define IDM_SYSTEM_ABOUT 16

// ---- The skin controls hosted by the dialogs ----
#define IDC_SKIN 1034
#define IDC_SKIN_ACTIVEX 1040
#define IDC_SKIN_WIZARD4 1068
#define IDC_SPLASH 1057

// ---- About (100) ----
#define IDC_ABOUT_COPYRIGHT 1047
#define IDC_ABOUT_VERSION_LABEL 1005
#define IDC_ABOUT_VERSION 1046
#define IDC_ABOUT_WEBSITE 1019

// ---- Counter window (101) ----
#define IDC_COUNT_LABEL 1005
#define IDC_COUNT 1013

// ---- Popups page (106) ----
#define IDC_CATCH_POPUPS 1000
#define IDC_SOUND_ALERT 1001
#define IDC_BANNER_BLOCK 1030
#define IDC_FILTER_SECURE 1031
#define IDC_SET_PROXY 1019
#define IDC_RESET_PROXY 1020
#define IDC_NOT_CONFIGURED_WARNING 1033
#define IDC_CONFIGURE_GROUP 1015

// ---- Options page (107) ----
#define IDC_STARTUP_GROUP 1005
#define IDC_STARTUP_WINDOWS 1006
#define IDC_STARTUP_MANUAL 1007
#define IDC_STARTUP_IE 1008
#define IDC_GENERAL_GROUP 1009
#define IDC_LANGUAGE_LIST 1010
#define IDC_LANGUAGE_GROUP 1015
#define IDC_TEST_SOUND 1019
#define IDC_ALWAYS_ON_TOP 1020
#define IDC_CLOSE_TO_TRAY 1021
#define IDC_SOUND_GROUP 1027
#define IDC_CURRENT_SOUND 1028
#define IDC_CURRENT_SOUND_LABEL 1029
#define IDC_CHANGE_SOUND_LABEL 1030
#define IDC_SOUND_LIST 1032

// ---- ActiveX page (108) ----
#define IDC_ZONE_LABEL 1022
#define IDC_ZONE_LIST 1023
#define IDC_SIGNED_GROUP 1015
#define IDC_SIGNED_ENABLE 1024
#define IDC_SIGNED_DISABLE 1025
#define IDC_SIGNED_PROMPT 1026
#define IDC_UNSIGNED_GROUP 1009
#define IDC_UNSIGNED_ENABLE 1030
#define IDC_UNSIGNED_DISABLE 1031
#define IDC_UNSIGNED_PROMPT 1032
#define IDC_UNSAFE_GROUP 1027
#define IDC_UNSAFE_ENABLE 1033
#define IDC_UNSAFE_DISABLE 1034
#define IDC_UNSAFE_PROMPT 1035
#define IDC_SAFE_GROUP 1028
#define IDC_SAFE_ENABLE 1036
#define IDC_SAFE_DISABLE 1037
#define IDC_SAFE_PROMPT 1038
#define IDC_RUN_GROUP 1029
#define IDC_RUN_ENABLE 1043
#define IDC_RUN_DISABLE 1044
#define IDC_RUN_PROMPT 1045
#define IDC_RUN_ADMIN_APPROVED 1046
#define IDC_ZONE_NOTE 1074

// ---- Tray hint (156) ----
#define IDC_HINT_DONT_SHOW 1044
#define IDC_HINT_TEXT 1045
#define IDC_HINT_FRAME 1055

// ---- Wizard pages ----
// Browsers selection (113)
#define IDC_BROWSERS_INSTRUCTION 1027
#define IDC_BROWSERS_NOTE 1028
#define IDC_BROWSERS_IE 1064
#define IDC_BROWSERS_NETSCAPE 1065
#define IDC_BROWSERS_OPERA 1066
#define IDC_BROWSERS_SYSTEM_NOTE 1130  // Chrome and Edge follow the system settings
// Proxy settings (114): Internet Explorer's connections and the Opera version
#define IDC_CONNECTIONS_GROUP 1009
#define IDC_CONNECTIONS_OPERA_GROUP 1015
#define IDC_CONNECTIONS_GREY_NOTE 1027
#define IDC_CONNECTIONS_NOTE 1028
#define IDC_CONNECTIONS_LAN 1064
#define IDC_CONNECTIONS_CHECK_ALL 1074
#define IDC_CONNECTIONS_UNCHECK_ALL 1075
#define IDC_CONNECTIONS_LIST 1119
#define IDC_CONNECTIONS_DIALUP 1120
#define IDC_CONNECTIONS_OPERA6 1121
#define IDC_CONNECTIONS_OPERA7 1122
// Netscape profiles (115)
#define IDC_PROFILES_GREY_NOTE 1009
#define IDC_PROFILES_GROUP 1015
#define IDC_PROFILES_CHECK_ALL 1074
#define IDC_PROFILES_UNCHECK_ALL 1075
#define IDC_PROFILES_LIST 1125
// Finish (116)
#define IDC_FINISH_TEXT 1009

// ---- Version resource ----
#define KORVO_VERSION_NUMBERS 4, 2, 0, 0
#define KORVO_VERSION_TEXT "4, 2, 0, 0"

// ---- Window classes of the in-process controls the dialogs host ----
#define SKIN_CONTROL_CLASS "KorvoSkinControl"
#define SPLASH_CONTROL_CLASS "KorvoSplashControl"
