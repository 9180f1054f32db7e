// Name patterns with "*" and "?", matched within one name (one segment of
// a path) without regard to letter case: "*.log", "Profile *", "f_??????".
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace nv::wildcard {

// True when the text holds "*" or "?".
bool Has(std::wstring_view text);

// A pattern ready for matching many names.
class Pattern {
public:
    Pattern() = default;
    explicit Pattern(std::wstring_view pattern);
    // "*" stands for any run of characters, "?" for exactly one; "*.*"
    // matches every name, with or without a dot, and a pattern ending in a
    // dot names a name without an extension ("index." is "index", "data*."
    // matches "datam" but not "data.bin"), as the file system's own
    // patterns do.
    bool Matches(std::wstring_view name) const;
    const std::wstring& text() const { return lower_; }

private:
    std::wstring lower_;
    int dots_ = -1;  // with a final dot: the dots a name may hold (those of the pattern), else -1
};

inline bool Matches(std::wstring_view pattern, std::wstring_view name) { return Pattern(pattern).Matches(name); }

// Every existing file or folder that `base` + "\" + `relative` names, where
// the segments of `relative` may hold wildcards (which never match "." or
// ".."). `base` is an absolute folder the system named (a folder variable);
// an empty base makes the whole path relative to its drive root. Callers
// refuse ".." segments before. found(path, attributes) is called for each
// match in listing order and returns false to stop.
struct MatchOptions {
    bool foldersOnly = false;
    // A link (reparse point) met in a segment of `relative` is handed to
    // onLink and neither entered nor matched.
    bool refuseLinks = false;
    std::function<void(const std::wstring&)> onLink;
    // A wildcard segment that would match any folder of a protected folder
    // (allerase::WildcardMayStandBelow) is
    // not expanded: parent + "\" + segment goes to onProtected.
    bool guardProtected = false;
    std::function<void(const std::wstring&)> onProtected;
};
void ForEachMatch(std::wstring_view base, std::wstring_view relative, const MatchOptions& options,
                  const std::function<bool(const std::wstring& path, DWORD attributes)>& found);

}  // namespace nv::wildcard
