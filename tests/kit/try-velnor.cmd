@echo off
rem Starts the kit's test build of Velnor against the kit's simulated netsh,
rem with the sample profiles of sample\state.ini, for the eye checks of
rem checklist.txt. Nothing here reaches the machine's own netsh.
rem Arguments are passed on, for example: try-velnor.cmd /s
rem This file is in the ANSI code page of Japanese Windows (Shift_JIS).
setlocal
set "KITSCRIPT=try-velnor.cmd"
cd /d "%~dp0"
if not exist "%~dp0bin\kit-runner.exe" goto nobin
rem A running Velnor would make the test build end at once, unseen.
"%~dp0bin\kit-runner.exe" --can-try
if errorlevel 1 goto running
copy /y "%ComSpec%" "bin\system\cmd.exe" >nul
set "VELNOR_TEST_SYSTEM_FOLDER=%~dp0bin\system"
set "NETSH_SIM_DIR=%~dp0sample"
set "PATH=%~dp0bin\system;%PATH%"
set NoDefaultCurrentDirectoryInExePath=
if not exist "sample\app\" mkdir "sample\app"
copy /y "bin\velnor.exe" "sample\app\velnor.exe" >nul
start "" "sample\app\velnor.exe" /p %*
exit /b 0

:running
pause
exit /b 1

:nobin
echo.
echo bin フォルダーが見つかりません。zip ファイルの中から直接開いたようです。
echo zip ファイルを右クリックして「すべて展開」を選び、展開したフォルダーの中の
echo %KITSCRIPT% をダブルクリックしてください。
echo (The bin folder is missing: the kit was started from inside the zip. Extract
echo the whole zip first, then start %KITSCRIPT% in the extracted folder.)
echo.
pause
exit /b 3
