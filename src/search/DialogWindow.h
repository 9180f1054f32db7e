// A window of Search and Erase: an empty in-memory dialog template whose
// controls are created in code, shown modal over its owner (the program) or
// modeless and hidden (tests, benchmark). The dialog manager gives it Tab,
// Enter and Esc handling like any other dialog.
#pragma once

#include <windows.h>

namespace nv::search {

class DialogWindow {
public:
    virtual ~DialogWindow() = default;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    HWND control(int id) const { return GetDlgItem(hwnd_, id); }

protected:
    DialogWindow() = default;
    // Returns when the window is closed.
    void RunModal(HWND owner);
    // False when the window could not be made.
    bool CreateModeless(HWND owner);
    // Ends the modal loop or destroys the modeless window.
    void Close();

    // Client size in design pixels; the menu bar, if any, is set first.
    void SetClientSize(int width, int height);

    // Creates the controls; false when it set the focus itself.
    virtual bool OnInit() = 0;
    // Every message after WM_INITDIALOG; return true when handled.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) = 0;

    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool modal_ = false;
};

}  // namespace nv::search
