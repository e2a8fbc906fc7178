@echo off
rem Velnor's Windows test kit: runs every test layer on this machine and
rem writes report\summary.txt. Needs no administrator rights, changes no
rem network and never runs the machine's netsh except to read its listings.
cd /d "%~dp0"
"%~dp0bin\kit-runner.exe"
set KITRESULT=%ERRORLEVEL%
echo.
echo The report is in "%~dp0report".
pause
exit /b %KITRESULT%
