// The Office version the Office items depend on.
#pragma once

#include <string>

#include "engine/catalogue.h"

namespace nv::engine::office {

// "Office97" gives "8.0", ... "Office2010" gives "14.0"; anything else
// ("NoOffice", a later version) gives "".
std::wstring OfficeVersionText(const std::wstring& product);

// Asks GetOfficeVersion (or the environment's probe) once and keeps the
// version text for the group's items.
void ProbeOfficeVersion(RunContext& ctx);

// "12.0" and "14.0" keep their recent lists under File MRU and Place MRU.
bool NewerLayout(const std::wstring& versionText);

}  // namespace nv::engine::office
