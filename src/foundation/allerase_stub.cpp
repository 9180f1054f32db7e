// TEMPORARY: minimal registry primitives so the engine can be exercised
// before the real erase primitives land. Removed on merge.
#include <shlwapi.h>

#include "foundation/allerase.h"

namespace nv::allerase {
double DeleteFileInTree(EraseContext&, const std::wstring&, const std::wstring&) { return 0; }
std::optional<double> DeleteAllFilesInTree(EraseContext&, const std::wstring&) { return std::nullopt; }
double DeleteExtInTree(EraseContext&, const std::wstring&, const std::wstring&) { return 0; }
double DeleteFolderInTree(EraseContext&, const std::wstring&, const std::wstring&) { return 0; }
double EmptyFolder(EraseContext&, const std::wstring&) { return 0; }
std::optional<double> DeleteAllFiles(EraseContext&, const std::wstring&) { return std::nullopt; }
std::optional<double> DeleteFileInFolder(EraseContext&, const std::wstring&, const std::wstring&) { return std::nullopt; }
std::optional<double> DeleteExtInFolder(EraseContext&, const std::wstring&, const std::wstring&) { return std::nullopt; }
int DeleteRegKey(EraseContext& c, HKEY root, const std::wstring& sub) {
    if (!c.preview()) RegDeleteKeyW(root, sub.c_str());
    return 3;
}
int DeleteRegTree(EraseContext& c, HKEY root, const std::wstring& sub) {
    if (!c.preview()) SHDeleteKeyW(root, sub.c_str());
    return 5;
}
int DeleteRegValue(EraseContext& c, HKEY root, const std::wstring& sub, const std::wstring& v) {
    if (!c.preview()) RegDeleteKeyValueW(root, sub.c_str(), v.c_str());
    return 1;
}
void DeleteIniSection(EraseContext&, const std::wstring&, const std::wstring&) {}
double FolderSize(const std::wstring&) { return 0; }
}  // namespace nv::allerase
namespace nv::Normal {
void DeleteAtReboot(EraseContext&, const std::wstring&) {}
}
