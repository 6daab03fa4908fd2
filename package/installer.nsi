; The per-user installer: puts the panel beside the bot's bot.exe, makes its shortcuts and its Apps & Features
; entry. Made by package/make_installer.cmake:
;   makensis -DVERSION=1.2.3.4 -DFILES=<folder with the release files> -DICON=<panel.ico> -DOUTFILE=<setup.exe>
;            -DPANEL_WINDOW_CLASS=<the panel window's class> [-DSIGN=<command that signs the file named as its
;            argument>] installer.nsi
; It owns exactly the files below, the two shortcuts and the key; everything else in the folder is the bot's
; or the user's and is never touched. Its readme has a name of its own, as the bot may bring a README.txt.
; Silent, it makes the Startup shortcut where bot.exe is; /STARTUP=1 or /STARTUP=0 decides instead.

Unicode true
; 64-bit like the panel: a 32-bit installer needs the WoW64 layer, which some Wine set-ups lack.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include WinMessages.nsh
!include FileFunc.nsh

!define PRODUCT "Tavrio Panel"
!define PUBLISHER "Tavrio"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TavrioPanel"
!define UNINSTALLER "TavrioPanel-uninstall.exe"
!define SHORTCUT "${PRODUCT}.lnk"
!define README "TavrioPanel README.txt"
; PANEL_WINDOW_CLASS, the panel's top-level window class that a close from outside is sent to, comes from the
; panel's source through make_installer.cmake.
!ifndef PANEL_WINDOW_CLASS
  !error "PANEL_WINDOW_CLASS is not defined"
!endif
; How long a panel gets to stop its bot and end after the close: a tick can hold it in a request for a while.
!define PANEL_END_MS 30000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; The trailing backslash keeps a browsed-to folder as chosen, without a name appended.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}\"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey FileDescription "${PRODUCT} setup"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey LegalCopyright "${PUBLISHER}"

!ifdef SIGN
  ; The uninstaller is written into the installer, so it is signed before it goes in; the installer last.
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "Tavrio Panel is in the Start menu."

Var StartWithWindows
Var StartWithWindowsBox
; "1" or "0" from /STARTUP= on the command line, else empty.
Var StartupAsked
; The elevation of a running panel this install ended, which is started again when the install ends, failed or
; not; empty when none was ended or it was started again.
Var EndedPanelElevation

!define MUI_PAGE_HEADER_TEXT "The folder of your bot"
!define MUI_PAGE_HEADER_SUBTEXT "Tavrio Panel goes beside bot.exe."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Tavrio Panel starts and stops the bot.exe in its own folder, so it goes into \
    the folder that holds your bot.exe. Choose that folder.$\r$\n$\r$\nYour bot and its settings (.env, conf.ini) \
    stay as they are."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Folder of bot.exe"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE BotFolderLeave
!insertmacro MUI_PAGE_DIRECTORY
Page custom StartupPage StartupPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_UNCONFIRMPAGE_TEXT_TOP "This removes the panel's own files from this folder, its shortcuts and its entry \
    in Apps. Your bot, its files, .env and conf.ini stay; the folder too, unless nothing else is left in it."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext current
  StrCpy $StartWithWindows ${BST_CHECKED}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTUP=" $StartupAsked
  ${If} $StartupAsked == "0"
    StrCpy $StartWithWindows ${BST_UNCHECKED}
  ${ElseIf} $StartupAsked != "1"
    StrCpy $StartupAsked ""
  ${EndIf}
FunctionEnd

; A warning, not a refusal: the bot may be copied in after the panel.
Function BotFolderLeave
  ${IfNot} ${FileExists} "$INSTDIR\bot.exe"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION "There is no bot.exe in this folder yet:$\r$\n$INSTDIR$\r$\n$\r$\n\
        The panel starts only the bot.exe beside it: put your bot.exe there before you start the panel.$\r$\n\
        $\r$\nInstall into this folder anyway?" /SD IDYES IDYES +2
    Abort
  ${EndIf}
FunctionEnd

