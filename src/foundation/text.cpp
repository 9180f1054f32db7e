#include "foundation/text.h"

#include <windows.h>
#include <oleauto.h>

#include <charconv>
#include <cmath>
#include <cstdio>

namespace nv {

std::wstring TrimBlanks(std::wstring_view s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == L' ') ++b;
    while (e > b && s[e - 1] == L' ') --e;
    return std::wstring(s.substr(b, e - b));
}

std::wstring ToLower(std::wstring_view s) {
    std::wstring r(s);
    if (!r.empty()) CharLowerBuffW(r.data(), static_cast<DWORD>(r.size()));
    return r;
}

std::wstring NumberText(double v) {
    if (!std::isfinite(v)) return L"0";
    if (v == 0) return L"0";
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    std::string s(buf, res.ptr);
    return std::wstring(s.begin(), s.end());
}

std::wstring FixedTwo(double v) {
    char buf[400];
    // Round half away from zero on the decimal value, as a format pattern does.
    double r = std::round(v * 100.0) / 100.0;
    if (r == 0) r = 0;  // no "-0.00"
    std::snprintf(buf, sizeof buf, "%.2f", r);
    std::string s(buf);
    return std::wstring(s.begin(), s.end());
}

std::wstring MegabytesText(double bytes) { return FixedTwo(bytes / 1048576.0); }

std::optional<double> ParseNumber(std::wstring_view s) {
    std::wstring t(s);
    if (TrimBlanks(t).empty()) return std::nullopt;
    double d = 0;
    // LOCALE_INVARIANT keeps "." the decimal point whatever the user's locale.
    HRESULT hr = VarR8FromStr(t.data(), LOCALE_INVARIANT, 0, &d);
    if (FAILED(hr)) return std::nullopt;
    return d;
}

std::string ToUtf8(std::wstring_view s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string r(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), r.data(), n, nullptr, nullptr);
    return r;
}

std::wstring FromUtf8(std::string_view s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring r(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), r.data(), n);
    return r;
}

std::string ToAnsi(std::wstring_view s, bool* lossless) {
    if (lossless) *lossless = true;
    if (s.empty()) return {};
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string r(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), r.data(), n, nullptr, &usedDefault);
    if (lossless && (usedDefault || FromAnsi(r) != s)) *lossless = false;
    return r;
}

std::wstring FromAnsi(std::string_view s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring r(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), r.data(), n);
    return r;
}

std::vector<std::wstring> Split(std::wstring_view s, wchar_t sep) {
    std::vector<std::wstring> out;
    size_t start = 0;
    for (;;) {
        size_t p = s.find(sep, start);
        if (p == std::wstring_view::npos) {
            out.emplace_back(s.substr(start));
            return out;
        }
        out.emplace_back(s.substr(start, p - start));
        start = p + 1;
    }
}

bool StartsWith(std::wstring_view s, std::wstring_view prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(std::wstring_view s, std::wstring_view suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace nv
