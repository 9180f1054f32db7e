#include "foundation/list_file.h"

#include <windows.h>

#include "foundation/handles.h"
#include "foundation/text.h"

namespace nv::listfile {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

bool HasBom(const std::string& bytes) { return bytes.compare(0, 3, kBom) == 0; }

}  // namespace

std::optional<std::string> ReadBytes(const std::wstring& path, unsigned long long maxBytes) {
    ScopedFile f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f.get(), &size) || static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        DWORD n = 0;
        if (!ReadFile(f.get(), bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &n, nullptr))
            return std::nullopt;
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

namespace {

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0, i = 0;
    while (i < text.size()) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.emplace_back(text, start, i - start);
            i += (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text, start, text.size() - start);
    return lines;
}

// The lines as bytes: ANSI when every line round-trips, otherwise UTF-8 with
// a byte-order mark.
std::string Encode(const std::vector<std::wstring>& lines, bool forceUtf8) {
    std::wstring text;
    for (const auto& l : lines) {
        text += l;
        text += L"\r\n";
    }
    if (!forceUtf8) {
        bool lossless = true;
        std::string ansi = ToAnsi(text, &lossless);
        if (lossless) return ansi;
    }
    return std::string(kBom) + ToUtf8(text);
}

bool WriteAll(HANDLE f, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        if (!WriteFile(f, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr) || n == 0)
            return false;
        done += n;
    }
    return true;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t p = path.find_last_of(L"\\/");
    return p == std::wstring::npos ? std::wstring(L".") : path.substr(0, p);
}

}  // namespace

std::optional<std::vector<std::wstring>> Read(const std::wstring& path) {
    auto bytes = ReadBytes(path);
    if (!bytes) return std::nullopt;
    std::wstring text = HasBom(*bytes) ? FromUtf8(std::string_view(*bytes).substr(3)) : FromAnsi(*bytes);
    return SplitLines(text);
}

bool Write(const std::wstring& path, const std::vector<std::wstring>& lines) {
    return ReplaceBytes(path, Encode(lines, false));
}

bool ReplaceBytes(const std::wstring& path, const std::string& bytes, bool durable) {
    wchar_t tmp[MAX_PATH + 1] = {};
    // A fresh, unique file beside the target (same volume, so the move below
    // is a rename), never a fixed name that might already hold something.
    if (!GetTempFileNameW(FolderOf(path).c_str(), L"nv", 0, tmp)) return false;
    bool ok = false;
    {
        ScopedFile f(CreateFileW(tmp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = f && WriteAll(f.get(), bytes) && (!durable || FlushFileBuffers(f.get()));
    }
    ok = ok && MoveFileExW(tmp, path.c_str(), MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0));
    if (!ok) DeleteFileW(tmp);
    return ok;
}

bool WriteNew(const std::wstring& path, const std::string& bytes) {
    bool ok;
    {
        ScopedFile f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) return false;
        ok = WriteAll(f.get(), bytes);
    }
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

bool Append(const std::wstring& path, const std::wstring& line) {
    auto existing = ReadBytes(path);
    bool utf8 = existing && HasBom(*existing);
    std::string bytes;
    if (utf8) {
        bytes = ToUtf8(line);
    } else {
        bool lossless = true;
        bytes = ToAnsi(line, &lossless);
        if (!lossless) {
            std::vector<std::wstring> lines;
            if (auto old = Read(path)) lines = std::move(*old);
            else if (existing) return false;  // there, but not a list we can rewrite safely
            lines.push_back(line);
            return Write(path, lines);
        }
    }
    bytes += "\r\n";
    if (existing && !existing->empty() && existing->back() != '\n' && existing->back() != '\r' &&
        !(utf8 && existing->size() == 3))
        bytes.insert(0, "\r\n");
    ScopedFile f(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    return f && WriteAll(f.get(), bytes);
}

}  // namespace nv::listfile
