#include "shell/update_check.h"

#include <winhttp.h>

#include <atomic>
#include <memory>
#include <set>

#include "foundation/app_path.h"
#include "foundation/text.h"
#include "foundation/selection_profile.h"
#include "shell/notifications.h"
#include "shell/routines.h"

namespace nv::updatecheck {
namespace {

constexpr size_t kMaxBody = 4096;
constexpr UINT kFetchDoneMessage = WM_APP + 0x55;
constexpr UINT_PTR kFirstTimer = 1, kHourlyTimer = 2;
constexpr UINT kFirstDelayMs = 5000, kHourMs = 60 * 60 * 1000;

HWND g_window = nullptr;
struct FetchState;
std::set<FetchState*> g_live;  // fetches not yet ended on this thread
std::wstring g_offerPage;

bool IsWebAddress(std::wstring_view s) {
    auto starts = [&](std::wstring_view p) { return s.size() > p.size() && lstrcmpiW(std::wstring(s.substr(0, p.size())).c_str(), std::wstring(p).c_str()) == 0; };
    return starts(L"http://") || starts(L"https://");
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

long long NowSeconds() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
    return static_cast<long long>(t.QuadPart / 10000000ULL) - 11644473600LL;
}

// One fetch. WinHTTP calls back on threads of its own; the state is only
// read and written there until the result is posted to the window, and is
// freed when WinHTTP closes the request handle.
struct FetchState {
    HINTERNET session = nullptr, connect = nullptr, request = nullptr;
    FetchDone done;
    std::string body;
    char buffer[kMaxBody + 1];
    bool ok = false;
    std::atomic<bool> finished{false};
};

void Finish(FetchState* s, bool ok) {
    if (s->finished.exchange(true)) return;
    s->ok = ok;
    if (!PostMessageW(g_window, kFetchDoneMessage, 0, reinterpret_cast<LPARAM>(s))) s->ok = false;
}

void CALLBACK OnStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
    auto* s = reinterpret_cast<FetchState*>(context);
    if (!s) return;  // the session's and the connection's own notifications
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
        if (!WinHttpReceiveResponse(handle, nullptr)) Finish(s, false);
        break;
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE: {
        DWORD code = 0, size = sizeof code;
        if (!WinHttpQueryHeaders(handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX) ||
            code != 200 || !WinHttpQueryDataAvailable(handle, nullptr))
            Finish(s, false);
        break;
    }
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE: {
        DWORD n = *static_cast<DWORD*>(info);
        if (n == 0) Finish(s, true);
        else if (s->body.size() + n > kMaxBody || !WinHttpReadData(handle, s->buffer, n, nullptr)) Finish(s, false);
        break;
    }
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        if (length == 0) {
            Finish(s, true);
            break;
        }
        s->body.append(s->buffer, length);
        if (!WinHttpQueryDataAvailable(handle, nullptr)) Finish(s, false);
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        Finish(s, false);
        break;
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        if (handle == s->request) delete s;
        break;
    }
}

// Ends a fetch on this thread: with its posted result, or at its deadline
// (WinHTTP's own timeouts do not cover every wait, Wine's among them).
void EndFetch(FetchState* s, bool deadline) {
    if (!g_live.erase(s)) return;  // a late timer message of an ended fetch
    KillTimer(g_window, reinterpret_cast<UINT_PTR>(s));
    if (deadline && s->finished.exchange(true)) {
        g_live.insert(s);  // its result is on the way
        return;
    }
    FetchDone done = std::move(s->done);
    std::optional<std::string> body;
    if (s->ok && !deadline) body = std::move(s->body);
    HINTERNET request = s->request, connect = s->connect, session = s->session;
    WinHttpCloseHandle(request);  // cancels what is pending; WinHTTP then frees s
    WinHttpCloseHandle(connect);
    WinHttpCloseHandle(session);
    if (done) done(std::move(body));
}

void CheckIfDueNow() {
    if (auto v = ModuleVersion()) CheckIfDue(*v);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        if (msg == kFetchDoneMessage) {
            EndFetch(reinterpret_cast<FetchState*>(lp), false);
            return 0;
        }
        if (msg == WM_TIMER && wp != kFirstTimer && wp != kHourlyTimer) {
            EndFetch(reinterpret_cast<FetchState*>(wp), true);
            return 0;
        }
        if (msg == WM_TIMER) {
            if (wp == kFirstTimer) {
                KillTimer(hwnd, kFirstTimer);
                SetTimer(hwnd, kHourlyTimer, kHourMs, nullptr);
            }
            CheckIfDueNow();
            return 0;
        }
    } catch (...) {
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// A message-only window of this thread receives the fetch results.
HWND EnsureWindow() {
    if (g_window) return g_window;
    constexpr wchar_t kClass[] = L"NorvaleUpdateCheck";
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
    g_window = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    return g_window;
}

}  // namespace

