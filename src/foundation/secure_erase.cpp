#include "foundation/secure_erase.h"

#include <winioctl.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace nv::erasefs {
namespace {

constexpr DWORD kChunk = 1 << 20;
std::function<void()> g_overwrittenHook;

using Ranges = std::vector<std::pair<LONGLONG, LONGLONG>>;  // offset, length

// Where the file's data lies. Normally every allocated byte from the start
// (the slack after the end included); a file holding less than its length
// (sparse or compressed) only where the file system says it has data.
bool DataRanges(HANDLE h, Ranges& out) {
    FILE_STANDARD_INFO info{};
    if (!GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof info)) return false;
    const LONGLONG end = info.EndOfFile.QuadPart, allocated = info.AllocationSize.QuadPart;
    if (allocated >= end) {
        if (allocated > 0) out.emplace_back(0, allocated);
        return true;
    }
    FILE_ALLOCATED_RANGE_BUFFER query{}, found[64];
    query.Length.QuadPart = end;
    for (;;) {
        DWORD bytes = 0;
        BOOL ok = DeviceIoControl(h, FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, found, sizeof found, &bytes,
                                  nullptr);
        if (!ok && GetLastError() != ERROR_MORE_DATA) return false;
        DWORD n = bytes / sizeof found[0];
        for (DWORD i = 0; i < n; ++i) out.emplace_back(found[i].FileOffset.QuadPart, found[i].Length.QuadPart);
        if (ok || n == 0) return true;
        LONGLONG next = found[n - 1].FileOffset.QuadPart + found[n - 1].Length.QuadPart;
        query.FileOffset.QuadPart = next;
        query.Length.QuadPart = end - next;
    }
}

bool WriteZeros(HANDLE h, const Ranges& ranges, const std::function<void()>& pump) {
    static char zeros[kChunk];  // never written: stays zero
    for (const auto& [offset, length] : ranges) {
        for (LONGLONG done = 0; done < length;) {
            DWORD n = static_cast<DWORD>(std::min<LONGLONG>(kChunk, length - done));
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset + done);
            at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
            DWORD written = 0;
            if (!WriteFile(h, zeros, n, &written, &at) || written != n) return false;
            done += n;
            if (pump) pump();
        }
    }
    return true;
}

// A name that tells nothing of the file: 16 hexadecimal digits.
std::wstring RandomName() {
    static uint64_t state = 0;
    if (!state) {
        LARGE_INTEGER c;
        QueryPerformanceCounter(&c);
        state = static_cast<uint64_t>(c.QuadPart) ^ (static_cast<uint64_t>(GetCurrentProcessId()) << 32) ^ 0x9e3779b97f4a7c15;
    }
    std::wstring name;
    for (int i = 0; i < 16; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        name += L"0123456789abcdef"[state & 15];
    }
    return name;
}

// Renames the open file within its own folder (a bare name does that).
bool RenameInPlace(HANDLE h, const std::wstring& name) {
    std::vector<BYTE> buf(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), info->FileName);
    return SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(buf.size())) != FALSE;
}

}  // namespace

Overwriter::Overwriter(HANDLE deleting) : deleting_(deleting), ready_(Overwrite::Done) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(deleting, &info) && info.nNumberOfLinks > 1) {
        ready_ = Overwrite::OtherNames;
        return;
    }
    // The same file object, not a path: nothing can be swapped in between.
    writer_.reset(ReOpenFile(deleting, FILE_WRITE_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
    if (!writer_) ready_ = Overwrite::NotWritable;
}

Overwrite Overwriter::Run(const std::function<void()>& pump) {
    if (ready_ != Overwrite::Done) return ready_;
    Ranges ranges;
    if (!DataRanges(writer_.get(), ranges)) return Overwrite::Unmapped;
    bool whole = WriteZeros(writer_.get(), ranges, pump);
    if (!ranges.empty()) FlushFileBuffers(writer_.get());
    if (g_overwrittenHook) g_overwrittenHook();
    FILE_END_OF_FILE_INFO empty{};
    SetFileInformationByHandle(writer_.get(), FileEndOfFileInfo, &empty, sizeof empty);
    // A name already taken by chance gets one more try.
    if (!RenameInPlace(deleting_, RandomName())) RenameInPlace(deleting_, RandomName());
    return whole ? Overwrite::Done : Overwrite::Failed;
}

namespace detail {
void SetOverwrittenHook(std::function<void()> hook) { g_overwrittenHook = std::move(hook); }
}  // namespace detail

}  // namespace nv::erasefs
