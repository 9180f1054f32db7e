#include "foundation/processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include "foundation/handles.h"

namespace nv::processes {

std::optional<std::wstring> FirstRunning(const std::vector<std::wstring>& exeNames) {
    if (exeNames.empty()) return std::nullopt;
    HANDLE h = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    ScopedHandle snap(h);
    std::vector<bool> running(exeNames.size());
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32FirstW(snap.get(), &pe); ok; ok = Process32NextW(snap.get(), &pe))
        for (size_t i = 0; i < exeNames.size(); ++i)
            if (CompareStringOrdinal(pe.szExeFile, -1, exeNames[i].c_str(), -1, TRUE) == CSTR_EQUAL) running[i] = true;
    for (size_t i = 0; i < exeNames.size(); ++i)
        if (running[i]) return exeNames[i];
    return std::nullopt;
}

}  // namespace nv::processes
