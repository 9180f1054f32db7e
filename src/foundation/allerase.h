// TEMPORARY stand-in until the erase primitives land; replaced on merge.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "foundation/erase.h"

namespace nv::allerase {
double DeleteFileInTree(EraseContext&, const std::wstring& folder, const std::wstring& name);
std::optional<double> DeleteAllFilesInTree(EraseContext&, const std::wstring& folder);
double DeleteExtInTree(EraseContext&, const std::wstring& folder, const std::wstring& ext);
double DeleteFolderInTree(EraseContext&, const std::wstring& folder, const std::wstring& name);
double EmptyFolder(EraseContext&, const std::wstring& folder);
std::optional<double> DeleteAllFiles(EraseContext&, const std::wstring& folder);
std::optional<double> DeleteFileInFolder(EraseContext&, const std::wstring& folder, const std::wstring& name);
std::optional<double> DeleteExtInFolder(EraseContext&, const std::wstring& folder, const std::wstring& ext);
int DeleteRegKey(EraseContext&, HKEY root, const std::wstring& subKey);
int DeleteRegTree(EraseContext&, HKEY root, const std::wstring& subKey);
int DeleteRegValue(EraseContext&, HKEY root, const std::wstring& subKey, const std::wstring& valueName);
void DeleteIniSection(EraseContext&, const std::wstring& iniFile, const std::wstring& section);
double FolderSize(const std::wstring& folder);
}  // namespace nv::allerase
namespace nv::Normal {
void DeleteAtReboot(EraseContext&, const std::wstring& path);
}
