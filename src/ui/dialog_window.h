// A window of Search and Erase: an empty in-memory dialog template whose
// controls are created in code, shown modal over its owner (the program) or
// modeless and hidden (tests, benchmark). The dialog manager gives it Tab,
// Enter and Esc handling like any other dialog.
#pragma once

#include <windows.h>

#include <memory>

namespace nv::search {

template <typename T>
class ModelessSlot;

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
    template <typename T>
    friend class ModelessSlot;
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool modal_ = false;
};

// The one modeless instance of a window class (tests, benchmark).
template <typename T>
class ModelessSlot {
public:
    T* Load(std::unique_ptr<T> fresh, HWND owner) {
        Unload();
        window_ = std::move(fresh);
        if (!window_->CreateModeless(owner)) window_.reset();
        return window_.get();
    }
    void Unload() {
        if (window_ && window_->hwnd()) DestroyWindow(window_->hwnd());
        window_.reset();
    }

private:
    std::unique_ptr<T> window_;
};

}  // namespace nv::search
