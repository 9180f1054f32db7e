// One entry of the browser's URL history store, exactly as the store's
// enumerator returned it.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <urlhist.h>

#include <optional>
#include <string>

namespace nv::keeplists {

class URLHistoryItem {
public:
    // Takes the record and owns its two strings from now on.
    explicit URLHistoryItem(const STATURL& record) : record_(record) {}
    ~URLHistoryItem();
    URLHistoryItem(URLHistoryItem&& other) noexcept;
    URLHistoryItem& operator=(URLHistoryItem&& other) noexcept;
    URLHistoryItem(const URLHistoryItem&) = delete;
    URLHistoryItem& operator=(const URLHistoryItem&) = delete;

    // The record's UTC times as local date values (days since 30 December
    // 1899); nothing when a time cannot be converted.
    std::optional<DATE> LastVisited() const { return LocalDate(record_.ftLastVisited); }
    std::optional<DATE> Expires() const { return LocalDate(record_.ftExpires); }
    std::optional<DATE> LastUpdated() const { return LocalDate(record_.ftLastUpdated); }
    std::wstring URL() const { return Text(record_.pwcsUrl); }
    std::wstring Title() const { return Text(record_.pwcsTitle); }  // "" when the store has none
    DWORD FLAGS() const { return record_.dwFlags; }

private:
    static std::optional<DATE> LocalDate(const FILETIME& utc);
    static std::wstring Text(const wchar_t* s) { return s ? std::wstring(s, lstrlenW(s)) : std::wstring(); }
    void Free();

    STATURL record_{};
};

}  // namespace nv::keeplists
