; Pelmora's Windows installer and uninstaller.
;
; The shipped installer is a 32-bit program: it installs the 32-bit DLL and registers it
; with the 32-bit regsvr32, and on 64-bit Windows also the 64-bit DLL with the 64-bit
; regsvr32, so that 32-bit and 64-bit Internet Explorer both show the band:
;   makensis -DARCH=x86 -DDLL_X86=x86/Pelmora.dll -DDLL_X64=x64/Pelmora.dll -DOUTFILE=setup.exe Pelmora.nsi
; The 64-bit variant (a 64-bit program with the 64-bit DLL only) is for machines that
; run 64-bit programs only:
;   makensis -DARCH=x64 -DDLL_X64=x64/Pelmora.dll -DOUTFILE=setup-x64.exe Pelmora.nsi
;
; Layout: $INSTDIR\x86\Pelmora.dll, $INSTDIR\x64\Pelmora.dll, $INSTDIR\Uninstall.exe.
; Both run silently with /S. The uninstaller unregisters and removes exactly these files
; and the uninstall entry; the script location and the product key
; (HKCU\SOFTWARE\Halvenne\Pelmora) hold the user's scripts and settings and are left
; alone, so a later install finds them again.

!ifndef ARCH | DLL_X64 | OUTFILE
  !error "define ARCH (x86 or x64), DLL_X64, OUTFILE and, for ARCH=x86, DLL_X86"
!endif
!if "${ARCH}" == "x86"
  !ifndef DLL_X86
    !error "the 32-bit installer needs DLL_X86, the 32-bit Pelmora.dll"
  !endif
!else if "${ARCH}" == "x64"
  !ifdef DLL_X86
    !error "the 64-bit variant installs the 64-bit DLL only: leave DLL_X86 undefined"
  !endif
  Target amd64-unicode
!else
  !error "ARCH must be x86 or x64, not ${ARCH}"
!endif

Unicode true
!include LogicLib.nsh
!include x64.nsh

!define PRODUCT "Pelmora"
!define PUBLISHER "Halvenne"
!define VERSION "1.0.40325.24744"
; The bar's class id, as the DLL's registration script writes it.
!define BAR_CLSID "{EC3B8349-CAB2-4E10-AF31-69E1BA5031A0}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define EXPLORER_BARS_KEY "Software\Microsoft\Internet Explorer\Explorer Bars"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
OutFile "${OUTFILE}"
; Registration writes HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

; The version resource names product, publisher and versions, and nothing more.
!pragma warning disable 9100
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Runs regsvr32 (with /u when UNREGISTER is "/u") on DLL and leaves its exit code in $0
; ("error" when it could not start). BITS says which regsvr32: 32 or 64.
!macro RunRegsvr32 BITS UNREGISTER DLL
  !if "${ARCH}${BITS}" == "x8664"
    ; A 32-bit process reaches the 64-bit System32 only without the file system redirection.
    ${DisableX64FSRedirection}
  !endif
  ; regsvr32 starts in the temporary folder: the install folder may be too long to be
  ; a process's current folder.
  SetOutPath "$TEMP"
  ClearErrors
  ExecWait '"$SYSDIR\regsvr32.exe" /s ${UNREGISTER} "${DLL}"' $0
  ${If} ${Errors}
    StrCpy $0 "error"
  ${EndIf}
  !if "${ARCH}${BITS}" == "x8664"
    ${EnableX64FSRedirection}
  !endif
!macroend

; Removes one installed DLL: unregisters it, and when its regsvr32 fails (the file is
; gone or damaged) deletes the two keys its registration writes if they still name this
; file, so that no class points at a file that is no longer there. PREFIX is "" in the
; installer and "un." in the uninstaller, which NSIS keeps apart.
!macro DefineRemoveDll PREFIX
  Function ${PREFIX}RemoveDll
    Exch $1 ; the DLL's folder below $INSTDIR: x86 or x64
    Push $0
    Push $2
    ${If} ${FileExists} "$INSTDIR\$1\Pelmora.dll"
      ${If} $1 == "x64"
        !insertmacro RunRegsvr32 64 "/u" "$INSTDIR\$1\Pelmora.dll"
      ${Else}
        !insertmacro RunRegsvr32 32 "/u" "$INSTDIR\$1\Pelmora.dll"
      ${EndIf}
      DetailPrint "regsvr32 /u $INSTDIR\$1\Pelmora.dll: exit code $0"
    ${Else}
      StrCpy $0 "missing"
    ${EndIf}
    ${If} $0 != 0
      ${If} $1 == "x64"
        SetRegView 64
      ${Else}
        SetRegView 32
      ${EndIf}
      ReadRegStr $2 HKCR "CLSID\${BAR_CLSID}\InprocServer32" ""
      ${If} $2 == "$INSTDIR\$1\Pelmora.dll"
        DeleteRegKey HKCR "CLSID\${BAR_CLSID}"
        DeleteRegKey HKLM "${EXPLORER_BARS_KEY}\${BAR_CLSID}"
      ${EndIf}
      !if "${ARCH}" == "x64"
        SetRegView 64
      !else
        SetRegView default
      !endif
    ${EndIf}
    ; /REBOOTOK: a browser that still has the DLL loaded keeps it until Windows restarts.
    Delete /REBOOTOK "$INSTDIR\$1\Pelmora.dll"
    RMDir /REBOOTOK "$INSTDIR\$1"
    Pop $2
    Pop $0
    Pop $1
  FunctionEnd
