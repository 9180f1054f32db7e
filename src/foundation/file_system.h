// The file-system layer under the erase primitives: a path buffer for
// walks, a find-data folder listing, and file deletion that never goes
// through a link. Internal to allerase and Normal.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "foundation/erase_context.h"
#include "foundation/handles.h"
#include "foundation/secure_erase.h"

namespace nv::erasefs {

// A walk's current path in "\\?\" form, so depth is not limited to
// MAX_PATH. Push/Pop keep one buffer for the whole walk.
class PathBuf {
public:
    explicit PathBuf(const std::wstring& canonical);  // a NormalizePath result
    const std::wstring& full() const { return s_; }
    const wchar_t* c_str() const { return s_.c_str(); }
    size_t Push(const wchar_t* name) {
        size_t old = s_.size();
        if (s_.empty() || s_.back() != L'\\') s_ += L'\\';  // a drive root keeps its own
        s_ += name;
        return old;
    }
    void Pop(size_t mark) { s_.resize(mark); }
    // The path as users write it (no "\\?\" prefix).
    std::wstring Shown() const;

private:
    std::wstring s_;
    bool unc_ = false;
};

inline bool IsDots(const wchar_t* n) { return n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0)); }
inline bool IsDir(const WIN32_FIND_DATAW& fd) { return (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
inline bool IsLink(const WIN32_FIND_DATAW& fd) { return (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
inline double SizeOf(const WIN32_FIND_DATAW& fd) {
    return static_cast<double>((static_cast<ULONGLONG>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);
}

// Calls visit(fd) for each entry of the folder but "." and "..", in the
// order the file system lists them, until visit returns false. visit may
// Push/Pop the buffer. False when the folder cannot be listed.
template <typename Visit>
bool ForEachEntry(PathBuf& dir, Visit&& visit);

// The folder whose files are being deleted. Under Wine it remembers the
// folder's resolved name, so that a file whose own resolved name is not
// "folder\name" is known to be a link.
class Folder {
public:
    // `dir` may grow while the folder is in use (the walk pushes names).
    explicit Folder(const PathBuf& dir) : dir_(dir), length_(dir.full().size()) {}
    // True when the open file `h`, listed here as `name`, is a link.
    bool IsLinkedFile(HANDLE h, const wchar_t* name);

private:
    std::wstring Path() const { return dir_.full().substr(0, length_); }
    // Whether another entry whose name Wine resolves as `bare` is the file `h`.
    bool HasTwin(HANDLE h, std::wstring_view listed, std::wstring_view bare) const;

    const PathBuf& dir_;
    size_t length_;
    std::wstring resolved_;
    int state_ = 0;  // 0 not looked up, 1 known, -1 unknown (every file then counts as a link)
};

// Held: left because another program holds it (heard by ctx.held()).
enum class FileResult { Removed, Failed, Held, Refused };

// How a file is deleted: Unhide sets a hidden file's attributes to Normal
// first (which also clears Read-only); Force clears Read-only on any file;
// Plain does neither, so every read-only file fails.
enum class Delete { Unhide, Force, Plain };

// What happens to one listed file. `counted()` runs once the file is known
// not to be a link, just before its delete is tried. In preview nothing
// changes and the result is the one a clean would give (files in use aside).
// With secure deletion on, the file is overwritten once its deletion is
// assured. The sink hears the file's fate when it was not simply removed.
// A file left in use and, with "Delete files in use at the next restart",
// marked for deletion then: its size is not counted until it is gone.
inline bool MarkedAtRestart(EraseContext& ctx, const PathBuf& path, Fate fate) {
    return fate == Fate::InUse && ctx.held() && ctx.held()->MarkHeldFile(path.Shown());
}

template <typename Counted>
FileResult EraseFile(Folder& folder, PathBuf& path, const WIN32_FIND_DATAW& fd, Delete how, EraseContext& ctx,
                     Counted&& counted);

// Why a delete failed, from the error of the open or of the delete.
Fate LeftFate(DWORD error, bool readOnly);
// What the overwrite of a removed file leaves to be said.
Fate KeptFate(Overwrite overwrite);

// Whether a link check must open each file (Wine only; see Folder).
bool CheckFileLinks();

// After a failed open of a listed entry: it cannot be found by its own name,
// which under Wine means a link whose target is gone.
inline bool VanishedOnOpen() {
    DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
}

// The resolved name of an open file or folder, "" when it cannot be had.
std::wstring ResolvedName(HANDLE h);

// Opens a path for attribute reads (folders too), without following a
// reparse point.
ScopedFile OpenForQuery(const wchar_t* path);

// ---- templates ----

template <typename Visit>
bool ForEachEntry(PathBuf& dir, Visit&& visit) {
    size_t mark = dir.Push(L"*");
    WIN32_FIND_DATAW fd;
    ScopedFind find(FindFirstFileExW(dir.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    dir.Pop(mark);
    if (!find) return false;
    do {
        if (IsDots(fd.cFileName)) continue;
        if (!visit(static_cast<const WIN32_FIND_DATAW&>(fd))) break;
    } while (FindNextFileW(find.get(), &fd));
    return true;
}

template <typename Counted>
FileResult EraseFile(Folder& folder, PathBuf& path, const WIN32_FIND_DATAW& fd, Delete how, EraseContext& ctx,
                     Counted&& counted) {
    if (IsLink(fd)) return FileResult::Refused;
    const DWORD attr = fd.dwFileAttributes;
    const bool hidden = attr & FILE_ATTRIBUTE_HIDDEN;
    const bool readOnly = attr & FILE_ATTRIBUTE_READONLY;
    const bool resetAttrs = (how == Delete::Unhide && hidden) || (how == Delete::Force && readOnly);
    size_t mark = path.Push(fd.cFileName);
    FileResult result;
    Fate fate = Fate::Removed;

    if (ctx.preview()) {
        if (CheckFileLinks()) {
            ScopedFile h = OpenForQuery(path.c_str());
            if (h ? folder.IsLinkedFile(h.get(), fd.cFileName) : VanishedOnOpen()) {
                path.Pop(mark);
                return FileResult::Refused;
            }
        }
        counted(path, SizeOf(fd));
        result = readOnly && !resetAttrs ? FileResult::Failed : FileResult::Removed;
        if (result == FileResult::Failed) fate = Fate::ReadOnly;
    } else if (!CheckFileLinks() && !resetAttrs && !ctx.secure()) {
        // Nothing but the delete is asked of this handle: opened with
        // delete-on-close it costs what the platform's own delete costs (an
        // open and a close), and it is still the handle of the entry itself,
        // never of a link's target.
        ScopedFile h(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        const DWORD openError = h ? 0 : GetLastError();
        result = h ? FileResult::Removed : FileResult::Failed;
        if (!h) fate = LeftFate(openError, readOnly);
        if (!MarkedAtRestart(ctx, path, fate)) counted(path, SizeOf(fd));
    } else {
        // The one place a file is deleted by a disposition call: one handle
        // for the link check, the unhide, the overwrite and the delete, so no
        // path-based call can act on a link's target. Wine resolves a link
        // when it opens it and cannot take a delete-on-close back, so under
        // Wine the check must come before the delete is asked for.
        DWORD access = DELETE | FILE_READ_ATTRIBUTES | (resetAttrs ? FILE_WRITE_ATTRIBUTES : 0);
        ScopedFile h(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        const DWORD openError = h ? 0 : GetLastError();
        if (CheckFileLinks() && (h ? folder.IsLinkedFile(h.get(), fd.cFileName) : VanishedOnOpen())) {
            path.Pop(mark);
            return FileResult::Refused;
        }
        if (h && resetAttrs) {
            FILE_BASIC_INFO basic{};
            basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
            SetFileInformationByHandle(h.get(), FileBasicInfo, &basic, sizeof basic);
        }
        // Secure deletion opens the file for writing before it is marked (a
        // file marked for deletion opens no more), and writes only once the
        // mark holds: a file that stays is never left overwritten.
        std::optional<Overwriter> writer;
        if (h && ctx.secure()) writer.emplace(h.get());
        FILE_DISPOSITION_INFO dispose{TRUE};
        if (h && SetFileInformationByHandle(h.get(), FileDispositionInfo, &dispose, sizeof dispose)) {
            result = FileResult::Removed;
            counted(path, SizeOf(fd));
            if (writer) fate = KeptFate(writer->Run([&ctx] { ctx.MaybePump(); }));
        } else {
            result = FileResult::Failed;
            fate = LeftFate(h ? GetLastError() : openError, readOnly && !resetAttrs);
            if (!MarkedAtRestart(ctx, path, fate)) counted(path, SizeOf(fd));
        }
    }
    if (fate != Fate::Removed && ctx.has_sink()) ctx.ReportFate(path.Shown(), SizeOf(fd), fate);
    if (fate == Fate::InUse) {
        result = FileResult::Held;
        if (ctx.held()) ctx.held()->OnHeldFile(path.Shown());
    }
    path.Pop(mark);
    return result;
}

}  // namespace nv::erasefs

namespace nv::erasefs {
// True when the path (canonical form) is a link: a reparse point, or under
// Wine a file whose resolved name is not the one asked for.
bool IsLinkPath(const std::wstring& canonical);
}  // namespace nv::erasefs
