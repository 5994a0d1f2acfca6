; KorvoSetup.exe: installs Korvo Popup Killer from the laid-out installation folder and carries the
; uninstaller that removes it again. Built by the win32 build:
;   makensis -NOCD -INPUTCHARSET UTF8 -DOUTFILE=... -DFILE_LIST=... -DICON=... KorvoSetup.nsi
; run in the laid-out folder.
; Two ways to install: "Just for me" (no administrator rights: the user's
; %LOCALAPPDATA%\Programs, the user's keys and Add/Remove entry) and "For everyone"
; (administrator: Program Files, the machine's Add/Remove entry and the defaults each user's own
; application key is made from at that user's first start). /S installs or uninstalls silently;
; a silent installation takes the mode from /AllUsers or /CurrentUser (without either: for
; everyone when the account may, else just for the user). The uninstaller removes what its
; installation's mode made.

!ifndef OUTFILE | FILE_LIST | ICON
  !error "OUTFILE, FILE_LIST and ICON must be defined"
!endif

!define PRODUCT "Korvo Popup Killer"
!define VERSION "4.2.0.0"
!define PUBLISHER "Korvo Software"
!define APP_KEY "Software\${PRODUCT}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define IE_KEY "Software\Microsoft\Windows\CurrentVersion\Internet Settings"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALLER "Uninstall.exe"
; The tray program's hidden instance window and its quiet-exit message.
!define TRAY_TITLE "Korvo Popup Killer.kv"
!define MSG_QUIT_QUIETLY 32790

Unicode true
Name "${PRODUCT}"
OutFile "${OUTFILE}"
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

; The installation mode: the folder, the shell folders' context (SHCTX, $SMPROGRAMS) and the
; registry root of the Add/Remove entry follow it. An uninstaller finds its mode by the entry.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODEPAGE_TEXT_ALLUSERS "$(ForEveryone)"
!define MULTIUSER_INSTALLMODEPAGE_TEXT_CURRENTUSER "$(JustForMe)"
!include "MultiUser.nsh"
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "${FILE_LIST}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!define MUI_LANGDLL_REGISTRY_ROOT SHCTX
!define MUI_LANGDLL_REGISTRY_KEY "${APP_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"
!define MUI_FINISHPAGE_RUN "$INSTDIR\KorvoPop.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(RunProgram)"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_RESERVEFILE_LANGDLL

; The program's language file titles (Language\*.ini) for the installer's languages.
LangString ProgramLanguage ${LANG_ENGLISH} "English"
LangString ProgramLanguage ${LANG_GERMAN} "Deutsch"
LangString ForEveryone ${LANG_ENGLISH} "For everyone (needs administrator rights)"
LangString ForEveryone ${LANG_GERMAN} "Für alle Benutzer (benötigt Administratorrechte)"
LangString JustForMe ${LANG_ENGLISH} "Just for me"
LangString JustForMe ${LANG_GERMAN} "Nur für mich"
LangString RunProgram ${LANG_ENGLISH} "Start ${PRODUCT} now"
LangString RunProgram ${LANG_GERMAN} "${PRODUCT} jetzt starten"
LangString HelpLink ${LANG_ENGLISH} "${PRODUCT} Help"
LangString HelpLink ${LANG_GERMAN} "${PRODUCT} Hilfe"
LangString UninstallLink ${LANG_ENGLISH} "Uninstall ${PRODUCT}"
LangString UninstallLink ${LANG_GERMAN} "${PRODUCT} deinstallieren"
LangString SavingIE ${LANG_ENGLISH} "Saving Internet Explorer's proxy settings"
LangString SavingIE ${LANG_GERMAN} "Proxy-Einstellungen des Internet Explorers werden gesichert"
LangString EndingProgram ${LANG_ENGLISH} "Ending ${PRODUCT}"
LangString EndingProgram ${LANG_GERMAN} "${PRODUCT} wird beendet"
LangString ResettingBrowsers ${LANG_ENGLISH} "Resetting the browsers and the hosts file"
LangString ResettingBrowsers ${LANG_GERMAN} "Browser und hosts-Datei werden zurückgesetzt"

; Reads Internet Explorer's value named $R0 under the user's Internet settings: $R1 is its
; registry type as a number, "absent" when it does not exist, "unread" when it cannot be read
; (also a value of more than 64 bytes, a string excepted); $R2 its bytes as hexadecimal pairs
; separated by spaces ("01 00 00 00"), empty for a string of more than 64 bytes.
Function ReadInternetExplorerValue
  StrCpy $R1 "absent"
  StrCpy $R2 ""
  ; RegOpenKeyExW(HKCU, key, 0, KEY_QUERY_VALUE); RegQueryValueExW for the type and the size,
  ; then into a 64-byte buffer.
  System::Call 'advapi32::RegOpenKeyExW(p 0x80000001, t "${IE_KEY}", i 0, i 1, *p .R3) i .R4'
  ${If} $R4 != 0
    Return
  ${EndIf}
  System::Call 'advapi32::RegQueryValueExW(p R3, t R0, p 0, *i .R6, p 0, *i 0 R7) i .R4'
  ${If} $R4 == 0
    StrCpy $R1 $R6
  ${ElseIf} $R4 != 2
    StrCpy $R1 "unread"
  ${EndIf}
  ${If} $R4 == 0
  ${AndIf} $R7 > 64
    ${If} $R6 != 1
    ${AndIf} $R6 != 2
      StrCpy $R1 "unread"
    ${EndIf}
  ${ElseIf} $R4 == 0
    System::Call '*(&i64 0) p .R5'
    System::Call 'advapi32::RegQueryValueExW(p R3, t R0, p 0, p 0, p R5, *i 64 R7) i .R4'
    StrCpy $R8 0
    ${DoWhile} $R8 < $R7
      IntOp $R9 $R5 + $R8
      System::Call '*$R9(&i1 .R6)'
      IntOp $R6 $R6 & 0xFF
      IntFmt $R6 "%02X" $R6
      ${If} $R2 == ""
        StrCpy $R2 $R6
      ${Else}
        StrCpy $R2 "$R2 $R6"
      ${EndIf}
      IntOp $R8 $R8 + 1
    ${Loop}
    System::Free $R5
  ${EndIf}
  System::Call 'advapi32::RegCloseKey(p R3)'
FunctionEnd

; Saves Internet Explorer's proxy values as they are now into Browser.ini, section "IE
; Settings", where the helper's RestoreIE puts them back at uninstall time, each with its type:
; "Proxy" is the ProxyServer text, "ProxyEnable" and "ProxyHttp1.1" the values' bytes (see
; ReadInternetExplorerValue), "AutoConfigURL" its text, and "<name> Type" the type of each, "absent" for a value that did
; not exist, which the uninstallation deletes again. An earlier save that was never restored is
; kept: Internet Explorer may point at the proxy by now.
Function SaveInternetExplorerSettings
  DetailPrint "$(SavingIE)"
  ReadINIStr $0 "$INSTDIR\Browser.ini" "IE Settings" "Saved"
  ReadINIStr $1 "$INSTDIR\Browser.ini" "IE Settings" "Restored"
  ${If} $0 != ""
  ${AndIf} $1 == ""
    Return
  ${EndIf}
  DeleteINIStr "$INSTDIR\Browser.ini" "IE Settings" "Restored"
  ReadRegStr $0 HKCU "${IE_KEY}" "ProxyServer"
  WriteINIStr "$INSTDIR\Browser.ini" "IE Settings" "Proxy" $0
  StrCpy $R0 "ProxyServer"
  Call ReadInternetExplorerValue
  WriteINIStr "$INSTDIR\Browser.ini" "IE Settings" "ProxyServer Type" $R1
  StrCpy $R0 "ProxyEnable"
  Call ReadInternetExplorerValue
  WriteINIStr "$INSTDIR\Browser.ini" "IE Settings" "ProxyEnable" $R2
  WriteINIStr "$INSTDIR\Browser.ini" "IE Settings" "ProxyEnable Type" $R1
  StrCpy $R0 "ProxyHttp1.1"
  Call ReadInternetExplorerValue
  WriteINIStr "$INSTDIR\Browser.ini" "IE Settings" "ProxyHttp1.1" $R2
  WriteINIStr "$INSTDIR\Browser.ini" "IE Settings" "ProxyHttp1.1 Type" $R1
  ReadRegStr $0 HKCU "${IE_KEY}" "AutoConfigURL"
  WriteINIStr "$INSTDIR\Browser.ini" "IE Settings" "AutoConfigURL" $0
  StrCpy $R0 "AutoConfigURL"
  Call ReadInternetExplorerValue
  WriteINIStr "$INSTDIR\Browser.ini" "IE Settings" "AutoConfigURL Type" $R1
  WriteINIStr "$INSTDIR\Browser.ini" "IE Settings" "Saved" "1"
FunctionEnd

; Asks a running tray program to save and end through its quiet-exit message and waits for its
; process (at most 15 s), so its files are free to be replaced or removed and its last save is
; done before the browsers are reset. The title is the one of its language file, as the other
; programs of the product find it. For the installer and the uninstaller (PREFIX "un.").
!macro EndTrayProgram PREFIX
Function ${PREFIX}EndTrayProgram
  ReadRegStr $0 HKCU "${APP_KEY}" "Language"
  ReadINIStr $1 "$INSTDIR\Language\$0.ini" "KorvoPopupKiller" "9999"
  ${If} $1 == ""
    StrCpy $1 "${TRAY_TITLE}"
  ${EndIf}
  FindWindow $2 "" "$1"
  ${If} $2 == 0
    Return
  ${EndIf}
  DetailPrint "$(EndingProgram)"
  System::Call 'user32::GetWindowThreadProcessId(p r2, *i .r3)'
  ; SYNCHRONIZE
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r3) p .r4'
  System::Call 'user32::PostMessageW(p r2, i ${MSG_QUIT_QUIETLY}, p 0, p 0)'
  ${If} $4 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r4, i 15000) i .r5'
    System::Call 'kernel32::CloseHandle(p r4)'
  ${Else}
    StrCpy $5 0
    ${DoWhile} $5 < 150
      Sleep 100
      FindWindow $2 "" "$1"
      ${IfThen} $2 == 0 ${|} ${Break} ${|}
      IntOp $5 $5 + 1
    ${Loop}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro EndTrayProgram ""
