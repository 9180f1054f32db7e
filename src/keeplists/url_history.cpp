#include "keeplists/url_history.h"

#include <shlguid.h>

namespace nv::keeplists {

std::unique_ptr<CURLHistory> CURLHistory::Loaded(std::unique_ptr<CURLHistory> h, HRESULT* hr) {
    HRESULT r = h->Refresh();
    if (hr) *hr = r;
    if (FAILED(r)) return nullptr;
    return h;
}

std::unique_ptr<CURLHistory> CURLHistory::Create(HRESULT* hr) {
    std::unique_ptr<CURLHistory> h(new CURLHistory);
    HRESULT r = CoCreateInstance(CLSID_CUrlHistory, nullptr, CLSCTX_INPROC_SERVER, IID_IUrlHistoryStg2,
                                 h->store_.put_void());
    if (FAILED(r)) {
        if (hr) *hr = r;
        return nullptr;
    }
    return Loaded(std::move(h), hr);
}

std::unique_ptr<CURLHistory> CURLHistory::Open(IUrlHistoryStg2* store, HRESULT* hr) {
    if (!store) {
        if (hr) *hr = E_POINTER;
        return nullptr;
    }
    std::unique_ptr<CURLHistory> h(new CURLHistory);
    store->AddRef();
    *h->store_.put() = store;
    return Loaded(std::move(h), hr);
}

HRESULT CURLHistory::AddURL(const std::wstring& url, const std::wstring& title, DWORD flags) {
    return store_->AddUrl(url.c_str(), title.c_str(), flags);
}

HRESULT CURLHistory::Clear() {
    HRESULT r = store_->ClearHistory();
    return FAILED(r) ? r : Refresh();
}

HRESULT CURLHistory::Refresh(const std::wstring& prefix, DWORD flags) {
    ComPtr<IEnumSTATURL> list;
    HRESULT r = store_->EnumUrls(list.put());
    if (FAILED(r)) return r;
    if (!list) return E_POINTER;
    r = list->SetFilter(prefix.c_str(), flags);
    if (FAILED(r)) return r;
    entries_.clear();
    for (;;) {
        STATURL record{};
        record.cbSize = sizeof record;
        ULONG fetched = 0;
        r = list->Next(1, &record, &fetched);
        if (FAILED(r)) return r;
        if (r != S_OK || fetched != 1) return S_OK;
        entries_.emplace_back(record);
    }
}

const URLHistoryItem* CURLHistory::Item(long index) const {
    return index >= 1 && index <= Count() ? &entries_[index - 1] : nullptr;
}

HRESULT CURLHistory::Remove(long index) {
    const URLHistoryItem* item = Item(index);
    if (!item) return DISP_E_BADINDEX;
    HRESULT r = store_->DeleteUrl(item->URL().c_str(), 0);
    if (FAILED(r)) return r;
    entries_.erase(entries_.begin() + (index - 1));
    return S_OK;
}

HRESULT CURLHistory::DeleteURL(const std::wstring& url, DWORD flags) {
    HRESULT r = store_->DeleteUrl(url.c_str(), flags);
    return FAILED(r) ? r : Refresh();
}

}  // namespace nv::keeplists
