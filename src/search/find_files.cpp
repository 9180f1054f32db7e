#include "search/find_files.h"

#include <deque>

#include "foundation/erase_primitives.h"
#include "foundation/handles.h"
#include "foundation/text.h"

namespace nv::search {
namespace {

constexpr ULONGLONG kPumpEveryMs = 15;

std::wstring Upper(std::wstring_view s) {
    std::wstring u(s);
    if (!u.empty()) CharUpperBuffW(u.data(), static_cast<DWORD>(u.size()));
    return u;
}

// A name an exact pattern can stand for: one plain file name, so that the
// look-up never leaves the folder being searched.
bool IsPlainName(std::wstring_view name) {
    return !name.empty() && name != L"." && name != L".." && name.back() != L'.' && name.back() != L' ' &&
           name.find_first_of(L"\\/:*?\"<>|") == std::wstring_view::npos;
}

// The markers hold no "\", so a path holds one exactly when its folder or
// its name does: the walk tests each folder once and each name as it matches.
bool HoldsExcludedMarker(std::wstring_view text, std::wstring_view upper) {
    return text.find(L"Recycled") != std::wstring_view::npos || upper.find(L"WIN386.SWP") != std::wstring_view::npos ||
           upper.find(L"$RECYCLE.BIN") != std::wstring_view::npos;
}

bool Matches(const Pattern& p, std::wstring_view n) {
    const std::wstring_view s = p.upper;
    if (s.size() >= n.size()) return false;
    if (p.leading && p.trailing) return n.find(s) != std::wstring_view::npos;
    if (p.leading) return n.substr(n.size() - s.size()) == s;
    return n.substr(0, s.size()) == s;
}

bool IsExcluded(std::wstring_view fullPath) { return HoldsExcludedMarker(fullPath, Upper(fullPath)); }

// Result lines of one search. The time zone is looked up once (per line it
// would cost more than the walk), and the date text is kept for the next
// file changed in the same second, as files written together often are.
class LineMaker {
public:
    LineMaker() { haveZone_ = GetTimeZoneInformation(&zone_) != TIME_ZONE_ID_INVALID; }

    std::wstring operator()(const std::wstring& path, uint64_t size, const FILETIME& modified) {
        std::wstring line;
        line.reserve(path.size() + 64);
        line += path;
        line += L"   Size:";
        line += std::to_wstring(size);
        line += L"   LastModyfied:";
        line += DateText(modified);
        return line;
    }

private:
    const std::wstring& DateText(const FILETIME& modified) {
        const ULONGLONG second =
            ((static_cast<ULONGLONG>(modified.dwHighDateTime) << 32) | modified.dwLowDateTime) / 10000000;
        if (second == lastSecond_ && !lastText_.empty()) return lastText_;
        lastSecond_ = second;
        SYSTEMTIME utc{}, local{};
        wchar_t date[80] = L"", time[80] = L"";
        if (FileTimeToSystemTime(&modified, &utc) &&
            SystemTimeToTzSpecificLocalTime(haveZone_ ? &zone_ : nullptr, &utc, &local)) {
            GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 80);
            GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &local, nullptr, time, 80);
        }
        lastText_ = std::wstring(date) + L" " + time;
        return lastText_;
    }

    TIME_ZONE_INFORMATION zone_{};
    bool haveZone_ = false;
    ULONGLONG lastSecond_ = 0;
    std::wstring lastText_;
};


std::wstring FindPath(const std::wstring& folder) {
    // "\\?\" keeps names that end in a dot or a blank, and long paths, exact.
    return folder.starts_with(L"\\\\") ? L"\\\\?\\UNC\\" + folder.substr(2) + L"*" : L"\\\\?\\" + folder + L"*";
}

