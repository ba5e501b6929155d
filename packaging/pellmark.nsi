; Pellmark setup: installs the program, registers its components, creates the
; settings key and a Start menu entry, and writes an uninstaller that takes
; all of it away again.
;
; makensis -DARCH=x86|amd64 -DVERSION=3.0 -DDIST_DIR=<laid-out dist folder>
;          -DICON=<program icon> -DOUT_FILE=<setup to write> pellmark.nsi
;
; Silent use: Pellmark-setup.exe /S [/D=folder]; Uninstall.exe /S keeps the
; user's settings unless /REMOVESETTINGS is given. Exit codes: 0 done, 1 a
; step of the install failed (the details name it), 2 the program is
; running, 740 (ERROR_ELEVATION_REQUIRED) no administrator rights.

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Pellmark"
!define PUBLISHER "Pellmark Software"
!define MAIN_WINDOW "Pellmark"
!define SETTINGS_KEY "SOFTWARE\Pellmark"
!define OPTIONS_KEY "${SETTINGS_KEY}\Options"
!define SOURCES_KEY "${SETTINGS_KEY}\Sources"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellmark"
!define MANUAL "User manual.pdf"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
!if ${ARCH} == amd64
  Target amd64-unicode
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  Target x86-unicode
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
; An upgrade goes where the last install went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartFromMenuFolder
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The program writes its log to the "log" folder of its current folder and
; opens the manual from there, and a user without administrator rights
; cannot write under Program Files. So it starts in the machine's shared
; application data folder, which every user may write to.
!macro WORK_FOLDER
  SetShellVarContext all
  StrCpy $WorkFolder "$APPDATA\${PRODUCT}"
!macroend

Var WorkFolder
; The first step of the install that failed; empty while all went well.
Var Failure

; Everything the setup and the uninstaller change (Program Files, HKLM, the
; shared Start menu, the component registrations) needs administrator
; rights. RequestExecutionLevel only asks Windows for them: a run without
; them (UAC off, a deployment tool, a limited token) would stop half-way,
; so it is refused before anything is changed.
!define ERROR_ELEVATION_REQUIRED 740
!macro REFUSE_WITHOUT_RIGHTS DOING
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP \
      "${DOING} ${PRODUCT} needs administrator rights. Start it again with $\"Run as administrator$\"." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
!macroend

; Setup and uninstall both replace files the running program holds open.
!macro REFUSE_WHILE_RUNNING
  ${Do}
    FindWindow $0 "#32770" "${MAIN_WINDOW}"
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${PRODUCT} is running. Close it, then press Retry." /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
    retry:
  ${Loop}
!macroend

; The files of the install folder, each handed to DO.
!macro OUR_FILES DO
  !insertmacro ${DO} "Corvane.exe"
  !insertmacro ${DO} "Kestrine.dll"
  !insertmacro ${DO} "Ostrel.dll"
  !insertmacro ${DO} "Postil.dll"
  !insertmacro ${DO} "vossic.dll"
  !insertmacro ${DO} "brannick.dll"
  !insertmacro ${DO} "${MANUAL}"
  !insertmacro ${DO} "README.md"
!macroend
!macro INSTALL_ONE NAME
  File "${DIST_DIR}/${NAME}"
!macroend
!macro REMOVE_ONE NAME
  Delete "$INSTDIR\${NAME}"
!macroend

; Each component with the ProgID its registration makes.
!macro COMPONENTS DO
  !insertmacro ${DO} "$INSTDIR\Kestrine.dll" "Kestrine.Trawler"
  !insertmacro ${DO} "$INSTDIR\Ostrel.dll" "Ostrel.COstrel"
  !insertmacro ${DO} "$INSTDIR\Postil.dll" "Postil.Postil"
!macroend

; A step failed when its commands set the error flag.
!macro CHECK_STEP WHAT
  ${If} ${Errors}
    Push "${WHAT}"
    Call StepFailed
  ${EndIf}
!macroend

