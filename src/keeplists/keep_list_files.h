// The two keep lists: typed addresses the "IE Location Bar History" item
// writes back (keepurl.dat) and cookie files the "IE Cookies" item leaves
// (keepcook.dat). Both are plain list files of the application folder, read
// afresh at every use; a missing file is an empty list.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nv::keeplists {

std::wstring KeepUrlFile();     // application folder + "\keepurl.dat"
std::wstring KeepCookieFile();  // application folder + "\keepcook.dat"

// Trailing blanks removed from every line, as the URL dialog shows them.
std::vector<std::wstring> ReadUrlKeepList();
// The same lists for a run, which must never delete what they keep:
// nothing when the file exists but cannot be read (held open without
// sharing, over the list-file limit, a folder); empty when it is missing.
// Cookie lines come exactly as stored: the run compares them with full paths.
std::optional<std::vector<std::wstring>> UrlKeepListForRun();
std::optional<std::vector<std::wstring>> CookieKeepListForRun();
// Trailing blanks removed, as the cookie dialog shows them (and so writes
// them back after a removal).
std::vector<std::wstring> ShownCookieKeepList();

}  // namespace nv::keeplists
