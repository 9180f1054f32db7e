// The registry and INI primitives.
#include <shlwapi.h>

#include <vector>

#include "foundation/allerase.h"
#include "foundation/erasefs.h"
#include "foundation/handles.h"
#include "foundation/text.h"

namespace nv::allerase {

namespace {

bool KeyExists(HKEY root, const std::wstring& sub) {
    ScopedKey k;
    return RegOpenKeyExW(root, sub.c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS;
}

// The shortest leading part of subKey that does not exist yet: creating
// subKey would create it and everything below it. "" when subKey exists.
std::wstring FirstMissingKey(HKEY root, const std::wstring& subKey) {
    std::wstring prefix;
    for (const auto& part : Split(subKey, L'\\')) {
        if (part.empty()) continue;
        if (!prefix.empty()) prefix += L'\\';
        prefix += part;
        if (!KeyExists(root, prefix)) return prefix;
    }
    return {};
}

bool Refused(EraseContext& ctx, HKEY root, const std::wstring& subKey) {
    if (!IsProtectedKey(root, subKey)) return false;
    ctx.Report(RemovalKind::Refused, KeyText(root, subKey));
    return true;
}

bool SectionPresent(const std::wstring& file, const std::wstring& section) {
    std::vector<wchar_t> names(4096);
    for (;;) {
        DWORD n = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), file.c_str());
        if (n + 2 < names.size() || names.size() >= (1u << 20)) {
            for (const wchar_t* p = names.data(); p < names.data() + n && *p; p += wcslen(p) + 1)
                if (CompareStringOrdinal(p, -1, section.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
            return false;
        }
        names.resize(names.size() * 4);
    }
}

}  // namespace

int DeleteRegKey(EraseContext& ctx, HKEY root, const std::wstring& subKey) {
    if (Refused(ctx, root, subKey)) return 3;
    const std::wstring text = KeyText(root, subKey);
    if (ctx.preview()) {
        // Subkeys that this preview has already removed do not hold it back.
        ScopedKey k;
        if (ctx.removed().KeyGone(text) || RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, k.put()) != ERROR_SUCCESS)
            return 3;
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD len = 256;
            LONG rc = RegEnumKeyExW(k.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS) break;
            if (rc != ERROR_SUCCESS || !ctx.removed().KeyGone(text + L"\\" + name)) return 3;
        }
        ctx.Report(RemovalKind::Key, text);
        ctx.removed().RemoveKey(text);
        return 3;
    }
    const std::wstring firstMissing = FirstMissingKey(root, subKey);
    ScopedKey k;
    DWORD disposition = 0;
    if (RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_READ, nullptr, k.put(), &disposition) != ERROR_SUCCESS)
        return 3;
    // The plain delete refuses a key that still has subkeys.
    if (RegDeleteKeyW(root, subKey.c_str()) == ERROR_SUCCESS && disposition == REG_OPENED_EXISTING_KEY)
        ctx.Report(RemovalKind::Key, text);
    k.reset();
    // Creating a missing key also created its missing parents: remove them
    // again, deepest first, so a clean leaves no empty keys behind.
    if (!firstMissing.empty()) {
        std::wstring parent = subKey;
        while (!parent.empty() && parent.back() == L'\\') parent.pop_back();
        for (size_t cut; (cut = parent.find_last_of(L'\\')) != std::wstring::npos && parent.size() > firstMissing.size();) {
            parent.resize(cut);
            if (parent.size() < firstMissing.size()) break;
            RegDeleteKeyW(root, parent.c_str());
        }
    }
    return 3;
}

int DeleteRegTree(EraseContext& ctx, HKEY root, const std::wstring& subKey) {
    if (Refused(ctx, root, subKey)) return 5;
    const std::wstring text = KeyText(root, subKey);
    if (ctx.preview()) {
        if (!KeyExists(root, subKey) || ctx.removed().KeyGone(text)) return 5;
        ctx.removed().RemoveKey(text);
        ctx.Report(RemovalKind::KeyTree, text);
        return 5;
    }
    if (SHDeleteKeyW(root, subKey.c_str()) == ERROR_SUCCESS) ctx.Report(RemovalKind::KeyTree, text);
    return 5;
}

int DeleteRegValue(EraseContext& ctx, HKEY root, const std::wstring& subKey, const std::wstring& valueName) {
    // A value is not a key: only the roots' own values are out of reach.
    if (TrimBlanks(subKey).find_first_not_of(L'\\') == std::wstring::npos) {
        ctx.Report(RemovalKind::Refused, KeyText(root, subKey) + L"\\" + valueName);
        return 1;
    }
    ScopedKey k;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, ctx.preview() ? KEY_QUERY_VALUE : KEY_SET_VALUE, k.put()) !=
        ERROR_SUCCESS)
        return 1;
    const std::wstring keyText = KeyText(root, subKey), text = keyText + L"\\" + valueName;
    bool gone = ctx.preview() ? RegQueryValueExW(k.get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                                        ERROR_SUCCESS &&
                                    !ctx.removed().ValueGone(keyText, text)
                              : RegDeleteValueW(k.get(), valueName.c_str()) == ERROR_SUCCESS;
    if (!gone) return 1;
    if (ctx.preview()) ctx.removed().RemoveValue(text);
    ctx.Report(RemovalKind::Value, text);
    return 1;
}

void DeleteIniSection(EraseContext& ctx, const std::wstring& iniFile, const std::wstring& section) {
    // A relative name would send the profile functions to the Windows folder.
    std::wstring canon = NormalizePath(iniFile);
    if (canon.empty()) return;
    DWORD attr = GetFileAttributesW(canon.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) return;
    const std::wstring text = canon + L" [" + section + L"]";
    if (erasefs::IsLinkPath(canon)) {
        ctx.Report(RemovalKind::Refused, text);
        return;
    }
    if (ctx.preview()) {
        if (ctx.removed().FileGone(canon) || ctx.removed().SectionGone(text) || !SectionPresent(canon, section)) return;
        ctx.removed().RemoveSection(text);
        ctx.Report(RemovalKind::IniSection, text);
        return;
    }
    bool present = SectionPresent(canon, section);
    if (!WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, canon.c_str())) return;
    if (present) ctx.Report(RemovalKind::IniSection, text);
}

}  // namespace nv::allerase
