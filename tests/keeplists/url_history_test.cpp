// CURLHistory over an in-process store with the platform's interfaces
// (Wine's store answers E_NOTIMPL to everything).
#include "keeplists/url_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sandbox.h"

using nv::keeplists::CURLHistory;

namespace {

struct Entry {
    std::wstring url;
    const wchar_t* title;  // nullptr: the store keeps none
    FILETIME visited;
};

wchar_t* TaskCopy(const wchar_t* s) {
    if (!s) return nullptr;
    size_t bytes = (wcslen(s) + 1) * sizeof(wchar_t);
    auto* p = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
    memcpy(p, s, bytes);
    return p;
}

// Reference counting is real; the objects live on the test's stack and the
// test checks that every reference was given back.
class FakeList : public IEnumSTATURL {
public:
    explicit FakeList(const std::vector<Entry>& entries) : entries_(entries) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return *out = nullptr, E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, LPSTATURL out, ULONG* fetched) override {
        while (at_ < entries_.size() && entries_[at_].url.rfind(prefix_, 0) != 0) ++at_;
        if (count != 1 || at_ >= entries_.size()) return *fetched = 0, S_FALSE;
        const Entry& e = entries_[at_++];
        out->pwcsUrl = TaskCopy(e.url.c_str());
        out->pwcsTitle = TaskCopy(e.title);
        out->ftLastVisited = out->ftLastUpdated = out->ftExpires = e.visited;
        out->dwFlags = 7;
        *fetched = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return at_ = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumSTATURL**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFilter(LPCOLESTR prefix, DWORD) override {
        prefix_ = prefix ? prefix : L"";
        return S_OK;
    }
    ULONG refs = 1;

private:
    std::vector<Entry> entries_;
    std::wstring prefix_;
    size_t at_ = 0;
};

class FakeStore : public IUrlHistoryStg2 {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return *out = nullptr, E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR url, LPCOLESTR title, DWORD) override {
        entries.push_back({url, title && *title ? L"t" : nullptr, {}});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR url, DWORD) override {
        std::erase_if(entries, [&](const Entry& e) { return e.url == url; });
        deleted.push_back(url);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumUrls(IEnumSTATURL** out) override {
        if (failEnum) return *out = nullptr, E_NOTIMPL;
        lists.push_back(std::make_unique<FakeList>(entries));
        *out = lists.back().get();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, BOOL, IOleCommandTarget*, IUnknown*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ClearHistory() override { return entries.clear(), S_OK; }

    std::vector<Entry> entries;
    std::vector<std::wstring> deleted;
    std::vector<std::unique_ptr<FakeList>> lists;
    ULONG refs = 1;
    bool failEnum = false;
};

std::vector<std::wstring> Urls(const CURLHistory& h) {
    std::vector<std::wstring> out;
    for (const auto& item : h) out.push_back(item.URL());
    return out;
}

TEST(URLHistory, CollectionOverTheStore) {
    FakeStore store;
    {
        auto empty = CURLHistory::Open(&store);
        ASSERT_TRUE(empty);
        EXPECT_EQ(empty->Count(), 0);
        EXPECT_EQ(empty->Item(1), nullptr);
        EXPECT_EQ(empty->Remove(1), DISP_E_BADINDEX);
    }
    FILETIME noon{};  // 1 January 2001, 12:00 UTC
    SYSTEMTIME st{2001, 1, 1, 1, 12, 0, 0, 0};
    SystemTimeToFileTime(&st, &noon);
    store.entries = {{L"http://a.example/", L"A", noon}, {L"http://b.example/x", nullptr, noon},
                     {L"https://c.example/", L"C", noon}};
    auto h = CURLHistory::Open(&store);
    ASSERT_TRUE(h);
    ASSERT_EQ(h->Count(), 3);
    EXPECT_EQ(h->Item(2)->Title(), L"");  // no title in the store
    EXPECT_EQ(h->Item(1)->Title(), L"A");
    EXPECT_EQ(h->Item(1)->FLAGS(), 7u);
    FILETIME local;
    SYSTEMTIME lst;
    DATE expected;
    FileTimeToLocalFileTime(&noon, &local);
    FileTimeToSystemTime(&local, &lst);
    SystemTimeToVariantTime(&lst, &expected);
    EXPECT_EQ(h->Item(1)->LastVisited(), expected);
    EXPECT_EQ(h->Item(1)->LastVisited(), h->Item(1)->LastVisited());  // reading twice changes nothing
    EXPECT_EQ(h->Item(1)->Expires(), expected);

    // AddURL leaves the collection as it was until Refresh.
    EXPECT_EQ(h->AddURL(L"http://d.example/", L"D", 0), S_OK);
    EXPECT_EQ(h->Count(), 3);
    EXPECT_EQ(h->Refresh(), S_OK);
    EXPECT_EQ(h->Count(), 4);

    // Remove deletes from the store and shifts the rest down, with no re-read.
    size_t listsBefore = store.lists.size();
    EXPECT_EQ(h->Remove(1), S_OK);
    EXPECT_EQ(store.deleted, std::vector<std::wstring>{L"http://a.example/"});
    EXPECT_EQ(store.lists.size(), listsBefore);
    EXPECT_EQ(Urls(*h), (std::vector<std::wstring>{L"http://b.example/x", L"https://c.example/", L"http://d.example/"}));
    EXPECT_EQ(h->Remove(4), DISP_E_BADINDEX);

    EXPECT_EQ(h->Refresh(L"http://"), S_OK);
    EXPECT_EQ(Urls(*h), (std::vector<std::wstring>{L"http://b.example/x", L"http://d.example/"}));
    EXPECT_EQ(h->DeleteURL(L"http://d.example/", 0), S_OK);
    EXPECT_EQ(h->Count(), 2);  // re-read without the filter

    EXPECT_EQ(h->Clear(), S_OK);
    EXPECT_EQ(h->Count(), 0);
    EXPECT_TRUE(store.entries.empty());

    store.failEnum = true;
    EXPECT_EQ(h->Refresh(), E_NOTIMPL);
    h.reset();
    HRESULT hr = S_OK;
    EXPECT_FALSE(CURLHistory::Open(&store, &hr));
    EXPECT_EQ(hr, E_NOTIMPL);
    // Every reference taken was given back.
    EXPECT_EQ(store.refs, 1u);
    for (const auto& l : store.lists) EXPECT_EQ(l->refs, 0u);
}

TEST(URLHistory, ThePlatformStoreEitherWorksOrSaysWhyNot) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HRESULT hr = E_FAIL;
    auto h = CURLHistory::Create(&hr);
    EXPECT_EQ(static_cast<bool>(h), SUCCEEDED(hr));
    h.reset();
    CoUninitialize();
}

}  // namespace
