#include "shredder/shred.h"

#include <windows.h>

#include <cstdio>
#include <map>

#include "foundation/erase_primitives.h"
#include "foundation/app_path.h"
#include "foundation/file_system.h"
#include "foundation/text.h"

namespace nv::shredder {
namespace {

// The path with its folder part in canonical form and its own name kept as
// given: a name ending in a dot or a blank is another file than the one
// without (the primitives keep such names too). Empty when not absolute.
std::wstring Canonical(const std::wstring& path) {
    std::wstring full = path;
    if (allerase::NormalizePath(path).empty()) {  // relative, as on a command line
        wchar_t buf[MAX_PATH * 4];
        DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 4, buf, nullptr);
        if (n == 0 || n >= MAX_PATH * 4) return L"";
        full.assign(buf, n);
    }
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    size_t cut = full.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return L"";
    std::wstring name = full.substr(cut + 1);
    if (name.empty() || name == L"." || name == L"..") return allerase::NormalizePath(full);
    std::wstring parent = allerase::NormalizePath(full.substr(0, cut + 1));
    if (parent.empty()) return L"";
    return parent + (parent.back() == L'\\' ? L"" : L"\\") + name;
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return ToLower(a) == ToLower(b); }
bool Below(const std::wstring& path, const std::wstring& folder) {
    std::wstring f = ToLower(folder);
    if (f.empty() || f.back() != L'\\') f += L'\\';
    return ToLower(path).starts_with(f);
}

// Opens for a look, in "\\?\" form, so names ending in a dot stay theirs.
HANDLE OpenLong(const std::wstring& shown, DWORD access, DWORD share) {
    return CreateFileW(erasefs::PathBuf(shown).c_str(), access, share, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Files the shredder leaves although the secure deletion would remove
// them: one with other hard links (its content lives on under them) and
// one another program holds open without letting others write it.
class Spare : public EraseGuard {
public:
    bool KeepsFile(std::wstring_view path) const override {
        std::wstring p(path);
        if (auto it = why_.find(p); it != why_.end()) return !it->second.empty();
        std::wstring reason;
        if (ScopedFile h{OpenLong(p, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)}) {
            BY_HANDLE_FILE_INFORMATION info{};
            if (GetFileInformationByHandle(h.get(), &info) && info.nNumberOfLinks > 1)
                reason = L"Left: other hard links keep its content";
        }
        if (reason.empty()) {
            // A holder that denies writing would see the file deleted but not overwritten.
            ScopedFile writer{OpenLong(p, FILE_WRITE_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)};
            if (!writer && GetLastError() == ERROR_SHARING_VIOLATION) reason = L"Left: in use by another program";
        }
        why_[p] = reason;
        return !reason.empty();
    }
    bool KeepsKey(std::wstring_view) const override { return false; }
    bool KeepsBelow(std::wstring_view) const override { return false; }
    bool KeepsValue(std::wstring_view, std::wstring_view) const override { return false; }

    mutable std::map<std::wstring, std::wstring> why_;  // path -> reason ("" = may go)
};

std::wstring FateText(Fate fate) {
    switch (fate) {
    case Fate::Removed: return L"Shredded";
    case Fate::InUse: return L"Left: in use by another program";
    case Fate::ReadOnly: return L"Left: read-only";
    case Fate::AccessDenied: return L"Left: access denied";
    case Fate::Failed: return L"Left: could not be deleted";
    case Fate::Link: return L"Left: a link, never followed";
    case Fate::Protected: return L"Left: a protected folder";
    case Fate::Malformed: return L"Left: a malformed path";
    case Fate::TooDeep: return L"Left: too deep";
    case Fate::NotListed: return L"Left: could not be listed";
    case Fate::KeptOtherNames: return L"Deleted, not overwritten: other hard links keep its content";
    case Fate::KeptInUse: return L"Deleted, not overwritten: in use";
    case Fate::KeptUnmapped: return L"Deleted, not overwritten: sparse or compressed";
    case Fate::KeptPartly: return L"Deleted, overwritten only in part";
    }
    return L"Left";
}

class Heard : public EraseSink {
public:
    void OnRemoval(const Removal&) override {}
    void OnFate(const std::wstring& target, double bytes, Fate fate) override {
        lines.push_back({target, bytes, false, FateText(fate)});
    }
    std::vector<Outcome> lines;
};

}  // namespace

std::optional<Entry> Describe(const std::wstring& path) {
    std::wstring canon = Canonical(path);
    if (canon.empty()) return std::nullopt;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(erasefs::PathBuf(canon).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    Entry e{canon, 0, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
    if (e.folder && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        e.bytes = allerase::FolderSize(canon);
    else if (!e.folder)
        e.bytes = static_cast<double>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    return e;
}

std::wstring Refusal(const std::wstring& path) {
    std::wstring canon = Canonical(path);
    if (canon.empty()) return L"Left: not a full path";
    // The program itself, and any folder that holds it (protected too, but
    // this says more).
    const std::wstring app = allerase::NormalizePath(AppFolder());
    const bool root = canon.size() <= 3;  // "C:\": protected first of all
    if (!root && !app.empty() && (SamePath(canon, app) || Below(canon, app) || Below(app, canon)))
        return L"Left: part of this program";
    if (allerase::IsProtectedFolder(canon)) return L"Left: a protected folder, never shredded";
    return L"";
}

std::vector<Outcome> Shred(const std::wstring& path, const bool* cancel, const std::function<void()>& pump) {
    Outcome self{path, 0, false, Refusal(path)};
    if (!self.text.empty()) return {self};
    auto entry = Describe(path);
    if (!entry) {
        self.text = L"Left: not found";
        return {self};
    }
    self.path = entry->path;
    self.bytes = entry->bytes;

    Heard heard;
    Spare spare;
    EraseContext ctx;
    ctx.set_secure(true);
    ctx.set_sink(&heard);
    ctx.set_guard(&spare);
    ctx.set_cancel_flag(cancel);
    if (pump) ctx.set_pump(pump);
    if (entry->folder)
        allerase::DeleteWholeFolder(ctx, entry->path);
    else
        allerase::DeleteOneFile(ctx, entry->path);

    std::vector<Outcome> inside;
    auto note = [&](const Outcome& o) {
        if (SamePath(o.path, self.path))
            self.text = o.text;
        else
            inside.push_back(o);
    };
    for (const auto& [p, why] : spare.why_)
        if (!why.empty()) note({p, 0, false, why});
    for (const Outcome& o : heard.lines) note(o);

    const bool gone = !Describe(self.path);
    if (self.text.empty()) {
        if (!gone)
            self.text = ctx.stopped() ? L"Left: cancelled"
                        : entry->folder ? L"Left: some of its content was not shredded"
                                        : L"Left: could not be deleted";
        else if (!inside.empty())
            self.text = L"Deleted, not all of it overwritten";
        else {
            self.text = L"Shredded";
            self.shredded = true;
        }
    }
    std::vector<Outcome> out{self};
    out.insert(out.end(), inside.begin(), inside.end());
    return out;
}

std::wstring SizeText(double bytes) {
    if (bytes < 1024) return NumberText(bytes) + L" bytes";
    const wchar_t* units[] = {L"KB", L"MB", L"GB", L"TB"};
    int u = 0;
    bytes /= 1024;
    while (bytes >= 1024 && u < 3) {
        bytes /= 1024;
        ++u;
    }
    wchar_t buf[32];
    swprintf(buf, 32, L"%.1f %ls", bytes, units[u]);
    return buf;
}

std::wstring Question(size_t items, double bytes) {
    std::wstring n = std::to_wstring(items);
    if (items == 1)
        return L"The 1 item listed (" + SizeText(bytes) + L") will be overwritten and deleted. It cannot be recovered.";
    return L"The " + n + L" items listed (" + SizeText(bytes) +
           L") will be overwritten and deleted. They cannot be recovered.";
}

}  // namespace nv::shredder
