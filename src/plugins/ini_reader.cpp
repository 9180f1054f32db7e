#include "plugins/ini_reader.h"

#include <windows.h>

#include <cwctype>

#include "foundation/list_file.h"
#include "foundation/text.h"

namespace nv::inifile {
namespace {

constexpr unsigned long long kMaxPluginBytes = 16ull * 1024 * 1024;

// The profile functions' white space: C's plus CR and ^Z.
bool IsSpace(wchar_t c) { return iswspace(c) || c == 0x1a; }

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

bool SameName(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring DecodeProfileText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return FromUtf8(bytes.substr(3));
    const bool le = bytes.starts_with("\xFF\xFE"), be = bytes.starts_with("\xFE\xFF");
    if (le || be) {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i) {
            auto lo = static_cast<unsigned char>(bytes[2 + 2 * i + (be ? 1 : 0)]);
            auto hi = static_cast<unsigned char>(bytes[2 + 2 * i + (be ? 0 : 1)]);
            text[i] = static_cast<wchar_t>(lo | (hi << 8));
        }
        return text;
    }
    return FromAnsi(bytes);
}

std::optional<IniFile> IniFile::Load(const std::wstring& path) {
    auto bytes = listfile::ReadBytes(path, kMaxPluginBytes);
    if (!bytes) return std::nullopt;
    return Parse(DecodeProfileText(*bytes));
}

IniFile IniFile::Parse(std::wstring_view text) {
    IniFile ini;
    ini.sections.push_back({});  // lines before the first header belong to no section
    size_t at = 0, lineNo = 0;
    while (at < text.size()) {
        size_t end = text.find(L'\n', at);
        if (end == std::wstring_view::npos) end = text.size();
        ++lineNo;
        if (!ini.nulLine && text.substr(at, end - at).find(L'\0') != std::wstring_view::npos) ini.nulLine = lineNo;
        std::wstring_view line = Trim(text.substr(at, end - at));
        at = end + 1;
        if (line.empty()) continue;
        if (line.front() == L'[') {
            size_t close = line.find_last_of(L']');
            if (close != std::wstring_view::npos) {
                ini.sections.push_back({std::wstring(Trim(line.substr(1, close - 1))), {}});
                continue;
            }
        }
        Entry e;
        size_t eq = line.find(L'=');
        if (eq == std::wstring_view::npos) {
            e.name = line;
        } else {
            e.name = Trim(line.substr(0, eq));
            e.value = std::wstring(Trim(line.substr(eq + 1)));
        }
        ini.sections.back().entries.push_back(std::move(e));
    }
    return ini;
}

const Section* IniFile::Find(std::wstring_view section) const {
    section = Trim(section);
    for (const Section& s : sections)
        if (!s.name.empty() && SameName(s.name, section)) return &s;
    return nullptr;
}

std::wstring IniFile::Value(std::wstring_view section, std::wstring_view key) const {
    const Section* s = Find(section);
    if (!s) return {};
    key = Trim(key);
    for (const Entry& e : s->entries) {
        if (!SameName(e.name, key)) continue;
        if (!e.value) return {};
        std::wstring v = *e.value;
        if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        return v;
    }
    return {};
}

std::vector<std::wstring> IniFile::Lines(std::wstring_view section) const {
    std::vector<std::wstring> out;
    const Section* s = Find(section);
    if (!s) return out;
    for (const Entry& e : s->entries) {
        if (e.name.empty() || e.name.front() == L';') continue;
        out.push_back(e.value ? e.name + L"=" + *e.value : e.name);
    }
    return out;
}

}  // namespace nv::inifile
