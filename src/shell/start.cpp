#include "shell/start.h"

#include <objbase.h>

#include "shell/splash_window.h"
#include "shell/cli.h"
#include "shell/main_window.h"
#include "ui/ui.h"

namespace nv {

std::wstring ArgumentText(const std::wstring& commandLine) {
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        size_t close = commandLine.find(L'"', 1);
        i = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t') ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) ++i;
    return commandLine.substr(i);
}

int StartProgram(HINSTANCE) {
    std::wstring args = ArgumentText(GetCommandLineW());
    OleInitialize(nullptr);
    if (auto code = cli::Run(args)) {
        OleUninitialize();
        return *code;
    }
    Frmsplash::Open();
    if (frmMainCode* main = frmMainCode::Instance()) main->state().commandLine = args;
    int rc = ui::MessageLoop();
    OleUninitialize();
    return rc;
}

}  // namespace nv
