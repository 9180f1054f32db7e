// Folder variables in the paths of plug-ins: "%LocalAppData%\Vendor\Cache".
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nv::pathvars {

// AppData and LocalAppData as the caller knows them: the run passes the
// main window's folders (so tests can point them at scratch folders, and an
// unknown folder, "", stays unknown); without them the Shell Folders
// values are read.
struct Folders {
    std::optional<std::wstring> appData;
    std::optional<std::wstring> localAppData;
    // When set, each variable is asked of the system once and its value
    // kept here: an import or a run of thousands of lines names the same
    // few variables over and over.
    std::shared_ptr<std::unordered_map<std::wstring, std::vector<std::wstring>>> remembered;
};

// `folders` with AppData and LocalAppData read now when unset, and every
// other variable remembered from its first use on.
Folders Remembering(Folders folders);

// One concrete path and how much of it the variables gave: the system said
// where those folders are, the rest is what the plug-in names.
struct Expanded {
    std::wstring path;
    size_t fromVariables = 0;
};

struct Expansion {
    std::vector<Expanded> paths;  // empty when a variable is unknown or empty
    std::wstring unknown;         // the first such variable's name
};

// Replaces every %NAME% (any letter case): AppData and LocalAppData from
// `folders`; Documents, LocalLowAppData, CommonAppData, Music, Pictures and
// Video from the system's known folders; any other name from the
// environment. ProgramFiles and CommonProgramFiles each stand for the
// 64-bit and the x86 folder, so a path can give two. A lone "%" stays.
Expansion Expand(std::wstring_view path, const Folders& folders);

}  // namespace nv::pathvars
