@echo off
rem Starts the kit's test build of Velnor against the kit's simulated netsh,
rem with the sample profiles of sample\state.ini, for the eye checks of the
rem checklist. Nothing here reaches the machine's own netsh.
rem Arguments are passed on, for example: try-velnor.cmd /s
rem (This file is in code page 932, as cmd.exe reads it on Japanese Windows.)
cd /d "%~dp0"
if not exist "%~dp0bin\velnor.exe" goto nobin
"%~dp0bin\kit-runner.exe" /velnor-running
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

:nobin
echo bin フォルダーが見つかりません。キット全体をフォルダーに展開してから、
echo 展開したフォルダーの try-velnor.cmd をダブルクリックしてください。
echo The bin folder is missing: unzip the whole kit into a folder first.
pause
exit /b 2

:running
echo Velnor が起動しています。Velnor (とリスト編集) を閉じてから、
echo もう一度 try-velnor.cmd をダブルクリックしてください。
echo Velnor is running: close it (and its list editor), then start try-velnor.cmd again.
pause
exit /b 1
