; The Windows installer and uninstaller: per user, no administrator rights.
; Built by packaging/windows/make-setup (the build's orvanta_setup target), which
; passes VERSION (from CMakeLists.txt), PROGRAM_DIR (orvanta.exe, MouseHook.dll and the
; icon libraries), HELP_DIR (the manual), ICON and OUTFILE.
Unicode true
; The program is x64 only; so is its installer (Windows on x64 and ARM64 runs it).
Target amd64-unicode
!ifndef VERSION
  !error "VERSION, VERSION_QUAD, PROGRAM_DIR, HELP_DIR, ICON and OUTFILE are given by the build"
!endif

!define PRODUCT "Orvanta for Outlook"
!define PUBLISHER "Kestrova"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SETTINGS_KEY "Software\Kestrova\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; The program's hidden main window and its "E&xit" command (ID_APP_EXIT).
!define MAIN_CLASS "OrvantaMainFrame"
!define ID_APP_EXIT 57665

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\orvanta.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var WasRunning

; Ends a running copy through its own exit path (the user's wallpaper is put back
; first, unless "KeepOnExit" says otherwise) and waits for it to go. $WasRunning = 1
; when one ran. A copy that does not end in 20 seconds stops the setup: its files
; cannot be replaced or removed while it runs.
!macro END_RUNNING_COPY un
Function ${un}EndRunningCopy
  StrCpy $WasRunning 0
  FindWindow $0 "${MAIN_CLASS}" "${PRODUCT}"
  IntCmp $0 0 done
  StrCpy $WasRunning 1
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
  System::Call 'user32::PostMessageW(p r0, i 0x0111, p ${ID_APP_EXIT}, p 0)'
  System::Call 'kernel32::WaitForSingleObject(p r2, i 20000) i .r3'
  System::Call 'kernel32::CloseHandle(p r2)'
  IntCmp $3 0 done
  MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is still running and does not end. Close it from its tray menu (E&xit) and run the setup again." /SD IDOK
  Abort
done:
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

Section "Install"
  SetShellVarContext current
  Call EndRunningCopy
  SetOutPath "$INSTDIR"
  ; An upgrade replaces the manual as a whole: pages an older one had do not stay.
  RMDir /r "$INSTDIR\help"
  File "${PROGRAM_DIR}/orvanta.exe"
  File "${PROGRAM_DIR}/MouseHook.dll"
  File "${PROGRAM_DIR}/look01.icl"
  File "${PROGRAM_DIR}/look02.icl"
  File "${PROGRAM_DIR}/look03.icl"
  File "${PROGRAM_DIR}/bw.icl"
  SetOutPath "$INSTDIR\help"
  File /r "${HELP_DIR}/*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut starts the program in its folder, where it finds its libraries.
  CreateShortcut "${SHORTCUT}" "$INSTDIR\orvanta.exe" "" "$INSTDIR\orvanta.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvanta.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  ; A copy that ran before the upgrade runs again, now the new one. (The logon entry
  ; is the program's own: it writes it at each start while "LaunchAtStartup" is on.)
  StrCmp $WasRunning 1 0 +2
  Exec '"$INSTDIR\orvanta.exe"'
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.EndRunningCopy
  ; The user's own wallpaper back, also when "KeepOnExit" left our picture on the
  ; desktop: removal never leaves it behind.
  SetOutPath "$INSTDIR"
  ExecWait '"$INSTDIR\orvanta.exe" /restore-wallpaper'
  ; A folder that is the current one cannot be removed.
  SetOutPath "$TEMP"
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\orvanta.exe"
  Delete "$INSTDIR\MouseHook.dll"
  Delete "$INSTDIR\look01.icl"
  Delete "$INSTDIR\look02.icl"
  Delete "$INSTDIR\look03.icl"
  Delete "$INSTDIR\bw.icl"
  RMDir /r "$INSTDIR\help"
  Delete "$INSTDIR\uninstall.exe"
  ; A program our copy started (Outlook, through COM) may still have the folder as its
  ; current one for a moment after our copy ended: up to ten seconds, then at the next
  ; restart.
  StrCpy $1 0
retry_folder:
  RMDir "$INSTDIR"
  IfFileExists "$INSTDIR\*.*" 0 folder_gone
  IntOp $1 $1 + 1
  IntCmp $1 50 folder_later
  Sleep 200
  Goto retry_folder
folder_later:
  RMDir /REBOOTOK "$INSTDIR"
folder_gone:
  ; The data folder: the composed picture (orvanta.bmp) and the BMP copy of a JPEG
  ; picture (wallpaper.bmp), nothing of the user's.
  RMDir /r "$APPDATA\Kestrova\${PRODUCT}"
  RMDir "$APPDATA\Kestrova"
  MessageBox MB_YESNO|MB_ICONQUESTION "Keep your ${PRODUCT} settings for a later installation?" /SD IDYES IDYES keep
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Kestrova"
keep:
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
