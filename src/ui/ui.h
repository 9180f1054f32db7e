// Helpers shared by the program's windows: DPI scaling, fonts, control
// creation and the message pump that long work calls to stay responsive.
#pragma once

#include <windows.h>

#include <string>

namespace nv::ui {

// Design sizes are in pixels at 96 dpi; Px scales them to the screen.
int Px(int designPixels);

// The system's message font, and bold / larger variants of it.
HFONT MessageFont();
HFONT BoldFont();
HFONT TitleFont();
HFONT LinkFont();

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
           int id, DWORD exStyle = 0);
HWND Label(HWND parent, const wchar_t* text, int x, int y, int w, int h, int id = -1, DWORD style = SS_LEFT,
           HFONT font = nullptr);

std::wstring GetText(HWND hwnd);

// Processes every pending message of this thread (the window repaints,
// menu and timer events run). A WM_QUIT is put back for the main loop.
void PumpMessages();

// The accelerator table the main loop and the pump translate with.
void SetAccelerators(HWND window, HACCEL table);

// Runs the thread's message loop until WM_QUIT; returns its exit code.
int MessageLoop();

// Centres a window on the work area of the screen.
void CenterOnScreen(HWND hwnd);

// Dialogs whose controls are made in code: an empty template with this
// style and title; the dialog procedure creates and places the controls at
// WM_INITDIALOG (lParam = param). Child pages use WS_CHILD | DS_CONTROL.
INT_PTR CodeDialogModal(HWND owner, DWORD style, const wchar_t* title, DLGPROC proc, LPARAM param);
HWND CodeDialog(HWND parent, DWORD style, const wchar_t* title, DLGPROC proc, LPARAM param);

// The first descendant window (at any depth) with this control id.
HWND FindControl(HWND root, int id);

}  // namespace nv::ui
