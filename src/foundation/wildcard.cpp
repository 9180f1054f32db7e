#include "foundation/wildcard.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "foundation/erase_primitives.h"
#include "foundation/handles.h"
#include "foundation/text.h"

namespace nv::wildcard {
namespace {

// Lower-cases into `buf` with the system's case mapping.
std::wstring_view Lower(std::wstring_view s, std::wstring& buf) {
    buf.assign(s);
    if (!buf.empty()) CharLowerBuffW(buf.data(), static_cast<DWORD>(buf.size()));
    return buf;
}

// Iterative matching with one backtrack point per "*": linear for the
// patterns plug-ins use, never exponential.
bool Glob(std::wstring_view p, std::wstring_view s) {
    size_t pi = 0, si = 0, star = std::wstring_view::npos, mark = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == L'?' || p[pi] == s[si])) {
            ++pi;
            ++si;
        } else if (pi < p.size() && p[pi] == L'*') {
            star = pi++;
            mark = si;
        } else if (star != std::wstring_view::npos) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == L'*') ++pi;
    return pi == p.size();
}

// Walks the segments one at a time; `path` is in user form (no "\\?\").
struct Walker {
    const std::vector<std::wstring>& segments;
    const MatchOptions& options;
    const std::function<bool(const std::wstring&, DWORD)>& found;
    bool stopped = false;

    static std::wstring Long(const std::wstring& path) {
        return path.starts_with(L"\\\\") ? L"\\\\?\\UNC\\" + path.substr(2) : L"\\\\?\\" + path;
    }
    static std::wstring Join(const std::wstring& dir, std::wstring_view name) {
        std::wstring p = dir;
        if (p.back() != L'\\') p += L'\\';
        p += name;
        return p;
    }

    // `path` exists with these attributes; segment `i` comes next.
    void Visit(const std::wstring& path, DWORD attr, size_t i) {
        if (stopped) return;
        if (i == segments.size()) {
            if (!options.foldersOnly || (attr & FILE_ATTRIBUTE_DIRECTORY)) stopped = !found(path, attr);
            return;
        }
        if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) return;
        const std::wstring& seg = segments[i];
        if (!Has(seg)) {
            std::wstring next = Join(path, seg);
            DWORD a = GetFileAttributesW(Long(next).c_str());
            if (a != INVALID_FILE_ATTRIBUTES) Enter(next, a, i + 1);
            return;
        }
        if (options.guardProtected) {
            bool fixedFollows = false;
            for (size_t j = i + 1; j < segments.size() && !fixedFollows; ++j) fixedFollows = !Has(segments[j]);
            if (!allerase::WildcardMayStandBelow(path, seg, fixedFollows)) {
                if (options.onProtected) options.onProtected(Join(path, seg));
                return;
            }
        }
        Pattern pattern(seg);
        WIN32_FIND_DATAW fd;
        ScopedFind find(FindFirstFileExW(Long(Join(path, L"*")).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                         nullptr, 0));
        if (!find) return;
        std::vector<std::pair<std::wstring, DWORD>> hits;  // entered after the listing closes
        do {
            std::wstring_view n = fd.cFileName;
            if (n == L"." || n == L".." || !pattern.Matches(n)) continue;
            hits.emplace_back(fd.cFileName, fd.dwFileAttributes);
        } while (FindNextFileW(find.get(), &fd));
        find.reset();
        for (const auto& [name, a] : hits) Enter(Join(path, name), a, i + 1);
    }

    void Enter(const std::wstring& path, DWORD attr, size_t next) {
        if (stopped) return;
        if (options.refuseLinks && (attr & FILE_ATTRIBUTE_REPARSE_POINT)) {
            if (options.onLink) options.onLink(path);
            return;
        }
        Visit(path, attr, next);
    }
};

}  // namespace

void ForEachMatch(std::wstring_view base, std::wstring_view relative, const MatchOptions& options,
                  const std::function<bool(const std::wstring&, DWORD)>& found) {
    std::wstring whole = allerase::NormalizePath(base.empty() ? std::wstring(relative)
                                                              : std::wstring(base) + L"\\" + std::wstring(relative));
    if (whole.empty()) return;
    std::wstring start = base.empty() ? std::wstring() : allerase::NormalizePath(base);
    if (start.empty()) {
        // No base: the drive or share root is the start.
        size_t root = whole.size() >= 3 && whole[1] == L':' ? 3 : whole.find(L'\\', whole.find(L'\\', 2) + 1);
        start = whole.substr(0, root == std::wstring::npos ? whole.size() : root);
    }
    if (!StartsWith(whole, start)) return;
    std::vector<std::wstring> segments;
    for (auto& s : Split(std::wstring_view(whole).substr(start.size()), L'\\'))
        if (!s.empty()) segments.push_back(std::move(s));
    DWORD attr = GetFileAttributesW(Walker::Long(start).c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return;
    Walker{segments, options, found}.Visit(start, attr, 0);
}

bool Has(std::wstring_view text) { return text.find_first_of(L"*?") != std::wstring_view::npos; }

Pattern::Pattern(std::wstring_view pattern) {
    std::wstring buf;
    lower_ = Lower(pattern, buf);
    if (lower_ == L"*.*") lower_ = L"*";
    if (lower_.size() > 1 && lower_.back() == L'.' && lower_.find_first_not_of(L'.') != std::wstring::npos) {
        while (lower_.back() == L'.') lower_.pop_back();
        dots_ = static_cast<int>(std::count(lower_.begin(), lower_.end(), L'.'));
    }
}

bool Pattern::Matches(std::wstring_view name) const {
    thread_local std::wstring buf;
    if (dots_ >= 0 && std::count(name.begin(), name.end(), L'.') != dots_) return false;
    return Glob(lower_, Lower(name, buf));
}

}  // namespace nv::wildcard