; Registers one component. RegDLL only tells that DllRegisterServer said
; yes, so the registration is read back too: the ProgID must lead to a
; class served by this very file (not a stale one, not another view's).
!macro REGISTER_ONE DLL PROGID
  ClearErrors
  RegDLL "${DLL}"
  !insertmacro CHECK_STEP "register ${DLL}"
  ReadRegStr $0 HKCR "${PROGID}\CLSID" ""
  ReadRegStr $1 HKCR "CLSID\$0\InprocServer32" ""
  ${If} $1 != "${DLL}"
    Push "find ${PROGID} served by ${DLL} after its registration"
    Call StepFailed
  ${EndIf}
!macroend

!macro UNREGISTER_ONE DLL PROGID
  ClearErrors
  UnRegDLL "${DLL}"
  ${If} ${Errors}
    DetailPrint "Could not unregister ${DLL}"
  ${EndIf}
!macroend

Function .onInit
  !insertmacro REFUSE_WITHOUT_RIGHTS "Installing"
  !insertmacro REFUSE_WHILE_RUNNING
FunctionEnd

; Says in the details which step failed (the text on the stack) and keeps
; the first one for the end of the install.
Function StepFailed
  Exch $0
  DetailPrint "Could not $0"
  ${If} $Failure == ""
    StrCpy $Failure $0
  ${EndIf}
  Pop $0
FunctionEnd

; The finish page's "Run": the program runs as the user at the desktop, not
; with this setup's administrator rights, which Exec and ExecShell would pass
; on to it. So the running shell is asked to open the program's Start menu
; entry (ShellWindows, the desktop's view, its Shell.Application object,
; IShellDispatch2::ShellExecute): the shell starts it from its own process,
; with its own unelevated token, in the entry's working folder. The class is
; asked of a local server only, so that it is the shell's object and never
; one inside this process; without such a shell nothing is started.
!define CLSID_ShellWindows "{9BA05972-F6A8-11CF-A442-00A0C90A8F39}"
!define IID_IShellWindows "{85CB6900-4D95-11CF-960C-0080C7F4EE85}"
!define IID_IServiceProvider "{6D5140C1-7436-11CE-8034-00AA006009FA}"
!define SID_STopLevelBrowser "{4C96BE40-915C-11CF-99D3-00AA004AE837}"
!define IID_IShellBrowser "{000214E2-0000-0000-C000-000000000046}"
!define IID_IDispatch "{00020400-0000-0000-C000-000000000046}"
!define IID_IShellFolderViewDual "{E7A1AF80-4D96-11CF-960C-0080C7F4EE85}"
!define IID_IShellDispatch2 "{A4C6892C-3BA9-11D2-9DEA-00C04FB16162}"
!define CLSCTX_LOCAL_SERVER 4
!define SWC_DESKTOP 8
!define SWFO_NEEDDISPATCH 1
!define SVGIO_BACKGROUND 0
!define VT_I4 3
!define VT_BSTR 8

; One call of the chain, made while every call before it succeeded ($0 is
; the last HRESULT): it takes the interface in $1 and returns the next in
; $2, which then becomes $1 and goes on the stack for its release.
!macro SHELL_STEP CALL
  ${If} $0 = 0
    StrCpy $2 0
    System::Call `${CALL}`
    ${If} $2 == 0
      StrCpy $0 -1
    ${EndIf}
    ${If} $0 = 0
      Push $2
      StrCpy $1 $2
    ${EndIf}
  ${EndIf}
!macroend

Function StartFromMenuFolder
  SetShellVarContext all
  Push ""
  ; An empty VARIANT: the places FindWindowSW does not look at, and on x64
  ; the arguments ShellExecute gets none for.
  System::Call '*(&i2 0, &i2 0, &i2 0, &i2 0, p 0, p 0) p .r9'
  StrCpy $0 0
  !insertmacro SHELL_STEP 'ole32::CoCreateInstance(g "${CLSID_ShellWindows}", p 0, i ${CLSCTX_LOCAL_SERVER}, \
    g "${IID_IShellWindows}", *p .r2) i .r0'
  !insertmacro SHELL_STEP '$1->15(p r9, p r9, i ${SWC_DESKTOP}, *i .r3, i ${SWFO_NEEDDISPATCH}, *p .r2) i .r0'
  !insertmacro SHELL_STEP '$1->0(g "${IID_IServiceProvider}", *p .r2) i .r0'
  !insertmacro SHELL_STEP '$1->3(g "${SID_STopLevelBrowser}", g "${IID_IShellBrowser}", *p .r2) i .r0'
  !insertmacro SHELL_STEP '$1->15(*p .r2) i .r0'
  !insertmacro SHELL_STEP '$1->15(i ${SVGIO_BACKGROUND}, g "${IID_IDispatch}", *p .r2) i .r0'
  !insertmacro SHELL_STEP '$1->0(g "${IID_IShellFolderViewDual}", *p .r2) i .r0'
  !insertmacro SHELL_STEP '$1->7(*p .r2) i .r0'
  !insertmacro SHELL_STEP '$1->0(g "${IID_IShellDispatch2}", *p .r2) i .r0'
  ${If} $0 = 0
    ; ShellExecute(file, no arguments, no folder (the entry has its own),
    ; the verb "open", SW_SHOWNORMAL). A VARIANT passed by value goes as
    ; the address of a copy on x64 and as its 16 bytes on x86.
    System::Call 'oleaut32::SysAllocString(w "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk") p .r4'
    System::Call 'oleaut32::SysAllocString(w "open") p .r5'
    !if ${ARCH} == amd64
      System::Call '*(&i2 ${VT_BSTR}, &i2 0, &i2 0, &i2 0, p r5, p 0) p .r6'
      System::Call '*(&i2 ${VT_I4}, &i2 0, &i2 0, &i2 0, i ${SW_SHOWNORMAL}, i 0, p 0) p .r7'
      System::Call '$1->31(p r4, p r9, p r9, p r6, p r7) i .r0'
      System::Free $6
      System::Free $7
    !else
      System::Call '$1->31(p r4, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, \
        i ${VT_BSTR}, i 0, p r5, i 0, i ${VT_I4}, i 0, i ${SW_SHOWNORMAL}, i 0) i .r0'
    !endif
    System::Call 'oleaut32::SysFreeString(p r4)'
    System::Call 'oleaut32::SysFreeString(p r5)'
  ${EndIf}
  ${Do}
    Pop $1
    ${If} $1 == ""
      ${Break}
    ${EndIf}
    System::Call '$1->2()'
  ${Loop}
  System::Free $9
  ${If} $0 <> 0
    MessageBox MB_OK|MB_ICONINFORMATION "Start ${PRODUCT} from its entry in the Start menu."
  ${EndIf}
FunctionEnd

Section "Pellmark" SecMain
  SectionIn RO
  ; The install counts as failed until every step is done, whatever ends it.
  SetErrorLevel 1
  !insertmacro WORK_FOLDER
  SetOverwrite on
  ClearErrors
  SetOutPath "$INSTDIR"
  !insertmacro OUR_FILES INSTALL_ONE
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  !insertmacro CHECK_STEP "copy the program's files to $INSTDIR"

  !insertmacro COMPONENTS REGISTER_ONE

  Call CreateSettingsOnce
  Call LetUsersChangeSettings
  Call CreateWorkFolder
  Call CreateMenuEntries
  Call WriteUninstallEntry

  ; Every step was tried, so that what did get installed can be
  ; uninstalled; a failed one still fails the setup.
  ${If} $Failure != ""
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is not completely installed: could not $Failure." /SD IDOK
    Abort "Could not $Failure"
  ${EndIf}
  SetErrorLevel 0
SectionEnd

; The program never creates its settings key. A first install creates it
; with the program's own starting values and the sources not yet chosen;
; an upgrade keeps what the user chose.
Function CreateSettingsOnce
  ClearErrors
  EnumRegValue $0 HKLM "${OPTIONS_KEY}" 0
  ${IfNot} ${Errors}
    DetailPrint "Keeping the settings in HKLM\${OPTIONS_KEY}"
    Return
  ${EndIf}
  ClearErrors
  WriteRegDWORD HKLM "${OPTIONS_KEY}" "bContact" 0
  WriteRegDWORD HKLM "${OPTIONS_KEY}" "bEmail" 0
  WriteRegDWORD HKLM "${OPTIONS_KEY}" "bWhoIs" 0
  WriteRegDWORD HKLM "${OPTIONS_KEY}" "bKeyword" 0
  WriteRegDWORD HKLM "${OPTIONS_KEY}" "dQueryDelay" 100
  ; A new user has no source chosen yet: the program asks at its first
  ; start (the classic services of the build answer nowhere on today's web).
  WriteRegDWORD HKLM "${SOURCES_KEY}" "Chosen" 0
  !insertmacro CHECK_STEP "create the settings in HKLM\${OPTIONS_KEY}"
FunctionEnd

; The options are the machine's, and every user may read and change them.
; A key made under HKLM\SOFTWARE lets only administrators write, and the
; program opens its key and the Options subkey asking for all access rights
; (as it always has), a request granted whole or not at all. A standard
; user's 32-bit program (it has no manifest, so UAC virtualizes it) then
; reads the machine's values but saves into its own VirtualStore copy,
; which shadows them for that user alone and which neither an upgrade nor
; the uninstaller sees; a 64-bit program, or a 32-bit one where UAC does not
; virtualize, gets ERROR_ACCESS_DENIED and neither reads nor saves. Read and
; write access alone would leave the last two as they are. So Users get
; full control of this key, and only of it: the entry is inherited by
; Options. The list also names administrators and the system, so that it
; is complete in itself, whatever the parent key passes on. Done on every
; install, so that an upgrade gives an older install the same.
Function LetUsersChangeSettings
  StrCpy $5 -1
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW( \
    w "D:(A;CI;KA;;;SY)(A;CI;KA;;;BA)(A;CI;KA;;;BU)", i 1, *p .r1, p 0) i .r0'
  ${If} $0 <> 0
    System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r2, *p .r3, *i .r4) i .r0'
    ; SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION; the key in this setup's
    ; own registry view, where the WriteReg commands put it.
    ${If} $0 <> 0
      System::Call 'advapi32::SetNamedSecurityInfoW(w "MACHINE\${SETTINGS_KEY}", i 4, i 4, p 0, p 0, p r3, p 0) i .r5'
    ${EndIf}
    System::Call 'kernel32::LocalFree(p r1)'
  ${EndIf}
  ${If} $5 <> 0
    Push "let every user change the settings in HKLM\${SETTINGS_KEY}"
    Call StepFailed
  ${EndIf}
FunctionEnd

; The folder the program starts in: its log folder and the manual that
; Help opens. Every user may change what is in it, so the log and the
; address file of one user do not lock out the next.
Function CreateWorkFolder
  ClearErrors
  SetOutPath "$WorkFolder"
  File "${DIST_DIR}/${MANUAL}"
  CreateDirectory "$WorkFolder\log"
  !insertmacro CHECK_STEP "put the manual and the log folder into $WorkFolder"
  nsExec::ExecToLog 'icacls "$WorkFolder" /grant *S-1-5-32-545:(OI)(CI)M'
  Pop $0
  ${If} $0 != 0
    Push "let every user write to $WorkFolder (icacls: $0)"
    Call StepFailed
  ${EndIf}
FunctionEnd

Function CreateMenuEntries
  ClearErrors
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  SetOutPath "$WorkFolder"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Corvane.exe" "" "$INSTDIR\Corvane.exe" 0
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} manual.lnk" "$INSTDIR\${MANUAL}"
  !insertmacro CHECK_STEP "create the Start menu entries in $SMPROGRAMS\${PRODUCT}"
