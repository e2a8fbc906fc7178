; Per-user installer for Velnor. Built by scripts/dist.sh:
;   makensis /DVERSION=x.y.z /DSTAGEDIR=<folder with the shipped files> /DOUTFILE=<setup.exe> velnor.nsi
; No administrator rights: everything goes below the user's own folders and HKCU.
;
; Installer switches:
;   /S            silent
;   /AUTOCONNECT  also put "Velnor (接続)" (velnor.exe /s) into the user's Startup folder,
;                 the option "サインイン時に接続する" of the components page
;
; Uninstaller switches:
;   /S            silent; the data folder is kept
;   /REMOVEDATA   also remove the data folder %APPDATA%\Orvo Project\Velnor without asking
;                 (with /S: a silent uninstall that removes everything)

Unicode true
ManifestDPIAware true
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "pass the version: makensis /DVERSION=x.y.z"
!endif
!ifndef STAGEDIR
  !error "pass the folder of the shipped files: makensis /DSTAGEDIR=..."
!endif
!ifndef OUTFILE
  !define OUTFILE "velnor-${VERSION}-setup.exe"
!endif

!define PRODUCT "Velnor"
!define PUBLISHER "Orvo Project"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velnor"
!define MUTEX_NAME "Velnor/Orvo Project"
!define DATA_DIR "$APPDATA\Orvo Project\Velnor"
!define CONNECT_LINK "$SMPROGRAMS\Velnor (接続).lnk"
!define MAIN_LINK "$SMPROGRAMS\Velnor.lnk"
!define STARTUP_LINK "$SMSTARTUP\Velnor (接続).lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Velnor"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

!define MUI_ICON "${__FILEDIR__}/../src/app/velnor.ico"
!define MUI_UNICON "${__FILEDIR__}/../src/app/velnor.ico"
!define MUI_ABORTWARNING

; The stock welcome text speaks of system files and restarts: this installer
; touches neither.
!define MUI_WELCOMEPAGE_TEXT "Velnor をこのコンピューターにインストールします。$\r$\n管理者の権限は要りません。$\r$\n$\r$\nVelnor が起動しているときは、先に終了してください。$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
; The list of components across the whole page, so that the option's full
; name fits; its description goes below.
!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_HEADER_SUBTEXT "Velnor をインストールするフォルダーを選んでください。"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "Velnor をインストールしました。$\r$\n$\r$\n「完了」を押すとセットアップを閉じます。"
!define MUI_FINISHPAGE_RUN "$INSTDIR\velnor.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\使い方.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "使い方を読む"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_HEADER_SUBTEXT "Velnor をこのコンピューターから削除します。"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

; Japanese Windows draws its dialogs in MS UI Gothic; the language file's
; MS PGothic is wider, and cuts the buttons' captions.
SetFont /LANG=${LANG_JAPANESE} "MS UI Gothic" 9
; Where the stock Japanese words are half-width, cut or awkward. The
; uninstaller's button is too narrow for "アンインストール", so it says 削除,
; as does the page's header.
LangString ^UninstallBtn ${LANG_JAPANESE} "削除(&U)"
LangString ^ClickUninstall ${LANG_JAPANESE} "「削除」を押すと削除を始めます。"
LangString ^UninstallingText ${LANG_JAPANESE} "$(^NameDA) を次のフォルダーから削除します。 $_CLICK"
LangString ^UninstallingSubText ${LANG_JAPANESE} "フォルダー:"
LangString ^DirText ${LANG_JAPANESE} \
  "$(^NameDA) を次のフォルダーにインストールします。別のフォルダーにするには、「参照」を押して選んでください。 $_CLICK"
LangString ^DirSubText ${LANG_JAPANESE} "インストール先のフォルダー"
LangString ^DirBrowseText ${LANG_JAPANESE} "$(^NameDA) をインストールするフォルダーを選んでください:"
LangString ^ClickInstall ${LANG_JAPANESE} "「インストール」を押すとインストールを始めます。"
LangString ^ClickNext ${LANG_JAPANESE} "「次へ」を押して続けてください。"
LangString ^ComponentsSubText2_NoInstTypes ${LANG_JAPANESE} "構成要素を選択:"
LangString ^CreateFolder ${LANG_JAPANESE} "フォルダー作成: "
LangString ^OutputFolder ${LANG_JAPANESE} "出力先フォルダー: "
LangString ^RemoveFolder ${LANG_JAPANESE} "フォルダー削除: "

VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

; A running copy holds the named mutex. Its exe cannot be replaced or removed
; while it runs, so ask the user to close it; a silent run gives up with exit code 2.
!macro WaitUntilClosed un
Function ${un}WaitUntilClosed
  retry:
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${MUTEX_NAME}") p.r0'
    ${If} $0 P<> 0
      System::Call 'kernel32::CloseHandle(p r0)'
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Velnor が起動しています。$\r$\nVelnor を終了してから「再試行」を押してください。" \
        /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Quit
    ${EndIf}
FunctionEnd
!macroend
!insertmacro WaitUntilClosed ""
!insertmacro WaitUntilClosed "un."

Section "Velnor" SecMain
  SectionIn RO
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGEDIR}/velnor.exe"
  File "${STAGEDIR}/使い方.txt"
  File "${STAGEDIR}/LICENSE"
  File "${STAGEDIR}/THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "${MAIN_LINK}" "$INSTDIR\velnor.exe" "" "$INSTDIR\velnor.exe" 0 \
    SW_SHOWNORMAL "" "無線 LAN プロファイルの接続と切断"
  CreateShortcut "${CONNECT_LINK}" "$INSTDIR\velnor.exe" "/s" "$INSTDIR\velnor.exe" 0 \
    SW_SHOWNORMAL "" "最後に選んだプロファイルに接続して終了します"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\velnor.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" "$0"
SectionEnd

; Unticked unless asked for with /AUTOCONNECT; an update keeps what the user
; has, so a Startup shortcut already there leaves it ticked.
Section /o "サインイン時に接続する" SecAutoConnect
  SetShellVarContext current
  ; Minimised and not activated: signing in should not bring a window forward.
  CreateShortcut "${STARTUP_LINK}" "$INSTDIR\velnor.exe" "/s" "$INSTDIR\velnor.exe" 0 \
    SW_SHOWMINIMIZED "" "サインイン時に、最後に選んだプロファイルに接続します"
SectionEnd

; Unticking the option on the components page takes an earlier one away.
Section "-AutoConnectOff"
  SetShellVarContext current
  ${IfNot} ${SectionIsSelected} ${SecAutoConnect}
    Delete "${STARTUP_LINK}"
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "Velnor 本体とスタートメニューのショートカット"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutoConnect} \
    "サインインするたびに、最後に選んだプロファイルに接続します (スタートアップに「Velnor (接続)」を作ります)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  SetShellVarContext current
  Call WaitUntilClosed
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOCONNECT" $1
  ${IfNot} ${Errors}
  ${OrIf} ${FileExists} "${STARTUP_LINK}"
    !insertmacro SelectSection ${SecAutoConnect}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
  Call un.WaitUntilClosed
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "${MAIN_LINK}"
  Delete "${CONNECT_LINK}"
  Delete "${STARTUP_LINK}"

  ; Only the files we installed: the folder may have been chosen by the user
  ; and hold other things, so it is removed only when it is empty.
  Delete "$INSTDIR\velnor.exe"
  Delete "$INSTDIR\使い方.txt"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  DeleteRegKey HKCU "${UNINST_KEY}"

  ; The settings stay unless the user says otherwise: a silent uninstall
  ; answers no, and /REMOVEDATA answers yes without asking.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${If} ${Errors}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "設定ファイル (Velnor.xml, Disable.lst) のあるデータフォルダーも削除しますか?$\r$\n$\r$\n${DATA_DIR}" \
      /SD IDNO IDYES remove_data
    DetailPrint "データフォルダーは残します: ${DATA_DIR}"
    Goto done
  ${EndIf}
  remove_data:
    RMDir /r "${DATA_DIR}"
    RMDir "$APPDATA\Orvo Project"
  done:
SectionEnd
