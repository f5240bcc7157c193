; The Tamblorn installer. It puts the saver into the system directory, records
; it in the list of installed programs and, unless the box is cleared, makes
; it the current screen saver. The build tree makes it with
;   makensis -INPUTCHARSET UTF8 -DVERSION=x.y.z -DPROGRAM=Tamblorn.scr
;            -DREADME=README.txt -DICON=tamblorn.ico -DOUTFILE=setup.exe tamblorn.nsi
;
; An ANSI installer: the saver itself is an ANSI program whose Japanese shows
; only where the system's ANSI code page is 932, and those are exactly the
; systems on which these Japanese pages are right - Windows 95, 98 and Me as
; well as NT 4.0 to 11. Where the system asks for Japanese but its code page
; is another, the pages are in English. A Unicode installer would not run on
; the 9x family at all.
; -DTEST_AMD64 makes the same installer for 64-bit Windows (Unicode): only
; for testing on machines that cannot run 32-bit programs.

!ifdef TEST_AMD64
  Target amd64-unicode
!else
  Unicode false
!endif
SetCompressor /SOLID lzma
; A program that cannot be replaced (the saver or its preview running) stops
; the installation: retry or cancel, never skip, and in silent mode cancel.
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinVer.nsh
!include x64.nsh

!define SAVER_FILE "Tamblorn.scr"
!define SETTINGS_FILE "TamblornScrS"
!define PUBLISHER "Tamblorn Project"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tamblorn"
!define DESKTOP_KEY "Control Panel\Desktop"
!define JAPANESE_CODE_PAGE 932
; InitCommonControlsEx, which the saver calls, came with the common controls
; 4.70. (The tests raise the bar to see the installer stop.)
!ifndef COMMON_CONTROLS_MAJOR
  !define COMMON_CONTROLS_MAJOR 4
!endif
!define COMMON_CONTROLS_MINOR 70
!define /math COMMON_CONTROLS_THOUSANDS ${COMMON_CONTROLS_MAJOR} * 1000
!define /math COMMON_CONTROLS_NEEDED ${COMMON_CONTROLS_THOUSANDS} + ${COMMON_CONTROLS_MINOR}
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3

Name "Tamblorn ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Tamblorn"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "Tamblorn ${VERSION}"
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Tamblorn"
VIAddVersionKey /LANG=0 "FileDescription" "Tamblorn Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

Var savedPath
Var programPath
Var shortProgramPath

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$programPath"
!define MUI_FINISHPAGE_RUN_PARAMETERS "/c"
!define MUI_FINISHPAGE_RUN_TEXT "$(OPEN_SETTINGS)"
; Cleared: opened from here the settings dialog would have the installer's
; administrator rights (see the read-me).
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for systems that ask for neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString DISPLAY_NAME ${LANG_ENGLISH} "Tamblorn Screen Saver"
LangString DISPLAY_NAME ${LANG_JAPANESE} "Tamblorn スクリーンセーバ"
LangString PROGRAM_PART ${LANG_ENGLISH} "Tamblorn screen saver"
LangString PROGRAM_PART ${LANG_JAPANESE} "Tamblorn スクリーンセーバ"
LangString CURRENT_PART ${LANG_ENGLISH} "Use it as the screen saver now"
LangString CURRENT_PART ${LANG_JAPANESE} "いまのスクリーンセーバにする"
LangString OPEN_SETTINGS ${LANG_ENGLISH} "Open the settings"
LangString OPEN_SETTINGS ${LANG_JAPANESE} "設定を開く"
LangString SETTINGS_PART ${LANG_ENGLISH} "Also remove my settings (${SETTINGS_FILE})"
LangString SETTINGS_PART ${LANG_JAPANESE} "設定ファイル (${SETTINGS_FILE}) も削除する"
LangString NEEDS_ADMIN ${LANG_ENGLISH} "Installing or removing Tamblorn needs an administrator account."
LangString NEEDS_ADMIN ${LANG_JAPANESE} "Tamblorn のインストールと削除には管理者のアカウントが必要です。"
LangString ^FileError_NoIgnore ${LANG_ENGLISH} "Cannot replace:$\r$\n$\r$\n$0$\r$\n$\r$\nThe screen saver or its preview may be running. End it and click Retry, or Cancel to stop: nothing is changed then."
LangString ^FileError_NoIgnore ${LANG_JAPANESE} "次のファイルを置き換えられません。$\r$\n$\r$\n$0$\r$\n$\r$\nスクリーンセーバかそのプレビューが動いているかもしれません。止めてから「再試行」を、やめるには「キャンセル」を押してください (そのときは何も変更しません)。"
LangString REMOVED_AT_RESTART ${LANG_ENGLISH} "Tamblorn.scr is in use (the screen saver or its preview is running): it will be removed when Windows restarts."
LangString REMOVED_AT_RESTART ${LANG_JAPANESE} "Tamblorn.scr は使用中です (スクリーンセーバかそのプレビューが動いています)。Windows の再起動のときに削除されます。"
LangString OLD_SYSTEM ${LANG_ENGLISH} "Tamblorn cannot run on this version of Windows: it needs the common controls 4.70 or later (Windows 98, 2000 and later, or Windows 95 and NT 4.0 with Internet Explorer 3 or later). Nothing was changed."
LangString OLD_SYSTEM ${LANG_JAPANESE} "この Windows では Tamblorn は動きません。共通コントロール 4.70 以降 (Windows 98、2000 以降、または Internet Explorer 3 以降を入れた Windows 95、NT 4.0) が必要です。何も変更していません。"


