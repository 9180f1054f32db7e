// The sandbox check on its own, without GoogleTest, so that the benchmarks
// can refuse to run outside a sandboxed prefix too.
#include <windows.h>

#include <fstream>
#include <string>

#include "foundation/text.h"
#include "sandbox.h"

namespace nvtest {

bool InSandbox() {
    wchar_t token[128] = {};
    DWORD n = GetEnvironmentVariableW(L"NORVALE_SANDBOX_TOKEN", token, 128);
    if (n == 0 || n >= 128) return false;
    std::ifstream marker("C:\\norvale-sandbox.txt", std::ios::binary);
    std::string line;
    if (!marker || !std::getline(marker, line)) return false;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.empty() || nv::FromUtf8(line) != token) return false;
    if (GetDriveTypeW(L"Z:\\") != DRIVE_NO_ROOT_DIR) return false;
    return true;
}

}  // namespace nvtest
