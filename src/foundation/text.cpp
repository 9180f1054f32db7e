#include "foundation/text.h"

#include <windows.h>
#include <oleauto.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwctype>

namespace nv {

bool SameText(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), int(a.size()), b.data(), int(b.size()), TRUE) == CSTR_EQUAL;
}

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

namespace {

int DigitValue(wchar_t c, int radix) {
    int v = (c >= L'0' && c <= L'9') ? c - L'0'
            : (c >= L'a' && c <= L'f') ? c - L'a' + 10
            : (c >= L'A' && c <= L'F') ? c - L'A' + 10
                                       : 99;
    return v < radix ? v : -1;
}

// "&H..." and "&O...": a 32-bit pattern read as signed; wider gives its
// unsigned value, which no 32-bit reader accepts.
double RadixNumber(std::wstring_view digits, int radix) {
    double value = 0;
    for (wchar_t c : digits) {
        int d = DigitValue(c, radix);
        if (d < 0) break;
        value = value * radix + d;
    }
    if (value > 4294967295.0) return value;
    return value >= 2147483648.0 ? value - 4294967296.0 : value;
}

}  // namespace

double LeadingNumber(std::wstring_view s) {
    std::wstring t;
    for (wchar_t c : s)
        if (c != L' ' && c != L'\t' && c != L'\n') t += c;
    if (t.size() >= 2 && t[0] == L'&') {
        wchar_t r = static_cast<wchar_t>(towupper(t[1]));
        if (r == L'H') return RadixNumber(std::wstring_view(t).substr(2), 16);
        if (r == L'O') return RadixNumber(std::wstring_view(t).substr(2), 8);
        return 0;
    }
    // The longest prefix of the form [sign] digits [. digits] [E|D [sign] digits].
    std::string num;
    size_t i = 0;
    auto digits = [&] {
        size_t n = 0;
        for (; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i, ++n) num += static_cast<char>(t[i]);
        return n;
    };
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) num += static_cast<char>(t[i++]);
    size_t mantissa = digits();
    if (i < t.size() && t[i] == L'.') {
        num += '.';
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return 0;
    if (i < t.size() && (t[i] == L'E' || t[i] == L'e' || t[i] == L'D' || t[i] == L'd')) {
        size_t j = i + 1;
        if (j < t.size() && (t[j] == L'+' || t[j] == L'-')) ++j;
        if (j < t.size() && t[j] >= L'0' && t[j] <= L'9') {
            num += 'e';
            if (t[i + 1] == L'-') num += '-';
            i = j;
            digits();
        }
    }
    return std::strtod(num.c_str(), nullptr);
}

std::wstring DateTimeText(double oleDate) {
    BSTR text = nullptr;
    std::wstring out;
    if (SUCCEEDED(VarBstrFromDate(oleDate, LOCALE_USER_DEFAULT, 0, &text)) && text) out = text;
    SysFreeString(text);
    return out;
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