FunctionEnd

Function WriteUninstallEntry
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ClearErrors
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Corvane.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  !insertmacro CHECK_STEP "write the Uninstall entry HKLM\${UNINSTALL_KEY}"
FunctionEnd

Function un.onInit
  !insertmacro REFUSE_WITHOUT_RIGHTS "Removing"
  !insertmacro REFUSE_WHILE_RUNNING
FunctionEnd

Section "Uninstall"
  !insertmacro WORK_FOLDER
  !insertmacro COMPONENTS UNREGISTER_ONE

  !insertmacro OUR_FILES REMOVE_ONE
  Delete "$INSTDIR\Uninstall.exe"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} manual.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  ; The logs are the program's; reports and address files the user saved
  ; here stay, and so does the folder that holds them.
  Delete "$WorkFolder\${MANUAL}"
  Delete "$WorkFolder\log\*.log"
  RMDir "$WorkFolder\log"
  RMDir "$WorkFolder"

  Call un.RemoveSettingsIfAsked
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  RMDir "$INSTDIR"
SectionEnd

; The options outlive the program unless the user wants them gone; a silent
; uninstall keeps them unless told /REMOVESETTINGS.
Function un.RemoveSettingsIfAsked
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    Return
  ${EndIf}
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Remove your ${PRODUCT} settings (the options you chose) too?" /SD IDNO IDNO keep
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  keep:
FunctionEnd
