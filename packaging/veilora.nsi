; Veilora's per-user installer. `make dist` compiles it once per bitness with:
;   VERSION  the project version (x.y.z)     ARCH     x64 or x86
;   STAGE    folder holding veilora.exe, veilora.chm and License.txt
;   ICON     the program's icon               OUTFILE  the installer to write
;
; Command line (both directions are silent with /S):
;   setup.exe /S [/STARTWITHWINDOWS | /STARTWITHWINDOWS=0] [/D=folder]
;   uninstall.exe /S [/REMOVESETTINGS]
; Without /STARTWITHWINDOWS the choice stays what the program's own option says.

Unicode true
!if "${ARCH}" == "x64"
    Target amd64-unicode
!else if "${ARCH}" == "x86"
    Target x86-unicode
!else
    !error "ARCH must be x64 or x86"
!endif

SetCompressor /SOLID lzma
; Per user: installs where the user may write, so no administrator rights are asked for.
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Veilora"
!define PUBLISHER "Fernwick"
!define EXE "veilora.exe"
!define MAIN_CLASS "VeiloraMain"
!define UNINSTALLER "uninstall.exe"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Veilora"
!define SETTINGS_KEY "Software\Fernwick\Veilora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define CLOSE_WAIT_MS 15000

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"
ShowInstDetails hide
ShowUninstDetails hide

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup (${ARCH})"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

Var WasRunning       ; a running copy was closed, so the new one is started afterwards
Var RemoveSettings

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${VERSION} for you alone, in your \
own programs folder. No administrator rights are needed.$\r$\n$\r$\nIf ${PRODUCT} is running, \
Setup will ask it to close. Your settings are kept.$\r$\n$\r$\nClick Next to continue."
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The quoted full path of the program, exactly as its own Options writes the Run entry.
!macro RUN_COMMAND out
    StrCpy ${out} "$INSTDIR" "" -1
    ${If} ${out} == "\"
        StrCpy ${out} '"$INSTDIR${EXE}"'
    ${Else}
        StrCpy ${out} '"$INSTDIR\${EXE}"'
    ${EndIf}
!macroend

; Asks a running copy to end (it closes cleanly on WM_CLOSE to its hidden main window) and
; waits for its process, so that its files can be replaced or removed.
!macro CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
    StrCpy $WasRunning 0
again:
    FindWindow $R0 "${MAIN_CLASS}"
    ${If} $R0 == 0
        Return
    ${EndIf}
    ${IfNot} ${Silent}
    ${AndIf} $WasRunning == 0
        MessageBox MB_OKCANCEL|MB_ICONINFORMATION \
            "${PRODUCT} is running. Click OK to close it and continue, or Cancel to stop." \
            IDOK +2
        Abort "${PRODUCT} is still running."
    ${EndIf}
    StrCpy $WasRunning 1
    StrCpy $R1 0
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1) i'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R1) p .R2'   ; SYNCHRONIZE
    System::Call 'user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0) i'
    ${If} $R2 P<> 0
        System::Call 'kernel32::WaitForSingleObject(p R2, i ${CLOSE_WAIT_MS}) i .R3'
        System::Call 'kernel32::CloseHandle(p R2) i'
    ${Else}
        ; No handle on the process: wait for its window instead.
        StrCpy $R3 0
        ${DoUntil} $R3 >= ${CLOSE_WAIT_MS}
            FindWindow $R4 "${MAIN_CLASS}"
            ${IfThen} $R4 == 0 ${|} ${ExitDo} ${|}
            Sleep 100
            IntOp $R3 $R3 + 100
        ${Loop}
        Sleep 500
    ${EndIf}
    FindWindow $R0 "${MAIN_CLASS}"
    ${If} $R0 != 0
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
            "${PRODUCT} did not close. Please end it with Exit in its tray menu, then click \
Retry." \
            /SD IDCANCEL IDRETRY again
        Abort "${PRODUCT} is still running."
    ${EndIf}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

; Removes the Run entry "Veilora" when it starts this copy or a program that no longer exists;
; one that starts a copy elsewhere (a portable one) is left alone.
!macro REMOVE_OWN_RUN_ENTRY un
Function ${un}RemoveOwnRunEntry
    ReadRegStr $R0 HKCU "${RUN_KEY}" "${PRODUCT}"
    ${If} $R0 == ""
        Return
    ${EndIf}
    StrCpy $R1 $R0 1
    ${If} $R1 == '"'
        StrCpy $R0 $R0 "" 1
        StrCpy $R1 $R0 1 -1
        ${IfThen} $R1 == '"' ${|} StrCpy $R0 $R0 -1 ${|}
    ${EndIf}
    ${GetParent} $R0 $R1
    ${If} $R1 == $INSTDIR
    ${OrIfNot} ${FileExists} $R0
        DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    ${EndIf}
