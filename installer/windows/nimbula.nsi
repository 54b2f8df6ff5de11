; The Windows installer, built by makensis from the folder that the portable zip holds too.
; Puts the data and the editing frame's program into Program Files\Nimbula, the screen saver into
; the system folder (where the Screen Saver settings list it), the data folder into the registry
; value the program reads, a Start menu entry and an Add/Remove Programs entry; its uninstaller
; takes all of that away again (with the folders the installation made) and leaves the user's own
; universes and settings alone. An earlier installation goes first, wherever it was.
;
; makensis -DVERSION=3.0 -DVERSION4=3.0.0.0 -DSTAGE=DIR -DFILES=FILE -DICON=FILE -DOUTFILE=FILE
;          nimbula.nsi
; STAGE holds nimbula.scr, nimbula.exe, nimbula-tool.exe, README.md, LICENSE and res/; FILES
; (written from STAGE by files.cmake) defines SIZE_KB and the macro DeleteData, which deletes each
; file of res/ and then its folders.

Unicode true
; The program is 64-bit: so is the installer, which then sees the 64-bit Program Files, system
; folder and registry as the program does (no file system or registry redirection to undo).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include FileFunc.nsh
!include LogicLib.nsh
!include MUI2.nsh
!include x64.nsh
!include "${FILES}"

!define PRODUCT "Nimbula"
; The program reads its data folder from here ("directory", HKEY_LOCAL_MACHINE, 64-bit view).
!define PRODUCT_KEY "Software\Nimbula"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nimbula"
!define MENU_FOLDER "$SMPROGRAMS\Nimbula"
; The running program holds this named mutex (its single-instance lock).
!define RUNNING_MUTEX "{3F7A9C21-58D4-4e1b-8C6F-0B2D47E9A513}"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Nimbula"
; A second installation goes where the first went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION4}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PRODUCT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\nimbula.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Open the Nimbula editing frame"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running Nimbula keeps its program files open: Windows would refuse to replace or delete them
; half way through. Said and ended before anything changes (status 2 when silent).
!macro RefuseWhileRunning
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p .r0'
    ${If} $0 <> 0
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_OK|MB_ICONEXCLAMATION "Nimbula is running. Please close it, then try again." /SD IDOK
        Abort
    ${EndIf}
!macroend

; Removes FOLDER and then, each only while empty, the folders above it up to COUNT folders in all
; (the ones the installation made: it records how many did not exist yet).
!macro RemoveMadeFolders FOLDER COUNT
    StrCpy $R8 "${FOLDER}"
    StrCpy $R9 "${COUNT}"
    RMDir "$R8"
    ${While} $R9 > 1
        ${GetParent} $R8 $R8
        ${IfThen} $R8 == "" ${|} ${Break} ${|}
        RMDir "$R8"
        IntOp $R9 $R9 - 1
    ${EndWhile}
!macroend

Function .onInit
    ; The 64-bit view is the installer's own; said once more so that no include changes it.
    SetRegView 64
    !insertmacro RefuseWhileRunning
FunctionEnd

Section "Nimbula"
    SetShellVarContext all
    ; An earlier installation goes first, wherever the registry says it is (this folder or
    ; another the user chose before), in place and waited for: no file it had and this one lacks
    ; stays behind, and no second copy with its own uninstaller. The user's own files stay as
    ; with any uninstallation.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${IfThen} $0 == "" ${|} StrCpy $0 $INSTDIR ${|}
    ${If} ${FileExists} "$0\uninstall.exe"
        ClearErrors
        ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "MadeFolders"
        ${IfThen} ${Errors} ${|} StrCpy $1 1 ${|}
        ExecWait '"$0\uninstall.exe" /S _?=$0' $2
        ${If} $2 <> 0
            MessageBox MB_OK|MB_ICONSTOP "The earlier installation in $0 could not be removed (status $2)." /SD IDOK
            Abort
        ${EndIf}
        ; Run in place, the uninstaller cannot delete itself: its folder goes here.
        Delete "$0\uninstall.exe"
        !insertmacro RemoveMadeFolders "$0" $1
    ${EndIf}

    ; How many folders this installation makes: its own and those above it that do not exist yet.
    StrCpy $0 $INSTDIR
    StrCpy $1 0
    ${Do}
        ${If} $0 == ""
        ${OrIf} ${FileExists} "$0\*.*"
            ${ExitDo}
        ${EndIf}
        IntOp $1 $1 + 1
        ${GetParent} $0 $0
    ${Loop}

    SetOutPath "$INSTDIR"
    ; The same program named .exe opens the editing frame: the Start menu's entry.
    File "${STAGE}/nimbula.exe"
    File "${STAGE}/nimbula-tool.exe"
    File "${STAGE}/README.md"
    File "${STAGE}/LICENSE"
    SetOutPath "$INSTDIR\res"
    File /r "${STAGE}/res/*"

    ; The Screen Saver settings list the .scr files of the system folder.
    ${DisableX64FSRedirection}
    SetOutPath "$SYSDIR"
    File "${STAGE}/nimbula.scr"
    ${EnableX64FSRedirection}

    ; The saver in the system folder has no data beside it: it finds the folder here.
    WriteRegStr HKLM "${PRODUCT_KEY}" "directory" "$INSTDIR\res"

    SetOutPath "$INSTDIR"
    CreateDirectory "${MENU_FOLDER}"
    CreateShortcut "${MENU_FOLDER}\Nimbula.lnk" "$INSTDIR\nimbula.exe" "" "$INSTDIR\nimbula.exe" 0 \
        SW_SHOWNORMAL "" "Build, keep and share universes of orbs"

    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\nimbula.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "MadeFolders" $1
    ; Add/Remove Programs shows the size in KiB.
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Function un.onInit
    SetRegView 64
    !insertmacro RefuseWhileRunning
FunctionEnd

; Only what the installer put there goes: the user's universes (in their own folders) and settings
; (HKEY_CURRENT_USER\Software\Nimbula) stay, and so does anything else found in the folders.
; An uninstaller left in a folder that the registry no longer names (another installation has
; replaced it) takes only its own folder's files: the rest is the other installation's.
Section "Uninstall"
    SetShellVarContext all
    !insertmacro DeleteData
    Delete "$INSTDIR\nimbula.exe"
    Delete "$INSTDIR\nimbula-tool.exe"
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\LICENSE"
    Delete "$INSTDIR\uninstall.exe"

    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} $0 != $INSTDIR
    ${AndIf} ${FileExists} "$0\uninstall.exe"
        RMDir "$INSTDIR"
        Return
    ${EndIf}
    ClearErrors
    ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "MadeFolders"
    ${IfThen} ${Errors} ${|} StrCpy $1 1 ${|}
    !insertmacro RemoveMadeFolders "$INSTDIR" $1

    ${DisableX64FSRedirection}
    Delete "$SYSDIR\nimbula.scr"
    ${EnableX64FSRedirection}

    Delete "${MENU_FOLDER}\Nimbula.lnk"
    RMDir "${MENU_FOLDER}"

    DeleteRegValue HKLM "${PRODUCT_KEY}" "directory"
    DeleteRegKey /ifempty HKLM "${PRODUCT_KEY}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
