#include "shell/routines.h"

#include <windows.h>

#include "foundation/app_path.h"
#include "foundation/launcher.h"
#include "foundation/prompts.h"

namespace nv {

void ShellOpen(const std::wstring& target) { launcher::Current().ShellOpen(target); }

void ShowHelp() {
    launcher::Current().Start(launcher::Quote(WindowsFolder() + L"\\hh.exe") + L" " +
                                  launcher::Quote(AppFile(L"help.chm")),
                              SW_SHOWNORMAL);
}

void ShowLicenseAgreement() {
    launcher::Current().Start(launcher::Quote(WindowsFolder() + L"\\notepad.exe") + L" " +
                                  launcher::Quote(AppFile(L"License.txt")),
                              SW_SHOWNORMAL);
}

void StartCompanion(const wchar_t* exeName, const wchar_t* name) {
    std::wstring path = AppFile(exeName);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        prompts::Show(std::wstring(name) + L" is a separate program that is not installed.", kAppTitle,
                      MB_OK | MB_ICONINFORMATION);
        return;
    }
    launcher::Current().Start(launcher::Quote(path), SW_SHOWNORMAL);
}

}  // namespace nv
