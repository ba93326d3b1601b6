@echo off
rem Runs tovrand on the game's data files, then tovdiff to show what it
rem changed. Copy tovrand.exe, tovdiff.exe and this file into the game's
rem data folder (the one with Tables.ini, FPools.txt, AlsTeams.txt,
rem GETeams.txt and the Output folder), set the values below, save, and
rem double-click this file. The new FPools.txt goes to the Output folder;
rem copy it over the game's FPools.txt yourself once you like it.
setlocal

rem ===================== Values to edit =====================
rem Side to change: g for German, a for Allied.
set "SIDE=g"
rem Percentages for pools of date 0: tanks, then infantry.
rem Whole numbers; 100 keeps the quantities as they are.
set "TANK_DATE0=100"
set "INFANTRY_DATE0=80"
rem Percentages for pools of every other date: tanks, then infantry.
set "TANK_OTHER=50"
set "INFANTRY_OTHER=60"
rem The data folder. The default is the folder this file is in; to use
rem another, give its full path, for example
rem   set "DATA=C:\Games\My Game\Data"
set "DATA=%~dp0"
rem ==========================================================

set "PROGRAMS=%~dp0"
set "STATUS=1"
rem (call ) clears ERRORLEVEL, which a cd that works leaves as it was.
(call )
cd /d "%DATA%"
if errorlevel 1 goto nodata

"%PROGRAMS%tovrand.exe" "%SIDE%" "%TANK_DATE0%" "%INFANTRY_DATE0%" "%TANK_OTHER%" "%INFANTRY_OTHER%"
set "STATUS=%ERRORLEVEL%"
if not "%STATUS%"=="0" goto end

"%PROGRAMS%tovdiff.exe"
set "STATUS=%ERRORLEVEL%"
goto end

:nodata
echo Cannot open the data folder "%DATA%"

:end
rem Keeps the window open after a double-click, so the result can be read.
if not defined TOVRAND_NO_PAUSE pause
exit /b %STATUS%