; Where the program really lies: a 32-bit installer on 64-bit Windows writes
; to $SYSDIR, which Windows redirects to SysWOW64, and the 64-bit parts of
; Windows that read the recorded paths must be told that folder.
!macro FIND_PROGRAM_PATH
  StrCpy $programPath "$SYSDIR\${SAVER_FILE}"
  !ifndef TEST_AMD64
    ${If} ${IsWow64}
      StrCpy $programPath "$WINDIR\SysWOW64\${SAVER_FILE}"
    ${EndIf}
  !endif
!macroend

; Japanese pages only where the ANSI code page can show them.
!macro PICK_LANGUAGE
  !ifndef TEST_AMD64
    ${If} $LANGUAGE == ${LANG_JAPANESE}
      System::Call "kernel32::GetACP() i .r0"
      ${If} $0 != ${JAPANESE_CODE_PAGE}
        StrCpy $LANGUAGE ${LANG_ENGLISH}
      ${EndIf}
    ${EndIf}
  !endif
!macroend

; Both stop before anything is changed: without administrator rights, and
; where the saver could not start.
!macro CHECK_ADMINISTRATOR
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
  ${AndIf} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$(NEEDS_ADMIN)" /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

!macro CHECK_COMMON_CONTROLS
  ; The version as major * 1000 + minor, 0 when it cannot be read.
  ClearErrors
  GetDLLVersion "$SYSDIR\comctl32.dll" $0 $1
  IntOp $2 $0 >> 16
  IntOp $2 $2 * 1000
  IntOp $3 $0 & 0xFFFF
  IntOp $2 $2 + $3
  ${If} ${Errors}
    StrCpy $2 0
  ${EndIf}
  ${If} $2 < ${COMMON_CONTROLS_NEEDED}
    MessageBox MB_OK|MB_ICONSTOP "$(OLD_SYSTEM)" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro PICK_LANGUAGE
  !insertmacro CHECK_ADMINISTRATOR
  !insertmacro CHECK_COMMON_CONTROLS
  !insertmacro FIND_PROGRAM_PATH
FunctionEnd

Function un.onInit
  !insertmacro PICK_LANGUAGE
  !insertmacro CHECK_ADMINISTRATOR
  !insertmacro FIND_PROGRAM_PATH
  ; Read while the program is still there: the 9x family and the Display
  ; control panel record the current saver in this form.
  GetFullPathName /SHORT $shortProgramPath "$programPath"
  ${If} $shortProgramPath == ""
    StrCpy $shortProgramPath "$programPath"
  ${EndIf}
FunctionEnd

Section "$(PROGRAM_PART)" ProgramPart
  SectionIn RO
  SetOverwrite on
  SetOutPath "$SYSDIR"
  File "/oname=${SAVER_FILE}" "${PROGRAM}"
  SetOutPath "$INSTDIR"
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The list of installed programs is written only once every file is in place.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "$(DISPLAY_NAME)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$programPath,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$SYSDIR" "/M=${SAVER_FILE} /S=0K /G=0" $0 $1 $2
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  IntOp $0 $0 + $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(CURRENT_PART)" CurrentPart
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$programPath"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  ; The 9x family reads the current saver from SYSTEM.INI, in the short form.
  ${IfNot} ${IsNT}
    GetFullPathName /SHORT $savedPath "$SYSDIR\${SAVER_FILE}"
    WriteINIStr "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE" "$savedPath"
  ${EndIf}
  System::Call "user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND})"
SectionEnd

; The current saver is forgotten only while it is the very program installed
; here: a Tamblorn.scr elsewhere (the zip's copy in the Windows folder) stays.
!macro FORGET_CURRENT_SAVER
  ReadRegStr $savedPath HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $savedPath == $programPath
  ${OrIf} $savedPath == $shortProgramPath
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}
  ${IfNot} ${IsNT}
    ReadINIStr $savedPath "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE"
    ${If} $savedPath == $programPath
    ${OrIf} $savedPath == $shortProgramPath
      DeleteINIStr "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}
!macroend

Section "un.$(PROGRAM_PART)" UnProgramPart
  SectionIn RO
  ; A running saver or preview holds the program: it goes at the next
  ; restart then. The folder is named as written, never through WOW64's
  ; redirection, since the restart's removal is done by 64-bit Windows.
  Delete /REBOOTOK "$programPath"
  ${If} ${RebootFlag}
    DetailPrint "$(REMOVED_AT_RESTART)"
    MessageBox MB_OK|MB_ICONINFORMATION "$(REMOVED_AT_RESTART)" /SD IDOK
  ${EndIf}
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  !insertmacro FORGET_CURRENT_SAVER
SectionEnd

Section /o "un.$(SETTINGS_PART)" UnSettingsPart
  Delete "$WINDIR\${SETTINGS_FILE}"
  ; Where Windows Vista and later keep a file a program without
  ; administrator rights wrote into the Windows directory.
  Delete "$LOCALAPPDATA\VirtualStore\Windows\${SETTINGS_FILE}"
SectionEnd
