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
cd /d "%DATA%" 2>nul
if not errorlevel 1 goto run

rem cmd reads this file in the console's code page, not in the one it was
rem saved in, so a folder name with letters outside ASCII reaches it as
rem other letters. tovdiff reads the DATA line above as the bytes it is
rem (UTF-8 or ANSI, as Notepad saves it) and gives the folder's name in a
rem form cmd reads back.
set "FOUND=%TEMP%\tovrand-folder-%RANDOM%%RANDOM%.txt"
"%PROGRAMS%tovdiff.exe" --data-folder "%~f0" > "%FOUND%" 2>nul
set "FOUND_STATUS=%ERRORLEVEL%"
set "FOLDER="
set /p "FOLDER=" < "%FOUND%"
del "%FOUND%" 2>nul
if not "%FOUND_STATUS%"=="0" goto nodata
(call )
cd /d "%FOLDER%" 2>nul
if errorlevel 1 goto nodata

:run
rem A run has succeeded only when tovrand says so in its success line: a
rem run stopped before it could say anything may end with status 0 (Wine).
set "LOG=%TEMP%\tovrand-run-%RANDOM%%RANDOM%.txt"
"%PROGRAMS%tovrand.exe" "%SIDE%" "%TANK_DATE0%" "%INFANTRY_DATE0%" "%TANK_OTHER%" "%INFANTRY_OTHER%" > "%LOG%"
set "STATUS=%ERRORLEVEL%"
type "%LOG%"
set "LINE="
set /p "LINE=" < "%LOG%"
del "%LOG%" 2>nul
if not "%STATUS%"=="0" goto end
set "STATUS=1"
if not "%LINE%"=="New FPools.txt has been placed in Output folder" goto unfinished

"%PROGRAMS%tovdiff.exe"
set "STATUS=%ERRORLEVEL%"
goto end

:unfinished
echo tovrand did not print its success line: this run did not succeed
goto end

:nodata
rem tovdiff shows the folder's name with its own letters; where it cannot
rem run, cmd shows it as it read it.
"%PROGRAMS%tovdiff.exe" --data-folder "%~f0" >nul 2>nul
if errorlevel 2 goto nodata_as_read
if not errorlevel 1 goto nodata_as_read
"%PROGRAMS%tovdiff.exe" --data-folder "%~f0"
goto end
:nodata_as_read
echo Cannot open the data folder "%DATA%"

:end
rem Keeps the window open after a double-click, so the result can be read.
if not defined TOVRAND_NO_PAUSE pause
exit /b %STATUS%
