; t47agent-setup.exe: installs the Norvane T47 agent for the user who runs it, without
; elevation. The build passes:
;   VERSION    the project's version number (x.y.z)
;   AGENT_DIR  the folder of the built t47agent.exe and its Lan\ folder
;   OUTFILE    the installer to write
;
; Silent use: t47agent-setup.exe /S [/D=<folder>]   (/D= last, unquoted)
; The user's settings files (%APPDATA%\Norvane\T47) are never touched, nor is any file of the
; companion program that may share the folder.

; Debian's Wine runs 64-bit programs only: a 32-bit installer there ends with 0, having done
; nothing.
Target amd64-unicode

!include LogicLib.nsh
!include MUI2.nsh
!include WinMessages.nsh

!define PRODUCT "Norvane T47"
!define AGENT_WINDOW "Norvane_T47_Hid"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "${PRODUCT}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\NorvaneT47Agent"
; Named after the agent: the companion program's folder may hold an uninstaller of its own.
!define UNINSTALLER "t47agent-uninstall.exe"
!define SYNCHRONIZE 0x00100000
!define CLOSE_PATIENCE_MS 20000

Name "${PRODUCT} agent"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An install over an earlier one goes into its folder.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ManifestDPIAware true

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "Norvane"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} agent setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Norvane"

!define MUI_DIRECTORYPAGE_TEXT_TOP "The agent starts the ${PRODUCT} configuration program \
    (Gaming.exe) from its own folder, so the folder of that program is the natural choice. \
    Files of that program are left as they are.$\r$\n$\r$\nThe agent is installed for you \
    alone and starts when you log on."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Closes a running agent as its tray menu does (WM_CLOSE to its window) and waits until its
; process has ended, so that its program file may be replaced or removed. One agent runs per
; user; the loop also closes one that started meanwhile. Aborts when an agent does not end.
!macro DEFINE_CLOSE_AGENT PREFIX
Function ${PREFIX}CloseAgent
    StrCpy $R0 0
    ${Do}
        FindWindow $0 "" "${AGENT_WINDOW}"
        ${If} $0 = 0
            Return
        ${EndIf}
        IntOp $R0 $R0 + 1
        ${If} $R0 > 3
            ${Break}
        ${EndIf}
        DetailPrint "Closing the running ${PRODUCT} agent"
        System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
        System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
        System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0) i'
        ${If} $2 == 0
            ; No handle on its process: its window going is the sign.
            StrCpy $3 0
            ${DoWhile} $3 < ${CLOSE_PATIENCE_MS}
                Sleep 100
                IntOp $3 $3 + 100
                FindWindow $0 "" "${AGENT_WINDOW}"
                ${IfThen} $0 = 0 ${|} ${Break} ${|}
            ${Loop}
        ${Else}
            System::Call 'kernel32::WaitForSingleObject(p r2, i ${CLOSE_PATIENCE_MS}) i .r3'
            System::Call 'kernel32::CloseHandle(p r2)'
            ${If} $3 <> 0  ; not WAIT_OBJECT_0
                ${Break}
            ${EndIf}
        ${EndIf}
    ${Loop}
    MessageBox MB_OK|MB_ICONSTOP "The ${PRODUCT} agent does not close. Close it from its \
        tray icon, then try again." /SD IDOK
    Abort
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_AGENT ""
!insertmacro DEFINE_CLOSE_AGENT "un."

Section "Agent"
    SectionIn RO
    Call CloseAgent

    SetOutPath "$INSTDIR"
    File "${AGENT_DIR}/t47agent.exe"
    ; Beside the companion program the language files are its own: missing ones are added,
    ; none is replaced.
    ${If} ${FileExists} "$INSTDIR\Gaming.exe"
        SetOverwrite off
    ${EndIf}
    SetOutPath "$INSTDIR\Lan"
    File "${AGENT_DIR}/Lan/*.ini"
    SetOverwrite on
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\t47agent.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} agent"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Norvane"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\t47agent.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

    ; Started from its folder, as at log-on.
    Exec '"$INSTDIR\t47agent.exe"'
SectionEnd

Section "Uninstall"
    Call un.CloseAgent
    Delete "$INSTDIR\t47agent.exe"
    ${IfNot} ${FileExists} "$INSTDIR\Gaming.exe"
        Delete "$INSTDIR\Lan\skin_*.ini"
        RMDir "$INSTDIR\Lan"
    ${EndIf}
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only when empty: never anything the user or the companion program put there.
    RMDir "$INSTDIR"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
