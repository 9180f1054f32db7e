// The popup queue: requests wait here and the main window's 500 ms timer
// shows them one at a time, oldest first.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "shell/notification_request.h"

namespace nv {
class frmNotification;
}

namespace nv::mNotificationSystem {

// The id of tmrShowPopup among the main window's timers.
inline constexpr UINT_PTR kShowPopupTimerId = 0x4E50;
inline constexpr UINT kShowPopupInterval = 500;

// Empties the queue (main-window load). A popup on screen stays.
void CreateNotificationQueue();

// Queues a popup. With queueSeparately false and the same Title as the popup
// on screen, that popup takes the new content instead. Queued requests are
// keyed by Description (queueSeparately) or by Title; a new request replaces
// a waiting one with the same key and goes to the end. The icon is copied;
// null keeps the popup's built-in image. An empty sound path is silent.
void AddNotification(const std::wstring& key, const std::wstring& title, const std::wstring& description,
                     bool queueSeparately, bool enableClickEvent, HICON icon, const std::wstring& soundFileLocation);

// The popup that ends an unattended cleaning run: queued separately,
// clickable, with the application's message sound.
void AddRunFinishedNotification(const std::wstring& key, const std::wstring& title, const std::wstring& description);

// Starts tmrShowPopup on the main window.
void StartPopupTimer(HWND mainWindow);
// One tick of tmrShowPopup: shows the oldest request when no popup is up.
void tmrShowPopup_Timer();

// m_NotificationWindow: the popup on screen, or null.
frmNotification* NotificationWindow();

// The popup's events, as the main window handles them.
void m_NotificationWindow_Clicked(const std::wstring& key);
void m_NotificationWindow_Finished();

size_t QueuedCount();
const cNotificationRequest& QueuedRequest(size_t index);  // 0 = oldest
std::vector<std::wstring> QueuedKeys();

}  // namespace nv::mNotificationSystem