std::optional<Offer> ParseVersionFile(std::string_view body) {
    std::optional<Version> version;
    std::wstring page;
    while (!body.empty()) {
        size_t end = body.find('\n');
        std::string_view line = Trim(body.substr(0, end));
        body = end == std::string_view::npos ? std::string_view{} : body.substr(end + 1);
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        // Printable ASCII only: a page address is handed to the shell.
        bool plain = true;
        for (char c : value) plain = plain && c > ' ' && c < 0x7F;
        if (!plain) continue;
        std::wstring text(value.begin(), value.end());
        if (key == "version") version = ParseVersion(text);
        else if (key == "url") page = text;
    }
    if (!version || !IsWebAddress(page)) return std::nullopt;
    return Offer{*version, page};
}

bool IsDue(const std::wstring& lastCheck, long long now) {
    std::wstring text = TrimBlanks(lastCheck);
    if (text.empty() || text.size() > 18) return true;
    long long last = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return true;
        last = last * 10 + (c - L'0');
    }
    return last > now || now - last >= kInterval;
}

std::wstring PopupText(const Version& v) { return L"Norvale System Cleaner " + VersionText(v) + L" is available"; }

bool Fetch(const std::wstring& address, DWORD timeoutMs, FetchDone done) {
    if (!EnsureWindow() || !IsWebAddress(address)) return false;
    URL_COMPONENTS url{};
    url.dwStructSize = sizeof url;
    url.dwHostNameLength = url.dwUrlPathLength = url.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(address.c_str(), 0, 0, &url)) return false;
    std::wstring host(url.lpszHostName, url.dwHostNameLength);
    std::wstring path(url.lpszUrlPath, url.dwUrlPathLength);
    path.append(url.lpszExtraInfo, url.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    auto s = std::make_unique<FetchState>();
    s->done = std::move(done);
    s->session = WinHttpOpen(kAppTitle, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                             WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    if (!s->session) return false;
    int t = static_cast<int>(timeoutMs);
    WinHttpSetTimeouts(s->session, t, t, t, t);
    WinHttpSetStatusCallback(s->session, OnStatus,
                             WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES, 0);
    s->connect = WinHttpConnect(s->session, host.c_str(), url.nPort, 0);
    if (s->connect)
        s->request = WinHttpOpenRequest(s->connect, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                        WINHTTP_DEFAULT_ACCEPT_TYPES,
                                        url.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
    if (!s->request) {
        if (s->connect) WinHttpCloseHandle(s->connect);
        WinHttpCloseHandle(s->session);
        return false;
    }
    FetchState* raw = s.release();  // from here on WinHTTP's closing of the request frees it
    if (!WinHttpSendRequest(raw->request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                            reinterpret_cast<DWORD_PTR>(raw))) {
        HINTERNET request = raw->request, connect = raw->connect, session = raw->session;
        raw->finished = true;
        WinHttpCloseHandle(request);
        WinHttpCloseHandle(connect);
        WinHttpCloseHandle(session);
        return false;
    }
    g_live.insert(raw);
    SetTimer(g_window, reinterpret_cast<UINT_PTR>(raw), timeoutMs, nullptr);
    return true;
}

void CheckIfDue(const Version& current, DWORD timeoutMs, std::function<void(bool offered)> onDone) {
    using namespace profile;
    if (!NumericFlag(kOptions, opt::autoclean)) return;
    long long now = NowSeconds();
    if (!IsDue(Read(kOptions, kLastCheckKey), now)) return;
    // Recorded first: a failed or unrecordable try waits a week like any other.
    if (!Write(kOptions, kLastCheckKey, std::to_wstring(now))) return;
    std::wstring address = TrimBlanks(Read(kOptions, kAddressKey));
    if (address.empty()) address = kDefaultAddress;
    bool started = Fetch(address, timeoutMs, [current, onDone](std::optional<std::string> body) {
        std::optional<Offer> offer = body ? ParseVersionFile(*body) : std::nullopt;
        bool offered = offer && offer->version > current;
        if (offered) {
            g_offerPage = offer->page;
            mNotificationSystem::AddNotification(kPopupKey, kAppTitle, PopupText(offer->version), false, true,
                                                 nullptr, L"");
        }
        if (onDone) onDone(offered);
    });
    if (!started && onDone) onDone(false);
}

void Start() {
    if (HWND w = EnsureWindow()) SetTimer(w, kFirstTimer, kFirstDelayMs, nullptr);
}

bool HandleClick(const std::wstring& key) {
    if (key != kPopupKey) return false;
    if (!g_offerPage.empty()) ShellOpen(g_offerPage);
    return true;
}

}  // namespace nv::updatecheck
