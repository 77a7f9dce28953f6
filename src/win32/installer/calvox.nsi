; Calvox-Setup.exe: installs Calvox for the current user, into a folder the
; user can write (the program keeps its settings and recordings beside
; itself). Built by the Windows build with
;   makensis -DBUILD_DIR=... -DSOURCE_DIR=... -DVERSION=a.b.c.d -DOUT_FILE=... calvox.nsi
; BUILD_DIR holds Calvox.exe and installer_prompts.nsh, the list of the
; answering machine's prompt files that the build found beside it.
; Calvox.exe is a 64-bit program; so is its installer.
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
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
    File "${BUILD_DIR}/Calvox.exe"
    !insertmacro InstallPrompts
    ; Settings the user already has survive a new installation.
    SetOverwrite off
    File "${SOURCE_DIR}/Calvox.ini"
    SetOverwrite on
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

Section "Start Calvox when I sign in" SecRun
    WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\Calvox.exe"'
SectionEnd

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
    Delete "$INSTDIR\Uninstall.exe"
    ; Only when empty: messages and recordings the user made stay.
    RMDir "$INSTDIR"
SectionEnd