FunctionEnd
!macroend
!insertmacro REMOVE_OWN_RUN_ENTRY ""
!insertmacro REMOVE_OWN_RUN_ENTRY "un."

Section "${PRODUCT}" SecProgram
    SectionIn RO
    Call CloseRunningCopy

    SetOutPath "$INSTDIR"
    File "${STAGE}\${EXE}"
    File "${STAGE}\veilora.chm"
    File "${STAGE}\License.txt"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
        SW_SHOWNORMAL "" "Hides the screen in an instant"

    WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; The program keeps its own "Start with Windows" option beside the Run entry: both are written,
; so that its Options dialog shows the choice and keeps the entry when confirmed.
Section /o "Start with Windows" SecStartWithWindows
    !insertmacro RUN_COMMAND $0
    WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" $0
    WriteRegStr HKCU "${SETTINGS_KEY}\Options" "Start with Windows" "1"
SectionEnd

Section "-Finish"
    ${IfNot} ${SectionIsSelected} ${SecStartWithWindows}
        Call RemoveOwnRunEntry
        ; Written only where the program already keeps its options: "0" is its default.
        ReadRegStr $0 HKCU "${SETTINGS_KEY}\Options" "Start with Windows"
        ${If} $0 != ""
            WriteRegStr HKCU "${SETTINGS_KEY}\Options" "Start with Windows" "0"
        ${EndIf}
    ${EndIf}
    ; An update that closed the program brings it back; interactively the finish page offers it.
    ${If} ${Silent}
    ${AndIf} $WasRunning == 1
        Exec '"$INSTDIR\${EXE}"'
    ${EndIf}
SectionEnd

Function .onInit
    System::Call 'kernel32::CreateMutexW(p 0, i 0, w "Fernwick.Veilora.Setup") p .R0 ?e'
    Pop $R1
    ${If} $R1 == 183  ; ERROR_ALREADY_EXISTS
        MessageBox MB_OK|MB_ICONEXCLAMATION "The ${PRODUCT} installer is already running." /SD IDOK
        Abort
    ${EndIf}

    ; Preselected as the program's own option says; the command line overrides it.
    ReadRegStr $0 HKCU "${SETTINGS_KEY}\Options" "Start with Windows"
    IntOp $0 $0 + 0
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/STARTWITHWINDOWS" $2
    ${IfNot} ${Errors}
        ${If} $2 == "=0"
            StrCpy $0 0
        ${Else}
            StrCpy $0 1
        ${EndIf}
    ${EndIf}
    ${If} $0 != 0
        SectionSetFlags ${SecStartWithWindows} ${SF_SELECTED}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.CloseRunningCopy

    Delete "$INSTDIR\${EXE}"
    Delete "$INSTDIR\veilora.chm"
    Delete "$INSTDIR\License.txt"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Call un.RemoveOwnRunEntry
    DeleteRegKey HKCU "${UNINST_KEY}"

    ; The settings (password included) and the cover picture are the user's: asked for, and
    ; kept by a silent uninstall unless /REMOVESETTINGS is given.
    ${If} $RemoveSettings != 1
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
            "Do you also want to remove your ${PRODUCT} settings, password and cover picture?\
$\r$\n$\r$\nChoose No to keep them for a later installation." \
            /SD IDNO IDNO keep
        StrCpy $RemoveSettings 1
    keep:
    ${EndIf}
    ${If} $RemoveSettings == 1
        DeleteRegKey HKCU "${SETTINGS_KEY}"
        DeleteRegKey /ifempty HKCU "Software\${PUBLISHER}"
        Delete "$INSTDIR\scrcap.bmp"
    ${EndIf}

    Delete "$INSTDIR\${UNINSTALLER}"
    ; Never recursive: the folder may hold files that are not ours.
    RMDir "$INSTDIR"
SectionEnd

Function un.onInit
    StrCpy $RemoveSettings 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVESETTINGS" $1
    ${IfNot} ${Errors}
        StrCpy $RemoveSettings 1
    ${EndIf}
FunctionEnd
