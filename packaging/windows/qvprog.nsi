; The QVProg setup program for 64-bit Windows, made by scripts/build-windows.sh with Debian's
; makensis:
;   makensis -DVERSION=2.2.24 -DSTAGE=<folder with the programs> -DUNINSTALL_LIST=<file>
;            -DICON=<qvprog.ico> -DOUTFILE=<setup.exe> qvprog.nsi
; It installs into Program Files, adds a Start-menu entry and the .qvx and .bCFG file types, and
; registers an uninstaller that removes exactly those files (listed in UNINSTALL_LIST) and
; entries. The user's configurations and %APPDATA%\qvprog\QVPROG2.INI are never touched.
; /S installs (or uninstalls) silently.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include MUI2.nsh
!include x64.nsh

!define APP "QVProg"
!define PROGID_QVX "QVProg.qvx"
!define PROGID_BCFG "QVProg.bCFG"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QVProg"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1045 "ProductName" "${APP}"
VIAddVersionKey /LANG=1045 "FileDescription" "${APP} - instalator"
VIAddVersionKey /LANG=1045 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1045 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1045 "LegalCopyright" "${APP}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\qvprog.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

Function .onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

; A file type opening in qvprog.exe: ext, ProgID, description.
!macro FileType EXT PROGID DESCRIPTION
    WriteRegStr HKLM "Software\Classes\${EXT}" "" "${PROGID}"
    WriteRegStr HKLM "Software\Classes\${PROGID}" "" "${DESCRIPTION}"
    WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\qvprog.exe,0"
    WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\qvprog.exe" "%1"'
!macroend

; Takes the file type back only while it still opens in QVProg.
!macro un.FileType EXT PROGID
    ReadRegStr $0 HKLM "Software\Classes\${EXT}" ""
    StrCmp $0 "${PROGID}" 0 +2
        DeleteRegKey HKLM "Software\Classes\${EXT}"
    DeleteRegKey HKLM "Software\Classes\${PROGID}"
!macroend

Section "QVProg"
    SetOutPath "$INSTDIR"
    File /r "${STAGE}/*"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\qvprog.exe" "" "$INSTDIR\qvprog.exe" 0 \
        SW_SHOWNORMAL "" "Konfiguracja modułów GSM"

    !insertmacro FileType ".qvx" "${PROGID_QVX}" "Konfiguracja QVProg"
    !insertmacro FileType ".bCFG" "${PROGID_BCFG}" "Konfiguracja QVProg (binarna)"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${APP}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\qvprog.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; Explorer learns about the new file types.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\${APP}.lnk"
    !insertmacro un.FileType ".qvx" "${PROGID_QVX}"
    !insertmacro un.FileType ".bCFG" "${PROGID_BCFG}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; The files it installed, one by one, then their folders while they are empty: anything
    ; the user put there stays.
    !include "${UNINSTALL_LIST}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
