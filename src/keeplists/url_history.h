// The browser's URL history store as a collection: the store's entries are
// read into memory by Refresh (and on creation); the store itself is changed
// by AddURL, Remove, DeleteURL and Clear. A failing store call is returned as
// its result code and nothing is retried.
#pragma once

#include <windows.h>
#include <urlhist.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/handles.h"
#include "keeplists/url_history_item.h"

namespace nv::keeplists {

class CURLHistory {
public:
    // The platform's store with every entry read, as a new collection holds
    // them. Nothing when the store cannot be created or read; hr (when
    // given) receives the failing call's result. Needs COM on this thread.
    static std::unique_ptr<CURLHistory> Create(HRESULT* hr = nullptr);
    // The same over a store the caller has (AddRef'd here).
    static std::unique_ptr<CURLHistory> Open(IUrlHistoryStg2* store, HRESULT* hr = nullptr);

    // Adds an address to the store; the collection is not refreshed.
    HRESULT AddURL(const std::wstring& url, const std::wstring& title, DWORD flags);
    // Entries as of the last Refresh.
    long Count() const { return static_cast<long>(entries_.size()); }
    // Empties the store, then re-reads it.
    HRESULT Clear();
    // Re-reads the entries whose address begins with prefix ("" = all).
    HRESULT Refresh(const std::wstring& prefix = L"", DWORD flags = 0);
    // 1-based; nullptr outside 1..Count.
    const URLHistoryItem* Item(long index) const;
    // Deletes the entry's address from the store and drops the entry; the
    // ones after it move down by one. No re-read. DISP_E_BADINDEX outside
    // 1..Count.
    HRESULT Remove(long index);
    // Deletes an address from the store, then re-reads it.
    HRESULT DeleteURL(const std::wstring& url, DWORD flags);

    // The entries in collection order (range-for).
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

private:
    CURLHistory() = default;
    static std::unique_ptr<CURLHistory> Loaded(std::unique_ptr<CURLHistory> h, HRESULT* hr);

    ComPtr<IUrlHistoryStg2> store_;
    std::vector<URLHistoryItem> entries_;
};

}  // namespace nv::keeplists
