; The Calvox setup: installs Calvox for the current user, into a folder the
; user can write (the program keeps its settings and recordings beside
; itself). Built by the x64 Windows build (cmake/installers.cmake) with
;   makensis -DBUILD_DIR=... -DSOURCE_DIR=... -DVERSION=a.b.c.d -DOUT_FILE=...
;            [-DSTUB=x86-unicode|amd64-unicode] [-DX86_EXE=...] calvox.nsi
; BUILD_DIR holds the x64 Calvox.exe and installer_prompts.nsh, the list of the
; answering machine's prompt files that the build found beside it; X86_EXE is
; the 32-bit Calvox.exe. The 32-bit setup runs on any Windows and installs the
; program that matches it; on 64-bit Windows the component "32-bit program"
; (or /32 on the command line) installs the 32-bit one instead, for a handset
; driver whose control object is 32-bit.
!ifndef STUB
    !define STUB x86-unicode
!endif
Target ${STUB}
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "${BUILD_DIR}/installer_prompts.nsh"

!define PRODUCT "Calvox"
!define HIDDEN_WINDOW "Calvox Hidden Window class"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Calvox"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MENU_FOLDER "$SMPROGRAMS\Calvox"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Calvox"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "Calvox setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 the Calvox developers"

!define MUI_FINISHPAGE_RUN "$INSTDIR\Calvox.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "TradChinese"

; A running Calvox holds its program file open: ask it to end, as its Exit
; item does, and give it a moment to go.
!macro EndRunningCalvox
    FindWindow $0 "${HIDDEN_WINDOW}" "${HIDDEN_WINDOW}"
    StrCmp $0 0 +3
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    Sleep 1000
!macroend

Section "Calvox" SecProgram
    SectionIn RO
    SetShellVarContext current
    !insertmacro EndRunningCalvox
    SetOutPath "$INSTDIR"
    Call InstallProgramFile
    !insertmacro InstallPrompts
    ; Settings the user already has survive a new installation.
    SetOverwrite off
    File "${SOURCE_DIR}/Calvox.ini"
    SetOverwrite on
    File "/oname=Settings.md" "${SOURCE_DIR}/../../../docs/settings.md"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "${MENU_FOLDER}"
    CreateShortcut "${MENU_FOLDER}\Calvox.lnk" "$INSTDIR\Calvox.exe"
    CreateShortcut "${MENU_FOLDER}\Uninstall Calvox.lnk" "$INSTDIR\Uninstall.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Calvox developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Calvox.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

!ifdef X86_EXE
; A choice, read by InstallProgramFile.
Section /o "32-bit program (for a 32-bit handset driver)" Sec32
SectionEnd
!endif

Section "Start Calvox when I sign in" SecRun
    WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\Calvox.exe"'
SectionEnd

Function .onInit
    ${IfNot} ${RunningX64}
!ifdef X86_EXE
        ; 32-bit Windows runs only the 32-bit program.
        !insertmacro SetSectionFlag ${Sec32} ${SF_SELECTED}
        !insertmacro SetSectionFlag ${Sec32} ${SF_RO}
!else
        MessageBox MB_ICONSTOP "This setup holds only the 64-bit Calvox." /SD IDOK
        Abort
!endif
    ${EndIf}
!ifdef X86_EXE
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/32" $R1
    ${IfNot} ${Errors}
        !insertmacro SetSectionFlag ${Sec32} ${SF_SELECTED}
    ${EndIf}
!endif
FunctionEnd

Function InstallProgramFile
!ifdef X86_EXE
    ${If} ${SectionIsSelected} ${Sec32}
        File "/oname=Calvox.exe" "${X86_EXE}"
        Return
    ${EndIf}
!endif
    File "${BUILD_DIR}/Calvox.exe"
FunctionEnd

Section "Uninstall"
    SetShellVarContext current
    !insertmacro EndRunningCalvox
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    Delete "${MENU_FOLDER}\Calvox.lnk"
    Delete "${MENU_FOLDER}\Uninstall Calvox.lnk"
    RMDir "${MENU_FOLDER}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; The program's folder last: its going away marks the end.
    Delete "$INSTDIR\Calvox.exe"
    !insertmacro RemovePrompts
    ; The program keeps its settings file hidden.
    SetFileAttributes "$INSTDIR\Calvox.ini" NORMAL
    Delete "$INSTDIR\Calvox.ini"
    Delete "$INSTDIR\Settings.md"
    Delete "$INSTDIR\Uninstall.exe"
    ; Only when empty: messages and recordings the user made stay.
    RMDir "$INSTDIR"
SectionEnd
