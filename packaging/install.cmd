@echo off
rem Registers the three components of Pellmark and creates its settings key.
rem Run once, as administrator, from the folder it came in.
regsvr32 /s "%~dp0Kestrine.dll"
if errorlevel 1 goto failed
regsvr32 /s "%~dp0Ostrel.dll"
if errorlevel 1 goto failed
regsvr32 /s "%~dp0Postil.dll"
if errorlevel 1 goto failed
reg add "HKLM\SOFTWARE\Pellmark\Options" /f >nul
if errorlevel 1 goto failed
echo Pellmark is installed: start Corvane.exe.
exit /b 0
:failed
echo Pellmark could not be installed: run install.cmd as administrator.
exit /b 1
