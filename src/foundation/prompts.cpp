#include "foundation/prompts.h"

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
