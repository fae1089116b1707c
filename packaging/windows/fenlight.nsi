; Fenlight's Windows installer (NSIS 3, Modern UI 2). tools/make-installer compiles it and defines:
;   VERSION, FILE_VERSION (four numbers), PRODUCT, PUBLISHER, SCR_NAME (the installed file's name),
;   SETTINGS_KEY (the saver's key under HKCU), SCR_X64, SCR_X86 (the two builds), ICON and OUTFILE,
;   COPYRIGHT (the licence's copyright line), LICENSE (the licence as a Windows text file) and, to sign
;   the uninstaller and the installer, CODESIGN (the signing command, tools/codesign).
; It puts the saver into the real System32 (the x86_64 build on 64-bit Windows, the i686 build on 32-bit
; Windows), its uninstaller into a folder under Program Files and its entry into Apps & features.

Unicode true
SetCompressor /SOLID /FINAL lzma
; No file times in the installer: the same inputs give the same installer.
SetDateSave off
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include x64.nsh
!include WinVer.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define DESKTOP_KEY "Control Panel\Desktop"
!define UNINSTALLER "uninst.exe"
!define SPI_SETSCREENSAVEACTIVE 17
; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE: stored and announced, as the Screen Saver page does.
!define SPIF_STORE_AND_ANNOUNCE 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=1033 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 LegalCopyright "${COPYRIGHT}"

!ifdef CODESIGN
  ; "= 0": without it makensis ignores a failing command and writes an unsigned installer.
  !uninstfinalize '"${CODESIGN}" "%1"' = 0
  !finalize '"${CODESIGN}" "%1"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; Fenlight's own picture on the finish page (drawn from the glow by tools/icon/generate). The uninstaller
; has no page that shows one.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${__FILEDIR__}/fenlight-finish.bmp"

Var Select        ; 1: make the saver the current user's screen saver
Var SelectBox
Var RemoveSettings ; 1: the uninstaller also deletes the user's settings
Var RemoveSettingsBox
Var FinishText    ; the finish page's text: whether Fenlight is now the screen saver

Page custom ChoicePage ChoicePageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_PRE FinishPagePre
!define MUI_FINISHPAGE_TEXT "$FinishText"
; Unticked by default: the Screen Saver page opens only when asked for.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "&Open Screen Saver settings"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!define MUI_FINISHPAGE_RUN_FUNCTION OpenSaverSettings
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.ChoicePage un.ChoicePageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Screen saver on or off for the current user, stored and announced to running programs.
!macro SetSaverActive ON
  System::Call \
      "user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i ${ON}, p 0, i ${SPIF_STORE_AND_ANNOUNCE})"
!macroend

; The 64-bit registry on 64-bit Windows, for the installer and the uninstaller alike.
!macro UseNativeRegistry
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend

Function .onInit
  ${IfNot} ${AtLeastWin7}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs Windows 7 or later. Nothing was installed." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  !insertmacro UseNativeRegistry
  StrCpy $Select 1
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOSELECT" $1
  ${IfNot} ${Errors}
    StrCpy $Select 0
  ${EndIf}
  ; /D=folder wins; otherwise an earlier install's folder, so running it again replaces in place.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function ChoicePage
  !insertmacro MUI_HEADER_TEXT "Screen saver" "Choose whether ${PRODUCT} becomes your screen saver now."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateCheckbox} 0 0 100% 12u "&Use ${PRODUCT} as my screen saver"
  Pop $SelectBox
  ${If} $Select == 1
    ${NSD_Check} $SelectBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ChoicePageLeave
  ${NSD_GetState} $SelectBox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $Select 1
  ${Else}
    StrCpy $Select 0
  ${EndIf}
FunctionEnd

; The finish page says what the Screen Saver page will show: Fenlight selected, or the choice as it was.
Function FinishPagePre
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 == "$SYSDIR\${SCR_NAME}"
    StrCpy $FinishText "${PRODUCT} is installed and is now your screen saver.$\r$\n$\r$\nIts settings are in \
        the Screen Saver page of Windows."
  ${Else}
    StrCpy $FinishText "${PRODUCT} is installed. Your screen saver is unchanged: to use ${PRODUCT}, pick it \
        in the Screen Saver page of Windows."
  ${EndIf}
FunctionEnd

Function OpenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

; Pushes the size of the file in $0 in bytes (0 when it cannot be opened).
Function FileBytes
  ClearErrors
  FileOpen $1 $0 r
  ${If} ${Errors}
    Push 0
    Return
  ${EndIf}
  FileSeek $1 0 END $2
  FileClose $1
  Push $2
FunctionEnd

Section
  SetOutPath $INSTDIR
  ; The real System32: a 32-bit installer on 64-bit Windows would otherwise write into SysWOW64.
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
  StrCpy $0 "$SYSDIR\${SCR_NAME}"
  ; A running saver keeps its file open: say so instead of leaving the old one in place.
  SetOverwrite try
  ${Do}
    ClearErrors
    ${If} ${RunningX64}
      File "/oname=$0" "${SCR_X64}"
    ${Else}
      File "/oname=$0" "${SCR_X86}"
    ${EndIf}
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$0 is in use. Close ${PRODUCT} and try again." \
        /SD IDCANCEL IDRETRY retry_saver
    ${EnableX64FSRedirection}
    Abort "$0 could not be replaced."
    retry_saver:
  ${Loop}
  SetOverwrite on
  Call FileBytes
  ${EnableX64FSRedirection}

  File "/oname=LICENSE.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  StrCpy $0 "$INSTDIR\${UNINSTALLER}"
  Call FileBytes
  Pop $3
  Pop $4
  IntOp $3 $3 + $4
  IntOp $3 $3 + 1023
  IntOp $3 $3 / 1024

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\${SCR_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $3
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ${If} $Select == 1
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${SCR_NAME}"
    !insertmacro SetSaverActive 1
    DetailPrint "${PRODUCT} is your screen saver."
  ${EndIf}
SectionEnd

Function un.onInit
  !insertmacro UseNativeRegistry
  StrCpy $RemoveSettings 0
FunctionEnd

Function un.ChoicePage
  !insertmacro MUI_HEADER_TEXT "Uninstall ${PRODUCT}" "${PRODUCT} will be removed from this computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "Your ${PRODUCT} settings (direction, colors, particles, size and speed) \
      are kept for a later install, unless you remove them too."
  Pop $0
  ${NSD_CreateCheckbox} 0 30u 100% 12u "&Also remove my settings"
  Pop $RemoveSettingsBox
  nsDialogs::Show
FunctionEnd

Function un.ChoicePageLeave
  ${NSD_GetState} $RemoveSettingsBox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $RemoveSettings 1
  ${Else}
    StrCpy $RemoveSettings 0
  ${EndIf}
FunctionEnd

Section Uninstall
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
  StrCpy $0 "$SYSDIR\${SCR_NAME}"
  ; The short spelling too, while the file is there: a selection may have been stored that way.
  GetFullPathName /SHORT $1 $0
  ; Nothing to do when it was deleted by hand; a file in use goes at the next restart.
  Delete /REBOOTOK $0
  ${EnableX64FSRedirection}

  ; What the Screen Saver page does for "(None)", so no missing file stays selected.
  ReadRegStr $2 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $2 != ""
    ${If} $2 == $0
    ${OrIf} $2 == $1
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
      !insertmacro SetSaverActive 0
      DetailPrint "The screen saver is off."
    ${EndIf}
  ${EndIf}

  ${If} $RemoveSettings == 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    ${un.GetParent} "${SETTINGS_KEY}" $3
    DeleteRegKey /ifempty HKCU $3
    DetailPrint "Your ${PRODUCT} settings were removed."
  ${Else}
    DetailPrint "Your ${PRODUCT} settings were kept."
  ${EndIf}

  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when empty: whatever else someone put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
