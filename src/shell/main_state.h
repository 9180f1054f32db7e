// The main window's state: what the load reads, the run updates and the
// scheduler consults. One instance for the life of the process.
#pragma once

#include <array>
#include <string>

namespace nv {

struct MainState {
    std::wstring commandLine;              // arguments as received; "" once acted on
    std::array<std::wstring, 7> dayFlags;  // Sunday first, "1" = scheduled
    std::wstring scheduledTime;            // Options CleanTime as stored
    int unattended = 0;                    // 1 while a run nobody watches is under way
    double regCount = 0;                   // "Cleaned Registry Keys" of the current or last run
    double bytes = 0;                      // "Released HD Space" in bytes
    std::wstring appData;                  // "" when unknown
    std::wstring localAppData;             // "" when unknown
    std::wstring windowsFolder;
    int ieMajor = 0;
    std::wstring lastClean;
};

}  // namespace nv