// Whether the folder holds a file of this name (any letter case).
bool FolderHasFile(const std::wstring& folder, const std::wstring& name) {
    if (!IsPlainName(name)) return false;
    std::wstring path = FindPath(folder);
    path.pop_back();
    DWORD attr = GetFileAttributesW((path + name).c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::vector<Pattern> PreparePatterns(std::wstring_view searchString) {
    std::vector<Pattern> patterns;
    for (auto& piece : Split(searchString, L';')) {
        if (piece.empty()) continue;
        Pattern p;
        if (piece.find_first_not_of(L'*') == std::wstring::npos) {
            p.leading = p.trailing = true;  // stars only: every file
        } else {
            std::wstring& t = piece;
            // A star first or last turns into a flag; the search goes on one
            // position after each star found, so inner stars stay text.
            for (size_t k = t.find(L'*'); k != std::wstring::npos; k = t.find(L'*', k + 1)) {
                if (k == 0) {
                    p.leading = true;
                    t.erase(0, 1);
                } else if (k == t.size() - 1) {
                    p.trailing = true;
                    t.pop_back();
                }
            }
            p.prepared = t;
        }
        p.upper = Upper(p.prepared);
        patterns.push_back(std::move(p));
    }
    return patterns;
}

std::wstring SummaryText(const std::vector<Pattern>& patterns, size_t filesFound, uint64_t totalBytes) {
    std::wstring s;
    for (const auto& p : patterns) s += L"    " + p.prepared + L" - " + std::to_wstring(p.count);
    // The count of files found goes on a line of its own, so that it never
    // runs into the last pattern's count.
    if (!patterns.empty()) s += L"\r\n";
    s += std::to_wstring(filesFound) + L"  Files Found  \r\nTotal size: " +
         NumberText(static_cast<double>(totalBytes) / 1000.0) + L"kb";
    return s;
}

std::wstring WithTrailingBackslash(const std::wstring& path) {
    return !path.empty() && path.back() == L'\\' ? path : path + L"\\";
}

FindResult FindFiles(const std::wstring& root, const std::wstring& searchString, bool includeSubfolders,
                     FindSink& sink) {
    FindResult r;
    r.patterns = PreparePatterns(searchString);
    const std::wstring canonical = allerase::NormalizePath(root);
    if (r.patterns.empty() || canonical.empty()) return r;
    r.ran = true;

    LineMaker resultLine;
    bool anyExact = false;
    for (const auto& p : r.patterns) anyExact |= !p.star();
    // The first pump comes at once, so the window shows the root folder.
    ULONGLONG lastPump = GetTickCount64() - kPumpEveryMs;
    std::deque<std::wstring> SearchPaths{WithTrailingBackslash(canonical)};
    std::wstring upper;

    while (!SearchPaths.empty()) {
        const std::wstring folder = std::move(SearchPaths.front());
        SearchPaths.pop_front();
        const bool folderExcluded = IsExcluded(folder);
        // Exact names are looked up once per folder, when a file needs it.
        std::vector<signed char> has(anyExact ? r.patterns.size() : 0, -1);

        WIN32_FIND_DATAW fd;
        ScopedFind find(FindFirstFileExW(FindPath(folder).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH));
        bool more = static_cast<bool>(find);
        for (; more; more = FindNextFileW(find.get(), &fd)) {
            ULONGLONG now = GetTickCount64();
            if (now - lastPump >= kPumpEveryMs) {
                lastPump = now;
                if (sink.Pump(folder)) {
                    r.stopped = true;
                    return r;
                }
            }
            const wchar_t* n = fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0))) continue;
                // A folder link is never entered: no loops, nothing outside the tree.
                if (includeSubfolders && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    SearchPaths.push_back(folder + n + L"\\");
                continue;
            }
            upper.assign(n);
            CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
            for (size_t i = 0; i < r.patterns.size(); ++i) {
                Pattern& p = r.patterns[i];
                if (!p.star()) {
                    if (p.found) continue;
                    if (has[i] < 0) has[i] = FolderHasFile(folder, p.prepared) ? 1 : 0;
                    if (has[i]) {
                        std::wstring line = folder + p.prepared;
                        size_t length = line.size();
                        sink.Found(std::move(line), length);
                        p.found = true;
                        ++p.count;
                    }
                    continue;
                }
                if (!Matches(p, upper)) continue;
                if (!folderExcluded && !HoldsExcludedMarker(n, upper)) {
                    std::wstring path = folder + n;
                    const uint64_t size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
                    const size_t length = path.size();
                    sink.Found(resultLine(path, size, fd.ftLastWriteTime), length);
                    r.totalBytes += size;
                    ++p.count;
                }
                break;  // the first star pattern that matches decides
            }
        }
    }
    return r;
}

}  // namespace nv::search
