@echo off
rem Orvane's Windows-side tests, for a run on real Windows: runs every test
rem program in this folder and ends with one line, "N passed, N failed"
rem (counting programs). Run it in a desktop session with the Chinese (GBK)
rem system locale; the tests open windows, move the pointer and read the
rem screen, so leave the mouse and the keyboard alone until it ends. Each
rem program's own output shows above its result.
setlocal
cd /d "%~dp0"
set passed=0
set failed=0
rem The launcher tests set and then remove HKCU\Software\Orvane; a setting
rem of this user's own is put back afterwards.
set saved=%TEMP%\orvane-tests-saved-key.reg
set hadkey=0
reg query "HKCU\Software\Orvane" >nul 2>&1 && set hadkey=1
if "%hadkey%"=="1" reg export "HKCU\Software\Orvane" "%saved%" /y >nul 2>&1
for %%t in (@TESTS@) do call :run %%t
if "%hadkey%"=="1" reg import "%saved%" >nul 2>&1
if "%hadkey%"=="1" del "%saved%" >nul 2>&1
echo %passed% passed, %failed% failed
if "%failed%"=="0" exit /b 0
exit /b 1

:run
echo ==== %1
".\%1"
if not "%errorlevel%"=="0" (
  set /a failed+=1
  echo ==== %1 FAILED
  goto :eof
)
set /a passed+=1
echo ==== %1 passed
goto :eof
