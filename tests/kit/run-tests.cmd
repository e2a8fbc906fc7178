@echo off
rem Velnor's Windows test kit: runs every test layer on this machine and
rem writes report\summary.txt. Needs no administrator rights, changes no
rem network, and runs the machine's own netsh only to read its listings and
rem to ask it about names that no profile bears.
rem This file is in the ANSI code page of Japanese Windows (Shift_JIS), as
rem cmd.exe reads it there.
setlocal
set "KITSCRIPT=run-tests.cmd"
cd /d "%~dp0"
if not exist "%~dp0bin\kit-runner.exe" goto nobin
"%~dp0bin\kit-runner.exe" %*
set KITRESULT=%ERRORLEVEL%
echo.
pause
exit /b %KITRESULT%

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
