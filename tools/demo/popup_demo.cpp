// Shows the popups the way the program does: the end-of-run popup, then an
// alert with an icon of its own, through the queue and the 500 ms timer of a
// hidden main window. Ends when both are gone.
//   popup_demo.exe [one]   "one" shows only the end-of-run popup.
#include <windows.h>

#include <string>

#include "engine/cleaning_run.h"
#include "foundation/app_path.h"
#include "shell/notifications.h"

namespace {

constexpr UINT_PTR kDoneCheckTimer = 1;

void CALLBACK DoneCheck(HWND, UINT, UINT_PTR, DWORD) {
    namespace ns = nv::mNotificationSystem;
    if (ns::QueuedCount() == 0 && !ns::NotificationWindow()) PostQuitMessage(0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR args, int) {
    namespace ns = nv::mNotificationSystem;
    HWND main = CreateWindowExW(0, L"STATIC", L"Popup demo", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                instance, nullptr);
    // Minimised, so the desktop shows a taskbar and the work area ends above it.
    ShowWindow(main, SW_SHOWMINNOACTIVE);
    ns::CreateNotificationQueue();
    ns::StartPopupTimer(main);
    ns::AddRunFinishedNotification(L"www", nv::kAppTitle, nv::engine::PopupDescription(12, 3.0 * 1048576));
    if (std::wstring(args) != L"one")
        ns::AddNotification(L"ALERT", L"Scheduled cleaning", L"The weekly cleaning starts in one minute.", false,
                            true, LoadIconW(nullptr, IDI_INFORMATION), L"");
    // Later than the first popup can start, so the check never sees an empty
    // queue before it.
    SetTimer(main, kDoneCheckTimer, 1000, DoneCheck);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyWindow(main);
    return 0;
}