!insertmacro EndTrayProgram "un."

Function .onInit
  !insertmacro MULTIUSER_INIT
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  ; Before anything of the product can change Internet Explorer's settings.
  Call SaveInternetExplorerSettings
  ; An installation over a running one replaces its programs.
  Call EndTrayProgram
  !insertmacro KorvoInstallFiles

  ; The application key. "Path" has no trailing backslash, "Install Path" has one. For
  ; everyone, these are the machine's defaults: each user's own key is made from them at that
  ; user's first start (the installing account may not be the user's). Just for me, the user's
  ; key itself; a reinstall keeps the count of caught pop-ups.
  WriteRegStr SHCTX "${APP_KEY}" "Install Path" "$INSTDIR\"
  WriteRegStr SHCTX "${APP_KEY}" "Path" "$INSTDIR"
  WriteRegStr SHCTX "${APP_KEY}" "Language" "$(ProgramLanguage)"
  WriteRegStr SHCTX "${APP_KEY}" "User Wav Path" "$INSTDIR\PopUp.wav"
  ${If} $MultiUser.InstallMode == "CurrentUser"
    ReadRegStr $0 HKCU "${APP_KEY}" "Blocked Popups"
    ${If} $0 == ""
      WriteRegStr HKCU "${APP_KEY}" "Blocked Popups" "0"
    ${EndIf}
    WriteRegDWORD HKCU "${APP_KEY}" "FirstRun" 1
    WriteRegDWORD HKCU "${APP_KEY}" "ShowAtStart" 1
  ${EndIf}

  ; The browser helper registers under the machine's keys: only an installation for everyone
  ; has the rights.
  ${If} $MultiUser.InstallMode == "AllUsers"
  ${AndIf} ${FileExists} "$INSTDIR\KorvoBHO.dll"
    ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\KorvoBHO.dll"'
  ${EndIf}

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\KorvoPop.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\$(HelpLink).lnk" "$INSTDIR\Help\KorvoHlp.chm"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\$(UninstallLink).lnk" "$INSTDIR\${UNINSTALLER}"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\KorvoPop.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd


; Ends every KorvoPop.exe process that is still there after the quiet exit: one that has no
; instance window yet, e.g. while its start-up prompt waits for an answer, would otherwise keep
; running from a removed folder. Nothing of its state is worth saving at this point.
Function un.TerminateTrayProcesses
  ; TH32CS_SNAPPROCESS; a PROCESSENTRY32W is 556 bytes, its first member its size.
  System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) p .r0'
  System::Call '*(i 556, i 0, i 0, p 0, i 0, i 0, i 0, i 0, i 0, &w260 "") p .r1'
  System::Call 'kernel32::Process32FirstW(p r0, p r1) i .r2'
  ${DoWhile} $2 <> 0
    System::Call '*$1(i, i, i .r3, p, i, i, i, i, i, &w260 .r4)'
    ${If} $4 == "KorvoPop.exe"
      ; PROCESS_TERMINATE | SYNCHRONIZE
      System::Call 'kernel32::OpenProcess(i 0x00100001, i 0, i r3) p .r5'
      ${If} $5 P<> 0
        System::Call 'kernel32::TerminateProcess(p r5, i 1)'
        System::Call 'kernel32::WaitForSingleObject(p r5, i 5000)'
        System::Call 'kernel32::CloseHandle(p r5)'
      ${EndIf}
    ${EndIf}
    System::Call 'kernel32::Process32NextW(p r0, p r1) i .r2'
  ${Loop}
  System::Free $1
  System::Call 'kernel32::CloseHandle(p r0)'
