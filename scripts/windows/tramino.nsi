; The Windows installer: makensis -DVERSION=... -DSTAGE=<unpacked zip folder> -DLICENSE=<file>
; -DOUTFILE=<setup.exe> scripts/windows/tramino.nsi (scripts/build-windows.sh runs it).
Unicode true
Target amd64-unicode
!include "MUI2.nsh"
!include "x64.nsh"

Name "Tramino ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tramino"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tramino"

!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A file type that Tramino opens: its extension, the name of its type and what it is.
!macro Associate EXTENSION TYPE DESCRIPTION
  WriteRegStr HKLM "Software\Classes\${EXTENSION}" "" "${TYPE}"
  WriteRegStr HKLM "Software\Classes\${TYPE}" "" "${DESCRIPTION}"
  WriteRegStr HKLM "Software\Classes\${TYPE}\DefaultIcon" "" "$INSTDIR\tramino.exe,0"
  WriteRegStr HKLM "Software\Classes\${TYPE}\shell\open\command" "" '"$INSTDIR\tramino.exe" "%1"'
!macroend

!macro Dissociate EXTENSION TYPE
  ReadRegStr $0 HKLM "Software\Classes\${EXTENSION}" ""
  StrCmp $0 "${TYPE}" 0 +2
  DeleteRegKey HKLM "Software\Classes\${EXTENSION}"
  DeleteRegKey HKLM "Software\Classes\${TYPE}"
!macroend

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Tramino"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\Tramino.lnk" "$INSTDIR\tramino.exe"
  !insertmacro Associate ".tramino" "Tramino.Project" "Tramino project"
  !insertmacro Associate ".qrv" "Tramino.Show" "Panel show"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tramino"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Tramino.lnk"
  !insertmacro Dissociate ".tramino" "Tramino.Project"
  !insertmacro Dissociate ".qrv" "Tramino.Show"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  RMDir /r "$INSTDIR"
SectionEnd
