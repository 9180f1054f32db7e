// The registry and INI primitives.
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
    ctx.Refuse(KeyText(root, subKey), Fate::Protected);
    return true;
}

// Link keys (REG_OPTION_CREATE_LINK) are never followed: every key a delete
// acts on is opened as itself, and a link is refused, so neither its target
// nor anything below the target can be reached through it.
constexpr REGSAM kLook = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
constexpr REGSAM kTreeDelete = kLook | KEY_SET_VALUE | DELETE;

LONG OpenNoFollow(HKEY parent, const std::wstring& sub, REGSAM access, ScopedKey& key) {
    return RegOpenKeyExW(parent, sub.c_str(), REG_OPTION_OPEN_LINK, access, key.put());
}

// A link key holds its target's kernel name in SymbolicLinkValue (REG_LINK);
// Windows and Wine alike show it on the link opened as itself.
bool IsLinkKey(HKEY key) {
    DWORD type = 0;
    return RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

// Deletes the key the handle was opened on (never what a path would resolve
// to now); like the plain delete it fails while the key has subkeys.
bool DeleteOpenKey(HKEY key) {
    using DeleteKeyFn = LONG(NTAPI*)(HANDLE);
    static const auto del = reinterpret_cast<DeleteKeyFn>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey"));
    return del && del(key) >= 0;
}

std::vector<std::wstring> SubkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        LONG rc = RegEnumKeyExW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_SUCCESS) names.emplace_back(name, len);
    }
    return names;
}

std::vector<std::wstring> ValueNames(HKEY key) {
    std::vector<std::wstring> names;
    std::vector<wchar_t> name(16384);
    for (DWORD i = 0;; ++i) {
        DWORD len = static_cast<DWORD>(name.size());
        LONG rc = RegEnumValueW(key, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_SUCCESS) names.emplace_back(name.data(), len);
    }
    return names;
}

// Deletes (in preview: records) every subkey below `key`, deepest first,
// refusing link keys. True when nothing is left below it; otherwise the
// key stays and only its values go, as a folder holding a link keeps just
// the link. A key that stays is not heard, so the subtrees and values that
// go below it are, each once, in preview and clean alike. `text` is the
// key's listing text and grows while the walk descends.
bool DeleteSubkeys(EraseContext& ctx, HKEY key, std::wstring& text) {
    const bool preview = ctx.preview();
    const EraseGuard* guard = ctx.guard();
    bool whole = true;
    std::vector<std::wstring> gone;  // subtrees that go, heard only when this key stays
    for (const std::wstring& name : SubkeyNames(key)) {
        size_t mark = text.size();
        text += L'\\';
        text += name;
        ScopedKey sub;
        if (preview && ctx.removed().KeyGone(text)) {
            // an earlier call of this preview removed it already
        } else if (guard && guard->KeepsKey(text)) {
            whole = false;  // a plug-in's exclusion keeps it, and so the keys above it
        } else if (OpenNoFollow(key, name, preview ? kLook : kTreeDelete, sub) != ERROR_SUCCESS) {
            whole = false;
        } else if (IsLinkKey(sub.get())) {
            ctx.Refuse(text, Fate::Link);
            whole = false;
        } else if (!DeleteSubkeys(ctx, sub.get(), text) || (!preview && !DeleteOpenKey(sub.get()))) {
            whole = false;
        } else {
            gone.push_back(text);
        }
        text.resize(mark);
    }
    const std::vector<std::wstring> values = ValueNames(key);
    if (guard)
        for (const std::wstring& value : values) whole = whole && !guard->KeepsValue(text, value);
    if (whole) return true;
    for (const auto& g : gone) {
        if (preview) ctx.removed().RemoveKey(g);
        ctx.Report(RemovalKind::KeyTree, g);
    }
    for (const std::wstring& value : values) {
        if (guard && guard->KeepsValue(text, value)) continue;
        const std::wstring shown = text + L"\\" + value;
        if (preview ? ctx.removed().ValueGone(text, shown) : RegDeleteValueW(key, value.c_str()) != ERROR_SUCCESS)
            continue;
        if (preview) ctx.removed().RemoveValue(shown);
        ctx.Report(RemovalKind::Value, shown);
    }
    return false;
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
    if (const EraseGuard* guard = ctx.guard(); guard && (guard->KeepsKey(text) || guard->KeepsBelow(text))) return 3;
    ScopedKey k;
    const bool existed = OpenNoFollow(root, subKey, ctx.preview() ? kLook : kLook | DELETE, k) == ERROR_SUCCESS;
    if (existed && IsLinkKey(k.get())) {
        ctx.Refuse(text, Fate::Link);
        return 3;
    }
    if (ctx.preview()) {
        // Subkeys that this preview has already removed do not hold it back.
        if (!existed || ctx.removed().KeyGone(text)) return 3;
        for (const std::wstring& name : SubkeyNames(k.get()))
            if (!ctx.removed().KeyGone(text + L"\\" + name)) return 3;
        ctx.Report(RemovalKind::Key, text);
        ctx.removed().RemoveKey(text);
        return 3;
    }
    if (existed) {
        // The plain delete refuses a key that still has subkeys.
        if (DeleteOpenKey(k.get())) ctx.Report(RemovalKind::Key, text);
        return 3;
    }
    // A missing key is created and deleted again, and so are the parents
    // the create had to make, deepest first: a clean leaves no empty keys.
    const std::wstring firstMissing = FirstMissingKey(root, subKey);
    DWORD disposition = 0;
    if (RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, kLook | DELETE, nullptr, k.put(), &disposition) !=
        ERROR_SUCCESS)
        return 3;
    // Only a key made just now is known not to be a link.
    if (disposition != REG_CREATED_NEW_KEY) return 3;
    DeleteOpenKey(k.get());
    k.reset();
    if (!firstMissing.empty()) {
        std::wstring parent = subKey;
        while (!parent.empty() && parent.back() == L'\\') parent.pop_back();
        for (size_t cut; (cut = parent.find_last_of(L'\\')) != std::wstring::npos && parent.size() > firstMissing.size();) {
            parent.resize(cut);
            if (parent.size() < firstMissing.size()) break;
            ScopedKey p;
            if (OpenNoFollow(root, parent, kLook | DELETE, p) == ERROR_SUCCESS && !IsLinkKey(p.get()))
                DeleteOpenKey(p.get());
        }
    }
    return 3;
}