!macroend
!insertmacro DefineRemoveDll ""
!insertmacro DefineRemoveDll "un."

!macro RemoveDll FOLDER
  Push "${FOLDER}"
  Call RemoveDll
!macroend
!macro un.RemoveDll FOLDER
  Push "${FOLDER}"
  Call un.RemoveDll
!macroend

; Undoes a partial install and stops: nothing half-installed stays behind.
!macro FailInstall MESSAGE
  MessageBox MB_ICONSTOP|MB_OK "${MESSAGE}" /SD IDOK
  DetailPrint "${MESSAGE}"
  ; Out of the install folders first: SetOutPath made one of them the current folder,
  ; which cannot be removed.
  SetOutPath "$TEMP"
  !ifdef DLL_X86
    !insertmacro RemoveDll x86
  !endif
  !insertmacro RemoveDll x64
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Abort
!macroend

; Copies and registers one DLL; BITS is 32 or 64.
!macro InstallDll FOLDER BITS SOURCE
  SetOutPath "$INSTDIR\${FOLDER}"
  ClearErrors
  File "/oname=Pelmora.dll" "${SOURCE}"
  ${If} ${Errors}
    ${If} $PreviousVersion == ""
      !insertmacro FailInstall "$INSTDIR\${FOLDER}\Pelmora.dll cannot be written."
    ${EndIf}
    ; The installed version stays as it is, registered and whole.
    MessageBox MB_ICONSTOP|MB_OK "$INSTDIR\${FOLDER}\Pelmora.dll is in use and cannot be replaced. Close Internet Explorer and run Setup again." /SD IDOK
    Abort
  ${EndIf}
  !insertmacro RunRegsvr32 ${BITS} "" "$INSTDIR\${FOLDER}\Pelmora.dll"
  DetailPrint "regsvr32 $INSTDIR\${FOLDER}\Pelmora.dll: exit code $0"
  ${If} $0 != 0
    !insertmacro FailInstall "The ${BITS}-bit regsvr32 could not register $INSTDIR\${FOLDER}\Pelmora.dll (exit code $0)."
  ${EndIf}
!macroend

; The version already installed here, if any ("" for a first install).
Var PreviousVersion

Function .onInit
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
  ReadRegStr $PreviousVersion HKLM "${UNINSTALL_KEY}" "DisplayVersion"
FunctionEnd

Function un.onInit
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
FunctionEnd

Section "${PRODUCT}"
  ; A file that is in use is not replaced (File sets the error flag instead of asking).
  SetOverwrite try
  SetOutPath "$INSTDIR"
  ; The uninstaller first, so that whatever follows can be taken away again.
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  !ifdef DLL_X86
    !insertmacro InstallDll x86 32 "${DLL_X86}"
    ${If} ${RunningX64}
      !insertmacro InstallDll x64 64 "${DLL_X64}"
    ${EndIf}
  !else
    !insertmacro InstallDll x64 64 "${DLL_X64}"
  !endif

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" 0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !ifdef DLL_X86
    !insertmacro un.RemoveDll x86
  !endif
  !insertmacro un.RemoveDll x64
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  ; Not /r: files someone else put into the folder are not ours to delete.
  RMDir /REBOOTOK "$INSTDIR"
  ${If} ${RebootFlag}
    MessageBox MB_ICONINFORMATION|MB_OK "Pelmora.dll is still in use: it is removed when Windows restarts." /SD IDOK
  ${EndIf}
SectionEnd
