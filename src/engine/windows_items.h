// Windows items with logic of their own.
#pragma once

#include "engine/catalogue.h"

namespace nv::engine::windows {

void ClearRecentDocuments(RunContext& ctx);  // shell's recent documents; registry +1
void CleanTempFolders(RunContext& ctx);      // the three temporary folders
void EmptyRecycleBin(RunContext& ctx);       // C:\RECYCLED size, then the system's empty call; registry +1
void CleanScandiskFolders(RunContext& ctx);  // Found.000 to Found.010 on drives C to F
void EmptyClipboardStep(RunContext& ctx);
void DeleteThumbnailCaches(RunContext& ctx); // every Thumbs.db below the user profile, any letter case

// The per-user temp folder of the older profile layout: the local
// application data folder cut before "Application Data", + "temp";
// "" when the folder has the newer layout.
std::wstring LegacyTempFolder(const std::wstring& localAppData);

}  // namespace nv::engine::windows
