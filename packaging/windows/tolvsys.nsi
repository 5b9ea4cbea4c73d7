; The Windows installer of tolvsys (NSIS 3, Unicode). make-installer.sh stages the files and
; writes the lists of what is installed (files.nsh) and removed (unfiles.nsh), so the uninstaller
; removes exactly what was installed and nothing the user put beside it.
;   makensis -DVERSION=<version> -DSTAGE=<staged folder> -DLISTS=<folder of the lists> -DOUT=<setup.exe>
; A 64-bit installer: the program is 64-bit, and 64-bit Windows (and Wine) run it without the
; 32-bit subsystem.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "x64.nsh"

!define PRODUCT "とるぶしす 競泳大会申込"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\tolvsys"

Name "${PRODUCT}"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\tolvsys"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "tolvsys"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\tolvsys.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "このプログラムは 64 ビット版の Windows で動きます。" /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

; The working tree c:\tolvsys: on the first installation (no control file of the entry files yet)
; it gets a copy of the demo data and control files pointing at it, so the program opens the sample
; entry file; a tree already in use is left exactly as it is.
Function PrepareWorkTree
  IfFileExists "C:\tolvsys\ctl\dr_zep.ctl" done
  CreateDirectory "C:\tolvsys\ctl"
  CreateDirectory "C:\tolvsys\temp"
  CreateDirectory "C:\tolvsys\demo\transfer"
  CopyFiles /SILENT "$INSTDIR\demo\*.*" "C:\tolvsys\demo"
  CopyFiles /SILENT "$INSTDIR\demo\ken.ctl" "C:\tolvsys\ctl\ken.ctl"
  FileOpen $0 "C:\tolvsys\ctl\dr_zep.ctl" w
  FileWrite $0 '"c:","c:\tolvsys\demo\entry\",0,"sample.zep"$\r$\n'
  FileClose $0
  FileOpen $0 "C:\tolvsys\ctl\dr_tor.ctl" w
  FileWrite $0 '"c:","c:\tolvsys\demo\registration\"$\r$\n'
  FileClose $0
  FileOpen $0 "C:\tolvsys\ctl\dr_ten.ctl" w
  FileWrite $0 '"c:\tolvsys\demo\transfer\"$\r$\n'
  FileClose $0
done:
FunctionEnd

Section "tolvsys"
  SetShellVarContext all
  !include "${LISTS}\files.nsh"
  Call PrepareWorkTree
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\tolvsys.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "tolvsys"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tolvsys.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The entry files and the registration master the user keeps live in c:\tolvsys, never here: the
; uninstaller removes the program's own files only.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  !include "${LISTS}\unfiles.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
