#include "keeplists/url_history_item.h"

#include <utility>

namespace nv::keeplists {

URLHistoryItem::~URLHistoryItem() { Free(); }

URLHistoryItem::URLHistoryItem(URLHistoryItem&& other) noexcept : record_(other.record_) {
    other.record_.pwcsUrl = nullptr;
    other.record_.pwcsTitle = nullptr;
}

URLHistoryItem& URLHistoryItem::operator=(URLHistoryItem&& other) noexcept {
    if (this != &other) {
        Free();
        record_ = other.record_;
        other.record_.pwcsUrl = nullptr;
        other.record_.pwcsTitle = nullptr;
    }
    return *this;
}

void URLHistoryItem::Free() {
    // The store allocated both with the task allocator.
    CoTaskMemFree(std::exchange(record_.pwcsTitle, nullptr));
    CoTaskMemFree(std::exchange(record_.pwcsUrl, nullptr));
}

std::optional<DATE> URLHistoryItem::LocalDate(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME st;
    DATE date;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st) ||
        !SystemTimeToVariantTime(&st, &date))
        return std::nullopt;
    return date;
}

}  // namespace nv::keeplists
