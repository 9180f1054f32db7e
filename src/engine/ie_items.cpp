#include "engine/ie_items.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/run_view.h"
#include "foundation/erase_primitives.h"
#include "foundation/handles.h"
#include "foundation/launcher.h"
#include "foundation/registry_access.h"
#include "foundation/system.h"
#include "keeplists/url_history.h"
#include "keeplists/keep_list_files.h"

namespace nv::engine::ie {
namespace {

constexpr wchar_t kTypedUrls[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";

// A link key planted in its place would carry the kept addresses to
// wherever it points.
bool IsLinkKey(HKEY root, const wchar_t* sub) {
    ScopedKey k;
    if (RegOpenKeyExW(root, sub, REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, k.put()) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    return RegQueryValueExW(k.get(), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

// True when the window in front is a dialog of process pid.
bool DialogInFront(DWORD pid) {
    HWND front = GetForegroundWindow();
    DWORD owner = 0;
    if (!front || !GetWindowThreadProcessId(front, &owner) || owner != pid) return false;
    wchar_t cls[16];
    return GetClassNameW(front, cls, 16) > 0 && wcscmp(cls, L"#32770") == 0;
}

// Sleeps (pumping) until the process waits for input, it ends, or ms pass.
void WaitUntilReady(RunContext& ctx, HANDLE process, DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        if (WaitForInputIdle(process, 50) != WAIT_TIMEOUT) return;
        ctx.view.Pump();
    }
}

}  // namespace

void TypedUrls(RunContext& ctx) {
    // Read before anything goes: the addresses it keeps live only in the key.
    const auto kept = keeplists::UrlKeepListForRun();
    if (!kept) return ctx.Fail(L"keepurl.dat cannot be read");
    const std::vector<std::wstring>& keep = *kept;
    ctx.AddKeys(allerase::DeleteRegKey(ctx.erase, HKEY_CURRENT_USER, kTypedUrls));
    if (ctx.erase.preview() || IsLinkKey(HKEY_CURRENT_USER, kTypedUrls)) return;
    const std::wstring key = std::wstring(L"HKEY_CURRENT_USER\\") + kTypedUrls;
    regfun::CreateRegKey(key);
    for (size_t i = 0; i < keep.size(); ++i) regfun::SetRegValue(key, L"url" + std::to_wstring(i + 1), keep[i]);
}

void ClearUrlHistory(RunContext& ctx) {
    // What an emptied store is counted as.
    auto count = [&] {
        ctx.AddKeys(15);
        ctx.AddBytes(500000);
    };
    // Even opening the store can create the browser's folders: a preview
    // only says that the store would be emptied.
    if (ctx.erase.preview()) {
        ctx.erase.Report(RemovalKind::UrlHistory, L"");
        count();
        return;
    }
    ComScope com;
    auto history = keeplists::CURLHistory::Create();
    if (!history) return ctx.Fail(L"Can't open the URL history");
    // Cleared even when it lists nothing: the store may hold entries its
    // enumerator does not show.
    const bool listed = history->Count() > 0;
    if (FAILED(history->Clear())) return ctx.Fail(L"Can't clear the URL history");
    if (listed) ctx.erase.Report(RemovalKind::UrlHistory, L"");
    count();
}

void Cookies(RunContext& ctx) {
    const std::wstring folder = ShellFolder(L"Cookies");
    if (folder.empty()) return;
    const auto kept = keeplists::CookieKeepListForRun();
    if (!kept) return ctx.Fail(L"keepcook.dat cannot be read");
    const std::vector<std::wstring>& keep = *kept;
    // Full paths as the file system object reports them: the folder without
    // a trailing separator, "\", the file's name.
    std::wstring prefix = folder;
    while (prefix.size() > 3 && prefix.back() == L'\\') prefix.pop_back();
    if (prefix.back() != L'\\') prefix += L'\\';
    ctx.AddBytes(allerase::DeleteFilesInFolderExcept(ctx.erase, folder, [&](const wchar_t* name) {
        return !keep.empty() && std::find(keep.begin(), keep.end(), prefix + name) != keep.end();
    }));
}

void ClearFormsIE6(RunContext& ctx) {
    ctx.erase.Report(RemovalKind::Command, kInternetOptions);
    if (ctx.erase.preview()) return;
    if (DWORD pid = launcher::Current().Start(kInternetOptions, SW_HIDE))
        SendKeysToDialogOf(ctx, pid, {'U', 'C', VK_RETURN, VK_ESCAPE, VK_ESCAPE}, 10000);
}

int SendKeysToDialogOf(RunContext& ctx, unsigned long pid, std::initializer_list<unsigned short> keys,
                       unsigned long readyMs) {
    ScopedHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid));
    if (!process) return 0;
    WaitUntilReady(ctx, process.get(), readyMs);
    int sent = 0;
    for (WORD vk : keys) {
        // Checked before every key: whatever else comes to the front gets nothing.
        if (!DialogInFront(pid)) break;
        INPUT in[2] = {};
        in[0].type = INPUT_KEYBOARD;
        in[0].ki.wVk = vk;
        in[1] = in[0];
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
        if (SendInput(2, in, sizeof(INPUT)) != 2) break;
        ++sent;
        WaitUntilReady(ctx, process.get(), 1000);
    }
    return sent;
}

void FocusMainWindow(RunContext& ctx) {
    if (ctx.erase.preview()) return;
    if (HWND main = static_cast<HWND>(ctx.view.OwnerWindow())) SetForegroundWindow(main);
}

}  // namespace nv::engine::ie
