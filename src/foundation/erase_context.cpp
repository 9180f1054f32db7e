#include "foundation/erase_context.h"

namespace nv {

const wchar_t* RemovalKindName(RemovalKind kind) {
    switch (kind) {
    case RemovalKind::File: return L"file";
    case RemovalKind::Folder: return L"folder";
    case RemovalKind::Key: return L"key";
    case RemovalKind::KeyTree: return L"keytree";
    case RemovalKind::Value: return L"value";
    case RemovalKind::IniSection: return L"inisection";
    case RemovalKind::AtReboot: return L"atreboot";
    case RemovalKind::Command: return L"command";
    case RemovalKind::RecycleBin: return L"recyclebin";
    case RemovalKind::Clipboard: return L"clipboard";
    case RemovalKind::RecentDocs: return L"recentdocs";
    case RemovalKind::UrlHistory: return L"urlhistory";
    case RemovalKind::Refused: return L"refused";
    }
    return L"?";
}

void EraseContext::MaybePump() {
    if (!pump_) return;
    DWORD now = GetTickCount();
    if (now - lastPump_ < 15) return;
    lastPump_ = now;
    pump_();
}

}  // namespace nv
