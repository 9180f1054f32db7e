// Deleting the files of one folder except those the caller keeps: the
// cookie items spare the files of the cookie keep list.
#pragma once

#include <functional>
#include <string>

#include "foundation/erase.h"

namespace nv::allerase {

// Every file directly in the folder (no subfolders) for which keep(name) is
// false: unhidden when hidden, counted, then deleted without force, so a
// read-only or locked file stays but still counts. Kept files are left as
// they are, attributes included. Errors are ignored; yields per file. The
// safety rules of the other primitives hold: an unknown or missing folder
// gives 0, protected folders and links are refused.
double DeleteFilesInFolderExcept(EraseContext& ctx, const std::wstring& folder,
                                 const std::function<bool(const wchar_t* name)>& keep);

}  // namespace nv::allerase
