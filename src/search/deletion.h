// How Search and Erase removes the files it found: for good through the
// link-safe file delete of the erase primitives, or into the Recycle Bin
// only when the bin can really take the file.
#pragma once

#include <map>
#include <string>

namespace nv::search {

enum class Erased { Removed, Failed, Refused };

// Deletes one file for good, never through a link (a link is refused and
// stays, its target too). Read-only and locked files fail and stay.
Erased DeleteForGood(const std::wstring& path);

// Whether the Recycle Bin can take the file. The shell's delete call
// cannot: names that end in a dot or a blank (it would trim them and act on
// another file), wildcard characters, paths of MAX_PATH or more, drives
// without a bin (removable, network, no bin set up). Probes each drive once.
class RecycleProbe {
public:
    bool CanRecycle(const std::wstring& path);

private:
    std::map<wchar_t, bool> drives_;
};

}  // namespace nv::search
