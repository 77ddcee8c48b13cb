@echo off
rem Stowline Viewer's setup: copies the product into Program Files and
rem records what it did. The first argument is the launch mode's parameters.
set target=%ProgramFiles%\Stowline Viewer
if not exist "%target%" mkdir "%target%"
xcopy /e /i /y /q "%~dp0files" "%target%" >nul
if errorlevel 1 exit /b 1603
echo Installed by setup.bat with parameters: %*> "%target%\install.log"
exit /b 0
