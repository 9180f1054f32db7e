#include "foundation/registry_access.h"

#include <array>
#include <cstring>

#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "foundation/prompts.h"
#include "foundation/text.h"

namespace nv::regfun {
namespace {

constexpr DWORD kReadAccess = 0x20019;   // KEY_READ
constexpr DWORD kWriteAccess = 0x20006;  // KEY_WRITE
constexpr size_t kBufferChars = 255;

// Reads raw value data into a buffer of 255 characters pre-filled with
// blanks. Returns false when the value is missing or does not fit.
bool ReadIntoBlankBuffer(HKEY key, const std::wstring& valueName, std::wstring& buffer, DWORD& type) {
    buffer.assign(kBufferChars, L' ');
    DWORD bytes = static_cast<DWORD>(kBufferChars * sizeof(wchar_t));
    DWORD t = type;
    LONG rc = RegQueryValueExW(key, valueName.c_str(), nullptr, &t, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (rc != ERROR_SUCCESS) return false;
    type = t;
    if (t != REG_SZ && t != REG_EXPAND_SZ && t != REG_MULTI_SZ) {
        // Binary and number data: one character per byte, as a byte-wide
        // buffer would have held it; more than it holds does not fit.
        if (bytes > kBufferChars) return false;
        std::string raw(reinterpret_cast<const char*>(buffer.data()), bytes);
        std::wstring widened(kBufferChars, L' ');
        for (size_t i = 0; i < raw.size() && i < kBufferChars; ++i)
            widened[i] = static_cast<wchar_t>(static_cast<unsigned char>(raw[i]));
        buffer = widened;
    }
    return true;
}

}  // namespace

HKEY GetRootKey(const std::wstring& rootName) {
    static const struct {
        const wchar_t* name;
        HKEY key;
    } roots[] = {
        {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKEY_USERS", HKEY_USERS},
        {L"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
        {L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {L"HKEY_DYN_DATA", HKEY_DYN_DATA},
    };
    for (const auto& r : roots)
        if (rootName == r.name) return r.key;
    return nullptr;
}

bool ParseKeyPath(std::wstring& path, HKEY& root) {
    root = nullptr;
    if (!StartsWith(path, L"HKEY_") || EndsWith(path, L"\\")) {
        prompts::Show(L"Incorrect Format:\n\n" + path, kAppTitle, MB_OK);
        return false;
    }
    size_t slash = path.find(L'\\');
    if (slash == std::wstring::npos) {
        root = GetRootKey(path);
        path.clear();
    } else {
        root = GetRootKey(path.substr(0, slash));
        path = path.substr(slash + 1);
    }
    return root != nullptr;
}

std::wstring GetRegValue(const std::wstring& keyPath, const std::wstring& valueName) {
    std::wstring sub = keyPath;
    HKEY root;
    if (!ParseKeyPath(sub, root)) return {};
    ScopedKey key;
    if (RegOpenKeyExW(root, sub.c_str(), 0, kReadAccess, key.put()) != ERROR_SUCCESS) return L"Error";
    std::wstring buffer;
    DWORD type = REG_SZ;
    if (!ReadIntoBlankBuffer(key.get(), valueName, buffer, type)) return L"Error";
    // The buffer holds the data, its NUL and the blank fill: trimming blanks
    // leaves the NUL last, which is then dropped.
    std::wstring trimmed = TrimBlanks(buffer);
    if (!trimmed.empty()) trimmed.pop_back();
    return trimmed;
}

std::optional<std::wstring> ReadString(const std::wstring& keyPath, const std::wstring& valueName) {
    std::wstring sub = keyPath;
    HKEY root;
    if (!ParseKeyPath(sub, root)) return std::nullopt;
    ScopedKey key;
    if (RegOpenKeyExW(root, sub.c_str(), 0, kReadAccess, key.put()) != ERROR_SUCCESS) return std::nullopt;
    std::wstring buffer(256, L'\0');
    for (;;) {
        DWORD type = 0;
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        LONG rc = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer.data()), &bytes);
        // The value may grow between two calls: ask again with its new size.
        if (rc == ERROR_MORE_DATA) {
            buffer.assign(bytes / sizeof(wchar_t) + 2, L'\0');
            continue;
        }
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
        buffer.resize(bytes / sizeof(wchar_t));
        return StripNull(buffer);
    }
}

std::wstring QueryRegValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName, DWORD& type) {
    ScopedKey key;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, kReadAccess, key.put()) != ERROR_SUCCESS) return L"error";
    std::wstring buffer;
    if (!ReadIntoBlankBuffer(key.get(), valueName, buffer, type)) return L"error";
    return StripNull(buffer);
}

void CreateRegKey(const std::wstring& keyPath) {
    std::wstring sub = keyPath;
    HKEY root;
    if (!ParseKeyPath(sub, root)) return;
    ScopedKey key;
    RegCreateKeyExW(root, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.put(), nullptr);
}

void SetRegValue(const std::wstring& keyPath, const std::wstring& valueName, const std::wstring& value) {
    std::wstring sub = keyPath;
    HKEY root;
    if (!ParseKeyPath(sub, root)) return;
    ScopedKey key;
    if (RegOpenKeyExW(root, sub.c_str(), 0, kWriteAccess, key.put()) != ERROR_SUCCESS) return;
    RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring StripNull(const std::wstring& s) {
    size_t nul = s.find(L'\0');
    return nul == std::wstring::npos ? s : s.substr(0, nul);
}

}  // namespace nv::regfun
