// The file primitives. Each walks with find data only (sizes and attributes
// come from the listing), keeps one path buffer, and holds per level just
// the names of the subfolders still to visit.
#include "foundation/erase_primitives.h"

#include <vector>

#include "foundation/file_system.h"
#include "foundation/text.h"
#include "foundation/wildcard.h"

namespace nv::allerase {

using detail::ProfileWalk;
using erasefs::FileResult;
using erasefs::PathBuf;

namespace {

enum class Flow { Go, Failed, Cancelled };

// One primitive call: its context, mode and running count.
struct Run {
    EraseContext& ctx;
    double bytes = 0;
    bool preview() const { return ctx.preview(); }
    void Add(RemovalKind kind, const PathBuf& path, double size) {
        bytes += size;
        if (ctx.has_sink()) ctx.Report(kind, path.Shown(), size);
    }
    // A link met in a walk: never followed, heard as refused.
    void RefuseEntry(PathBuf& dir, const wchar_t* name) {
        if (!ctx.has_sink()) return;
        size_t mark = dir.Push(name);
        ctx.Refuse(dir.Shown(), Fate::Link);
        dir.Pop(mark);
    }
};

// Lower-cases `s` with the system mapping and compares it with `lower`.
bool LowerEquals(std::wstring_view s, const std::wstring& lower) {
    if (s.size() != lower.size()) return false;
    wchar_t buf[MAX_PATH];
    if (s.size() > MAX_PATH) return ToLower(s) == lower;
    std::copy(s.begin(), s.end(), buf);
    if (!s.empty()) CharLowerBuffW(buf, static_cast<DWORD>(s.size()));
    return std::wstring_view(buf, s.size()) == lower;
}

// The text after the last ".", "" when there is none.
std::wstring_view Extension(const wchar_t* name) {
    std::wstring_view n(name);
    size_t dot = n.find_last_of(L'.');
    return dot == std::wstring_view::npos ? std::wstring_view() : n.substr(dot + 1);
}

// What a primitive does in its folder: deletes files named particularly
// directly in it (allowed in a protected folder), or anything more.
enum class Touch { Named, Whole };

Touch TouchOf(std::initializer_list<std::wstring_view> names) {
    for (std::wstring_view n : names)
        if (!NamesParticularly(n)) return Touch::Whole;
    return Touch::Named;
}

// A name or pattern with a NUL or a forbidden character is refused whole,
// never cut at it.
bool NameRefused(EraseContext& ctx, const std::wstring& folder, std::wstring_view name) {
    if (MalformedName(name).empty()) return false;
    ctx.Refuse(ShownPath(folder + L"\\" + std::wstring(name)), Fate::Malformed);
    return true;
}

// Applies the path rule to a caller's folder. Returns the canonical long
// path to work on, or nothing when the folder is unknown (silently) or
// refused (reported). A missing folder passes: each primitive treats it its
// way. `profile` lets a walk that deletes matching files only into the profile.
std::optional<std::wstring> Admit(EraseContext& ctx, const std::wstring& folder, Touch touch,
                                  ProfileWalk profile = ProfileWalk::Refused) {
    if (!MalformedPath(folder).empty()) {
        ctx.Refuse(ShownPath(folder), Fate::Malformed);
        return std::nullopt;
    }
    std::wstring canon = ResolvePath(folder);
    if (canon.empty()) return std::nullopt;
    auto refuse = [&](Fate why) {
        ctx.Refuse(canon, why);
        return std::nullopt;
    };
    const bool whole = touch == Touch::Whole;
    if (whole && detail::IsProtectedFolder(canon, profile)) return refuse(Fate::Protected);
    PathBuf p(canon);
    DWORD attr = GetFileAttributesW(p.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return canon;
    if (attr & FILE_ATTRIBUTE_REPARSE_POINT) return refuse(Fate::Link);
    // A folder reached through links higher up (a junction such as
    // "Documents and Settings") is judged by where it really is.
    if (ScopedFile h = erasefs::OpenForQuery(p.c_str())) {
        wchar_t real[MAX_PATH * 4];
        DWORD n = GetFinalPathNameByHandleW(h.get(), real, MAX_PATH * 4, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (whole && n > 0 && n < MAX_PATH * 4 && detail::IsProtectedFolder(std::wstring_view(real, n), profile))
            return refuse(Fate::Protected);
    }
    return canon;
}

// Preview: an entry that an earlier primitive of this run would already
// have removed is not there for this one.
bool GoneInPreview(EraseContext& ctx, PathBuf& dir, const WIN32_FIND_DATAW& fd) {
    size_t mark = dir.Push(fd.cFileName);
    std::wstring shown = dir.Shown();
    dir.Pop(mark);
    return erasefs::IsDir(fd) ? ctx.removed().FolderGone(shown) : ctx.removed().FileGone(shown);
}

// Preview: remembers the files of one folder that a clean would delete, as
// one entry when they are all of its files.
void RecordRemovedFiles(EraseContext& ctx, PathBuf& dir, const std::vector<std::wstring>& names, bool all) {
    if (all) {
        ctx.removed().RemoveFilesIn(dir.Shown());
        return;
    }
    for (const auto& n : names) {
        size_t mark = dir.Push(n.c_str());
        ctx.removed().RemoveFile(dir.Shown());
        dir.Pop(mark);
    }
}

// A folder that this preview has already removed counts as missing.
bool MissingInPreview(EraseContext& ctx, const std::wstring& canon) {
    return ctx.preview() && ctx.removed().FolderGone(canon);
}

// While a plug-in's exclusions guard the run, a file they keep is treated
// as one that does not match: not counted, not deleted, not heard.
bool Kept(EraseContext& ctx, PathBuf& dir, const wchar_t* name) {
    const EraseGuard* guard = ctx.guard();
    if (!guard) return false;
    size_t mark = dir.Push(name);
    const bool kept = guard->KeepsFile(dir.Shown());
    dir.Pop(mark);
    return kept;
}

// Unhides a folder (attributes Normal) when its Hidden bit is set; returns
// its attributes afterwards.
DWORD UnhideFolder(const PathBuf& dir, DWORD attr) {
    if (!(attr & FILE_ATTRIBUTE_HIDDEN) || !SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL)) return attr;
    return FILE_ATTRIBUTE_DIRECTORY;
}

// The files of one folder, and with `recurse` of its whole tree (files of a
// folder before its subfolders). Every walk yields at most every 15 ms
// before a file; `pump` also yields after each delete and each subfolder; `stopAtFailure` ends everything at the first
// file that cannot be deleted or folder that cannot be listed. With
// `removeEmptied` a folder whose files all went and whose subfolders were
// all removed goes too, the walk's own folder included (heard as a folder
// of 0 bytes: its files were heard one by one); `emptied` says whether it did.
// A folder that stays only because files below it are held by another
// program is heard by ctx.held(), after them; `heldOnly` says so.
struct FileWalk {
    Run& run;
    bool recurse;
    bool pump;
    bool stopAtFailure;
    bool removeEmptied = false;

    template <typename Match>
    Flow Walk(PathBuf& dir, const Match& match, bool* emptied = nullptr, bool* heldOnly = nullptr, int depth = 0) {
        const bool preview = run.preview();
        erasefs::Folder folder(dir);
        std::wstring subfolders;  // names, each ended by a NUL
        std::vector<std::wstring> removed;  // preview: files of this folder a clean would delete
        bool allFilesRemoved = true, subfoldersGone = true;
        bool othersStay = false, heldBelow = false;  // what keeps the folder: other things, held files
        Flow flow = Flow::Go;
        bool listed = erasefs::ForEachEntry(dir, [&](const WIN32_FIND_DATAW& fd) {
            if (run.ctx.cancelled()) {
                flow = Flow::Cancelled;
                return false;
            }
            if (preview && GoneInPreview(run.ctx, dir, fd)) return true;
            if (erasefs::IsDir(fd)) {
                if (!recurse) return true;
                if (erasefs::IsLink(fd)) {
                    run.RefuseEntry(dir, fd.cFileName);
                    subfoldersGone = false;
                    othersStay = true;
                } else {
                    subfolders.append(fd.cFileName);
                    subfolders.push_back(L'\0');
                }
                return true;
            }
            run.ctx.MaybePump();  // at most every 15 ms: the window stays alive on any walk
            if (!match(fd) || Kept(run.ctx, dir, fd.cFileName)) {
                allFilesRemoved = false;
                othersStay = true;
                return true;
            }
            FileResult r = erasefs::EraseFile(folder, dir, fd, erasefs::Delete::Unhide, run.ctx,
                                              [&](const PathBuf& p, double size) { run.Add(RemovalKind::File, p, size); });
            if (r == FileResult::Refused) run.RefuseEntry(dir, fd.cFileName);
            if (preview && r == FileResult::Removed) removed.emplace_back(fd.cFileName);
            if (r != FileResult::Removed) allFilesRemoved = false;
            if (r == FileResult::Held) heldBelow = true;
            else if (r != FileResult::Removed) othersStay = true;
            if (pump) run.ctx.MaybePump();
            if ((r == FileResult::Failed || r == FileResult::Held) && stopAtFailure) {
                flow = Flow::Failed;
                return false;
            }
            return true;
        });
        if (preview) RecordRemovedFiles(run.ctx, dir, removed, allFilesRemoved && flow == Flow::Go);
        if (!listed) return stopAtFailure ? Flow::Failed : Flow::Go;
        for (size_t at = 0; flow == Flow::Go && at < subfolders.size();) {
            const wchar_t* name = subfolders.c_str() + at;
            at += wcslen(name) + 1;
            size_t mark = dir.Push(name);
            bool gone = false, held = false;
            if (depth < kMaxDepth) flow = Walk(dir, match, &gone, &held, depth + 1);
            else run.ctx.Refuse(dir.Shown(), Fate::TooDeep);
            subfoldersGone = subfoldersGone && gone;
            if (held) heldBelow = true;
            else if (!gone) othersStay = true;
            dir.Pop(mark);
            if (pump) run.ctx.MaybePump();
        }
        if (removeEmptied && flow == Flow::Go && allFilesRemoved && subfoldersGone) {
            const bool gone = preview || RemoveDirectoryW(dir.c_str());
            if (gone) {
                if (preview) run.ctx.removed().RemoveFolder(dir.Shown());
                run.Add(RemovalKind::Folder, dir, 0);
            }
            if (emptied) *emptied = gone;
        } else if (removeEmptied && flow == Flow::Go && heldBelow && !othersStay) {
            if (heldOnly) *heldOnly = true;
            if (run.ctx.held()) run.ctx.held()->OnHeldFolder(dir.Shown());
        }
        return flow;
    }
};

template <typename Match>
double FilesIgnoringErrors(EraseContext& ctx, const std::wstring& folder, bool pump, const Match& match,
                           ProfileWalk profile = ProfileWalk::Refused) {
    auto canon = Admit(ctx, folder, Touch::Whole, profile);
    if (!canon || MissingInPreview(ctx, *canon)) return 0;
    Run run{ctx};
    PathBuf dir(*canon);
    FileWalk{run, true, pump, false}.Walk(dir, match);
    return run.bytes;
}

template <typename Match>
std::optional<double> FilesUntilFailure(EraseContext& ctx, const std::wstring& folder, bool recurse, bool pump,
                                        Touch touch, const Match& match) {
    auto canon = Admit(ctx, folder, recurse ? Touch::Whole : touch);
    if (!canon || MissingInPreview(ctx, *canon)) return std::nullopt;
    Run run{ctx};
    PathBuf dir(*canon);
    if (FileWalk{run, recurse, pump, true}.Walk(dir, match) == Flow::Failed) return std::nullopt;
    return run.bytes;
}

// Deletes everything below `dir` and then `dir` itself (whose attributes
// are `attr`, as listed), counting every file before its delete is tried:
// with force read-only files go too, without it they stay (hidden or not). Links inside are skipped and reported, so a
// folder holding one survives. Errors are ignored. In preview it returns
// whether everything below would go (the caller then records the folder
// as one entry); otherwise it records the parts that would. A folder that
// stays only because files below it are held by another program sets
// `heldOnly` and is heard by ctx.held(), unless `kept` (EmptyFolder creates
// its folder again).
bool DeleteTree(Run& run, PathBuf& dir, DWORD attr, bool force, bool* heldOnly = nullptr, bool kept = false,
                int depth = 0) {
    const bool preview = run.preview();
    erasefs::Folder folder(dir);
    bool cancelled = false;
    bool whole = true;
    bool othersStay = false, heldBelow = false;
    std::vector<std::wstring> goneFiles, goneFolders;  // preview only
    erasefs::ForEachEntry(dir, [&](const WIN32_FIND_DATAW& fd) {
        if (run.ctx.cancelled()) {
            cancelled = true;
            return false;
        }
        if (preview && GoneInPreview(run.ctx, dir, fd)) return true;
        if (erasefs::IsLink(fd)) {
            run.RefuseEntry(dir, fd.cFileName);
            whole = false;
            othersStay = true;
            return true;
        }
        if (!erasefs::IsDir(fd)) {
            if (Kept(run.ctx, dir, fd.cFileName)) {
                whole = false;
                othersStay = true;
                return true;
            }
            run.ctx.MaybePump();  // a cache of many thousand files must not freeze the window
            FileResult r = erasefs::EraseFile(folder, dir, fd, force ? erasefs::Delete::Force : erasefs::Delete::Plain,
                                              run.ctx, [&](const PathBuf&, double size) { run.bytes += size; });
            if (r == FileResult::Refused) run.RefuseEntry(dir, fd.cFileName);
            if (r != FileResult::Removed) whole = false;
            else if (preview) goneFiles.emplace_back(fd.cFileName);
            if (r == FileResult::Held) heldBelow = true;
            else if (r != FileResult::Removed) othersStay = true;
            return true;
        }
        size_t mark = dir.Push(fd.cFileName);
        bool sub = false, held = false;
        if (depth < kMaxDepth) sub = DeleteTree(run, dir, fd.dwFileAttributes, force, &held, false, depth + 1);
        else run.ctx.Refuse(dir.Shown(), Fate::TooDeep);
        dir.Pop(mark);
        if (!sub) whole = false;
        else if (preview) goneFolders.emplace_back(fd.cFileName);
        if (held) heldBelow = true;
        else if (!sub) othersStay = true;
        return !run.ctx.cancelled();
    });
    if (preview) {
        if (whole && !cancelled) return true;
        PreviewState& gone = run.ctx.removed();
        for (const auto& n : goneFiles) {
            size_t mark = dir.Push(n.c_str());
            gone.RemoveFile(dir.Shown());
            dir.Pop(mark);
        }
        for (const auto& n : goneFolders) {
            size_t mark = dir.Push(n.c_str());
            gone.RemoveFolder(dir.Shown());
            dir.Pop(mark);
        }
        return false;
    }
    if (cancelled) return false;
    // The attributes come from the listing: no extra call per folder.
    if (force && (attr & FILE_ATTRIBUTE_READONLY)) SetFileAttributesW(dir.c_str(), attr & ~FILE_ATTRIBUTE_READONLY);
    if (RemoveDirectoryW(dir.c_str())) return true;
    if (heldBelow && !othersStay) {
        if (heldOnly) *heldOnly = true;
        if (!kept && run.ctx.held()) run.ctx.held()->OnHeldFolder(dir.Shown());
    }
    return false;
}

// Matching subfolders of this level are deleted first, then the others are
// searched. A matching folder is not searched again, even when part of it
// survived: all of it was counted already.
void FoldersInTree(Run& run, PathBuf& dir, const std::wstring& name, int depth = 0) {
    std::wstring others;
    erasefs::ForEachEntry(dir, [&](const WIN32_FIND_DATAW& fd) {
        if (run.ctx.cancelled()) return false;
        if (!erasefs::IsDir(fd)) return true;
        if (run.preview() && GoneInPreview(run.ctx, dir, fd)) return true;
        if (erasefs::IsLink(fd)) {
            run.RefuseEntry(dir, fd.cFileName);
            return true;
        }
        if (!LowerEquals(fd.cFileName, name)) {
            others.append(fd.cFileName);
            others.push_back(L'\0');
            return true;
        }
        size_t mark = dir.Push(fd.cFileName);
        DWORD attr = run.preview() ? fd.dwFileAttributes : UnhideFolder(dir, fd.dwFileAttributes);
        Run sub{run.ctx};
        if (DeleteTree(sub, dir, attr, false) && run.preview()) run.ctx.removed().RemoveFolder(dir.Shown());
        run.Add(RemovalKind::Folder, dir, sub.bytes);
        dir.Pop(mark);
        return true;
    });
    for (size_t at = 0; at < others.size() && !run.ctx.cancelled();) {
        const wchar_t* sub = others.c_str() + at;
        at += wcslen(sub) + 1;
        size_t mark = dir.Push(sub);
        if (depth < kMaxDepth) FoldersInTree(run, dir, name, depth + 1);
        else run.ctx.Refuse(dir.Shown(), Fate::TooDeep);
        dir.Pop(mark);
    }
}

double SizeOfTree(PathBuf& dir, int depth = 0) {
    double total = 0;
    erasefs::ForEachEntry(dir, [&](const WIN32_FIND_DATAW& fd) {
        if (erasefs::IsLink(fd)) return true;
        if (!erasefs::IsDir(fd)) {
            total += erasefs::SizeOf(fd);
            return true;
        }
        size_t mark = dir.Push(fd.cFileName);
        if (depth < kMaxDepth) total += SizeOfTree(dir, depth + 1);
        dir.Pop(mark);
        return true;
    });
    return total;
}

double Empty(EraseContext& ctx, const std::wstring& folder, ProfileWalk own);

}  // namespace

double DeleteFileInTree(EraseContext& ctx, const std::wstring& folder, const std::wstring& name) {
    if (NameRefused(ctx, folder, name)) return 0;
    return FilesIgnoringErrors(ctx, folder, true, [&](const WIN32_FIND_DATAW& fd) { return name == fd.cFileName; });
}

double DeleteFileInTreeAnyCase(EraseContext& ctx, const std::wstring& folder, const std::wstring& name) {
    if (NameRefused(ctx, folder, name)) return 0;
    const std::wstring lower = ToLower(name);
    return FilesIgnoringErrors(
        ctx, folder, true, [&](const WIN32_FIND_DATAW& fd) { return LowerEquals(fd.cFileName, lower); },
        ProfileWalk::Allowed);
}

std::optional<double> DeleteAllFilesInTree(EraseContext& ctx, const std::wstring& folder) {
    return FilesUntilFailure(ctx, folder, true, false, Touch::Whole, [](const WIN32_FIND_DATAW&) { return true; });
}

double DeleteExtInTree(EraseContext& ctx, const std::wstring& folder, const std::wstring& ext) {
    if (NameRefused(ctx, folder, ext)) return 0;
    return FilesIgnoringErrors(ctx, folder, false,
                               [&](const WIN32_FIND_DATAW& fd) { return LowerEquals(Extension(fd.cFileName), ext); });
}

double DeleteFolderInTree(EraseContext& ctx, const std::wstring& folder, const std::wstring& name) {
    if (NameRefused(ctx, folder, name)) return 0;
    auto canon = Admit(ctx, folder, Touch::Whole);
    if (!canon || MissingInPreview(ctx, *canon)) return 0;
    Run run{ctx};
    PathBuf dir(*canon);
    FoldersInTree(run, dir, name);
    return run.bytes;
}

double EmptyFolder(EraseContext& ctx, const std::wstring& folder) { return Empty(ctx, folder, ProfileWalk::Refused); }

double EmptyFavorites(EraseContext& ctx, const std::wstring& folder) {
    return Empty(ctx, folder, ProfileWalk::Favorites);
}

namespace {
double Empty(EraseContext& ctx, const std::wstring& folder, ProfileWalk own) {
    auto canon = Admit(ctx, folder, Touch::Whole, own);
    if (!canon) return 0;
    Run run{ctx};
    PathBuf dir(*canon);
    DWORD attr = MissingInPreview(ctx, *canon) ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(dir.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES) {
        if (!run.preview()) attr = UnhideFolder(dir, attr);
        if (DeleteTree(run, dir, attr, true, nullptr, true) && run.preview()) ctx.removed().ClearFolder(dir.Shown());
        if (ctx.has_sink()) ctx.Report(RemovalKind::Folder, dir.Shown(), run.bytes);
    }
    if (!run.preview()) CreateDirectoryW(dir.c_str(), nullptr);
    return run.bytes;
}
}  // namespace

double DeleteOneFile(EraseContext& ctx, const std::wstring& path) {
    if (!MalformedPath(path).empty()) {
        ctx.Refuse(ShownPath(path), Fate::Malformed);
        return 0;
    }
    size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return 0;
    const std::wstring name = path.substr(cut + 1);
    if (name.empty() || name.find_first_of(L"*?") != std::wstring::npos) return 0;
    std::wstring canon = ResolvePath(path.substr(0, cut + 1));
    if (canon.empty()) return 0;
    Run run{ctx};
    PathBuf dir(canon);
    DWORD attr = GetFileAttributesW(dir.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    if (attr & FILE_ATTRIBUTE_REPARSE_POINT) {
        run.RefuseEntry(dir, name.c_str());
        return 0;
    }
    WIN32_FIND_DATAW fd;
    size_t mark = dir.Push(name.c_str());
    ScopedFind find(FindFirstFileExW(dir.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
    dir.Pop(mark);
    if (!find || erasefs::IsDir(fd) || Kept(ctx, dir, fd.cFileName)) return 0;
    if (run.preview() && GoneInPreview(ctx, dir, fd)) return 0;
    erasefs::Folder folder(dir);
    FileResult r = erasefs::EraseFile(folder, dir, fd, erasefs::Delete::Plain, ctx,
                                      [&](const PathBuf& p, double size) { run.Add(RemovalKind::File, p, size); });
    if (r == FileResult::Refused) run.RefuseEntry(dir, fd.cFileName);
    if (run.preview() && r == FileResult::Removed) RecordRemovedFiles(ctx, dir, {fd.cFileName}, false);
    return run.bytes;
}

double DeleteWholeFolder(EraseContext& ctx, const std::wstring& folder) {
    auto canon = Admit(ctx, folder, Touch::Whole);
    if (!canon || MissingInPreview(ctx, *canon)) return 0;
    PathBuf dir(*canon);
    DWORD attr = GetFileAttributesW(dir.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    Run run{ctx};
    if (DeleteTree(run, dir, attr, false) && run.preview()) ctx.removed().RemoveFolder(dir.Shown());
    if (ctx.has_sink()) ctx.Report(RemovalKind::Folder, dir.Shown(), run.bytes);
    return run.bytes;
}

double DeleteMatchingFiles(EraseContext& ctx, const std::wstring& folder, const std::vector<std::wstring>& patterns,
                           Reach reach) {
    for (const std::wstring& p : patterns)
        if (NameRefused(ctx, folder, p)) return 0;
    const std::vector<wildcard::Pattern> compiled(patterns.begin(), patterns.end());
    Touch touch = reach == Reach::Folder ? Touch::Named : Touch::Whole;
    for (const std::wstring& p : patterns)
        if (!NamesParticularly(p)) touch = Touch::Whole;
    auto canon = Admit(ctx, folder, touch);
    if (!canon || MissingInPreview(ctx, *canon)) return 0;
    Run run{ctx};
    PathBuf dir(*canon);
    FileWalk walk{run, reach != Reach::Folder, true, false};
    walk.removeEmptied = reach == Reach::TreeAndFolders;
    walk.Walk(dir, [&](const WIN32_FIND_DATAW& fd) {
        for (const wildcard::Pattern& p : compiled)
            if (p.Matches(fd.cFileName)) return true;
        return false;
    });
    return run.bytes;
}

double DeleteFilesInFolderExcept(EraseContext& ctx, const std::wstring& folder,
                                 const std::function<bool(const wchar_t* name)>& keep) {
    auto canon = Admit(ctx, folder, Touch::Whole);
    if (!canon || MissingInPreview(ctx, *canon)) return 0;
    Run run{ctx};
    PathBuf dir(*canon);
    FileWalk{run, false, true, false}.Walk(dir, [&](const WIN32_FIND_DATAW& fd) { return !keep(fd.cFileName); });
    return run.bytes;
}

std::optional<double> DeleteAllFiles(EraseContext& ctx, const std::wstring& folder) {
    return FilesUntilFailure(ctx, folder, false, false, Touch::Whole, [](const WIN32_FIND_DATAW&) { return true; });
}

std::optional<double> DeleteFileInFolder(EraseContext& ctx, const std::wstring& folder, const std::wstring& name) {
    if (NameRefused(ctx, folder, name)) return std::nullopt;
    return FilesUntilFailure(ctx, folder, false, true, TouchOf({name}),
                             [&](const WIN32_FIND_DATAW& fd) { return name == fd.cFileName; });
}

std::optional<double> DeleteExtInFolder(EraseContext& ctx, const std::wstring& folder, const std::wstring& ext) {
    if (NameRefused(ctx, folder, ext)) return std::nullopt;
    return FilesUntilFailure(ctx, folder, false, true, TouchOf({L"*." + ext}), [&](const WIN32_FIND_DATAW& fd) {
        return LowerEquals(Extension(fd.cFileName), ext);
    });
}

double FolderSize(const std::wstring& folder) {
    std::wstring canon = ResolvePath(folder);
    if (canon.empty()) return 0;
    PathBuf dir(canon);
    DWORD attr = GetFileAttributesW(dir.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY) || (attr & FILE_ATTRIBUTE_REPARSE_POINT))
        return 0;
    return SizeOfTree(dir);
}

}  // namespace nv::allerase
