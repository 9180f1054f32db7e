// "Automatically check for new versions": at most once a week, while the
// program runs, fetch a small version file and offer a newer version in a
// popup whose click opens its download page. Nothing is downloaded or run;
// every failure is silent and the next try is a week later.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/version.h"

namespace nv::updatecheck {

// Options keys of prisd.dat: the version file's address (empty: the default)
// and when the last check started (seconds since 1970, UTC).
inline constexpr wchar_t kAddressKey[] = L"updateurl";
inline constexpr wchar_t kLastCheckKey[] = L"lastupdatecheck";
inline constexpr wchar_t kDefaultAddress[] = L"http://www.norvale.example/version.txt";
inline constexpr long long kInterval = 7LL * 24 * 60 * 60;
// The whole fetch, and each of WinHTTP's own waits.
inline constexpr DWORD kTimeoutMs = 10000;
inline constexpr wchar_t kPopupKey[] = L"UPDATE";

// The version file: lines "version=<x.y.z>" and "url=<page>" (CR LF or LF,
// in any order, other lines ignored). None unless both are there, the
// version is well formed and the page is an http or https address.
struct Offer {
    Version version;
    std::wstring page;
};
std::optional<Offer> ParseVersionFile(std::string_view body);

// Due when never tried, when the stored time cannot be read, a week or more
// ago, or later than now (the clock was set back).
bool IsDue(const std::wstring& lastCheck, long long now);

// "Norvale System Cleaner <x.y.z> is available"
std::wstring PopupText(const Version& v);

// Fetches an http(s) address with WinHTTP in asynchronous mode, so the
// window never waits; done is called later on this thread, from its message
// loop, with the body or none (any failure, a status other than 200, more
// than 4 KB, no answer within timeoutMs). False (and done never called)
// when the fetch could not even start.
using FetchDone = std::function<void(std::optional<std::string> body)>;
bool Fetch(const std::wstring& address, DWORD timeoutMs, FetchDone done);

// One check when ticked and due: records the time, fetches, and queues the
// popup when the offer is newer than current. onDone (tests) is called
// once the fetch has ended or could not start, with whether a popup was
// queued; not at all when unticked or not due.
void CheckIfDue(const Version& current, DWORD timeoutMs = kTimeoutMs,
                std::function<void(bool offered)> onDone = nullptr);

// Starts the checks for the running program: the first shortly after the
// start, then one look an hour whether a week has passed.
void Start();

// The popup's click: opens the offered page when key is the update popup's.
bool HandleClick(const std::wstring& key);

}  // namespace nv::updatecheck
