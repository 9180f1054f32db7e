// The program's version: one number set in CMake, compiled into the
// executable's version resource, read back from there at run time.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace nv {

struct Version {
    unsigned major = 0, minor = 0, patch = 0;
    auto operator<=>(const Version&) const = default;
};

// "x.y.z" with decimal parts only (blanks around it allowed); anything else
// is no version.
std::optional<Version> ParseVersion(std::wstring_view text);
std::wstring VersionText(const Version& v);

// The fixed file version of a module's version resource (the executable's
// when module is null); none when the module has no version resource.
std::optional<Version> ModuleVersion(HMODULE module = nullptr);

}  // namespace nv
