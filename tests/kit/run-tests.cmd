@echo off
rem Velnor's Windows test kit: runs every test layer on this machine and
rem writes report\summary.txt. Needs no administrator rights, changes no
rem network and never runs the machine's netsh except to read its listings.
rem (This file is in code page 932, as cmd.exe reads it on Japanese Windows.)
cd /d "%~dp0"
if not exist "%~dp0bin\kit-runner.exe" goto nobin
"%~dp0bin\kit-runner.exe"
set KITRESULT=%ERRORLEVEL%
echo.
echo The report is in "%~dp0report".
pause
exit /b %KITRESULT%

:nobin
echo bin フォルダーが見つかりません。zip ファイルの中から直接実行せず、
echo zip を右クリックして「すべて展開」でフォルダーに展開してから、
echo 展開したフォルダーの run-tests.cmd をダブルクリックしてください。
echo.
echo The bin folder is missing: unzip the whole kit into a folder first
echo (right-click the zip, "Extract All"), then run run-tests.cmd there.
echo No test has run and no report was written.
pause
exit /b 2
