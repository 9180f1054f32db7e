@echo off
rem Deletes the thumbnail caches (Thumbs.db) below the user profile.
if "%USERPROFILE%"=="" exit /b 0
if not exist "%USERPROFILE%\" exit /b 0
del /f /s /q /a "%USERPROFILE%\Thumbs.db" >nul 2>&1
exit /b 0
