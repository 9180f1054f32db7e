// What the File Shredder does to one file or folder, without a window: the
// refusals, the secure deletion, and the lines that say what came of it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace nv::shredder {

inline constexpr wchar_t kTitle[] = L"File Shredder";

// A file or folder on the list.
struct Entry {
    std::wstring path;  // as the user gave it, made absolute
    double bytes = 0;   // a folder: its whole content
    bool folder = false;
};

// What a path names now; nothing when it does not exist.
std::optional<Entry> Describe(const std::wstring& path);

// Why the path is never shredded, whatever the user asks: a drive root, a
// system or known folder itself, the program's own folder or anything in
// it. Empty when it may be.
std::wstring Refusal(const std::wstring& path);

// One line of the result: an item, or a file inside a folder item that was
// not shredded.
struct Outcome {
    std::wstring path;
    double bytes = 0;
    bool shredded = false;
    std::wstring text;  // "Shredded" or "Left: why" / "Deleted, not overwritten: why"
};

// Overwrites and deletes the item through the secure deletion of every
// run: never through a link, never a file with other hard links, never a
// file another program holds open. The first line is the item's own.
// `cancel` is checked between files; `pump` runs now and then.
std::vector<Outcome> Shred(const std::wstring& path, const bool* cancel = nullptr,
                           const std::function<void()>& pump = {});

// "512 bytes", "70.0 KB", "3.4 MB", "1.2 GB".
std::wstring SizeText(double bytes);

// The one question before shredding.
std::wstring Question(size_t items, double bytes);

}  // namespace nv::shredder
