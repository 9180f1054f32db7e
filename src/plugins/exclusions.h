// A plug-in's [exclude] lines as the guard the erase primitives consult:
//   FILE|folder\|names     files of those names in that folder
//   PATH|folder\|patterns  files matching in that folder and below (all without patterns)
//   REG|key[|value]        the key with everything below it, or one value
// Folders may hold %VAR% and wildcards in any segment; everything is
// compared without regard to letter case.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "foundation/erase_context.h"
#include "foundation/path_variables.h"
#include "foundation/wildcard.h"
#include "plugins/plugin_format.h"

namespace nv::plugins {

class Exclusions : public EraseGuard {
public:
    Exclusions(const std::vector<Exclude>& excludes, const pathvars::Folders& folders);

    bool KeepsFile(std::wstring_view path) const override;
    bool KeepsKey(std::wstring_view keyText) const override;
    bool KeepsBelow(std::wstring_view keyText) const override;
    bool KeepsValue(std::wstring_view keyText, std::wstring_view name) const override;

private:
    struct FileRule {
        bool subtree;                              // PATH: the folder and below
        std::vector<wildcard::Pattern> folder;     // its segments, the drive first
        std::vector<wildcard::Pattern> names;      // empty: every file
    };
    struct KeyRule {
        std::wstring key;                          // lower-cased "hkey_current_user\software\..."
        std::optional<std::wstring> value;         // lower-cased
    };
    std::vector<FileRule> files_;
    std::vector<KeyRule> keys_;
};

// The first FILE or PATH exclusion whose folder cannot be worked out here
// (an unknown or empty variable). A plug-in with one runs nothing: what
// the exclusion should keep would be left unguarded.
std::optional<std::wstring> UnresolvedExclusion(const std::vector<Exclude>& excludes, const pathvars::Folders& folders);

}  // namespace nv::plugins
