// Every message box and question of the program goes through here, so that
// a run without a window (command line, scheduled run, tests) never blocks
// on a dialog.
#pragma once

#include <windows.h>

#include <string>

namespace nv::prompts {

class Prompter {
public:
    virtual ~Prompter() = default;
    // Same contract as MessageBoxW: flags MB_*, returns IDOK, IDYES, ...
    virtual int Show(const std::wstring& text, const std::wstring& title, UINT flags) = 0;
    // A question whose Yes and No buttons have words of their own, with
    // Cancel: IDYES, IDNO or IDCANCEL. By default Show with MB_YESNOCANCEL.
    virtual int ShowChoice(const std::wstring& text, const std::wstring& title, const std::wstring& yes,
                           const std::wstring& no) {
        (void)yes, (void)no;
        return Show(text, title, MB_YESNOCANCEL | MB_ICONQUESTION);
    }
};

// The prompter in use; by default real message boxes owned by the window
// given to SetOwner.
Prompter& Current();
// Installs p (not owned); nullptr restores the default.
void Install(Prompter* p);
// Returns the owner it replaces, so a dialog can own its own questions.
HWND SetOwner(HWND owner);

inline int Show(const std::wstring& text, const std::wstring& title, UINT flags) {
    return Current().Show(text, title, flags);
}

inline int ShowChoice(const std::wstring& text, const std::wstring& title, const std::wstring& yes,
                      const std::wstring& no) {
    return Current().ShowChoice(text, title, yes, no);
}

// Answers every question with its default button and writes the text to
// standard error (for runs without a window).
class ConsolePrompter : public Prompter {
public:
    int Show(const std::wstring& text, const std::wstring& title, UINT flags) override;
};

}  // namespace nv::prompts