Function StartupPage
  !insertmacro MUI_HEADER_TEXT "Starting with Windows" "Tavrio Panel can start, in the notification area, \
      whenever you log in."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 36u "With the box ticked, the panel starts each time you log in to Windows and \
      waits in the notification area, beside the clock. With Autostrat=1 in conf.ini it starts the bot as well."
  Pop $0
  ${NSD_CreateCheckbox} 0 44u 100% 12u "Start Tavrio Panel when I log in to Windows"
  Pop $StartWithWindowsBox
  ${NSD_SetState} $StartWithWindowsBox $StartWithWindows
  ${NSD_CreateLabel} 0 68u 100% 24u "A Start-menu shortcut is always made. To remove Tavrio Panel later: \
      Settings, Apps."
  Pop $0
  nsDialogs::Show
FunctionEnd

Function StartupPageLeave
  ${NSD_GetState} $StartWithWindowsBox $StartWithWindows
FunctionEnd

; Ends the panel that runs from $INSTDIR the way Windows asks a program to close: WM_CLOSE to its window, on
; which it stops its bot and ends. A panel from another folder is left running. Sets the error flag when one is
; still running after the wait.
!macro DEFINE_END_PANEL un
Function ${un}EndPanel
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  ClearErrors
  StrCpy $4 "$INSTDIR\TavrioPanel.exe"
  System::Call 'kernel32::GetLongPathNameW(w r4, w .r4, i ${NSIS_MAX_STRLEN}) i .r0'
  ${If} $0 = 0
    StrCpy $4 "$INSTDIR\TavrioPanel.exe"
  ${EndIf}
  StrCpy $0 0
  ${Do}
    FindWindow $0 "${PANEL_WINDOW_CLASS}" "" 0 $0
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x101000, i 0, i r1) p .r1'
    ${If} $1 P<> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p r1, i 0, w .r2, *i ${NSIS_MAX_STRLEN}) i .r3'
      ${If} $3 <> 0
      ${AndIf} $2 == $4
        DetailPrint "Ending the running Tavrio Panel (it stops its bot first)"
        !if "${un}" == ""
          Push $1
          Call ElevationType
          Pop $EndedPanelElevation
        !endif
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=${PANEL_END_MS}
        System::Call 'kernel32::WaitForSingleObject(p r1, i ${PANEL_END_MS}) i .r3'
        ${If} $3 <> 0
          SetErrors
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r1)'
        ${Break}
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r1)'
    ${EndIf}
  ${Loop}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_END_PANEL ""
!insertmacro DEFINE_END_PANEL "un."

; The TokenElevationType (1 default, 2 full, 3 limited; 0 unknown) of the process whose handle is on the stack.
Function ElevationType
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $2 0
  System::Call 'advapi32::OpenProcessToken(p r0, i 8, *p .r1) i .r3'  ; TOKEN_QUERY
  ${If} $3 <> 0
    System::Call 'advapi32::GetTokenInformation(p r1, i 18, *i .r2, i 4, *i .r3)'
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  StrCpy $0 $2
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Starts the panel from $INSTDIR (the new one once it is in place) as the ended one ran, so that its auto-start
; brings the bot back. An installer run as administrator through UAC over a panel that was not would start it
; elevated: then the user starts it.
; Out of the installer's job where the job allows it: a deployment tool that waits for its job's processes would
; otherwise wait for the panel.
Function StartPanelAgain
  Push -1  ; this process
  Call ElevationType
  Pop $0
  ${If} $0 != $EndedPanelElevation
    DetailPrint "Start Tavrio Panel from the Start menu: this setup runs with other rights than the panel did"
    Return
  ${EndIf}
  DetailPrint "Starting Tavrio Panel again"
  System::Alloc 104  ; STARTUPINFOW
  Pop $1
  System::Call '*$1(i 104)'
  System::Alloc 24  ; PROCESS_INFORMATION
  Pop $2
  StrCpy $3 "$INSTDIR\TavrioPanel.exe"
  StrCpy $4 '"$3"'
  StrCpy $5 $INSTDIR
  ; CREATE_BREAKAWAY_FROM_JOB, then without it when the job forbids it.
  System::Call 'kernel32::CreateProcessW(w r3, w r4, p 0, p 0, i 0, i 0x01000000, p 0, w r5, p r1, p r2) i .r0'
  ${If} $0 = 0
    System::Call 'kernel32::CreateProcessW(w r3, w r4, p 0, p 0, i 0, i 0, p 0, w r5, p r1, p r2) i .r0'
  ${EndIf}
  ${If} $0 <> 0
    System::Call '*$2(p .r4, p .r5)'
    System::Call 'kernel32::CloseHandle(p r4)'
    System::Call 'kernel32::CloseHandle(p r5)'
  ${Else}
    DetailPrint "Cannot start $3: start it from the Start menu"
  ${EndIf}
  System::Free $1
  System::Free $2
