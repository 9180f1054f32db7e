// The notification popup: a small topmost window that grows up from the
// bottom-right corner of the work area, stays five seconds, shrinks away
// and unloads.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "foundation/handles.h"
#include "shell/notification_request.h"

namespace nv {

class frmNotification : public std::enable_shared_from_this<frmNotification> {
public:
    enum ControlId : int { imgNotificationIcon = 101, lblTitle, lblDescription };
    enum Phase : int { kGrowing = 0, kShown = 1 };
    static constexpr UINT kStepInterval = 15;   // ms between animation steps
    static constexpr UINT kDisplayTime = 5000;  // ms at full height
    // Animation sizes in twips, converted at the screen's twips per pixel.
    static constexpr int kStartHeightTwips = 10, kStepTwips = 20, kEdgeGapTwips = 100;

    // Creates the window hidden and topmost and reads the work area and its
    // full height. Null when the window cannot be created.
    static std::shared_ptr<frmNotification> Load();
    ~frmNotification();
    frmNotification(const frmNotification&) = delete;
    frmNotification& operator=(const frmNotification&) = delete;

    void ShowNotification(const cNotificationRequest& request);
    // New content for the popup on screen; it grows back and its display
    // time starts again. No sound.
    void UpdateNotification(const cNotificationRequest& request);
    const cNotificationRequest& NotificationRequest() const { return request_; }

    // Raised with the request's Key when the description is clicked and the
    // request allows it.
    std::function<void(const std::wstring& key)> Clicked;
    // Raised when the window is gone; the owner may drop the object inside.
    std::function<void()> Finished;

    // One step of the animation timer (the timer calls it; so can tests).
    void tmrPopupController_Timer();
    void Unload();

    HWND hwnd() const { return hwnd_; }
    int phase() const { return phase_; }
    UINT TimerInterval() const { return timerOn_ ? interval_ : 0; }  // 0: disabled
    int HeightTwips() const { return heightTwips_; }
    int FullHeightTwips() const { return fullHeightTwips_; }
    const RECT& WorkArea() const { return workArea_; }  // pixels
    int TwipsToPixelsX(int twips) const { return MulDiv(twips, dpiX_, 1440); }
    int TwipsToPixelsY(int twips) const { return MulDiv(twips, dpiY_, 1440); }

private:
    frmNotification() = default;
    bool Form_Load();
    void Fill();
    void Place();
    void SetInterval(UINT ms);
    void EnableTimer();
    int Px(int designPixels) const { return MulDiv(designPixels, dpiX_, 96); }
    void lblDescription_Click();
    void DrawImage(const DRAWITEMSTRUCT& item) const;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    struct WindowTraits {
        using Handle = HWND;
        static Handle Invalid() { return nullptr; }
        static void Close(Handle h) { DestroyWindow(h); }
    };

    HWND hwnd_ = nullptr;
    // A hidden owner keeps the popup off the taskbar also where the tool
    // window style alone does not.
    UniqueHandle<WindowTraits> owner_;
    cNotificationRequest request_;
    SharedIcon shownIcon_;  // the caller's image; none shows the built-in one
    int phase_ = kGrowing;
    int heightTwips_ = 0, fullHeightTwips_ = 0;
    int widthPixels_ = 0;
    RECT workArea_{};
    RECT shpBorder_{};
    int dpiX_ = 96, dpiY_ = 96;
    UINT interval_ = kStepInterval;
    bool timerOn_ = false;
    ScopedGdi titleFont_, descriptionFont_, backBrush_, builtInImage_;
};

}  // namespace nv
