; Talvex Press setup: installs for the current user only, so no administrator rights are
; asked for. The build passes the values below (cmake/packaging.cmake):
;   VERSION          1.0.0.10, the version record's numbers
;   DISPLAY_VERSION  1.00.0010, the version as the program shows it
;   PROGRAM          the stripped TalvexPress.exe to install
;   ICON             the program's icon, also the setup's
;   OUTFILE          where to write the setup
; and, to sign, these too (the certificate's password is in the environment):
;   SIGN_SCRIPT      installer/sign.sh
;   SIGN_PFX         the code-signing certificate (PKCS#12)
;   TIMESTAMP_URL    the RFC 3161 timestamp server
;   PLUGINS          signed copies of NSIS's 64-bit plug-in DLLs
Unicode true
; The program is 64-bit only; so is its setup (and Wine here has no 32-bit side).
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifndef VERSION | DISPLAY_VERSION | PROGRAM | ICON | OUTFILE
  !error "talvex.nsi: pass -DVERSION, -DDISPLAY_VERSION, -DPROGRAM, -DICON and -DOUTFILE"
!endif

; Windows checks the signature of every file the setup runs: the setup, the plug-in DLLs it
; unpacks and loads, and the uninstaller it writes. The signed plug-ins are found before
; NSIS's own; the uninstaller is signed before it is packed, the setup once it is written.
!ifdef SIGN_PFX
  !ifndef SIGN_SCRIPT | TIMESTAMP_URL | PLUGINS
    !error "talvex.nsi: signing needs -DSIGN_SCRIPT, -DTIMESTAMP_URL and -DPLUGINS too"
  !endif
  !addplugindir /amd64-unicode "${PLUGINS}"
  !define SIGN 'bash "${SIGN_SCRIPT}" "${SIGN_PFX}" "${TIMESTAMP_URL}"'
  !uninstfinalize '${SIGN} "%1"' = 0
  !finalize '${SIGN} "%1"' = 0
!endif

!define PRODUCT "Talvex Press"
!define PUBLISHER "Équipe Talvex"
!define EXE "TalvexPress.exe"
!define UNINSTALLER "Uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TalvexPress"
; What a running copy leaves for others to see: its single-instance mutex (held from the
; first instant, also while the window is hidden) and its window class.
!define INSTANCE_MUTEX "Local\TalvexPress.SingleInstance.1"
!define WINDOW_CLASS "TalvexPress.Form1"
!define RUNNING_TEXT_AFTER "Talvex Press n'a pas pu être supprimé : il est sans doute en cours d'exécution. Quittez-le, puis relancez la désinstallation."
!define TOO_OLD_TEXT "Talvex Press demande Windows 10 version 1607 (build 14393) ou plus récent, en 64 bits.$\r$\n$\r$\nCet ordinateur a Windows $0.$1 (build $2) : l'installation est annulée."
!define RUNNING_TEXT "Talvex Press est en cours d'exécution.$\r$\n$\r$\nQuittez-le (bouton « X » de sa fenêtre, ou « Quitter » dans le menu de son icône), puis cliquez sur OK."

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${DISPLAY_VERSION}"

!include MUI2.nsh
!include FileFunc.nsh
!include WinVer.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "French"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_FRENCH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileVersion" "${DISPLAY_VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductVersion" "${DISPLAY_VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "LegalCopyright" "© ${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileDescription" "Installation de ${PRODUCT}"

; The program imports GetDpiForWindow, GetDpiForSystem and their kin, which Windows has from
; Windows 10 version 1607 (build 14393) on: on an older one it would not even start. So say it
; before installing anything; a silent run has nobody to tell and refuses with exit code 3,
; touching nothing. A 32-bit Windows does not start this 64-bit setup at all and says so itself.
Function RefuseTooOldWindows
  ${IfNot} ${AtLeastWin10}
  ${OrIfNot} ${AtLeastBuild} 14393
    GetWinVer $0 Major
    GetWinVer $1 Minor
    GetWinVer $2 Build
    MessageBox MB_OK|MB_ICONSTOP "${TOO_OLD_TEXT}" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
FunctionEnd

; A running copy holds its exe open: the files cannot be replaced or removed under it, and
; ending it would throw away the user's history. So ask the user to quit it; a silent run has
; nobody to ask and refuses (exit code 2), touching nothing.
!macro REFUSE_WHILE_RUNNING prefix
  Function ${prefix}RefuseWhileRunning
    check:
      System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p.r0'
      StrCmp $0 0 0 running
      FindWindow $1 "${WINDOW_CLASS}"
      StrCmp $1 0 done running
    running:
      StrCmp $0 0 +2
        System::Call 'kernel32::CloseHandle(p r0)'
      MessageBox MB_OKCANCEL|MB_ICONINFORMATION "${RUNNING_TEXT}" /SD IDCANCEL IDOK check
      SetErrorLevel 2
      Quit
    done:
  FunctionEnd
!macroend
!insertmacro REFUSE_WHILE_RUNNING ""
!insertmacro REFUSE_WHILE_RUNNING "un."

Function .onInit
  SetShellVarContext current
  Call RefuseTooOldWindows
  Call RefuseWhileRunning
FunctionEnd

Section "Talvex Press"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=${EXE}" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL "" "Historique du presse-papiers"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${DISPLAY_VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetShellVarContext current
  Call un.RefuseWhileRunning
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  ; The program first: if it cannot go (started again meanwhile), keep everything that lets
  ; the user uninstall it later.
  ClearErrors
  Delete "$INSTDIR\${EXE}"
  IfErrors 0 +4
    SetErrorLevel 2
    MessageBox MB_OK|MB_ICONEXCLAMATION "${RUNNING_TEXT_AFTER}" /SD IDOK
    Abort
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
