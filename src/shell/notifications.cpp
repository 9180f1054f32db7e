#include "shell/notifications.h"

#include <algorithm>
#include <memory>

#include "foundation/app_path.h"
#include "foundation/prompts.h"
#include "foundation/text.h"
#include "shell/closing_watch.h"
#include "shell/notification_popup.h"
#include "shell/update_check.h"

namespace nv::mNotificationSystem {
namespace {

struct QueueEntry {
    std::wstring key;
    cNotificationRequest request;
};

// Insertion-ordered; a handful of entries at most, so a vector will do.
std::vector<QueueEntry> NotificationQueue;
std::shared_ptr<frmNotification> m_NotificationWindow;

void CALLBACK ShowPopupTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    try {
        tmrShowPopup_Timer();
    } catch (...) {
    }
}

}  // namespace

void CreateNotificationQueue() { NotificationQueue.clear(); }

void AddNotification(const std::wstring& key, const std::wstring& title, const std::wstring& description,
                     bool queueSeparately, bool enableClickEvent, HICON icon, const std::wstring& soundFileLocation) {
    cNotificationRequest request{key, CopySharedIcon(icon), title, description, enableClickEvent, soundFileLocation};
    if (m_NotificationWindow && !queueSeparately && m_NotificationWindow->NotificationRequest().Title == title) {
        m_NotificationWindow->UpdateNotification(request);
        return;
    }
    const std::wstring queueKey = queueSeparately ? description : title;
    std::erase_if(NotificationQueue, [&](const QueueEntry& e) { return e.key == queueKey; });
    NotificationQueue.push_back({queueKey, std::move(request)});
}

void AddRunFinishedNotification(const std::wstring& key, const std::wstring& title, const std::wstring& description) {
    AddNotification(key, title, description, true, true, nullptr, AppFile(L"Sounds\\Message.wav"));
}

void StartPopupTimer(HWND mainWindow) {
    SetTimer(mainWindow, kShowPopupTimerId, kShowPopupInterval, ShowPopupTimerProc);
}

void tmrShowPopup_Timer() {
    if (NotificationQueue.empty() || m_NotificationWindow) return;
    auto popup = frmNotification::Load();
    if (!popup) return;  // the request waits for the next tick
    popup->Clicked = m_NotificationWindow_Clicked;
    popup->Finished = m_NotificationWindow_Finished;
    // Out of the queue before the popup starts, so nothing that happens
    // while it shows can make us remove some other request instead.
    cNotificationRequest request = std::move(NotificationQueue.front().request);
    NotificationQueue.erase(NotificationQueue.begin());
    m_NotificationWindow = popup;
    popup->ShowNotification(request);
}

frmNotification* NotificationWindow() { return m_NotificationWindow.get(); }

void m_NotificationWindow_Clicked(const std::wstring& key) {
    if (updatecheck::HandleClick(key)) return;
    if (closingwatch::HandleClick(key)) return;
    std::wstring text;
    if (key == L"ALERT")
        text = L"You have clicked the Alerts Notification";
    else if (key == L"MESSAGE")
        text = L"You have clicked the Messages Notification";
    else
        text = L"You have clicked the Notification with Key: " + key;
    prompts::Show(text, kAppTitle, MB_OK);
}

void m_NotificationWindow_Finished() { m_NotificationWindow.reset(); }

size_t QueuedCount() { return NotificationQueue.size(); }

const cNotificationRequest& QueuedRequest(size_t index) { return NotificationQueue.at(index).request; }

std::vector<std::wstring> QueuedKeys() {
    std::vector<std::wstring> keys;
    for (const auto& e : NotificationQueue) keys.push_back(e.key);
    return keys;
}

}  // namespace nv::mNotificationSystem
