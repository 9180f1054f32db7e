; The setup program. tools/package runs makensis with
;   VERSION  x.y.z        STAGE  the application folder to ship
;   OUTFILE  the setup    LISTS  folder of install.nsh / uninstall.nsh, the
;                                per-file lines it writes from STAGE
; Per user only: the program writes its profile and lists beside
; cleaner.exe, so it lives where its user may write.
; 64-bit, as the program is (and Wine here runs only 64-bit programs).
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!define APPNAME "Norvale System Cleaner"
!define PUBLISHER "Norvale"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APPNAME}"
!define RUNKEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SEARCHKEY "Software\VB and VBA Program Settings\ZoroviDOZozired"
!define MAINCLASS "NorvaleMainWindow"
!define EXIT_COMMAND 2004

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

Name "${APPNAME} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${APPNAME}"
InstallDirRegKey HKCU "${UNINSTKEY}" "InstallLocation"
BrandingText "${APPNAME} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${APPNAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${APPNAME} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright © 2026 Norvale. All rights reserved."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_LICENSE "${STAGE}\License.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\cleaner.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var KeepData

; Asks a running copy (often only in the tray) to exit, as its Exit command
; does, and waits up to five seconds for it to go.
!macro CLOSE_RUNNING un
Function ${un}CloseRunning
  retry:
  FindWindow $0 "${MAINCLASS}"
  ${If} $0 = 0
    Return
  ${EndIf}
  DetailPrint "Closing the running ${APPNAME}"
  System::Call 'user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${EXIT_COMMAND}, p 0)'
  StrCpy $1 0
  ${Do}
    Sleep 250
    FindWindow $0 "${MAINCLASS}"
    ${If} $0 = 0
      Return
    ${EndIf}
    IntOp $1 $1 + 1
  ${LoopUntil} $1 >= 20
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${APPNAME} is running and could not be closed.$\r$\nExit it (tray icon, Exit) and click Retry." /SD IDCANCEL IDRETRY retry
  SetErrorLevel 2
  Quit
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING ""
!insertmacro CLOSE_RUNNING "un."

; A shipped plug-in replaces the old copy; the user's tick in it is kept.
!macro PLUGIN name
  ReadINIStr $2 "$INSTDIR\plus-in\${name}" "swich" "on"
  File "${STAGE}\plus-in\${name}"
  ${If} $2 != ""
    WriteINIStr "$INSTDIR\plus-in\${name}" "swich" "on" $2
  ${EndIf}
!macroend

Section "!${APPNAME}" SecMain
  SectionIn RO
  Call CloseRunning
  SetOutPath "$INSTDIR"
  ; Ext.txt is the user's to edit: only a first install writes it.
  SetOverwrite off
  File "${STAGE}\Ext.txt"
  SetOverwrite on
  !include "${LISTS}\install.nsh"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${APPNAME}.lnk" "$INSTDIR\cleaner.exe"

  WriteRegStr HKCU "${UNINSTKEY}" "DisplayName" "${APPNAME}"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\cleaner.exe,0"
  WriteRegStr HKCU "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTKEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "Desktop shortcut" SecDesktop
  CreateShortcut "$DESKTOP\${APPNAME}.lnk" "$INSTDIR\cleaner.exe"
SectionEnd

; The same value the program's Options write (per user: HKCU).
Section /o "Start with Windows" SecStartup
  WriteRegStr HKCU "${RUNKEY}" "${APPNAME}" '"$INSTDIR\cleaner.exe" min'
SectionEnd

; /DESKTOP and /STARTWITHWINDOWS tick the optional parts, also in a silent install.
Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/DESKTOP" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecDesktop} ${SF_SELECTED}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/STARTWITHWINDOWS" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecStartup} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseRunning
  ; The user's selection and lists stay only when asked for: /KEEPDATA, or
  ; Yes in the question (a silent uninstall asks nothing).
  StrCpy $KeepData 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/KEEPDATA" $R1
  ${IfNot} ${Errors}
    StrCpy $KeepData 1
  ${Else}
    MessageBox MB_YESNO|MB_ICONQUESTION "Keep your cleaning selection and lists (custom items, keep lists, Ext.txt and your own plug-ins) for a later install?" /SD IDNO IDNO +2
    StrCpy $KeepData 1
  ${EndIf}

  !include "${LISTS}\uninstall.nsh"
  Delete "$INSTDIR\uninstall.exe"
  ${If} $KeepData = 0
    Delete "$INSTDIR\prisd.dat"
    Delete "$INSTDIR\cusd.dat"
    Delete "$INSTDIR\keepurl.dat"
    Delete "$INSTDIR\keepcook.dat"
    Delete "$INSTDIR\Ext.txt"
    Delete "$INSTDIR\plus-in\*.ppe"
    RMDir "$INSTDIR\plus-in"
    DeleteRegKey HKCU "${SEARCHKEY}"
    DeleteRegKey /ifempty HKCU "Software\VB and VBA Program Settings"
  ${EndIf}
  RMDir "$INSTDIR"
  ; Made by the install when it was the first per-user program.
  RMDir "$LOCALAPPDATA\Programs"

  Delete "$SMPROGRAMS\${APPNAME}.lnk"
  Delete "$DESKTOP\${APPNAME}.lnk"
  DeleteRegValue HKCU "${RUNKEY}" "${APPNAME}"
  ; Written by Options where the machine's key may be written; a standard
  ; user cannot remove it, an administrator's uninstall does.
  DeleteRegValue HKLM "${RUNKEY}" "${APPNAME}"
  DeleteRegKey HKCU "${UNINSTKEY}"
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
  ; This copy of the uninstaller runs from a folder of its own in the temp
  ; folder. NSIS has it deleted at the next start, the folder before the
  ; file, which leaves the folder; this entry comes after both.
  ${If} $EXEDIR != $INSTDIR
    RMDir /REBOOTOK "$EXEDIR"
  ${EndIf}
SectionEnd
