#include "keeplists/keeplists.h"

#include "foundation/apppath.h"
#include "foundation/listfile.h"

namespace nv::keeplists {

std::wstring KeepUrlFile() { return AppFile(L"keepurl.dat"); }
std::wstring KeepCookieFile() { return AppFile(L"keepcook.dat"); }

std::vector<std::wstring> ReadUrlKeepList() {
    auto lines = listfile::Read(KeepUrlFile()).value_or(std::vector<std::wstring>{});
    for (auto& l : lines) l.erase(l.find_last_not_of(L' ') + 1);
    return lines;
}

std::vector<std::wstring> ReadCookieKeepList() {
    return listfile::Read(KeepCookieFile()).value_or(std::vector<std::wstring>{});
}

}  // namespace nv::keeplists
