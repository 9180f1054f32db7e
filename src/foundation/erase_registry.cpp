// The registry and INI primitives.
#include <optional>
#include <vector>

#include "foundation/erase_primitives.h"
#include "foundation/file_system.h"
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

// Every registry delete passes here first.
bool Refused(EraseContext& ctx, HKEY root, const std::wstring& subKey, const std::wstring* value = nullptr) {
    if (!IsProtectedRegTarget(root, subKey, value != nullptr)) return false;
    const std::wstring text = KeyText(root, subKey);
    ctx.Refuse(value ? text + L"\\" + *value : text, Fate::Protected);
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

LONG ListSubkey(HKEY key, DWORD index, wchar_t* name, DWORD* chars) {
    return RegEnumKeyExW(key, index, name, chars, nullptr, nullptr, nullptr, nullptr);
}
LONG ListValue(HKEY key, DWORD index, wchar_t* name, DWORD* chars) {
    return RegEnumValueW(key, index, name, chars, nullptr, nullptr, nullptr, nullptr);
}
detail::RegEnumFn g_listSubkey = ListSubkey;
detail::RegEnumFn g_listValue = ListValue;

// Every name the key lists, or nothing when listing fails: any answer but
// "no more items" ends the loop (a key that answers an error at every index
// would otherwise hold the run for ever). Buffers hold the longest names
// the registry allows, so ERROR_MORE_DATA is a failure too.
std::optional<std::vector<std::wstring>> Names(detail::RegEnumFn list, HKEY key, size_t maxChars) {
    std::vector<std::wstring> names;
    std::vector<wchar_t> name(maxChars + 1);
    for (DWORD i = 0;; ++i) {
        DWORD len = static_cast<DWORD>(name.size());
        LONG rc = list(key, i, name.data(), &len);
        if (rc == ERROR_NO_MORE_ITEMS) return names;
        if (rc != ERROR_SUCCESS || len >= name.size()) return std::nullopt;
        names.emplace_back(name.data(), len);
    }
}

std::optional<std::vector<std::wstring>> SubkeyNames(HKEY key) { return Names(g_listSubkey, key, 255); }
std::optional<std::vector<std::wstring>> ValueNames(HKEY key) { return Names(g_listValue, key, 16383); }

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
    const auto subkeys = SubkeyNames(key);
    const auto values = subkeys ? ValueNames(key) : std::nullopt;
    if (!values) {
        ctx.Refuse(text, Fate::NotListed);
        return false;
    }
    for (const std::wstring& name : *subkeys) {
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
    if (guard)
        for (const std::wstring& value : *values) whole = whole && !guard->KeepsValue(text, value);
    if (whole) return true;
    for (const auto& g : gone) {
        if (preview) ctx.removed().RemoveKey(g);
        ctx.Report(RemovalKind::KeyTree, g);
    }
    for (const std::wstring& value : *values) {
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

void detail::SetRegEnum(RegEnumFn subkeys, RegEnumFn values) {
    g_listSubkey = subkeys ? subkeys : ListSubkey;
    g_listValue = values ? values : ListValue;
}

int DeleteRegKey(EraseContext& ctx, HKEY root, const std::wstring& subKey) {
    if (Refused(ctx, root, subKey)) return 0;
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
        const auto names = SubkeyNames(k.get());
        if (!names) {
            ctx.Refuse(text, Fate::NotListed);
            return 3;
        }
        for (const std::wstring& name : *names)
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
    if (Refused(ctx, root, subKey)) return 0;
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
    if (Refused(ctx, root, subKey, &valueName)) return 0;
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
