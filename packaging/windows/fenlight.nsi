; Fenlight's Windows installer (NSIS 3, Modern UI 2). tools/make-installer compiles it and defines:
;   DEFINES (the build's fenlight-defines.nsh, written by CMake: VERSION, FILE_VERSION (four numbers),
;   PRODUCT, PUBLISHER, COPYRIGHT, SCR_NAME (the installed file's name), SETTINGS_KEY (the saver's key under
;   HKCU), the MSI packages' upgrade codes and LANGUAGES, the build's fenlight-languages.nsh: the texts in
;   every language), SCR_X64, SCR_X86 (the two builds), ICON, OUTFILE, LICENSE (the licence as a Windows text
;   file) and, to sign the uninstaller and the installer, CODESIGN (the signing command, tools/codesign).
; Its texts are LangStrings, $(NAME), in the system's language as NSIS picks it (English where Fenlight has
; none of it); NSIS's own texts, its buttons and its standard pages, come from NSIS's language files.
; It puts the saver into the real System32 (the x86_64 build on 64-bit Windows, the i686 build on 32-bit
; Windows) and on 64-bit Windows the i686 build into SysWOW64, its uninstaller into a folder under Program
; Files and its entry into Apps & features. Silently (/S) it ends with 2 when it refuses (an older version
; over a newer one, the MSI package installed, Windows before 7), 3 when a file is in use and 4 when a file
; cannot be written for another reason, such as access denied.

Unicode true
!include "${DEFINES}"
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
!include WordFunc.nsh

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
Var Before        ; a copy of the saver System32 held before this install ("" when it held none)

Page custom ChoicePage ChoicePageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_PRE FinishPagePre
!define MUI_FINISHPAGE_TEXT "$FinishText"
; Room for the longer translations.
!define MUI_FINISHPAGE_TEXT_LARGE
; Unticked by default: the Screen Saver page opens only when asked for.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(open_settings)"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!define MUI_FINISHPAGE_RUN_FUNCTION OpenSaverSettings
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.ChoicePage un.ChoicePageLeave
!insertmacro MUI_UNPAGE_INSTFILES

; Every language's NSIS texts and ours, after the pages as MUI wants them.
!include /CHARSET=UTF8 "${LANGUAGES}"

; Screen saver on or off for the current user, stored and announced to running programs.
!macro SetSaverActive ON
  System::Call \
      "user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i ${ON}, p 0, i ${SPIF_STORE_AND_ANNOUNCE})"
!macroend

; NSIS matches the system's language by its language alone, so Chinese written in traditional characters
; would get the simplified Chinese texts; it gets English, as from the saver's setup dialog.
!macro NoSimplifiedForTraditional
  !ifdef LANG_SIMPCHINESE
    ${If} $LANGUAGE == ${LANG_SIMPCHINESE}
      System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
      ; Taiwan, Hong Kong, Macao, and the traditional script named alone.
      ${If} $0 == 1028
      ${OrIf} $0 == 3076
      ${OrIf} $0 == 5124
      ${OrIf} $0 == 31748
        StrCpy $LANGUAGE ${LANG_ENGLISH}
      ${EndIf}
    ${EndIf}
  !endif
!macroend

; The 64-bit registry on 64-bit Windows, for the installer and the uninstaller alike.
!macro UseNativeRegistry
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend

Function .onInit
  !insertmacro NoSimplifiedForTraditional
  ${IfNot} ${AtLeastWin7}
    MessageBox MB_OK|MB_ICONSTOP "$(old_windows)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  !insertmacro UseNativeRegistry
  Call RefuseBesideMsi
  Call AskBeforeDowngrade
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
  !insertmacro MUI_HEADER_TEXT "$(choice)" "$(choice_detail)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateCheckbox} 0 0 100% 12u "$(use)"
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
    StrCpy $FinishText "$(finished_selected)"
  ${Else}
    StrCpy $FinishText "$(finished_unchanged)"
  ${EndIf}
FunctionEnd

Function OpenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

; The MSI package places the same files: installed side by side, removing one would break the other.
!macro RefuseBesideMsiPackage UPGRADE_CODE
  System::Call 'msi::MsiEnumRelatedProductsW(w "${UPGRADE_CODE}", i 0, i 0, w .r1) i .r0'
  ${If} $0 == 0
    MessageBox MB_OK|MB_ICONSTOP "$(beside_msi)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend
Function RefuseBesideMsi
  !insertmacro RefuseBesideMsiPackage "${MSI_UPGRADE_CODE_X64}"
  !insertmacro RefuseBesideMsiPackage "${MSI_UPGRADE_CODE_X86}"
FunctionEnd

; An older version over a newer one only when asked for (silently: refused).
Function AskBeforeDowngrade
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $0 != ""
    ${VersionCompare} $0 "${VERSION}" $1
    ${If} $1 == 1
      MessageBox MB_YESNO|MB_ICONQUESTION "$(downgrade)" /SD IDNO IDYES downgrade
      SetErrorLevel 2
      Quit
      downgrade:
    ${EndIf}
  ${EndIf}
FunctionEnd