FunctionEnd

; The helper's uninstall hook puts Internet Explorer's saved settings back and unregisters the
; helper. The DLL is loaded by hand and freed again, so its file can be deleted afterwards.
Function un.CallHelperUninstall
  ${IfNot} ${FileExists} "$INSTDIR\KorvoBHO.dll"
    Return
  ${EndIf}
  System::Call 'kernel32::LoadLibraryW(t "$INSTDIR\KorvoBHO.dll") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::GetProcAddress(p r0, m "UninstInitialize") p .r1'
    ${If} $1 P<> 0
      System::Call '::$1(i 0, i 0, i 0) i .r2'
    ${EndIf}
    System::Call 'kernel32::FreeLibrary(p r0)'
  ${EndIf}
  ${If} $MultiUser.InstallMode == "AllUsers"
    ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\KorvoBHO.dll"'
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndTrayProgram
  Call un.TerminateTrayProcesses
  ${If} ${FileExists} "$INSTDIR\KorvoUIn.exe"
    DetailPrint "$(ResettingBrowsers)"
    ExecWait '"$INSTDIR\KorvoUIn.exe"'
  ${EndIf}
  Call un.CallHelperUninstall

  ; No start-with-Windows value may point at the removed program: the tray program's own under
  ; the current user and the helper's under the machine.
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  DeleteRegValue HKLM "${RUN_KEY}" "KorvoPopupKiller"

  !insertmacro KorvoRemoveFiles
  ; Written at run time: the saved browser settings and the tray program's hosts backup.
  Delete "$INSTDIR\Browser.ini"
  Delete "$INSTDIR\mHosts"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  ; The same files of this user, kept in the user's own folder while the program folder could
  ; not be written.
  SetShellVarContext current
  Delete "$APPDATA\${PRODUCT}\KorvoINI.ini"
  Delete "$APPDATA\${PRODUCT}\Browser.ini"
  Delete "$APPDATA\${PRODUCT}\mHosts"
  RMDir "$APPDATA\${PRODUCT}"
  ${If} $MultiUser.InstallMode == "AllUsers"
    SetShellVarContext all
  ${EndIf}

  ; The links' names follow the language the installation ran in.
  Delete "$SMPROGRAMS\${PRODUCT}\*.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; An installation just for the user may have made the user's own programs folder and
  ; Add/Remove key; they go when nothing else is in them.
  ${If} $MultiUser.InstallMode == "CurrentUser"
    RMDir "$LOCALAPPDATA\Programs"
    DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
  ${EndIf}
  ; The machine's defaults of an installation for everyone, and this user's own key.
  DeleteRegKey SHCTX "${APP_KEY}"
  DeleteRegKey HKCU "${APP_KEY}"
SectionEnd
