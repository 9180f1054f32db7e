// "Search && Erase": finds files by name pattern below a chosen folder,
// lists them with size and date, and deletes the selected ones to the
// Recycle Bin or for good.
//
// A search runs on the window's thread and processes the window's messages
// about every 15 ms, so the window repaints and Stop can be clicked. While
// a search or a delete runs, nothing that would start another one (Find,
// the drive and folder lists, Delete selected) can be used.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialog_window.h"
#include "search/find_files.h"

namespace nv::search {

class frmLocate : public DialogWindow, private FindSink {
public:
    struct Hooks {
        std::function<void(HWND owner)> showAbout;  // Help > About
    };

    // Modal over `owner`; returns when the window is closed.
    static void ShowModal(HWND owner, Hooks hooks = {});
    // Modeless and hidden (tests, benchmark); Unload() destroys it.
    static frmLocate* Load(HWND owner, Hooks hooks = {});
    static void Unload();
    ~frmLocate() override;

    // The window's handlers, as clicks and key presses call them.
    void cmdAction_Click(int index);
    void Text1_KeyPress(wchar_t key);
    void Text1_Change();
    void Drive1_Change();
    void Dir1_Change();
    void Check1_Click();
    void chkDelType_Click();
    void cmdSelectAll_Click();
    void cmdUnSelectAll_Click();
    void cmdDelete_Click();
    void cmdOption_Click();
    void menuResetAll_Click();

    // Moves the folder list to `path` as a double-click on it does, which
    // starts a search at once. Ignored while busy or for a missing folder.
    void SetDir1Path(const std::wstring& path);
    const std::wstring& Dir1Path() const { return dir1Path_; }
    bool busy() const { return busy_; }

    bool StopRequested = false;

private:
    explicit frmLocate(Hooks hooks) : hooks_(std::move(hooks)) {}
    bool OnInit() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
    void OnCommand(int id, int code);
    void Form_Load();
    void CreateControls();

    // FindSink
    void Found(std::wstring line, size_t pathLength) override;
    bool Pump(const std::wstring& folder) override;

    void RunSearch();
    void Flush();
    void PumpMessages();
    void MaybePump();
    void SetBusy(bool on);
    void RequestClose();
    bool Checked(int id) const;
    void SetChecked(int id, bool on);
    void ClearList();
    std::vector<std::wstring> SelectedPaths() const;
    void DeleteSelected(const std::vector<std::wstring>& paths, bool recycle);

    // Folder and drive lists (search_window_folders.cpp).
    struct DirItem {
        std::wstring path, name;
        int level;
        bool open;
    };
    void FillDrive1();
    void FillDir1();
    void SelectDrive();
    bool DrawDir1Item(const DRAWITEMSTRUCT& d);
    void OpenSelectedDir();

    Hooks hooks_;
    std::wstring dir1Path_;
    std::vector<DirItem> dirItems_;
    HICON folderIcon_ = nullptr, openFolderIcon_ = nullptr;
    std::vector<std::pair<std::wstring, size_t>> pending_;  // found, not yet in List1
    std::vector<size_t> pathLengths_;                       // per line of List1
    int widest_ = 0;
    bool busy_ = false;
    bool closePending_ = false;
    ULONGLONG lastPump_ = 0;
};

}  // namespace nv::search
