// The "Options" dialog of Search and Erase: the patterns of Ext.txt, with
// Add, Remove, Default and Done. Every change also hands the new search
// string to the search window.
#pragma once

#include <functional>
#include <string>

#include "ui/dialog_window.h"

namespace nv::search {

class frmExtentions : public DialogWindow {
public:
    using SearchStringSetter = std::function<void(const std::wstring&)>;

    // Modal over `owner`; returns when the dialog is closed.
    static void ShowModal(HWND owner, SearchStringSetter setSearchString);
    // Modeless and hidden, for tests; Unload() destroys it.
    static frmExtentions* Load(HWND owner, SearchStringSetter setSearchString);
    static void Unload();

    void LoadExtensionList();
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdDefault_Click();
    void cmdDone_Click();

private:
    explicit frmExtentions(SearchStringSetter setter) : setSearchString_(std::move(setter)) {}
    bool OnInit() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
    void Form_Load();
    void UpdateSearchString();

    SearchStringSetter setSearchString_;
};

}  // namespace nv::search
