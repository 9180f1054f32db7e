// dummyapp.exe FLAG: a stand-in for an application, copied under its
// process name (firefox.exe). Creates FLAG and runs until FLAG is deleted
// (ten minutes at most).
// dummyapp.exe /lock FLAG: holds the cleaning run's lock the same way, as
// a run of another copy would.
#include <windows.h>

#include <shellapi.h>

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 2;
    const wchar_t* flagPath = argv[argc - 1];
    HANDLE lock = nullptr;
    if (argc == 3 && lstrcmpiW(argv[1], L"/lock") == 0) {
        lock = CreateMutexW(nullptr, TRUE, L"Local\\NorvaleSystemCleaner.CleaningRun");
        if (!lock || GetLastError() == ERROR_ALREADY_EXISTS) return 1;
    }
    HANDLE flag = CreateFileW(flagPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (flag == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(flag);
    for (int i = 0; i < 6000 && GetFileAttributesW(flagPath) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    if (lock) ReleaseMutex(lock);
    return 0;
}