int DeleteRegTree(EraseContext& ctx, HKEY root, const std::wstring& subKey) {
    if (Refused(ctx, root, subKey)) return 5;
    std::wstring text = KeyText(root, subKey);
    if (ctx.guard() && ctx.guard()->KeepsKey(text)) return 5;
    ScopedKey k;
    if (OpenNoFollow(root, subKey, ctx.preview() ? kLook : kTreeDelete, k) != ERROR_SUCCESS) return 5;
    if (ctx.preview() && ctx.removed().KeyGone(text)) return 5;
    if (IsLinkKey(k.get())) {
        ctx.Refuse(text, Fate::Link);
        return 5;
    }
    // Heard only when the key itself goes: a link inside keeps it (and the
    // keys above the link) in place.
    if (!DeleteSubkeys(ctx, k.get(), text)) return 5;
    if (ctx.preview()) {
        ctx.removed().RemoveKey(text);
        ctx.Report(RemovalKind::KeyTree, text);
    } else if (DeleteOpenKey(k.get())) {
        ctx.Report(RemovalKind::KeyTree, text);
    }
    return 5;
}

int DeleteRegValue(EraseContext& ctx, HKEY root, const std::wstring& subKey, const std::wstring& valueName) {
    const std::wstring keyText = KeyText(root, subKey), text = keyText + L"\\" + valueName;
    // A value is not a key: only the roots' own values are out of reach.
    if (TrimBlanks(subKey).find_first_not_of(L'\\') == std::wstring::npos) {
        ctx.Refuse(text, Fate::Protected);
        return 1;
    }
    if (ctx.guard() && ctx.guard()->KeepsValue(keyText, valueName)) return 1;
    ScopedKey k;
    if (OpenNoFollow(root, subKey, ctx.preview() ? KEY_QUERY_VALUE : KEY_QUERY_VALUE | KEY_SET_VALUE, k) !=
        ERROR_SUCCESS)
        return 1;
    if (IsLinkKey(k.get())) {
        ctx.Refuse(text, Fate::Link);
        return 1;
    }
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
        ctx.Refuse(text, Fate::Link);
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
