#include "keeplists/keeplists.h"

#include "foundation/apppath.h"
#include "foundation/listfile.h"

namespace nv::keeplists {

std::wstring KeepUrlFile() { return AppFile(L"keepurl.dat"); }
std::wstring KeepCookieFile() { return AppFile(L"keepcook.dat"); }

namespace {
std::vector<std::wstring> WithoutTrailingBlanks(const std::wstring& file) {
    auto lines = listfile::Read(file).value_or(std::vector<std::wstring>{});
    for (auto& l : lines) l.erase(l.find_last_not_of(L' ') + 1);
    return lines;
}
}  // namespace

std::vector<std::wstring> ReadUrlKeepList() { return WithoutTrailingBlanks(KeepUrlFile()); }

std::vector<std::wstring> ReadCookieKeepList() {
    return listfile::Read(KeepCookieFile()).value_or(std::vector<std::wstring>{});
}

std::vector<std::wstring> ShownCookieKeepList() { return WithoutTrailingBlanks(KeepCookieFile()); }

}  // namespace nv::keeplists
