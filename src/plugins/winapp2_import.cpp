#include "plugins/winapp2_import.h"

#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <unordered_map>

#include "foundation/erase_primitives.h"
#include "foundation/list_file.h"
#include "foundation/run_lock.h"
#include "foundation/text.h"
#include "foundation/wildcard.h"
#include "plugins/ini_reader.h"
#include "plugins/plugin_format.h"
#include "plugins/plugin_files.h"

namespace nv::winapp2 {
namespace {

using inifile::SameName;
constexpr unsigned long long kMaxBytes = 64ull * 1024 * 1024;

struct Key {
    std::wstring name, value;
};

struct Entry {
    std::wstring header;  // "Google Chrome *"
    std::vector<Key> keys;
};

struct File {
    std::vector<Entry> entries;
    std::wstring version, licence;
    std::optional<long long> declared;  // "# of entries" of the header
};

std::wstring Trim(std::wstring_view s) {
    while (!s.empty() && (s.front() == L' ' || s.front() == L'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == L' ' || s.back() == L'\t' || s.back() == L'\r')) s.remove_suffix(1);
    return std::wstring(s);
}

bool IsControl(unsigned c) { return c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != 0x1a; }

bool ValidUtf8(std::string_view b) {
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, b.data(), static_cast<int>(b.size()), nullptr, 0) > 0 ||
           b.empty();
}

// The file's text; nothing (and why) for binary data.
std::optional<std::wstring> Decode(const std::string& bytes, std::wstring& why) {
    std::wstring text;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") || bytes.starts_with("\xEF\xBB\xBF"))
        text = inifile::DecodeProfileText(bytes);
    else if (ValidUtf8(bytes))
        text = FromUtf8(bytes);
    else
        text = FromAnsi(bytes);
    for (wchar_t c : text)
        if (IsControl(c)) {
            why = L"it holds binary data";
            return std::nullopt;
        }
    return text;
}

long long DigitsOf(std::wstring_view s) {
    long long n = 0;
    bool any = false;
    for (wchar_t c : s) {
        if (c >= L'0' && c <= L'9') {
            n = n * 10 + (c - L'0');
            any = true;
            if (n > 1'000'000'000) break;
        } else if (c != L',' && c != L'.' && c != L' ') {
            break;
        }
    }
    return any ? n : -1;
}

// Header comments: "; Version: 231103", "; # of entries: 4,067", the licence line.
void ReadHeaderComment(std::wstring_view c, File& f) {
    std::wstring lower = ToLower(c);
    auto after = [&](std::wstring_view label) -> std::optional<std::wstring> {
        if (!lower.starts_with(label)) return std::nullopt;
        std::wstring rest = Trim(c.substr(label.size()));
        if (!rest.empty() && rest[0] == L':') rest = Trim(std::wstring_view(rest).substr(1));
        return rest;
    };
    if (auto v = after(L"version")) {
        if (f.version.empty()) f.version = v->substr(0, 60);
    } else if (auto n = after(L"# of entries")) {
        if (long long d = DigitsOf(*n); d >= 0) f.declared = d;
    } else if (f.licence.empty() && lower.find(L"licen") != std::wstring::npos) {
        f.licence = std::wstring(c.substr(0, 200));
    }
}

// The key's name without its number: "FileKey12" -> "FileKey"; nothing
// when a key that takes no number has one.
enum class Kind { LangSecRef, Section, Detect, DetectFile, DetectOS, SpecialDetect, Default, Warning, FileKey, RegKey, ExcludeKey };

std::optional<Kind> KindOf(std::wstring_view name) {
    static const struct {
        const wchar_t* name;
        Kind kind;
        bool numbered;
    } kKeys[] = {
        {L"LangSecRef", Kind::LangSecRef, false}, {L"Section", Kind::Section, false},
        {L"Detect", Kind::Detect, true},          {L"DetectFile", Kind::DetectFile, true},
        {L"DetectOS", Kind::DetectOS, false},     {L"SpecialDetect", Kind::SpecialDetect, false},
        {L"Default", Kind::Default, false},       {L"Warning", Kind::Warning, false},
        {L"FileKey", Kind::FileKey, true},        {L"RegKey", Kind::RegKey, true},
        {L"ExcludeKey", Kind::ExcludeKey, true},
    };
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= L'0' && name[digits - 1] <= L'9') --digits;
    for (const auto& k : kKeys) {
        if (SameName(name.substr(0, digits), k.name) && (digits == name.size() || k.numbered)) return k.kind;
    }
    return std::nullopt;
}

std::optional<File> Parse(std::wstring_view text, std::wstring& why) {
    File f;
    std::set<std::wstring> names;
    size_t at = 0;
    int lineNo = 0;
    while (at <= text.size()) {
        size_t end = text.find(L'\n', at);
        if (end == std::wstring_view::npos) end = text.size();
        std::wstring line = Trim(text.substr(at, end - at));
        at = end + 1;
        ++lineNo;
        if (line.empty() || line == L"\x1a") continue;
        if (line[0] == L';') {
            if (f.entries.empty()) ReadHeaderComment(Trim(std::wstring_view(line).substr(1)), f);
            continue;
        }
        if (line[0] == L'[') {
            if (line.back() != L']') {
                why = L"line " + std::to_wstring(lineNo) + L" is an unfinished entry name: " + line;
                return std::nullopt;
            }
            std::wstring name = Trim(std::wstring_view(line).substr(1, line.size() - 2));
            if (name.empty()) {
                why = L"line " + std::to_wstring(lineNo) + L" names no entry";
                return std::nullopt;
            }
            f.entries.push_back({name, {}});
            continue;
        }
        size_t eq = line.find(L'=');
        if (eq == std::wstring::npos || eq == 0 || f.entries.empty()) {
            why = L"line " + std::to_wstring(lineNo) + L" cannot be read: " + line.substr(0, 80);
            return std::nullopt;
        }
        f.entries.back().keys.push_back({Trim(std::wstring_view(line).substr(0, eq)),
                                         Trim(std::wstring_view(line).substr(eq + 1))});
    }
    if (f.entries.empty()) {
        why = L"it holds no entries";
        return std::nullopt;
    }
    if (f.declared && *f.declared != static_cast<long long>(f.entries.size())) {
        why = L"it is truncated or damaged: its header counts " + std::to_wstring(*f.declared) + L" entries, " +
              std::to_wstring(f.entries.size()) + L" were found";
        return std::nullopt;
    }
    bool cleans = false;
    for (const Entry& e : f.entries)
        for (const Key& k : e.keys)
            if (auto kind = KindOf(k.name)) cleans = cleans || *kind == Kind::FileKey || *kind == Kind::RegKey;
    if (!cleans) {
        why = L"no entry has a FileKey or RegKey";
        return std::nullopt;
    }
    return f;
}

// The sections of the community file's LangSecRef numbers.
std::wstring Category(std::wstring_view langSecRef) {
    static const std::map<std::wstring, std::wstring> kNames = {
        {L"3021", L"Applications"}, {L"3022", L"Internet"},      {L"3023", L"Multimedia"},
        {L"3024", L"Utilities"},    {L"3025", L"Windows"},       {L"3026", L"Firefox"},
        {L"3027", L"Opera"},        {L"3028", L"Safari"},        {L"3029", L"Google Chrome"},
        {L"3030", L"Thunderbird"},
    };
    auto it = kNames.find(std::wstring(langSecRef));
    return it != kNames.end() ? it->second : L"group " + std::wstring(langSecRef);
}

// Browsers the community file detects by a name instead of a path.
std::optional<std::wstring> SpecialDetectPath(std::wstring_view name) {
    static const struct {
        const wchar_t* name;
        const wchar_t* path;
    } kSpecial[] = {
        {L"DET_CHROME", L"%LocalAppData%\\Google\\Chrome\\User Data"},
        {L"DET_MOZILLA", L"%AppData%\\Mozilla\\Firefox"},
        {L"DET_THUNDERBIRD", L"%AppData%\\Thunderbird"},
        {L"DET_OPERA", L"%AppData%\\Opera Software"},
        {L"DET_WINDOWS", L"%WinDir%"},  // holds on every Windows
    };
    for (const auto& s : kSpecial)
        if (SameName(name, s.name)) return std::wstring(s.path);
    return std::nullopt;
}

// An entry as a plug-in: its lines and what they mean.
struct Converted {
    std::wstring name;  // the header without " *"
    std::wstring category;
    std::vector<std::wstring> detect, warning, filekeys, regkeys, excludes;
    std::vector<std::wstring> dropped;  // "FileKey3: <why>": cleaning lines left out
    plugins::Extras extras;
};

bool Why(std::wstring& why, std::wstring text) {
    why = std::move(text);
    return false;
}

// What one import works out once for all its entries.
struct Session {
    const pathvars::Folders& folders;
    plugins::DetectCache detected;

    // Every variable of the path is known here.
    bool CheckPath(const std::wstring& path, std::wstring& why) {
        auto x = pathvars::Expand(path, folders);
        if (!x.unknown.empty() || x.paths.empty()) return Why(why, L"unknown variable %" + x.unknown + L"%");
        return true;
    }

    // The path rule, as the run will apply it (erase_primitives.h); the
    // path's variables are known.
    bool MayAct(const plugins::FileKey& f, std::wstring& why) {
        for (const auto& e : pathvars::Expand(f.path, folders).paths)
            if (auto refusal = allerase::LineRefusal(e.path, f.patterns, plugins::ReachOf(f.scope)))
                return Why(why, L"refused: " + *refusal);
        return true;
    }
};

// "FILE|C:\dir\name.log", folder and file in one field, as other readers of
// the format take it: "FILE|C:\dir\|name.log".
std::wstring OneFieldFile(const std::wstring& value) {
    const size_t bar = value.find(L'|');
    if (bar == std::wstring::npos || value.find(L'|', bar + 1) != std::wstring::npos ||
        !SameName(Trim(std::wstring_view(value).substr(0, bar)), L"FILE"))
        return value;
    const size_t slash = value.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash < bar || slash + 1 == value.size()) return value;
    return value.substr(0, slash + 1) + L"|" + value.substr(slash + 1);
}

bool Convert(const Entry& e, Session& session, Converted& c, std::wstring& why) {
    c.name = e.header;
    if (c.name.size() > 2 && c.name.ends_with(L" *")) c.name = Trim(std::wstring_view(c.name).substr(0, c.name.size() - 2));
    for (const Key& k : e.keys) {
        auto kind = KindOf(k.name);
        if (!kind) return Why(why, L"unknown key " + k.name);
        std::wstring lineWhy;
        switch (*kind) {
        case Kind::LangSecRef:
            if (c.category.empty()) c.category = Category(k.value);
            break;
        case Kind::Section: c.category = k.value; break;
        case Kind::Default: break;  // every import starts off
        case Kind::Warning: c.warning.push_back(k.value); break;
        case Kind::Detect:
        case Kind::DetectFile:
        case Kind::DetectOS:
        case Kind::SpecialDetect: {
            std::wstring line;
            if (*kind == Kind::Detect) line = L"REG|" + k.value;
            else if (*kind == Kind::DetectOS) line = L"OS|" + k.value;
            else if (*kind == Kind::DetectFile) line = L"FILE|" + k.value;
            else if (auto p = SpecialDetectPath(k.value)) line = L"FILE|" + *p;
            else return Why(why, L"unknown SpecialDetect " + k.value);
            auto d = plugins::ParseDetect(line, lineWhy);
            if (!d) return Why(why, k.name + L": " + lineWhy);
            c.detect.push_back(line);
            c.extras.detect.push_back(std::move(*d));
            break;
        }
        // A cleaning line that cannot be honoured is left out on its own: the
        // entry then does less, never more. An unknown variable still skips
        // the entry, as the line may mean a folder this machine names otherwise.
        case Kind::FileKey: {
            auto f = plugins::ParseFileKey(k.value, lineWhy);
            if (f && !session.CheckPath(f->path, lineWhy)) return Why(why, k.name + L": " + lineWhy);
            if (!f || !session.MayAct(*f, lineWhy)) {
                c.dropped.push_back(k.name + L": " + lineWhy);
                break;
            }
            c.filekeys.push_back(k.value);
            c.extras.filekeys.push_back(std::move(*f));
            break;
        }
        case Kind::RegKey: {
            auto r = plugins::ParseRegKey(k.value, lineWhy);
            if (r && allerase::IsProtectedRegTarget(r->root, r->subKey, r->value.has_value()))
                lineWhy = L"a protected registry key: " + k.value;
            else if (r) {
                c.regkeys.push_back(k.value);
                c.extras.regkeys.push_back(std::move(*r));
                break;
            }
            c.dropped.push_back(k.name + L": " + lineWhy);
            break;
        }
        case Kind::ExcludeKey: {
            // An exclusion that cannot be honoured would leave its files unguarded.
            const std::wstring value = OneFieldFile(k.value);
            auto x = plugins::ParseExclude(value, lineWhy);
            if (!x || (x->kind != plugins::Exclude::Kind::Reg && !session.CheckPath(x->folder, lineWhy)))
                return Why(why, k.name + L": " + lineWhy);
            c.excludes.push_back(value);
            c.extras.excludes.push_back(std::move(*x));
            break;
        }
        }
    }
    if (c.filekeys.empty() && c.regkeys.empty()) {
        why = c.dropped.empty() ? L"nothing to clean" : L"nothing left to clean:";
        for (const std::wstring& d : c.dropped) why += L" " + d + (&d == &c.dropped.back() ? L"" : L";");
        return false;
    }
    return true;
}

// What the import owns: the checksum in [source] covers the file's name and
// every value but the tick (which the user changes) and itself. A copy
// renamed or edited by the user no longer matches and is never touched.
std::wstring Checksum(const inifile::IniFile& ini, const std::wstring& fileName) {
    unsigned long long h = 14695981039346656037ull;  // FNV-1a
    auto add = [&](std::wstring_view s) {
        for (wchar_t c : s) {
            h = (h ^ (c & 0xFF)) * 1099511628211ull;
            h = (h ^ (c >> 8)) * 1099511628211ull;
        }
        h = (h ^ 0x0A) * 1099511628211ull;
    };
    add(ToLower(fileName));
    for (const inifile::Section& sec : ini.sections) {
        add(L"[" + sec.name + L"]");
        for (const inifile::Entry& e : sec.entries) {
            if ((SameName(sec.name, L"swich") && SameName(e.name, L"on")) ||
                (SameName(sec.name, L"source") && SameName(e.name, L"checksum")))
                continue;
            add(e.name + (e.value ? L"=" + *e.value : L""));
        }
    }
    wchar_t hex[17];
    swprintf(hex, 17, L"%016llx", h);
    return hex;
}

std::wstring BaseName(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// True when the plug-in file is one an import wrote and nobody changed since.
bool OwnedByImport(const std::wstring& path) {
    auto ini = inifile::IniFile::Load(path);
    if (!ini) return false;
    const std::wstring stored = ini->Value(L"source", L"checksum");
    return !stored.empty() && SameName(stored, Checksum(*ini, BaseName(path)));
}

std::string PluginBytes(const Converted& c, const File& f, const std::wstring& sourceFile, const std::wstring& entry,
                        bool on, const std::wstring& fileName) {
    std::wstring t;
    auto section = [&](const wchar_t* name, const std::vector<std::wstring>& lines) {
        if (lines.empty()) return;
        t += L"[" + std::wstring(name) + L"]\r\n";
        for (size_t i = 0; i < lines.size(); ++i) t += std::to_wstring(i + 1) + L"=" + lines[i] + L"\r\n";
    };
    t += L"[name]\r\nappname=" + c.name + L"\r\n[version]\r\nappver=" + f.version + L"\r\n[dec]\r\ndecs=from " +
         sourceFile + (c.category.empty() ? L"" : L", " + c.category) + L"\r\n[swich]\r\non=" + (on ? L"1" : L"0") +
         L"\r\n";
    // Guards before actions: should a crash leave only the start of the
    // file, it never holds an action without its exclusions.
    section(L"detect", c.detect);
    section(L"warning", c.warning);
    section(L"exclude", c.excludes);
    t += L"[source]\r\nformat=" + std::wstring(plugins::kWinapp2Format) + L"\r\nfile=" + sourceFile + L"\r\nversion=" +
         f.version + L"\r\nentry=" + entry + L"\r\nlicence=" +
         (f.licence.empty() ? L"not stated in the file" : f.licence) + L"\r\n";
    for (size_t i = 0; i < c.dropped.size(); ++i)
        t += L"dropped" + std::to_wstring(i + 1) + L"=" + c.dropped[i] + L"\r\n";
    const size_t sourceEnd = t.size();
    section(L"regkey", c.regkeys);
    section(L"filekey", c.filekeys);
    t.insert(sourceEnd, L"checksum=" + Checksum(inifile::IniFile::Parse(t), fileName) + L"\r\n");
    // ANSI when the code page holds it all, otherwise UTF-16 with a byte-order mark.
    bool lossless = true;
    std::string ansi = ToAnsi(t, &lossless);
    if (lossless) return ansi;
    std::string utf16 = "\xFF\xFE";
    utf16.append(reinterpret_cast<const char*>(t.data()), t.size() * sizeof(wchar_t));
    return utf16;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// One plug-in file: left alone when it already holds these bytes (the same
// file imported again), written straight when it is new, otherwise replaced
// in one step. Not forced to the disk: a crash can only cut a plug-in short,
// and its guards come first.
bool WritePlugin(const std::wstring& path, const std::string& bytes) {
    if (auto old = listfile::ReadBytes(path, kMaxBytes)) return *old == bytes || listfile::ReplaceBytes(path, bytes, false);
    return listfile::WriteNew(path, bytes) || listfile::ReplaceBytes(path, bytes, false);
}

}  // namespace

std::wstring PluginFileName(std::wstring_view entry) {
    std::wstring out;
    for (wchar_t c : entry) out += (c < 32 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) ? L'_' : c;
    if (out.size() > 80) out.resize(IS_HIGH_SURROGATE(out[79]) ? 79 : 80);
    while (!out.empty() && (out.back() == L'.' || out.back() == L' ')) out.pop_back();
    while (!out.empty() && out.front() == L' ') out.erase(0, 1);
    return L"Winapp2 - " + (out.empty() ? std::wstring(L"entry") : out);
}

std::wstring Summary(const Result& r, const std::wstring& whereReasonsAre) {
    std::wstring s = L"Imported " + std::to_wstring(r.imported) + L" of " + std::to_wstring(r.total) + L" entries (" +
                     std::to_wstring(r.notHere) + L" not on this machine, " + std::to_wstring(r.skipped.size()) +
                     L" skipped";
    if (!r.dropped.empty())
        s += L", " + std::to_wstring(r.dropped.size()) + (r.dropped.size() == 1 ? L" line dropped" : L" lines dropped");
    if (!r.skipped.empty() || !r.dropped.empty()) s += L": " + whereReasonsAre;
    return s + L")";
}

Result Import(const std::wstring& file, const std::wstring& pluginFolder, const pathvars::Folders& given) {
    Result r;
    const pathvars::Folders folders = pathvars::Remembering(given);
    auto refuse = [&](std::wstring why) {
        r.refused = true;
        r.error = std::move(why);
        return r;
    };
    RunLock lock;
    if (!lock.held()) {
        r.busy = true;
        return refuse(L"another cleaning run or import is in progress");
    }
    auto bytes = listfile::ReadBytes(file, kMaxBytes);
    if (!bytes) return refuse(L"cannot read " + file);
    std::wstring why;
    auto text = Decode(*bytes, why);
    std::optional<File> parsed = text ? Parse(*text, why) : std::nullopt;
    if (!parsed) return refuse(file + L" is not a Winapp2 file: " + why);

    // What earlier imports left: their files and ticks, by entry.
    std::map<std::wstring, plugins::Plugin> earlier;
    for (plugins::Plugin& p : plugins::ReadList(pluginFolder, plugins::kExtension)) {
        if (!p.extras.Imported()) continue;
        if (!OwnedByImport(p.file)) r.leftAlone.push_back(p.file);
        else if (!p.extras.source.entry.empty()) earlier.emplace(ToLower(p.extras.source.entry), std::move(p));
    }

    const std::wstring sourceFile = BaseName(file);
    CreateDirectoryW(pluginFolder.c_str(), nullptr);
    std::set<std::wstring> seen, written;  // entries, lower-cased file paths
    Session session{folders, {}};
    r.total = static_cast<int>(parsed->entries.size());
    for (const Entry& e : parsed->entries) {
        Converted c;
        if (!seen.insert(ToLower(e.header)).second) {
            r.skipped.push_back(e.header + L": a second entry of this name");
            continue;
        }
        if (!Convert(e, session, c, why)) {
            r.skipped.push_back(e.header + L": " + why);
            continue;
        }
        if (!plugins::Detected(c.extras, folders, &session.detected)) {
            ++r.notHere;
            continue;
        }
        auto old = earlier.find(ToLower(e.header));
        std::wstring path;
        if (old != earlier.end()) {
            path = old->second.file;
        } else {
            const std::wstring base = pluginFolder + L"\\" + PluginFileName(c.name);
            path = base + L".ppe";
            for (int n = 2; Exists(path) || written.count(ToLower(path)); ++n)
                path = base + L" (" + std::to_wstring(n) + L").ppe";
        }
        const bool on = old != earlier.end() && old->second.enabled;
        if (!WritePlugin(path, PluginBytes(c, *parsed, sourceFile, e.header, on, BaseName(path)))) {
            r.unwritten.push_back(path);
            continue;
        }
        written.insert(ToLower(path));
        ++r.imported;
        for (const std::wstring& d : c.dropped) r.dropped.push_back(e.header + L" " + d);
    }
    // Earlier imports this one did not write again go; never through a link.
    EraseContext erase;
    for (const auto& [entry, p] : earlier) {
        if (written.count(ToLower(p.file))) continue;
        allerase::DeleteOneFile(erase, p.file);
        if (Exists(p.file)) r.unwritten.push_back(p.file);
    }
    return r;
}

}  // namespace nv::winapp2
