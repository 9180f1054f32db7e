// Entry point of NorvaleShredder.exe.
#include <windows.h>
#include <objbase.h>

#include "ui/ui.h"
#include "shredder/cmdline.h"
#include "shredder/window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    auto args = nv::shredder::Arguments(GetCommandLineW());
    if (auto code = nv::shredder::RunSwitch(args)) return *code;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the folder browser needs it
    if (!nv::shredder::CreateShredderWindow(args, show)) return 1;
    int code = nv::ui::MessageLoop();
    CoUninitialize();
    return code;
}