FunctionEnd

; Starts the panel this install ended again, once, whether the install succeeds or fails: a failed upgrade must
; not leave the panel and its bot down.
Function StartEndedPanelAgain
  ${If} $EndedPanelElevation != ""
    Call StartPanelAgain
    StrCpy $EndedPanelElevation ""
  ${EndIf}
FunctionEnd

; The section's own aborts start the panel again at once, while the failure is still on screen; this is for the
; aborts NSIS makes itself, such as Abort chosen when a file cannot be written: run on exit when silent, on Cancel
; when shown. .onUserAbort never follows an ended panel: Cancel is off while the section runs.
Function .onInstFailed
  Call StartEndedPanelAgain
FunctionEnd

!macro END_PANEL_OR_ABORT un
  ${Do}
    Call ${un}EndPanel
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tavrio Panel is still running from$\r$\n$INSTDIR$\r$\n\
        Choose Exit in its menu in the notification area, then Retry." /SD IDCANCEL IDRETRY retry
    ; It may have ended since the wait; if it still runs, the copy started ends at once.
    !if "${un}" == ""
      Call StartEndedPanelAgain
    !endif
    Abort "Tavrio Panel is still running"
    retry:
  ${Loop}
!macroend

Section
  SetOutPath "$INSTDIR"
  !insertmacro END_PANEL_OR_ABORT ""
  ; A file that cannot be written is skipped in silent mode: that must not end as a success.
  ClearErrors
  File "${FILES}\TavrioPanel.exe"
  File "/oname=${README}" "${FILES}\${README}"
  File "${FILES}\.env.example"
  File "${FILES}\conf.ini.example"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${If} ${Errors}
    Call StartEndedPanelAgain
    Abort "Cannot write into $INSTDIR"
  ${EndIf}

  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\TavrioPanel.exe"
  ; Silent and not asked: at log-in a panel without its bot would only greet the user with a missing file.
  ${If} ${Silent}
  ${AndIf} $StartupAsked == ""
  ${AndIfNot} ${FileExists} "$INSTDIR\bot.exe"
    StrCpy $StartWithWindows ${BST_UNCHECKED}
  ${EndIf}
  ${If} $StartWithWindows = ${BST_CHECKED}
    CreateShortcut "$SMSTARTUP\${SHORTCUT}" "$INSTDIR\TavrioPanel.exe"
  ${Else}
    Delete "$SMSTARTUP\${SHORTCUT}"
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\TavrioPanel.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  Call StartEndedPanelAgain
SectionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Uninstall"
  !insertmacro END_PANEL_OR_ABORT "un."
  Delete "$INSTDIR\TavrioPanel.exe"
  Delete "$INSTDIR\${README}"
  Delete "$INSTDIR\.env.example"
  Delete "$INSTDIR\conf.ini.example"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; The shortcuts and the key name the last folder installed into; an older copy elsewhere leaves them to it.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    Delete "$SMPROGRAMS\${SHORTCUT}"
    Delete "$SMSTARTUP\${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
  ; Only when nothing else is left in it.
  RMDir "$INSTDIR"
SectionEnd
