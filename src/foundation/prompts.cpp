#include "foundation/prompts.h"

#include <commctrl.h>

#include <cstdio>
#include <utility>

#include "foundation/text.h"

namespace nv::prompts {
namespace {

HWND g_owner = nullptr;

class WindowPrompter : public Prompter {
public:
    int Show(const std::wstring& text, const std::wstring& title, UINT flags) override {
        return MessageBoxW(g_owner, text.c_str(), title.c_str(), flags);
    }
    // A task dialog with the buttons' own words; where the common controls
    // have none (no version 6 manifest), the plain box.
    int ShowChoice(const std::wstring& text, const std::wstring& title, const std::wstring& yes,
                   const std::wstring& no) override {
        using TaskDialogFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
        HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
        if (!comctl) comctl = LoadLibraryW(L"comctl32.dll");
        auto taskDialog = comctl ? reinterpret_cast<TaskDialogFn>(
                                       reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")))
                                 : nullptr;
        if (!taskDialog) return Show(text, title, MB_YESNOCANCEL | MB_ICONQUESTION);
        const TASKDIALOG_BUTTON buttons[] = {{IDYES, yes.c_str()}, {IDNO, no.c_str()}};
        TASKDIALOGCONFIG c{};
        c.cbSize = sizeof c;
        c.hwndParent = g_owner;
        c.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
        c.dwCommonButtons = TDCBF_CANCEL_BUTTON;
        c.pszWindowTitle = title.c_str();
        c.pszMainIcon = TD_WARNING_ICON;
        c.pszContent = text.c_str();
        c.cButtons = 2;
        c.pButtons = buttons;
        c.nDefaultButton = IDYES;
        int pressed = IDCANCEL;
        if (FAILED(taskDialog(&c, &pressed, nullptr, nullptr))) return Show(text, title, MB_YESNOCANCEL | MB_ICONQUESTION);
        return pressed == IDYES || pressed == IDNO ? pressed : IDCANCEL;
    }
};

WindowPrompter g_default;
Prompter* g_current = &g_default;

int DefaultAnswer(UINT flags) {
    switch (flags & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL: return (flags & MB_DEFBUTTON2) ? IDNO : IDYES;
    case MB_OKCANCEL: return (flags & MB_DEFBUTTON2) ? IDCANCEL : IDOK;
    case MB_RETRYCANCEL: return IDCANCEL;
    default: return IDOK;
    }
}

}  // namespace

Prompter& Current() { return *g_current; }
void Install(Prompter* p) { g_current = p ? p : &g_default; }
HWND SetOwner(HWND owner) { return std::exchange(g_owner, owner); }

int ConsolePrompter::Show(const std::wstring& text, const std::wstring& title, UINT flags) {
    std::string line = ToUtf8(title + L": " + text);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    return DefaultAnswer(flags);
}

}  // namespace nv::prompts
