; The Windows setup program: puts Vorlane.aex into the plug-ins folder After Effects versions share (or a folder the
; user picks) and registers an uninstaller with Windows. makensis is run on it by the Windows build's `setup` target
; (cmake/Packaging.cmake), which defines VERSION, AEX, LICENSE_FILE and OUTFILE. /S installs silently; /D=FOLDER
; (last on the command line) installs elsewhere.
Unicode true
; A 64-bit installer, as After Effects is: it sees the 64-bit Common Files folder and registry as After Effects does.
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlane"
!define UNINSTALLER "Uninstall Vorlane.exe"

Name "Vorlane ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
InstallDir "$COMMONFILES64\Adobe\Common\Plug-ins\7.0\MediaCore\Ostrel"
; Installing again offers the folder of the first install.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Vorlane"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Vorlane ${VERSION} setup for Adobe After Effects"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 Vorlane"

!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will put Vorlane.aex into the folder below, which every After Effects \
version on this computer reads. To install it for one version only, choose its Support Files\Plug-ins folder. \
Restart After Effects afterwards: the effect is under Effect > Ostrel > Vorlane."
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Vorlane"
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "${AEX}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vorlane ${VERSION} for After Effects"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vorlane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetRegView 64
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\Vorlane.aex"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when empty: the folder may be one the user picked, holding other plug-ins.
  RMDir "$INSTDIR"
SectionEnd
