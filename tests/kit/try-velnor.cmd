@echo off
rem Starts the kit's test build of Velnor against the kit's simulated netsh,
rem with the sample profiles of sample\state.ini, for the eye checks of
rem docs/windows-checklist.md. Nothing here reaches the machine's own netsh.
rem Arguments are passed on, for example: try-velnor.cmd /s
cd /d "%~dp0"
copy /y "%ComSpec%" "bin\system\cmd.exe" >nul
set "VELNOR_TEST_SYSTEM_FOLDER=%~dp0bin\system"
set "NETSH_SIM_DIR=%~dp0sample"
set "PATH=%~dp0bin\system;%PATH%"
set NoDefaultCurrentDirectoryInExePath=
if not exist "sample\app\" mkdir "sample\app"
copy /y "bin\velnor.exe" "sample\app\velnor.exe" >nul
start "" "sample\app\velnor.exe" /p %*
