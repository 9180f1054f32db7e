#include "foundation/version.h"

#include <cstring>

namespace nv {

std::optional<Version> ParseVersion(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);
    unsigned parts[3] = {};
    size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != L'.') return std::nullopt;
            ++pos;
        }
        size_t start = pos;
        unsigned long long value = 0;
        while (pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9') {
            value = value * 10 + (text[pos] - L'0');
            if (value > 65535) return std::nullopt;  // a version resource holds 16 bits a part
            ++pos;
        }
        if (pos == start) return std::nullopt;
        parts[i] = static_cast<unsigned>(value);
    }
    if (pos != text.size()) return std::nullopt;
    return Version{parts[0], parts[1], parts[2]};
}

std::wstring VersionText(const Version& v) {
    return std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) + L"." + std::to_wstring(v.patch);
}

std::optional<Version> ModuleVersion(HMODULE module) {
    if (!module) module = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    if (!res) return std::nullopt;
    HGLOBAL data = LoadResource(module, res);
    DWORD size = SizeofResource(module, res);
    const auto* bytes = data ? static_cast<const unsigned char*>(LockResource(data)) : nullptr;
    if (!bytes) return std::nullopt;
    // VS_FIXEDFILEINFO follows the block's header at a 32-bit boundary; its
    // signature marks it, so no parsing of the header is needed.
    for (DWORD off = 0; off + sizeof(VS_FIXEDFILEINFO) <= size; off += 4) {
        VS_FIXEDFILEINFO info;
        std::memcpy(&info, bytes + off, sizeof info);
        if (info.dwSignature != 0xFEEF04BD) continue;
        return Version{HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS), HIWORD(info.dwFileVersionLS)};
    }
    return std::nullopt;
}

}  // namespace nv
