// Internals of the Cleaning Settings dialog, shared by its source files:
// cleaning_settings_dialog.cpp (load, OK, the item boxes), cleaning_settings_pages.cpp (pages
// and layout, built from the profile table), cleaning_settings_lists.cpp (the
// plug-in and custom item lists).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "plugins/plugin_files.h"

namespace nv::frmsettings {

// A group of item boxes as the dialog shows it: the profile table's group
// name, how many columns its boxes take, and its "Select all of the above"
// box (0 for none).
struct GroupLayout {
    const wchar_t* group;
    int columns;
    int selectAll;
};

// The group whose "Select all of the above" box is Check<n>; nullptr when
// n is no such box.
const GroupLayout* SelectAllGroup(int n);

class Dialog {
public:
    explicit Dialog(bool modal) : modal_(modal) {}
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd() const { return hwnd_; }
    HWND Box(int n) const { return n > 0 && n < static_cast<int>(boxes_.size()) ? boxes_[n] : nullptr; }

private:
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(int id, int code);

    // cleaning_settings_pages.cpp
    void BuildPages();
    void ShowPage(HWND tab, const std::vector<HWND>& pages);

    // cleaning_settings_dialog.cpp
    void Form_Load();
    void Command1_Click();
    void Close(INT_PTR result);
    bool Checked(int n) const;
    void SetBox(int n, bool on);
    void Check5_Click();
    void SelectAllClick(int n);

    // cleaning_settings_lists.cpp
    void SetUpLists();
    // Adds the plug-ins of the folder to the plug-in list.
    void AddList(const std::wstring& folder, const std::wstring& extension);
    // A plug-in ticked by the user shows its warning; Cancel unticks it.
    void ListView1_ItemChanged(const NMLISTVIEW& change);
    // Plug-ins that do not apply here are drawn grey.
    LRESULT ListView1_CustomDraw(NMLVCUSTOMDRAW& draw) const;
    void ClearPluginList();
    void FitPluginColumns();
    void cmdImport_Click();
    void LoadCustomItems();
    bool SaveCustomItems();
    void AddCustomRow(const std::wstring& path, const std::wstring& kind, bool padded);
    void Command101_Click();
    void addfiles_Click();
    void addfolders_Click();
    void Command102_Click();
    void Command2_Click();
    bool SavePluginFlags(std::vector<std::wstring>& failed);

    HWND hwnd_ = nullptr;
    bool modal_;
    HWND previousPromptOwner_ = nullptr;
    HWND tab1_ = nullptr, tab2_ = nullptr;
    std::vector<HWND> pages_;         // SSTab1's pages in tab order
    std::vector<HWND> browserPages_;  // SSTab2's pages
    std::array<HWND, 160> boxes_{};   // Check<n>
    HWND list1_ = nullptr, list2_ = nullptr;
    std::vector<plugins::Plugin> plugins_;  // row i of ListView1
    std::vector<bool> applies_;             // row i: detected here and readable
    bool fillingList1_ = false;             // ticks set by the program ask nothing
};

}  // namespace nv::frmsettings
