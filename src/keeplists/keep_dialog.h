// What the two keep-list dialogs share: the dialog itself (its window, Add,
// Remove and Close), the list boxes' horizontal extent, moving entries into
// and out of a keep-list file, and the cookie preview.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace nv::keeplists {

// The widest entry of a list box measured in its font, plus 8 pixels; 0 for
// an empty list.
int ListTextWidth(HWND list);
// Sets the list's horizontal scroll extent to ListTextWidth.
void ResetExtent(HWND list);

void FillList(HWND list, const std::vector<std::wstring>& entries);
// The selected entry of a single-selection list, the entry with the focus
// of a multiple-selection one; "" when there is none.
std::wstring SelectedText(HWND list);

// One keep list shown in a list box and stored in a list file.
struct KeepList {
    HWND owner;
    HWND list;
    std::wstring file;
    std::vector<std::wstring> (*read)();  // the file's entries as the list shows them

    // Appends the entry to the list and, trailing blanks removed, to the file.
    void Add(const std::wstring& entry) const;
    // Removes every selected entry and rewrites the file with the others.
    void RemoveSelected() const;

private:
    // A keep list that could not be saved says so, and shows again what the
    // file really keeps.
    void Failed() const;
};

// One keep-list dialog made in code: what the browser holds now beside the
// keep list, with Add >, < Remove and Close. `load` makes the other
// controls and fills the lists; the dialog is then sized to `width` x
// `height` (design pixels, client area), gets its Close button in the
// bottom right corner, and is centred. Add moves the selected entry of list
// `current` into list `keep` and the file, Remove takes the selected keep
// entries out of both; `command` hears every other command.
struct KeepDialog {
    const wchar_t* title;
    int width, height;
    int current, keep, add, remove;  // control ids
    std::wstring (*file)();
    std::vector<std::wstring> (*read)();  // the file's entries as the keep list shows them
    void (*load)(HWND dialog);
    void (*command)(HWND dialog, WPARAM wp, LPARAM lp) = nullptr;
};
// Modal, with its own message loop.
void ShowKeepDialog(HWND owner, const KeepDialog& dialog);
// Without a message loop of its own (tests); closed with DestroyWindow.
HWND CreateKeepDialog(HWND owner, const KeepDialog& dialog);

// Files larger than this show only their beginning in the cookie preview.
inline constexpr DWORD kPreviewBytes = 64 * 1024;

// The beginning of a file as text for a multi-line edit box (line ends made
// CR LF, NULs shown as blanks), at most kPreviewBytes of it. Nothing when
// the path is no readable plain file (a folder, a device, a pipe).
std::optional<std::wstring> PreviewText(const std::wstring& path);

}  // namespace nv::keeplists