; Sets $1 to why the file $0 could not be written, and the error level a silent install ends with. NSIS's File
; gives no reason, so the file is opened for writing as File would and the system's error read.
Function WhyNotWritten
  System::Call 'kernel32::CreateFileW(w r0, i 0x40000000, i 0, p 0, i 3, i 0, p 0) p .r2 ?e'
  Pop $3
  ${If} $2 != -1
    System::Call 'kernel32::CloseHandle(p r2)'
  ${EndIf}
  ${If} $3 == 32 ; ERROR_SHARING_VIOLATION
    StrCpy $1 "$(in_use)"
    SetErrorLevel 3
  ${ElseIf} $3 == 5 ; ERROR_ACCESS_DENIED
    StrCpy $1 "$(denied)"
    SetErrorLevel 4
  ${Else}
    StrCpy $1 "$(not_written)"
    SetErrorLevel 4
  ${EndIf}
FunctionEnd

; Writes the saver SOURCE to DEST, asking again while it cannot; adds its size to $5. ID names its labels.
; PLACED, when not empty, is a copy this install already placed: an install stopped here puts back the file
; that was there before ($Before), or takes the copy away when there was none.
!macro PlaceSaver ID DEST SOURCE PLACED
  StrCpy $0 "${DEST}"
  ${Do}
    ClearErrors
    File "/oname=$0" "${SOURCE}"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    Call WhyNotWritten
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$1" /SD IDCANCEL IDRETRY retry_${ID}
    !if "${PLACED}" != ""
      ${If} $Before == ""
        Delete "${PLACED}"
      ${ElseIf} ${FileExists} $Before
        System::Call 'kernel32::CopyFileW(w "$Before", w "${PLACED}", i 0)'
      ${EndIf}
    !endif
    ${EnableX64FSRedirection}
    Abort "$(not_replaced)"
    retry_${ID}:
  ${Loop}
  SetErrorLevel 0
  Call FileBytes
  Pop $2
  IntOp $5 $5 + $2
!macroend

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
  ; A running saver keeps its file open: say so instead of leaving the old one in place. The saver first, the
  ; folder after: a first install stopped here leaves no empty folder.
  SetOverwrite try
  StrCpy $5 0
  ${If} ${RunningX64}
    ; The real System32: a 32-bit installer on 64-bit Windows would otherwise write into SysWOW64.
    ${DisableX64FSRedirection}
    ; Kept aside, to be put back when the SysWOW64 copy cannot be placed; CopyFileW, called from this thread
    ; as File is, sees the real System32 too.
    StrCpy $Before ""
    ${If} ${FileExists} "$SYSDIR\${SCR_NAME}"
      InitPluginsDir
      StrCpy $Before "$PLUGINSDIR\before.scr"
      System::Call 'kernel32::CopyFileW(w "$SYSDIR\${SCR_NAME}", w "$Before", i 0)'
    ${EndIf}
    !insertmacro PlaceSaver native "$SYSDIR\${SCR_NAME}" "${SCR_X64}" ""
    ; Where 32-bit programs that list or start savers look, as for Windows' own savers.
    !insertmacro PlaceSaver wow64 "$WINDIR\SysWOW64\${SCR_NAME}" "${SCR_X86}" \
        "$SYSDIR\${SCR_NAME}"
    ${EnableX64FSRedirection}
  ${Else}
    !insertmacro PlaceSaver only "$SYSDIR\${SCR_NAME}" "${SCR_X86}" ""
  ${EndIf}
  SetOverwrite on
  Push $5

  SetOutPath $INSTDIR
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
    DetailPrint "$(now_selected)"
  ${EndIf}
SectionEnd

Function un.onInit
  !insertmacro NoSimplifiedForTraditional
  !insertmacro UseNativeRegistry
  StrCpy $RemoveSettings 0
FunctionEnd

Function un.ChoicePage
  !insertmacro MUI_HEADER_TEXT "$(uninstall)" "$(uninstall_detail)"
  nsDialogs::Create 1018
  Pop $0
  ; Four lines, for the longer translations.
  ${NSD_CreateLabel} 0 0 100% 32u "$(settings_kept_later)"
  Pop $0
  ${NSD_CreateCheckbox} 0 38u 100% 12u "$(remove_settings)"
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
  ${If} ${RunningX64}
    Delete /REBOOTOK "$WINDIR\SysWOW64\${SCR_NAME}"
  ${EndIf}
  ${EnableX64FSRedirection}

  ; What the Screen Saver page does for "(None)", so no missing file stays selected.
  ReadRegStr $2 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $2 != ""
    ${If} $2 == $0
    ${OrIf} $2 == $1
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
      !insertmacro SetSaverActive 0
      DetailPrint "$(saver_off)"
    ${EndIf}
  ${EndIf}

  ${If} $RemoveSettings == 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    ${un.GetParent} "${SETTINGS_KEY}" $3
    DeleteRegKey /ifempty HKCU $3
    DetailPrint "$(settings_removed)"
  ${Else}
    DetailPrint "$(settings_kept)"
  ${EndIf}

  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when empty: whatever else someone put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; Last: a restart now ends the uninstaller where it stands.
  ${If} ${RebootFlag}
    MessageBox MB_YESNO|MB_ICONQUESTION "$(restart)" /SD IDNO IDNO +2
    Reboot
  ${EndIf}
SectionEnd
