#include "foundation/file_holders.h"

#include <restartmanager.h>
#include <tlhelp32.h>

#include "foundation/handles.h"

namespace nv::holders {
namespace {

using StartFn = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR[]);
using RegisterFn = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR[], UINT, RM_UNIQUE_PROCESS[], UINT, LPCWSTR[]);
using ListFn = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO[], LPDWORD);
using EndFn = DWORD(WINAPI*)(DWORD);

// The executable's file name of a process, when it is still the process the
// system listed (same start time) or, without the rights to look, as the
// process list shows it.
std::wstring ExeName(const RM_UNIQUE_PROCESS& p) {
    if (ScopedHandle h{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, p.dwProcessId)}) {
        FILETIME created, exited, kernel, user;
        wchar_t path[MAX_PATH * 2];
        DWORD size = static_cast<DWORD>(std::size(path));
        if (!GetProcessTimes(h.get(), &created, &exited, &kernel, &user) ||
            CompareFileTime(&created, &p.ProcessStartTime) != 0)
            return {};
        if (QueryFullProcessImageNameW(h.get(), 0, path, &size)) {
            std::wstring full(path, size);
            return full.substr(full.find_last_of(L'\\') + 1);
        }
    }
    HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (all == INVALID_HANDLE_VALUE) return {};
    ScopedHandle snap(all);
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32FirstW(snap.get(), &pe); ok; ok = Process32NextW(snap.get(), &pe))
        if (pe.th32ProcessID == p.dwProcessId) return pe.szExeFile;
    return {};
}

class RestartManager : public Finder {
public:
    std::vector<Holder> Find(const std::vector<std::wstring>& files) override {
        if (files.empty() || !Load()) return {};
        DWORD session = 0;
        WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
        if (start_(&session, 0, key) != ERROR_SUCCESS) return {};
        std::vector<LPCWSTR> names;
        names.reserve(files.size());
        for (const std::wstring& f : files) names.push_back(f.c_str());
        std::vector<RM_PROCESS_INFO> info;
        UINT count = 0;
        DWORD rc = register_(session, static_cast<UINT>(names.size()), names.data(), 0, nullptr, 0, nullptr);
        // The list may grow between the two calls: ask again a few times.
        for (int attempt = 0; rc == ERROR_SUCCESS && attempt < 3; ++attempt) {
            UINT needed = 0;
            count = static_cast<UINT>(info.size());
            DWORD reasons = 0;
            rc = list_(session, &needed, &count, info.empty() ? nullptr : info.data(), &reasons);
            if (rc != ERROR_MORE_DATA) break;
            info.resize(needed + 4);
            rc = ERROR_SUCCESS;
        }
        end_(session);
        std::vector<Holder> out;
        if (rc != ERROR_SUCCESS) return out;
        for (UINT i = 0; i < count && i < info.size(); ++i)
            out.push_back({info[i].strAppName, ExeName(info[i].Process), info[i].Process.dwProcessId});
        return out;
    }

private:
    // Loaded on first use, from the system folder only; older systems lack it.
    bool Load() {
        if (tried_) return list_ != nullptr;
        tried_ = true;
        HMODULE dll = LoadLibraryExW(L"rstrtmgr.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!dll) return false;
        start_ = reinterpret_cast<StartFn>(GetProcAddress(dll, "RmStartSession"));
        register_ = reinterpret_cast<RegisterFn>(GetProcAddress(dll, "RmRegisterResources"));
        end_ = reinterpret_cast<EndFn>(GetProcAddress(dll, "RmEndSession"));
        list_ = reinterpret_cast<ListFn>(GetProcAddress(dll, "RmGetList"));
        if (!start_ || !register_ || !end_) list_ = nullptr;
        return list_ != nullptr;
    }

    bool tried_ = false;
    StartFn start_ = nullptr;
    RegisterFn register_ = nullptr;
    ListFn list_ = nullptr;
    EndFn end_ = nullptr;
};

RestartManager g_system;
Finder* g_current = &g_system;

}  // namespace

Finder& Current() { return *g_current; }
void Install(Finder* f) { g_current = f ? f : &g_system; }

std::wstring HolderText(const std::vector<Holder>& holders) {
    std::wstring text;
    for (size_t i = 0; i < holders.size() && i < 3; ++i) {
        const Holder& h = holders[i];
        if (i) text += L" or ";
        text += (h.app.empty() ? h.exe : h.app) + L" (";
        if (!h.exe.empty()) text += h.exe + L", ";
        text += std::to_wstring(h.pid) + L")";
    }
    return text;
}

}  // namespace nv::holders
