#include "engine/windows_items.h"

#include <shellapi.h>

#include <string>

#include "engine/run_view.h"
#include "foundation/erase_primitives.h"
#include "foundation/system.h"

namespace nv::engine::windows {

void ClearRecentDocuments(RunContext& ctx) {
    ctx.erase.Report(RemovalKind::RecentDocs, L"");
    if (!ctx.erase.preview()) ClearDocumentsMenu();
    ctx.AddKeys(1);
}

std::wstring LegacyTempFolder(const std::wstring& localAppData) {
    size_t p = localAppData.find(L"Application Data");
    if (p == std::wstring::npos) return L"";
    return localAppData.substr(0, p) + L"temp";
}

namespace {
std::wstring EnvironmentText(const wchar_t* name) {
    wchar_t buf[32768];
    DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return (n > 0 && n < 32768) ? std::wstring(buf, n) : std::wstring();
}
}  // namespace

void CleanTempFolders(RunContext& ctx) {
    std::wstring envTemp = EnvironmentText(L"TEMP");
    std::wstring windowsTemp = ctx.env.windowsFolder.empty() ? L"" : ctx.env.windowsFolder + L"\\temp";
    for (const std::wstring& folder : {LegacyTempFolder(ctx.env.localAppData), windowsTemp, envTemp}) {
        if (folder.empty()) continue;
        if (auto b = allerase::DeleteAllFilesInTree(ctx.erase, folder)) ctx.AddBytes(*b);
        ctx.AddBytes(allerase::EmptyFolder(ctx.erase, folder));
    }
}

void EmptyRecycleBin(RunContext& ctx) {
    double bytes = allerase::FolderSize(L"C:\\RECYCLED");
    ctx.AddBytes(bytes);
    ctx.erase.Report(RemovalKind::RecycleBin, L"", bytes);
    if (!ctx.erase.preview())
        SHEmptyRecycleBinW(static_cast<HWND>(ctx.view.OwnerWindow()), L"", SHERB_NOCONFIRMATION);
    ctx.AddKeys(1);
}

void CleanScandiskFolders(RunContext& ctx) {
    for (wchar_t drive = L'C'; drive <= L'F'; ++drive) {
        for (int i = 0; i <= 10; ++i) {
            wchar_t folder[32];
            swprintf(folder, 32, L"%lc:\\Found.%03d", drive, i);
            if (auto b = allerase::DeleteAllFiles(ctx.erase, folder)) ctx.AddBytes(*b);
        }
    }
}

void EmptyClipboardStep(RunContext& ctx) {
    ctx.erase.Report(RemovalKind::Clipboard, L"");
    if (ctx.erase.preview()) return;
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

void DeleteThumbnailCaches(RunContext& ctx) {
    // Our own link-safe walk, not a shell "del /s", which follows links out
    // of the profile. An unset profile variable leaves nothing to walk.
    std::wstring profile = EnvironmentText(L"USERPROFILE");
    if (profile.empty()) return;
    ctx.AddBytes(allerase::DeleteFileInTreeAnyCase(ctx.erase, profile, L"Thumbs.db"));
}

}  // namespace nv::engine::windows
