; The Torvale installer for Windows: makensis -DVERSION=... -DBUILD_DIR=...
; -DICON=... -DOUTFILE=... installer.nsi (the windows preset's build runs it).
;
; For the user alone, with no administrator: the programs under
; %LOCALAPPDATA%\Programs\Torvale, the torvale: scheme registered in
; HKCU\Software\Classes (which Windows merges into HKEY_CLASSES_ROOT for
; this user), an entry in Apps and Features, a Start menu shortcut that shows
; silenced alerts again. The uninstaller removes each of those and nothing
; else: the pass log in %LOCALAPPDATA%\Torvale and the user's
; Documents\torvale are the user's data.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Torvale"
!define SCHEME_KEY "Software\Classes\torvale"
!define APPLICATION_KEY "Software\Classes\Applications\torvalew.exe"
; What Windows runs for a link: the link replaces %1, as it is. torvalew.exe
; takes nothing but --url and one URL, so that a quote in the link, which
; ends the argument early, cannot add options of its own.
!define OPEN_COMMAND '"$INSTDIR\torvalew.exe" --url "%1"'
!define SHORTCUT "$SMPROGRAMS\恢复 Torvale 提醒.lnk"

Name "Torvale"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Torvale"
BrandingText "Torvale ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "Torvale"
VIAddVersionKey /LANG=2052 "FileDescription" "Torvale Setup"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "CompanyName" "The Torvale developers"
VIAddVersionKey /LANG=2052 "LegalCopyright" "The Torvale developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "Torvale"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${BUILD_DIR}\torvalew.exe"
    File "${BUILD_DIR}\torvale.exe"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The scheme (Registering an Application to a URI Scheme), for this user.
    WriteRegStr HKCU "${SCHEME_KEY}" "" "URL:Torvale"
    WriteRegStr HKCU "${SCHEME_KEY}" "URL Protocol" ""
    WriteRegStr HKCU "${SCHEME_KEY}\DefaultIcon" "" '"$INSTDIR\torvalew.exe",0'
    WriteRegStr HKCU "${SCHEME_KEY}\shell\open\command" "" '${OPEN_COMMAND}'
    ; The name a browser shows when it asks whether to open the link
    ; (ASSOCSTR_FRIENDLYAPPNAME reads it from the Applications subkey), and
    ; no place in Open With for files, which torvalew.exe cannot open.
    WriteRegStr HKCU "${APPLICATION_KEY}" "FriendlyAppName" "Torvale"
    WriteRegStr HKCU "${APPLICATION_KEY}" "NoOpenWith" ""

    ; Alerts silenced with their check box come back from here.
    CreateShortcut "${SHORTCUT}" "$INSTDIR\torvalew.exe" "--show-alerts" "$INSTDIR\torvalew.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Torvale"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Torvale developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\torvalew.exe",0'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    ; The scheme only while it is still ours: another program may have
    ; taken it since.
    ReadRegStr $0 HKCU "${SCHEME_KEY}\shell\open\command" ""
    ${If} $0 == '${OPEN_COMMAND}'
        DeleteRegKey HKCU "${SCHEME_KEY}"
    ${EndIf}
    DeleteRegKey HKCU "${APPLICATION_KEY}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    Delete "${SHORTCUT}"
    Delete "$INSTDIR\torvalew.exe"
    Delete "$INSTDIR\torvale.exe"
    Delete "$INSTDIR\uninstall.exe"
    ; Only while empty: whatever else is in it is not ours.
    RMDir "$INSTDIR"
SectionEnd
