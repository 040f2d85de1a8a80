; The Windows installer: the program, kvn, the engine DLL and the files that
; ship beside them in one folder under Program Files, a Start-menu shortcut,
; .kvn files opening in the program, and an entry among the installed
; programs with its uninstaller. Both run silently with /S.
; makensis -DVERSION=3.32 -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe>
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "Kelvanetrix Plus"
!define PROGID "KelvanetrixPlus.Document"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KelvanetrixPlus"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

LicenseData "${STAGE}\license.txt"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\Kelvanetrix.exe"
  File "${STAGE}\kvn.exe"
  File "${STAGE}\Tessiral.dll"
  File "${STAGE}\tips.txt"
  File "${STAGE}\help.html"
  File "${STAGE}\license.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Kelvanetrix.exe"

  ; .kvn files open in the program; "Open with" lists it for them.
  WriteRegStr HKLM "Software\Classes\.kvn" "" "${PROGID}"
  WriteRegStr HKLM "Software\Classes\.kvn\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "Kelvanetrix Document"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\Kelvanetrix.exe,0"
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\Kelvanetrix.exe" "%1"'
  WriteRegStr HKLM "Software\Classes\Applications\Kelvanetrix.exe\shell\open\command" "" '"$INSTDIR\Kelvanetrix.exe" "%1"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kelvanetrix.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}

  ; Explorer picks up the new document type.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\Kelvanetrix.exe"
  Delete "$INSTDIR\kvn.exe"
  Delete "$INSTDIR\Tessiral.dll"
  Delete "$INSTDIR\tips.txt"
  Delete "$INSTDIR\help.html"
  Delete "$INSTDIR\license.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only an empty folder: what the user put there stays.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey HKLM "Software\Classes\${PROGID}"
  DeleteRegKey HKLM "Software\Classes\Applications\Kelvanetrix.exe"
  DeleteRegValue HKLM "Software\Classes\.kvn\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKLM "Software\Classes\.kvn\OpenWithProgids"
  ; The extension is left alone when another program has taken it since.
  ReadRegStr $0 HKLM "Software\Classes\.kvn" ""
  StrCmp $0 "${PROGID}" 0 +2
    DeleteRegValue HKLM "Software\Classes\.kvn" ""
  DeleteRegKey /ifempty HKLM "Software\Classes\.kvn"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
